// The collector on a made-up machine: each source with its values, and the
// way each degrades when it is absent.
#include "sysinfo/MSysInfo.h"

#include <gtest/gtest.h>

#include <future>

#include "tests/sysinfo/FakeMachine.h"

namespace parvex::sysinfo {
namespace {

using test::FakeMachine;

TEST(SysInfoMachine, ProcessorOfTwoKnownCores) {
  FakeMachine machine;
  TMSysInfo info(machine.SourcesFor());
  EXPECT_EQ(info.cpuArchitecture(), 9);
  EXPECT_EQ(TMSysInfo::ArchitectureName(info.cpuArchitecture()), "AMD64");
  EXPECT_EQ(info.cpuType(), 8664);
  EXPECT_EQ(TMSysInfo::ProcessorTypeName(info.cpuType()), "x86-64");
  EXPECT_EQ(info.cpuNumber(), 2);
  EXPECT_EQ(info.cpuActiveMask(), 3u);
  EXPECT_EQ(info.cpuLevel(), 6);
  EXPECT_EQ(info.cpuRevision(), 158 * 256 + 10);
  EXPECT_EQ(info.cpuVendor(), "GenuineIntel");
  EXPECT_EQ(info.cpuVendorID(), "Intel64 Family 6 Model 158 Stepping 10");
  EXPECT_EQ(info.cpuModelName(), "Intel(R) Core(TM) i7-8700 CPU @ 3.20GHz");

  // 32-bit x86: the family chooses the type; 64 processors: only the low 32 bits of the mask.
  machine.Write("/proc/sys/kernel/arch", "i686\n");
  machine.Write("/proc/cpuinfo", "processor : 0\nvendor_id : AuthenticAMD\ncpu family : 5\nmodel : 8\nstepping : 12\n");
  machine.Write("/sys/devices/system/cpu/online", "0-31,40,48-63\n");
  machine.Write("/proc/self/status", "Cpus_allowed:\tffff0000,ffffffff\n");
  info.Refresh();
  EXPECT_EQ(info.cpuArchitecture(), 0);
  EXPECT_EQ(TMSysInfo::ArchitectureName(0), "INTEL");
  EXPECT_EQ(info.cpuType(), 586);
  EXPECT_EQ(TMSysInfo::ProcessorTypeName(586), "Pentium");
  EXPECT_EQ(info.cpuNumber(), 49);
  EXPECT_EQ(info.cpuActiveMask(), 0xFFFFFFFFu);
  EXPECT_EQ(info.cpuVendorID(), "x86 Family 5 Model 8 Stepping 12");
  EXPECT_EQ(info.osMaxApplicationAddress(), 0xBFFFFFFFu);

  // Not x86: no type, level or revision; the identifier is the model name.
  machine.Write("/proc/sys/kernel/arch", "aarch64\n");
  machine.Write("/proc/cpuinfo", "processor : 0\nBogoMIPS : 48.00\nmodel name : ARMv8 Processor rev 4 (v8l)\n");
  machine.Remove("/sys/devices/system/cpu/online");
  info.Refresh();
  EXPECT_EQ(TMSysInfo::ArchitectureName(info.cpuArchitecture()), "ARM64");
  EXPECT_EQ(info.cpuType(), 0);
  EXPECT_EQ(TMSysInfo::ProcessorTypeName(0), "?");
  EXPECT_EQ(info.cpuLevel(), 0);
  EXPECT_EQ(info.cpuRevision(), 0);
  EXPECT_EQ(info.cpuVendor(), "?");
  EXPECT_EQ(info.cpuVendorID(), "ARMv8 Processor rev 4 (v8l)");
  EXPECT_EQ(info.cpuNumber(), 1);  // counted in cpuinfo when sysfs has no list

  // Without /proc/cpuinfo the names keep what an earlier refresh found.
  machine.Remove("/proc/cpuinfo");
  info.Refresh();
  EXPECT_EQ(info.cpuVendorID(), "ARMv8 Processor rev 4 (v8l)");
  EXPECT_EQ(info.cpuVendor(), "?");
}

TEST(SysInfoMachine, MemoryInBytesBeyondFourGiB) {
  FakeMachine machine;
  TMSysInfo info(machine.SourcesFor());
  EXPECT_EQ(info.miTotalPhys(), 24LL << 30);
  EXPECT_EQ(info.miFreePhys(), 10LL << 30);
  EXPECT_EQ(info.miTotalPageFile(), 8LL << 30);
  EXPECT_EQ(info.miFreePageFile(), 6LL << 30);
  EXPECT_EQ(info.miFreeMem(), 42);  // load = round(100 x 14 / 24) = 58
  EXPECT_EQ(info.miTotalVirtual(), 0x800000000000LL);
  EXPECT_EQ(info.miFreeVirtual(), 0x800000000000LL - 10240 * 1024);
  EXPECT_EQ(info.osMinApplicationAddress(), 65536u);
  EXPECT_EQ(info.osMaxApplicationAddress(), 0x7FFFFFFFFFFFu);
  EXPECT_GT(info.miPageSize(), 0);
  EXPECT_EQ(info.miAllocationGranularity(), info.miPageSize());

  machine.Write("/proc/meminfo", "MemTotal: 1000 kB\nMemFree: 15 kB\n");  // no MemAvailable: the free figure
  info.Refresh();
  EXPECT_EQ(info.miFreePhys(), 15 * 1024);
  EXPECT_EQ(info.miFreeMem(), 1);  // a load of 98.5 % rounds to 99
  machine.Remove("/proc/meminfo");
  info.Refresh();
  EXPECT_EQ(info.miTotalPhys(), -1);
  EXPECT_EQ(info.miFreePageFile(), -1);
  EXPECT_EQ(info.miFreeMem(), -1);
}

TEST(SysInfoMachine, KernelAndDistribution) {
  FakeMachine machine;
  TMSysInfo info(machine.SourcesFor());
  EXPECT_EQ(info.osMajorVersion(), 6);
  EXPECT_EQ(info.osMinorVersion(), 1);
  EXPECT_EQ(info.osBuildNumber(), 0);
  EXPECT_EQ(info.osPlatformId(), 10);
  EXPECT_EQ(TMSysInfo::PlatformName(info.osPlatformId()), "Linux");
  EXPECT_EQ(info.osCSDVersion(), "#1 SMP PREEMPT_DYNAMIC Debian 6.1.119-1 (2024-11-22)");
  EXPECT_EQ(info.osVersionName(), "Debian GNU/Linux 12 (bookworm)");
  EXPECT_EQ(info.osSerial(), "0123456789abcdef0123456789abcdef");
  EXPECT_EQ(info.uiComputer(), "workstation");
  EXPECT_EQ(info.uiOrganization(), "?");

  machine.Write("/proc/sys/kernel/osrelease", "5.15.131070-rt\n");  // a build number past 16 bits
  machine.Write("/proc/sys/kernel/version", std::string(200, 'v') + "\n");
  machine.Write("/etc/os-release", "NAME=Other\n");  // a key without PRETTY_NAME
  machine.Remove("/etc/machine-id");
  info.Refresh();
  EXPECT_EQ(info.osBuildNumber(), 131070 & 0xFFFF);
  EXPECT_EQ(info.osCSDVersion(), std::string(128, 'v'));
  EXPECT_EQ(info.osVersionName(), "?");
  EXPECT_EQ(info.osSerial(), "0123456789abcdef0123456789abcdef");  // absent: kept

  machine.Remove("/etc/os-release");
  machine.Write("/usr/lib/os-release", "PRETTY_NAME='Fallback \"OS\"'\n");
  info.Refresh();
  EXPECT_EQ(info.osVersionName(), "Fallback \"OS\"");
  machine.Remove("/usr/lib/os-release");
  info.Refresh();
  EXPECT_EQ(info.osVersionName(), "Fallback \"OS\"");

  FakeMachine bare;  // absent from the start: empty, as before any refresh
  bare.Remove("/etc/os-release");
  bare.Remove("/etc/machine-id");
  bare.Remove("/proc/sys/kernel/hostname");
  TMSysInfo fresh(bare.SourcesFor());
  EXPECT_EQ(fresh.osVersionName(), "");
  EXPECT_EQ(fresh.osSerial(), "");
  EXPECT_EQ(fresh.uiComputer(), "?");
}

TEST(SysInfoMachine, UserWithAndWithoutFullName) {
  FakeMachine machine;
  TMSysInfo info(machine.SourcesFor());
  EXPECT_EQ(info.osUser(), "ann");
  EXPECT_EQ(info.uiOwner(), "Ann Example");

  const std::string longName = "a_login_name_well_beyond_thirty_characters";
  machine.Write("/etc/passwd", longName + ":x:4242:100::/home/x:/bin/sh\n");
  info.Refresh();
  EXPECT_EQ(info.osUser(), longName);  // the whole name, not 29 characters of it
  EXPECT_EQ(info.uiOwner(), "?");

  machine.Write("/etc/passwd", "other:x:1:1:Other:/:/bin/sh\n");
  info.Refresh();
  EXPECT_EQ(info.osUser(), ".Default");
  EXPECT_EQ(info.uiOwner(), "?");
}

TEST(SysInfoDevices, SoundCardAndNoSound) {
  FakeMachine machine;
  TMSysInfo info(machine.SourcesFor());
  EXPECT_EQ(info.sdSoundDevice(), "HDA Intel PCH at 0xf7f10000 irq 32");
  EXPECT_EQ(info.sdWaveOut(), "ALC3246 Analog v1.0");
  EXPECT_EQ(info.sdWaveIn(), "ALC3246 Analog v1.0");
  EXPECT_EQ(info.sdMIDIOut(), "Virtual Raw MIDI v1.0");
  EXPECT_EQ(info.sdMIDIIn(), "Virtual Raw MIDI v1.0");
  EXPECT_EQ(info.sdMixer(), "Realtek ALC3246 v1.0");
  EXPECT_EQ(info.sdAUX(), "");

  // Today's kernels give their own release as the version; no capture, no MIDI, no codec.
  machine.Write("/proc/asound/version", "Advanced Linux Sound Architecture Driver Version k6.1.0-28-amd64.\n");
  machine.Write("/proc/asound/pcm", "00-00: USB Audio : USB Audio : playback 1\n");
  machine.Remove("/proc/asound/card0");
  info.Refresh();
  EXPECT_EQ(info.sdWaveOut(), "USB Audio v6.1");
  EXPECT_EQ(info.sdWaveIn(), "");
  EXPECT_EQ(info.sdMIDIOut(), "");
  EXPECT_EQ(info.sdMixer(), "HDA Intel PCH v6.1");  // the card's short name

  machine.Write("/proc/asound/cards", "--- no soundcards ---\n");
  info.Refresh();
  EXPECT_EQ(info.sdSoundDevice(), "?");
  EXPECT_EQ(info.sdWaveOut(), "");
  EXPECT_EQ(info.sdMixer(), "");

  machine.Remove("/proc/asound");  // no ALSA: the card's name stays as it was
  info.Refresh();
  EXPECT_EQ(info.sdSoundDevice(), "?");
  EXPECT_EQ(info.sdWaveOut(), "");
  TMSysInfo fresh(machine.SourcesFor());
  EXPECT_EQ(fresh.sdSoundDevice(), "");
}

TEST(SysInfoDevices, MouseMonitorDisplayAndPrinter) {
  FakeMachine machine;
  TMSysInfo info(machine.SourcesFor());
  EXPECT_EQ(info.ppMouse(), "Logitech USB Optical Mouse");
  EXPECT_EQ(info.ppMonitor(), "DELL U2415");
  EXPECT_EQ(info.dsDisplayDevice(), "i915: Intel Corporation CoffeeLake-S GT2 [UHD Graphics 630]");
  EXPECT_EQ(info.ppPrinter(), "home");  // the default destination, which has no description

  machine.Write("/proc/bus/input/devices", "N: Name=\"Keyboard\"\nH: Handlers=kbd event0 mousedev\n");
  machine.Write("/sys/class/drm/card0-HDMI-A-1/edid", test::Edid(""));
  machine.Remove("/usr/share/misc/pci.ids");
  machine.printers = {{"office", "Office Laser", false}, {"lab", "", false}};
  TMSysInfo second(machine.SourcesFor());
  EXPECT_EQ(second.ppMouse(), "?");
  EXPECT_EQ(second.ppMonitor(), "DEL A0C2");
  EXPECT_EQ(second.dsDisplayDevice(), "i915");
  EXPECT_EQ(second.ppPrinter(), "Office Laser");  // no default: the first, by its description

  machine.Write("/sys/class/drm/card0-HDMI-A-1/edid", "not an EDID");
  machine.Remove("/sys/class/drm/card0/device/driver");
  machine.printers.clear();
  TMSysInfo third(machine.SourcesFor());
  EXPECT_EQ(third.ppMonitor(), "?");
  EXPECT_EQ(third.dsDisplayDevice(), "?");
  EXPECT_EQ(third.ppPrinter(), "?");
}

TEST(SysInfoDevices, PrintSystemThatDoesNotAnswer) {
  FakeMachine machine;
  auto sources = machine.SourcesFor(std::chrono::milliseconds(100));
  TMSysInfo info(sources);
  EXPECT_EQ(info.ppPrinter(), "home");
  auto gate = std::make_shared<std::promise<void>>();
  auto wait = gate->get_future().share();
  sources.printers = [wait]() -> std::optional<std::vector<PrinterDestination>> {
    wait.wait();
    return std::nullopt;
  };
  TMSysInfo stuck(sources);
  EXPECT_EQ(stuck.ppPrinter(), "");  // no answer: nothing known yet
  stuck.Refresh();                   // the query still hangs: no second one, no wait
  EXPECT_EQ(stuck.ppPrinter(), "");
  gate->set_value();
}

TEST(SysInfoProperties, WritesAreIgnoredButDiSign) {
  FakeMachine machine;
  TMSysInfo info(machine.SourcesFor());
  EXPECT_TRUE(info.SetProperty("cpuType", std::int64_t{486}));
  EXPECT_EQ(info.cpuType(), 8664);
  EXPECT_TRUE(info.SetProperty("osUser", std::string("mallory")));
  EXPECT_EQ(info.osUser(), "ann");
  EXPECT_TRUE(info.SetProperty("diAvailableDisks", std::string("Z")));
  EXPECT_EQ(info.diAvailableDisks(), "ACDEFG");
  EXPECT_FALSE(info.SetProperty("noSuchThing", std::int64_t{1}));

  EXPECT_TRUE(info.SetProperty("diSign", 'd'));
  EXPECT_EQ(info.diSign(), 'D');
  EXPECT_EQ(info.diMountPoint(), "/boot");
  EXPECT_TRUE(info.SetProperty("diSign", std::string("e")));
  EXPECT_EQ(std::get<char>(info.Property("diSign")), 'E');
  EXPECT_EQ(std::get<std::int64_t>(info.Property("diTotalSpace")), 8192000000);
  EXPECT_EQ(std::get<std::string>(info.Property("diVolumeLabel")), "STICK");

  // The order scripts see: published properties as declared, the extras after their group.
  const auto& all = Properties();
  ASSERT_EQ(all.size(), 60u);
  EXPECT_EQ(all.front().name, "About");
  EXPECT_EQ(all[12].name, "cpuModelName");
  EXPECT_EQ(all[46].name, "diDiskCount");
  EXPECT_EQ(all[47].name, "diSign");
  EXPECT_EQ(all[58].name, "diMountPoint");
  EXPECT_EQ(all.back().name, "diAvailableDisks");
  for (const auto& property : all) {
    EXPECT_EQ(property.perDrive, property.name != "diDiskCount" && property.name != "diAvailableDisks" &&
                                     property.name.substr(0, 2) == "di")
        << property.name;
  }
}

}  // namespace
}  // namespace parvex::sysinfo
