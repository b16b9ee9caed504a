#include "engine/block_source.h"

#include <algorithm>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <thread>

#include "base/Exception.h"
#include "engine/format.h"
#include "engine/LZRW1KH.h"

namespace parvex {
namespace {

using platform::IoError;
constexpr std::size_t kChunk = format::kChunkSize;

// Opens the next existing file of the list; the shared first step of both sources.
bool OpenNext(platform::Env& env, NameList::Cursor& names, const OwnFiles* own, SourceFile& file,
              std::unique_ptr<platform::ReadableFile>& handle) {
  while (names.Next()) {
    const std::string& name = names.Name();
    file = SourceFile{name, 0, 0, "", false};
    handle.reset();
    try {
      handle = env.OpenForReading(name);
      if (own && own->Contains(handle->Id())) {
        file.own = true;
        handle.reset();
        return true;
      }
      file.size = handle->SizeAtOpen();
      file.dosTime = static_cast<std::uint32_t>(handle->DosTimeAtOpen());
    } catch (const IoError& e) {
      // What does not exist as a file (a directory, a vanished file) is passed
      // over; a file that cannot be read is an error at its turn.
      if (!env.FileExists(name)) continue;
      file.error = e.what();
      file.dosTime = static_cast<std::uint32_t>(env.GetDosFileTime(name));
    }
    return true;
  }
  return false;
}

class SerialSource : public BlockSource {
 public:
  SerialSource(platform::Env& env, const NameList& names, const OwnFiles* own)
      : env_(env), names_(names), own_(own), chunk_(kChunk), block_(kChunk + kCompressSlack) {}

  bool NextFile(SourceFile& file) override {
    if (!OpenNext(env_, names_, own_, file, handle_)) return false;
    remaining_ = file.size;
    changed_ = false;
    return true;
  }

  bool CurrentFileChanged() const override { return changed_; }

  bool NextBlock(SourceBlock& block) override {
    if (!handle_ || remaining_ <= 0) return false;
    const std::size_t want = static_cast<std::size_t>(std::min<std::int64_t>(remaining_, kChunk));
    std::size_t got = 0;
    try {
      got = handle_->Read(chunk_.data(), want);
    } catch (const IoError& e) {
      throw EArchiveError(kCannotReadFile, e.what());
    }
    if (got == 0) {  // the file ended before the size it announced
      changed_ = true;
      handle_.reset();
      return false;
    }
    changed_ = got < want;
    remaining_ = got < want ? 0 : remaining_ - static_cast<std::int64_t>(got);
    block.length = compressor_.Compress(chunk_.data(), block_.data(), static_cast<std::uint16_t>(got));
    block.data = block_.data();
    block.inputBytes = got;
    block.last = remaining_ == 0;
    if (block.last) {
      changed_ = changed_ || handle_->ChangedSinceOpen();
      handle_.reset();
    }
    return true;
  }

 private:
  platform::Env& env_;
  NameList::Cursor names_;
  const OwnFiles* own_;
  bool changed_ = false;
  std::unique_ptr<platform::ReadableFile> handle_;
  std::int64_t remaining_ = 0;
  std::vector<std::uint8_t> chunk_;
  std::vector<std::uint8_t> block_;
  LzrwCompressor compressor_;
};

// A reader thread fills a ring of slots in list order: a file's chunks (the
// first carries the file's head, the last is marked as such; a file without
// data gets a slot of its own for its head), and an end mark after a file that
// ended before its announced size. Workers compress chunk slots; the consumer takes
// slots in ring order once they are ready, and while the head is not ready it
// compresses queued slots itself (the head first) rather than sleep. The ring
// bounds the memory in use (about 64 KiB a slot).
class ParallelSource : public BlockSource {
 public:
  ParallelSource(platform::Env& env, const NameList& names, unsigned threads, const OwnFiles* own)
      : env_(env), names_(names), own_(own), slots_(std::max<std::size_t>(32, 8 * threads)) {
    for (Slot& slot : slots_) {
      slot.input.resize(kChunk);
      slot.output.resize(kChunk + kCompressSlack);
    }
    reader_ = std::thread([this] { ReadAhead(); });
    for (unsigned i = 0; i < threads; ++i) workers_.emplace_back([this] { Compress(); });
  }

