// Reading a volume set without restoring it: what files it holds, their sizes
// and the volumes they span (list), or a full check that decodes every block
// (test). The same checks as Restore; every fault names its volume and offset.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "platform/Platform.h"

namespace parvex {

struct StoredFile {
  std::string name;
  std::uint32_t dosTime = 0;
  std::int64_t size = 0;
  unsigned firstVolume = 1;
  unsigned lastVolume = 1;
};

struct SetInfo {
  std::string title;
  std::int64_t headerTotalSize = 0;  // as stored: the low 32 bits of the sizes
  std::int32_t fileCount = 0;
  std::vector<StoredFile> files;
  unsigned volumes = 0;
  std::int64_t storedBytes = 0;  // bytes of all volumes read
  bool complete = false;         // the end record was found
};

struct InspectOptions {
  // Decode every block and check that each block but a file's last decodes to
  // exactly one chunk. Otherwise only a segment's last block is decoded.
  bool verify = false;
  // Called while the volume `name` (number `volume`) is absent; true to look
  // again, false to stop. Unset: an absent volume is an error.
  std::function<bool(unsigned volume, const std::string& name)> missingVolume;
  // Called after every block with the bytes of the volumes read so far.
  std::function<void(std::int64_t)> progress;
};

// Throws EArchiveError for a missing first volume, a missing further volume
// (when not asked for), and every fault of the set's structure or blocks. A
// stop through missingVolume returns what was read, with complete = false.
SetInfo InspectSet(platform::Env& env, const std::string& archiveName, const InspectOptions& options);

}  // namespace parvex
