// Drive letters from a made-up mount table and sysfs, the figures of each
// drive, and drives that never answer.
#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "sysinfo/MSysInfo.h"
#include "tests/sysinfo/FakeMachine.h"

namespace parvex::sysinfo {
namespace {

using std::chrono::milliseconds;
using test::FakeMachine;

std::string Mount(int id, const std::string& device, const std::string& point, const std::string& type,
                  const std::string& source, const std::string& options = "rw") {
  return std::to_string(id) + " 26 " + device + " / " + point + " rw,relatime - " + type + " " + source + " " + options;
}

void ExpectUnreadable(const TMSysInfo& info) {
  EXPECT_EQ(info.diTotalSpace(), -1);
  EXPECT_EQ(info.diFreeSpace(), -1);
  EXPECT_EQ(info.diSectorsPerCluster(), -1);
  EXPECT_EQ(info.diBytesPerSector(), -1);
  EXPECT_EQ(info.diTotalClusters(), -1);
  EXPECT_EQ(info.diFileSystem(), "?");
  EXPECT_EQ(info.diVolumeLabel(), "?");
  EXPECT_EQ(info.diSerialNumber(), 0u);
  EXPECT_FALSE(info.diCompressed());
}

TEST(SysInfoDrives, EachKindOfDriveWithItsFigures) {
  FakeMachine machine;
  TMSysInfo info(machine.SourcesFor());
  EXPECT_EQ(info.diAvailableDisks(), "ACDEFG");  // no snap, no second letter for the root's bind mount
  EXPECT_EQ(info.diDiskCount(), 6);

  EXPECT_EQ(info.diSign(), 'C');  // the constructor's selection
  EXPECT_EQ(info.diMediaType(), 3);
  EXPECT_EQ(info.diFileSystem(), "ext4");
  EXPECT_EQ(info.diTotalSpace(), 60000000LL * 4096);  // 245,760,000,000: no 32-bit product
  EXPECT_EQ(info.diFreeSpace(), 20000000LL * 4096);
  EXPECT_EQ(info.diBytesPerSector(), 512);
  EXPECT_EQ(info.diSectorsPerCluster(), 8);
  EXPECT_EQ(info.diTotalClusters(), 60000000);
  EXPECT_EQ(info.diSerialNumber(), 0x0FB3D2C5u);  // the UUID's first 32 bits
  EXPECT_EQ(info.diVolumeLabel(), "");
  EXPECT_EQ(info.diMountPoint(), "/");

  info.setDiSign('a');  // the floppy drive without a disk
  EXPECT_EQ(info.diSign(), 'A');
  EXPECT_EQ(info.diMediaType(), 2);
  ExpectUnreadable(info);

  info.setDiSign('D');
  EXPECT_EQ(info.diMountPoint(), "/boot");
  EXPECT_EQ(info.diVolumeLabel(), "My Boot");
  EXPECT_EQ(info.diSectorsPerCluster(), 2);
  EXPECT_EQ(info.diTotalSpace(), 249856LL * 1024);

  info.setDiSign('e');
  EXPECT_EQ(info.diSign(), 'E');
  EXPECT_EQ(info.diMediaType(), 2);  // on a USB bus
  EXPECT_EQ(info.diFileSystem(), "vfat");
  EXPECT_EQ(info.diVolumeLabel(), "STICK");
  EXPECT_EQ(info.diSerialNumber(), 0x1234ABCDu);  // the FAT serial as it stands

  info.setDiSign('F');
  EXPECT_EQ(info.diMediaType(), 4);
  EXPECT_EQ(info.MediaTypeName('F', info.diMediaType()), "Network = //server/share/");
  EXPECT_EQ(info.diFileSystem(), "cifs");
  EXPECT_EQ(info.diTotalSpace(), 4096000000);

  info.setDiSign('G');
  EXPECT_EQ(info.diMountPoint(), "/tmp");
  EXPECT_EQ(info.MediaTypeName('G', info.diMediaType()), "RAM");

  info.setDiSign('h');  // a letter without a drive
  EXPECT_EQ(info.diSign(), 'H');
  EXPECT_EQ(info.diMediaType(), 1);
  EXPECT_EQ(info.diMountPoint(), "");
  ExpectUnreadable(info);
  EXPECT_EQ(info.MediaTypeName('H', 1), "?");
  EXPECT_EQ(info.MediaTypeName('H', 4), "Network = H:\\");  // no connection for the letter
  EXPECT_EQ(info.MediaTypeName('C', 3), "Fixed");
  EXPECT_EQ(info.MediaTypeName('A', 5), "CD-ROM");
}

TEST(SysInfoDrives, RefreshReReadsTheSelectedDrive) {
  FakeMachine machine;
  TMSysInfo info(machine.SourcesFor());
  info.setDiSign('D');
  machine.fileSystems().Set("/boot", 500000, 1, 1024, 8, 1);
  info.Refresh();
  EXPECT_EQ(info.diSign(), 'D');
  EXPECT_EQ(info.diTotalSpace(), 500000LL * 1024);
  EXPECT_EQ(info.diFreeSpace(), 1024);
}

TEST(SysInfoDrives, MountedFloppyKeepsLetterA) {
  FakeMachine machine;
  auto mounts = test::DefaultMounts();
  mounts.push_back(Mount(80, "2:0", "/media/floppy", "vfat", "/dev/fd0"));
  machine.Mounts(mounts);
  machine.fileSystems().Set("/media/floppy", 2847, 2000, 512, 2, 0);
  TMSysInfo info(machine.SourcesFor());
  EXPECT_EQ(info.diAvailableDisks(), "ACDEFG");
  info.setDiSign('A');
  EXPECT_EQ(info.diMountPoint(), "/media/floppy");
  EXPECT_EQ(info.diMediaType(), 2);
  EXPECT_EQ(info.diTotalSpace(), 2847 * 512);
  EXPECT_EQ(info.diSectorsPerCluster(), 1);
}

TEST(SysInfoDrives, LettersEndAtZ) {
  FakeMachine machine;
  auto mounts = test::DefaultMounts();
  for (int i = 0; i < 30; ++i) {
    const std::string number = std::to_string(i / 10) + std::to_string(i % 10);
    mounts.push_back(Mount(100 + i, "0:" + std::to_string(100 + i), "/mnt/ram" + number, "tmpfs", "tmpfs"));
  }
  machine.Mounts(mounts);
  TMSysInfo info(machine.SourcesFor());
  EXPECT_EQ(info.diAvailableDisks(), "ACDEFGHIJKLMNOPQRSTUVWXYZ");
  EXPECT_EQ(info.diDiskCount(), 25);
  info.setDiSign('F');
  EXPECT_EQ(info.diMountPoint(), "/mnt/ram00");
  info.setDiSign('Z');
  EXPECT_EQ(info.diMountPoint(), "/mnt/ram20");
  EXPECT_EQ(info.diMediaType(), 6);
}

TEST(SysInfoDrives, StackedMountsSharesOpticalAndRamDisks) {
  FakeMachine machine;
  machine.Remove("/sys/block/fd0");  // no floppy: A and B stay free
  machine.BlockDevice("sr0", 11, 0, "pci0/ata2/host1");
  machine.Write("/sys/devices/pci0/ata2/host1/block/sr0/device/type", "5\n");
  machine.BlockDevice("zram0", 252, 0, "virtual");
  machine.BlockDevice("sdc", 8, 32, "pci0/ata3/host2");
  machine.BlockDevice("sdc1", 8, 33, "pci0/ata3/host2", "sdc");
  machine.Write("/dev/sdc1", "");
  machine.Write("/run/user/4242/gvfs/smb-share:server=srv,share=data/.keep", "");
  machine.Write("/run/user/4242/gvfs/sftp:host=example.org,user=ann/.keep", "");
  auto mounts = test::DefaultMounts();
  mounts.push_back(Mount(60, "0:60", "/tmp", "tmpfs", "tmpfs"));  // on top of the first /tmp
  mounts.push_back(Mount(61, "0:61", "/data", "btrfs", "/dev/sdc1", "rw,compress=zstd:3"));  // anonymous number
  mounts.push_back(Mount(62, "252:0", "/scratch", "ext4", "/dev/zram0"));
  mounts.push_back(Mount(63, "0:63", "/net/home", "nfs4", "server:/export"));
  mounts.push_back(Mount(64, "0:64", "/run/user/4242/gvfs", "fuse.gvfsd-fuse", "gvfsd-fuse"));
  mounts.push_back(Mount(65, "0:65", "/var/cache", "tmpfs", "tmpfs"));  // tmpfs elsewhere: no drive
  machine.Mounts(mounts);
  machine.fileSystems().Set("/data", 1000, 500, 4096, 0, 61);
  machine.fileSystems().Set("/tmp", 10, 5, 4096, 0, 60);

  TMSysInfo info(machine.SourcesFor());
  // /boot, /data, STICK, /mnt/share, /net/home, two shares, /scratch, /tmp, then the optical drive.
  ASSERT_EQ(info.diAvailableDisks(), "CDEFGHIJKLM");
  const auto select = [&](char letter, const std::string& mountPoint) {
    info.setDiSign(letter);
    EXPECT_EQ(info.diMountPoint(), mountPoint) << letter;
  };
  select('E', "/data");
  EXPECT_EQ(info.diMediaType(), 3);
  EXPECT_EQ(info.diFileSystem(), "btrfs");
  EXPECT_TRUE(info.diCompressed());
  select('H', "/net/home");
  EXPECT_EQ(info.MediaTypeName('H', info.diMediaType()), "Network = server:/export/");
  select('I', "/run/user/4242/gvfs/sftp:host=example.org,user=ann");
  EXPECT_EQ(info.MediaTypeName('I', info.diMediaType()), "Network = sftp://ann@example.org/");
  select('J', "/run/user/4242/gvfs/smb-share:server=srv,share=data");
  EXPECT_EQ(info.MediaTypeName('J', info.diMediaType()), "Network = smb://srv/data/");
  select('K', "/scratch");
  EXPECT_EQ(info.diMediaType(), 6);  // zram
  select('L', "/tmp");
  EXPECT_EQ(info.diTotalSpace(), 40960);  // the upper of the two mounts answers
  select('M', "");
  EXPECT_EQ(info.diMediaType(), 5);
  ExpectUnreadable(info);
}

TEST(SysInfoDrives, MediumGoneAndNoMountTable) {
  FakeMachine machine;
  TMSysInfo info(machine.SourcesFor());
  // The stick was pulled: its directory now answers for the root's device.
  machine.fileSystems().Set("/media/ann/STICK", 100, 50, 4096, 8, 2);
  info.setDiSign('E');
  EXPECT_EQ(info.diMediaType(), 2);
  ExpectUnreadable(info);

  machine.Remove("/proc/self/mountinfo");
  info.Refresh();
  EXPECT_EQ(info.diAvailableDisks(), "AC");
  info.setDiSign('C');
  EXPECT_EQ(info.diMediaType(), 3);
  EXPECT_EQ(info.diMountPoint(), "/");
  EXPECT_EQ(info.diFileSystem(), "?");
  EXPECT_EQ(info.diTotalSpace(), 60000000LL * 4096);
}

// A dead drive costs one deadline the first time and nothing while it stays
// dead; several dead drives probed ahead cost one deadline together.
TEST(SysInfoDrives, DrivesThatNeverAnswer) {
  FakeMachine machine;
  auto mounts = test::DefaultMounts();
  mounts.push_back(Mount(70, "0:70", "/mnt/nfs1", "nfs", "a:/x"));
  mounts.push_back(Mount(71, "0:71", "/mnt/nfs2", "nfs", "b:/y"));
  machine.Mounts(mounts);
  for (const char* dead : {"/mnt/share", "/mnt/nfs1", "/mnt/nfs2"}) machine.fileSystems().Hang(dead);
  const auto deadline = milliseconds(300);
  TMSysInfo info(machine.SourcesFor(deadline));
  ASSERT_EQ(info.diAvailableDisks(), "ACDEFGHI");  // F, G: nfs1, nfs2; H: the share

  using Clock = std::chrono::steady_clock;
  auto start = Clock::now();
  info.setDiSign('H');
  EXPECT_LT(Clock::now() - start, 5 * deadline);
  EXPECT_EQ(info.diMediaType(), 4);
  ExpectUnreadable(info);
  start = Clock::now();
  info.setDiSign('H');
  info.Refresh();
  EXPECT_LT(Clock::now() - start, deadline);
  EXPECT_EQ(machine.fileSystems().Calls("/mnt/share"), 1);

  info.ProbeDrivesAhead();
  start = Clock::now();
  for (const char letter : std::string("FGH")) {
    info.setDiSign(letter);
    EXPECT_EQ(info.diTotalSpace(), -1) << letter;
  }
  EXPECT_LT(Clock::now() - start, 2 * deadline);  // one after another would take three
  EXPECT_EQ(machine.fileSystems().Calls("/mnt/nfs1"), 1);
  EXPECT_EQ(machine.fileSystems().Calls("/mnt/nfs2"), 1);
  EXPECT_EQ(machine.fileSystems().Calls("/mnt/share"), 1);
  info.setDiSign('C');
  EXPECT_EQ(info.diTotalSpace(), 60000000LL * 4096);
}

// A caller that waits (without blocking) while DrivesAnswering() holds can
// then select every drive at once: the living ones answered ahead, the dead
// one is known to hang.
TEST(SysInfoDrives, ProbedAheadThenSelectedWithoutWaiting) {
  FakeMachine machine;
  machine.fileSystems().Hang("/mnt/share");
  const auto deadline = milliseconds(300);
  TMSysInfo info(machine.SourcesFor(deadline));
  ASSERT_EQ(info.diAvailableDisks(), "ACDEFG");  // E the stick, F the share
  EXPECT_FALSE(info.DrivesAnswering());

  using Clock = std::chrono::steady_clock;
  const auto start = Clock::now();
  info.ProbeDriveAhead('f');
  EXPECT_TRUE(info.DrivesAnswering());
  info.ProbeDriveAhead('Q');  // no such drive: nothing to probe
  while (info.DrivesAnswering()) std::this_thread::sleep_for(milliseconds(5));
  EXPECT_GE(Clock::now() - start, deadline);
  const auto selected = Clock::now();
  info.setDiSign('F');
  EXPECT_LT(Clock::now() - selected, deadline / 3);
  EXPECT_EQ(info.diTotalSpace(), -1);

  const int stickCalls = machine.fileSystems().Calls("/media/ann/STICK");
  info.ProbeDrivesAhead();
  while (info.DrivesAnswering()) std::this_thread::sleep_for(milliseconds(5));
  info.setDiSign('E');
  EXPECT_EQ(info.diTotalSpace(), 1000000LL * 8192);
  EXPECT_EQ(machine.fileSystems().Calls("/media/ann/STICK"), stickCalls + 1);  // the answer probed ahead
  EXPECT_EQ(machine.fileSystems().Calls("/mnt/share"), 1);                     // still hanging: not asked again
}

}  // namespace
}  // namespace parvex::sysinfo