  ~ParallelSource() override {
    {
      std::lock_guard lock(mutex_);
      stopping_ = true;
    }
    slotFreed_.notify_all();
    workQueued_.notify_all();
    reader_.join();
    for (std::thread& worker : workers_) worker.join();
  }

  bool NextFile(SourceFile& file) override {
    // Passes over whatever is left of the current file (its data was not wanted).
    for (;;) {
      Slot& slot = TakePublished();
      if (slot.head && !headGiven_) {
        file = slot.file;
        changed_ = false;
        // A head that comes with the file's first chunk stays for NextBlock;
        // the chunk may still be compressed meanwhile.
        if (slot.kind == Kind::kFile) {
          Release();
        } else {
          headGiven_ = true;
        }
        return true;
      }
      headGiven_ = false;
      const bool end = Take().kind == Kind::kEnd;
      Release();
      if (end) return false;
    }
  }

  bool CurrentFileChanged() const override { return changed_; }

  bool NextBlock(SourceBlock& block) override {
    Slot& slot = Take();
    if ((slot.head && !headGiven_) || slot.kind == Kind::kFile || slot.kind == Kind::kEnd) {
      return false;  // a following file's head stays for NextFile
    }
    headGiven_ = false;
    if (slot.kind == Kind::kFileEnd) {
      changed_ = true;
      Release();
      return false;
    }
    if (!slot.error.empty()) throw EArchiveError(kCannotReadFile, slot.error);
    block.data = slot.output.data();
    block.length = slot.length;
    block.inputBytes = slot.inputBytes;
    block.last = slot.last;
    if (slot.last) changed_ = slot.changed;
    held_ = true;  // the block stays valid until the next call
    return true;
  }

 private:
  enum class Kind { kFile, kChunk, kFileEnd, kEnd };
  enum class State { kFilling, kQueued, kWorking, kReady };
  struct Slot {
    Kind kind = Kind::kEnd;
    State state = State::kFilling;
    bool head = false;  // begins a file: `file` holds it
    SourceFile file;
    std::vector<std::uint8_t> input, output;
    std::size_t inputBytes = 0;
    std::uint16_t length = 0;
    bool last = false;
    bool changed = false;  // of a file's last chunk: the file changed while it was read
    std::string error;
  };

  static void CompressSlot(LzrwCompressor& compressor, Slot& slot) {
    slot.length = compressor.Compress(slot.input.data(), slot.output.data(),
                                      static_cast<std::uint16_t>(slot.inputBytes));
  }

  Slot& Head() { return slots_[head_ % slots_.size()]; }

  // Consumer side: the slot at the head once it is published, whether or not
  // compressed.
  Slot& TakePublished() {
    if (held_) Release();
    std::unique_lock lock(mutex_);
    headReady_.wait(lock, [&] { return head_ < tail_; });
    return Head();
  }

  // Consumer side: the slot at the head, once ready. It stays taken until
  // Release. While the head is not ready, the consumer compresses queued slots
  // itself (the head first) instead of sleeping.
  Slot& Take() {
    if (held_) Release();
    std::unique_lock lock(mutex_);
    for (;;) {
      if (head_ < tail_ && Head().state == State::kReady) return Head();
      Slot* slot = nullptr;
      if (head_ < tail_ && Head().state == State::kQueued) {
        slot = &Head();
        work_.erase(std::find(work_.begin(), work_.end(), slot));
      } else if (!work_.empty()) {
        slot = work_.front();
        work_.pop_front();
      }
      if (!slot) {
        headReady_.wait(lock);
        continue;
      }
      slot->state = State::kWorking;
      lock.unlock();
      CompressSlot(compressor_, *slot);
      lock.lock();
      slot->state = State::kReady;
    }
  }

  void Release() {
    held_ = false;
    bool wake;
    {
      std::lock_guard lock(mutex_);
      ++head_;
      wake = readerWaiting_ && tail_ - head_ <= slots_.size() / 2;
    }
    if (wake) slotFreed_.notify_one();
  }

  // Reader side: a free slot at the tail, or null when stopping. A reader that
  // found the ring full waits until half of it is free, so that it is woken
  // once for many slots rather than once a slot.
  Slot* Claim() {
    std::unique_lock lock(mutex_);
    if (tail_ - head_ == slots_.size()) {
      readerWaiting_ = true;
      slotFreed_.wait(lock, [&] { return stopping_ || tail_ - head_ <= slots_.size() / 2; });
      readerWaiting_ = false;
    }
    if (stopping_) return nullptr;
    Slot& slot = slots_[tail_ % slots_.size()];
    slot.state = State::kFilling;
    slot.error.clear();
    return &slot;
  }

