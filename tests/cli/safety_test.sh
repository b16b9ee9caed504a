#!/usr/bin/env bash
# parvex-cli writes only where it was told: every shape of symbolic link in a
# destination, with and without -f, leaves the file system outside it as it was
# (compared entry by entry before and after); names with "..", network and
# drive names without a destination, tried in a scratch root (never the real
# "/"); destinations that cannot be made; a set that would store itself; two
# splits and a join at once; --overwrite and the refusal without it.
source "$(dirname "$0")/lib.sh" "$1"

# Every entry below DIR but SKIP: path, type, size, time, link target; and the
# contents of its files.
state() {
  local dir=$1 skip=${2:-/nonexistent}
  find "$dir" -path "$skip" -prune -o -printf '%p %y %s %T@ %l\n' | sort
  find "$dir" -path "$skip" -prune -o -type f -print0 | sort -z | xargs -0 -r md5sum
}
unchanged() {  # unchanged NAME BEFORE AFTER
  if diff "$2" "$3" >"$work/diff"; then pass; else fail "$1: created or changed outside the destination:"; cat "$work/diff"; fi
}
small_file() { text_field "$1"; le32 $T; printf 'ECS\0'; le32 9; le32 5; printf '\x80evil'; }  # a record, "evil"

# --- Links in the destination. Each stored name meets a link in its place or
# on its way: to a directory outside, to a file outside, dangling, relative.
mkdir t && cd t || exit 1
{ header; for name in /sub/evil.txt /target.txt /dangling.txt /mid/b/c/deep.txt /up/rel.txt /rel-dangling.txt; do
    small_file "$name"; done; le32 0; } >L.PX
for full in "" -f; do
  for mode in all newer existing; do
    name="links ${full:-flat} $mode"
    rm -rf dest outside && mkdir -p dest outside/keep && echo mine >outside/target.txt
    ln -s "$PWD/outside" dest/sub
    ln -s "$PWD/outside/target.txt" dest/target.txt
    ln -s "$PWD/outside/dangling.txt" dest/dangling.txt
    ln -s "$PWD/outside" dest/mid
    ln -s ../outside dest/up
    ln -s ../outside/rel-dangling.txt dest/rel-dangling.txt
    state "$PWD" "$PWD/dest" >"$work/before"
    find dest -type l -printf '%p %l\n' | sort >"$work/links-before"
    "$bin" join -q $full -m $mode -d dest L.PX >"$work/stdout" 2>"$work/stderr"
    status=$?
    state "$PWD" "$PWD/dest" >"$work/after"
    unchanged "$name" "$work/before" "$work/after"
    find dest -type l -printf '%p %l\n' | sort >"$work/links-after"
    unchanged "$name: the links themselves" "$work/links-before" "$work/links-after"
    expect_true "$name: status 1 for the files passed over (status $status)" [ $status -eq 1 ]
    expect_text "$name: names the link" "$work/stderr" "warning: \"$PWD/dest/target.txt\" passed over: it is a symbolic link, and a restore never writes through one"
    [ -n "$full" ] && [ $mode != existing ] &&
      expect_text "$name: names the link on the way" "$work/stderr" "\"$PWD/dest/mid/b/c/deep.txt\" passed over: $PWD/dest/mid is a symbolic link"
    [ -z "$full" ] && [ $mode != existing ] && expect_true "$name: the rest is restored" [ "$(cat dest/deep.txt)" = evil ]
  done
done
cd "$work" || exit 1

# --- Without a destination, in a scratch root: the program and its libraries
# copied into it, run under chroot (directly as root, else in a user namespace).
root=$work/root
mkdir -p "$root/x" "$root/ok"
cp "$bin" "$root/"
for lib in $(ldd "$bin" | grep -o '/[^ ]*'); do cp --parents -L "$lib" "$root/" 2>/dev/null; done
{ header; small_file '\\server\share\dir\B.TXT'; small_file /x/../../evil; small_file 'C:\DATA\A.TXT'
  small_file relative/r.txt; small_file /ok/fine.txt; le32 0; } >"$root/S.PX"
jail=""
if chroot "$root" /parvex-cli title /S.PX >/dev/null 2>&1; then jail="chroot"
elif unshare -r chroot "$root" /parvex-cli title /S.PX >/dev/null 2>&1; then jail="unshare -r chroot"; fi
if [ -n "$jail" ]; then
  (cd "$root" && find . | sort) >"$work/before"
  (cd "$root" && find . -type f -print0 | sort -z | xargs -0 md5sum) >"$work/sums"
  check "no destination" 1 $jail "$root" /parvex-cli join -q /S.PX
  (cd "$root" && find . | sort | grep -vx './ok/fine.txt') >"$work/after"
  unchanged "no destination: nothing but /ok/fine.txt" "$work/before" "$work/after"
  (cd "$root" && md5sum -c --quiet "$work/sums") && pass || fail "no destination: a file changed"
  expect_true "no destination: the full name restored" [ "$(cat "$root/ok/fine.txt")" = evil ]
  expect_text "network name refused" "$work/stderr" '"\\\\\\\\server\\\\share\\\\dir\\\\B.TXT" passed over: a Windows network name has no place here; choose a destination directory'
  expect_text "climbing name refused" "$work/stderr" '"/x/../../evil" passed over: the name has a ".." component'
  expect_text "drive name refused" "$work/stderr" '"C:\\\\DATA\\\\A.TXT" passed over: a Windows drive name has no place here'
  expect_text "relative name refused" "$work/stderr" '"relative/r.txt" passed over: the name is not a full path'
  expect_text "counted" "$work/stdout" "^Restored 1 file, passed over 4 (4 with a warning)$"
