# Shared by the command-line tests: the program under test, a scratch
# directory removed at exit, checks that count passes and failures, and
# helpers that write volume-set fields byte by byte.
# Usage (in a test): source "$(dirname "$0")/lib.sh" "$1"
set -u
bin="$(cd "$1" && pwd)/parvex-cli"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work" || exit 1
passed=0 failed=0

pass() { passed=$((passed + 1)); }
fail() { failed=$((failed + 1)); echo "FAIL: $*"; }
check() {  # check NAME EXPECTED-STATUS COMMAND...
  local name=$1 want=$2
  shift 2
  "$@" >"$work/stdout" 2>"$work/stderr"
  local got=$?
  if [ "$got" -eq "$want" ]; then pass; else
    fail "$name: status $got, wanted $want"; cat "$work/stdout" "$work/stderr"; fi
}
expect_text() {  # expect_text NAME FILE PATTERN
  if grep -q -- "$3" "$2"; then pass; else fail "$1: no '$3' in:"; cat "$2"; fi
}
expect_no_text() {  # expect_no_text NAME FILE PATTERN
  if grep -q -- "$3" "$2"; then fail "$1: '$3' in:"; cat "$2"; else pass; fi
}
expect_true() {  # expect_true NAME COMMAND...
  local name=$1
  shift
  if "$@"; then pass; else fail "$name"; fi
}
finish() {
  echo "$passed passed, $failed failed"
  [ "$failed" -eq 0 ]
}

# Volume fields: a 32-bit little-endian number, a text field (length, bytes).
le32() { printf "\\x$(printf %02x $(($1 & 255)))\\x$(printf %02x $((($1 >> 8) & 255)))\\x$(printf %02x $((($1 >> 16) & 255)))\\x$(printf %02x $((($1 >> 24) & 255)))"; }
text_field() { le32 "$(printf %s "$1" | wc -c)"; printf %s "$1"; }
empty_segment() { printf 'ECS\0'; le32 0; }
T=$((0x56A47000))  # a file time
header() { text_field "${1:-}"; le32 0; le32 1; }  # a first volume's header, with its title
block() { le32 32774; printf '\x80'; head -c 32773 /dev/zero; }  # one whole chunk, stored
chunk_segment() { printf 'ECS\0'; le32 32778; block; }
