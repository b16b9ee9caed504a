// Where the backup takes its compressed blocks from. The serial source reads
// and compresses each chunk when asked; the parallel source reads the files
// ahead on a reader thread and compresses chunks on a pool of workers, each
// with its own compressor, and hands the blocks out strictly in order. Both
// give the same files, blocks and failures at the same points, so the bytes
// written and the events raised do not depend on the source.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "engine/name_list.h"
#include "platform/Platform.h"

namespace parvex {

struct SourceFile {
  std::string name;
  std::int64_t size = 0;      // at the moment the file was opened
  std::uint32_t dosTime = 0;
  std::string error;          // not empty: the file could not be opened
};

struct SourceBlock {
  const std::uint8_t* data = nullptr;  // valid until the next call
  std::uint16_t length = 0;            // block length
  std::size_t inputBytes = 0;          // chunk bytes it holds
  bool last = false;                   // no data of the file follows
};

class BlockSource {
 public:
  virtual ~BlockSource() = default;
  // The next name of the list that exists as a file, opened; false at the end.
  virtual bool NextFile(SourceFile& file) = 0;
  // The next block of the current file; false when the file has no more data.
  // Throws EArchiveError("Cannot read file", ...) when reading fails.
  virtual bool NextBlock(SourceBlock& block) = 0;
};

// threads <= 1: the serial source. `names` must outlive the source.
std::unique_ptr<BlockSource> MakeBlockSource(platform::Env& env, const NameList& names, unsigned threads);

}  // namespace parvex
