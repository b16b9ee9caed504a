#!/usr/bin/env bash
# Writes the fuzzers' seed corpora from small sets that parvex-cli writes.
# Usage: tests/fuzz/make_corpus.sh build/bin
set -euo pipefail
bin="$(cd "$1" && pwd)/parvex-cli"
here="$(cd "$(dirname "$0")" && pwd)"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"
printf 'hello hello hello, a small text file\n' >a.txt
: >empty
head -c 3000 /dev/zero | tr '\0' 'x' >runs
head -c 40000 /dev/urandom >random
cp "$here/../../engine/backup.cpp" text.txt
"$bin" split -q -t seed one.PX a.txt empty runs text.txt
"$bin" split -q -s 200 multi.PX a.txt random runs
rm -rf "$here/corpus" && mkdir -p "$here/corpus"/{set,decompress,roundtrip}
cp one.PX "$here/corpus/set/one"
{ cat multi.PX; for v in multi.0*; do printf -- '--PXVOL--'; cat "$v"; done; } >"$here/corpus/set/multi"
head -c 300 one.PX >"$here/corpus/set/truncated"
cp a.txt runs text.txt "$here/corpus/roundtrip/"
# The blocks of the one-volume set, one file each.
python3 - one.PX "$here/corpus/decompress" <<'PY'
import struct, sys
data = open(sys.argv[1], 'rb').read()
i = 0
(n,) = struct.unpack_from('<i', data, i); i += 4 + n + 8
k = 0
while True:
    (n,) = struct.unpack_from('<i', data, i); i += 4
    if n == 0: break
    i += n + 4
    if data[i:i+4] != b'ECS\0': continue
    (s,) = struct.unpack_from('<i', data, i + 4); i += 8
    end = i + s
    while i < end:
        (b,) = struct.unpack_from('<i', data, i); i += 4
        open(f'{sys.argv[2]}/block{k}', 'wb').write(data[i:i+b]); k += 1
        i += b
PY
# A set whose second volume continues on itself.
python3 - "$here/corpus/set/loop" <<'PY'
import struct, sys
def text(s): return struct.pack('<i', len(s)) + s
block = b'\x80' + b'a' * 20
segment = b'ECS\0' + struct.pack('<ii', 4 + len(block), len(block)) + block
first = text(b'') + struct.pack('<ii', 0, 1) + text(b'/d/f') + struct.pack('<I', 0x56A47000) + segment
open(sys.argv[1], 'wb').write(first + text(b'NEXT:DISK002') + b'--PXVOL--' + segment + text(b'NEXT:DISK002'))
PY
