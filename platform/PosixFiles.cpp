// Files on POSIX descriptors. Reads loop over short reads and EINTR; writes go
// through one fixed buffer per file so that the engine's many small writes (a
// length, a magic, a block) cost one system call per mebibyte.
#include "platform/PosixFiles.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <algorithm>
#include <climits>
#include <cstring>

namespace parvex::platform {
namespace {

// strerror_r comes in a GNU and an XSI flavour; accept whichever the C library gives.
[[maybe_unused]] std::string PickErrorText(char* text, char*) { return text; }
[[maybe_unused]] std::string PickErrorText(int result, char* buffer) {
  return result == 0 ? std::string(buffer) : std::string("Unknown error");
}

void EncodeFixed(std::uint8_t* out, std::uint64_t value, int bytes) {
  for (int i = 0; i < bytes; ++i) out[i] = static_cast<std::uint8_t>(value >> (8 * i));
}

bool SameState(const struct stat& a, const struct stat& b) {
  return a.st_size == b.st_size && a.st_mtim.tv_sec == b.st_mtim.tv_sec && a.st_mtim.tv_nsec == b.st_mtim.tv_nsec;
}

// A lock that outlives the file it was taken through: a second descriptor of
// the same open file, which flock counts as the same holder.
class DescriptorLock final : public FileLock {
 public:
  explicit DescriptorLock(int fd) : fd_(fd) {}
  ~DescriptorLock() override { ::close(fd_); }
  DescriptorLock(const DescriptorLock&) = delete;
  DescriptorLock& operator=(const DescriptorLock&) = delete;

 private:
  int fd_;
};

// The largest piece handed to one read or write; Linux moves at most about 2 GiB
// per call anyway.
constexpr std::size_t kMaxIoChunk = std::size_t{1} << 30;

// Writes all n bytes at the descriptor's position; 0 or the errno of the failure.
int WriteAll(int fd, const std::byte* data, std::size_t n) {
  while (n > 0) {
    const ssize_t written = ::write(fd, data, std::min(n, kMaxIoChunk));
    if (written < 0) {
      if (errno == EINTR) continue;
      return errno;
    }
    if (written == 0) return ENOSPC;  // a device that takes nothing more
    data += written;
    n -= static_cast<std::size_t>(written);
  }
  return 0;
}

// Writes all n bytes at offset without moving the descriptor's position.
int PwriteAll(int fd, std::int64_t offset, const std::byte* data, std::size_t n) {
  while (n > 0) {
    const ssize_t written = ::pwrite(fd, data, std::min(n, kMaxIoChunk), static_cast<off_t>(offset));
    if (written < 0) {
      if (errno == EINTR) continue;
      return errno;
    }
    if (written == 0) return ENOSPC;
    data += written;
    offset += written;
    n -= static_cast<std::size_t>(written);
  }
  return 0;
}

class PosixReadableFile final : public ReadableFile {
 public:
  PosixReadableFile(int fd, std::string path, const struct stat& st)
      : fd_(fd), path_(std::move(path)), atOpen_(st), sizeAtOpen_(static_cast<std::int64_t>(st.st_size)),
        dosTimeAtOpen_(static_cast<std::int32_t>(ToDosTime(st.st_mtim.tv_sec))) {}
  ~PosixReadableFile() override { ::close(fd_); }
  PosixReadableFile(const PosixReadableFile&) = delete;
  PosixReadableFile& operator=(const PosixReadableFile&) = delete;

  std::size_t Read(void* buffer, std::size_t n) override {
    auto* out = static_cast<std::byte*>(buffer);
    std::size_t done = 0;
    while (done < n) {
      const ssize_t got = ::read(fd_, out + done, std::min(n - done, kMaxIoChunk));
      if (got < 0) {
        if (errno == EINTR) continue;
        ThrowIoError(path_, errno);
      }
      if (got == 0) break;
      done += static_cast<std::size_t>(got);
    }
    return done;
  }

  void Seek(std::int64_t offset) override {
    if (offset < 0) ThrowIoError(path_, EINVAL);
    if (::lseek(fd_, static_cast<off_t>(offset), SEEK_SET) < 0) ThrowIoError(path_, errno);
  }

  std::int64_t Size() override {
    struct stat st {};
    if (::fstat(fd_, &st) != 0) ThrowIoError(path_, errno);
    return static_cast<std::int64_t>(st.st_size);
  }

  std::int64_t SizeAtOpen() const override { return sizeAtOpen_; }
  std::int32_t DosTimeAtOpen() const override { return dosTimeAtOpen_; }
  FileId Id() const override { return IdOf(atOpen_); }

