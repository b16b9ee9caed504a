// Drive letters for a system that has none. From the mount table and sysfs
// below a root directory, the same way at every refresh:
//   A, B   the floppy drives fd0 and fd1, with or without a disk;
//   C      the root file system;
//   D...   in byte order of their mount points: every other file system on a
//          block device (squashfs on a loop device, i.e. snap packages,
//          excepted), every network file system and each GVfs share, every
//          tmpfs or ramfs at /tmp, /dev/shm or below /media, /mnt, /run/media;
//          then the optical drives with nothing mounted.
// A file system mounted twice gets one letter, at its first mount point; only
// the topmost of mounts stacked on one directory counts; past Z there are no
// letters.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace parvex::sysinfo {

// Drive type codes, as the collector's diMediaType gives them.
enum DriveType : std::int32_t {
  kDriveUnknown = 0,
  kDriveNoRoot = 1,  // a letter without a drive
  kDriveRemovable = 2,
  kDriveFixed = 3,
  kDriveNetwork = 4,
  kDriveOptical = 5,
  kDriveRam = 6,
};

// One line of /proc/self/mountinfo.
struct MountEntry {
  unsigned major = 0;
  unsigned minor = 0;
  std::string root;        // the directory of the file system that is mounted
  std::string mountPoint;
  std::string options;     // the mount's own options
  std::string fileSystem;  // as the kernel names it: ext4, vfat, nfs4, fuse.sshfs
  std::string source;      // /dev/sdb1, //server/share, tmpfs
  std::string superOptions;
};

// Whether a file system of this type (as the kernel names it) is a network
// one: nfs, nfs4, cifs, smb3, smbfs, fuse.sshfs. The GVfs FUSE mount is not.
bool IsNetworkFileSystem(std::string_view type);

// The entries of a mountinfo text, in its order; lines that do not parse are
// passed over. Escaped characters (\040 for a blank) are decoded.
std::vector<MountEntry> ParseMountInfo(std::string_view text);

struct Drive {
  char letter = 0;
  std::int32_t type = kDriveNoRoot;
  std::string mountPoint;    // "" when nothing is mounted (a floppy or optical drive without a medium)
  std::string source;        // the mount source; for a GVfs share its address (smb://server/share)
  std::string fileSystem;
  std::string options;       // the mount's and the file system's options, comma-separated
  std::uint64_t device = 0;  // the mount's device number, 0 when nothing is mounted
  std::string blockDevice;   // the kernel's name of the block device behind it ("sdb1"), "" when none
  bool mayHang = false;      // asked on a worker thread: network, removable, optical and FUSE drives
};

// Lists a directory (a GVfs FUSE mount); nullopt when it did not answer.
using DirectoryLister = std::function<std::optional<std::vector<std::string>>(const std::string& path)>;

// The drives of the machine described below `root`, in letter order.
// `listShares` lists each GVfs mount point (given below `root`).
std::vector<Drive> ListDrives(const std::string& root, const DirectoryLister& listShares);

// The address of a GVfs share from its directory name:
// "smb-share:server=srv,share=data" gives "smb://srv/data".
std::string GvfsShareAddress(std::string_view name);

}  // namespace parvex::sysinfo
