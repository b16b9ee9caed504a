// The Env of the real file system: directory search, existence tests, files,
// MS-DOS file times, the archive attribute kept in an extended attribute, free
// space and removable media.
#include "platform/PosixEnv.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <limits>

#include "platform/BlockDevices.h"
#include "platform/PosixFiles.h"

namespace parvex::platform {
namespace {

// The archive attribute: the record (EncodeFileRecord) of the file as it was
// when last stored.
constexpr const char* kArchivedAttribute = "user.parvex.archived";
constexpr std::size_t kArchiveRecordSize = kFileRecordSize;

bool HasWildcard(const std::string& mask) { return mask.find_first_of("*?") != std::string::npos; }

bool IsDirectoryEntry(int dirFd, const dirent& entry) {
  if (entry.d_type == DT_DIR) return true;
  if (entry.d_type != DT_LNK && entry.d_type != DT_UNKNOWN) return false;
  struct stat st {};
  return ::fstatat(dirFd, entry.d_name, &st, 0) == 0 && S_ISDIR(st.st_mode);
}

bool StatIs(const std::string& path, mode_t type) {
  struct stat st {};
  return ::stat(path.c_str(), &st) == 0 && (st.st_mode & S_IFMT) == type;
}

}  // namespace

Env* Env::Default() {
  static PosixEnv env;
  return &env;
}

std::vector<DirEntry> PosixEnv::FindMatches(const std::string& pattern) {
  const std::string directory = DirectoryPart(pattern);
  const std::string mask = NamePart(pattern);
  std::vector<DirEntry> matches;
  if (mask.empty() || mask == "." || mask == "..") return matches;

  // A plain name needs no scan of what may be a very large directory.
  if (!HasWildcard(mask)) {
    struct stat st {};
    if (::lstat(pattern.c_str(), &st) != 0) return matches;
    // Only a link needs a second look to tell where it leads.
    matches.push_back({mask, S_ISDIR(st.st_mode) || (S_ISLNK(st.st_mode) && StatIs(pattern, S_IFDIR))});
    return matches;
  }

  DIR* dir = ::opendir(directory.empty() ? "." : directory.c_str());
  if (dir == nullptr) return matches;
  while (const dirent* entry = ::readdir(dir)) {
    const std::string name = entry->d_name;
    if (name == "." || name == ".." || !WildcardMatch(mask, name)) continue;
    matches.push_back({name, IsDirectoryEntry(::dirfd(dir), *entry)});
  }
  ::closedir(dir);
  std::sort(matches.begin(), matches.end(),
            [](const DirEntry& a, const DirEntry& b) { return a.name < b.name; });
  return matches;
}

bool PosixEnv::FileExists(const std::string& path) { return StatIs(path, S_IFREG); }

bool PosixEnv::DirectoryExists(const std::string& path) { return StatIs(path, S_IFDIR); }

std::int64_t PosixEnv::FileSize(const std::string& path) {
  struct stat st {};
  if (::stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return -1;
  return static_cast<std::int64_t>(st.st_size);
}

bool PosixEnv::CreateDirectories(const std::string& path) {
  if (path.empty()) return false;
  if (DirectoryExists(path)) return true;
  // Parents first; an existing one (or one made meanwhile by someone else) is fine.
  for (std::size_t slash = path.find('/', 1); slash != std::string::npos; slash = path.find('/', slash + 1)) {
    if (path[slash - 1] == '/') continue;
    ::mkdir(path.substr(0, slash).c_str(), 0777);
  }
  ::mkdir(path.c_str(), 0777);
  return DirectoryExists(path);
}

bool PosixEnv::RemoveFile(const std::string& path) {
  struct stat st {};
  if (::lstat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode)) return false;
  return ::unlink(path.c_str()) == 0 || errno == ENOENT;
}

std::unique_ptr<ReadableFile> PosixEnv::OpenForReading(const std::string& path) {
  return OpenPosixReadable(path);
}

std::unique_ptr<WritableFile> PosixEnv::Create(const std::string& path) { return OpenPosixWritable(path, false); }

std::unique_ptr<WritableFile> PosixEnv::CreateVolume(const std::string& path) {
  // Not O_TRUNC: a volume someone else holds must not lose a byte before the
  // lock has said so.
  const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0666);
  if (fd < 0) ThrowIoError(path, errno);
  bool locked = true;
  while (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
    if (errno == EINTR) continue;
    const int error = errno;
    if (error != EWOULDBLOCK) {  // ENOLCK, EINVAL ...: no locks on this file system
      locked = false;
      break;
    }
    ::close(fd);
    throw IoError(path + ": in use by another program (a split or join of this set is running)", error);
  }
  if (::ftruncate(fd, 0) != 0) {
    const int error = errno;
    ::close(fd);
    ThrowIoError(path, error);
  }
  return AdoptPosixWritable(fd, path, 0, locked);
}