  void Publish(Slot& slot, bool compress) {
    bool atHead;
    {
      std::lock_guard lock(mutex_);
      ++tail_;
      slot.state = compress ? State::kQueued : State::kReady;
      if (compress) work_.push_back(&slot);
      atHead = &slot == &Head();
    }
    if (compress) workQueued_.notify_one();
    if (atHead) headReady_.notify_one();  // the consumer may be waiting for it, or for its head
  }

  void ReadAhead() {
    NameList::Cursor names(names_);
    SourceFile file;
    std::unique_ptr<platform::ReadableFile> handle;
    while (OpenNext(env_, names, own_, file, handle)) {
      // The head goes with the file's first chunk, or alone when the file has no data to read.
      std::int64_t remaining = handle ? file.size : 0;
      if (remaining <= 0) {
        Slot* head = Claim();
        if (!head) return;
        head->kind = Kind::kFile;
        head->head = true;
        head->file = file;
        Publish(*head, false);
      }
      for (bool first = true; remaining > 0; first = false) {
        Slot* slot = Claim();
        if (!slot) return;
        slot->head = first;
        if (first) slot->file = file;
        const std::size_t want = static_cast<std::size_t>(std::min<std::int64_t>(remaining, kChunk));
        std::size_t got = 0;
        try {
          got = handle->Read(slot->input.data(), want);
        } catch (const IoError& e) {
          slot->kind = Kind::kChunk;
          slot->error = e.what();
          Publish(*slot, false);
          remaining = 0;
          break;
        }
        if (got == 0) {  // the file ended before the size it announced
          slot->kind = Kind::kFileEnd;
          Publish(*slot, false);
          remaining = -1;
          break;
        }
        remaining = got < want ? 0 : remaining - static_cast<std::int64_t>(got);
        slot->kind = Kind::kChunk;
        slot->inputBytes = got;
        slot->last = remaining == 0;
        slot->changed = slot->last && (got < want || handle->ChangedSinceOpen());
        Publish(*slot, true);
      }
      // A file's last chunk says it is the last; only a file that ended
      // early, whose reader will ask once more, needs an end mark (above).
      handle.reset();
    }
    Slot* end = Claim();
    if (!end) return;
    end->kind = Kind::kEnd;
    end->head = false;
    Publish(*end, false);
  }

  void Compress() {
    LzrwCompressor compressor;
    for (;;) {
      Slot* slot = nullptr;
      {
        std::unique_lock lock(mutex_);
        workQueued_.wait(lock, [&] { return stopping_ || !work_.empty(); });
        if (stopping_) return;
        slot = work_.front();
        work_.pop_front();
        slot->state = State::kWorking;
      }
      CompressSlot(compressor, *slot);
      bool atHead;
      {
        std::lock_guard lock(mutex_);
        slot->state = State::kReady;
        atHead = head_ < tail_ && slot == &Head();
      }
      if (atHead) headReady_.notify_one();
    }
  }

  platform::Env& env_;
  const NameList& names_;
  const OwnFiles* own_;
  std::vector<Slot> slots_;
  std::mutex mutex_;
  std::condition_variable slotFreed_, workQueued_, headReady_;
  std::size_t head_ = 0, tail_ = 0;  // consumed, published
  std::deque<Slot*> work_;
  bool stopping_ = false;
  bool readerWaiting_ = false;
  bool held_ = false;
  bool headGiven_ = false;  // NextFile gave the head slot's file; NextBlock takes its chunk
  bool changed_ = false;    // the consumer's view of the current file
  LzrwCompressor compressor_;  // the consumer's own
  std::thread reader_;
  std::vector<std::thread> workers_;
};

}  // namespace

std::unique_ptr<BlockSource> MakeBlockSource(platform::Env& env, const NameList& names, unsigned threads,
                                             const OwnFiles* own) {
  if (threads <= 1) return std::make_unique<SerialSource>(env, names, own);
  return std::make_unique<ParallelSource>(env, names, threads, own);
}

}  // namespace parvex
