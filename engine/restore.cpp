// TBackupFile's reading operations: Restore walks a set with the set reader,
// decides file by file whether to restore, and writes the files with their
// stored times; ReadArchiveTitle reads only the comment. The reader finds
// every fault of the set; this is only the policy of what to write where:
// beneath the destination and nowhere else, never through a symbolic link,
// never over a volume of the set, and no file that was not restored whole
// given the stored time.
#include <algorithm>
#include <cerrno>
#include <exception>

#include "base/SafeText.h"
#include "engine/backup.h"
#include "engine/format.h"
#include "engine/restore_names.h"
#include "engine/set_files.h"
#include "engine/set_reader.h"

namespace parvex {

using platform::IoError;
using platform::TargetKind;
namespace fmt = format;

namespace {

// MS-DOS date-times compared as the dates they are: the date sits in the high
// bits, so unsigned order is date order (as signed numbers every year from
// 2044 on would come before 1980).
bool ShouldRestore(TRestoreMode mode, std::uint32_t stored, bool exists, std::uint32_t target) {
  switch (mode) {
    case rmAll: return true;
    case rmNoOverwrite: return !exists;
    case rmNewer: return !exists || target < stored;
    case rmExisting: return exists;
    case rmExistingNewer: return exists && target < stored;
  }
  return false;
}

}  // namespace

class TBackupFile::RestoreRun {
 public:
  RestoreRun(TBackupFile& owner, const std::string& archiveName, const std::string& destDir, TRestoreResult& result)
      : o_(owner), env_(*owner.env_), archive_(archiveName), destDir_(destDir), result_(result) {}

  void Run() {
    BusyScope busy(o_.busy_);
    o_.CurrentFile.clear();  // nothing of an earlier operation carries over
    SetReaderOptions options;
    options.threads = o_.EffectiveThreads();
    options.salvage = o_.Salvage;
    if (o_.OnNeedDisk || o_.AskForVolume) {
      options.askForVolume = [this](const TVolumeRequest& request) { return o_.RequestVolume(request); };
    }
    SetReader reader(env_, archive_, std::move(options));
    const SetHeader& header = reader.Open();
    o_.TotalSize = header.totalSize;
    o_.FileCount = header.fileCount;
    o_.Processed = 0;
    NoteVolumes();
    try {
      for (;;) {
        if (!o_.continue_) {
          result_.stopped = true;
          break;
        }
        const SetReader::Item item = reader.Next();
        if (item == SetReader::Item::kEnd) break;
        if (item == SetReader::Item::kFile) StartFile(reader);
        if (item == SetReader::Item::kVolume) volumeIds_.push_back(env_.GetFileId(reader.VolumeName()));
        if (item == SetReader::Item::kBlock) TakeBlock(reader.Block());
      }
    } catch (...) {
      FinishTarget(/*complete=*/false, /*failing=*/true);
      result_.volumes = reader.Volumes();
      throw;
    }
    FinishTarget(reader.CurrentFileComplete(), false);
    Report(reader);
    o_.RaiseProgress("", 100);
  }

 private:
  // The files of the set as they lie on disk now: no target may be one of them.
  void NoteVolumes() {
    volumeIds_.push_back(env_.GetFileId(archive_));
    for (const std::string& name : setfiles::FurtherVolumes(env_, archive_)) volumeIds_.push_back(env_.GetFileId(name));
  }

  // A file record: decides, and creates the target when the file is restored.
  void StartFile(SetReader& reader) {
    FinishTarget(/*complete=*/true, false);  // the previous file ended with its last segment
    const SetFile& stored = reader.File();
    TargetName target = MakeTargetName(stored.name, destDir_, o_.RestoreFullPath);
    o_.CurrentFile = target.name;
    bool doRestore = false;
    if (!target.ok) {
      Warn(target.warning);
      ++result_.refused;
    } else {
      platform::TargetStatus status = env_.StatTarget(target.root, target.relative);
      doRestore = Decide(stored.dosTime, status);
      if (o_.OnRestoreFile) {
        const std::string before = o_.CurrentFile;
        o_.OnRestoreFile(o_, o_.CurrentFile, doRestore);
        if (doRestore && o_.CurrentFile != before) {  // the handler's own choice of name
          target = PlaceTarget(o_.AbsoluteName(o_.CurrentFile), destDir_);
          status = env_.StatTarget(target.root, target.relative);
        }
      }
      doRestore = doRestore && MayWrite(target, status) && MakeDirectories(target) && OpenTarget(target);
    }
    reader.DecodeCurrentFile(doRestore);
    if (!doRestore) {
      ++result_.passedOver;
      return;
    }
    targetName_ = target.name;
    targetTime_ = stored.dosTime;
    ++result_.created;
  }

  // The rule of RestoreMode. Whatever stands in the file's place counts as
  // existing; a file that a restore left incomplete counts as older than any.
  bool Decide(std::uint32_t stored, const platform::TargetStatus& status) const {
    const bool exists = status.kind == TargetKind::kFile || status.kind == TargetKind::kLink ||
                        status.kind == TargetKind::kOther;
    const bool current = status.kind == TargetKind::kFile && !status.markedIncomplete;
    return ShouldRestore(o_.RestoreMode, stored, exists, current ? static_cast<std::uint32_t>(status.dosTime) : 0);
  }

  bool MayWrite(const TargetName& target, const platform::TargetStatus& status) {
    switch (status.kind) {
      case TargetKind::kLink:
        return PassOver(target, "it is a symbolic link, and a restore never writes through one");
      case TargetKind::kOther:
        return PassOver(target, "it is not a regular file (a device, pipe or socket)");
      case TargetKind::kUnreachable:
        return PassOver(target, status.why);
      case TargetKind::kFile:
        if (std::find(volumeIds_.begin(), volumeIds_.end(), status.id) != volumeIds_.end()) {
          return PassOver(target, "it is a volume of the set being restored");
        }
        return true;
      case TargetKind::kAbsent:
      case TargetKind::kDirectory:  // fails when created, as the restore's end
        return true;
    }
    return true;
  }

