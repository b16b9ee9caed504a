// list --json and test --json: one JSON document on stdout for scripts.
//
//   {"archive": first volume, "comment": the set's comment (null when it
//    cannot be read), "files": [{"name", "size", "time" (local,
//    YYYY-MM-DDTHH:MM:SS), "volumes": [first ... last], "complete"}],
//    "volumes": [{"number", "name", "size" (null when not on disk)}],
//    "fileCount", "dataBytes", "storedBytes", "verified" (test),
//    "completed", "stopped", "endNote" (what ended a set without its end
//    record), "fault": null or {"message", "volume", "volumeName", "offset"}}
//
// Files are written as they are read, so a set of any size is listed in the
// same memory. Names that are not UTF-8 have their bad bytes as U+FFFD.
#pragma once

#include <cstdint>
#include <string>

#include "cli/commands.h"

namespace parvex::cli {

// Runs list (verify false) or test (verify true). Exit status as for the
// text: 0 done (for test: the set is whole), 1 a fault (or, for test, a set
// that was not completed), 3 stopped.
int RunInspectJson(const InspectCommandOptions& options, bool verify);

// Where a fault's detail says it lies: the volume (0 when it names none of
// the set's first 999) and the offset in it (-1 when it gives none).
struct FaultPlace {
  unsigned volume = 0;
  std::int64_t offset = -1;
};
FaultPlace PlaceOf(const std::string& detail, const std::string& firstVolume);

}  // namespace parvex::cli
