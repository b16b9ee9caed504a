// Removable-media detection through sysfs: a file's st_dev names its block
// device; a partition's parent directory is its disk; the disk's "removable"
// flag or a USB bus in its device path answers the question.
#include "platform/BlockDevices.h"

#include <dirent.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <fstream>
#include <sstream>
#include <vector>

#include "platform/Platform.h"

namespace parvex::platform::detail {
namespace {

// dm-crypt on LVM on md is as deep as real stacks go.
constexpr int kMaxStackDepth = 4;

std::string RealPath(const std::string& path) {
  char* resolved = ::realpath(path.c_str(), nullptr);
  if (resolved == nullptr) return std::string();
  std::string result(resolved);
  ::free(resolved);
  return result;
}

bool Exists(const std::string& path) {
  struct stat st {};
  return ::stat(path.c_str(), &st) == 0;
}

std::string FirstLine(const std::string& path) {
  std::ifstream in(path);
  std::string line;
  std::getline(in, line);
  return line;
}

std::string DeviceLink(const std::string& sysRoot, unsigned devMajor, unsigned devMinor) {
  return sysRoot + "/dev/block/" + std::to_string(devMajor) + ":" + std::to_string(devMinor);
}

// `device` is the resolved sysfs directory of a block device; `sysRoot` the
// resolved sysfs root, so that only the part below it is searched for a bus.
bool IsRemovableDevice(std::string device, const std::string& sysRoot, int depth) {
  if (Exists(device + "/partition")) {
    const auto slash = device.rfind('/');
    if (slash == std::string::npos || slash == 0) return false;
    device.resize(slash);
  }
  const std::string below = device.compare(0, sysRoot.size(), sysRoot) == 0 ? device.substr(sysRoot.size()) : device;
  if (below.find("/usb") != std::string::npos) return true;
  if (FirstLine(device + "/removable") == "1") return true;

  if (depth >= kMaxStackDepth) return false;
  const std::string slaves = device + "/slaves";
  DIR* dir = ::opendir(slaves.c_str());
  if (dir == nullptr) return false;
  std::vector<std::string> members;
  while (const dirent* entry = ::readdir(dir)) {
    const std::string name = entry->d_name;
    if (name != "." && name != "..") members.push_back(name);
  }
  ::closedir(dir);
  for (const auto& member : members) {
    const std::string resolved = RealPath(slaves + "/" + member);
    if (!resolved.empty() && IsRemovableDevice(resolved, sysRoot, depth + 1)) return true;
  }
  return false;
}

// mountinfo writes blanks, tabs, newlines and backslashes in names as \ooo.
std::string UnescapeMountField(const std::string& field) {
  std::string out;
  for (std::size_t i = 0; i < field.size(); ++i) {
    if (field[i] == '\\' && i + 3 < field.size()) {
      const std::string digits = field.substr(i + 1, 3);
      if (digits.find_first_not_of("01234567") == std::string::npos) {
        out += static_cast<char>(std::stoi(digits, nullptr, 8) & 0xFF);
        i += 3;
        continue;
      }
    }
    out += field[i];
  }
  return out;
}

}  // namespace

bool HasBlockDevice(const std::string& sysRoot, unsigned devMajor, unsigned devMinor) {
  return Exists(DeviceLink(sysRoot, devMajor, devMinor));
}

bool IsRemovableBlockDevice(const std::string& sysRoot, unsigned devMajor, unsigned devMinor) {
  const std::string root = RealPath(sysRoot);
  const std::string device = RealPath(DeviceLink(sysRoot, devMajor, devMinor));
  if (root.empty() || device.empty()) return false;
  return IsRemovableDevice(device, root, 0);
}

std::string MountSourceFor(const std::string& mountinfo, unsigned devMajor, unsigned devMinor) {
  const std::string wanted = std::to_string(devMajor) + ":" + std::to_string(devMinor);
  std::istringstream lines(mountinfo);
  std::string line;
  while (std::getline(lines, line)) {
    // id parent major:minor root mountpoint options [optional...] - fstype source superoptions
    std::istringstream fields(line);
    std::vector<std::string> parts;
    for (std::string field; fields >> field;) parts.push_back(field);
    if (parts.size() < 3 || parts[2] != wanted) continue;
    for (std::size_t i = 6; i < parts.size(); ++i) {
      if (parts[i] == "-") return i + 2 < parts.size() ? UnescapeMountField(parts[i + 2]) : std::string();
    }
  }
  return std::string();
}

bool IsRemovablePath(const std::string& path) {
  if (path.empty()) return false;
  // The volume may not exist yet: its nearest existing directory tells the device.
  std::string probe = MakeAbsolute(path, CurrentDirectory());
  struct stat st {};
  while (::stat(probe.c_str(), &st) != 0) {
    if (probe == "/") return false;
    probe = MakeAbsolute("..", probe);
  }

  const unsigned devMajor = major(st.st_dev);
  const unsigned devMinor = minor(st.st_dev);
  if (HasBlockDevice("/sys", devMajor, devMinor)) return IsRemovableBlockDevice("/sys", devMajor, devMinor);

  // File systems with anonymous device numbers (btrfs and the like) name their
  // block device only in the mount table.
  std::ifstream in("/proc/self/mountinfo");
  std::stringstream text;
  text << in.rdbuf();
  const std::string source = MountSourceFor(text.str(), devMajor, devMinor);
  struct stat device {};
  if (source.empty() || source[0] != '/' || ::stat(source.c_str(), &device) != 0 || !S_ISBLK(device.st_mode)) {
    return false;
  }
  return IsRemovableBlockDevice("/sys", major(device.st_rdev), minor(device.st_rdev));
}

}  // namespace parvex::platform::detail
