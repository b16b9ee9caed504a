// TBackupFile's backup operation: expands the file list, writes the header, and
// stores each file as a file record and segments of compressed blocks, changing
// volumes when one is full.
#include "engine/backup.h"

#include <algorithm>
#include <cerrno>
#include <thread>

#include "base/SafeText.h"
#include "engine/block_source.h"
#include "engine/format.h"
#include "engine/LZRW1KH.h"
#include "engine/set_files.h"

namespace parvex {

using platform::IoError;
namespace fmt = format;

namespace {

// Without leading and trailing blanks and control characters.
std::string Trimmed(const std::string& s) {
  const auto keep = [](char c) { return static_cast<unsigned char>(c) > ' '; };
  const auto first = std::find_if(s.begin(), s.end(), keep);
  const auto last = std::find_if(s.rbegin(), s.rend(), keep).base();
  return first < last ? std::string(first, last) : std::string();
}

}  // namespace

TBackupFile::TBackupFile(platform::Env* env) : env_(env) {}

unsigned TBackupFile::EffectiveThreads() const {
  if (Threads != 0) return Threads;
  return std::max(1u, std::thread::hardware_concurrency());
}

unsigned TBackupFile::MaxThreads() { return std::min(256u, 4 * std::max(1u, std::thread::hardware_concurrency())); }

void TBackupFile::CheckThreads() const {
  if (Threads > MaxThreads()) {
    throw Exception(std::to_string(Threads) + " threads are too many: this machine takes at most " +
                    std::to_string(MaxThreads()) + " (0 = one per core)");
  }
}

TBackupFile::~TBackupFile() = default;

void TBackupFile::SetBackupMode(TBackupMode mode) {
  if (mode == backupMode_) return;
  backupMode_ = mode;
  if (mode == bmIncremental) SetArchiveFlag = true;
}

void TBackupFile::RaiseProgress(const std::string& name, TPercentage percent) {
  if (OnProgress) OnProgress(*this, name, percent, continue_);
}

bool TBackupFile::RequestVolume(const TVolumeRequest& request) {
  if (OnNeedDisk) {
    OnNeedDisk(*this, request.diskId, continue_);
    if (continue_ && request.purpose == vpRead && AskForVolume && !env_->FileExists(request.fileName)) {
      TVolumeRequest absent = request;
      absent.present = false;
      continue_ = AskForVolume(absent);
    }
  } else if (AskForVolume) {
    continue_ = AskForVolume(request);
  }
  return continue_;
}

std::string TBackupFile::AbsoluteName(const std::string& name) const {
  return platform::MakeAbsolute(name, env_->CurrentDirectory());
}

class TBackupFile::BackupRun {
 public:
  BackupRun(TBackupFile& owner, const std::string& archiveName)
      : o_(owner),
        env_(*owner.env_),
        archive_(owner.AbsoluteName(archiveName)),
        workDir_(platform::DirectoryPart(archive_)),
        result_(owner.lastBackup_) {}

  void Run(const NameList& files) {
    BusyScope busy(o_.busy_);
    Expand(files);
    o_.continue_ = true;
    o_.RaiseProgress("", 0);

    NoteOwnFiles();
    try {
      // The files are read and compressed ahead while their sizes are added up.
      source_ = MakeBlockSource(env_, list_, o_.EffectiveThreads(), &ownFiles_);
      o_.TotalSize = 0;
      for (NameList::Cursor name(list_); name.Next();) {
        o_.TotalSize += std::max<std::int64_t>(0, env_.FileSize(name.Name()));
      }

      volumeNumber_ = 1;
      if (o_.SaveFileID) StartIdList();
      OpenVolume();
      o_.FileCount = static_cast<std::int32_t>(list_.Size());
      WriteText(o_.BackupTitle);
      WriteU32(static_cast<std::uint32_t>(o_.TotalSize));  // low 32 bits
      WriteU32(static_cast<std::uint32_t>(o_.FileCount));
      o_.Processed = 0;

      SourceFile file;
      while (o_.continue_ && source_->NextFile(file)) StoreFile(file);
      source_.reset();  // blocks read ahead of a stop are dropped

      if (o_.SaveFileID) SaveIdList();
      result_.completed = o_.continue_;
      if (result_.completed) WriteU32(0);  // end record
      CloseVolume();
    } catch (...) {
      source_.reset();
      result_.bytesIn = o_.Processed;
      RemoveOldVolumes();
      throw;
    }
    result_.bytesIn = o_.Processed;
    RemoveOldVolumes();
    o_.RaiseProgress("", 100);
  }

