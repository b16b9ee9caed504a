// The machine's own facts: kernel, processor, memory and the user, read from
// /proc, /sys and /etc below a root directory.
#pragma once

#include <sys/types.h>

#include <cstdint>
#include <optional>
#include <string>

#include "sysinfo/Values.h"

namespace parvex::sysinfo {

// What uname tells, from /proc/sys/kernel (the machine name falls back to
// uname's when the kernel has no "arch" entry there).
struct KernelFacts {
  std::string machine;  // x86_64, aarch64, i686
  std::string release;  // 6.1.0-28-amd64
  std::string version;  // #1 SMP PREEMPT_DYNAMIC Debian 6.1.119-1 (2024-11-22)
};
KernelFacts ReadKernel(const std::string& root);

// The first processor of /proc/cpuinfo.
struct CpuFacts {
  bool present = false;  // the file could be read
  std::string vendor;    // vendor_id, "" when none
  std::string modelName;
  std::optional<unsigned> family, model, stepping;
  int processors = 0;    // entries in the file
};
CpuFacts ReadCpuInfo(const std::string& root);

// The password entry of a user.
struct UserFacts {
  bool found = false;
  std::string login;
  std::string fullName;  // the first comma field of the GECOS field
};
UserFacts ReadUser(const std::string& root, uid_t uid);

// Architecture codes from the machine name: i386-i686 0, mips 1, alpha 2,
// ppc 3, arm 5, ia64 6, x86_64 9, aarch64 12, otherwise 65535.
std::uint16_t ArchitectureCode(const std::string& machine);

// The highest address a user process can use on this architecture, 0 when unknown.
std::uint64_t HighestUserAddress(const std::string& machine);

// Refresh step by step, each filling its properties.
void ReadMemory(const std::string& root, const KernelFacts& kernel, SysInfoValues& values);
void ReadProcessor(const std::string& root, const KernelFacts& kernel, const CpuFacts& cpu, SysInfoValues& values);
void ReadVersion(const KernelFacts& kernel, SysInfoValues& values);
// Organisation, owner, the distribution's name and the machine id.
void ReadSystemIdentity(const std::string& root, const UserFacts& user, SysInfoValues& values);
// Vendor, identifier and model name of the processor; kept when /proc/cpuinfo is absent.
void ReadProcessorNames(const KernelFacts& kernel, const CpuFacts& cpu, SysInfoValues& values);

// The value of a `key` in an os-release text, its quotes and escapes removed.
std::optional<std::string> OsReleaseValue(const std::string& text, const std::string& key);

}  // namespace parvex::sysinfo
