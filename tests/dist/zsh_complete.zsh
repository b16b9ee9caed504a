# Completes lines in an interactive zsh on a pseudo-terminal, as a user
# pressing Tab would, and prints each line's buffer afterwards as <BUFFER>.
# Usage: zsh -f zsh_complete.zsh FPATH-DIR|"" LINE...   (an empty FPATH-DIR:
# zsh's own function path, as an installed package leaves it)
zmodload zsh/zpty || exit 2
dir=$1
shift
out=$(mktemp) || exit 2
zpty shell zsh -f -i
zpty -w shell "PS1='READY%# '"
[[ -n $dir ]] && zpty -w shell "fpath=(${(q)dir} \$fpath)"
zpty -w shell "autoload -Uz compinit; compinit -u -d ${(q)out}.dump"
# Ctrl-T writes the buffer out and starts a fresh line.
zpty -w shell "show() { print -r -- \"<\$BUFFER>\" >>${(q)out}; BUFFER=; zle accept-line }; zle -N show; bindkey '^T' show"
zpty -w shell "print -r -- STARTED\$((6*7))"
zpty -r shell junk '*STARTED42*READY# ' || exit 2
for line in "$@"; do
  # Typed only at a prompt, when zle reads the keys in turn.
  zpty -w -n shell "$line"$'\t\x14'
  zpty -r shell junk '*READY# ' || exit 2
done
zpty -d shell
cat "$out"
rm -f "$out" "$out.dump"
