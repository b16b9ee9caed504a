// The progress display of list and test, which read a whole set: how far
// through the bytes of the volumes on disk the reading is, and which volume
// it is in.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "cli/commands.h"
#include "cli/terminal.h"
#include "engine/examine.h"

namespace parvex::cli {

class SetProgress {
 public:
  // `firstVolume` absolute. Draws only when `enabled`; with `manyVolumesOnly`
  // only for a set whose further volumes are on disk (one volume is read too
  // quickly to need it).
  SetProgress(const std::string& firstVolume, bool enabled, bool manyVolumesOnly);

  // After each block, with the bytes of the volumes read so far.
  void Update(std::int64_t bytesRead);
  // Clears the line (before a question, a line of output, or at the end).
  void Finish() { line_.Finish(); }
  ProgressLine* Line() { return &line_; }

 private:
  std::vector<std::string> volumes_;
  std::vector<std::int64_t> ends_;  // where each volume ends, counted through the set
  ProgressLine line_;
};

// The reading options of list (verify false) and test (verify true, decoding
// on every core): volumes asked for on the terminal unless --no-prompt, the
// progress drawn after each block, Ctrl-C stopping the reading.
InspectOptions ReadingOptions(const InspectCommandOptions& command, SetProgress& progress, bool verify);

}  // namespace parvex::cli
