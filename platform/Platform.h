// Everything the engine asks of the operating system, behind one interface.
// The engine never calls the OS directly: it calls an Env, which tests wrap to
// inject a full disk, a failing write or a missing volume. Linux meanings of the
// Windows notions (MS-DOS times, the archive attribute, removable media) are
// fixed here and nowhere else.
//
// Thread safety: an Env has no mutable state; its files are used by one thread
// at a time.
#pragma once

#include <cstddef>
#include <cstdint>
#include <ctime>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "base/Exception.h"

namespace parvex::platform {

// An operating-system failure; the message names the file and the reason
// (for example "/media/usb/DOCS.002: No space left on device").
class IoError : public Exception {
 public:
  explicit IoError(const std::string& message, int code = 0) : Exception(message), code_(code) {}
  // The errno of the failure (ELOOP, EXDEV, ENOSPC ...); 0 when none applies.
  int Code() const { return code_; }

 private:
  int code_;
};

// A file as the file system knows it, whatever name it is reached by: its
// device and inode. Two names of one file (a hard link, a symbolic link, a
// relative and an absolute spelling) give the same id.
struct FileId {
  std::uint64_t device = 0;
  std::uint64_t inode = 0;
  bool Valid() const { return device != 0 || inode != 0; }
  bool operator==(const FileId&) const = default;
};

// Holds an advisory lock on a file until it goes.
class FileLock {
 public:
  virtual ~FileLock() = default;
};

// A file opened for reading, sharing allowed with any other access.
class ReadableFile {
 public:
  virtual ~ReadableFile() = default;
  // Reads up to n bytes; returns the count read, 0 at the end of the file.
  // Throws IoError on failure.
  virtual std::size_t Read(void* buffer, std::size_t n) = 0;
  // Positions the next Read at offset from the start. Throws IoError.
  virtual void Seek(std::int64_t offset) = 0;
  virtual std::int64_t Size() = 0;  // throws IoError
  // The size and the MS-DOS modification time the file had when it was opened
  // (known without a further call to the system).
  virtual std::int64_t SizeAtOpen() const = 0;
  virtual std::int32_t DosTimeAtOpen() const = 0;
  virtual FileId Id() const = 0;  // known at opening
  // Whether the file's size or modification time differ from those at opening
  // (it was written to meanwhile). One look at the file system.
  virtual bool ChangedSinceOpen() = 0;
  // Takes a shared lock (flock) on the file without waiting, held until the
  // file is closed. False when another open of the file holds an exclusive one
  // (a set being written); true also where the file system has no locks.
  virtual bool LockShared() = 0;
};

// A file opened for writing, with its writes buffered.
class WritableFile {
 public:
  virtual ~WritableFile() = default;
  // Appends n bytes at the current end. Throws IoError.
  virtual void Write(const void* data, std::size_t n) = 0;
  // Overwrites n bytes at offset, which lies before the current end (used to
  // patch a length written earlier). Throws IoError.
  virtual void WriteAt(std::int64_t offset, const void* data, std::size_t n) = 0;
  // Bytes in the file so far, buffered ones included.
  virtual std::int64_t Position() const = 0;
  // Bytes written but still held in the buffer (not yet taken by the file system).
  virtual std::size_t Pending() const = 0;
  // Calls `listener` each time the buffer has been handed to the file system
  // while the file stays open (not at Close), before the write that needed the
  // room goes on. The listener may call WriteAt; an IoError it throws leaves
  // through the Write that flushed.
  virtual void SetFlushListener(std::function<void()> listener) = 0;
  virtual FileId Id() const = 0;  // known at opening
  // For a file made by CreateVolume: keeps its lock after Close, until the
  // returned object goes. Null for a file that holds no lock.
  virtual std::unique_ptr<FileLock> HoldLock() = 0;
  // Writes out the buffer, then sets the modification and access times from
  // an MS-DOS local date-time through the open file (no name is looked up
  // again). False when setting them fails; throws IoError when writing does.
  virtual bool SetDosTime(std::uint32_t dosTime) = 0;
  // Writes out what it can of the buffer and marks the file as one a restore
  // left incomplete (the user.parvex.incomplete extended attribute, which
  // records its size and time at that moment). Never throws; the mark is left
  // out where it cannot be kept. A later write makes it stale. Returns the
  // bytes the file holds on disk (-1 when that cannot be found out).
  virtual std::int64_t MarkIncomplete() = 0;
  // Writes out the buffer and closes the file. Throws IoError (disk full shows
  // up here at the latest). Safe to call twice; the destructor closes silently.
  virtual void Close() = 0;
};

// What a restore finds where it is to write a file.
enum class TargetKind {
  kAbsent,
  kFile,         // a regular file
  kDirectory,
  kLink,         // a symbolic link, wherever it leads (or none)
  kOther,        // a device, pipe or socket
  kUnreachable,  // a directory on the way is missing for good: see `why`
};
struct TargetStatus {
  TargetKind kind = TargetKind::kAbsent;
  std::int32_t dosTime = -1;      // kFile: its MS-DOS modification time
  FileId id;                      // kFile
  bool markedIncomplete = false;  // kFile: it carries a restore's incomplete mark that still fits it
  std::string why;                // kUnreachable: which directory, and why
};

struct DirEntry {
  std::string name;        // the entry's own name, without directory
  bool isDirectory = false;
};

class Env {
 public:
  virtual ~Env() = default;

  // The Env the engine uses unless it is given another (the real file system).
  static Env* Default();

