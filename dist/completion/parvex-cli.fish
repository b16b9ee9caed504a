# fish completion for parvex-cli: the commands, each command's options, file
# names where a file is expected, folders for -d and --root, the restore
# modes for -m.

set -l commands split join title list test sysinfo help
complete -c parvex-cli -f
complete -c parvex-cli -n "not __fish_seen_subcommand_from $commands" -l version -d 'Print the version and exit'
complete -c parvex-cli -s h -l help -d 'Print the help and exit'

complete -c parvex-cli -n "not __fish_seen_subcommand_from $commands" -a split -d 'Store files into a volume set'
complete -c parvex-cli -n "not __fish_seen_subcommand_from $commands" -a join -d 'Restore the files of a volume set'
complete -c parvex-cli -n "not __fish_seen_subcommand_from $commands" -a title -d "Print the set's comment"
complete -c parvex-cli -n "not __fish_seen_subcommand_from $commands" -a list -d 'List the stored files'
complete -c parvex-cli -n "not __fish_seen_subcommand_from $commands" -a test -d 'Read and decode the whole set and check it'
complete -c parvex-cli -n "not __fish_seen_subcommand_from $commands" -a sysinfo -d 'Print what the System Information window shows'
complete -c parvex-cli -n "not __fish_seen_subcommand_from $commands" -a help -d 'Show the options of a command'

# Volume sets and the files to store.
complete -c parvex-cli -n '__fish_seen_subcommand_from split join title list test' -F

set -l split '__fish_seen_subcommand_from split'
complete -c parvex-cli -n $split -s t -l title -x -d 'Comment stored in the first volume'
complete -c parvex-cli -n $split -s s -l volume-size -x -d 'Size limit of a volume (K, M, G; 0 = no limit)'
complete -c parvex-cli -n $split -s i -l id-files -d 'Write FILE001.ID ... beside the first volume'
complete -c parvex-cli -n $split -s T -l files-from -r -F -d 'Read further names to store from this file'
complete -c parvex-cli -n $split -s r -l recursive -d 'Store every file below each folder named'
complete -c parvex-cli -n $split -s L -l dereference -d 'With -r, store what symbolic links point to'
complete -c parvex-cli -n $split -l incremental -d 'Take only files changed since they were last stored'
complete -c parvex-cli -n $split -l clear-archive-flag -d 'Mark every stored file as stored'
complete -c parvex-cli -n $split -l overwrite -d 'Replace an existing set of the same name'
complete -c parvex-cli -n $split -l pause -d 'Ask before each further volume'
complete -c parvex-cli -n $split -s q -l quiet -d 'No progress display'
complete -c parvex-cli -n $split -l threads -x -d 'Threads that compress (0 = one per core)'

set -l join '__fish_seen_subcommand_from join'
complete -c parvex-cli -n $join -s d -l dest -x -a '(__fish_complete_directories)' -d 'Destination directory'
complete -c parvex-cli -n $join -s f -l full-path -d 'Keep the stored directories below the destination'
complete -c parvex-cli -n $join -s m -l mode -x -a 'all no-overwrite newer existing existing-newer' -d 'Which files are restored'
complete -c parvex-cli -n $join -l no-prompt -d 'A missing volume is an error'
complete -c parvex-cli -n $join -l salvage -d 'Read on past a segment left unfinished'
complete -c parvex-cli -n $join -s q -l quiet -d 'No progress display'
complete -c parvex-cli -n $join -l threads -x -d 'Threads that decode (0 = one per core)'

set -l inspect '__fish_seen_subcommand_from list test'
complete -c parvex-cli -n $inspect -l no-prompt -d 'A missing volume is an error'
complete -c parvex-cli -n $inspect -s q -l quiet -d 'No progress display'
complete -c parvex-cli -n $inspect -l json -d 'One JSON document instead of the text'

set -l sysinfo '__fish_seen_subcommand_from sysinfo'
complete -c parvex-cli -n $sysinfo -l drive -x -a '(string split " " "A B C D E F G H I J K L M N O P Q R S T U V W X Y Z")' -d 'Only this drive'
complete -c parvex-cli -n $sysinfo -l json -d 'One JSON object'
complete -c parvex-cli -n $sysinfo -l root -x -a '(__fish_complete_directories)' -d "Read the system's files below this directory"

complete -c parvex-cli -n '__fish_seen_subcommand_from help' -x -a "$commands"
