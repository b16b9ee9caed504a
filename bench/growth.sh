#!/usr/bin/env bash
# Times parvex-cli's split and join as the work grows: files of 1, 4 and 8 GB,
# trees of 1,000 to 100,000 small files, a set of 1,001 volumes; time per MB or
# per file and peak memory for each. Needs about 3 times the largest file free.
# Usage: bench/growth.sh WORKDIR [growth.py options, e.g. --files-gb 1,4 --trees 1000]
set -euo pipefail
cd "$(dirname "$0")/.."
[ $# -ge 1 ] || { echo "usage: bench/growth.sh WORKDIR [options]" >&2; exit 2; }
scripts/deps time diffutils findutils python3
scripts/build --target parvex-cli >/dev/null
exec python3 bench/growth.py --bin build/bin/parvex-cli --work "$1" "${@:2}"
