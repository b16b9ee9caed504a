#!/usr/bin/env bash
# parvex-cli end to end on real files: split, title, list, test, join, and the
# exit statuses of the failure cases.
source "$(dirname "$0")/lib.sh" "$1"

mkdir -p src/sub "src/with space"
cp /usr/include/stdio.h /usr/include/stdlib.h src/
head -c 300000 /dev/urandom >src/random.bin
: >src/empty
echo "ünïcödé" >"src/with space/Größe.txt"
cp -r /usr/include/linux/* src/sub/ 2>/dev/null

check "split without its directory" 1 "$bin" split -q -t "a comment" -s 100K -i vol/SET.PX 'src/*' 'src/with space/*' 'src/sub/*.h'
mkdir -p vol
check "split" 0 "$bin" split -q -t "a comment" -s 100K -i vol/SET.PX 'src/*' 'src/with space/*' 'src/sub/*.h'
expect_text "split summary" "$work/stdout" "Wrote"
[ -f vol/SET.002 ] && [ -f vol/FILE002.ID ] && passed=$((passed + 1)) || { failed=$((failed + 1)); echo "FAIL: no second volume"; }
check "title" 0 "$bin" title vol/SET.PX
expect_text "title text" "$work/stdout" "^a comment$"
check "list" 0 "$bin" list vol/SET.PX
expect_text "list sizes" "$work/stdout" "300000 .*random.bin"
expect_text "list spans volumes" "$work/stdout" " 1-[0-9]* *$work/src/random.bin"
check "test" 0 "$bin" test vol/SET.PX
expect_text "test ok" "$work/stdout" "^OK"
check "join" 0 "$bin" join -q -d out vol/SET.PX
for f in stdio.h stdlib.h random.bin empty Größe.txt; do
  src=$(find src -name "$f" | head -1)
  cmp -s "$src" "out/$f" && passed=$((passed + 1)) || { failed=$((failed + 1)); echo "FAIL: $f differs"; }
done
t=$(stat -c %Y src/stdio.h)  # times are kept in two-second steps
[ $((t - t % 2)) -eq "$(stat -c %Y out/stdio.h)" ] && passed=$((passed + 1)) || { failed=$((failed + 1)); echo "FAIL: time"; }
check "join full path" 0 "$bin" join -q -f -d full vol/SET.PX
cmp -s src/random.bin "full$work/src/random.bin" && passed=$((passed + 1)) || { failed=$((failed + 1)); echo "FAIL: full path"; }
check "join no-overwrite" 0 "$bin" join -q -m no-overwrite -d out vol/SET.PX
expect_text "nothing restored" "$work/stdout" "Restored 0 files, passed over"
# A one-volume set written over an older set of several volumes counts its own.
cp -r vol vol-old
check "split over an older set" 0 "$bin" split -q --overwrite vol-old/SET.PX src/stdio.h
expect_text "one volume" "$work/stdout" "^Wrote 1 volume ($work/vol-old/SET.PX): 1 entry,"
check "list the new set" 0 "$bin" list vol-old/SET.PX
expect_text "one volume listed" "$work/stdout" "1 file in 1 volume"

# Failures.
check "usage" 2 "$bin" split
check "bad size" 2 "$bin" split -s 12X vol/B.PX src/empty
check "tiny size" 2 "$bin" split -q -s 50 vol/B.PX src/empty
check "missing file" 1 "$bin" split -q vol/B.PX src/nothing-here
expect_text "names the file" "$work/stderr" "src/nothing-here"
check "bad mode" 2 "$bin" join -m sometimes vol/SET.PX
check "missing set" 1 "$bin" join no/such.PX
mv vol/SET.002 vol/SET.002.away
check "missing volume" 1 "$bin" join -q --no-prompt -d out2 vol/SET.PX </dev/null
expect_text "names the volume" "$work/stderr" "SET.002"
check "list missing volume" 1 "$bin" list --no-prompt vol/SET.PX </dev/null
# On a terminal the absent volume is asked for again until it is there: here
# it comes after the second question (the answers follow the prompts, not a clock).
coproc JOIN { script -qec "'$bin' join -q -d out3 vol/SET.PX" /dev/null; }
join_pid=$JOIN_PID
exec {from_join}<&"${JOIN[0]}" {to_join}>&"${JOIN[1]}"  # they outlive the coprocess
asked=0
while IFS= read -r -d ':' -u "$from_join" chunk; do
  case $chunk in
    *"Please insert disk 2 ("*"SET.002 not found). Enter to retry, q to stop")
      asked=$((asked + 1))
      [ $asked -eq 2 ] && mv vol/SET.002.away vol/SET.002
      printf '\n' >&"$to_join" ;;
  esac
done
wait "$join_pid"
joined=$?
exec {from_join}<&- {to_join}>&-
expect_true "asked twice, then joined (status $joined)" [ $joined -eq 0 -a $asked -eq 2 ]
cmp -s src/random.bin out3/random.bin && pass || fail "joined after the volume came back"
cp vol/SET.PX bad.PX
printf '\xff\xff\xff\x7f' | dd of=bad.PX bs=1 seek=0 conv=notrunc status=none
check "not a set" 1 "$bin" test bad.PX
expect_text "says it is no set" "$work/stderr" "bad.PX is not a Parvex volume set"
cp vol/SET.PX bad.PX
magic_at=$(grep -obUaP 'ECS\x00' bad.PX | head -1 | cut -d: -f1)
printf 'X' | dd of=bad.PX bs=1 seek="$magic_at" conv=notrunc status=none
check "test corrupt" 1 "$bin" test bad.PX
expect_text "names the offset" "$work/stderr" "Invalid archive type: .*bad.PX, offset [0-9]*: no segment begins here"

finish
