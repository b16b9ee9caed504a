#!/usr/bin/env bash
# Builds codec_bench (Release, into build/), runs it and prints one table: per set
# and codec, compression and decompression speed, ratio, and speed relative to
# LZ4, followed by the codec's speed targets. Takes about a minute and a half.
#
# Usage: bench/codec.sh [extra codec_bench arguments, e.g. --benchmark_filter=text/]
# Environment: CODEC_BENCH_REPETITIONS (default 5), CODEC_BENCH_MIN_TIME (seconds
# per repetition, default 0.3). Repetitions of all benchmarks are interleaved, so
# that a change in the machine's load touches every codec alike; the table shows
# the median of the repetitions. The sets come from the files installed on this
# machine, so they change when packages are installed or removed.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/deps python3
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build --target codec_bench -j2 >/dev/null

repetitions="${CODEC_BENCH_REPETITIONS:-5}"
min_time="${CODEC_BENCH_MIN_TIME:-0.3}"
json="$(mktemp --suffix=.json)"
trap 'rm -f "$json"' EXIT

build/bin/codec_bench --benchmark_format=json \
  --benchmark_repetitions="$repetitions" --benchmark_report_aggregates_only=true \
  --benchmark_enable_random_interleaving=true \
  --benchmark_min_time="$min_time" "$@" >"$json"

python3 - "$json" "$repetitions" <<'EOF'
import json
import sys

OURS, REFERENCE, SLOW = "lzrw1kh", "lz4", "zlib1"

with open(sys.argv[1]) as f:
    report = json.load(f)
repetitions = sys.argv[2]

# results[set][codec][direction] = median run. Repetitions run interleaved, so
# the report comes in no useful order: sets and codecs go back into the order in
# which the benchmark registered them.
runs = [run for run in report["benchmarks"]
        if run.get("run_type") != "aggregate" or run.get("aggregate_name") == "median"]
runs.sort(key=lambda run: run.get("family_index", 0))
results = {}
for run in runs:
    set_name, codec, direction = run.get("run_name", run["name"]).split("/")
    results.setdefault(set_name, {}).setdefault(codec, {})[direction] = run


def speed(set_name, codec, direction):
    run = results.get(set_name, {}).get(codec, {}).get(direction)
    return run["bytes_per_second"] / 1e6 if run else None


def show(value, pattern):
    return pattern.format(value) if value is not None else "-"


def relative(set_name, codec, direction):
    mine, theirs = speed(set_name, codec, direction), speed(set_name, REFERENCE, direction)
    return mine / theirs if mine is not None and theirs else None


print(f"Codec speed over 32,773-byte blocks (median of {repetitions} repetitions, CPU time)")
print("MB/s = 10^6 bytes of uncompressed data per second; ratio = compressed / original")
header = f"{'set':<11} {'codec':<8} {'comp MB/s':>10} {'decomp MB/s':>12} {'ratio':>7} {'comp/LZ4':>9} {'decomp/LZ4':>11}"
print()
print(header)
print("-" * len(header))
for set_name, codecs in results.items():
    any_run = next(iter(next(iter(codecs.values())).values()))
    print(f"{set_name} ({int(any_run.get('files', 0))} files, {any_run.get('set_bytes', 0) / 1e6:.1f} MB)")
    for codec, runs in codecs.items():
        ratio = next(iter(runs.values())).get("ratio")
        print(f"{'':<11} {codec:<8} {show(speed(set_name, codec, 'compress'), '{:.1f}'):>10} "
              f"{show(speed(set_name, codec, 'decompress'), '{:.1f}'):>12} {show(ratio, '{:.4f}'):>7} "
              f"{show(relative(set_name, codec, 'compress'), '{:.2f}x'):>9} "
              f"{show(relative(set_name, codec, 'decompress'), '{:.2f}x'):>11}")

print()
print("Targets")
targets = [("text", "compress", 0.6), ("binaries", "compress", 0.5),
           ("text", "decompress", 0.5), ("binaries", "decompress", 0.5)]
for set_name, direction, floor in targets:
    value = relative(set_name, OURS, direction)
    verdict = "not measured" if value is None else ("met" if value >= floor else "MISSED")
    print(f"  {set_name}: {OURS} {direction} >= {floor}x LZ4: {show(value, '{:.2f}x')} {verdict}")
# Data that does not compress still costs a whole coder pass (the stored form
# is chosen only at the end), so it has a floor of its own, on one core.
FLOOR = 600
value = speed("compressed", OURS, "compress")
verdict = "not measured" if value is None else ("met" if value >= FLOOR else "MISSED")
print(f"  compressed: {OURS} compress >= {FLOOR} MB/s: {show(value, '{:.1f} MB/s')} {verdict}")
for set_name in results:
    for direction in ("compress", "decompress"):
        mine, slow = speed(set_name, OURS, direction), speed(set_name, SLOW, direction)
        if mine is None or slow is None:
            verdict = "not measured"
        else:
            verdict = f"{mine:.1f} vs {slow:.1f} MB/s " + ("met" if mine > slow else "MISSED")
        print(f"  {set_name}: {OURS} {direction} faster than {SLOW}: {verdict}")
EOF
exit 0
