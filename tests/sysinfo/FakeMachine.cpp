// The made-up machine of the collector's tests (see FakeMachine.h).
#include "tests/sysinfo/FakeMachine.h"

#include <sys/sysmacros.h>

#include <filesystem>
#include <fstream>

namespace parvex::test {

namespace fs = std::filesystem;

FakeFileSystems::FakeFileSystems(std::string root) : root_(std::move(root)), state_(std::make_shared<State>()) {}

FakeFileSystems::~FakeFileSystems() {
  Release();
  std::unique_lock lock(state_->mutex);
  state_->changed.wait(lock, [this] { return state_->waiting == 0; });
}

void FakeFileSystems::Set(const std::string& mountPoint, std::uint64_t blocks, std::uint64_t available,
                          std::uint64_t fragment, unsigned major, unsigned minor) {
  std::lock_guard lock(state_->mutex);
  state_->stats[mountPoint] = {blocks, available, fragment, makedev(major, minor)};
}

void FakeFileSystems::Hang(const std::string& mountPoint) {
  std::lock_guard lock(state_->mutex);
  state_->hanging.insert(mountPoint);
}

void FakeFileSystems::Release() {
  {
    std::lock_guard lock(state_->mutex);
    state_->released = true;
  }
  state_->changed.notify_all();
}

int FakeFileSystems::Calls(const std::string& mountPoint) const {
  std::lock_guard lock(state_->mutex);
  const auto found = state_->calls.find(mountPoint);
  return found == state_->calls.end() ? 0 : found->second;
}

sysinfo::FileSystemQuery FakeFileSystems::Query() const {
  return [state = state_, root = root_](const std::string& path) -> std::optional<sysinfo::FileSystemStats> {
    const std::string mountPoint = path.compare(0, root.size(), root) == 0 ? path.substr(root.size()) : path;
    std::unique_lock lock(state->mutex);
    ++state->calls[mountPoint];
    if (state->hanging.count(mountPoint) != 0) {
      ++state->waiting;
      state->changed.wait(lock, [&] { return state->released; });
      --state->waiting;
      state->changed.notify_all();
      return std::nullopt;
    }
    const auto found = state->stats.find(mountPoint);
    if (found == state->stats.end()) return std::nullopt;
    return found->second;
  };
}

std::vector<std::string> DefaultMounts() {
  return {
      "21 26 0:20 / /proc rw,nosuid,nodev,noexec,relatime shared:12 - proc proc rw",
      "22 26 0:21 / /sys rw,nosuid,nodev,noexec,relatime shared:2 - sysfs sysfs rw",
      "23 26 0:5 / /dev rw,nosuid,relatime shared:8 - devtmpfs udev rw,size=8000000k",
      "26 1 8:2 / / rw,relatime shared:1 - ext4 /dev/sda2 rw,errors=remount-ro",
      "40 26 8:1 / /boot rw,relatime shared:30 - ext4 /dev/sda1 rw",
      "41 26 0:40 / /tmp rw,nosuid,nodev shared:31 - tmpfs tmpfs rw,size=4096k",
      "42 26 7:0 / /snap/core/123 ro,nodev,relatime shared:32 - squashfs /dev/loop0 ro",
      "43 26 8:2 /srv /srv/rootbind rw,relatime shared:1 - ext4 /dev/sda2 rw,errors=remount-ro",
      "44 26 0:50 / /mnt/share rw,relatime shared:33 - cifs //server/share rw,vers=3.1.1",
      "45 26 8:17 / /media/ann/STICK rw,nosuid,nodev shared:34 - vfat /dev/sdb1 rw,fmask=0022",
  };
}

std::string Edid(const std::string& name) {
  std::string edid(128, '\0');
  const unsigned char header[8] = {0x00, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x00};
  for (int i = 0; i < 8; ++i) edid[static_cast<std::size_t>(i)] = static_cast<char>(header[i]);
  const unsigned maker = (('D' - '@') << 10) | (('E' - '@') << 5) | ('L' - '@');
  edid[8] = static_cast<char>(maker >> 8);
  edid[9] = static_cast<char>(maker & 0xFF);
  edid[10] = static_cast<char>(0xC2);  // product code 0xA0C2, little-endian
  edid[11] = static_cast<char>(0xA0);
  // Descriptor 1 is a detailed timing (nonzero pixel clock); 2 a serial number.
  edid[54] = 1;
  edid[72 + 3] = static_cast<char>(0xFF);
  if (!name.empty()) {
    edid[90 + 3] = static_cast<char>(0xFC);
    std::string text = name + "\n";
    text.resize(13, ' ');
    edid.replace(90 + 5, 13, text);
  }
  return edid;
}

FakeMachine::FakeMachine() : fileSystems_(std::make_unique<FakeFileSystems>(dir_.path())) {
  Write("/proc/sys/kernel/arch", "x86_64\n");
  Write("/proc/sys/kernel/osrelease", "6.1.0-28-amd64\n");
  Write("/proc/sys/kernel/version", "#1 SMP PREEMPT_DYNAMIC Debian 6.1.119-1 (2024-11-22)\n");
  Write("/proc/sys/kernel/hostname", "workstation\n");
  Write("/proc/sys/vm/mmap_min_addr", "65536\n");
  std::string cpuinfo;
  for (int cpu = 0; cpu < 2; ++cpu) {
    cpuinfo += "processor\t: " + std::to_string(cpu) +
               "\nvendor_id\t: GenuineIntel\ncpu family\t: 6\nmodel\t\t: 158\n"
               "model name\t: Intel(R) Core(TM) i7-8700 CPU @ 3.20GHz\nstepping\t: 10\nflags\t\t: fpu vme\n\n";
  }
  Write("/proc/cpuinfo", cpuinfo);
  Write("/sys/devices/system/cpu/online", "0-1\n");
  Write("/proc/self/status", "Name:\tparvex\nVmSize:\t   10240 kB\nCpus_allowed:\t3\nCpus_allowed_list:\t0-1\n");
  Write("/proc/meminfo",
        "MemTotal:       25165824 kB\nMemFree:         1048576 kB\nMemAvailable:   10485760 kB\n"
        "SwapTotal:       8388608 kB\nSwapFree:        6291456 kB\n");
  Write("/etc/os-release", "NAME=\"Debian GNU/Linux\"\nPRETTY_NAME=\"Debian GNU/Linux 12 (bookworm)\"\nID=debian\n");
  Write("/etc/machine-id", "0123456789abcdef0123456789abcdef\n");
  Write("/etc/passwd", "root:x:0:0:root:/root:/bin/bash\nann:x:4242:4242:Ann Example,Room 1,,:/home/ann:/bin/bash\n");

  Write("/proc/asound/version", "Advanced Linux Sound Architecture Driver Version 1.0.25.\n");
  Write("/proc/asound/cards",
        " 0 [PCH            ]: HDA-Intel - HDA Intel PCH\n"
        "                      HDA Intel PCH at 0xf7f10000 irq 32\n");
  Write("/proc/asound/pcm",
        "00-00: ALC3246 Analog : ALC3246 Analog : playback 1 : capture 1\n"
        "00-03: HDMI 0 : HDMI 0 : playback 1\n");
  Write("/proc/asound/card0/codec#0", "Codec: Realtek ALC3246\nAddress: 0\n");
  Write("/proc/asound/card0/midi0", "Virtual Raw MIDI\n\nOutput 0\n  Tx bytes     : 0\nInput 0\n  Rx bytes     : 0\n");

  Write("/proc/bus/input/devices",
        "I: Bus=0011 Vendor=0001 Product=0001 Version=ab41\nN: Name=\"AT Translated Set 2 keyboard\"\n"
        "H: Handlers=sysrq kbd event0 leds\n\n"
        "I: Bus=0003 Vendor=046d Product=c077 Version=0111\nN: Name=\"Logitech USB Optical Mouse\"\n"
        "H: Handlers=mouse0 event3\n\n");

  Link("/sys/class/drm/card0/device/driver", "../../../bus/pci/drivers/i915");
  Write("/sys/class/drm/card0/device/vendor", "0x8086\n");
  Write("/sys/class/drm/card0/device/device", "0x3e92\n");
  Write("/sys/class/drm/card0-DP-1/status", "disconnected\n");
  Write("/sys/class/drm/card0-HDMI-A-1/status", "connected\n");
  Write("/sys/class/drm/card0-HDMI-A-1/edid", Edid("DELL U2415"));
  Write("/usr/share/misc/pci.ids",
        "# comment\n8086  Intel Corporation\n\t3e91  8th Gen Core Processor Gaussian Mixture Model\n"
        "\t3e92  CoffeeLake-S GT2 [UHD Graphics 630]\n\t\t1028 0869  Vostro 3470\n8087  Intel Corp.\n");

  BlockDevice("sda", 8, 0, "pci0/ata1/host0");
  BlockDevice("sda1", 8, 1, "pci0/ata1/host0", "sda");
  BlockDevice("sda2", 8, 2, "pci0/ata1/host0", "sda");
  BlockDevice("sdb", 8, 16, "pci0/usb2/2-1/host6");
  BlockDevice("sdb1", 8, 17, "pci0/usb2/2-1/host6", "sdb");
  BlockDevice("loop0", 7, 0, "virtual");
  BlockDevice("fd0", 2, 0, "platform/floppy.0", "", true);
  for (const char* node : {"sda1", "sda2", "sdb1", "loop0", "fd0"}) Write(std::string("/dev/") + node, "");
  Link("/dev/disk/by-label/STICK", "../../sdb1");
  Link("/dev/disk/by-label/My\\x20Boot", "../../sda1");
  Link("/dev/disk/by-uuid/1234-ABCD", "../../sdb1");
  Link("/dev/disk/by-uuid/0fb3d2c5-8e4b-4c4a-9a7e-2c1f7d3e9b10", "../../sda2");
  Mounts(DefaultMounts());

  auto& fake = *fileSystems_;
  fake.Set("/", 60000000, 20000000, 4096, 8, 2);  // 245,760,000,000 bytes, over 4 GiB
  fake.Set("/boot", 249856, 150000, 1024, 8, 1);
  fake.Set("/tmp", 1024, 1000, 4096, 0, 40);
  fake.Set("/mnt/share", 1000000, 250000, 4096, 0, 50);
  fake.Set("/media/ann/STICK", 1000000, 999000, 8192, 8, 17);
  printers = {{"office", "Office Laser", false}, {"home", "", true}};
}

void FakeMachine::Write(const std::string& path, const std::string& text) const {
  const fs::path file = dir_.path() + path;
  fs::create_directories(file.parent_path());
  std::ofstream(file, std::ios::binary) << text;
}

void FakeMachine::Remove(const std::string& path) const { fs::remove_all(dir_.path() + path); }

void FakeMachine::Link(const std::string& path, const std::string& target) const {
  const fs::path link = dir_.path() + path;
  fs::create_directories(link.parent_path());
  fs::remove(link);
  fs::create_symlink(target, link);
}

void FakeMachine::BlockDevice(const std::string& name, unsigned major, unsigned minor, const std::string& bus,
                              const std::string& parent, bool removable) const {
  const std::string disk = "/sys/devices/" + bus + "/block/" + (parent.empty() ? name : parent);
  const std::string device = parent.empty() ? disk : disk + "/" + name;
  const std::string number = std::to_string(major) + ":" + std::to_string(minor);
  Write(device + "/dev", number + "\n");
  if (parent.empty()) {
    Write(device + "/removable", removable ? "1\n" : "0\n");
    Write(device + "/queue/logical_block_size", "512\n");
    Link("/sys/block/" + name, "../devices/" + bus + "/block/" + name);
  } else {
    Write(device + "/partition", "1\n");
  }
  Link("/sys/dev/block/" + number, "../../devices/" + device.substr(std::string("/sys/devices/").size()));
  Link("/sys/class/block/" + name, "../../devices/" + device.substr(std::string("/sys/devices/").size()));
}

void FakeMachine::Mounts(const std::vector<std::string>& lines) const {
  std::string text;
  for (const auto& line : lines) text += line + "\n";
  Write("/proc/self/mountinfo", text);
}

sysinfo::Sources FakeMachine::SourcesFor(std::chrono::milliseconds deadline) const {
  sysinfo::Sources sources;
  sources.root = dir_.path();
  sources.fileSystem = fileSystems_->Query();
  sources.printers = [list = printers] { return std::optional(list); };
  sources.user = 4242;
  sources.deadline = deadline;
  return sources;
}

}  // namespace parvex::test
