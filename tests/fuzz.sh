#!/usr/bin/env bash
# Builds the libFuzzer targets with clang in fuzz-build/ and runs each for
# SECONDS (default 60), starting from the committed seed corpora.
# Usage: tests/fuzz.sh [SECONDS]
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-60}
scripts/deps clang libclang-rt-14-dev
cmake -S . -B fuzz-build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
      -DCMAKE_CXX_COMPILER=clang++ -DPARVEX_FUZZ=ON >/dev/null
cmake --build fuzz-build
for target in decompress_fuzzer roundtrip_fuzzer set_fuzzer; do
  corpus=$(mktemp -d)
  cp -r "tests/fuzz/corpus/${target%_fuzzer}/." "$corpus/" 2>/dev/null || true
  echo "== $target for ${seconds}s"
  # New inputs go to a scratch copy, so the committed corpus stays as it is.
  log=$(mktemp)
  status=0
  fuzz-build/bin/$target -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -malloc_limit_mb=64 \
      -max_len=200000 -print_final_stats=1 "$corpus" >"$log" 2>&1 || status=$?
  grep -E '^(Done|stat::number_of_executed_units|stat::peak_rss_mb)' "$log" || true
  if [ "$status" -ne 0 ]; then tail -n 60 "$log"; echo "$target failed"; exit 1; fi
  rm -rf "$corpus" "$log"
done
echo "fuzzers: 3 passed, 0 failed"