 private:
  // The files this backup writes over that are there already: an older set's
  // volumes under the names this one takes, and its identification files. No
  // name of the list that is one of them (by device and inode) is read.
  void NoteOwnFiles() {
    oldFurther_ = setfiles::FurtherVolumes(env_, archive_);
    ownFiles_.Add(env_.GetFileId(archive_));
    for (const std::string& name : oldFurther_) ownFiles_.Add(env_.GetFileId(name));
    if (!o_.SaveFileID) return;
    for (unsigned k = 1; k <= setfiles::kLastDistinctVolume; ++k) {
      const platform::FileId id = env_.GetFileId(workDir_ + fmt::DiskIdFileName(k));
      if (!id.Valid()) break;
      ownFiles_.Add(id);
    }
  }

  // Only once this backup holds the first volume: a second split that was
  // refused must not touch the set the first one writes.
  void RemoveOldVolumes() {
    if (!o_.RemoveOldVolumes || !holdsFirstVolume_) return;
    const auto volumes = static_cast<unsigned>(volumeNames_.size());
    for (const std::string& name : setfiles::RemoveStaleVolumes(env_, oldFurther_, volumes)) {
      Warn(QuotedName(name) + " of the replaced set could not be removed: remove it by hand, or a join may take it "
                          "for a volume of the new set");
    }
  }

  void Warn(const std::string& text) {
    if (o_.Warning) o_.Warning(text);
  }

  // The working list: every match of every entry, in order.
  void Expand(const NameList& files) {
    for (NameList::Cursor cursor(files); cursor.Next();) {
      const std::string& entry = cursor.Name();
      if (o_.LiteralNames) {
        const std::string full = platform::MakeAbsolute(entry, workDir_);
        if (o_.backupMode_ == bmAll || env_.HasArchiveAttribute(full)) list_.Add(full);
        continue;
      }
      const std::string dir = platform::DirectoryPart(entry);
      for (const platform::DirEntry& match : env_.FindMatches(platform::MakeAbsolute(entry, workDir_))) {
        const std::string full = platform::MakeAbsolute(dir + match.name, workDir_);
        if (o_.backupMode_ == bmAll || env_.HasArchiveAttribute(full)) list_.Add(full);
      }
    }
    list_.Compact();
  }

  void StoreFile(const SourceFile& file) {
    if (file.own) {
      result_.leftOut.push_back(file.name);
      Warn(QuotedName(file.name) + " left out: it is a file this split writes (a volume of the set or an "
                               "identification file)");
      return;
    }
    o_.CurrentFile = Trimmed(file.name);
    WriteText(o_.CurrentFile);
    ++result_.filesStored;
    if (!file.error.empty()) throw EArchiveError(kCannotReadFile, file.error);
    WriteU32(file.dosTime);
    remaining_ = file.size;
    storedOfFile_ = 0;
    if (o_.SaveFileID) idLines_.push_back(fmt::DiskIdFileLine(o_.CurrentFile, remaining_));

    if (remaining_ == 0) WriteEmptySegment();  // so that every file record has its segment
    while (remaining_ > 0 && o_.continue_) WriteSegment();
    if (remaining_ == 0 && source_->CurrentFileChanged()) {
      result_.changed.push_back(file.name);
      Warn(QuotedName(file.name) + " changed while being stored: the set holds the " + std::to_string(storedOfFile_) +
           (storedOfFile_ == 1 ? " byte" : " bytes") + " read of it, which may not be what the file holds now");
    }
    // Only a file stored whole loses its archive attribute: a later incremental
    // run must take a file whose storing was stopped or cut short.
    if (o_.SetArchiveFlag && remaining_ == 0) env_.ClearArchiveAttribute(file.name);
  }

  void WriteEmptySegment() {
    Write(fmt::kSegmentMagic, sizeof fmt::kSegmentMagic);
    WriteU32(0);
  }

