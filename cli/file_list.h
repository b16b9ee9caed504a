// What a split is given to store, from the names on its command line: files,
// wildcard patterns and, with -r, whole folders walked down to every file
// below them. Whatever a split would pass over (a folder without -r, a
// symbolic link inside a tree without -L, a FIFO, socket or device) is said
// on stderr, never dropped silently.
#pragma once

#include "engine/name_list.h"

namespace parvex {
class TBackupFile;
}

namespace parvex::cli {

struct FileListOptions {
  bool recursive = false;    // -r: a folder stands for every file below it
  bool dereference = false;  // -L: links inside a tree are stored as what they point to
};

// The names for TBackupFile::Backup. Without -r they are the entries made
// absolute (the engine expands their wildcards); with -r they are the files
// themselves, each folder's in byte order of their names, to be taken
// literally (TBackupFile::LiteralNames). Returns 0, or the exit status after
// the message is printed: 1 for a name that matches nothing or a folder that
// cannot be read, 2 for a folder named without -r.
int CollectFiles(const NameList& entries, const FileListOptions& options, TBackupFile& bf, NameList& files);

}  // namespace parvex::cli
