#!/usr/bin/env bash
# parvex-cli sysinfo end to end: every property in order on this machine, one
# drive, JSON, a made-up machine given with --root, and bad drive letters.
set -u
bin="$(cd "$1" && pwd)/parvex-cli"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
passed=0 failed=0
check() {  # check NAME EXPECTED-STATUS COMMAND...
  local name=$1 want=$2
  shift 2
  "$@" >"$work/stdout" 2>"$work/stderr"
  local got=$?
  if [ "$got" -eq "$want" ]; then passed=$((passed + 1)); else
    failed=$((failed + 1)); echo "FAIL: $name: status $got, wanted $want"; cat "$work/stdout" "$work/stderr"; fi
}
expect_text() {  # expect_text NAME FILE PATTERN
  if grep -q -- "$3" "$2"; then passed=$((passed + 1)); else
    failed=$((failed + 1)); echo "FAIL: $1: no '$3' in:"; cat "$2"; fi
}
expect_count() {  # expect_count NAME FILE PATTERN COUNT
  local got
  got=$(grep -c -- "$3" "$2")
  if [ "$got" -eq "$4" ]; then passed=$((passed + 1)); else
    failed=$((failed + 1)); echo "FAIL: $1: '$3' $got times, wanted $4"; fi
}

check "this machine" 0 "$bin" sysinfo
expect_text "first line" "$work/stdout" "^About = "
expect_text "kernel" "$work/stdout" "^osMajorVersion = $(uname -r | cut -d. -f1)$"
expect_text "no screen" "$work/stdout" "^dsScreenWidth = 0$"
expect_text "root drive" "$work/stdout" "^diMountPoint = /$"
drives=$(sed -n 's/^diAvailableDisks = //p' "$work/stdout")
expect_count "a block per drive" "$work/stdout" "^diSign = " "${#drives}"
expect_count "each property once" "$work/stdout" "^miTotalPhys = " 1
[ -n "$drives" ] && passed=$((passed + 1)) || { failed=$((failed + 1)); echo "FAIL: no drives"; }

check "one drive" 0 "$bin" sysinfo --drive c
expect_count "one block" "$work/stdout" "^diSign = " 1
expect_text "upper case" "$work/stdout" "^diSign = C$"
check "json" 0 "$bin" sysinfo --json
expect_text "json drives" "$work/stdout" '^  "drives": \[$'
cp "$work/stdout" "$work/json"
if command -v python3 >/dev/null; then
  check "json parses" 0 python3 -c 'import json,sys; d=json.load(sys.stdin); assert d["drives"][0]["diSign"]=="C"; assert isinstance(d["miTotalPhys"], int)' <"$work/json"
fi

check "not a letter" 2 "$bin" sysinfo --drive 7
expect_text "says why" "$work/stderr" "'7' is not a drive letter"
check "two letters" 2 "$bin" sysinfo --drive CD

# A made-up machine: one disk, a share, 24 GiB of memory.
fake="$work/fake"
mkdir -p "$fake/proc/self" "$fake/proc/sys/kernel" "$fake/etc" "$fake/mnt/share"
printf 'x86_64\n' >"$fake/proc/sys/kernel/arch"
printf '5.10.0-1\n' >"$fake/proc/sys/kernel/osrelease"
printf 'MemTotal: 25165824 kB\nMemAvailable: 12582912 kB\nSwapTotal: 0 kB\nSwapFree: 0 kB\n' >"$fake/proc/meminfo"
printf 'PRETTY_NAME="Made Up 1"\n' >"$fake/etc/os-release"
printf '26 1 0:90 / / rw - tmpfs rootfs rw\n44 26 0:91 / /mnt/share rw - cifs //server/share rw\n' \
  >"$fake/proc/self/mountinfo"
check "made-up machine" 0 "$bin" sysinfo --root "$fake"
expect_text "memory" "$work/stdout" "^miTotalPhys = 25769803776$"
expect_text "free" "$work/stdout" "^miFreeMem = 50$"
expect_text "version" "$work/stdout" "^osVersionName = Made Up 1$"
expect_text "release" "$work/stdout" "^osMinorVersion = 10$"
expect_text "drives" "$work/stdout" "^diAvailableDisks = CD$"
expect_text "root on tmpfs" "$work/stdout" "^diMediaType = 6$"
expect_text "the share" "$work/stdout" "^diMediaType = 4$"
check "no such drive" 1 "$bin" sysinfo --root "$fake" --drive Q
expect_text "names the drives" "$work/stderr" "there is no drive Q: here (drives: CD)"

echo "sysinfo: $passed passed, $failed failed"
[ "$failed" -eq 0 ]