  // One segment of the current file on the current volume; when the volume is
  // full and the file goes on, closes the volume and opens the next. While the
  // segment grows, its length on disk is brought up to date whenever the
  // volume's buffer goes to disk, so that a split killed at any moment leaves
  // every block on disk readable: the recorded length never covers more than
  // the disk holds, except for a moment at the segment's end, when the final
  // length may reach the disk before the last blocks do (the reader takes a
  // cut-off volume's blocks as far as they go).
  void WriteSegment() {
    // The head goes out before its place is remembered: a flush in the
    // middle of it must not patch a length that is not written yet.
    const std::int64_t start = volume_->Position();
    segmentLength_ = 0;
    WriteEmptySegment();
    segmentStart_ = start;
    try {
      while (remaining_ > 0 && o_.continue_) {
        if (VolumeFull(segmentLength_)) break;
        SourceBlock block;
        if (!source_->NextBlock(block)) {  // the file ended before the size it announced
          remaining_ = 0;
          break;
        }
        WriteU32(block.length);
        Write(block.data, block.length);
        segmentLength_ += 4 + block.length;
        remaining_ = block.last ? 0 : remaining_ - static_cast<std::int64_t>(block.inputBytes);
        storedOfFile_ += static_cast<std::int64_t>(block.inputBytes);
        blocksOnVolume_ = true;
        if (o_.ProcessMessages) o_.ProcessMessages();
        o_.Processed += static_cast<std::int64_t>(block.inputBytes);
        o_.RaiseProgress(o_.CurrentFile, fmt::Percentage(o_.Processed, o_.TotalSize));
      }
    } catch (...) {
      // Leave the segment readable up to the failure where the volume still can be.
      PatchSegmentLength(/*mayFail=*/true);
      segmentStart_ = -1;
      throw;
    }
    PatchSegmentLength(false);
    segmentStart_ = -1;
    if (remaining_ > 0 && o_.continue_) NextVolume();
  }

  bool VolumeFull(std::int64_t segmentLength) {
    if (o_.MaxSize != 0 && volume_->Position() >= o_.MaxSize - fmt::kVolumeSlack) return true;
    if (segmentLength + static_cast<std::int64_t>(fmt::kBlockRecordMax) > fmt::kMaxSegmentLength) return true;
    const std::int64_t needed = static_cast<std::int64_t>(volume_->Pending() + fmt::kBlockRecordMax +
                                                          fmt::kContinuationRecordSize);
    // While the drive had plenty of room at the last look, what we wrote since
    // tells enough; near the limit, and now and then, the drive is asked again.
    if (knownFree_ >= 0 && blocksSinceLook_ < kBlocksBetweenLooks) {
      const std::int64_t estimate = knownFree_ - (volume_->Position() - positionAtLook_) - pendingAtLook_;
      if (estimate - fmt::kFreeSpaceReserve - needed > kPlentyOfRoom) {
        ++blocksSinceLook_;
        return false;
      }
    }
    std::int64_t free = env_.FreeSpace(workDir_);
    if (free < 0) free = 0;  // a failed query counts as no free space
    knownFree_ = free;
    positionAtLook_ = volume_->Position();
    pendingAtLook_ = static_cast<std::int64_t>(volume_->Pending());
    blocksSinceLook_ = 0;
    return free - fmt::kFreeSpaceReserve < needed;
  }

  // Writes the length of the open segment's complete block records into its head.
  void PatchSegmentLength(bool mayFail) {
    std::uint8_t field[4];
    fmt::EncodeFixed32(field, static_cast<std::uint32_t>(segmentLength_));
    try {
      volume_->WriteAt(segmentStart_ + 4, field, 4);
    } catch (const IoError& e) {
      if (!mayFail) throw EArchiveError(kCannotWriteArchive, e.what());
    }
  }

  void NextVolume() {
    if (!blocksOnVolume_ && volumeNumber_ > 1) {
      throw EArchiveError(kCannotWriteArchive,
                          "no room for a single block on volume " + std::to_string(volumeNumber_) + " (" +
                              volumeName_ + "): the disk in " + workDir_ + " is full");
    }
    if (o_.SaveFileID) {
      SaveIdList();
      ++volumeNumber_;
      StartIdList();
    } else {
      ++volumeNumber_;
    }
    WriteText(fmt::ContinuationText(volumeNumber_));
    CloseVolume();
    TVolumeRequest request;
    request.purpose = vpWrite;
    request.volume = volumeNumber_;
    request.diskId = static_cast<std::uint16_t>(volumeNumber_);
    request.fileName = fmt::VolumeName(archive_, volumeNumber_);
    if (o_.RequestVolume(request)) OpenVolume();
  }