else
  echo "no chroot here: the names without a destination are tried only where a wrong target stays in the scratch directory"
fi
# A climbing name whose target would land in the scratch directory, outside chroot.
{ header; small_file "$work/s/x/../../climbed"; le32 0; } >climb.PX
check "climbing name" 1 "$bin" join -q climb.PX
expect_true "climbing name writes nothing" [ ! -e "$work/climbed" ] && [ ! -e "$work/s" ]

# --- Destinations that cannot be made end the join with an error naming them.
{ header; small_file /a.txt; le32 0; } >D.PX
: >plain
dests=("$work/plain/x" /proc/parvex-no-such/x)
[ "$(id -u)" -ne 0 ] && mkdir locked && chmod 500 locked && dests+=("$work/locked/x")
for dest in "${dests[@]}"; do
  check "destination $dest" 1 "$bin" join -q -d "$dest" D.PX
  expect_text "destination $dest named" "$work/stderr" "^parvex-cli: Cannot read file: the destination directory $dest cannot be created: "
  expect_no_text "destination $dest: no success" "$work/stdout" "Restored"
done

# --- A set that contains itself: the second split of '*' in the same folder.
mkdir -p self && cd self || exit 1
head -c 20000000 /dev/urandom >big
echo small >small
check "self: first split" 0 "$bin" split -q -s 5M S.PX '*'
for f in big small; do md5sum "$f"; done >"$work/sums"
check "self: second split refused" 1 "$bin" split -q S.PX '*'
check "self: second split" 0 "$bin" split -q --overwrite -s 5M S.PX '*'
expect_text "self: volumes left out" "$work/stderr" "warning: \"$work/self/S.PX\" left out: it is a file this split writes"
expect_text "self: further volume left out" "$work/stderr" "warning: \"$work/self/S.002\" left out"
check "self: list" 0 "$bin" list S.PX
expect_text "self: two files" "$work/stdout" " 2 files in 4 volumes"
cp S.PX "$work/S.copy"
check "self: join to the stored paths" 0 "$bin" join -q S.PX
md5sum -c --quiet "$work/sums" && pass || fail "self: the files changed"
cmp -s S.PX "$work/S.copy" && pass || fail "self: the set changed"
check "self: test" 0 "$bin" test S.PX
cd "$work" || exit 1

# --- Two splits and a join at once: the first waits at its second volume
# (--pause, answered through a pipe) while holding the set.
head -c 300000 /dev/urandom >c.bin
mkfifo answers
("$bin" split -q --pause -s 120K C.PX c.bin <answers >first.out 2>&1; echo "status $?" >>first.out) &
first=$!
exec {answer}>answers
for i in $(seq 50); do grep -q "Insert disk 2" first.out 2>/dev/null && break; sleep 0.1; done
expect_text "the first split waits" first.out "Insert disk 2"
check "second split at once" 1 "$bin" split -q --overwrite C.PX plain
expect_text "second split names the set" "$work/stderr" "Cannot write to archive: $work/C.PX: in use by another program (a split or join of this set is running); nothing was written"
check "join during the split" 1 "$bin" join -q -d during C.PX
expect_text "join says the set is being written" "$work/stderr" "$work/C.PX: being written by another program (a split of this set is running); try again when it has finished"
expect_true "join wrote nothing" [ ! -e during ]
check "test during the split" 1 "$bin" test C.PX
printf '\n\n' >&"$answer"
exec {answer}>&-
wait $first
expect_text "the first split completes" first.out "^status 0$"
check "the set is the first split's" 0 "$bin" join -q -d joined C.PX
cmp -s c.bin joined/c.bin && pass || fail "the first split's data"

# --- Replacing a set: refused without --overwrite; with it the old set's
# further volumes the new one does not reach go, and one after a gap stays.
check "old set" 0 "$bin" split -q -s 80K R.PX c.bin
expect_true "old set has four volumes" [ -e R.004 ] && [ ! -e R.005 ]
echo other >R.006
md5sum R.PX R.002 >"$work/sums"
check "replacing refused" 1 "$bin" split -q R.PX plain
expect_text "refusal says how" "$work/stderr" "R.PX already exists: give --overwrite to replace that set"
md5sum -c --quiet "$work/sums" && pass || fail "the refused split changed the set"
check "replacing" 0 "$bin" split -q --overwrite R.PX plain
expect_true "stale volumes removed, the gap's kept" [ ! -e R.002 ] && [ ! -e R.003 ] && [ ! -e R.004 ] && [ -e R.006 ]
check "the new set" 0 "$bin" test R.PX
expect_text "one volume" "$work/stdout" "^OK: 1 file in 1 volume$"

finish
