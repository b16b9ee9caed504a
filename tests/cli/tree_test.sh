#!/usr/bin/env bash
# split -r and -L on real trees: nested and empty folders, symbolic links to
# files, to folders, to nothing and back up the tree, a FIFO, names with
# wildcard characters; a folder named without -r refused; the volumes of the
# set being written never stored; the whole folder carried through join -f.
source "$(dirname "$0")/lib.sh" "$1"

# The regular files below a folder, as a split -r stores them: byte order of
# their absolute names.
files_below() { (LC_ALL=C find "$(cd "$1" && pwd)" -type f | LC_ALL=C sort); }
# The stored names of a set, in set order.
stored_names() { "$bin" list --no-prompt "$1" | sed -n 's/^ *[0-9]* *[0-9-]* [0-9:]* *[0-9-]* *//p' | sed '$d'; }

mkdir -p src/deep/er/est src/empty src/deep/hollow "src/with space" src/.hidden
head -c 250000 /dev/urandom >src/deep/er/est/random.bin
printf 'alpha\n' >src/a.txt
printf 'dot\n' >src/.hidden/.dotfile
printf 'sp\n' >"src/with space/file name"
printf 'star\n' >'src/deep/st*r'
printf 'query\n' >'src/deep/qu?ry'
printf 'quxry\n' >'src/deep/quxry'  # what qu?ry would match as a pattern
printf 'a.b\n' >src/a.b  # sorts before src/a/... in byte order
mkdir -p src/a && printf 'in a\n' >src/a/inner
ln -s ../a.txt src/deep/link-to-file
ln -s deep/er src/link-to-folder
ln -s /nonexistent/target src/dangling
ln -s .. src/deep/er/up  # back to src/deep
mkfifo src/deep/fifo

# Without -r a folder is refused before anything is written.
mkdir -p vol
check "folder without -r" 2 "$bin" split -q vol/NO.PX src
expect_text "suggests -r" "$work/stderr" "src is a folder: give -r"
expect_true "nothing written" [ ! -e vol/NO.PX ]
check "folder among files without -r" 2 "$bin" split -q vol/NO.PX src/a.txt src/deep
expect_true "still nothing written" [ ! -e vol/NO.PX ]
# A wildcard that matches folders passes them over, and says so.
check "wildcard over folders" 0 "$bin" split -q vol/W.PX 'src/*'
expect_text "folder warned" "$work/stderr" "warning: $work/src/deep is a folder, passed over (-r stores"
expect_text "link warned as no file" "$work/stderr" "warning: $work/src/dangling is a symbolic link to nothing"
[ "$(stored_names vol/W.PX)" = "$(printf '%s\n' "$work/src/a.b" "$work/src/a.txt")" ] && pass ||
  fail "wildcard stored: $(stored_names vol/W.PX)"

# -r: every regular file below, in byte order; links, the FIFO and empty folders warned.
check "split -r" 0 "$bin" split -q -r -s 100K -t "a tree" vol/TREE.PX src
expect_true "several volumes" [ -f vol/TREE.003 ]
for warned in "src/deep/link-to-file is a symbolic link, passed over (-L stores" \
              "src/link-to-folder is a symbolic link, passed over" \
              "src/dangling is a symbolic link, passed over" \
              "src/deep/fifo is a FIFO, passed over" \
              "src/empty is an empty folder, not stored" \
              "src/deep/hollow is an empty folder, not stored"; do
  expect_text "warned: $warned" "$work/stderr" "warning: $work/$warned"
done
[ "$(stored_names vol/TREE.PX)" = "$(files_below src)" ] && pass ||
  { fail "stored names or their order"; diff <(stored_names vol/TREE.PX) <(files_below src); }
expect_text "wildcard names stored once each" <(stored_names vol/TREE.PX | grep -c 'src/deep/qu') "^2$"
check "the tree's set tests whole" 0 "$bin" test -q vol/TREE.PX

