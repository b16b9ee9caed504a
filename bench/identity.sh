#!/usr/bin/env bash
# Shows that a change to the engine's speed changes nothing it writes: splits
# the benchmark's corpora with two builds of parvex-cli (before and after) and
# with 1, 2 and 8 threads, and compares every volume byte for byte and every
# restored tree with its source.
# Usage: bench/identity.sh BEFORE_CLI AFTER_CLI WORKDIR   (WORKDIR holds compare.py's corpora)
set -euo pipefail
[ $# -eq 3 ] || { echo "usage: bench/identity.sh BEFORE_CLI AFTER_CLI WORKDIR" >&2; exit 2; }
before=$(realpath "$1") after=$(realpath "$2") work=$(realpath "$3")
cd "$(dirname "$0")/.."
python3 -c "import sys; sys.path.insert(0, 'bench'); import compare; compare.build_corpora('$work')"
out="$work/identity"
status=0
for corpus in tree file compressed; do
  src="$work/corpus-$corpus"
  rm -rf "$out" && mkdir -p "$out"
  find "$src" -type f | sort > "$out/list"
  # Small volumes, so that many continuations and volume changes are compared too.
  for build in before after; do
    cli=${!build}
    for threads in 1 2 8; do
      mkdir "$out/$build-$threads"
      "$cli" split -q --threads "$threads" -s 7M -t "identity" -T "$out/list" "$out/$build-$threads/SET.PX" |
        sed "s|$out/$build-$threads/||g" > "$out/$build-$threads.said"
    done
  done
  reference="$out/before-1"
  for run in before-2 before-8 after-1 after-2 after-8; do
    if ! diff -r "$reference" "$out/$run" > /dev/null || ! cmp -s "$out/before-1.said" "$out/$run.said"; then
      echo "DIFFERENT: $corpus, $run against before-1"
      status=1
    fi
  done
  volumes=$(ls "$reference" | wc -l)
  bytes=$(du -sb "$reference" | cut -f1)
  for threads in 1 2 8; do
    "$after" join -q --threads "$threads" -f -d "$out/restored-$threads" "$reference/SET.PX" > /dev/null
    if ! diff -r "$src" "$out/restored-$threads$src" > /dev/null; then
      echo "DIFFERENT: $corpus restored with $threads threads"
      status=1
    fi
  done
  echo "$corpus: $volumes volumes, $bytes bytes, identical for both builds and 1, 2 and 8 threads; restored intact"
  rm -rf "$out"
done
exit $status
