// The archive attribute kept in an extended attribute, free space, and the
// removable-media test, both on this machine and on a fake sysfs tree.
#include <gtest/gtest.h>
#include <stdlib.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "platform/BlockDevices.h"
#include "platform/Platform.h"
#include "tests/support/TestFiles.h"

namespace parvex::platform {
namespace {

namespace fs = std::filesystem;
using test::Bytes;
using test::TempDir;

using test::UserXattrsWork;

// A scratch directory on a file system that takes user extended attributes:
// the usual temporary one, else /var/tmp, else the working directory.
class XattrDir {
 public:
  XattrDir() {
    if (UserXattrsWork(temp_.path())) {
      path_ = temp_.path();
      return;
    }
    for (const std::string& base : {std::string("/var/tmp"), fs::current_path().string()}) {
      std::string pattern = base + "/parvex-xattr-XXXXXX";
      if (!mkdtemp(pattern.data())) continue;
      if (UserXattrsWork(pattern)) {
        path_ = own_ = pattern;
        return;
      }
      fs::remove_all(pattern);
    }
  }
  ~XattrDir() {
    std::error_code ec;
    if (!own_.empty()) fs::remove_all(own_, ec);
  }
  bool ok() const { return !path_.empty(); }
  std::string operator/(const std::string& name) const { return path_ + "/" + name; }

 private:
  TempDir temp_;
  std::string path_;
  std::string own_;
};

void SetMtime(const std::string& path, std::time_t seconds, long nanoseconds) {
  const struct timespec times[2] = {{seconds, nanoseconds}, {seconds, nanoseconds}};
  ASSERT_EQ(utimensat(AT_FDCWD, path.c_str(), times, 0), 0);
}

TEST(PlatformArchiveAttribute, ClearedUntilContentTimeOrSizeChange) {
  XattrDir dir;
  if (!dir.ok()) GTEST_SKIP() << "no file system here takes user extended attributes";
  Env* env = Env::Default();
  const std::string path = dir / "f";
  test::WriteFile(path, Bytes(100, 'a'));
  SetMtime(path, 1000000000, 5);

  EXPECT_TRUE(env->HasArchiveAttribute(path));  // new files have it
  env->ClearArchiveAttribute(path);
  EXPECT_FALSE(env->HasArchiveAttribute(path));
  EXPECT_FALSE(env->HasArchiveAttribute(path));  // asking changes nothing

  SetMtime(path, 1000000000, 6);  // only the nanoseconds move
  EXPECT_TRUE(env->HasArchiveAttribute(path));
  env->ClearArchiveAttribute(path);
  EXPECT_FALSE(env->HasArchiveAttribute(path));

  test::WriteFile(path, Bytes(100, 'b'));  // new content, same size, new time
  EXPECT_TRUE(env->HasArchiveAttribute(path));
  env->ClearArchiveAttribute(path);

  test::WriteFile(path, Bytes(101, 'b'));
  SetMtime(path, 1000000000, 6);  // size alone tells
  EXPECT_TRUE(env->HasArchiveAttribute(path));
  env->ClearArchiveAttribute(path);
  EXPECT_FALSE(env->HasArchiveAttribute(path));

  ASSERT_EQ(setxattr(path.c_str(), "user.parvex.archived", "junk", 4, 0), 0);
  EXPECT_TRUE(env->HasArchiveAttribute(path));
  const Bytes tooLong(64, 1);
  ASSERT_EQ(setxattr(path.c_str(), "user.parvex.archived", tooLong.data(), tooLong.size(), 0), 0);
  EXPECT_TRUE(env->HasArchiveAttribute(path));
}

TEST(PlatformArchiveAttribute, WithoutTheMeansEveryFileHasIt) {
  Env* env = Env::Default();
  // procfs takes no user extended attributes.
  EXPECT_TRUE(env->HasArchiveAttribute("/proc/self/status"));
  EXPECT_NO_THROW(env->ClearArchiveAttribute("/proc/self/status"));
  EXPECT_TRUE(env->HasArchiveAttribute("/proc/self/status"));

  TempDir dir;
  EXPECT_TRUE(env->HasArchiveAttribute(dir / "missing"));
  EXPECT_NO_THROW(env->ClearArchiveAttribute(dir / "missing"));

  if (geteuid() != 0) {  // root may change any file
    XattrDir xdir;
    if (xdir.ok()) {
      test::WriteFile(xdir / "ro", {1});
      fs::permissions(xdir / "ro", fs::perms::owner_read);
      env->ClearArchiveAttribute(xdir / "ro");
      EXPECT_TRUE(env->HasArchiveAttribute(xdir / "ro"));
    }
  }
}

TEST(PlatformFreeSpace, PositiveForRealDirectoriesElseMinusOne) {
  TempDir dir;
  Env* env = Env::Default();
  EXPECT_GT(env->FreeSpace(dir.path()), 0);
  EXPECT_GT(env->FreeSpace(dir.path() + "/"), 0);
  EXPECT_GT(env->FreeSpace(""), 0);  // the working directory
  EXPECT_EQ(env->FreeSpace(dir / "missing"), -1);
  EXPECT_EQ(env->FreeSpace("/nonexistent/deeper"), -1);
}

TEST(PlatformRemovable, FixedDisksAndOddPaths) {
  TempDir dir;
  Env* env = Env::Default();
  EXPECT_FALSE(env->IsRemovable("/tmp"));
  EXPECT_FALSE(env->IsRemovable(dir.path()));
  EXPECT_FALSE(env->IsRemovable(dir / "not/yet/made.PX"));
  for (const char* odd : {"", "/", "relative/none", "/nonexistent/deep/path", "/proc/self/status", "/dev/null",
                          "/sys", "//", "/./../"}) {
    EXPECT_NO_FATAL_FAILURE(env->IsRemovable(odd)) << odd;
  }
}

// A sysfs tree as the kernel lays it out: /sys/dev/block/MAJ:MIN links to the
// device's directory; partitions sit inside their disk's directory.
class PlatformFakeSysfs : public ::testing::Test {
 protected:
  void SetUp() override {
    // "usb" in the directory above the tree must not make everything removable.
    root = dir / "usbstick/sys";
    Disk("devices/pci0/ata1/host0/block/sda", "0", "8:0");
    Partition("devices/pci0/ata1/host0/block/sda/sda1", "8:1");
    Disk("devices/pci0/usb2/2-1/host6/block/sdb", "0", "8:16");
    Partition("devices/pci0/usb2/2-1/host6/block/sdb/sdb1", "8:17");
    Disk("devices/platform/mmc0/block/mmcblk0", "1", "179:0");
    Partition("devices/platform/mmc0/block/mmcblk0/mmcblk0p1", "179:1");
    Disk("devices/virtual/block/dm-0", "0", "253:0");
    Slave("devices/virtual/block/dm-0", "devices/pci0/usb2/2-1/host6/block/sdb/sdb1", "sdb1");
    Disk("devices/virtual/block/dm-1", "0", "253:1");
    Slave("devices/virtual/block/dm-1", "devices/pci0/ata1/host0/block/sda/sda1", "sda1");
    Disk("devices/virtual/block/dm-2", "0", "253:2");  // a loop that must end
    Slave("devices/virtual/block/dm-2", "devices/virtual/block/dm-2", "dm-2");
    Disk("devices/virtual/block/loop0", "", "7:0");  // no removable file at all
  }

