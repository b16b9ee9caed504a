#!/usr/bin/env bash
# The conventions of the command line and what documents it: --version from
# the project's version, -h/--help and help COMMAND everywhere, the manual
# pages rendered without a warning, and every option of every command in the
# manual page and in the bash, zsh and fish completion (which load without an
# error and complete commands, options and values).
# Usage: docs_test.sh BIN-DIR BUILD-DIR SOURCE-DIR
gui="$(cd "$1" && pwd)/parvex"
build=$(cd "$2" && pwd)
source_dir=$(cd "$3" && pwd)
source "$(dirname "$0")/../cli/lib.sh" "$1"
completion=$source_dir/dist/completion
man_source=$source_dir/dist/man
version=$(sed -n 's/^project(Parvex VERSION \([0-9.]*\) .*/\1/p' "$source_dir/CMakeLists.txt")

# --version and --help, also without any display for the window program.
check "cli --version" 0 "$bin" --version
expect_text "cli version" "$work/stdout" "^parvex-cli $version$"
check "gui --version without a display" 0 env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "$gui" --version
expect_text "gui version" "$work/stdout" "^parvex $version$"
for help in -h --help; do
  check "gui $help without a display" 0 env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "$gui" $help
  expect_text "gui $help" "$work/stdout" "^Usage: parvex \[OPTIONS\] \[SET.PX\]"
done
check "cli --help" 0 "$bin" --help
commands=$(sed -n '/^Subcommands:/,/^$/s/^  \([a-z]*\) .*/\1/p' "$work/stdout")
[ "$(echo $commands)" = "split join title list test sysinfo help" ] && pass || fail "commands: $commands"
for c in $commands; do
  check "$c -h" 0 "$bin" "$c" -h
  cp "$work/stdout" "help-$c.txt"
  expect_text "$c -h usage" "help-$c.txt" "^Usage: parvex-cli $c"
  check "help $c" 0 "$bin" help "$c"
  cmp -s "$work/stdout" "help-$c.txt" && pass || fail "help $c differs from $c --help"
done
check "help of no command" 2 "$bin" help frobnicate
expect_text "names the commands" "$work/stderr" "no command 'frobnicate' (commands: split, join"

# The options of command $1, one a line (short and long), from its help.
options_of() {
  grep -oE '^  (-[A-Za-z],)?--[a-z][a-z-]*' "help-$1.txt" | tr ',' '\n' | sed 's/^ *//'
}
# Options that the manual page and the completions announce beyond this build.
announced() { [ "$1:$2" = "split:--overwrite" ]; }

# The manual pages: built, rendered by groff and man without a warning, with
# their sections, and naming every command and option.
for page in parvex parvex-cli; do
  roff=$build/man/$page.1
  expect_true "$page.1 built" [ -s "$roff" -a -s "$roff.gz" ]
  groff -wall -mandoc -Tutf8 "$roff" 2>groff.err | col -b >rendered.txt
  [ ! -s groff.err ] && pass || { fail "groff -wall warns on $page.1:"; cat groff.err; }
  MANWIDTH=80 man --warnings=all -l "$roff" >/dev/null 2>man.err
  [ ! -s man.err ] && pass || { fail "man -l warns on $page.1:"; cat man.err; }
  MANWIDTH=80 man --warnings=all -l "$roff.gz" 2>/dev/null | cmp -s - <(MANWIDTH=80 man -l "$roff" 2>/dev/null) && pass ||
    fail "$page.1.gz is not $page.1"
  expect_text "$page: whatis entry" <(lexgrog "$roff") "\"$page - split files into compressed volume sets"
  for section in NAME SYNOPSIS DESCRIPTION OPTIONS "VOLUME NAMING" "EXIT STATUS" FILES EXAMPLES "SEE ALSO"; do
    expect_text "$page: section $section" rendered.txt "^$section$"
  done
done
for c in $commands; do
  expect_text "parvex-cli.1 names $c" "$man_source/parvex-cli.1.scd" "^\*$c"
  for o in $(options_of "$c"); do
    grep -qF -- "*$o*" "$man_source/parvex-cli.1.scd" && pass || fail "parvex-cli.1 lacks $c $o"
  done
done
for o in -h --help --version; do
  grep -qF -- "*$o*" "$man_source/parvex.1.scd" && pass || fail "parvex.1 lacks $o"
done
expect_text "parvex.1: exit statuses" rendered.txt "^EXIT STATUS$"

