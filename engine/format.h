// The volume-set format: named constants, little-endian field helpers, volume
// names and the text of the disk identification files.
//
// First volume:  title (u32 length + bytes), total size (i32), file count (i32), records
// Record:        text (i32 length N + N bytes); N = 0 ends the set,
//                "NEXT:DISKnnn" ends a volume, any other text is a file name
//                followed by its MS-DOS time (u32) and one segment
// Segment:       "ECS\0", length S (i32), then S bytes of block records
// Block record:  length B (i32, 1..32,774), then one codec block of B bytes
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "engine/LZRW1KH.h"

namespace parvex::format {

inline constexpr std::uint8_t kSegmentMagic[4] = {'E', 'C', 'S', 0};
inline constexpr std::size_t kSegmentHeadSize = 8;        // magic + segment length
inline constexpr std::size_t kChunkSize = kMaxBlockInput;  // input bytes per block
inline constexpr std::size_t kBlockRecordMax = 4 + kMaxBlockSize;  // 32,778
inline constexpr std::string_view kNextDisk = "NEXT:DISK";
inline constexpr std::size_t kContinuationRecordSize = 4 + kNextDisk.size() + 3;  // 16
// A volume counts as full once its size reaches MaxSize - kVolumeSlack.
inline constexpr std::int64_t kVolumeSlack = 100;
// Free space kept back on the volume's drive.
inline constexpr std::int64_t kFreeSpaceReserve = 10240;
// The smallest MaxSize with which a further volume can take a block after its
// segment head.
inline constexpr std::int64_t kMinMaxSize = kVolumeSlack + kSegmentHeadSize + 1;  // 109
// Segments and the fields that hold them are signed 32-bit.
inline constexpr std::int64_t kMaxSegmentLength = 0x7FFFFFFF;
// The longest volume: MaxSize is a signed 32-bit number.
inline constexpr std::int64_t kMaxVolumeSize = 0x7FFFFFFF;
// The longest name a file record may claim and the longest comment: no file
// system has names beyond 4,096 bytes and no comment needs a mebibyte, so a
// longer claim is damage, and nothing is read by it.
inline constexpr std::int64_t kMaxNameLength = 64 * 1024;
inline constexpr std::int64_t kMaxTitleLength = 1024 * 1024;

// Whether `bytes` can be a volume's size limit (0 = no limit). The window and
// the command line word their own messages from the answer.
enum class VolumeSizeCheck { kOk, kNegative, kTooSmall, kTooLarge };
VolumeSizeCheck CheckVolumeSize(std::int64_t bytes);

inline void EncodeFixed32(std::uint8_t* dst, std::uint32_t v) {
  dst[0] = static_cast<std::uint8_t>(v);
  dst[1] = static_cast<std::uint8_t>(v >> 8);
  dst[2] = static_cast<std::uint8_t>(v >> 16);
  dst[3] = static_cast<std::uint8_t>(v >> 24);
}

inline std::uint32_t DecodeFixed32(const std::uint8_t* src) {
  return std::uint32_t{src[0]} | std::uint32_t{src[1]} << 8 | std::uint32_t{src[2]} << 16 |
         std::uint32_t{src[3]} << 24;
}

// The three digits of volume k: two zeros put in front, the last three kept
// (2 -> "002", 123 -> "123", 1000 -> "000").
std::string VolumeDigits(unsigned k);

// The name of volume k of the set whose first volume is firstName: volume 1 is
// firstName itself; further volumes replace the extension (what follows the last
// dot of the file-name part) by the three digits, or append a dot and them.
std::string VolumeName(const std::string& firstName, unsigned k);
// Replaces the extension of `name` by `digits` (the same rule as VolumeName).
std::string WithExtension(const std::string& name, const std::string& digits);

// "NEXT:DISK" and the three digits of volume k.
std::string ContinuationText(unsigned k);
bool IsContinuation(std::string_view recordText);
// The three digits of a continuation record's next volume; "" when the record
// does not end in exactly three decimal digits.
std::string ContinuationDigits(std::string_view recordText);

// Whether four bytes are the segment magic (compared as text cut at the first
// zero byte, which only "ECS\0" passes).
bool IsSegmentMagic(const std::uint8_t bytes[4]);
// Whether a block length read from a volume can be a block of the segment
// that still has `segmentLeft` bytes.
inline bool BlockLengthFits(std::int64_t length, std::int64_t segmentLeft) {
  return length >= 1 && length <= static_cast<std::int64_t>(kMaxBlockSize) && length + 4 <= segmentLeft;
}

// "FILE" + three digits + ".ID"
std::string DiskIdFileName(unsigned k);
// A file's line in an identification file: the name padded with blanks to 45
// characters (a longer one whole), a blank, the size in decimal.
std::string DiskIdFileLine(const std::string& name, std::int64_t size);

// The percentage Processed x 100 / TotalSize, rounded down, without overflow;
// capped at 100, and 100 when there is nothing to process.
std::uint8_t Percentage(std::int64_t processed, std::int64_t total);

}  // namespace parvex::format
