// The walk over a volume set. Records are read at record boundaries; a file
// record's segment head is checked before the file is reported, so that a
// damaged segment never makes the caller create a file; blocks are read ahead
// in batches, decoded together and handed out in order.
#include "engine/set_reader.h"

#include <algorithm>
#include <cstring>
#include <string_view>
#include <utility>

#include "base/SafeText.h"
#include "engine/format.h"
#include "engine/LZRW1KH.h"
#include "engine/work_pool.h"

namespace parvex {

namespace fmt = format;
using platform::IoError;

namespace {

constexpr std::int64_t kChunk = static_cast<std::int64_t>(fmt::kChunkSize);
// Blocks of a batch when decoding on a pool: with their decoded forms 2 MiB,
// twice over with the batch read ahead. Fewer would wake the pool too often.
constexpr std::size_t kPoolBatch = 32;

bool BlockLengthValid(std::int64_t length) {
  return length >= 1 && length <= static_cast<std::int64_t>(kMaxBlockSize);
}

}  // namespace

struct SetReader::Pending {
  std::int64_t at = 0;
  std::int32_t length = 0;
  bool decode = false;
  bool decoded = false;
  std::size_t produced = 0;
  std::string fault;
  // Given their room when first used: a set of small files needs few of them.
  std::vector<std::uint8_t> block, output;
};

SetReader::SetReader(platform::Env& env, const std::string& firstVolume, SetReaderOptions options)
    : env_(env), first_(firstVolume), options_(std::move(options)) {
  const unsigned threads = std::max(1u, options_.threads);
  const std::size_t batch = threads > 1 ? kPoolBatch : 1;
  batch_.items.resize(batch);
  if (threads > 1) {
    ahead_.items.resize(batch);
    pool_ = std::make_unique<WorkPool>(threads);
  }
}

SetReader::~SetReader() = default;

const SetHeader& SetReader::Open() {
  const EArchiveError notASet(kCannotReadArchive, ShownName(first_) + " is not a Parvex volume set");
  try {
    volume_.Open(env_, first_);
    volumeNames_.push_back(first_);
    volumeNumber_ = 1;
    std::int32_t length = 0;
    if (!volume_.ReadI32(length) || length < 0 || length > fmt::kMaxTitleLength || length > volume_.Remaining()) {
      throw notASet;
    }
    header_.title.resize(static_cast<std::size_t>(length));
    std::int32_t total = 0;
    if (!volume_.Read(header_.title.data(), header_.title.size()) || !volume_.ReadI32(total) ||
        !volume_.ReadI32(header_.fileCount)) {
      throw notASet;
    }
    header_.totalSize = static_cast<std::uint32_t>(total);
    // A set goes on with a file record or its end record, or ends here when
    // it was stopped before its first file reached the disk.
    if (volume_.Remaining() > 0) {
      const std::int64_t at = volume_.Offset();
      std::int32_t n = 0;
      if (!volume_.PeekI32At(at, n) || n < 0 || n > fmt::kMaxNameLength || n > volume_.Remaining() - 4) throw notASet;
      char text[9] = {};
      if (n >= 9 && volume_.PeekAt(at + 4, text, 9) && fmt::IsContinuation(std::string_view(text, 9))) throw notASet;
    }
  } catch (const IoError& e) {
    throw EArchiveError(kCannotReadArchive, e.what());
  }
  return header_;
}

SetReader::Item SetReader::Next() {
  try {
    for (;;) {
      if (nextOut_ < batch_.count) {
        if (HandOut()) return Item::kBlock;
        continue;
      }
      if (batch_.fault) std::rethrow_exception(std::exchange(batch_.fault, nullptr));
      if (batch_.ends) {
        batch_.ends = false;
        Finish(batch_.ending, batch_.note);
      }
      if (aheadStarted_) {
        pool_->Wait();
        aheadStarted_ = false;
        std::swap(batch_, ahead_);
        nextOut_ = 0;
        ReadAhead();
        continue;
      }
      switch (state_) {
        case State::kDone:
          return Item::kEnd;
        case State::kRecord: {
          Item item;
          if (ReadRecord(item)) return item;
          break;
        }
        case State::kSegment:
          ReadSegmentHead(/*required=*/true);
          break;
        case State::kBlocks:
          if (segmentLeft_ > 0) {
            FillBatch(batch_);
            ReadAhead();
          } else {
            state_ = State::kRecord;
            afterSegment_ = true;
          }
          break;
        case State::kTail:
        case State::kSalvage:
          FillBatch(batch_);
          ReadAhead();
          break;
      }
    }
  } catch (const IoError& e) {
    throw EArchiveError(kCannotReadArchive, e.what());
  }
}

bool SetReader::CurrentFileComplete() const {
  if (!hasFile_ || fileEnded_) return true;
  return lastSize_ >= 0 && lastSize_ < kChunk;  // only a file's last block is short
}

void SetReader::Finish(SetEnd how, const std::string& note) {
  state_ = State::kDone;
  ending_ = how;
  endNote_ = note;
  if (how == SetEnd::kCompleted) fileEnded_ = true;
}

void SetReader::Fault(const char* fixed, std::int64_t at, const std::string& what) const {
  throw EArchiveError(fixed, volume_.WhereAt(at, what));
}

std::string SetReader::OfFile() const { return hasFile_ ? " of " + ShownName(file_.name) : std::string(); }

// At a record boundary. False when nothing is to be reported yet (the state
// changed, a record without text was passed over, or the set ended).
bool SetReader::ReadRecord(Item& item) {
  const std::int64_t at = volume_.Offset();
  if (std::exchange(afterSegment_, false)) {
    // A split killed before it could record the length of its last segment
    // leaves block records after that length, up to the end of the volume.
    if (!EndOrContinuationAt(at) && BlocksRunToEndAt(at)) {
      state_ = State::kTail;
      tailNote_ = volume_.WhereAt(at, "blocks" + OfFile() +
                                          " follow the recorded length of its segment (the split was stopped before "
                                          "it could record them);");
      return false;
    }
    // Older versions left the length 0 until the segment was done.
    if (segmentLength_ == 0 && !ValidRecordAt(at, /*deep=*/true) && BlocksRunToEndAt(at, /*oneIsEnough=*/true)) {
      if (!options_.salvage) {
        throw EUnfinishedSegment(kCannotReadArchive,
                                 volume_.WhereAt(at, "the segment" + OfFile() + " has length 0, but blocks follow it "
                                                 "and then neither a record nor the end of the volume (a set left "
                                                 "unfinished by an older version?)"));
      }
      state_ = State::kSalvage;
      return false;
    }
  }
  if (volume_.Remaining() == 0) {
    Finish(SetEnd::kCut, ShownName(volume_.Name()) + " ends after " +
                             (hasFile_ ? "the data" + OfFile() : std::string("the set's header")) +
                             ", without the set's end record");
    return false;
  }
  std::int32_t n = 0;
  if (!volume_.ReadI32(n)) {
    Finish(SetEnd::kCut, volume_.WhereAt(at, "the volume ends inside a record length"));
    return false;
  }
  if (n == 0) {
    Finish(SetEnd::kCompleted, "");
    return false;
  }
  if (n < 0) return false;  // a record without text is passed over
  if (n > fmt::kMaxNameLength) {
    Fault(kCannotReadArchive, at, "a record claims a name of " + std::to_string(n) + " bytes; no name is longer than " +
                                      std::to_string(fmt::kMaxNameLength));
  }
  if (n > volume_.Remaining()) {
    Finish(SetEnd::kCut, volume_.WhereAt(at, "the volume ends inside a record of " + std::to_string(n) + " bytes"));
    return false;
  }
  std::string text(static_cast<std::size_t>(n), '\0');
  volume_.Read(text.data(), text.size());
  if (fmt::IsContinuation(text)) {
    if (!NextVolume(text, at)) return false;
    item = Item::kVolume;
    return true;
  }
  std::int32_t time = 0;
  if (!volume_.ReadI32(time)) {
    Finish(SetEnd::kCut, volume_.WhereAt(at, "the volume ends inside the record of " + ShownName(text)));
    return false;
  }
  hasFile_ = true;
  file_ = SetFile{std::move(text), static_cast<std::uint32_t>(time), volumeNumber_, at};
  fileEnded_ = false;
  decodeAll_ = false;
  lastSize_ = -1;
  ReadSegmentHead(/*required=*/false);
  item = Item::kFile;
  return true;
}

// A continuation record: checks that it leads on to the next volume, then asks
// for that volume until it is there. False when the asker stopped.
bool SetReader::NextVolume(const std::string& text, std::int64_t at) {
  const std::string digits = fmt::ContinuationDigits(text);
  if (digits.empty()) Fault(kCannotReadArchive, at, "a continuation record without a volume number");
  if (!hasFile_) Fault(kCannotReadArchive, at, "a continuation record, but no file has begun that it could continue");
  const unsigned current = volumeNumber_;
  const unsigned next = current + 1;
  const std::string nextName = fmt::VolumeName(first_, next);
  const auto readBefore = [this](const std::string& name) -> unsigned {
    const auto it = std::find(volumeNames_.begin(), volumeNames_.end(), name);
    return it == volumeNames_.end() ? 0 : static_cast<unsigned>(it - volumeNames_.begin()) + 1;
  };
  const std::string here = "volume " + std::to_string(current) + " continues on ";
  if (digits != fmt::VolumeDigits(next)) {
    const std::string named = fmt::WithExtension(first_, digits);
    if (const unsigned k = readBefore(named)) {
      Fault(kCannotReadArchive, at, here + ShownName(named) + ", which is volume " + std::to_string(k) +
                                        " of this set and was read already");
    }
    Fault(kCannotReadArchive, at, here + ShownName(named) + ", but the volume after it is volume " +
                                      std::to_string(next) + " (" + ShownName(nextName) + ")");
  }
  if (const unsigned k = readBefore(nextName)) {
    Fault(kCannotReadArchive, at, here + "volume " + std::to_string(next) + ", whose name " + ShownName(nextName) +
                                      " is that of volume " + std::to_string(k) +
                                      ", read already (three digits number no more than 999 volumes)");
  }

  const std::int64_t consumed = volume_.Offset();
  volume_.Close();
  const std::string missing = "volume " + std::to_string(next) + " is missing: " + ShownName(nextName) + " not found";
  TVolumeRequest request;
  request.purpose = vpRead;
  request.volume = next;
  request.diskId = static_cast<std::uint16_t>(next);
  request.fileName = nextName;
  for (int attempt = 1;; ++attempt) {
    request.attempt = attempt;
    request.present = env_.FileExists(nextName);
    if (!options_.askForVolume) {
      if (request.present) break;
      throw EArchiveError(kCannotReadArchive, missing);
    }
    if (!options_.askForVolume(request)) {
      Finish(SetEnd::kStopped, "volume " + std::to_string(next) + " (" + ShownName(nextName) + ") was not brought");
      return false;
    }
    if (env_.FileExists(nextName)) break;
    if (attempt >= kMaxVolumeRequests) {
      throw EArchiveError(kCannotReadArchive, missing + " (asked for " + std::to_string(attempt) + " times)");
    }
  }
  volume_.Open(env_, nextName);
  bytesBefore_ += consumed;
  volumeNames_.push_back(nextName);
  volumeNumber_ = next;
  state_ = State::kSegment;
  return true;
}

// The segment head after a file record (`required` false) or at the start of
// a further volume (`required` true).
void SetReader::ReadSegmentHead(bool required) {
  const std::int64_t at = volume_.Offset();
  segmentAt_ = at;
  state_ = State::kRecord;
  std::uint8_t magic[4];
  if (!volume_.PeekAt(at, magic, 4)) {
    // Nothing follows the file time: the record ends the volume (or the set was cut).
    if (!required && volume_.Remaining() == 0) return;
    Finish(SetEnd::kCut, volume_.WhereAt(at, "the volume ends inside the segment head" + OfFile()));
    return;
  }
  if (!fmt::IsSegmentMagic(magic)) {
    // Older versions wrote an empty file's record without a segment; only a
    // valid record right after it shows that this is such a file.
    if (!required && ValidRecordAt(at)) return;
    Fault(kInvalidArchiveType, at, "no segment begins here" + (hasFile_ ? " for the data" + OfFile() : std::string()));
  }
  if (volume_.Remaining() < static_cast<std::int64_t>(fmt::kSegmentHeadSize)) {
    Finish(SetEnd::kCut, volume_.WhereAt(at, "the volume ends inside the segment head" + OfFile()));
    return;
  }
  std::int32_t length = 0;
  volume_.Skip(4);
  volume_.ReadI32(length);
  segmentLength_ = length;
  if (length < 0) Fault(kCannotReadArchive, at, "the segment" + OfFile() + " has the length " + std::to_string(length));
  if (length > volume_.Remaining()) {
    // A volume cut off in the middle of a write can end inside a segment
    // whose length was already recorded in full.
    if (BlocksRunToEndAt(volume_.Offset())) {
      state_ = State::kTail;
      tailNote_ = volume_.WhereAt(at, "the segment" + OfFile() + " claims " + std::to_string(length) +
                                          " bytes, more than the volume holds (it was cut off);");
      return;
    }
    if (options_.salvage) {
      state_ = State::kSalvage;
      return;
    }
    throw EUnfinishedSegment(kCannotReadArchive,
                             volume_.WhereAt(at, "the segment" + OfFile() + " claims " + std::to_string(length) +
                                                     " bytes, but the volume holds only " +
                                                     std::to_string(volume_.Remaining()) + " after its head"));
  }
  segmentLeft_ = length;
  state_ = State::kBlocks;
}

// Whether the end record or a continuation record (well formed or not) begins at `at`.
bool SetReader::EndOrContinuationAt(std::int64_t at) {
  std::int32_t n = -1;
  if (!volume_.PeekI32At(at, n)) return false;
  if (n == 0) return true;
  char text[9];
  if (n < 9 || n > fmt::kMaxNameLength || !volume_.PeekAt(at + 4, text, sizeof text)) return false;
  return fmt::IsContinuation(std::string_view(text, sizeof text));
}

// Whether a record begins at `at`: the end record, a continuation record, or a
// file record whose name is within the limit and the volume and which is
// followed by a file time; `deep` also asks the file record to be followed by
// a segment head, a further valid record, or the end of the volume.
bool SetReader::ValidRecordAt(std::int64_t at, bool deep) {
  std::int32_t n = 0;
  if (!volume_.PeekI32At(at, n)) return false;
  if (n == 0) return true;
  if (n < 0 || n > fmt::kMaxNameLength || n > volume_.Size() - at - 4) return false;
  char head[12] = {};
  const std::size_t shown = std::min<std::size_t>(static_cast<std::size_t>(n), sizeof head);
  volume_.PeekAt(at + 4, head, shown);
  const std::string_view text(head, shown);
  if (fmt::IsContinuation(text)) return n == 12 && !fmt::ContinuationDigits(text).empty();
  const std::int64_t after = at + 4 + n + 4;
  if (after > volume_.Size()) return false;
  if (!deep || after == volume_.Size()) return true;
  std::uint8_t magic[4];
  if (volume_.PeekAt(after, magic, 4) && fmt::IsSegmentMagic(magic)) return true;
  return ValidRecordAt(after, false);
}

// Whether block records begin at `at` and follow each other up to the end of
// the volume (the last one may be cut off by it); with `oneIsEnough`, whether
// one whole block record begins there.
bool SetReader::BlocksRunToEndAt(std::int64_t at, bool oneIsEnough) {
  const std::int64_t size = volume_.Size();
  // Read in windows rather than a field at a time: the run may be long.
  std::vector<std::uint8_t> window(64 * 1024);
  std::int64_t windowAt = -1, windowEnd = -1;
  const auto length = [&](std::int64_t p, std::int32_t& value) {
    if (p + 4 > size) return false;
    if (p < windowAt || p + 4 > windowEnd) {
      const std::size_t n = static_cast<std::size_t>(std::min<std::int64_t>(size - p, 64 * 1024));
      if (!volume_.PeekAt(p, window.data(), n)) return false;
      windowAt = p;
      windowEnd = p + static_cast<std::int64_t>(n);
    }
    value = static_cast<std::int32_t>(fmt::DecodeFixed32(window.data() + (p - windowAt)));
    return true;
  };
  std::int64_t p = at;
  for (bool first = true; p < size; first = false) {
    std::int32_t b = 0;
    if (!length(p, b)) return !first;  // a length cut off after a whole record
    if (!BlockLengthValid(b)) return false;
    if (b + 4 > size - p) return !oneIsEnough;  // a record cut off by the end
    if (oneIsEnough) return true;
    p += 4 + b;
  }
  return p > at;
}

void SetReader::DecodeBlock(Pending& p) {
  p.produced = static_cast<std::size_t>(kChunk);
  p.decoded = false;
  p.fault.clear();
  if (!p.decode) return;
  try {
    p.produced = DecompressBlock(p.block.data(), p.output.data(), static_cast<std::uint16_t>(p.length));
    p.decoded = true;
  } catch (const ECorruptBlock& e) {
    p.fault = e.what();
    p.produced = 0;  // a file that is not restored or verified need not be sound
  }
}

// Reads the block record at the volume's position into `p`. False, with the
// reason in `batch`, when no block is to be read there.
bool SetReader::ReadBlock(Batch& batch, Pending& p, bool run) {
  std::int32_t b = 0;
  if (!run) {
    if (segmentLeft_ <= 0) return false;
    if (segmentLeft_ < 4 || !volume_.ReadI32(b) || !fmt::BlockLengthFits(b, segmentLeft_)) {
      batch.fault = std::make_exception_ptr(EArchiveError(
          kCannotReadArchive,
          volume_.WhereAt(p.at, "a block length of " + std::to_string(b) + " does not fit its segment" + OfFile())));
      return false;
    }
    volume_.Read(p.block.data(), static_cast<std::size_t>(b));
    segmentLeft_ -= b + 4;
    p.decode = decodeAll_ || segmentLeft_ == 0;
  } else {
    const bool salvage = state_ == State::kSalvage;
    std::string why;
    if (volume_.Remaining() == 0) {
      why = "the volume ends";
    } else if (!volume_.PeekI32At(p.at, b)) {
      why = "the volume ends inside a block length";
    } else if (!BlockLengthValid(b)) {
      why = "no block begins here";
    } else if (b + 4 > volume_.Remaining()) {
      why = "the volume ends inside a block record";
    }
    if (!why.empty()) {
      batch.ends = true;
      batch.ending = salvage ? SetEnd::kSalvaged : SetEnd::kCut;
      batch.note = salvage ? volume_.WhereAt(p.at, "salvage stopped here: " + why)
                           : tailNote_ + " its blocks were read up to offset " + std::to_string(p.at) + ", where " +
                                 why;
      return false;
    }
    volume_.Skip(4);
    volume_.Read(p.block.data(), static_cast<std::size_t>(b));
    p.decode = true;
  }
  p.length = b;
  return true;
}

// Reads the next batch of blocks; the batch to be handed out next is decoded
// before the return, the one read ahead is started on the pool.
void SetReader::FillBatch(Batch& batch) {
  const bool ahead = &batch == &ahead_;
  batch.count = 0;
  batch.readFrom = volume_.Offset();
  if (!ahead) nextOut_ = 0;
  const bool run = state_ != State::kBlocks;  // blocks as far as they go, not by a length
  std::size_t n = 0;
  for (; n < batch.items.size(); ++n) {
    Pending& p = batch.items[n];
    if (p.block.empty()) {
      p.block.resize(kMaxBlockSize);
      p.output.resize(kMaxBlockInput);
    }
    p.at = volume_.Offset();
    try {
      if (!ReadBlock(batch, p, run)) break;
    } catch (const IoError& e) {
      // After the blocks read before it, as one block at a time would have it.
      batch.fault = std::make_exception_ptr(EArchiveError(kCannotReadArchive, e.what()));
      break;
    }
  }
  batch.count = n;
  const auto decode = [&batch](std::size_t i) { DecodeBlock(batch.items[i]); };
  if (ahead) {
    pool_->Start(n, decode);
  } else if (pool_ && n > 1) {
    pool_->Run(n, decode);
  } else {
    for (std::size_t i = 0; i < n; ++i) decode(i);
  }
}

// With a pool: reads the batch after the current one, while this still goes
// on in the same segment or run, and starts its decoding.
void SetReader::ReadAhead() {
  if (!pool_ || batch_.fault || batch_.ends) return;
  if (state_ == State::kBlocks ? segmentLeft_ <= 0 : state_ != State::kTail && state_ != State::kSalvage) return;
  FillBatch(ahead_);
  aheadStarted_ = true;
}

void SetReader::DropAhead() {
  if (!aheadStarted_) return;
  pool_->Wait();
  aheadStarted_ = false;
  ahead_.count = 0;
  ahead_.fault = nullptr;
  ahead_.ends = false;
}

// Hands out the next block read ahead; false when it ended a salvage.
bool SetReader::HandOut() {
  const Pending& p = batch_.items[nextOut_++];
  if (!p.fault.empty() && decodeAll_) {
    DropAhead();
    if (state_ == State::kSalvage) {
      nextOut_ = batch_.count;
      batch_.fault = nullptr;
      batch_.ends = false;
      Finish(SetEnd::kSalvaged, volume_.WhereAt(p.at, "salvage stopped here: a block" + OfFile() +
                                                          " that cannot be decoded (" + p.fault + ")"));
      return false;
    }
    Fault(kCannotReadArchive, p.at, p.fault + " (a block" + OfFile() + ")");
  }
  if (decodeAll_ && lastSize_ >= 0 && lastSize_ != kChunk) {
    DropAhead();
    Fault(kCannotReadArchive, lastAt_, "a block" + OfFile() + " that is not its last decodes to " +
                                           std::to_string(lastSize_) + " bytes, not " + std::to_string(kChunk));
  }
  block_.data = p.decoded ? p.output.data() : nullptr;
  block_.size = p.produced;
  block_.decoded = p.decoded;
  block_.volume = volumeNumber_;
  block_.offset = p.at;
  lastSize_ = p.decoded ? static_cast<std::int64_t>(p.produced) : -1;
  lastAt_ = p.at;
  return true;
}

}  // namespace parvex
