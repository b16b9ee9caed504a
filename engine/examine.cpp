#include "engine/examine.h"


#include "engine/backup.h"
#include "engine/format.h"
#include "engine/LZRW1KH.h"
#include "engine/volume_reader.h"

namespace parvex {
namespace {

namespace fmt = format;
constexpr const char* kBad = kCannotReadArchive;

class Inspector {
 public:
  Inspector(platform::Env& env, const std::string& archive, const InspectOptions& options)
      : env_(env), archive_(archive), options_(options), block_(kMaxBlockSize), decoded_(kMaxBlockInput) {}

  SetInfo Run() {
    if (!env_.FileExists(archive_)) throw EArchiveError(kBad, archive_ + ": no such file");
    Open(archive_);
    info_.title = volume_.ReadTitle();
    info_.headerTotalSize = static_cast<std::uint32_t>(volume_.ReadI32(kBad, "the header"));
    info_.fileCount = volume_.ReadI32(kBad, "the header");

    for (;;) {
      if (volume_.Remaining() == 0) break;  // no end record: an aborted set
      const std::int64_t at = volume_.Offset();
      const std::int32_t n = volume_.ReadI32(kBad, "a record length");
      if (n == 0) {
        info_.complete = true;
        break;
      }
      if (n < 0) continue;
      if (n > volume_.Remaining()) Fail(at, "a record of " + std::to_string(n) + " bytes passes the end of the volume");
      std::string text(static_cast<std::size_t>(n), '\0');
      volume_.ReadExact(text.data(), text.size(), kBad, "a record");
      if (fmt::IsContinuation(text)) {
        if (!NextVolume(text, at)) return Finish();
        if (info_.files.empty()) Fail(volume_.Offset(), "a volume continues no file");
        info_.files.back().lastVolume = volumeNumber_;
        ReadSegment(info_.files.back(), /*required=*/true);
      } else {
        StoredFile file;
        file.name = text;
        file.dosTime = static_cast<std::uint32_t>(volume_.ReadI32(kBad, "a file time"));
        file.firstVolume = file.lastVolume = volumeNumber_;
        lastBlockSize_ = -1;
        info_.files.push_back(file);
        ReadSegment(info_.files.back(), /*required=*/false);
      }
    }
    return Finish();
  }

 private:
  SetInfo Finish() {
    info_.storedBytes += volume_.Offset();
    volume_.Close();
    return info_;
  }

  void Open(const std::string& name) {
    try {
      volume_.Open(env_, name);
    } catch (const platform::IoError& e) {
      throw EArchiveError(kBad, e.what());
    }
    ++volumeNumber_;
    ++info_.volumes;
  }

  [[noreturn]] void Fail(std::int64_t at, const std::string& what) { throw EArchiveError(kBad, volume_.WhereAt(at, what)); }

  void ReadSegment(StoredFile& file, bool required) {
    const std::int64_t at = volume_.Offset();
    std::uint8_t magic[4];
    if (!volume_.Peek4(magic) || !fmt::IsSegmentMagic(magic)) {
      if (!required) return;  // an empty file written without a segment
      throw EArchiveError(kInvalidArchiveType, volume_.WhereAt(at, "no segment begins here"));
    }
    volume_.ReadExact(magic, 4, kBad, "a segment head");
    std::int64_t left = volume_.ReadI32(kBad, "a segment head");
    if (left < 0 || left > volume_.Remaining()) Fail(at, "the segment length does not fit in the volume");
    while (left > 0) {
      const std::int64_t blockAt = volume_.Offset();
      const std::int32_t length = volume_.ReadI32(kBad, "a block record");
      if (!fmt::BlockLengthFits(length, left)) {
        Fail(blockAt, "a block length of " + std::to_string(length) + " does not fit its segment");
      }
      volume_.ReadExact(block_.data(), static_cast<std::size_t>(length), kBad, "a block");
      left -= length + 4;
      if (options_.verify && lastBlockSize_ >= 0 && lastBlockSize_ != static_cast<std::int64_t>(fmt::kChunkSize)) {
        Fail(lastBlockAt_, "a block of " + file.name + " that is not its last decodes to " +
                               std::to_string(lastBlockSize_) + " bytes, not " + std::to_string(fmt::kChunkSize));
      }
      std::int64_t produced = fmt::kChunkSize;
      if (options_.verify || left == 0) {
        try {
          produced = DecompressBlock(block_.data(), decoded_.data(), static_cast<std::uint16_t>(length));
        } catch (const ECorruptBlock& e) {
          Fail(blockAt, e.what());
        }
      }
      file.size += produced;
      lastBlockSize_ = produced;
      lastBlockAt_ = blockAt;
      if (options_.progress) options_.progress(info_.storedBytes + volume_.Offset());
    }
  }

  bool NextVolume(const std::string& text, std::int64_t at) {
    const std::string digits = fmt::ContinuationDigits(text);
    if (digits.empty()) Fail(at, "a continuation record without a volume number");
    info_.storedBytes += volume_.Offset();
    volume_.Close();
    archive_ = fmt::WithExtension(archive_, digits);
    while (!env_.FileExists(archive_)) {
      if (!options_.missingVolume) {
        throw EArchiveError(kBad, "volume " + std::to_string(volumeNumber_ + 1) + " is missing: " + archive_ +
                                      " not found");
      }
      if (!options_.missingVolume(volumeNumber_ + 1, archive_)) return false;
    }
    Open(archive_);
    return true;
  }

  platform::Env& env_;
  std::string archive_;
  const InspectOptions& options_;
  VolumeReader volume_;
  SetInfo info_;
  unsigned volumeNumber_ = 0;
  std::int64_t lastBlockSize_ = -1;
  std::int64_t lastBlockAt_ = 0;
  std::vector<std::uint8_t> block_;
  std::vector<std::uint8_t> decoded_;
};

}  // namespace

SetInfo InspectSet(platform::Env& env, const std::string& archiveName, const InspectOptions& options) {
  return Inspector(env, archiveName, options).Run();
}

}  // namespace parvex