  bool ChangedSinceOpen() override {
    struct stat now {};
    return ::fstat(fd_, &now) != 0 || !SameState(now, atOpen_);
  }

  bool LockShared() override {
    while (::flock(fd_, LOCK_SH | LOCK_NB) != 0) {
      if (errno == EINTR) continue;
      return errno != EWOULDBLOCK;  // ENOLCK, EINVAL ...: a file system without locks
    }
    return true;
  }

 private:
  int fd_;
  std::string path_;
  struct stat atOpen_;
  std::int64_t sizeAtOpen_;
  std::int32_t dosTimeAtOpen_;
};

// A failed write leaves the file in an unknown state, so a failure is sticky:
// every later Write, WriteAt and the Close report it again.
class PosixWritableFile final : public WritableFile {
 public:
  PosixWritableFile(int fd, std::string path, std::int64_t start, bool locked)
      : fd_(fd),
        path_(std::move(path)),
        buffer_(std::make_unique_for_overwrite<std::byte[]>(kWriteBufferSize)),
        bufferStart_(start),
        locked_(locked) {
    struct stat st {};
    if (::fstat(fd_, &st) == 0) id_ = IdOf(st);
  }

  ~PosixWritableFile() override {
    if (closed_) return;
    if (failure_ == 0) FlushBuffer();
    ::close(fd_);
  }

  PosixWritableFile(const PosixWritableFile&) = delete;
  PosixWritableFile& operator=(const PosixWritableFile&) = delete;

  void Write(const void* data, std::size_t n) override {
    CheckUsable();
    const auto* in = static_cast<const std::byte*>(data);
    if (n <= kWriteBufferSize - buffered_) {
      std::memcpy(buffer_.get() + buffered_, in, n);
      buffered_ += n;
      return;
    }
    Fail(FlushBuffer());
    if (flushListener_) flushListener_();
    if (n >= kWriteBufferSize) {
      Fail(WriteAll(fd_, in, n));
      bufferStart_ += static_cast<std::int64_t>(n);
    } else {
      std::memcpy(buffer_.get(), in, n);
      buffered_ = n;
    }
  }

  void WriteAt(std::int64_t offset, const void* data, std::size_t n) override {
    CheckUsable();
    const std::int64_t end = Position();
    if (offset < 0 || offset > end || n > static_cast<std::uint64_t>(end - offset)) {
      ThrowIoError(path_, EINVAL);
    }
    const auto* in = static_cast<const std::byte*>(data);
    // The part already on disk is patched there, the rest in the buffer.
    if (offset < bufferStart_) {
      const std::size_t onDisk =
          static_cast<std::size_t>(std::min<std::uint64_t>(n, static_cast<std::uint64_t>(bufferStart_ - offset)));
      Fail(PwriteAll(fd_, offset, in, onDisk));
      in += onDisk;
      offset += static_cast<std::int64_t>(onDisk);
      n -= onDisk;
    }
    if (n > 0) std::memcpy(buffer_.get() + (offset - bufferStart_), in, n);
  }

  std::int64_t Position() const override { return bufferStart_ + static_cast<std::int64_t>(buffered_); }
  std::size_t Pending() const override { return buffered_; }
  void SetFlushListener(std::function<void()> listener) override { flushListener_ = std::move(listener); }
  FileId Id() const override { return id_; }

  std::unique_ptr<FileLock> HoldLock() override {
    if (!locked_ || closed_) return nullptr;
    const int copy = ::fcntl(fd_, F_DUPFD_CLOEXEC, 0);
    return copy < 0 ? nullptr : std::make_unique<DescriptorLock>(copy);
  }

  bool SetDosTime(std::uint32_t dosTime) override {
    CheckUsable();
    Fail(FlushBuffer());
    const std::time_t t = FromDosTime(dosTime);
    const struct timespec times[2] = {{t, 0}, {t, 0}};  // access, modification
    return ::futimens(fd_, times) == 0;
  }

  std::int64_t MarkIncomplete() override {
    if (closed_) return -1;
    if (failure_ == 0) FlushBuffer();  // a failure stays for Close to report
    struct stat st {};
    if (::fstat(fd_, &st) != 0) return -1;
    std::uint8_t record[kFileRecordSize];
    EncodeFileRecord(st, record);
    ::fsetxattr(fd_, kIncompleteAttribute, record, sizeof record, 0);  // silently, where impossible
    return static_cast<std::int64_t>(st.st_size);
  }

