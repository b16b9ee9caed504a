// Buffered, bounded reading of one volume.
#include "engine/volume_reader.h"

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "base/SafeText.h"
#include "engine/format.h"

namespace parvex {

void VolumeReader::Open(platform::Env& env, const std::string& name) {
  file_.reset();
  name_ = name;
  file_ = env.OpenForReading(name);
  // A split holds its volumes (and its first volume throughout) locked: a set
  // being written is not read half done.
  if (!file_->LockShared()) {
    file_.reset();
    throw platform::IoError(ShownName(name) + ": being written by another program (a split of this set is "
                                              "running); try again when it has finished",
                            EWOULDBLOCK);
  }
  size_ = file_->Size();
  offset_ = 0;
  head_ = tail_ = 0;
}

void VolumeReader::Shrunk() const {
  throw platform::IoError(ShownName(name_) + ": the volume became shorter while it was read");
}

void VolumeReader::Fill(std::size_t atLeast) {
  if (tail_ - head_ >= atLeast) return;
  if (head_ > 0) {
    std::memmove(buffer_.data(), buffer_.data() + head_, tail_ - head_);
    tail_ -= head_;
    head_ = 0;
  }
  // Never beyond the size at opening: a volume that grows meanwhile is read as it was.
  const std::int64_t unread = Remaining() - static_cast<std::int64_t>(tail_);
  const std::size_t room = static_cast<std::size_t>(
      std::min<std::int64_t>(unread, static_cast<std::int64_t>(buffer_.size() - tail_)));
  std::size_t got = 0;
  while (got < room && tail_ < atLeast) {
    const std::size_t n = file_->Read(buffer_.data() + tail_, room - got);
    if (n == 0) Shrunk();
    tail_ += n;
    got += n;
  }
}

bool VolumeReader::Read(void* dst, std::size_t n) {
  if (static_cast<std::int64_t>(n) > Remaining()) return false;
  auto* out = static_cast<std::uint8_t*>(dst);
  std::size_t done = 0;
  while (done < n) {
    if (head_ == tail_) Fill(std::min(n - done, buffer_.size()));
    const std::size_t take = std::min(n - done, tail_ - head_);
    std::memcpy(out + done, buffer_.data() + head_, take);
    head_ += take;
    done += take;
    offset_ += static_cast<std::int64_t>(take);
  }
  return true;
}

bool VolumeReader::ReadI32(std::int32_t& value) {
  std::uint8_t field[4];
  if (!Read(field, 4)) return false;
  value = static_cast<std::int32_t>(format::DecodeFixed32(field));
  return true;
}

bool VolumeReader::Skip(std::int64_t n) {
  if (n < 0 || n > Remaining()) return false;
  const std::int64_t buffered = static_cast<std::int64_t>(tail_ - head_);
  if (n <= buffered) {
    head_ += static_cast<std::size_t>(n);
  } else {
    file_->Seek(offset_ + n);
    head_ = tail_ = 0;
  }
  offset_ += n;
  return true;
}

bool VolumeReader::PeekAt(std::int64_t offset, void* dst, std::size_t n) {
  if (offset < 0 || offset > size_ || static_cast<std::int64_t>(n) > size_ - offset) return false;
  const std::int64_t bufferEnd = offset_ + static_cast<std::int64_t>(tail_ - head_);
  if (offset >= offset_ && offset + static_cast<std::int64_t>(n) <= bufferEnd) {
    std::memcpy(dst, buffer_.data() + head_ + (offset - offset_), n);
    return true;
  }
  // Outside the buffer: read there, then put the file back where the buffer ends.
  file_->Seek(offset);
  const std::size_t got = file_->Read(dst, n);
  file_->Seek(bufferEnd);
  if (got < n) Shrunk();
  return true;
}

bool VolumeReader::PeekI32At(std::int64_t offset, std::int32_t& value) {
  std::uint8_t field[4];
  if (!PeekAt(offset, field, 4)) return false;
  value = static_cast<std::int32_t>(format::DecodeFixed32(field));
  return true;
}

std::string VolumeReader::WhereAt(std::int64_t offset, const std::string& what) const {
  return ShownName(name_) + ", offset " + std::to_string(offset) + ": " + what;
}

}  // namespace parvex