# The whole folder comes back below the destination; links, FIFO and empty folders do not.
check "join -f" 0 "$bin" join -q -f -d out vol/TREE.PX
restored="out$work/src"
[ "$(cd "$restored" && find . -type f | LC_ALL=C sort)" = "$(cd src && find . -type f | LC_ALL=C sort)" ] && pass ||
  fail "restored files differ from the tree's files"
while IFS= read -r -d '' f; do
  cmp -s "$f" "$restored/${f#src/}" || fail "content of $f"
done < <(find src -type f -print0)
expect_true "no link restored" [ ! -e "$restored/deep/link-to-file" ]
expect_true "no FIFO restored" [ ! -e "$restored/deep/fifo" ]
expect_true "empty folder not restored" [ ! -e "$restored/empty" ]

# -L: links stored as what they point to, folders through links walked, a
# link back up the tree and a link to nothing passed over with a warning.
check "split -r -L" 0 "$bin" split -q -r -L vol/DEREF.PX src
expect_text "loop warned" "$work/stderr" "warning: $work/src/deep/er/up leads back to a folder above it"
expect_text "dangling warned" "$work/stderr" "warning: $work/src/dangling is a symbolic link to nothing"
expect_no_text "links not warned as links" "$work/stderr" "passed over (-L stores"
stored_names vol/DEREF.PX >deref.names
expect_text "link to a file stored" deref.names "^$work/src/deep/link-to-file$"
expect_text "folder through a link walked" deref.names "^$work/src/link-to-folder/est/random.bin$"
expect_no_text "loop not followed" deref.names "^$work/src/deep/er/up/"
check "join -L set" 0 "$bin" join -q -f -d outL vol/DEREF.PX
cmp -s src/a.txt "outL$work/src/deep/link-to-file" && pass || fail "link stored as its target's content"

# A link named on the command line is followed, even without -L.
ln -s src/deep named-link
check "named link to a folder" 0 "$bin" split -q -r vol/NAMED.PX named-link
expect_text "walked through the named link" <(stored_names vol/NAMED.PX) "^$work/named-link/er/est/random.bin$"

# The set being written is never stored, nor an older set of that name in the tree.
# (Where split asks for --overwrite to replace a set, it is given.)
overwrite=$("$bin" split --help | grep -o -- '--overwrite' | head -1)
check "set inside the tree" 0 "$bin" split -q -r -s 100K src/SELF.PX src
check "again over the old set" 0 "$bin" split -q -r -s 100K $overwrite src/SELF.PX src
expect_text "own first volume warned" "$work/stderr" "src/SELF.PX. left out: it is a file this split writes"
expect_text "own further volume warned" "$work/stderr" "src/SELF.002. left out: it is a file this split writes"
expect_no_text "no volume of the set stored" <(stored_names src/SELF.PX) "SELF"
rm -f src/SELF.*

# -T lists may name folders too; a file named twice is stored twice, as without -r.
printf '%s\n' src/deep/er "src/with space" >list.txt
check "split -r -T" 0 "$bin" split -q -r vol/LIST.PX src/a.txt -T list.txt
[ "$(stored_names vol/LIST.PX)" = "$(printf '%s\n' "$work/src/a.txt" "$work/src/deep/er/est/random.bin" \
  "$work/src/with space/file name")" ] && pass || fail "-T with folders: $(stored_names vol/LIST.PX)"

# A folder that cannot be read is an error naming it, before anything is written.
if [ "$(id -u)" -ne 0 ]; then
  mkdir -p locked/inner && chmod 000 locked/inner
  check "unreadable folder" 1 "$bin" split -q -r vol/LOCK.PX locked
  expect_text "names the folder" "$work/stderr" "locked/inner: cannot read the folder"
  expect_true "nothing written for it" [ ! -e vol/LOCK.PX ]
  chmod 755 locked/inner
fi

finish