  void Disk(const std::string& at, const std::string& removable, const std::string& number) {
    fs::create_directories(root + "/" + at);
    if (!removable.empty()) std::ofstream(root + "/" + at + "/removable") << removable << "\n";
    Link(at, number);
  }
  void Partition(const std::string& at, const std::string& number) {
    fs::create_directories(root + "/" + at);
    std::ofstream(root + "/" + at + "/partition") << "1\n";
    Link(at, number);
  }
  void Slave(const std::string& device, const std::string& member, const std::string& name) {
    fs::create_directories(root + "/" + device + "/slaves");
    fs::create_directory_symlink(root + "/" + member, root + "/" + device + "/slaves/" + name);
  }
  void Link(const std::string& at, const std::string& number) {
    fs::create_directories(root + "/dev/block");
    fs::create_directory_symlink("../../" + at, root + "/dev/block/" + number);
  }

  TempDir dir;
  std::string root;
};

TEST_F(PlatformFakeSysfs, RemovableFlagUsbBusAndStackedDevices) {
  using detail::IsRemovableBlockDevice;
  EXPECT_FALSE(IsRemovableBlockDevice(root, 8, 0));
  EXPECT_FALSE(IsRemovableBlockDevice(root, 8, 1));
  EXPECT_TRUE(IsRemovableBlockDevice(root, 8, 16));
  EXPECT_TRUE(IsRemovableBlockDevice(root, 8, 17));
  EXPECT_TRUE(IsRemovableBlockDevice(root, 179, 0));
  EXPECT_TRUE(IsRemovableBlockDevice(root, 179, 1));  // the partition's disk answers
  EXPECT_TRUE(IsRemovableBlockDevice(root, 253, 0));  // encrypted stick
  EXPECT_FALSE(IsRemovableBlockDevice(root, 253, 1));
  EXPECT_FALSE(IsRemovableBlockDevice(root, 253, 2));
  EXPECT_FALSE(IsRemovableBlockDevice(root, 7, 0));
  EXPECT_FALSE(IsRemovableBlockDevice(root, 9, 9));  // unknown device
  EXPECT_FALSE(IsRemovableBlockDevice(dir / "nowhere", 8, 16));
  EXPECT_TRUE(detail::HasBlockDevice(root, 8, 17));
  EXPECT_FALSE(detail::HasBlockDevice(root, 9, 9));
}

TEST(PlatformMountinfo, SourceOfTheMountWithThatDevice) {
  const std::string mountinfo =
      "26 1 254:0 / / rw,relatime - ext4 /dev/vda rw,discard\n"
      "garbage\n"
      "27 26 0:99 / /broken rw no separator here\n"
      "40 26 0:35 /@home /home rw,relatime shared:5 master:2 - btrfs /dev/sdb2 rw,ssd\n"
      "41 26 8:33 / /media/my\\040stick rw - vfat /dev/disk/by-label/MY\\040STICK rw\n"
      "42 26 0:36 / /net rw - nfs\n";
  EXPECT_EQ(detail::MountSourceFor(mountinfo, 254, 0), "/dev/vda");
  EXPECT_EQ(detail::MountSourceFor(mountinfo, 0, 35), "/dev/sdb2");
  EXPECT_EQ(detail::MountSourceFor(mountinfo, 8, 33), "/dev/disk/by-label/MY STICK");
  EXPECT_EQ(detail::MountSourceFor(mountinfo, 0, 99), "");
  EXPECT_EQ(detail::MountSourceFor(mountinfo, 0, 36), "");
  EXPECT_EQ(detail::MountSourceFor(mountinfo, 1, 1), "");
  EXPECT_EQ(detail::MountSourceFor("", 1, 1), "");
}

}  // namespace
}  // namespace parvex::platform
