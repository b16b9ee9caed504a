// Where the backup takes its compressed blocks from. The serial source reads
// and compresses each chunk when asked; the parallel source reads the files
// ahead on a reader thread and compresses chunks on a pool of workers, each
// with its own compressor, and hands the blocks out strictly in order. Both
// give the same files, blocks and failures at the same points, so the bytes
// written and the events raised do not depend on the source.
#pragma once

#include <cstdint>
#include <memory>
#include <mutex>
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
  bool own = false;           // one of the files the backup writes: not read
};

// The files a backup writes (its volumes and identification files), by device
// and inode: a name of the list that is one of them is never read, whatever
// it is called. Added to by the backup, asked by the reader thread.
class OwnFiles {
 public:
  void Add(platform::FileId id) {
    if (!id.Valid()) return;
    std::lock_guard lock(mutex_);
    ids_.push_back(id);
  }
  bool Contains(platform::FileId id) const {
    std::lock_guard lock(mutex_);
    for (const platform::FileId& own : ids_)
      if (own == id) return true;
    return false;
  }

 private:
  mutable std::mutex mutex_;
  std::vector<platform::FileId> ids_;
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
  // After the current file's last block (or a NextBlock that found no more):
  // whether the file changed while it was read (it ended before its size at
  // opening, or its size or time differ at the end).
  virtual bool CurrentFileChanged() const = 0;
};

// threads <= 1: the serial source. `names` and `own` must outlive the source;
// `own` may be null.
std::unique_ptr<BlockSource> MakeBlockSource(platform::Env& env, const NameList& names, unsigned threads,
                                             const OwnFiles* own);

}  // namespace parvex
