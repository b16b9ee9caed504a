// The command line's sub-commands. Each returns the exit status: 0 done,
// 1 error (message on stderr), 2 usage, 3 stopped by the user (Ctrl-C, SIGTERM,
// SIGHUP, or a volume not brought).
#pragma once

#include <istream>
#include <string>
#include <vector>

#include "engine/name_list.h"
#include "engine/volume_request.h"

namespace parvex::cli {

enum ExitStatus { kOk = 0, kError = 1, kUsage = 2, kStopped = 3 };

struct SplitOptions {
  std::string archive;
  std::vector<std::string> files;
  std::string filesFrom;  // a file with one name per line, taken after `files`
  std::string title;
  std::string volumeSize = "0";
  bool idFiles = false;
  bool incremental = false;
  bool clearArchiveFlag = false;
  bool pause = false;
  bool quiet = false;
  bool overwrite = false;  // replace an existing set (and remove its further volumes the new one does not reach)
  unsigned threads = 0;  // 0: one per core
  bool recursive = false;    // -r: folders stand for every file below them
  bool dereference = false;  // -L: links inside folders are stored as what they point to
};

struct JoinOptions {
  std::string archive;
  std::string dest;
  bool fullPath = false;
  std::string mode = "all";
  bool noPrompt = false;
  bool quiet = false;
  bool salvage = false;  // read on past segments left unfinished by older versions
  unsigned threads = 0;
};

int RunSplit(const SplitOptions& options);
int RunJoin(const JoinOptions& options);
int RunTitle(const std::string& archive);
// list and test.
struct InspectCommandOptions {
  std::string archive;
  bool noPrompt = false;
  bool quiet = false;  // no progress display
  bool json = false;   // one JSON document on stdout instead of the text
};

int RunList(const InspectCommandOptions& options);
int RunTest(const InspectCommandOptions& options);

class ProgressLine;

// Asks on the terminal for a further volume that is absent (clearing the
// progress line first), unless told not to or there is no terminal: then an
// absent volume is an error.
TVolumeAsker VolumeAsker(bool noPrompt, ProgressLine* progress);

// Adds the names of a -T list: one a line, without a trailing CR (lists
// written on Windows) and without blanks around it; empty and blank lines are
// skipped.
void ReadListedNames(std::istream& list, NameList& names);

// "1440K" -> 1,474,560; "0" -> 0; K, M, G are powers of 1024. False when the
// text is not a size.
bool ParseSize(const std::string& text, long long& bytes);

}  // namespace parvex::cli
