#!/usr/bin/env bash
# The Debian package on this machine: its contents and fields, then
# `apt-get install ./parvex_*.deb`, the installed programs at work (version,
# a split/list/test/join round trip of a folder, the manual pages, the
# completions as the shells find them, the file type and the desktop entry),
# then `apt-get purge`, after which the machine holds what it held before.
# Changes the machine: for CI (as root, or through sudo).
# Usage: tests/package/install_test.sh parvex_VERSION_ARCH.deb
set -u
deb=$(cd "$(dirname "$1")" && pwd)/$(basename "$1")
source_dir=$(cd "$(dirname "$0")/../.." && pwd)
source "$source_dir/tests/cli/lib.sh" /usr/bin
sudo=""
[ "$(id -u)" -ne 0 ] && sudo="sudo"
export DEBIAN_FRONTEND=noninteractive
type=application/x-parvex-volume-set
version=$(sed -n 's/^project(Parvex VERSION \([0-9.]*\) .*/\1/p' "$source_dir/CMakeLists.txt")
arch=$(dpkg --print-architecture)

# --- The package itself.
expect_true "named parvex_${version}_$arch.deb" [ "$(basename "$deb")" = "parvex_${version}_$arch.deb" ]
field() { dpkg-deb -f "$deb" "$1"; }
expect_true "Package" [ "$(field Package)" = parvex ]
expect_true "Version" [ "$(field Version)" = "$version" ]
expect_true "Architecture" [ "$(field Architecture)" = "$arch" ]
expect_true "Section" [ "$(field Section)" = utils ]
expect_true "Maintainer" [ -n "$(field Maintainer)" ]
expect_true "Description" [ "$(field Description | wc -l)" -gt 3 ]
# Worked out from the binaries: the Qt libraries and the C++ runtime, with versions.
for library in libqt6widgets6 libqt6gui6 libqt6core6 libstdc++6 libc6 libcups2; do
  field Depends | tr ',' '\n' | sed 's/^ *//' | grep -qF "$library (>= " && pass || fail "Depends lacks $library: $(field Depends)"
done
dpkg-deb -c "$deb" | awk '{print $NF}' | sed 's|^\./|/|' >contents.txt
for path in /usr/bin/parvex /usr/bin/parvex-cli /usr/share/applications/parvex.desktop \
            /usr/share/man/man1/parvex.1.gz /usr/share/man/man1/parvex-cli.1.gz \
            /usr/share/bash-completion/completions/parvex-cli /usr/share/bash-completion/completions/parvex \
            /usr/share/zsh/vendor-completions/_parvex /usr/share/fish/vendor_completions.d/parvex-cli.fish \
            /usr/share/fish/vendor_completions.d/parvex.fish /usr/share/mime/packages/parvex.xml \
            /usr/share/doc/parvex/copyright /usr/share/doc/parvex/changelog.gz; do
  grep -qxF "$path" contents.txt && pass || fail "the package lacks $path"
done
for size in 16 24 32 48 64 128 256; do
  grep -qxF "/usr/share/icons/hicolor/${size}x$size/apps/parvex.png" contents.txt && pass || fail "no icon $size"
done
expect_no_text "nothing outside /usr" contents.txt "^/[^u]"
dpkg-deb -c "$deb" | awk '$2 != "root/root"' >owners.txt
expect_true "everything owned by root" [ ! -s owners.txt ]
grep -v '/$' contents.txt >package-files.txt  # the files, without the directories

# --- Installed.
dpkg-query -W -f '${Package} ${Version}\n' | sort >before.txt
check "apt-get install" 0 $sudo apt-get install -y -q "$deb"
dpkg-query -W -f '${Package} ${Version}\n' | sort >installed.txt
# What the install brought besides (recommended packages not here yet) goes with the purge.
pulled=$(comm -13 <(cut -d' ' -f1 before.txt) <(cut -d' ' -f1 installed.txt) | grep -vx parvex)
expect_text "installed" installed.txt "^parvex $version$"
while read -r path; do [ -e "$path" ] || fail "not installed: $path"; done <package-files.txt

