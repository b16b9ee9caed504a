#!/usr/bin/env bash
# Times parvex-cli's split and join against the tools users know, side by side
# on this machine's own files, and checks that every round trip restores
# identical files.
# Usage: bench/compare.sh WORKDIR [RUNS]   (WORKDIR gets the corpora and outputs)
set -euo pipefail
cd "$(dirname "$0")/.."
[ $# -ge 1 ] || { echo "usage: bench/compare.sh WORKDIR [RUNS]" >&2; exit 2; }
scripts/deps time zip unzip 7zip lz4 zstd gzip tar coreutils python3
scripts/build --target parvex-cli >/dev/null
exec python3 bench/compare.py --bin build/bin/parvex-cli --work "$1" --runs "${2:-3}"
