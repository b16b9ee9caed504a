// The mount table and sysfs turned into drive letters (see Drives.h).
#include "sysinfo/Drives.h"

#include <sys/sysmacros.h>

#include <algorithm>
#include <map>
#include <set>
#include <sstream>

#include "platform/BlockDevices.h"
#include "sysinfo/TextFiles.h"

namespace parvex::sysinfo {
namespace {

constexpr std::string_view kNetworkTypes[] = {"nfs", "nfs4", "cifs", "smb3", "smbfs", "fuse.sshfs"};
constexpr std::string_view kGvfsType = "fuse.gvfsd-fuse";

// mountinfo writes blanks, tabs, newlines and backslashes in names as \ooo.
std::string Unescape(std::string_view field) {
  std::string out;
  for (std::size_t i = 0; i < field.size(); ++i) {
    const auto octal = [&](std::size_t at) { return field[at] >= '0' && field[at] <= '7'; };
    if (field[i] == '\\' && i + 3 < field.size() && octal(i + 1) && octal(i + 2) && octal(i + 3)) {
      out += static_cast<char>(((field[i + 1] - '0') * 64 + (field[i + 2] - '0') * 8 + (field[i + 3] - '0')) & 0xFF);
      i += 3;
      continue;
    }
    out += field[i];
  }
  return out;
}

struct BlockDevice {
  std::string name;
  unsigned major = 0;
  unsigned minor = 0;
};

std::optional<BlockDevice> DeviceFromNumberText(const std::string& name, const std::optional<std::string>& text) {
  if (!text) return std::nullopt;
  std::size_t used = 0;
  const auto major = LeadingNumber(*text, &used);
  if (used == 0 || used >= text->size() || (*text)[used] != ':') return std::nullopt;
  const auto minor = LeadingNumber(std::string_view(*text).substr(used + 1));
  return BlockDevice{name, static_cast<unsigned>(major), static_cast<unsigned>(minor)};
}

// The block device behind a mount: its own device number when sysfs knows it
// as a block device, else (btrfs and others with anonymous numbers) the device
// its source names.
std::optional<BlockDevice> BlockDeviceOf(const std::string& root, const std::string& sys, const MountEntry& mount) {
  if (mount.major != 0) {
    const std::string device =
        RealPath(sys + "/dev/block/" + std::to_string(mount.major) + ":" + std::to_string(mount.minor));
    if (!device.empty()) return BlockDevice{BaseName(device), mount.major, mount.minor};
  }
  if (!StartsWith(mount.source, "/dev/")) return std::nullopt;
  const std::string resolved = RealPath(Under(root, mount.source));
  const std::string name = BaseName(resolved.empty() ? mount.source : resolved);
  return DeviceFromNumberText(name, ReadLine(sys + "/class/block/" + name + "/dev"));
}

bool IsOptical(const std::string& sys, const std::string& name) {
  return StartsWith(name, "sr") || ReadLine(sys + "/block/" + name + "/device/type").value_or("") == "5";
}

std::int32_t BlockDriveType(const std::string& sys, const BlockDevice& device) {
  if (IsOptical(sys, device.name)) return kDriveOptical;
  if (StartsWith(device.name, "zram")) return kDriveRam;
  if (StartsWith(device.name, "fd")) return kDriveRemovable;
  return platform::detail::IsRemovableBlockDevice(sys, device.major, device.minor) ? kDriveRemovable : kDriveFixed;
}

bool IsRamPlace(const std::string& type, const std::string& mountPoint) {
  if (type != "tmpfs" && type != "ramfs") return false;
  return mountPoint == "/tmp" || mountPoint == "/dev/shm" || StartsWith(mountPoint, "/media/") ||
         StartsWith(mountPoint, "/mnt/") || StartsWith(mountPoint, "/run/media/");
}

Drive FromMount(const MountEntry& mount, std::int32_t type, const std::optional<BlockDevice>& block) {
  Drive drive;
  drive.type = type;
  drive.mountPoint = mount.mountPoint;
  drive.source = mount.source;
  drive.fileSystem = mount.fileSystem;
  drive.options = mount.options + "," + mount.superOptions;
  drive.device = makedev(mount.major, mount.minor);
  if (block) drive.blockDevice = block->name;
  drive.mayHang = type == kDriveNetwork || type == kDriveRemovable || type == kDriveOptical ||
                  StartsWith(mount.fileSystem, "fuse");
  return drive;
}

// What a mount other than the root contributes: nothing, one drive, or (the
// GVfs FUSE mount) one drive per share.
std::vector<Drive> Candidates(const std::string& root, const std::string& sys, const MountEntry& mount,
                              const DirectoryLister& listShares) {
  std::vector<Drive> found;
  if (mount.fileSystem == kGvfsType) {
    const auto shares = listShares ? listShares(Under(root, mount.mountPoint)) : std::nullopt;
    for (const auto& name : shares.value_or(std::vector<std::string>{})) {
      Drive share = FromMount(mount, kDriveNetwork, std::nullopt);
      share.mountPoint = mount.mountPoint + "/" + name;
      share.source = GvfsShareAddress(name);
      found.push_back(std::move(share));
    }
  } else if (IsNetworkFileSystem(mount.fileSystem)) {
    found.push_back(FromMount(mount, kDriveNetwork, std::nullopt));
  } else if (IsRamPlace(mount.fileSystem, mount.mountPoint)) {
    found.push_back(FromMount(mount, kDriveRam, std::nullopt));
  } else if (const auto block = BlockDeviceOf(root, sys, mount)) {
    const bool snap = mount.fileSystem == "squashfs" && StartsWith(block->name, "loop");
    if (!snap) found.push_back(FromMount(mount, BlockDriveType(sys, *block), block));
  }
  return found;
}

std::string PercentDecode(std::string_view text) {
  std::string out;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '%' && i + 2 < text.size()) {
      if (const auto value = ParseHex(text.substr(i + 1, 2))) {
        out += static_cast<char>(*value);
        i += 2;
        continue;
      }
    }
    out += text[i];
  }
  return out;
}

}  // namespace