check "installed --version" 0 /usr/bin/parvex-cli --version
expect_text "installed version" "$work/stdout" "^parvex-cli $version$"
check "installed window program --version" 0 env -u DISPLAY -u WAYLAND_DISPLAY /usr/bin/parvex --version
expect_text "window program version" "$work/stdout" "^parvex $version$"

# A folder round trip through the installed program.
mkdir -p tree/a/b tree/empty && head -c 200000 /dev/urandom >tree/a/b/random.bin && printf 'x\n' >tree/top.txt
check "installed split -r" 0 /usr/bin/parvex-cli split -q -r -s 100K -t "installed" vol.PX tree
expect_true "several volumes" [ -f vol.002 ]
check "installed list" 0 /usr/bin/parvex-cli list vol.PX
expect_text "listed" "$work/stdout" "2 files in [0-9]* volumes"
check "installed test" 0 /usr/bin/parvex-cli test vol.PX
expect_text "tested" "$work/stdout" "^OK: 2 files"
check "installed join" 0 /usr/bin/parvex-cli join -q -f -d out vol.PX
cmp -s tree/a/b/random.bin "out$work/tree/a/b/random.bin" && cmp -s tree/top.txt "out$work/tree/top.txt" && pass ||
  fail "round trip through the installed program"

# The manual pages as man finds them.
for page in parvex parvex-cli; do
  expect_true "man finds $page" [ "$(man -w "$page")" = "/usr/share/man/man1/$page.1.gz" ]
  MANWIDTH=80 man --warnings=all "$page" >man.txt 2>man.err
  expect_true "man $page without a warning" [ ! -s man.err -a -s man.txt ]
done

# The completions where each shell looks for them by itself.
check "bash finds its completion" 0 bash --norc -c \
  'source /usr/share/bash-completion/bash_completion; _completion_loader parvex-cli; complete -p parvex-cli;
   COMP_WORDS=(parvex-cli sp); COMP_CWORD=1; _parvex_cli; [ "${COMPREPLY[*]}" = split ]'
check "zsh finds its completion" 0 zsh -f "$source_dir/tests/dist/zsh_complete.zsh" "" "parvex-cli sp"
expect_text "zsh completes" "$work/stdout" "^<parvex-cli split >$"
# (Not --no-config: that also keeps fish from the vendors' completions.)
check "fish finds its completion" 0 fish -c 'complete -C "parvex-cli sp"'
expect_text "fish completes" "$work/stdout" "^split"

# The file type and the program for it, as the triggers of shared-mime-info
# and desktop-file-utils left them.
expect_text "type in the MIME database" /usr/share/mime/globs2 ":$type:\*\.px$"
expect_true "type described" [ -f "/usr/share/mime/$type.xml" ]
expect_text "desktop entry for the type" /usr/share/applications/mimeinfo.cache "^$type=.*parvex.desktop;"
check "installed entry valid" 0 desktop-file-validate /usr/share/applications/parvex.desktop

# --- Purged: the machine as before.
check "apt-get purge" 0 $sudo apt-get purge -y -q parvex $pulled
dpkg-query -W -f '${Package} ${Version}\n' | sort >after.txt
cmp -s before.txt after.txt && pass || { fail "packages differ after the purge:"; diff before.txt after.txt; }
while read -r path; do [ ! -e "$path" ] || fail "left after the purge: $path"; done <package-files.txt
expect_true "no dpkg record" [ -z "$(dpkg-query -W -f '${Status}' parvex 2>/dev/null)" ]
expect_no_text "type gone from the MIME database" /usr/share/mime/globs2 "$type"
expect_true "type description gone" [ ! -e "/usr/share/mime/$type.xml" ]
expect_no_text "desktop entry gone from the cache" /usr/share/applications/mimeinfo.cache "parvex.desktop"
expect_true "no completion left" [ ! -e /usr/share/bash-completion/completions/parvex-cli ]

finish
