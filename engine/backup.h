// TBackupFile: the archive engine. Stores a list of files into a volume set
// (Backup), restores a set into files (Restore) and reads a set's comment
// (ReadArchiveTitle). Operations run synchronously on the caller's thread and
// report through events; every event receives the operation's continue flag by
// reference, so a handler stops the operation by clearing it.
//
// Thread safety: one operation at a time per object; Abort and Busy may be
// called from event handlers and from the message-processing callback.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "engine/Exception.h"
#include "platform/Platform.h"

namespace parvex {

enum TBackupMode : std::uint8_t { bmAll = 0, bmIncremental = 1 };
enum TRestoreMode : std::uint8_t {
  rmAll = 0,
  rmNoOverwrite = 1,
  rmNewer = 2,
  rmExisting = 3,
  rmExistingNewer = 4
};
using TPercentage = std::uint8_t;

class TBackupFile;
using TProgressEvent =
    std::function<void(TBackupFile& sender, const std::string& filename, TPercentage percent, bool& Continue)>;
using TNeedDiskEvent = std::function<void(TBackupFile& sender, std::uint16_t diskId, bool& Continue)>;
using TRestoreFileEvent = std::function<void(TBackupFile& sender, std::string& filename, bool& doRestore)>;

// The engine's own failures carry one of the fixed messages ("Cannot write to
// archive", "Cannot read file", "Cannot read archive", "Invalid archive type", ...)
// and a detail naming the file or volume and the reason.
class EArchiveError : public Exception {
 public:
  EArchiveError(const std::string& fixed, const std::string& detail)
      : Exception(detail.empty() ? fixed : fixed + ": " + detail), fixed_(fixed), detail_(detail) {}
  const std::string& Fixed() const { return fixed_; }
  const std::string& Detail() const { return detail_; }

 private:
  std::string fixed_;
  std::string detail_;
};

inline constexpr const char* kCannotWriteArchive = "Cannot write to archive";
inline constexpr const char* kCannotReadFile = "Cannot read file";
inline constexpr const char* kCannotReadArchive = "Cannot read archive";
inline constexpr const char* kInvalidArchiveType = "Invalid archive type";

class TBackupFile {
 public:
  explicit TBackupFile(platform::Env* env = platform::Env::Default());
  ~TBackupFile();
  TBackupFile(const TBackupFile&) = delete;
  TBackupFile& operator=(const TBackupFile&) = delete;

  // --- Published properties, in their stored order.
  std::string Version() const { return "1.30"; }
  void SetVersion(const std::string&) {}  // writes are accepted and ignored
  std::string BackupTitle;
  TBackupMode BackupMode() const { return backupMode_; }
  void SetBackupMode(TBackupMode mode);  // bmIncremental also sets SetArchiveFlag
  TRestoreMode RestoreMode = rmAll;
  std::int32_t MaxSize = 0;  // bytes per volume; 0 = no limit
  bool SetArchiveFlag = false;
  TProgressEvent OnProgress;
  TNeedDiskEvent OnNeedDisk;
  TRestoreFileEvent OnRestoreFile;
  bool RestoreFullPath = false;
  bool SaveFileID = false;

  // --- Callbacks of the presentation (window or command line).
  // Lets the user interface process its pending messages; called after every block.
  std::function<void()> ProcessMessages;
  // Asks the user (information box with OK and Cancel); true for OK. When unset
  // the engine runs without asking: a backup goes on, a restore whose further
  // volume is absent fails.
  std::function<bool(const std::string& text)> Prompt;
  // Told of each stored name that a restore passes over for safety.
  std::function<void(const std::string& text)> Warning;

  // Threads that compress (backup) or decode (restore) blocks; 0 = one per
  // core, 1 = everything on the calling thread. The bytes written and the
  // events raised are the same for every value.
  unsigned Threads = 0;
  unsigned EffectiveThreads() const;

  // --- Run-time state.
  std::int32_t FileCount = 0;
  std::int64_t TotalSize = 0;  // the header keeps the low 32 bits
  std::int64_t Processed = 0;
  std::string CurrentFile;
  bool Busy() const { return busy_; }
  void Abort() { continue_ = false; }

  // Stores every file the list names into the set whose first volume is
  // archiveName. True when the set was completed, false when it was stopped.
  // Throws EArchiveError (or Exception for refused settings).
  bool Backup(const std::vector<std::string>& files, const std::string& archiveName);

  // Restores the set whose first volume is archiveName into destDir (may be
  // empty: files go back to their stored paths). Returns the count of files
  // created; 0 without any event when the first volume does not exist.
  std::int32_t Restore(const std::string& archiveName, const std::string& destDir);

  // The comment of the set, or "" when the file does not exist.
  std::string ReadArchiveTitle(const std::string& archiveName);

 private:
  class BackupRun;
  class RestoreRun;
  // Busy from construction to destruction, whichever way the operation ends.
  struct BusyScope {
    explicit BusyScope(bool& flag) : flag_(flag) { flag_ = true; }
    ~BusyScope() { flag_ = false; }
    BusyScope(const BusyScope&) = delete;
    BusyScope& operator=(const BusyScope&) = delete;
    bool& flag_;
  };
  friend class BackupRun;
  friend class RestoreRun;

  void RaiseProgress(const std::string& name, TPercentage percent);
  void RaiseNeedDisk(std::uint16_t diskId);

  platform::Env* env_;
  TBackupMode backupMode_ = bmAll;
  bool busy_ = false;
  bool continue_ = false;
};

}  // namespace parvex
