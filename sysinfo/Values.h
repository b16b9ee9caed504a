// Everything the collector gathers, one field per published property (named
// as the property is), plus the two facts shown beyond them: the processor's
// model name and the selected drive's mount point. Byte counts and addresses
// are 64-bit; masks and serial numbers unsigned.
#pragma once

#include <cstdint>
#include <string>

namespace parvex::sysinfo {

struct SysInfoValues {
  std::string About;
  std::string uiOrganization;
  std::string uiOwner;
  std::string uiComputer;
  std::uint16_t cpuArchitecture = 0;
  std::int32_t cpuType = 0;
  std::uint32_t cpuActiveMask = 0;
  std::int32_t cpuNumber = 0;
  std::uint16_t cpuLevel = 0;
  std::uint16_t cpuRevision = 0;
  std::string cpuVendor;
  std::string cpuVendorID;
  std::string cpuModelName;
  std::int32_t osMajorVersion = 0;
  std::int32_t osMinorVersion = 0;
  std::uint16_t osBuildNumber = 0;
  std::int32_t osPlatformId = 0;
  std::string osCSDVersion;
  std::uint64_t osMinApplicationAddress = 0;
  std::uint64_t osMaxApplicationAddress = 0;
  std::string osVersionName;
  std::string osUser;
  std::string osSerial;
  std::string dsDisplayDevice;
  std::int32_t dsScreenWidth = 0;
  std::int32_t dsScreenHeight = 0;
  std::int32_t dsResolution = 0;
  std::string sdSoundDevice;
  std::string sdWaveIn;
  std::string sdWaveOut;
  std::string sdMIDIIn;
  std::string sdMIDIOut;
  std::string sdAUX;
  std::string sdMixer;
  std::string ppMouse;
  std::string ppPrinter;
  std::string ppMonitor;
  std::int64_t miTotalPhys = 0;
  std::int64_t miFreePhys = 0;
  std::int64_t miTotalVirtual = 0;
  std::int64_t miFreeVirtual = 0;
  std::int64_t miTotalPageFile = 0;
  std::int64_t miFreePageFile = 0;
  std::int32_t miFreeMem = 0;
  std::int32_t miPageSize = 0;
  std::int32_t miAllocationGranularity = 0;
  std::uint16_t diDiskCount = 0;
  char diSign = 'C';
  std::int64_t diFreeSpace = 0;
  std::int64_t diTotalSpace = 0;
  bool diCompressed = false;
  std::int32_t diSectorsPerCluster = 0;
  std::int32_t diBytesPerSector = 0;
  std::int64_t diTotalClusters = 0;
  std::string diFileSystem;
  std::uint32_t diSerialNumber = 0;
  std::string diVolumeLabel;
  std::int32_t diMediaType = 0;
  std::string diMountPoint;
  std::string diAvailableDisks;
};

}  // namespace parvex::sysinfo
