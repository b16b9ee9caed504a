#!/usr/bin/env bash
# The progress line of test and list on a terminal (through script(1)): drawn
# for test and for list of a set of several volumes, not for list of one
# volume, never with -q, never when stderr is not a terminal; what goes to
# stdout (the list's lines, a JSON document) stays whole.
source "$(dirname "$0")/lib.sh" "$1"

mkdir -p src vol
head -c 400000 /dev/urandom >src/random.bin
printf 'x\n' >src/small.txt
"$bin" split -q -s 100K vol/MANY.PX src/random.bin src/small.txt >/dev/null
"$bin" split -q vol/ONE.PX src/small.txt >/dev/null
[ -f vol/MANY.004 ] && pass || fail "no set of several volumes"

on_tty() {  # on_tty COMMAND-LINE: runs it with stdin, stdout and stderr on a terminal
  script -qec "$1" /dev/null </dev/null >tty.out 2>&1
}
has_progress() { grep -q $'\r\[[#.]*\] *[0-9]*%' "$1"; }
no_progress() { ! has_progress "$1"; }
no_carriage_return() { ! grep -q $'\r' "$1"; }

on_tty "'$bin' test vol/MANY.PX"
expect_true "test draws its progress" has_progress tty.out
expect_text "test still reports" tty.out "OK: 2 files in 4 volumes"
on_tty "'$bin' test vol/ONE.PX"
expect_true "test of one volume too" has_progress tty.out
on_tty "'$bin' test -q vol/MANY.PX"
expect_true "test -q: none" no_progress tty.out

on_tty "'$bin' list vol/MANY.PX"
expect_true "list of several volumes draws it" has_progress tty.out
"$bin" list vol/MANY.PX >plain.txt
while IFS= read -r line; do  # each line of the list arrives whole, progress or not
  grep -qF -- "$line" tty.out && pass || fail "list line broken on the terminal: $line"
done <plain.txt
on_tty "'$bin' list vol/ONE.PX"
expect_true "list of one volume: none" no_progress tty.out
on_tty "'$bin' list --quiet vol/MANY.PX"
expect_true "list --quiet: none" no_progress tty.out

# stderr elsewhere: nothing of it, wherever it would have gone.
on_tty "'$bin' test vol/MANY.PX 2>err.txt"
expect_true "stderr to a file: not on the terminal" no_progress tty.out
expect_true "stderr to a file: not in the file" no_carriage_return err.txt
check "stderr not a terminal at all" 0 "$bin" test vol/MANY.PX
expect_no_text "nothing in stderr" "$work/stderr" $'\r'

# A JSON document to a file while the progress shows on the terminal.
on_tty "'$bin' test --json vol/MANY.PX >doc.json"
expect_true "json: progress on the terminal" has_progress tty.out
check "json: the document whole" 0 python3 -c '
import json, sys
d = json.load(open(sys.argv[1]))
assert d["completed"] and len(d["volumes"]) == 4' doc.json

finish
