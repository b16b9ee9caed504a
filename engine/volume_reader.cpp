#include "engine/volume_reader.h"

#include <algorithm>
#include <cstring>

#include "engine/format.h"

namespace parvex {

void VolumeReader::Open(platform::Env& env, const std::string& name) {
  file_.reset();
  name_ = name;
  file_ = env.OpenForReading(name);
  size_ = file_->Size();
  offset_ = 0;
  head_ = tail_ = 0;
}

void VolumeReader::Fill(std::size_t atLeast) {
  if (tail_ - head_ >= atLeast) return;
  if (head_ > 0) {
    std::memmove(buffer_.data(), buffer_.data() + head_, tail_ - head_);
    tail_ -= head_;
    head_ = 0;
  }
  while (tail_ < atLeast) {
    const std::size_t got = file_->Read(buffer_.data() + tail_, buffer_.size() - tail_);
    if (got == 0) break;
    tail_ += got;
  }
}

void VolumeReader::ReadExact(void* dst, std::size_t n, const char* fixed, const char* what) {
  auto* out = static_cast<std::uint8_t*>(dst);
  std::size_t done = 0;
  while (done < n) {
    if (head_ == tail_) {
      // Large reads bypass the buffer.
      if (n - done >= buffer_.size()) {
        const std::size_t got = file_->Read(out + done, n - done);
        if (got == 0) break;
        done += got;
        offset_ += static_cast<std::int64_t>(got);
        continue;
      }
      Fill(1);
      if (head_ == tail_) break;
    }
    const std::size_t take = std::min(n - done, tail_ - head_);
    std::memcpy(out + done, buffer_.data() + head_, take);
    head_ += take;
    done += take;
    offset_ += static_cast<std::int64_t>(take);
  }
  if (done < n) throw EArchiveError(fixed, Where(std::string("the volume ends inside ") + what));
}

std::int32_t VolumeReader::ReadI32(const char* fixed, const char* what) {
  std::uint8_t field[4];
  ReadExact(field, 4, fixed, what);
  return static_cast<std::int32_t>(format::DecodeFixed32(field));
}

bool VolumeReader::Peek4(std::uint8_t out[4]) {
  Fill(4);
  if (tail_ - head_ < 4) return false;
  std::memcpy(out, buffer_.data() + head_, 4);
  return true;
}

std::string VolumeReader::ReadTitle() {
  const std::int32_t length = ReadI32(kCannotReadArchive, "the title length");
  if (length < 0 || length > Remaining()) {
    throw EArchiveError(kCannotReadArchive,
                        WhereAt(0, "the title length " + std::to_string(length) + " does not fit in the volume"));
  }
  std::string title(static_cast<std::size_t>(length), '\0');
  ReadExact(title.data(), title.size(), kCannotReadArchive, "the title");
  return title;
}

std::string VolumeReader::Where(const std::string& what) const { return WhereAt(offset_, what); }

std::string VolumeReader::WhereAt(std::int64_t offset, const std::string& what) const {
  return name_ + ", offset " + std::to_string(offset) + ": " + what;
}

}  // namespace parvex
