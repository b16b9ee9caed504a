#!/usr/bin/env bash
# parvex-cli never passes an incomplete file off as whole: after each kind of
# cut (a stop, a full disk, a missing end record, a missing volume declined at
# the prompt or refused by --no-prompt) the file is named, counted apart, not
# given the stored time, the status is not 0, and a second join with -m newer
# repairs it. Also the command line's edges: a source that changes while
# stored, -T lists with CRLF ends and blanks, the --threads bound, -s 1, times
# from 2043 on in newer mode, and singular and plural in the summaries.
source "$(dirname "$0")/lib.sh" "$1"

mkdir src
head -c 1000 /dev/urandom >src/a
head -c 3000000 /dev/urandom >src/b
touch -d '2020-05-04 14:00:00' src/a src/b
check "split" 0 "$bin" split -q -s 1M S.PX src/a src/b
expect_true "three volumes" [ -e S.003 ] && [ ! -e S.004 ]
stored=$(stat -c %Y src/b)

# expect_cut NAME STATUS SUMMARY: b incomplete after the join into out/, a whole;
# then -m newer takes b again and nothing else.
expect_cut() {
  local name=$1 want=$2 summary=$3 size
  expect_true "$name: status $want" [ "$status" -eq "$want" ]
  expect_text "$name: summary" "$work/stdout" "$summary"
  size=$(stat -c %s out/b)
  expect_text "$name: names the file" "$work/stderr" "warning: \"$work/out/b\" is incomplete: only its first $size bytes were restored"
  cmp -s -n "$size" src/b out/b && [ "$size" -lt 3000000 ] && pass || fail "$name: out/b is not the start of src/b"
  expect_true "$name: no stored time on it" [ "$(stat -c %Y out/b)" -ne "$stored" ]
  expect_true "$name: a whole, with its time" [ "$(stat -c %Y out/a)" -eq "$stored" ]
  check "$name: repair" 0 "$bin" join -q -m newer -d out S.PX
  expect_text "$name: only b again" "$work/stdout" "^Restored 1 file, passed over 1$"
  cmp -s src/b out/b && pass || fail "$name: b not repaired"
  expect_true "$name: repaired b has its time" [ "$(stat -c %Y out/b)" -eq "$stored" ]
  rm -rf out
}
run() { "$@" >"$work/stdout" 2>"$work/stderr"; status=$?; }

# Stopped by a signal at its second write (a's data is the first).
run strace -f -qq -o /dev/null -e trace=write -e inject=write:signal=TERM:when=2 "$bin" join -q -d out S.PX
expect_cut "stopped" 3 "^Stopped after restoring 1 file and 1 incomplete file$"

# A full disk: every file may hold 2,000,000 bytes (SIGXFSZ ignored, so the
# write fails as on a full disk).
run bash -c 'trap "" XFSZ; exec prlimit --fsize=2000000 "$@"' _ "$bin" join -q -d out S.PX
expect_text "disk full: the error names the file" "$work/stderr" "^parvex-cli: Cannot read file: $work/out/b: File too large"
expect_text "disk full: what was done before" "$work/stdout" "^Restored 1 file before the error:$"
expect_text "disk full: names it" "$work/stdout" "^  $work/out/a$"
expect_cut "disk full" 1 ""

# The end record missing: the last volume cut short.
mkdir cut && cp S.* cut/ && truncate -s -5000 cut/S.003
run "$bin" join -q -d out cut/S.PX
expect_text "no end record: says so" "$work/stderr" "the set ends without its end record"
expect_cut "no end record" 1 "^Restored 1 file and 1 incomplete file from a set that was not completed$"

# A volume missing: refused by --no-prompt, then declined at the prompt.
mv S.003 S.003.away
run "$bin" join -q --no-prompt -d out S.PX
expect_text "missing volume: the error" "$work/stderr" "volume 3 is missing"
mv S.003.away S.003
expect_cut "missing volume" 1 "^Restored 1 file before the error:$"
mv S.003 S.003.away
printf 'q\n' >"$work/answer"
run script -qec "'$bin' join -q -d out S.PX" /dev/null <"$work/answer"
mv S.003.away S.003
cp "$work/stdout" "$work/stderr"  # the terminal took both
expect_text "declined: asked" "$work/stdout" "Please insert disk 3"
expect_cut "declined" 3 "Stopped after restoring 1 file and 1 incomplete file"