FileId PosixEnv::GetFileId(const std::string& path) {
  struct stat st {};
  if (::stat(path.c_str(), &st) != 0) return {};
  return IdOf(st);
}

std::unique_ptr<WritableFile> PosixEnv::OpenForAppend(const std::string& path) {
  return OpenPosixWritable(path, true);
}

std::int32_t PosixEnv::GetDosFileTime(const std::string& path) {
  struct stat st {};
  if (::stat(path.c_str(), &st) != 0) return -1;
  return static_cast<std::int32_t>(ToDosTime(st.st_mtim.tv_sec));
}

bool PosixEnv::SetDosFileTime(const std::string& path, std::uint32_t dosTime) {
  const std::time_t t = FromDosTime(dosTime);
  const struct timespec times[2] = {{t, 0}, {t, 0}};  // access, modification
  return ::utimensat(AT_FDCWD, path.c_str(), times, 0) == 0;
}

bool PosixEnv::HasArchiveAttribute(const std::string& path) {
  struct stat st {};
  if (::stat(path.c_str(), &st) != 0) return true;
  // One byte more than a record, so that a longer foreign value reads as stale.
  std::uint8_t stored[kArchiveRecordSize + 1] = {};
  const ssize_t n = ::getxattr(path.c_str(), kArchivedAttribute, stored, sizeof stored);
  if (n != static_cast<ssize_t>(kArchiveRecordSize)) return true;
  std::uint8_t current[kArchiveRecordSize] = {};
  EncodeFileRecord(st, current);
  return !std::equal(current, current + kArchiveRecordSize, stored);
}

void PosixEnv::ClearArchiveAttribute(const std::string& path) {
  struct stat st {};
  if (::stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return;
  std::uint8_t record[kArchiveRecordSize] = {};
  EncodeFileRecord(st, record);
  // Without user extended attributes (ENOTSUP) or the right to set them
  // (EACCES, EPERM, EROFS) the file simply keeps its attribute.
  ::setxattr(path.c_str(), kArchivedAttribute, record, sizeof record, 0);
}

std::int64_t PosixEnv::FreeSpace(const std::string& directory) {
  struct statvfs fs {};
  if (::statvfs(directory.empty() ? "." : directory.c_str(), &fs) != 0) return -1;
  constexpr auto kMax = static_cast<std::uint64_t>(std::numeric_limits<std::int64_t>::max());
  const std::uint64_t blocks = fs.f_bavail;
  const std::uint64_t blockSize = fs.f_frsize;
  if (blockSize != 0 && blocks > kMax / blockSize) return std::numeric_limits<std::int64_t>::max();
  return static_cast<std::int64_t>(blocks * blockSize);
}

bool PosixEnv::IsRemovable(const std::string& path) { return detail::IsRemovablePath(path); }

std::time_t PosixEnv::Now() { return std::time(nullptr); }

std::string PosixEnv::CurrentDirectory() { return platform::CurrentDirectory(); }

}  // namespace parvex::platform
