// TBackupFile's reading operations: Restore walks a set with the set reader,
// decides file by file whether to restore, and writes the files with their
// stored times; ReadArchiveTitle reads only the comment. The reader finds
// every fault of the set; this is only the policy of what to write where.
#include <exception>

#include "base/SafeText.h"
#include "engine/backup.h"
#include "engine/format.h"
#include "engine/restore_names.h"
#include "engine/set_reader.h"

namespace parvex {

using platform::IoError;
namespace fmt = format;

namespace {

bool ShouldRestore(TRestoreMode mode, std::int32_t stored, std::int32_t target) {
  const bool exists = target != -1;
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
  RestoreRun(TBackupFile& owner, const std::string& archiveName, const std::string& destDir)
      : o_(owner), env_(*owner.env_), archive_(archiveName), destDir_(destDir) {}

  TRestoreResult Run() {
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
    try {
      for (;;) {
        if (!o_.continue_) {
          result_.stopped = true;
          break;
        }
        const SetReader::Item item = reader.Next();
        if (item == SetReader::Item::kEnd) break;
        if (item == SetReader::Item::kFile) StartFile(reader);
        if (item == SetReader::Item::kBlock) TakeBlock(reader.Block());
      }
    } catch (...) {
      FinishTarget(/*complete=*/false, /*failing=*/true);
      throw;
    }
    FinishTarget(reader.CurrentFileComplete(), false);
    Report(reader);
    o_.RaiseProgress("", 100);
    return result_;
  }

 private:
  // A file record: decides, and creates the target when the file is restored.
  void StartFile(SetReader& reader) {
    FinishTarget(/*complete=*/true, false);  // the previous file ended with its last segment
    const SetFile& stored = reader.File();
    const TargetName target = MakeTargetName(stored.name, destDir_, o_.RestoreFullPath);
    if (!target.warning.empty()) Warn(target.warning);
    o_.CurrentFile = target.name;
    bool doRestore = false;
    if (target.ok) {
      const std::int32_t current = env_.FileExists(o_.CurrentFile) ? env_.GetDosFileTime(o_.CurrentFile) : -1;
      doRestore = ShouldRestore(o_.RestoreMode, static_cast<std::int32_t>(stored.dosTime), current);
      if (o_.OnRestoreFile) o_.OnRestoreFile(o_, o_.CurrentFile, doRestore);
      if (doRestore) {
        const std::string dir = platform::DirectoryPart(o_.CurrentFile);
        doRestore = dir.empty() || env_.CreateDirectories(dir);
      }
    }
    reader.DecodeCurrentFile(doRestore);
    if (!doRestore) {
      ++result_.passedOver;
      return;
    }
    try {
      target_ = env_.Create(o_.CurrentFile);
    } catch (const IoError& e) {
      throw EArchiveError(kCannotReadFile, e.what());
    }
    targetName_ = o_.CurrentFile;
    targetTime_ = stored.dosTime;
    ++result_.created;
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

  // Closes the target written so far and gives it the stored time, also after
  // a failure. The file stays open across volumes, so it is written through
  // one handle from its creation to its end.
  void FinishTarget(bool complete, bool failing) {
    if (!target_) return;
    std::unique_ptr<platform::WritableFile> file = std::move(target_);
    std::string error;
    try {
      file->Close();
    } catch (const IoError& e) {
      error = e.what();
    }
    file.reset();
    env_.SetDosFileTime(targetName_, targetTime_);
    if (!complete || !error.empty()) result_.incomplete.push_back(targetName_);
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
             "; everything up to there was restored" + IncompleteNote());
        break;
      case SetEnd::kSalvaged:
        result_.salvaged = true;
        result_.endNote = reader.EndNote();
        Warn(result_.endNote + "; the blocks before it were restored" + IncompleteNote());
        break;
    }
  }

  std::string IncompleteNote() const {
    std::string note;
    for (const std::string& name : result_.incomplete) note += ", " + ShownName(name);
    return note.empty() ? note : "; may be incomplete: " + note.substr(2);
  }

  void Warn(const std::string& text) {
    if (o_.Warning) o_.Warning(text);
  }

  TBackupFile& o_;
  platform::Env& env_;
  const std::string archive_;
  const std::string destDir_;
  std::unique_ptr<platform::WritableFile> target_;
  std::string targetName_;
  std::uint32_t targetTime_ = 0;
  TRestoreResult result_;
};

TRestoreResult TBackupFile::Restore(const std::string& archiveName, const std::string& destDir) {
  if (busy_) throw Exception("Another operation is still running");
  continue_ = true;
  const std::string archive = AbsoluteName(archiveName);
  if (!env_->FileExists(archive)) return {};
  RestoreRun run(*this, archive, destDir.empty() ? destDir : AbsoluteName(destDir));
  return run.Run();
}

std::string TBackupFile::ReadArchiveTitle(const std::string& archiveName) {
  const std::string archive = AbsoluteName(archiveName);
  if (!env_->FileExists(archive)) return "";
  SetReader reader(*env_, archive, {});
  return reader.Open().title;
}

}  // namespace parvex
