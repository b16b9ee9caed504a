// Where a restore writes, on the real file system: a name below a destination
// directory is resolved beneath it and nowhere else, through directory
// descriptors, so that no symbolic link met on the way (or put there while the
// restore runs) can lead a write, a new directory or a new time stamp out of
// it; and the file itself is never opened through a link.
#include <fcntl.h>
#include <linux/openat2.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/PosixEnv.h"
#include "platform/PosixFiles.h"
#include "platform/PosixTargets.h"

namespace parvex::platform {
namespace {

std::atomic<bool> gOpenat2Allowed{true};
std::atomic<bool> gOpenat2Missing{false};  // the kernel said ENOSYS once

class Descriptor {
 public:
  explicit Descriptor(int fd = -1) : fd_(fd) {}
  ~Descriptor() { Reset(); }
  Descriptor(Descriptor&& other) noexcept : fd_(std::exchange(other.fd_, -1)) {}
  Descriptor& operator=(Descriptor&& other) noexcept {
    if (this != &other) {
      Reset();
      fd_ = std::exchange(other.fd_, -1);
    }
    return *this;
  }
  int get() const { return fd_; }
  bool ok() const { return fd_ >= 0; }
  int release() { return std::exchange(fd_, -1); }

 private:
  void Reset() {
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
  }
  int fd_;
};

constexpr int kDirectoryFlags = O_PATH | O_DIRECTORY | O_CLOEXEC;

// A name taken apart: its components, without empty ones and ".".
struct Parts {
  std::vector<std::string> names;
  bool climbs = false;  // a ".." among them
};

Parts Split(std::string_view relative) {
  Parts parts;
  while (!relative.empty()) {
    const std::size_t slash = relative.find('/');
    const std::string_view part = relative.substr(0, slash);
    relative = slash == std::string_view::npos ? std::string_view() : relative.substr(slash + 1);
    if (part.empty() || part == ".") continue;
    if (part == "..") parts.climbs = true;
    parts.names.emplace_back(part);
  }
  return parts;
}

std::string Joined(const std::vector<std::string>& names, std::size_t count) {
  std::string path;
  for (std::size_t i = 0; i < count; ++i) path += (i ? "/" : "") + names[i];
  return path.empty() ? std::string(".") : path;
}

// The name a user knows a directory by: root and the first `count` components.
std::string Shown(const std::string& root, const std::vector<std::string>& names, std::size_t count) {
  std::string path = root.empty() ? std::string() : root;
  for (std::size_t i = 0; i < count; ++i) {
    if (path.empty() || path.back() != '/') path += '/';
    path += names[i];
  }
  return path.empty() ? std::string("/") : path;
}

bool TryOpenat2() { return gOpenat2Allowed.load() && !gOpenat2Missing.load(); }

// openat2 beneath `dirFd`; -1 with errno, and ENOSYS remembered for good.
int OpenBeneath(int dirFd, const std::string& path, int flags) {
  struct open_how how {};
  how.flags = static_cast<std::uint64_t>(flags);
  how.resolve = RESOLVE_BENEATH;
  for (;;) {
    const long fd = ::syscall(SYS_openat2, dirFd, path.c_str(), &how, sizeof how);
    if (fd >= 0) return static_cast<int>(fd);
    if (errno == EINTR || errno == EAGAIN) continue;  // EAGAIN: a rename raced the lookup
    if (errno == ENOSYS || errno == EPERM) gOpenat2Missing = true;  // EPERM: a seccomp filter's refusal
    return -1;
  }
}

// One step of the walk: the directory `name` in `dirFd`, never through a link.
int OpenStep(int dirFd, const std::string& name) {
  struct stat st {};
  if (::fstatat(dirFd, name.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0) return -1;
  if (S_ISLNK(st.st_mode)) {
    errno = ELOOP;
    return -1;
  }
  if (!S_ISDIR(st.st_mode)) {
    errno = ENOTDIR;
    return -1;
  }
  const int fd = ::openat(dirFd, name.c_str(), kDirectoryFlags | O_NOFOLLOW);
  if (fd < 0) return -1;
  if (::fstat(fd, &st) != 0 || !S_ISDIR(st.st_mode)) {  // swapped meanwhile
    ::close(fd);
    errno = ENOTDIR;
    return -1;
  }
  return fd;
}

// Why the directory `shown` stops a name, for the user.
std::string Blocked(const std::string& shown, int error) {
  switch (error) {
    case EXDEV: return shown + " is a symbolic link leading out of the destination directory";
    case ELOOP: return shown + " is a symbolic link";
    case ENOTDIR: return shown + " is not a directory";
    default: return shown + ": " + ErrorText(error);
  }
}

// The directory holding a name's last component, opened; or why not.
struct Place {
  Descriptor dir;
  std::string leaf;
  std::string full;  // the whole name, for messages
  int error = 0;
  bool rootUnusable = false;  // the destination itself cannot be opened
  std::string why;
};

// Opens the first `count` components below `rootFd` (a descriptor of root).
// On failure: -1, with the errno, and in `at` how many components name the
// directory that failed (0: root itself).
int OpenBelow(int rootFd, const std::vector<std::string>& names, std::size_t count, int& error, std::size_t& at) {
  if (TryOpenat2()) {
    const int fd = OpenBeneath(rootFd, Joined(names, count), kDirectoryFlags);
    if (fd >= 0) return fd;
    error = errno;
    if (TryOpenat2()) {
      // Which component stopped it: the first prefix that fails.
      for (at = 1; at <= count; ++at) {
        const Descriptor probe(OpenBeneath(rootFd, Joined(names, at), kDirectoryFlags));
        if (!probe.ok()) {
          error = errno;
          return -1;
        }
      }
      at = count;  // every prefix opens now: something changed meanwhile
      return -1;
    }
  }
  Descriptor dir(::fcntl(rootFd, F_DUPFD_CLOEXEC, 0));
  if (!dir.ok()) {
    error = errno;
    at = 0;
    return -1;
  }
  for (std::size_t i = 0; i < count; ++i) {
    Descriptor next(OpenStep(dir.get(), names[i]));
    if (!next.ok()) {
      error = errno;
      at = i + 1;
      return -1;
    }
    dir = std::move(next);
  }
  return dir.release();
}

Place Locate(const std::string& root, const std::string& relative) {
  Place place;
  const Parts parts = Split(relative);
  place.full = root.empty() ? Shown("", parts.names, parts.names.size()) : Shown(root, parts.names, parts.names.size());
  if (parts.names.empty() || parts.climbs) {
    place.error = parts.climbs ? EXDEV : EINVAL;
    place.why = place.full + (parts.climbs ? ": the name climbs out of its directory" : ": no file name");
    return place;
  }
  place.leaf = parts.names.back();
  const std::size_t count = parts.names.size() - 1;
  if (root.empty()) {
    // The stored path's own directories, links and all.
    const std::string parent = Shown("", parts.names, count);
    place.dir = Descriptor(::open(parent.c_str(), kDirectoryFlags));
    if (!place.dir.ok()) {
      place.error = errno;
      place.why = Blocked(parent, place.error);
    }
    return place;
  }
  const Descriptor rootFd(::open(root.c_str(), kDirectoryFlags));
  if (!rootFd.ok()) {
    place.error = errno;
    place.rootUnusable = true;
    place.why = Blocked(root, place.error);
    return place;
  }
  std::size_t at = 0;
  place.dir = Descriptor(OpenBelow(rootFd.get(), parts.names, count, place.error, at));
  if (!place.dir.ok()) place.why = Blocked(Shown(root, parts.names, at), place.error);
  return place;
}

std::string MakeAbsoluteDirectories(const std::string& directory) {
  const Parts parts = Split(directory);
  if (parts.climbs) return directory + ": the name climbs out of its directory";
  for (std::size_t i = 1; i <= parts.names.size(); ++i) {
    const std::string path = Shown("", parts.names, i);
    for (int attempt = 0;; ++attempt) {
      struct stat st {};
      if (::stat(path.c_str(), &st) == 0) {
        if (S_ISDIR(st.st_mode)) break;
        return path + " is not a directory";
      }
      if (errno != ENOENT) return Blocked(path, errno);
      if (::mkdir(path.c_str(), 0777) != 0 && (errno != EEXIST || attempt > 0)) {
        return "cannot create " + path + ": " + ErrorText(errno);
      }
    }
  }
  return "";
}

}  // namespace

namespace detail {
void AllowOpenat2(bool allowed) { gOpenat2Allowed = allowed; }
bool UsesOpenat2() { return TryOpenat2(); }
}  // namespace detail

TargetStatus PosixEnv::StatTarget(const std::string& root, const std::string& relative) {
  TargetStatus status;
  const Place place = Locate(root, relative);
  if (!place.dir.ok()) {
    // Missing directories are made before the file is written; a destination
    // that cannot be opened is the caller's to report.
    if (place.error == ENOENT || place.rootUnusable) return status;
    status.kind = TargetKind::kUnreachable;
    status.why = place.why;
    return status;
  }
  struct stat st {};
  if (::fstatat(place.dir.get(), place.leaf.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0) {
    if (errno == ENOENT) return status;
    status.kind = TargetKind::kUnreachable;
    status.why = place.full + ": " + ErrorText(errno);
    return status;
  }
  if (S_ISLNK(st.st_mode)) {
    status.kind = TargetKind::kLink;
  } else if (S_ISDIR(st.st_mode)) {
    status.kind = TargetKind::kDirectory;
  } else if (!S_ISREG(st.st_mode)) {
    status.kind = TargetKind::kOther;
  } else {
    status.kind = TargetKind::kFile;
    status.dosTime = static_cast<std::int32_t>(ToDosTime(st.st_mtim.tv_sec));
    status.id = IdOf(st);
    const Descriptor file(
        ::openat(place.dir.get(), place.leaf.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
    status.markedIncomplete = file.ok() && FileRecordMatches(file.get(), kIncompleteAttribute, st);
  }
  return status;
}

std::string PosixEnv::CreateTargetDirectories(const std::string& root, const std::string& directory) {
  if (root.empty()) return MakeAbsoluteDirectories(directory);
  if (const std::string why = MakeAbsoluteDirectories(root); !why.empty()) return why;
  const Descriptor rootFd(::open(root.c_str(), kDirectoryFlags));
  if (!rootFd.ok()) return Blocked(root, errno);
  const Parts parts = Split(directory);
  if (parts.climbs) return Shown(root, parts.names, parts.names.size()) + ": the name climbs out of its directory";
  Descriptor parent(::fcntl(rootFd.get(), F_DUPFD_CLOEXEC, 0));
  for (std::size_t i = 1; i <= parts.names.size(); ++i) {
    int error = 0;
    std::size_t at = 0;
    Descriptor dir(OpenBelow(rootFd.get(), parts.names, i, error, at));
    if (!dir.ok() && error == ENOENT && at == i) {
      // Made beneath the directory opened a step before, never through a name.
      if (::mkdirat(parent.get(), parts.names[i - 1].c_str(), 0777) != 0 && errno != EEXIST) {
        return "cannot create " + Shown(root, parts.names, i) + ": " + ErrorText(errno);
      }
      dir = Descriptor(OpenBelow(rootFd.get(), parts.names, i, error, at));
    }
    if (!dir.ok()) return Blocked(Shown(root, parts.names, at), error);
    parent = std::move(dir);
  }
  return "";
}

std::unique_ptr<WritableFile> PosixEnv::CreateTarget(const std::string& root, const std::string& relative) {
  const Place place = Locate(root, relative);
  if (!place.dir.ok()) throw IoError(place.why, place.error);
  // O_NOFOLLOW: a link in the file's place fails with ELOOP, wherever it
  // leads, dangling or not. O_NONBLOCK: a pipe put there cannot make the
  // restore wait for a reader (it has no meaning for a regular file).
  const int fd = ::openat(place.dir.get(), place.leaf.c_str(),
                          O_WRONLY | O_CREAT | O_TRUNC | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC, 0666);
  if (fd < 0) ThrowIoError(place.full, errno);
  struct stat st {};
  if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
    ::close(fd);
    throw IoError(place.full + ": not a regular file", EINVAL);
  }
  ::fremovexattr(fd, kIncompleteAttribute);  // whatever an earlier restore left, the file starts afresh
  return AdoptPosixWritable(fd, place.full, 0, false);
}

}  // namespace parvex::platform