# A source that yields less than its size (sysfs announces 4096 bytes for a
# few): stored as far as it was read, named, status 1, the set sound.
short=$(find /sys/kernel /sys/module/*/parameters -maxdepth 1 -type f -readable -size 4k 2>/dev/null | head -1)
if [ -n "$short" ]; then
  check "changing source" 1 "$bin" split -q C.PX "$short" src/a
  expect_text "changing source named" "$work/stderr" "warning: \"$short\" changed while being stored: the set holds the [0-9]* bytes read of it"
  expect_text "changing source counted" "$work/stdout" "; 1 file changed while being stored$"
  check "changing source: the set is sound" 0 "$bin" test C.PX
else
  echo "no sysfs file that announces more than it holds: the changing source is tried by the engine tests only"
fi

# -T lists: CRLF line ends, blank lines, blanks around names.
printf '%s\r\n\r\n  %s  \r\n\t\r\n%s\n' "$work/src/a" "$work/src/b" "src/a" >list.txt
check "CRLF list" 0 "$bin" split -q -T list.txt T.PX
check "CRLF list: list" 0 "$bin" list T.PX
expect_text "CRLF list: three entries" "$work/stdout" "3 files in 1 volume"
expect_no_text "CRLF list: no CR kept" "$work/stdout" $'\r'
check "help tells how to store a name with blanks" 0 "$bin" split --help
expect_text "help text" "$work/stdout" "put ? for it"

# --threads beyond the bound is a usage error before anything is written.
check "split --threads" 2 "$bin" split -q --threads 100000 X.PX src/a
expect_text "split --threads says the bound" "$work/stderr" "^parvex-cli: --threads 100000: at most [0-9]* on this machine"
expect_true "nothing written" [ ! -e X.PX ]
check "join --threads" 2 "$bin" join -q --threads 100000 -d x S.PX
expect_true "nothing restored" [ ! -e x ]
check "-s 1" 2 "$bin" split -q -s 1 X.PX src/a
expect_true "-s 1 wrote nothing" [ ! -e X.PX ]

# Times from 2044 on compare as the dates they are in newer mode.
mkdir times
for year in 2030 2043 2044 2050 2100; do echo "$year" >"times/f$year"; touch -d "$year-06-01 12:00:00" "times/f$year"; done
check "split times" 0 "$bin" split -q Y.PX times/f2030 times/f2043 times/f2044 times/f2050 times/f2100
# Targets: each stored file meets one a little older, or newer, than itself.
mkdir tout
for pair in 2030:2050 2043:2044 2044:2043 2050:2030 2100:2044; do
  stored_year=${pair%%:*} target_year=${pair##*:}
  echo old >"tout/f$stored_year"
  touch -d "$target_year-06-01 12:00:00" "tout/f$stored_year"
done
check "newer across 2044" 0 "$bin" join -q -m newer -d tout Y.PX
for pair in 2030:old 2043:old 2044:2044 2050:2050 2100:2100; do
  expect_true "newer: f${pair%%:*} holds ${pair##*:}" [ "$(cat "tout/f${pair%%:*}")" = "${pair##*:}" ]
done

# Singular and plural.
check "one of each" 0 "$bin" split -q O.PX src/a
expect_text "split summary" "$work/stdout" "^Wrote 1 volume ($work/O.PX): 1 entry,"
check "list one" 0 "$bin" list O.PX
expect_text "list summary" "$work/stdout" " 1 file in 1 volume ("
check "test one" 0 "$bin" test O.PX
expect_text "test summary" "$work/stdout" "^OK: 1 file in 1 volume$"
check "join one" 0 "$bin" join -q -d one O.PX
expect_text "join summary" "$work/stdout" "^Restored 1 file$"

finish
