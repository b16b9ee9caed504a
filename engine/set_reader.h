// One walk over a volume set, shared by the restore and by the examination
// (list, test): the header, the records, the continuations with their volume
// requests, the segments and the blocks, in set order, with every check of the
// format made here and nowhere else. The reader reports what it meets; what to
// do with it (write files, count, verify) is the caller's.
//
// A set is read as far as it goes: a set whose last volume was cut off (a
// split that was stopped or killed) ends as kCut, with everything before the
// cut handed out. Blocks that follow the recorded length of the last segment of
// such a set (a split killed before it could record them) are taken as that
// segment's continuation. No claimed length makes the reader allocate more
// than a name's or a title's limit, and no continuation can lead it back to a
// volume it has read.
//
// Thread safety: one thread at a time; blocks are decoded on a pool of its own.
#pragma once

#include <cstdint>
#include <exception>
#include <memory>
#include <string>
#include <vector>

#include "base/Exception.h"
#include "engine/volume_reader.h"
#include "engine/volume_request.h"
#include "platform/Platform.h"

namespace parvex {

class WorkPool;

struct SetHeader {
  std::string title;
  std::uint32_t totalSize = 0;  // as stored: the low 32 bits of the sizes
  std::int32_t fileCount = 0;
};

// A file record.
struct SetFile {
  std::string name;  // as stored
  std::uint32_t dosTime = 0;
  unsigned volume = 1;
  std::int64_t offset = 0;
};

// One block of the current file.
struct SetBlock {
  const std::uint8_t* data = nullptr;  // the decoded bytes; null when not decoded
  std::size_t size = 0;                // decoded bytes; a whole chunk when not decoded
  bool decoded = false;
  unsigned volume = 1;
  std::int64_t offset = 0;  // of its block record
};

enum class SetEnd {
  kCompleted,  // the end record
  kCut,        // the last volume ends without it (the split was stopped or killed)
  kStopped,    // a further volume was declined
  kSalvaged,   // salvage read blocks as far as they parse and stopped there
};

// A segment that claims more than its volume holds, or has length 0 and is
// followed by blocks and then by something else, as sets left unfinished by
// older versions are: reading with `salvage` takes its blocks as far as they go.
class EUnfinishedSegment : public EArchiveError {
 public:
  using EArchiveError::EArchiveError;
};

struct SetReaderOptions {
  unsigned threads = 1;  // threads that decode blocks; 1: the calling thread only
  bool salvage = false;
  // Asked for every further volume, and again while it stays absent (at most
  // kMaxVolumeRequests times). Unset: a present volume is opened, an absent
  // one is an error.
  TVolumeAsker askForVolume;
};

class SetReader {
 public:
  enum class Item { kFile, kVolume, kBlock, kEnd };

  SetReader(platform::Env& env, const std::string& firstVolume, SetReaderOptions options);
  ~SetReader();
  SetReader(const SetReader&) = delete;
  SetReader& operator=(const SetReader&) = delete;

  // Opens the first volume and reads its header. Throws EArchiveError ("Cannot
  // read archive: NAME is not a Parvex volume set" for a file whose start is not
  // a set's header followed by a file record or the end record).
  const SetHeader& Open();

  // REQUIRES: Open. The next item of the set:
  //   kFile    a file record (File()); its blocks follow, on this volume and,
  //            after kVolume, on further ones.
  //   kVolume  a further volume was opened; the current file goes on there.
  //   kBlock   the next block of the current file (Block()).
  //   kEnd     nothing follows (Ending(), EndNote()); so does every later call.
  // Throws EArchiveError for every fault, naming the volume and the offset.
  Item Next();

  // After kFile: decode every block of this file, and check that each but its
  // last decodes to a whole chunk. Otherwise only the blocks whose size is
  // needed (a segment's last) are decoded.
  void DecodeCurrentFile(bool all) { decodeAll_ = all; }

  bool HasFile() const { return hasFile_; }
  const SetFile& File() const { return file_; }
  const SetBlock& Block() const { return block_; }
  // Whether the current file is known to be whole: the reader has gone past
  // its last segment, or its last block was shorter than a chunk.
  bool CurrentFileComplete() const;

  SetEnd Ending() const { return ending_; }
  // For kCut and kSalvaged: what ended the set, and where.
  const std::string& EndNote() const { return endNote_; }

  unsigned Volumes() const { return volumeNumber_; }
  const std::string& VolumeName() const { return volume_.Name(); }
  // Bytes of all volumes read so far.
  std::int64_t BytesRead() const { return bytesBefore_ + (aheadStarted_ ? ahead_.readFrom : volume_.Offset()); }

 private:
  enum class State { kRecord, kSegment, kBlocks, kTail, kSalvage, kDone };
  struct Pending;

  bool ReadRecord(Item& item);
  bool NextVolume(const std::string& text, std::int64_t at);
  void ReadSegmentHead(bool required);
  bool EndOrContinuationAt(std::int64_t at);
  bool ValidRecordAt(std::int64_t at, bool deep = false);
  bool BlocksRunToEndAt(std::int64_t at, bool oneIsEnough = false);
  struct Batch;
  void FillBatch(Batch& batch);
  bool ReadBlock(Batch& batch, Pending& p, bool run);
  static void DecodeBlock(Pending& p);
  void ReadAhead();
  void DropAhead();
  bool HandOut();
  void Finish(SetEnd how, const std::string& note);
  [[noreturn]] void Fault(const char* fixed, std::int64_t at, const std::string& what) const;
  std::string OfFile() const;

  platform::Env& env_;
  const std::string first_;
  const SetReaderOptions options_;
  VolumeReader volume_;
  std::vector<std::string> volumeNames_;  // of the volumes read, in order
  unsigned volumeNumber_ = 0;
  std::int64_t bytesBefore_ = 0;  // of the volumes closed
  SetHeader header_;

  State state_ = State::kRecord;
  SetEnd ending_ = SetEnd::kCut;
  std::string endNote_;
  bool afterSegment_ = false;      // the last thing read was a segment's end
  std::int64_t segmentLeft_ = 0;   // bytes of block records left in the segment
  std::int64_t segmentAt_ = 0;     // where the current segment's head is
  std::int64_t segmentLength_ = 0;
  std::string tailNote_;           // why blocks are read as far as they go, and from where

  bool hasFile_ = false;
  SetFile file_;
  bool decodeAll_ = false;
  bool fileEnded_ = false;         // the reader has gone past the file's last segment
  std::int64_t lastSize_ = -1;     // decoded size of the file's last block handed out
  std::int64_t lastAt_ = 0;
  SetBlock block_;

  // Blocks read ahead and decoded together, handed out in order; a fault met
  // while reading ahead (or the end of a run of blocks) comes at its turn.
  // With a pool, the batch after the one handed out is read as soon as that
  // one is, and decoded on the pool while the caller writes out its blocks.
  struct Batch {
    std::vector<Pending> items;
    std::size_t count = 0;
    std::exception_ptr fault;  // after its blocks
    bool ends = false;         // a run of blocks ends after its blocks
    SetEnd ending = SetEnd::kCut;
    std::string note;
    std::int64_t readFrom = 0;  // the volume's offset where its reading began
  };
  Batch batch_, ahead_;
  bool aheadStarted_ = false;  // ahead_ is read and on the pool
  std::size_t nextOut_ = 0;
  std::unique_ptr<WorkPool> pool_;
};

}  // namespace parvex
