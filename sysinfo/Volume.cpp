// Reading one drive's figures (see Volume.h).
#include "sysinfo/Volume.h"

#include <sys/stat.h>
#include <sys/statvfs.h>

#include <limits>
#include <sstream>

#include "sysinfo/TextFiles.h"

namespace parvex::sysinfo {
namespace {

constexpr std::int32_t kDefaultSectorSize = 512;

std::int64_t Bytes(std::uint64_t count, std::uint64_t unit) {
  constexpr auto kMax = static_cast<std::uint64_t>(std::numeric_limits<std::int64_t>::max());
  if (unit != 0 && count > kMax / unit) return std::numeric_limits<std::int64_t>::max();
  return static_cast<std::int64_t>(count * unit);
}

// The logical block size of the disk that holds the block device `name`.
std::int32_t SectorSize(const std::string& root, const std::string& name) {
  if (name.empty()) return kDefaultSectorSize;
  std::string device = RealPath(Under(root, "/sys/class/block/" + name));
  if (device.empty()) return kDefaultSectorSize;
  if (Exists(device + "/partition")) device = device.substr(0, device.rfind('/'));
  const auto text = ReadLine(device + "/queue/logical_block_size");
  const auto size = text ? LeadingNumber(*text) : 0;
  return size >= 1 && size <= (1u << 20) ? static_cast<std::int32_t>(size) : kDefaultSectorSize;
}

// The name in /dev/disk/<kind> whose link points at the block device `name`.
std::optional<std::string> DiskLinkName(const std::string& root, const std::string& kind, const std::string& name) {
  if (name.empty()) return std::nullopt;
  const std::string dir = Under(root, "/dev/disk/" + kind);
  for (const auto& entry : DirectoryNames(dir)) {
    if (BaseName(LinkTarget(dir + "/" + entry)) == name) return entry;
  }
  return std::nullopt;
}

// Compression asked for by a mount option (btrfs compress=..., ntfs-3g compression).
bool AsksForCompression(const std::string& options) {
  std::istringstream in(options);
  for (std::string option; std::getline(in, option, ',');) {
    if (!StartsWith(option, "compress")) continue;
    const auto equals = option.find('=');
    if (equals == std::string::npos || option.substr(equals + 1) != "no") return true;
  }
  return false;
}

}  // namespace

std::uint32_t SerialFromUuid(const std::string& uuid) {
  std::string digits;
  for (const char c : uuid) {
    if (c != '-') digits += c;
  }
  const bool ntfs = digits.size() == 16 && uuid.find('-') == std::string::npos;
  const std::string half = ntfs ? digits.substr(8) : digits.substr(0, 8);
  return static_cast<std::uint32_t>(ParseHex(half).value_or(0));
}

std::string UnescapeUdevName(const std::string& name) {
  std::string out;
  for (std::size_t i = 0; i < name.size(); ++i) {
    if (name[i] == '\\' && i + 3 < name.size() && name[i + 1] == 'x') {
      if (const auto value = ParseHex(std::string_view(name).substr(i + 2, 2))) {
        out += static_cast<char>(*value);
        i += 3;
        continue;
      }
    }
    out += name[i];
  }
  return out;
}

VolumeFacts DescribeVolume(const std::string& root, const Drive& drive, const std::optional<FileSystemStats>& stats) {
  VolumeFacts facts;
  if (drive.mountPoint.empty() || !stats || (drive.device != 0 && stats->device != drive.device)) return facts;
  facts.readable = true;

  std::int32_t sector = SectorSize(root, drive.blockDevice);
  const std::uint64_t fragment = stats->fragmentSize;
  std::uint64_t perCluster = fragment / static_cast<std::uint64_t>(sector);
  if (fragment % static_cast<std::uint64_t>(sector) != 0 || perCluster == 0 || perCluster > (1u << 20)) {
    // A cluster that is not a whole number of sectors: count in clusters alone.
    sector = fragment >= 1 && fragment <= (1u << 30) ? static_cast<std::int32_t>(fragment) : kDefaultSectorSize;
    perCluster = 1;
  }
  facts.bytesPerSector = sector;
  facts.sectorsPerCluster = static_cast<std::int32_t>(perCluster);
  facts.totalClusters = Bytes(stats->blocks, 1);
  facts.totalSpace = Bytes(stats->blocks, fragment);
  facts.freeSpace = Bytes(stats->available, fragment);
  facts.compressed = AsksForCompression(drive.options);
  facts.fileSystem = drive.fileSystem.empty() ? "?" : drive.fileSystem;
  facts.label = UnescapeUdevName(DiskLinkName(root, "by-label", drive.blockDevice).value_or(""));
  facts.serial = SerialFromUuid(DiskLinkName(root, "by-uuid", drive.blockDevice).value_or(""));
  return facts;
}

std::optional<FileSystemStats> StatFileSystem(const std::string& path) {
  struct statvfs fs {};
  struct stat st {};
  if (::statvfs(path.c_str(), &fs) != 0 || ::stat(path.c_str(), &st) != 0) return std::nullopt;
  FileSystemStats stats;
  stats.blocks = fs.f_blocks;
  stats.available = fs.f_bavail;
  stats.fragmentSize = fs.f_frsize != 0 ? fs.f_frsize : fs.f_bsize;
  stats.device = st.st_dev;
  return stats;
}

}  // namespace parvex::sysinfo