# bash: loads alone and beside bash-completion; completes commands, every
# option of each command (and nothing it lacks), the modes and file names.
bash_complete() {  # bash_complete FUNCTION WORD... : the replies, one a line
  bash --norc -c 'source "$1"; f=$2; shift 2; COMP_WORDS=("$@"); COMP_CWORD=$(($# - 1));
                  "$f"; printf "%s\n" "${COMPREPLY[@]}"' - "$completion/parvex.bash" "$@"
}
check "bash: loads" 0 bash --norc -c "source '$completion/parvex.bash'; complete -p parvex-cli parvex"
if [ -f /usr/share/bash-completion/bash_completion ]; then
  check "bash: loads with bash-completion" 0 bash --norc -c \
    "source /usr/share/bash-completion/bash_completion; source '$completion/parvex.bash'"
  expect_true "bash: no error text" [ ! -s "$work/stderr" ]
fi
[ "$(bash_complete _parvex_cli parvex-cli sp)" = split ] && pass || fail "bash: sp -> split"
[ "$(bash_complete _parvex_cli parvex-cli help te)" = test ] && pass || fail "bash: help te -> test"
[ "$(bash_complete _parvex_cli parvex-cli join -m "" | tr '\n' ' ')" = "all no-overwrite newer existing existing-newer " ] &&
  pass || fail "bash: modes"
for c in $commands; do
  bash_complete _parvex_cli parvex-cli "$c" - | sort >bash-options.txt
  for o in $(options_of "$c"); do grep -qxF -- "$o" bash-options.txt && pass || fail "bash: $c lacks $o"; done
  while read -r o; do
    options_of "$c" | grep -qxF -- "$o" || announced "$c" "$o" && pass || fail "bash: $c offers $o, which it lacks"
  done <bash-options.txt
done
mkdir -p files && : >"files/SET.PX" && : >"files/other.txt"
[ "$(cd files && bash_complete _parvex_cli parvex-cli list S)" = SET.PX ] && pass || fail "bash: file names"
[ "$(cd files && bash_complete _parvex parvex "" | sort | tr '\n' ' ')" = "SET.PX " ] && pass || fail "bash: parvex sets"

# zsh: through its completion system, as Tab completes on a terminal.
zsh_lines=("parvex-cli sp" "parvex-cli join -m existing-" "parvex-cli help sy" "parvex --vers" "parvex-cli list S")
for c in $commands; do
  for o in $(options_of "$c" | grep '^--'); do zsh_lines+=("parvex-cli $c $o"); done
done
(cd files && zsh -f "$source_dir/tests/dist/zsh_complete.zsh" "$completion" "${zsh_lines[@]}") >zsh.out 2>zsh.err
expect_true "zsh: no error" [ ! -s zsh.err ]
expect_text "zsh: sp -> split" zsh.out "^<parvex-cli split >$"
expect_text "zsh: modes" zsh.out "^<parvex-cli join -m existing-newer >$"
expect_text "zsh: help sy -> sysinfo" zsh.out "^<parvex-cli help sysinfo >$"
expect_text "zsh: parvex --version" zsh.out "^<parvex --version >$"
expect_text "zsh: file names" zsh.out "^<parvex-cli list SET.PX >$"
for c in $commands; do
  for o in $(options_of "$c" | grep '^--'); do
    grep -qE -- "^<parvex-cli $c $o[ =]" zsh.out && pass || fail "zsh: $c does not complete $o"
  done
done

# fish: the same through complete -C.
fish_complete() { fish --no-config -c "source '$completion/parvex-cli.fish'; source '$completion/parvex.fish';
                                     complete -C '$1'" | cut -f1; }
check "fish: loads" 0 fish --no-config -c "source '$completion/parvex-cli.fish'; source '$completion/parvex.fish'"
expect_true "fish: no error text" [ ! -s "$work/stderr" ]
[ "$(fish_complete 'parvex-cli sp')" = split ] && pass || fail "fish: sp -> split"
[ "$(fish_complete 'parvex-cli join -m existing' | tr '\n' ' ')" = "existing existing-newer " ] && pass ||
  fail "fish: modes"
for c in $commands; do
  { fish_complete "parvex-cli $c -"; fish_complete "parvex-cli $c --"; } | sort -u >fish-options.txt
  for o in $(options_of "$c"); do grep -qxF -- "$o" fish-options.txt && pass || fail "fish: $c lacks $o"; done
  while read -r o; do
    options_of "$c" | grep -qxF -- "$o" || announced "$c" "$o" && pass || fail "fish: $c offers $o, which it lacks"
  done <fish-options.txt
done
[ "$(cd files && fish_complete 'parvex-cli list S')" = SET.PX ] && pass || fail "fish: file names"

finish
