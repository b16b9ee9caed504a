// Kernel, processor, memory and user facts (see Machine.h).
#include "sysinfo/Machine.h"

#include <pwd.h>
#include <sys/utsname.h>
#include <unistd.h>

#include <cmath>
#include <vector>

#include "sysinfo/TextFiles.h"

namespace parvex::sysinfo {
namespace {

constexpr std::int32_t kLinuxPlatformId = 10;
constexpr std::int32_t kX8664Type = 8664;
constexpr std::size_t kMaxVersionText = 128;

bool IsX86_32(const std::string& machine) {
  return machine.size() == 4 && machine[0] == 'i' && machine[1] >= '3' && machine[1] <= '6' &&
         machine.compare(2, 2, "86") == 0;
}
bool IsX86(const std::string& machine) { return machine == "x86_64" || IsX86_32(machine); }

// A "kB" figure of /proc/meminfo or /proc/self/status in bytes.
std::optional<std::int64_t> KilobyteField(const std::string& text, const std::string& key) {
  const auto value = FieldValue(text, key, ':');
  if (!value) return std::nullopt;
  std::size_t used = 0;
  const auto kilobytes = LeadingNumber(*value, &used);
  if (used == 0) return std::nullopt;
  return static_cast<std::int64_t>(kilobytes * 1024);
}

// Counts the processors of a sysfs list such as "0-3,6,8-9".
int CountCpuList(const std::string& list) {
  int count = 0;
  std::string_view rest = Trim(list);
  while (!rest.empty()) {
    const auto comma = rest.find(',');
    const auto range = rest.substr(0, comma);
    std::size_t used = 0;
    const auto first = LeadingNumber(range, &used);
    if (used == 0) return 0;
    auto last = first;
    if (used < range.size() && range[used] == '-') last = LeadingNumber(range.substr(used + 1));
    if (last >= first) count += static_cast<int>(last - first + 1);
    if (comma == std::string_view::npos) break;
    rest.remove_prefix(comma + 1);
  }
  return count;
}

std::string FirstLineOf(const std::optional<std::string>& text) {
  if (!text) return std::string();
  return std::string(Trim(std::string_view(*text).substr(0, text->find('\n'))));
}

}  // namespace

KernelFacts ReadKernel(const std::string& root) {
  KernelFacts kernel;
  kernel.release = FirstLineOf(ReadText(Under(root, "/proc/sys/kernel/osrelease")));
  kernel.version = FirstLineOf(ReadText(Under(root, "/proc/sys/kernel/version")));
  kernel.machine = FirstLineOf(ReadText(Under(root, "/proc/sys/kernel/arch")));
  if (kernel.machine.empty()) {
    struct utsname names {};
    if (::uname(&names) == 0) kernel.machine = names.machine;
  }
  return kernel;
}

CpuFacts ReadCpuInfo(const std::string& root) {
  CpuFacts cpu;
  const auto text = ReadText(Under(root, "/proc/cpuinfo"));
  if (!text) return cpu;
  cpu.present = true;
  bool first = true;
  for (const auto line : Lines(*text)) {
    const auto colon = line.find(':');
    if (colon == std::string_view::npos) continue;
    const auto key = Trim(line.substr(0, colon));
    const std::string value(Trim(line.substr(colon + 1)));
    if (key == "processor") {
      first = ++cpu.processors == 1;
      continue;
    }
    if (!first) continue;
    std::size_t used = 0;
    const auto number = static_cast<unsigned>(LeadingNumber(value, &used));
    if (key == "vendor_id" && cpu.vendor.empty()) cpu.vendor = value;
    else if (key == "cpu family" && used > 0) cpu.family = number;
    else if (key == "model" && used > 0) cpu.model = number;
    else if (key == "stepping" && used > 0) cpu.stepping = number;
    else if ((key == "model name" || key == "Processor" || key == "cpu model") && cpu.modelName.empty()) {
      cpu.modelName = value;
    }
  }
  return cpu;
}

UserFacts ReadUser(const std::string& root, uid_t uid) {
  UserFacts user;
  const std::string passwd = ReadText(Under(root, "/etc/passwd")).value_or("");
  for (const auto line : Lines(passwd)) {
    // name:password:uid:gid:gecos:home:shell
    std::vector<std::string_view> fields;
    std::string_view rest = line;
    for (std::size_t colon; (colon = rest.find(':')) != std::string_view::npos && fields.size() < 6;) {
      fields.push_back(rest.substr(0, colon));
      rest.remove_prefix(colon + 1);
    }
    fields.push_back(rest);
    std::size_t used = 0;
    if (fields.size() < 5 || LeadingNumber(fields[2], &used) != uid || used == 0 || used != fields[2].size()) continue;
    user.found = true;
    user.login = std::string(fields[0]);
    user.fullName = std::string(Trim(fields[4].substr(0, fields[4].find(','))));
    return user;
  }
  if (root != "/") return user;
  // Users from a directory service have no line in /etc/passwd.
  std::vector<char> buffer(16384);
  struct passwd entry {};
  struct passwd* result = nullptr;
  if (::getpwuid_r(uid, &entry, buffer.data(), buffer.size(), &result) == 0 && result != nullptr) {
    user.found = true;
    user.login = entry.pw_name != nullptr ? entry.pw_name : "";
    const std::string gecos = entry.pw_gecos != nullptr ? entry.pw_gecos : "";
    user.fullName = std::string(Trim(std::string_view(gecos).substr(0, gecos.find(','))));
  }
  return user;
}

std::uint16_t ArchitectureCode(const std::string& machine) {
  if (IsX86_32(machine)) return 0;
  if (StartsWith(machine, "mips")) return 1;
  if (StartsWith(machine, "alpha")) return 2;
  if (StartsWith(machine, "ppc")) return 3;
  if (machine == "aarch64" || machine == "arm64") return 12;
  if (StartsWith(machine, "arm")) return 5;
  if (machine == "ia64") return 6;
  if (machine == "x86_64") return 9;
  return 65535;
}

std::uint64_t HighestUserAddress(const std::string& machine) {
  if (machine == "x86_64" || StartsWith(machine, "ppc64")) return 0x7FFFFFFFFFFFull;
  if (machine == "aarch64" || machine == "arm64") return 0xFFFFFFFFFFFFull;
  if (IsX86_32(machine) || StartsWith(machine, "arm")) return 0xBFFFFFFFull;  // the usual 3 GiB split
  return 0;
}

void ReadMemory(const std::string& root, const KernelFacts& kernel, SysInfoValues& values) {
  const auto meminfo = ReadText(Under(root, "/proc/meminfo")).value_or("");
  const auto total = KilobyteField(meminfo, "MemTotal");
  auto available = KilobyteField(meminfo, "MemAvailable");
  if (!available) available = KilobyteField(meminfo, "MemFree");  // kernels before 3.14
  values.miTotalPhys = total.value_or(-1);
  values.miFreePhys = available.value_or(-1);
  values.miTotalPageFile = KilobyteField(meminfo, "SwapTotal").value_or(-1);
  values.miFreePageFile = KilobyteField(meminfo, "SwapFree").value_or(-1);
  if (total && available && *total > 0) {
    const double load = std::round(100.0 * static_cast<double>(*total - *available) / static_cast<double>(*total));
    values.miFreeMem = 100 - static_cast<std::int32_t>(load);
  } else {
    values.miFreeMem = -1;
  }
  const auto highest = HighestUserAddress(kernel.machine);
  const std::int64_t space = highest == 0 ? -1 : static_cast<std::int64_t>(highest + 1);
  const auto used = KilobyteField(ReadText(Under(root, "/proc/self/status")).value_or(""), "VmSize");
  values.miTotalVirtual = space;
  values.miFreeVirtual = space < 0 ? -1 : space - used.value_or(0);
}

void ReadProcessor(const std::string& root, const KernelFacts& kernel, const CpuFacts& cpu, SysInfoValues& values) {
  values.cpuArchitecture = ArchitectureCode(kernel.machine);
  const long page = ::sysconf(_SC_PAGESIZE);
  values.miPageSize = page > 0 ? static_cast<std::int32_t>(page) : 4096;
  values.miAllocationGranularity = values.miPageSize;
  const auto minimum = ReadText(Under(root, "/proc/sys/vm/mmap_min_addr"));
  values.osMinApplicationAddress = minimum ? LeadingNumber(Trim(*minimum)) : 0;
  values.osMaxApplicationAddress = HighestUserAddress(kernel.machine);

  // Cpus_allowed is the affinity mask in groups of 32 bits, the lowest last.
  const auto allowed = FieldValue(ReadText(Under(root, "/proc/self/status")).value_or(""), "Cpus_allowed", ':');
  const std::string lowest = allowed ? allowed->substr(allowed->rfind(',') + 1) : "";
  values.cpuActiveMask = static_cast<std::uint32_t>(ParseHex(lowest).value_or(0));
  const auto online = ReadText(Under(root, "/sys/devices/system/cpu/online"));
  values.cpuNumber = online ? CountCpuList(*online) : 0;
  if (values.cpuNumber == 0) values.cpuNumber = cpu.processors;

  if (kernel.machine == "x86_64") {
    values.cpuType = kX8664Type;
  } else if (IsX86_32(kernel.machine)) {
    const unsigned family = cpu.family.value_or(static_cast<unsigned>(kernel.machine[1] - '0'));
    values.cpuType = family <= 3 ? 386 : family == 4 ? 486 : 586;
  } else {
    values.cpuType = 0;
  }
  const bool x86 = IsX86(kernel.machine);
  values.cpuLevel = x86 ? static_cast<std::uint16_t>(cpu.family.value_or(0)) : 0;
  values.cpuRevision =
      x86 ? static_cast<std::uint16_t>(((cpu.model.value_or(0) & 0xFF) << 8) | (cpu.stepping.value_or(0) & 0xFF)) : 0;
}

void ReadVersion(const KernelFacts& kernel, SysInfoValues& values) {
  std::uint64_t parts[3] = {0, 0, 0};
  std::string_view rest = kernel.release;
  for (auto& part : parts) {
    std::size_t used = 0;
    part = LeadingNumber(rest, &used);
    if (used == 0 || used >= rest.size() || rest[used] != '.') break;
    rest.remove_prefix(used + 1);
  }
  values.osMajorVersion = static_cast<std::int32_t>(parts[0] & 0x7FFFFFFF);
  values.osMinorVersion = static_cast<std::int32_t>(parts[1] & 0x7FFFFFFF);
  values.osBuildNumber = static_cast<std::uint16_t>(parts[2] & 0xFFFF);
  values.osPlatformId = kLinuxPlatformId;
  values.osCSDVersion = kernel.version.substr(0, kMaxVersionText);
}

std::optional<std::string> OsReleaseValue(const std::string& text, const std::string& key) {
  for (const auto line : Lines(text)) {
    const auto trimmed = Trim(line);
    const auto equals = trimmed.find('=');
    if (equals == std::string_view::npos || trimmed.substr(0, equals) != key) continue;
    std::string_view raw = trimmed.substr(equals + 1);
    std::string value;
    const char quote = !raw.empty() && (raw.front() == '"' || raw.front() == '\'') ? raw.front() : 0;
    if (quote != 0) raw.remove_prefix(1);
    for (std::size_t i = 0; i < raw.size(); ++i) {
      if (quote != 0 && raw[i] == quote) break;
      if (raw[i] == '\\' && quote != '\'' && i + 1 < raw.size()) ++i;
      value += raw[i];
    }
    return value;
  }
  return std::nullopt;
}

void ReadSystemIdentity(const std::string& root, const UserFacts& user, SysInfoValues& values) {
  values.uiOrganization = std::string("?");  // Linux keeps no registered organisation
  values.uiOwner = user.fullName.empty() ? "?" : user.fullName;
  auto release = ReadText(Under(root, "/etc/os-release"));
  if (!release) release = ReadText(Under(root, "/usr/lib/os-release"));
  if (release) {
    const auto name = OsReleaseValue(*release, "PRETTY_NAME");
    values.osVersionName = name && !name->empty() ? *name : "?";
  }
  if (const auto id = ReadText(Under(root, "/etc/machine-id"))) {
    const std::string line = FirstLineOf(id);
    values.osSerial = line.empty() ? "?" : line;
  }
}

void ReadProcessorNames(const KernelFacts& kernel, const CpuFacts& cpu, SysInfoValues& values) {
  if (!cpu.present) return;
  values.cpuVendor = cpu.vendor.empty() ? "?" : cpu.vendor;
  values.cpuModelName = cpu.modelName.empty() ? "?" : cpu.modelName;
  if (IsX86(kernel.machine)) {
    const std::string arch = IsX86_32(kernel.machine) ? "x86" : cpu.vendor == "GenuineIntel" ? "Intel64" : "AMD64";
    values.cpuVendorID = cpu.family && cpu.model && cpu.stepping
                             ? arch + " Family " + std::to_string(*cpu.family) + " Model " +
                                   std::to_string(*cpu.model) + " Stepping " + std::to_string(*cpu.stepping)
                             : "?";
  } else {
    values.cpuVendorID = values.cpuModelName;
  }
}

}  // namespace parvex::sysinfo