bool IsNetworkFileSystem(std::string_view type) {
  return std::find(std::begin(kNetworkTypes), std::end(kNetworkTypes), type) != std::end(kNetworkTypes);
}

std::vector<MountEntry> ParseMountInfo(std::string_view text) {
  std::vector<MountEntry> mounts;
  for (const auto line : Lines(text)) {
    // id parent major:minor root mountpoint options [optional...] - fstype source superoptions
    std::istringstream in{std::string(line)};
    std::vector<std::string> fields;
    for (std::string field; in >> field;) fields.push_back(field);
    const auto dash = std::find(fields.begin() + std::min<std::size_t>(fields.size(), 6), fields.end(), "-");
    if (fields.size() < 6 || dash == fields.end() || fields.end() - dash < 3) continue;
    const auto device = DeviceFromNumberText("", fields[2]);
    if (!device) continue;
    MountEntry mount;
    mount.major = device->major;
    mount.minor = device->minor;
    mount.root = Unescape(fields[3]);
    mount.mountPoint = Unescape(fields[4]);
    mount.options = fields[5];
    mount.fileSystem = Unescape(dash[1]);
    mount.source = Unescape(dash[2]);
    mount.superOptions = dash + 3 < fields.end() ? dash[3] : std::string();
    mounts.push_back(std::move(mount));
  }
  return mounts;
}