  void OpenVolume() {
    const std::string name = fmt::VolumeName(archive_, volumeNumber_);
    const auto earlier = std::find(volumeNames_.begin(), volumeNames_.end(), name);
    if (earlier != volumeNames_.end()) {
      throw EArchiveError(kCannotWriteArchive,
                          "volume " + std::to_string(volumeNumber_) + " would be named " + name +
                              ", like volume " + std::to_string(earlier - volumeNames_.begin() + 1) +
                              " of this set; use a larger volume size");
    }
    try {
      volume_ = env_.CreateVolume(name);
    } catch (const IoError& e) {
      const bool untouched = volumeNumber_ == 1 && e.Code() == EWOULDBLOCK;
      throw EArchiveError(kCannotWriteArchive, e.what() + std::string(untouched ? "; nothing was written" : ""));
    }
    ownFiles_.Add(volume_->Id());
    // The first volume stays locked to the end: no second split of this set
    // can start meanwhile, nor a join read it half written. Not on removable
    // media, where the next disk takes its place and an open file would keep
    // the first one from being ejected.
    if (volumeNumber_ == 1) {
      if (!env_.IsRemovable(workDir_)) firstLock_ = volume_->HoldLock();
      holdsFirstVolume_ = true;
    }
    volume_->SetFlushListener([this] {
      if (segmentStart_ >= 0) PatchSegmentLength(false);
    });
    volumeName_ = name;
    volumeNames_.push_back(name);
    blocksOnVolume_ = false;
    knownFree_ = -1;  // perhaps another disk
  }

  void CloseVolume() {
    if (!volume_) return;  // a declined disk: the last volume is closed already
    result_.volumes.push_back({volumeName_, volume_->Position()});
    try {
      volume_->Close();
    } catch (const IoError& e) {
      throw EArchiveError(kCannotWriteArchive, e.what());
    }
    volume_.reset();
  }

  void StartIdList() {
    const std::time_t now = env_.Now();
    idLines_ = {"DISK:" + std::to_string(volumeNumber_), "DATE:" + platform::ShortDateText(now),
                "TIME:" + platform::LongTimeText(now)};
  }

  void SaveIdList() {
    std::string text;
    for (const std::string& line : idLines_) text += line + "\r\n";
    idLines_.clear();
    const std::string path = workDir_ + fmt::DiskIdFileName(volumeNumber_);
    try {
      auto file = env_.Create(path);
      ownFiles_.Add(file->Id());
      file->Write(text.data(), text.size());
      file->Close();
    } catch (const IoError& e) {
      throw EArchiveError(kCannotWriteArchive, e.what());
    }
  }

  void Write(const void* data, std::size_t n) {
    try {
      volume_->Write(data, n);
    } catch (const IoError& e) {
      throw EArchiveError(kCannotWriteArchive, e.what());
    }
  }

  void WriteU32(std::uint32_t v) {
    std::uint8_t field[4];
    fmt::EncodeFixed32(field, v);
    Write(field, 4);
  }

  void WriteText(const std::string& text) {
    WriteU32(static_cast<std::uint32_t>(text.size()));
    Write(text.data(), text.size());
  }

  TBackupFile& o_;
  platform::Env& env_;
  const std::string archive_;  // absolute name of the first volume
  const std::string workDir_;  // its directory, with a trailing '/'
  std::unique_ptr<platform::WritableFile> volume_;
  std::string volumeName_;
  unsigned volumeNumber_ = 0;
  std::vector<std::string> volumeNames_;
  bool blocksOnVolume_ = false;
  // The free space seen at the last look at the drive, and the volume then.
  static constexpr std::int64_t kPlentyOfRoom = 4 << 20;
  static constexpr int kBlocksBetweenLooks = 64;
  std::int64_t knownFree_ = -1;
  std::int64_t positionAtLook_ = 0;
  std::int64_t pendingAtLook_ = 0;
  int blocksSinceLook_ = 0;
  std::vector<std::string> idLines_;
  std::int64_t remaining_ = 0;
  std::int64_t storedOfFile_ = 0;  // bytes of the current file stored so far
  OwnFiles ownFiles_;
  std::vector<std::string> oldFurther_;  // an older set's further volumes, when there were any
  std::unique_ptr<platform::FileLock> firstLock_;
  bool holdsFirstVolume_ = false;  // the first volume was created by this backup
  std::int64_t segmentStart_ = -1;  // of the open segment's head; -1 while none is open
  std::int64_t segmentLength_ = 0;  // its complete block records so far
  NameList list_;                       // the working list; outlives the source, which reads it
  std::unique_ptr<BlockSource> source_;
  TBackupResult& result_;
};

TBackupResult TBackupFile::Backup(const NameList& files, const std::string& archiveName) {
  if (busy_) throw Exception("Another operation is still running");
  if (fmt::CheckVolumeSize(MaxSize) != fmt::VolumeSizeCheck::kOk) {
    throw Exception("Volume size " + std::to_string(MaxSize) + " is too small: a volume must hold at least " +
                    std::to_string(fmt::kMinMaxSize) + " bytes (0 means no limit)");
  }
  CheckThreads();
  lastBackup_ = {};
  BackupRun run(*this, archiveName);
  run.Run(files);
  return lastBackup_;
}

}  // namespace parvex
