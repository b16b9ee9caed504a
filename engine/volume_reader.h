// Buffered reading of one volume with the position known at every step, so
// that every fault can name the volume and the offset where it was found. The
// reader never reads past the size the volume had when it was opened, and
// tells the caller when a field would run past it instead of failing, so that
// the caller can tell a volume that was cut off from one that is damaged.
//
// Thread safety: one thread at a time.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/Platform.h"

namespace parvex {

class VolumeReader {
 public:
  VolumeReader() : buffer_(kBufferSize) {}
  VolumeReader(const VolumeReader&) = delete;
  VolumeReader& operator=(const VolumeReader&) = delete;

  // Opens `name` and takes a shared lock on it; throws IoError when it cannot
  // be opened, or (EWOULDBLOCK) while a split holds it.
  void Open(platform::Env& env, const std::string& name);
  void Close() { file_.reset(); }
  bool IsOpen() const { return file_ != nullptr; }

  const std::string& Name() const { return name_; }
  std::int64_t Size() const { return size_; }
  std::int64_t Offset() const { return offset_; }
  std::int64_t Remaining() const { return size_ - offset_; }

  // Reads exactly n bytes. False, with nothing consumed, when fewer than n are
  // left. Throws IoError when reading fails.
  bool Read(void* dst, std::size_t n);
  bool ReadI32(std::int32_t& value);
  // Moves on by n bytes; false, with nothing consumed, when fewer are left.
  bool Skip(std::int64_t n);
  // n bytes at `offset` without moving the reading position; false when they
  // do not all lie inside the volume.
  bool PeekAt(std::int64_t offset, void* dst, std::size_t n);
  bool PeekI32At(std::int64_t offset, std::int32_t& value);

  // "<volume>, offset <o>: <what>" for error details.
  std::string WhereAt(std::int64_t offset, const std::string& what) const;

 private:
  static constexpr std::size_t kBufferSize = 256 * 1024;
  void Fill(std::size_t atLeast);
  [[noreturn]] void Shrunk() const;

  std::unique_ptr<platform::ReadableFile> file_;
  std::string name_;
  std::int64_t size_ = 0;
  std::int64_t offset_ = 0;  // of the next byte to be consumed
  std::vector<std::uint8_t> buffer_;
  std::size_t head_ = 0, tail_ = 0;  // unconsumed bytes are buffer_[head_, tail_)
};

}  // namespace parvex