std::vector<Drive> ListDrives(const std::string& root, const DirectoryLister& listShares) {
  const std::string sys = Under(root, "/sys");
  const auto table = ReadText(Under(root, "/proc/self/mountinfo"));
  // Of the mounts stacked on one directory only the topmost can be reached.
  std::map<std::string, MountEntry> visible;
  for (auto& mount : ParseMountInfo(table.value_or(""))) visible[mount.mountPoint] = std::move(mount);

  std::vector<Drive> drives;
  std::set<std::uint64_t> taken;  // device numbers that have their letter
  for (int number = 0; number < 2; ++number) {
    const std::string name = "fd" + std::to_string(number);
    if (!Exists(sys + "/block/" + name)) continue;
    Drive floppy;
    floppy.type = kDriveRemovable;
    floppy.blockDevice = name;
    floppy.mayHang = true;
    for (const auto& [point, mount] : visible) {
      const auto block = BlockDeviceOf(root, sys, mount);
      if (block && block->name == name && point != "/") {
        floppy = FromMount(mount, kDriveRemovable, block);
        taken.insert(floppy.device);
        break;
      }
    }
    floppy.letter = static_cast<char>('A' + number);
    drives.push_back(std::move(floppy));
  }

  Drive system;
  system.mountPoint = "/";
  system.type = kDriveFixed;
  if (const auto found = visible.find("/"); found != visible.end()) {
    const auto& mount = found->second;
    const auto block = BlockDeviceOf(root, sys, mount);
    std::int32_t type = block ? BlockDriveType(sys, *block) : kDriveFixed;
    if (IsNetworkFileSystem(mount.fileSystem)) type = kDriveNetwork;
    if (mount.fileSystem == "tmpfs" || mount.fileSystem == "ramfs") type = kDriveRam;
    system = FromMount(mount, type, block);
    taken.insert(system.device);
  }
  system.letter = 'C';
  drives.push_back(std::move(system));

  std::vector<Drive> others;
  for (const auto& [point, mount] : visible) {
    if (point == "/") continue;
    for (auto& drive : Candidates(root, sys, mount, listShares)) others.push_back(std::move(drive));
  }
  std::stable_sort(others.begin(), others.end(),
                   [](const Drive& a, const Drive& b) { return a.mountPoint < b.mountPoint; });
  std::set<std::string> mountedBlocks;
  char letter = 'D';
  for (auto& drive : others) {
    if (letter > 'Z') break;
    const bool share = drive.fileSystem == kGvfsType;
    // A second mount of a file system that has its letter (a floppy's among them) gets none.
    if (!share && !taken.insert(drive.device).second) continue;
    if (!drive.blockDevice.empty()) mountedBlocks.insert(drive.blockDevice);
    drive.letter = letter++;
    drives.push_back(std::move(drive));
  }
  for (const auto& name : DirectoryNames(sys + "/block")) {
    if (letter > 'Z') break;
    if (!IsOptical(sys, name) || mountedBlocks.count(name) != 0) continue;
    Drive optical;
    optical.letter = letter++;
    optical.type = kDriveOptical;
    optical.blockDevice = name;
    optical.mayHang = true;
    drives.push_back(std::move(optical));
  }
  return drives;
}

std::string GvfsShareAddress(std::string_view name) {
  const auto colon = name.find(':');
  if (colon == std::string_view::npos || colon == 0) return std::string(name);
  std::string scheme(name.substr(0, colon));
  for (const std::string_view suffix : {"-share", "-volume"}) {
    if (scheme.size() > suffix.size() && scheme.compare(scheme.size() - suffix.size(), suffix.size(), suffix) == 0) {
      scheme.resize(scheme.size() - suffix.size());
    }
  }
  std::map<std::string, std::string, std::less<>> keys;
  std::string_view rest = name.substr(colon + 1);
  while (!rest.empty()) {
    const auto comma = rest.find(',');
    const auto pair = rest.substr(0, comma);
    const auto equals = pair.find('=');
    if (equals != std::string_view::npos) {
      keys[std::string(pair.substr(0, equals))] = PercentDecode(pair.substr(equals + 1));
    }
    if (comma == std::string_view::npos) break;
    rest.remove_prefix(comma + 1);
  }
  const auto get = [&](std::string_view key) {
    const auto found = keys.find(key);
    return found == keys.end() ? std::string() : found->second;
  };
  if (scheme == "dav" && get("ssl") == "true") scheme = "davs";
  std::string address = scheme + "://";
  if (!get("user").empty()) address += get("user") + "@";
  address += !get("server").empty() ? get("server") : get("host");
  if (!get("port").empty()) address += ":" + get("port");
  for (const char* part : {"share", "volume"}) {
    if (!get(part).empty()) address += "/" + get(part);
  }
  const std::string prefix = get("prefix");
  if (!prefix.empty()) address += prefix.front() == '/' ? prefix : "/" + prefix;
  return address;
}

}  // namespace parvex::sysinfo
