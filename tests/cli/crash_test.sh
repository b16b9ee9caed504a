#!/usr/bin/env bash
# Splits that die: killed with SIGKILL at twenty points of their writing (at a
# chosen write or pwrite64, through strace's fault injection, so that the
# points do not depend on timing), each followed by list, test and join, which
# must restore every block that reached the disk; SIGTERM and SIGHUP, which
# stop a split or a join as Ctrl-C does; and join --salvage on a set that an
# older version left unfinished.
source "$(dirname "$0")/lib.sh" "$1"

if ! strace -f -qq -o /dev/null true 2>/dev/null; then
  echo "strace cannot trace processes here: the kill points are not tested"
  fail "no strace"
  finish
  exit
fi

mkdir src set
head -c 4500000 /dev/urandom >src/a
head -c 40000 /dev/urandom >src/b
head -c 3500000 /dev/urandom >src/c
: >src/e
head -c 3000000 /dev/urandom >src/d
files=(a b c e d)
split=("$bin" split -q -s 2500K set/K.PX src/a src/b src/c src/e src/d)
total_in=$((4500000 + 40000 + 3500000 + 3000000))

# Every block record wholly on disk is restored; what is not restored is the
# records and heads around the blocks, 5 bytes a block, and at most one block
# cut off by the kill.
overhead() {  # overhead VOLUME-BYTES
  echo $((12 + 5 * (4 + ${#work} + 6 + 4) + 8 * 5 * 5 + 16 * 5 + 5 * ($1 / 32778 + 2) + 32782))
}
on_disk() { cat set/K.* 2>/dev/null | wc -c; }
restored() {  # restored DIR: bytes restored, after checking each file against its source
  local dir=$1 sum=0 f size
  for f in "${files[@]}"; do
    [ -e "$dir/$f" ] || continue
    size=$(stat -c %s "$dir/$f")
    cmp -s -n "$size" "src/$f" "$dir/$f" || fail "$dir/$f is not the start of src/$f"
    sum=$((sum + size))
  done
  echo "$sum"
}

strace -f -qq -e trace=write,pwrite64 -o "$work/calls" "${split[@]}" >/dev/null || fail "split under strace"
writes=$(grep -c ' write(' "$work/calls")
pwrites=$(grep -c ' pwrite64(' "$work/calls")
echo "a whole split makes $writes writes and $pwrites pwrite64 calls"
[ "$writes" -ge 12 ] && [ "$pwrites" -ge 8 ] || fail "too few calls to kill at"
points=()
for i in $(seq 0 11); do points+=("write:$((1 + i * (writes - 1) / 11))"); done
for i in $(seq 0 7); do points+=("pwrite64:$((1 + i * (pwrites - 1) / 7))"); done

for point in "${points[@]}"; do
  call=${point%%:*} n=${point##*:}
  rm -rf set out && mkdir set
  # In a subshell, so that no shell reports the kill.
  (strace -f -qq -o /dev/null -e trace="$call" -e inject="$call":signal=KILL:when="$n" "${split[@]}" >/dev/null; exit $?) 2>/dev/null
  status=$?
  disk=$(on_disk)
  if [ "$(stat -c %s set/K.PX)" -lt 12 ]; then
    check "$point: nothing on disk yet" 1 "$bin" list set/K.PX
    expect_text "$point: says so" "$work/stderr" "is not a Parvex volume set"
    echo "kill at $call #$n: $disk bytes on disk, no set yet"
    continue
  fi
  check "$point: list" 0 "$bin" list --no-prompt set/K.PX
  "$bin" test --no-prompt set/K.PX >"$work/stdout" 2>"$work/tested"
  tested=$?
  # A set that was not completed restores what it holds, and says so with status 1.
  check "$point: join" $((tested == 0 ? 0 : 1)) "$bin" join -q --no-prompt -d out set/K.PX
  got=$(restored out)
  # Killed after its last volume was closed, the set is complete; before, test says it is not.
  if [ $tested -eq 0 ]; then
    expect_true "$point: a set that passes its test is whole" [ "$got" -eq $total_in ]
  else
    expect_text "$point: test says the set was not completed" "$work/tested" "the set was not completed: "
  fi
  echo "kill at $call #$n (status $status): $disk bytes of volumes on disk, $got bytes restored"
  expect_true "$point: every block on disk restored ($disk on disk, $got restored)" \
    [ $((disk - got)) -le "$(overhead "$disk")" -a "$got" -le $total_in ]
done

# SIGTERM and SIGHUP stop a split as Ctrl-C does, and leave a readable set.
for signal in TERM HUP; do
  rm -rf set out && mkdir set
  check "split stopped by SIG$signal" 3 strace -f -qq -o /dev/null -e trace=write -e inject=write:signal=$signal:when=3 "${split[@]}"
  expect_text "SIG$signal: stopped" "$work/stdout" "^Stopped after writing"
  check "SIG$signal: list" 0 "$bin" list set/K.PX
  check "SIG$signal: test" 1 "$bin" test set/K.PX
  expect_text "SIG$signal: not completed" "$work/stderr" "the set was not completed: .*/set/K.[P0-9][X0-9]* ends after the data of"
  check "SIG$signal: join" 1 "$bin" join -q -d out set/K.PX
  expect_text "SIG$signal: join says the set was not completed" "$work/stdout" "from a set that was not completed$"
  got=$(restored out)
  expect_true "SIG$signal: restored what was written ($got bytes)" [ "$got" -ge 2000000 ]
done
# ... and a join.
"${split[@]}" >/dev/null
rm -rf out
check "join stopped by SIGTERM" 3 strace -f -qq -o /dev/null -e trace=write -e inject=write:signal=TERM:when=2 "$bin" join -q -d out set/K.PX
expect_text "join: stopped" "$work/stdout" "^Stopped after restoring 0 files and 1 incomplete file"
expect_text "join: names the incomplete file" "$work/stderr" "warning: \"$work/out/a\" is incomplete: only its first [0-9]* bytes were restored"
restored out >/dev/null

# A set left unfinished by an older version: the segment claims more than the
# volume holds, and damage follows its blocks.
{ header; text_field /d/a; le32 $T; printf 'ECS\0'; le32 $((10 << 20)); block; block; head -c 5000 /dev/zero | tr '\0' G; } >old.PX
check "old set: test" 1 "$bin" test old.PX
expect_text "old set: test says what and where" "$work/stderr" \
  "offset 24: the segment of /d/a claims 10485760 bytes, but the volume holds only 70556 after its head; join --salvage restores what its blocks hold"
check "old set: join" 1 "$bin" join -q -d out-old old.PX
check "old set: join --salvage" 1 "$bin" join -q --salvage -d out-old old.PX
expect_text "old set: salvage warns" "$work/stderr" "warning: $work/old.PX, offset 65588: salvage stopped here: no block begins here"
expect_text "old set: salvaged" "$work/stdout" "^Restored 0 files and 1 incomplete file (salvaged)"
expect_true "old set: two blocks restored" [ "$(stat -c %s out-old/a)" -eq $((2 * 32773)) ]

finish