  // Entries of the directory part of `pattern` whose names match its last
  // component, in which `*` and `?` are wildcards (case-sensitive). Every kind of
  // entry matches, hidden ones included; "." and ".." never do. Sorted by the
  // byte order of their names. A missing directory gives no entries.
  virtual std::vector<DirEntry> FindMatches(const std::string& pattern) = 0;

  // True when `path` names an existing regular file (following links).
  virtual bool FileExists(const std::string& path) = 0;
  virtual bool DirectoryExists(const std::string& path) = 0;
  // The size of the regular file `path` (following links); -1 when there is none.
  virtual std::int64_t FileSize(const std::string& path) = 0;
  // Creates `path` and every missing parent; true when it exists as a directory afterwards.
  virtual bool CreateDirectories(const std::string& path) = 0;
  // Removes the file `path` (not a directory). True when it is gone afterwards.
  virtual bool RemoveFile(const std::string& path) = 0;

  // Throws IoError when the file cannot be opened.
  virtual std::unique_ptr<ReadableFile> OpenForReading(const std::string& path) = 0;
  // Creates the file, replacing an existing one. Throws IoError.
  virtual std::unique_ptr<WritableFile> Create(const std::string& path) = 0;
  // Creates a volume: opens or creates the file, takes an exclusive lock on it
  // (flock) without waiting and only then empties it, so that a file another
  // split or join holds is never touched. Throws IoError (code EWOULDBLOCK,
  // the message saying the file is in use) when another open of the file holds
  // a lock; where the file system has no locks the volume is written without.
  // The lock lasts until the file is closed (see WritableFile::HoldLock).
  virtual std::unique_ptr<WritableFile> CreateVolume(const std::string& path) = 0;
  // The id of the file `path` names (following links); invalid when none.
  virtual FileId GetFileId(const std::string& path) = 0;

  // --- Writing a restored file. `root` is a destination directory (the user's:
  // a link in its own name is followed) and `relative` a '/'-separated name
  // below it; no name is ever resolved outside root, and no symbolic link is
  // followed out of it (openat2 with RESOLVE_BENEATH where the kernel has it,
  // else a walk that follows no link at all). With an empty root, `relative`
  // is an absolute name whose directories are followed as they are. In both
  // cases the last component is never followed: nothing is written, created
  // or re-dated through a symbolic link.
  virtual TargetStatus StatTarget(const std::string& root, const std::string& relative) = 0;
  // Creates `directory` (relative, as above; "" is root itself) and every
  // missing directory on the way, with root and its parents for an empty or
  // absent root. "" when it exists afterwards, else why not (naming the
  // directory).
  virtual std::string CreateTargetDirectories(const std::string& root, const std::string& directory) = 0;
  // Creates or empties the regular file and drops an incomplete mark it
  // carried. Throws IoError: ELOOP for a symbolic link in its place, EXDEV for
  // a name that would leave root, EISDIR, EACCES, ENAMETOOLONG and the like.
  virtual std::unique_ptr<WritableFile> CreateTarget(const std::string& root, const std::string& relative) = 0;
  // Opens an existing file for writing at its end. Throws IoError.
  virtual std::unique_ptr<WritableFile> OpenForAppend(const std::string& path) = 0;

  // The file's modification time as an MS-DOS local date-time (date in the high
  // 16 bits), clamped to 1980-01-01 00:00:00 .. 2107-12-31 23:59:58; -1 when the
  // file does not exist.
  virtual std::int32_t GetDosFileTime(const std::string& path) = 0;
  // Sets the modification and access times from an MS-DOS local date-time.
  // Returns false when that fails.
  virtual bool SetDosFileTime(const std::string& path, std::uint32_t dosTime) = 0;

  // The archive attribute, kept in the user.parvex.archived extended attribute
  // (modification time and size at the last store). A file has it when the
  // attribute is absent or stale; without extended attributes every file has it.
  virtual bool HasArchiveAttribute(const std::string& path) = 0;
  // Records the file as stored; silently does nothing where that is impossible.
  virtual void ClearArchiveAttribute(const std::string& path) = 0;

  // Bytes free for the user on the file system that holds `directory`; -1 on failure.
  virtual std::int64_t FreeSpace(const std::string& directory) = 0;

  // True when `path` lies on removable media (its block device is removable or
  // sits on a USB bus).
  virtual bool IsRemovable(const std::string& path) = 0;

  // The current time (tests fix it).
  virtual std::time_t Now() = 0;

  // The process's working directory, against which relative names are made
  // absolute; "" when it cannot be found out.
  virtual std::string CurrentDirectory() = 0;
};

// A date and a time as the user's locale writes them (LC_TIME): the short date
// (for example 08/12/26 or 12/08/2026) and the long time (for example 14:05:09).
std::string ShortDateText(std::time_t t);
std::string LongTimeText(std::time_t t);

// MS-DOS local date-time conversions (two-second steps, seconds rounded down,
// clamped to 1980-01-01 00:00:00 .. 2107-12-31 23:59:58).
std::uint32_t ToDosTime(std::time_t t);
std::time_t FromDosTime(std::uint32_t dosTime);

// Path helpers. The directory part of `path` up to and including its last '/'
// ("" when there is none), and the part after it.
std::string DirectoryPart(const std::string& path);
std::string NamePart(const std::string& path);
// `path` made absolute against `base` (an absolute path stays as it is); "." and
// ".." components and doubled separators are resolved lexically.
std::string MakeAbsolute(const std::string& path, const std::string& base);
// The process's current directory.
std::string CurrentDirectory();

// Wildcard match of one name against a pattern with `*` and `?`.
bool WildcardMatch(const std::string& pattern, const std::string& name);

}  // namespace parvex::platform
