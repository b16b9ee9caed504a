// The figures of one drive: sizes from what statvfs said of its mount point,
// the sector size from sysfs, the label and serial number from udev's
// /dev/disk links, compression from the mount options.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "sysinfo/Drives.h"
#include "sysinfo/Sources.h"

namespace parvex::sysinfo {

struct VolumeFacts {
  bool readable = false;
  std::int64_t freeSpace = -1;
  std::int64_t totalSpace = -1;
  std::int32_t sectorsPerCluster = -1;
  std::int32_t bytesPerSector = -1;
  std::int64_t totalClusters = -1;
  bool compressed = false;
  std::string fileSystem = "?";
  std::string label = "?";
  std::uint32_t serial = 0;
};

// The facts of `drive` given what its file-system query answered (nullopt: no
// answer). A drive with nothing mounted, no answer, or an answer from another
// device than the one mounted there (the medium is gone) is unreadable.
VolumeFacts DescribeVolume(const std::string& root, const Drive& drive, const std::optional<FileSystemStats>& stats);

// The volume serial number Windows would show for a file system with this
// UUID: a FAT or exFAT serial ("1234-ABCD") or the low half of an NTFS one
// (16 hexadecimal digits) as it stands, else the UUID's first 32 bits; 0 when
// it holds no hexadecimal digits.
std::uint32_t SerialFromUuid(const std::string& uuid);

// The names udev gives in /dev/disk/by-label are escaped as \xHH.
std::string UnescapeUdevName(const std::string& name);

}  // namespace parvex::sysinfo
