// Volume names, continuation records and identification-file lines.
#include "engine/format.h"

namespace parvex::format {

std::string VolumeDigits(unsigned k) {
  const std::string padded = "00" + std::to_string(k);
  return padded.substr(padded.size() - 3);
}

std::string WithExtension(const std::string& name, const std::string& digits) {
  const std::size_t nameStart = name.find_last_of('/') == std::string::npos ? 0 : name.find_last_of('/') + 1;
  const std::size_t dot = name.find_last_of('.');
  if (dot == std::string::npos || dot < nameStart) return name + "." + digits;
  return name.substr(0, dot + 1) + digits;
}

std::string VolumeName(const std::string& firstName, unsigned k) {
  if (k <= 1) return firstName;
  return WithExtension(firstName, VolumeDigits(k));
}

std::string ContinuationText(unsigned k) { return std::string(kNextDisk) + VolumeDigits(k); }

bool IsContinuation(std::string_view recordText) {
  return recordText.substr(0, kNextDisk.size()) == kNextDisk;
}

std::string ContinuationDigits(std::string_view recordText) {
  const std::string_view digits = recordText.substr(kNextDisk.size());
  if (digits.size() != 3 || digits.find_first_not_of("0123456789") != std::string_view::npos) return "";
  return std::string(digits);
}

bool IsSegmentMagic(const std::uint8_t bytes[4]) {
  return bytes[0] == kSegmentMagic[0] && bytes[1] == kSegmentMagic[1] && bytes[2] == kSegmentMagic[2] &&
         bytes[3] == kSegmentMagic[3];
}

VolumeSizeCheck CheckVolumeSize(std::int64_t bytes) {
  if (bytes < 0) return VolumeSizeCheck::kNegative;
  if (bytes > kMaxVolumeSize) return VolumeSizeCheck::kTooLarge;
  if (bytes > 0 && bytes < kMinMaxSize) return VolumeSizeCheck::kTooSmall;
  return VolumeSizeCheck::kOk;
}

std::string DiskIdFileName(unsigned k) { return "FILE" + VolumeDigits(k) + ".ID"; }

std::string DiskIdFileLine(const std::string& name, std::int64_t size) {
  std::string line = name;
  if (line.size() < 45) line.resize(45, ' ');
  return line + " " + std::to_string(size);
}

std::uint8_t Percentage(std::int64_t processed, std::int64_t total) {
  if (total <= 0 || processed >= total) return 100;
  if (processed <= 0) return 0;
  // The product needs more than 64 bits for sizes beyond 92 PB.
  __extension__ typedef unsigned __int128 Wide;
  const Wide p = static_cast<Wide>(processed) * 100u / static_cast<Wide>(total);
  return static_cast<std::uint8_t>(p);
}

}  // namespace parvex::format
