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

#include "base/Exception.h"
#include "engine/name_list.h"
#include "engine/volume_request.h"
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

// What a backup did: the volumes it wrote, with their final sizes, and the
// files it stored.
struct TVolumeWritten {
  std::string name;
  std::int64_t size = 0;
};
struct TBackupResult {
  bool completed = false;  // the end record was written
  std::vector<TVolumeWritten> volumes;
  std::int32_t filesStored = 0;  // file records written
  std::int64_t bytesIn = 0;      // file data read and stored
  // Files that changed while they were stored (stored as far as they were
  // read: the set is sound, the copy perhaps not what the file is now).
  std::vector<std::string> changed;
  // Names of the list that are files this backup writes (its own volumes and
  // identification files), left out.
  std::vector<std::string> leftOut;
};

// What a restore did.
struct TRestoreResult {
  std::int32_t created = 0;     // files created
  std::int32_t passedOver = 0;  // file records not restored (the mode, OnRestoreFile, a name passed over for
                                // safety, a directory that could not be made)
  std::int32_t refused = 0;     // of those, the ones passed over with a warning (everything but the mode and
                                // OnRestoreFile): files the user asked for and did not get
  // Targets that may hold only part of their file: the set ended, the restore
  // stopped, or writing failed while they were written. They keep the time
  // they were written at, never the stored one. `created` counts them too.
  std::vector<std::string> incomplete;
  // The targets restored whole, in order: the first kNamesKept of them.
  static constexpr std::size_t kNamesKept = 1000;
  std::vector<std::string> restored;
  std::int32_t Complete() const { return created - static_cast<std::int32_t>(incomplete.size()); }
  bool setCompleted = false;  // the set's end record was reached
  bool stopped = false;       // by Abort, a handler, or a declined volume
  bool salvaged = false;      // salvage read as far as blocks went and stopped at damage
  std::string endNote;        // without the end record: what ended the set, and where
  unsigned volumes = 0;       // volumes read
};

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
  // Asks the user for a further volume, worded by the presentation. A backup
  // asks when OnNeedDisk is unset; a restore asks when OnNeedDisk is unset, and
  // after OnNeedDisk while the volume is still absent. Unset: a backup goes
  // on, a restore opens a volume that is there and fails on one that is absent.
  TVolumeAsker AskForVolume;
  // Told of what the user should know and the result does not say at once:
  // a restore's passed-over names (with the reason), incomplete files and a
  // set that ends early; a backup's files that changed while being stored,
  // names left out and old volumes that could not be removed. Names in the
  // text are shown safely (SafeText).
  std::function<void(const std::string& text)> Warning;
  // Backup: the first volume replaces an older set's. That set's further
  // volumes (NAME.002, NAME.003 ... for as long as they follow on) that the
  // new set does not write are removed at the end, however the backup ends,
  // so that no old volume can ever be read as part of the new set.
  bool RemoveOldVolumes = false;
  // Restore: read on past a segment whose length is 0 or too long (a set left
  // unfinished by an older version), taking its blocks as far as they parse,
  // and stop there with a warning.
  bool Salvage = false;
  // Backup: take each name of the list as the one file it names, with no
  // wildcards (a list made from a directory tree, whose names may hold * or ?).
  bool LiteralNames = false;

  // Threads that compress (backup) or decode (restore) blocks; 0 = one per
  // core, 1 = everything on the calling thread. The bytes written and the
  // events raised are the same for every value.
  unsigned Threads = 0;
  unsigned EffectiveThreads() const;
  // The most threads an operation takes: four a core, at most 256. More only
  // cost memory; Backup and Restore refuse them.
  static unsigned MaxThreads();

  // --- Run-time state.
  std::int32_t FileCount = 0;
  std::int64_t TotalSize = 0;  // the header keeps the low 32 bits
  std::int64_t Processed = 0;
  std::string CurrentFile;
  bool Busy() const { return busy_; }
  void Abort() { continue_ = false; }
  // What the last Backup or Restore did so far, also when it ended with an
  // exception (the volumes written, the files restored before the failure).
  const TBackupResult& LastBackup() const { return lastBackup_; }
  const TRestoreResult& LastRestore() const { return lastRestore_; }

  // Stores every file the list names into the set whose first volume is
  // archiveName. `completed` when the set was completed, not when it was
  // stopped. Throws EArchiveError (or Exception for refused settings).
  TBackupResult Backup(const NameList& files, const std::string& archiveName);

  // Restores the set whose first volume is archiveName into destDir (may be
  // empty: files go back to their stored paths). Nothing happens, and no event
  // is raised, when the first volume does not exist. Throws EArchiveError.
  TRestoreResult Restore(const std::string& archiveName, const std::string& destDir);

  // The comment of the set, or "" when the file does not exist. Throws
  // EArchiveError for a file that is not a volume set.
  std::string ReadArchiveTitle(const std::string& archiveName);

  // `name` made absolute against the working directory of the Env. Relative
  // names given to Backup, Restore and ReadArchiveTitle are taken this way.
  std::string AbsoluteName(const std::string& name) const;

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
  // The one way a further volume is asked for, by backup and restore alike:
  // OnNeedDisk when it is set, AskForVolume otherwise (and, when reading, after
  // OnNeedDisk while the volume is absent). Returns the continue flag.
  bool RequestVolume(const TVolumeRequest& request);
  // Throws Exception for a Threads beyond MaxThreads.
  void CheckThreads() const;

  platform::Env* env_;
  TBackupResult lastBackup_;
  TRestoreResult lastRestore_;
  TBackupMode backupMode_ = bmAll;
  bool busy_ = false;
  bool continue_ = false;
};

}  // namespace parvex
