// A made-up machine below a scratch directory, laid out as /proc, /sys, /etc
// and /dev/disk are on a real one, for the collector's tests; and file-system
// and printer answers that tests set, including ones that never come.
#pragma once

#include <condition_variable>
#include <map>
#include <memory>
#include <mutex>
#include <set>
#include <string>
#include <vector>

#include "sysinfo/Sources.h"
#include "tests/support/TestFiles.h"

namespace parvex::test {

// statvfs answers by mount point (as the collector names it, without the root).
// A mount point set to hang blocks its callers until Release(); the object
// waits for them when it goes.
class FakeFileSystems {
 public:
  explicit FakeFileSystems(std::string root);
  ~FakeFileSystems();
  FakeFileSystems(const FakeFileSystems&) = delete;
  FakeFileSystems& operator=(const FakeFileSystems&) = delete;

  void Set(const std::string& mountPoint, std::uint64_t blocks, std::uint64_t available, std::uint64_t fragment,
           unsigned major, unsigned minor);
  void Hang(const std::string& mountPoint);
  void Release();
  int Calls(const std::string& mountPoint) const;
  sysinfo::FileSystemQuery Query() const;

 private:
  struct State {
    mutable std::mutex mutex;
    std::condition_variable changed;
    std::map<std::string, sysinfo::FileSystemStats> stats;
    std::set<std::string> hanging;
    std::map<std::string, int> calls;
    bool released = false;
    int waiting = 0;
  };
  std::string root_;
  std::shared_ptr<State> state_;
};

class FakeMachine {
 public:
  // A complete machine: two processors, 24 GiB, Debian, the user "ann" (uid
  // 4242), one sound card, a mouse, a monitor, a floppy drive without a disk,
  // and these mounts: / (sda2), /boot (sda1), a vfat USB stick at
  // /media/ann/STICK, a CIFS share at /mnt/share, tmpfs at /tmp, a snap, and
  // a second bind mount of the root.
  FakeMachine();

  const std::string& root() const { return dir_.path(); }
  std::string operator/(const std::string& path) const { return dir_.path() + path; }

  void Write(const std::string& path, const std::string& text) const;
  void Remove(const std::string& path) const;
  void Link(const std::string& path, const std::string& target) const;
  // A block device in sysfs: /sys/dev/block/M:m, /sys/class/block/<name> and,
  // for a whole disk, /sys/block/<name>. `parent` is the disk of a partition.
  void BlockDevice(const std::string& name, unsigned major, unsigned minor, const std::string& bus,
                   const std::string& parent = "", bool removable = false) const;
  // Replaces the mount table; each line as mountinfo gives it from the device number on.
  void Mounts(const std::vector<std::string>& lines) const;

  // Sources reading this tree, with the fake file systems, a printer list, no
  // screen, uid 4242, and a deadline of `deadline`.
  sysinfo::Sources SourcesFor(std::chrono::milliseconds deadline = std::chrono::milliseconds(300)) const;

  FakeFileSystems& fileSystems() { return *fileSystems_; }
  std::vector<sysinfo::PrinterDestination> printers;

 private:
  TempDir dir_;
  std::unique_ptr<FakeFileSystems> fileSystems_;
};

// The mount lines of the default machine.
std::vector<std::string> DefaultMounts();

// A 128-byte EDID block for maker "DEL", product 0xA0C2, with a monitor name
// descriptor when `name` is not empty.
std::string Edid(const std::string& name);

}  // namespace parvex::test
