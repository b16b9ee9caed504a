#!/usr/bin/env bash
# The file-manager integration as a desktop would see it from a data
# directory of its own: the desktop entry valid and declaring the type, the
# type compiled by update-mime-database (glob, comment, icon), a first volume
# recognised by its name, and the entry found as the program for the type.
# Usage: desktop_test.sh BIN-DIR BUILD-DIR SOURCE-DIR
source_dir=$(cd "$3" && pwd)
[ -x "$1/parvex" ] || { echo "no program $1/parvex"; exit 1; }
source "$(dirname "$0")/../cli/lib.sh" "$1"
type=application/x-parvex-volume-set
entry=$source_dir/windows/parvex.desktop

check "desktop-file-validate" 0 desktop-file-validate "$entry"
expect_true "validator silent" [ ! -s "$work/stdout" -a ! -s "$work/stderr" ]
expect_text "declares the type" "$entry" "^MimeType=$type;$"
expect_text "takes a file" "$entry" "^Exec=parvex %f$"
expect_text "names the icon" "$entry" "^Icon=parvex$"

data=$work/share
mkdir -p "$data/mime/packages" "$data/applications"
cp "$source_dir/dist/mime/parvex.xml" "$data/mime/packages/"
cp "$entry" "$data/applications/"
check "update-mime-database" 0 update-mime-database -V "$data/mime"
expect_no_text "no complaint about the type" "$work/stderr" "parvex"
expect_text "glob (of either case)" "$data/mime/globs2" ":$type:\*\.px$"
expect_text "comment" "$data/mime/$type.xml" "<comment>Parvex volume set</comment>"
expect_text "icon" "$data/mime/icons" "^$type:parvex$"
expect_text "generic icon" "$data/mime/generic-icons" "^$type:package-x-generic$"
check "update-desktop-database" 0 env XDG_DATA_DIRS="$data" update-desktop-database "$data/applications"
expect_text "the program for the type" "$data/applications/mimeinfo.cache" "^$type=parvex.desktop;$"

# GIO (what GNOME's and many other file managers use) reading only this data
# directory: a first volume is of the type, in either case, a further volume
# is not, and the type's program is Parvex (found where its Exec= is: here,
# the program under test).
if command -v gio >/dev/null; then
  printf 'not really a set' >PHOTOS.PX
  cp PHOTOS.PX lower.px
  cp PHOTOS.PX PHOTOS.002
  gio_type() { XDG_DATA_HOME=$data XDG_DATA_DIRS=$data gio info -a standard::content-type "$1" |
               sed -n 's/.*standard::content-type: //p'; }
  [ "$(gio_type PHOTOS.PX)" = "$type" ] && pass || fail "gio: PHOTOS.PX is $(gio_type PHOTOS.PX)"
  [ "$(gio_type lower.px)" = "$type" ] && pass || fail "gio: lower.px is $(gio_type lower.px)"
  [ "$(gio_type PHOTOS.002)" != "$type" ] && pass || fail "gio: a further volume taken for a set"
  PATH=$(dirname "$bin"):$PATH XDG_DATA_HOME=$data XDG_DATA_DIRS=$data gio mime "$type" >gio.txt 2>&1
  expect_text "gio: default application" gio.txt "Default application for .$type.: parvex.desktop"
fi

finish
