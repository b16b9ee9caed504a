// Buffered reading of one volume with the position known at every step, so
// that every fault can name the volume and the offset where it was found.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "engine/backup.h"
#include "platform/Platform.h"

namespace parvex {

class VolumeReader {
 public:
  VolumeReader() : buffer_(kBufferSize) {}

  // Opens `name`; throws IoError when it cannot be opened.
  void Open(platform::Env& env, const std::string& name);
  void Close() { file_.reset(); }
  bool IsOpen() const { return file_ != nullptr; }

  const std::string& Name() const { return name_; }
  std::int64_t Offset() const { return offset_; }
  std::int64_t Remaining() const { return size_ - offset_; }

  // Reads exactly n bytes; throws EArchiveError(fixed, "<volume>, offset <o>: the
  // volume ends inside <what>") when fewer are left, IoError when reading fails.
  void ReadExact(void* dst, std::size_t n, const char* fixed, const char* what);
  std::int32_t ReadI32(const char* fixed, const char* what);
  // The next four bytes without consuming them; false when fewer are left.
  bool Peek4(std::uint8_t out[4]);
  // The title at the start of a first volume (length, then text), its length
  // checked against the volume before anything is allocated.
  std::string ReadTitle();

  // "<volume>, offset <o>: <what>" for error details.
  std::string Where(const std::string& what) const;
  std::string WhereAt(std::int64_t offset, const std::string& what) const;

 private:
  static constexpr std::size_t kBufferSize = 256 * 1024;
  void Fill(std::size_t atLeast);

  std::unique_ptr<platform::ReadableFile> file_;
  std::string name_;
  std::int64_t size_ = 0;
  std::int64_t offset_ = 0;  // of the next byte to be consumed
  std::vector<std::uint8_t> buffer_;
  std::size_t head_ = 0, tail_ = 0;  // unconsumed bytes are buffer_[head_, tail_)
};

}  // namespace parvex
