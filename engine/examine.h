// Reading a volume set without restoring it: what files it holds, their sizes
// and the volumes they span (list), or a full check that decodes every block
// (test). The set reader makes the checks, the same as for a restore; this
// only counts and reports.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "engine/set_reader.h"
#include "engine/volume_request.h"
#include "platform/Platform.h"

namespace parvex {

struct StoredFile {
  std::string name;  // as stored; show it with SafeText
  std::uint32_t dosTime = 0;
  std::int64_t size = 0;
  unsigned firstVolume = 1;
  unsigned lastVolume = 1;
  bool complete = true;  // false: the set ended while this file may have gone on
};

struct SetInfo {
  std::string title;
  std::int64_t headerTotalSize = 0;  // as stored: the low 32 bits of the sizes
  std::int32_t fileCount = 0;        // as stored
  std::int64_t files = 0;            // file records read
  std::int64_t dataBytes = 0;        // the files' sizes added up
  unsigned volumes = 0;
  std::int64_t storedBytes = 0;  // bytes of all volumes read
  SetEnd ending = SetEnd::kCut;
  std::string endNote;  // for a set without its end record: what ended it, and where
  bool complete() const { return ending == SetEnd::kCompleted; }
};

struct InspectOptions {
  // Decode every block and check that each block but a file's last decodes to
  // exactly one chunk. Otherwise only a segment's last block is decoded.
  bool verify = false;
  unsigned threads = 1;  // threads that decode; 0 = one per core
  // Asked for every further volume, and again while it is absent. Unset: a
  // volume that is there is read, an absent one is an error.
  TVolumeAsker askForVolume;
  // Told of each file once its size is known, in set order.
  std::function<void(const StoredFile&)> onFile;
  // Called after every block with the bytes of the volumes read so far; false stops.
  std::function<bool(std::int64_t bytesRead)> progress;
};

// `archiveName` is taken against the Env's working directory when relative.
// Throws EArchiveError for a missing first volume, a missing further volume
// (when not asked for), and every fault of the set's structure or blocks. A
// stop (declined volume, progress returning false) returns what was read, with
// ending kStopped.
SetInfo InspectSet(platform::Env& env, const std::string& archiveName, const InspectOptions& options);

}  // namespace parvex
