#!/usr/bin/env bash
# parvex-cli on hostile and damaged sets: continuation loops end at once with
# an error naming both volumes, lengths that claim gigabytes leave peak memory
# under 16 MB, a file that is no set says so, and stored names and titles are
# printed escaped, never as raw control characters.
source "$(dirname "$0")/lib.sh" "$1"

first_volume() { header; text_field /d/f; le32 $T; chunk_segment; text_field "NEXT:DISK$1"; }

# Continuation loops: 2 -> 2, 2 -> 3 -> 2, and past .999 back to .002.
first_volume 002 >L.PX
{ chunk_segment; text_field NEXT:DISK002; } >L.002
first_volume 002 >M.PX
{ chunk_segment; text_field NEXT:DISK003; } >M.002
{ chunk_segment; text_field NEXT:DISK002; } >M.003
first_volume 002 >W.PX
for k in $(seq 2 1001); do
  { empty_segment; text_field "NEXT:DISK$(printf %03d $(((k + 1) % 1000)))"; } >"W.$(printf %03d $((k % 1000)))"
done
for set in L M W; do
  case $set in
    L) want="L.002, offset 32786: volume 2 continues on $work/L.002, which is volume 2 of this set and was read already" ;;
    M) want="M.003, offset 32786: volume 3 continues on $work/M.002, which is volume 2 of this set and was read already" ;;
    W) want="W.001, offset 8: volume 1001 continues on volume 1002, whose name $work/W.002 is that of volume 2" ;;
  esac
  for command in list test; do
    check "loop $set $command" 1 timeout 60 "$bin" $command --no-prompt $set.PX
    expect_text "loop $set $command names both volumes" "$work/stderr" "$want"
  done
  check "loop $set join" 1 timeout 60 "$bin" join -q --no-prompt -d out$set $set.PX
  expect_text "loop $set join names both volumes" "$work/stderr" "$want"
  expect_true "loop $set join writes each volume once" [ "$(du -sb out$set | cut -f1)" -le $((3 * 32773 + 4096)) ]
done

# Claimed lengths in large sparse volumes: peak memory stays under 16 MB.
peak() {  # peak NAME WANTED-STATUS COMMAND...
  local name=$1 want=$2
  shift 2
  /usr/bin/time -f %M -o "$work/rss" "$@" >/dev/null 2>"$work/stderr"
  local got=$? kb
  kb=$(tail -n 1 "$work/rss")
  echo "peak memory, $name: $kb KB"
  [ "$got" -eq "$want" ] && pass || { fail "$name: status $got, wanted $want"; cat "$work/stderr"; }
  [ "$kb" -lt 16384 ] && pass || fail "$name: $kb KB"
}
{ header; text_field /d/a; le32 $T; empty_segment; le32 $((0x7fffffff)); } >name.PX
le32 $((0x7fffffff)) >title.PX
{ header; text_field /d/a; le32 $T; printf 'ECS\0'; le32 $((0x7fffffff)); } >segment.PX
for set in name title segment; do
  truncate -s 3G $set.PX
  title_status=0; [ $set = title ] && title_status=1
  peak "$set title" $title_status "$bin" title $set.PX
  peak "$set list" 1 "$bin" list --no-prompt $set.PX
  peak "$set test" 1 "$bin" test --no-prompt $set.PX
  peak "$set join" 1 "$bin" join -q --no-prompt -d out-$set $set.PX
done
check "name length" 1 "$bin" list name.PX
expect_text "names the claim" "$work/stderr" "offset 32: a record claims a name of 2147483647 bytes; no name is longer than 65536"
check "title length" 1 "$bin" title title.PX
expect_text "not a set" "$work/stderr" "Cannot read archive: $work/title.PX is not a Parvex volume set"

# Files that are no set at all.
printf 'Hello, world\n' >notes.txt
printf '\x89PNG\r\n\x1a\n\0\0\0\rIHDR\0\0\1\0' >picture.png
: >empty
for file in notes.txt picture.png empty; do
  for command in title list test join; do
    check "$file $command" 1 "$bin" $command $file
    expect_text "$file $command says so" "$work/stderr" "^parvex-cli: Cannot read archive: $work/$file is not a Parvex volume set$"
  done
done

# A continuation before any file record continues nothing.
{ header; text_field NEXT:DISK002; } >lead.PX
{ chunk_segment; le32 0; } >lead.002
check "leading continuation" 1 "$bin" join -q -d out-lead lead.PX
expect_text "leading continuation is no set" "$work/stderr" "lead.PX is not a Parvex volume set"
expect_true "leading continuation writes nothing" [ ! -e out-lead ]

# A flipped segment magic: join creates no file.
{ header; text_field /d/a; le32 $T; printf 'DCS\0'; le32 0; le32 0; } >flipped.PX
check "flipped magic" 1 "$bin" join -q -d out-flipped flipped.PX
expect_text "flipped magic message" "$work/stderr" "Invalid archive type: $work/flipped.PX, offset 24: no segment begins here"
expect_true "flipped magic creates nothing" [ ! -e out-flipped/a ]

# Stored names and titles that would fake lines or drive the terminal.
esc=$'\033'
{ header $'two\nlines \033[31mred'
  text_field $'/d/x\n          0  2023-01-01 00:00:00  1        /etc/passwd'; le32 $T; empty_segment
  text_field $'/d/\033[2Jbad\377'; le32 $T; empty_segment
  le32 20001; head -c 10000 /dev/zero | tr '\0' x; printf '\0'; head -c 10000 /dev/zero | tr '\0' x; le32 $T; empty_segment
  le32 0; } >names.PX
check "title of names" 0 "$bin" title names.PX
expect_text "title escaped" "$work/stdout" '^two\\nlines \\033\[31mred$'
check "list names" 0 "$bin" list names.PX
expect_true "three files, one summary" [ "$(wc -l <"$work/stdout")" -eq 4 ]
expect_text "newline escaped" "$work/stdout" '/d/x\\n          0  2023-01-01'
expect_text "escape and bad byte escaped" "$work/stdout" '/d/\\033\[2Jbad\\377$'
expect_no_text "no raw escape" "$work/stdout" "$esc"
check "join names" 1 "$bin" join -q -d out-names names.PX
expect_text "join names counts the one passed over" "$work/stdout" "passed over 1 (1 with a warning)$"
expect_text "long name passed over" "$work/stderr" "warning: \"xxxx.*\\.\\.\\.\" passed over: the name holds a NUL byte"
expect_true "warnings stay short" [ "$(wc -c <"$work/stderr")" -lt 600 ]
expect_no_text "no raw escape in warnings" "$work/stderr" "$esc"

finish