  void Close() override {
    if (closed_) return;
    closed_ = true;
    int error = failure_;
    if (error == 0) error = FlushBuffer();
    // close() may report a delayed write error (NFS, quotas); after EINTR the
    // descriptor is gone all the same on Linux.
    if (::close(fd_) != 0 && error == 0 && errno != EINTR) error = errno;
    buffer_.reset();
    if (error != 0) ThrowIoError(path_, error);
  }

 private:
  void CheckUsable() const {
    if (closed_) ThrowIoError(path_, EBADF);
    if (failure_ != 0) ThrowIoError(path_, failure_);
  }

  void Fail(int error) {
    if (error == 0) return;
    failure_ = error;
    ThrowIoError(path_, error);
  }

  int FlushBuffer() {
    if (buffered_ == 0) return 0;
    const int error = WriteAll(fd_, buffer_.get(), buffered_);
    if (error != 0) {
      failure_ = error;
      return error;
    }
    bufferStart_ += static_cast<std::int64_t>(buffered_);
    buffered_ = 0;
    return 0;
  }

  int fd_;
  std::string path_;
  std::unique_ptr<std::byte[]> buffer_;
  std::int64_t bufferStart_;  // file offset of buffer_[0]; everything before it is written
  std::size_t buffered_ = 0;
  int failure_ = 0;
  bool closed_ = false;
  bool locked_;
  FileId id_;
  std::function<void()> flushListener_;
};

}  // namespace

std::string ErrorText(int error) {
  char buffer[256] = {};
  return PickErrorText(strerror_r(error, buffer, sizeof buffer), buffer);
}

void ThrowIoError(const std::string& path, int error) { throw IoError(path + ": " + ErrorText(error), error); }

void EncodeFileRecord(const struct stat& st, std::uint8_t* out) {
  out[0] = 1;  // version
  EncodeFixed(out + 1, static_cast<std::uint64_t>(st.st_mtim.tv_sec), 8);
  EncodeFixed(out + 9, static_cast<std::uint64_t>(st.st_mtim.tv_nsec), 4);
  EncodeFixed(out + 13, static_cast<std::uint64_t>(st.st_size), 8);
}

bool FileRecordMatches(int fd, const char* name, const struct stat& st) {
  // One byte more than a record, so that a longer foreign value reads as stale.
  std::uint8_t stored[kFileRecordSize + 1] = {};
  if (::fgetxattr(fd, name, stored, sizeof stored) != static_cast<ssize_t>(kFileRecordSize)) return false;
  std::uint8_t current[kFileRecordSize];
  EncodeFileRecord(st, current);
  return std::equal(current, current + kFileRecordSize, stored);
}

FileId IdOf(const struct stat& st) {
  return {static_cast<std::uint64_t>(st.st_dev), static_cast<std::uint64_t>(st.st_ino)};
}

std::unique_ptr<ReadableFile> OpenPosixReadable(const std::string& path) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) ThrowIoError(path, errno);
  struct stat st {};
  if (::fstat(fd, &st) != 0 || S_ISDIR(st.st_mode)) {
    const int error = S_ISDIR(st.st_mode) ? EISDIR : errno;
    ::close(fd);
    ThrowIoError(path, error);
  }
  // Read-ahead hints pay only for files larger than the kernel's own window.
  if (st.st_size >= (std::int64_t{1} << 20)) ::posix_fadvise(fd, 0, 0, POSIX_FADV_SEQUENTIAL);
  return std::make_unique<PosixReadableFile>(fd, path, st);
}

std::unique_ptr<WritableFile> OpenPosixWritable(const std::string& path, bool append) {
  // No O_APPEND: on Linux it would make pwrite ignore its offset, and WriteAt needs it.
  const int flags = append ? (O_WRONLY | O_CLOEXEC) : (O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC);
  const int fd = ::open(path.c_str(), flags, 0666);
  if (fd < 0) ThrowIoError(path, errno);
  std::int64_t start = 0;
  if (append) {
    const off_t end = ::lseek(fd, 0, SEEK_END);
    if (end < 0 && errno != ESPIPE) {
      const int error = errno;
      ::close(fd);
      ThrowIoError(path, error);
    }
    start = end < 0 ? 0 : static_cast<std::int64_t>(end);
  }
  return std::make_unique<PosixWritableFile>(fd, path, start, false);
}

std::unique_ptr<WritableFile> AdoptPosixWritable(int fd, const std::string& path, std::int64_t start, bool locked) {
  return std::make_unique<PosixWritableFile>(fd, path, start, locked);
}

}  // namespace parvex::platform
