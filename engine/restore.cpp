// TBackupFile's reading operations: Restore walks a set from its first volume,
// decides file by file whether to restore, and writes the files with their
// stored times; ReadArchiveTitle reads only the comment. Every length read from
// a volume is checked against what the volume still holds, so a damaged or
// hostile set ends with an error naming the volume and offset.
#include <exception>

#include "engine/backup.h"
#include "engine/format.h"
#include "engine/restore_names.h"
#include "engine/volume_reader.h"
#include "engine/work_pool.h"

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
      : o_(owner), env_(*owner.env_), archive_(archiveName), destDir_(destDir) {
    const unsigned threads = owner.EffectiveThreads();
    batch_.resize(threads > 1 ? 4 * threads : 1);
    if (threads > 1) pool_ = std::make_unique<WorkPool>(threads);
  }

  std::int32_t Run() {
    BusyScope busy(o_.busy_);
    ReadHeader();
    bool doRestore = true;
    std::uint32_t storedTime = 0;
    std::int32_t count = 0;
    for (;;) {
      std::uint8_t field[4];
      if (!volume_.Peek4(field)) {
        if (volume_.Remaining() == 0) {
          Warn(volume_.Name() + ": the set ends without its end record (it was not completed); "
               "everything up to there was restored");
          break;
        }
        volume_.ReadI32(kCannotReadArchive, "a record length");  // throws
      }
      const std::int64_t recordAt = volume_.Offset();
      const std::int32_t n = volume_.ReadI32(kCannotReadArchive, "a record length");
      if (n == 0) break;
      if (n < 0) continue;  // no text: passed over
      if (n > volume_.Remaining()) {
        throw EArchiveError(kCannotReadArchive,
                            volume_.WhereAt(recordAt, "a record of " + std::to_string(n) +
                                                          " bytes passes the end of the volume"));
      }
      std::string text(static_cast<std::size_t>(n), '\0');
      volume_.ReadExact(text.data(), text.size(), kCannotReadArchive, "a record");

      if (fmt::IsContinuation(text)) {
        NextVolume(text, recordAt);
        if (!o_.continue_) break;
        ContinueFile(doRestore, storedTime);
      } else {
        storedTime = static_cast<std::uint32_t>(volume_.ReadI32(kCannotReadArchive, "a file time"));
        if (RestoreFile(text, storedTime, doRestore)) ++count;
      }
      if (!o_.continue_) break;
    }
    volume_.Close();
    o_.RaiseProgress("", 100);
    return count;
  }

 private:
  void ReadHeader() {
    try {
      volume_.Open(env_, archive_);
      volume_.ReadTitle();  // not used
      o_.TotalSize = static_cast<std::uint32_t>(volume_.ReadI32(kCannotReadArchive, "the header"));
      o_.FileCount = volume_.ReadI32(kCannotReadArchive, "the header");
    } catch (const IoError& e) {
      throw EArchiveError(kCannotReadArchive, e.what());
    }
    o_.Processed = 0;
  }

  // A file record: decides, then restores or passes over the file's first segment.
  // True when a file was created.
  bool RestoreFile(const std::string& storedName, std::uint32_t storedTime, bool& doRestore) {
    const TargetName target = MakeTargetName(storedName, destDir_, o_.RestoreFullPath);
    if (!target.warning.empty()) Warn(target.warning);
    o_.CurrentFile = target.name;
    doRestore = false;
    if (target.ok) {
      const std::int32_t current = env_.FileExists(o_.CurrentFile) ? env_.GetDosFileTime(o_.CurrentFile) : -1;
      doRestore = ShouldRestore(o_.RestoreMode, static_cast<std::int32_t>(storedTime), current);
      if (o_.OnRestoreFile) o_.OnRestoreFile(o_, o_.CurrentFile, doRestore);
      if (doRestore) {
        const std::string dir = platform::DirectoryPart(o_.CurrentFile);
        doRestore = dir.empty() || env_.CreateDirectories(dir);
      }
    }
    // A set written by older versions may hold an empty file with no segment:
    // then the next four bytes are already the next record's length.
    std::uint8_t head[4];
    const bool hasSegment = volume_.Peek4(head) && fmt::IsSegmentMagic(head);
    if (!doRestore) {
      if (hasSegment) ReadSegment(nullptr, kInvalidArchiveType);
      return false;
    }
    std::unique_ptr<platform::WritableFile> file;
    try {
      file = env_.Create(o_.CurrentFile);
    } catch (const IoError& e) {
      throw EArchiveError(kCannotReadFile, e.what());
    }
    WriteTarget(std::move(file), storedTime, hasSegment);
    return true;
  }

  // The segment that continues the current file at the start of a further volume.
  void ContinueFile(bool doRestore, std::uint32_t storedTime) {
    if (!doRestore) {
      ReadSegment(nullptr, kInvalidArchiveType);
      return;
    }
    std::unique_ptr<platform::WritableFile> file;
    try {
      file = env_.OpenForAppend(o_.CurrentFile);
    } catch (const IoError& e) {
      throw EArchiveError(kCannotReadFile, e.what());
    }
    WriteTarget(std::move(file), storedTime, true, kInvalidArchiveType);
  }

  // Reads one segment into `file`; afterwards, also on failure, closes the file
  // and gives it the stored time.
  void WriteTarget(std::unique_ptr<platform::WritableFile> file, std::uint32_t storedTime, bool hasSegment,
                   const char* badMagic = kCannotReadFile) {
    try {
      if (hasSegment) ReadSegment(file.get(), badMagic);
      file->Close();
    } catch (const IoError& e) {
      FinishTarget(file, storedTime);
      throw EArchiveError(kCannotReadFile, e.what());
    } catch (...) {
      FinishTarget(file, storedTime);
      throw;
    }
    FinishTarget(file, storedTime);
  }

  void FinishTarget(std::unique_ptr<platform::WritableFile>& file, std::uint32_t storedTime) {
    try {
      file->Close();
    } catch (const IoError&) {
      // already reported, or reported by the caller
    }
    file.reset();
    env_.SetDosFileTime(o_.CurrentFile, storedTime);
  }

  // One segment: magic, length, block records. `target` null passes it over.
  void ReadSegment(platform::WritableFile* target, const char* badMagic) {
    const char* fixed = target ? kCannotReadFile : kCannotReadArchive;
    const std::int64_t segmentAt = volume_.Offset();
    std::uint8_t magic[4];
    volume_.ReadExact(magic, 4, fixed, "a segment head");
    if (!fmt::IsSegmentMagic(magic)) throw EArchiveError(badMagic, Detail(volume_.WhereAt(segmentAt, "no segment begins here")));
    std::int64_t left = volume_.ReadI32(fixed, "a segment head");
    if (left < 0 || left > volume_.Remaining()) {
      throw EArchiveError(fixed, Detail(volume_.WhereAt(segmentAt, "the segment length " + std::to_string(left) +
                                                                        " does not fit in the volume")));
    }
    while (left > 0 && o_.continue_) {
      // Read a batch of block records ahead, decode them together, then hand
      // them out in order. A fault met while reading ahead is raised only when
      // its turn comes, after the blocks before it.
      std::size_t n = 0;
      std::exception_ptr readFault;
      while (n < batch_.size() && left > 0) {
        PendingBlock& b = batch_[n];
        try {
          b.at = volume_.Offset();
          b.length = volume_.ReadI32(fixed, "a block record");
          if (!fmt::BlockLengthFits(b.length, left)) {
            throw EArchiveError(fixed, Detail(volume_.WhereAt(b.at, "a block length of " + std::to_string(b.length) +
                                                                        " does not fit its segment")));
          }
          volume_.ReadExact(b.block.data(), static_cast<std::size_t>(b.length), fixed, "a block");
        } catch (...) {
          readFault = std::current_exception();
          break;
        }
        left -= b.length + 4;
        // Passed-over blocks are not decoded, except a segment's last, which may
        // be its file's last and shorter.
        b.decode = target || left == 0;
        ++n;
      }
      const auto decode = [this](std::size_t i) {
        PendingBlock& b = batch_[i];
        b.produced = fmt::kChunkSize;
        b.fault.clear();
        if (!b.decode) return;
        try {
          b.produced = DecompressBlock(b.block.data(), b.decoded.data(), static_cast<std::uint16_t>(b.length));
        } catch (const ECorruptBlock& e) {
          b.fault = e.what();
          b.produced = 0;  // a file we do not restore need not be sound
        }
      };
      if (pool_) {
        pool_->Run(n, decode);
      } else {
        for (std::size_t i = 0; i < n; ++i) decode(i);
      }
      for (std::size_t i = 0; i < n; ++i) {
        if (i > 0 && !o_.continue_) return;  // blocks read ahead of a stop are dropped
        const PendingBlock& b = batch_[i];
        if (target && !b.fault.empty()) throw EArchiveError(fixed, Detail(volume_.WhereAt(b.at, b.fault)));
        if (target) target->Write(b.decoded.data(), b.produced);
        if (o_.ProcessMessages) o_.ProcessMessages();
        o_.Processed += static_cast<std::int64_t>(b.produced);
        o_.RaiseProgress(o_.CurrentFile, fmt::Percentage(o_.Processed, o_.TotalSize));
      }
      if (readFault) {
        if (n > 0 && !o_.continue_) return;
        std::rethrow_exception(readFault);
      }
    }
  }

  std::string Detail(const std::string& where) const {
    return o_.CurrentFile.empty() ? where : o_.CurrentFile + " (" + where + ")";
  }

  // A continuation record: asks for the next volume until it is there.
  void NextVolume(const std::string& text, std::int64_t recordAt) {
    const std::string digits = fmt::ContinuationDigits(text);
    if (digits.empty()) {
      throw EArchiveError(kCannotReadArchive,
                          volume_.WhereAt(recordAt, "a continuation record without a volume number"));
    }
    volume_.Close();
    const std::size_t first = digits.find_first_not_of('0');
    const std::string diskText = first == std::string::npos ? "0" : digits.substr(first);
    const std::string promptText = "Please insert disk " + diskText;
    if (o_.OnNeedDisk) {
      o_.OnNeedDisk(o_, static_cast<std::uint16_t>(std::stoi(diskText)), o_.continue_);
    } else if (o_.Prompt) {
      o_.continue_ = o_.Prompt(promptText);
    }
    archive_ = fmt::WithExtension(archive_, digits);
    // Ask again while the user says OK and the volume is still absent; without
    // anyone to ask, an absent volume ends the restore.
    while (o_.continue_ && !env_.FileExists(archive_)) {
      if (!o_.Prompt) {
        throw EArchiveError(kCannotReadArchive, "volume " + diskText + " is missing: " + archive_ + " not found");
      }
      o_.continue_ = o_.Prompt(promptText);
    }
    if (!o_.continue_) return;
    try {
      volume_.Open(env_, archive_);
    } catch (const IoError& e) {
      throw EArchiveError(kCannotReadArchive, e.what());
    }
  }

  void Warn(const std::string& text) {
    if (o_.Warning) o_.Warning(text);
  }

  TBackupFile& o_;
  platform::Env& env_;
  std::string archive_;  // the volume being read; its extension advances
  const std::string destDir_;
  VolumeReader volume_;

  struct PendingBlock {
    std::int64_t at = 0;
    std::int32_t length = 0;
    bool decode = false;
    std::size_t produced = 0;
    std::string fault;
    std::vector<std::uint8_t> block = std::vector<std::uint8_t>(kMaxBlockSize);
    std::vector<std::uint8_t> decoded = std::vector<std::uint8_t>(kMaxBlockInput);
  };
  std::vector<PendingBlock> batch_;
  std::unique_ptr<WorkPool> pool_;
};

std::int32_t TBackupFile::Restore(const std::string& archiveName, const std::string& destDir) {
  if (busy_) throw Exception("Another operation is still running");
  continue_ = true;
  if (!env_->FileExists(archiveName)) return 0;
  RestoreRun run(*this, archiveName, destDir);
  return run.Run();
}

std::string TBackupFile::ReadArchiveTitle(const std::string& archiveName) {
  if (!env_->FileExists(archiveName)) return "";
  try {
    VolumeReader volume;
    volume.Open(*env_, archiveName);
    return volume.ReadTitle();
  } catch (const IoError& e) {
    throw EArchiveError(kCannotReadArchive, e.what());
  }
}

}  // namespace parvex