  // The destination (once) and the target's directories. A destination that
  // cannot be made ends the restore; a directory below it passes the file over.
  bool MakeDirectories(const TargetName& target) {
    if (!target.root.empty() && !destReady_) {
      const std::string why = env_.CreateTargetDirectories("", target.root);
      if (!why.empty()) {
        throw EArchiveError(kCannotReadFile,
                            "the destination directory " + ShownName(target.root) + " cannot be created: " + why);
      }
      destReady_ = true;
    }
    std::string dir = platform::DirectoryPart(target.relative);
    if (dir.empty() || dir == "/") return true;
    const std::string why = env_.CreateTargetDirectories(target.root, dir);
    return why.empty() || PassOver(target, "its directory cannot be made: " + why);
  }

  bool OpenTarget(const TargetName& target) {
    try {
      target_ = env_.CreateTarget(target.root, target.relative);
      return true;
    } catch (const IoError& e) {
      switch (e.Code()) {
        case ELOOP: return PassOver(target, "it is a symbolic link, and a restore never writes through one");
        case EXDEV:
        case ENOTDIR:
        case ENAMETOOLONG: return PassOver(target, e.what());
        default: throw EArchiveError(kCannotReadFile, e.what());
      }
    }
  }

  void TakeBlock(const SetBlock& block) {
    if (target_) {
      try {
        target_->Write(block.data, block.size);
      } catch (const IoError& e) {
        throw EArchiveError(kCannotReadFile, e.what());
      }
    }
    if (o_.ProcessMessages) o_.ProcessMessages();
    o_.Processed += static_cast<std::int64_t>(block.size);
    o_.RaiseProgress(o_.CurrentFile, fmt::Percentage(o_.Processed, o_.TotalSize));
  }

  // Closes the target written so far, also after a failure. Only a file
  // restored whole gets the stored time; one that is not keeps the time it
  // was written at and the incomplete mark, so that a later restore in a
  // "newer" mode takes it again. The file stays open across volumes, so it is
  // written, dated and marked through one handle from its creation to its end.
  void FinishTarget(bool complete, bool failing) {
    if (!target_) return;
    std::unique_ptr<platform::WritableFile> file = std::move(target_);
    std::int64_t written = file->Position();
    std::string error;
    bool whole = complete;
    try {
      if (whole) file->SetDosTime(targetTime_);
    } catch (const IoError& e) {
      whole = false;
      error = e.what();
    }
    if (!whole) {
      // What reached the disk: after a failed write, less than was handed over.
      const std::int64_t onDisk = file->MarkIncomplete();
      if (onDisk >= 0) written = onDisk;
    }
    try {
      file->Close();
    } catch (const IoError& e) {
      whole = false;
      if (error.empty()) error = e.what();
    }
    if (whole) {
      if (result_.restored.size() < TRestoreResult::kNamesKept) result_.restored.push_back(targetName_);
    } else {
      result_.incomplete.push_back(targetName_);
      Warn(QuotedName(targetName_) + " is incomplete: only its first " + std::to_string(written) +
           (written == 1 ? " byte was" : " bytes were") + " restored");
    }
    if (!error.empty() && !failing) throw EArchiveError(kCannotReadFile, error);
  }

  void Report(const SetReader& reader) {
    result_.volumes = reader.Volumes();
    switch (result_.stopped ? SetEnd::kStopped : reader.Ending()) {
      case SetEnd::kCompleted:
        result_.setCompleted = true;
        break;
      case SetEnd::kStopped:
        result_.stopped = true;
        break;
      case SetEnd::kCut:
        result_.endNote = reader.EndNote();
        Warn("the set ends without its end record (it was not completed): " + result_.endNote +
             "; everything up to there was restored");
        break;
      case SetEnd::kSalvaged:
        result_.salvaged = true;
        result_.endNote = reader.EndNote();
        Warn(result_.endNote + "; the blocks before it were restored");
        break;
    }
  }

  bool PassOver(const TargetName& target, const std::string& why) {
    Warn(QuotedName(target.name) + " passed over: " + why);
    ++result_.refused;
    return false;
  }

  void Warn(const std::string& text) {
    if (o_.Warning) o_.Warning(text);
  }

  TBackupFile& o_;
  platform::Env& env_;
  const std::string archive_;
  const std::string destDir_;
  TRestoreResult& result_;
  bool destReady_ = false;
  std::vector<platform::FileId> volumeIds_;
  std::unique_ptr<platform::WritableFile> target_;
  std::string targetName_;
  std::uint32_t targetTime_ = 0;
};

TRestoreResult TBackupFile::Restore(const std::string& archiveName, const std::string& destDir) {
  if (busy_) throw Exception("Another operation is still running");
  CheckThreads();
  lastRestore_ = {};
  continue_ = true;
  const std::string archive = AbsoluteName(archiveName);
  if (!env_->FileExists(archive)) return {};
  RestoreRun run(*this, archive, destDir.empty() ? destDir : AbsoluteName(destDir), lastRestore_);
  run.Run();
  return lastRestore_;
}

std::string TBackupFile::ReadArchiveTitle(const std::string& archiveName) {
  const std::string archive = AbsoluteName(archiveName);
  if (!env_->FileExists(archive)) return "";
  SetReader reader(*env_, archive, {});
  return reader.Open().title;
}

}  // namespace parvex
