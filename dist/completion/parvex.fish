# fish completion for parvex: its options, and first volumes of sets.
complete -c parvex -s h -l help -d 'Print the help and exit'
complete -c parvex -l version -d 'Print the version and exit'
complete -c parvex -x -a '(__fish_complete_suffix .PX)'
