#!/usr/bin/env bash
# list --json and test --json: the document parsed back and compared with the
# text of list and with the files on disk; the first fault of a damaged set
# with its volume and offset; a set that was not completed; a missing volume.
source "$(dirname "$0")/lib.sh" "$1"

mkdir -p src vol
head -c 300000 /dev/urandom >src/random.bin
printf 'a line\n%.0s' {1..5000} >"src/text with space.txt"
: >src/empty
printf 'odd\n' >"src/ctl$(printf '\033')name"  # a name that list shows escaped
printf 'ünï\n' >"src/ünïcödé.txt"
check "split" 0 "$bin" split -q -t 'comment "quoted" \ and ünï' -s 100K vol/SET.PX 'src/*'

# The text of list, rebuilt from the JSON, is the text list prints; the JSON
# names are the real names, not their escaped form.
check "list" 0 "$bin" list vol/SET.PX
cp "$work/stdout" list.txt
check "list --json" 0 "$bin" list --json vol/SET.PX
cp "$work/stdout" list.json
check "list --json parsed and compared with list" 0 python3 - "$work" <<'EOF'
import json, os, sys
work = sys.argv[1]
doc = json.load(open(f"{work}/list.json"))
lines = open(f"{work}/list.txt", encoding="utf-8").read().splitlines()
files, summary = lines[:-1], lines[-1]
assert doc["archive"] == f"{work}/vol/SET.PX", doc["archive"]
assert doc["comment"] == 'comment "quoted" \\ and ünï', doc["comment"]
assert len(doc["files"]) == len(files) == 5, (len(doc["files"]), len(files))
for f, line in zip(doc["files"], files):
    v = f["volumes"]
    assert v == list(range(v[0], v[-1] + 1)), v
    shown = f["name"].replace("\033", "\\033")
    text = "%14d  %s  %-7s  %s" % (f["size"], f["time"].replace("T", " "),
                                   str(v[0]) if len(v) == 1 else f"{v[0]}-{v[-1]}", shown)
    assert text == line, (text, line)
    assert f["complete"] is True
    assert os.path.getsize(f["name"]) == f["size"], f["name"]
names = [f["name"] for f in doc["files"]]
assert names == sorted(f"{work}/src/" + n for n in os.listdir(f"{work}/src")), names
assert summary.split()[0] == str(doc["dataBytes"]), summary
assert f"{doc['fileCount']} files in {len(doc['volumes'])} volumes ({doc['storedBytes']} bytes stored)" in summary
vols = doc["volumes"]
assert [v["number"] for v in vols] == list(range(1, len(vols) + 1)) and len(vols) >= 3, vols
assert vols[1]["name"] == f"{work}/vol/SET.002"
assert all(os.path.getsize(v["name"]) == v["size"] for v in vols)
assert sum(v["size"] for v in vols) == doc["storedBytes"]
assert doc["completed"] is True and doc["stopped"] is False and doc["fault"] is None and doc["endNote"] is None
assert doc["verified"] is False
EOF

check "test --json of a whole set" 0 "$bin" test --json vol/SET.PX
cp "$work/stdout" doc.json
check "whole set" 0 python3 -c '
import json, sys
d = json.load(open(sys.argv[1]))
assert d["verified"] and d["completed"] and d["fault"] is None, d
assert len(d["files"]) == 5' doc.json

# Damage: volume 2 starts with the segment that continues random.bin; its
# first block length (offset 8) is made to claim more than the segment.
fault_at() {  # fault_at NAME JSON-FILE VOLUME OFFSET
  check "$1" 0 python3 -c '
import json, sys
d = json.load(open(sys.argv[1]))
f = d["fault"]
assert f is not None and not d["completed"], d
assert f["volume"] == int(sys.argv[2]), f
assert f["offset"] == (None if sys.argv[3] == "null" else int(sys.argv[3])), f
assert f["volumeName"] == (None if f["volume"] is None else d["volumes"][f["volume"] - 1]["name"]), f
assert f["message"], f' "$2" "$3" "$4"
}
cp -r vol bad
printf '\xff\xff\xff\x7f' | dd of=bad/SET.002 bs=1 seek=8 conv=notrunc status=none
check "test --json of a damaged set" 1 "$bin" test --json bad/SET.PX
cp "$work/stdout" bad.json
expect_text "the fault on stderr too" "$work/stderr" "SET.002, offset 8"
fault_at "fault in volume 2 at offset 8" bad.json 2 8
check "list --json of the damaged set" 1 "$bin" list --json bad/SET.PX
cp "$work/stdout" doc.json
fault_at "list finds it too" doc.json 2 8
# The magic of that segment itself.
cp vol/SET.002 bad/SET.002
printf 'X' | dd of=bad/SET.002 bs=1 seek=1 conv=notrunc status=none
check "test --json, no segment" 1 "$bin" test --json bad/SET.PX
cp "$work/stdout" doc.json
fault_at "fault at the start of volume 2" doc.json 2 0

# A set whose last volume was cut off: list says so and succeeds, test fails.
cp -r vol cut
last=$(ls vol | grep -c '^SET\.')
last_name=$(printf 'cut/SET.%03d' "$last")
cut_at=$(($(stat -c %s "$last_name") - 1000))
truncate -s "$cut_at" "$last_name"
check "list --json of a cut set" 0 "$bin" list --json cut/SET.PX
cp "$work/stdout" doc.json
check "cut set listed" 0 python3 -c '
import json, sys
d = json.load(open(sys.argv[1]))
assert not d["completed"] and d["endNote"] and d["fault"] is None, d
assert d["files"][-1]["complete"] is False or d["endNote"], d' doc.json
check "test --json of a cut set" 1 "$bin" test --json cut/SET.PX
cp "$work/stdout" doc.json
check "cut set: the fault lies in the last volume, before the cut" 0 python3 -c '
import json, sys
d = json.load(open(sys.argv[1]))
f = d["fault"]
assert f["volume"] == int(sys.argv[2]) and 0 <= f["offset"] <= int(sys.argv[3]), f
assert f["message"].startswith("the set was not completed") and not d["completed"], f' doc.json "$last" "$cut_at"

# A missing volume, without a terminal: the volume is named, no offset.
cp -r vol gap
rm gap/SET.003
check "list --json, volume missing" 1 "$bin" list --json --no-prompt gap/SET.PX </dev/null
cp "$work/stdout" doc.json
fault_at "missing volume 3" doc.json 3 null
check "volumes read so far" 0 python3 -c '
import json, sys
d = json.load(open(sys.argv[1]))
assert [v["size"] is None for v in d["volumes"]] == [False, False, True], d["volumes"]' doc.json

# Not a set at all, and no file: still one document each.
printf 'no set here, only text\n' >plain.PX
check "list --json of no set" 1 "$bin" list --json plain.PX
cp "$work/stdout" doc.json
check "no set: a document with the fault" 0 python3 -c '
import json, sys
d = json.load(open(sys.argv[1]))
assert d["files"] == [] and "not a Parvex volume set" in d["fault"]["message"], d' doc.json
check "test --json of no file" 1 "$bin" test --json nothing.PX
cp "$work/stdout" doc.json
check "no file: a document with the fault" 0 python3 -c '
import json, sys
d = json.load(open(sys.argv[1]))
assert d["comment"] is None and d["files"] == [] and "no such file" in d["fault"]["message"], d' doc.json

finish
