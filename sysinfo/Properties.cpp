// The table of properties (see Properties.h).
#include "sysinfo/Properties.h"

namespace parvex::sysinfo {
namespace {

PropertyValue Of(const std::string& text) { return text; }
PropertyValue Of(std::int64_t number) { return number; }
PropertyValue Of(std::int32_t number) { return std::int64_t{number}; }
PropertyValue Of(std::uint64_t number) { return number; }
PropertyValue Of(std::uint32_t number) { return std::uint64_t{number}; }
PropertyValue Of(std::uint16_t number) { return std::uint64_t{number}; }
PropertyValue Of(bool flag) { return flag; }
PropertyValue Of(char letter) { return letter; }

#define PARVEX_PROPERTY(field, perDrive, extra) \
  PropertyInfo { #field, perDrive, extra, [](const SysInfoValues& v) { return Of(v.field); } }

}  // namespace

const std::vector<PropertyInfo>& Properties() {
  static const std::vector<PropertyInfo> kProperties = {
      PARVEX_PROPERTY(About, false, false),
      PARVEX_PROPERTY(uiOrganization, false, false),
      PARVEX_PROPERTY(uiOwner, false, false),
      PARVEX_PROPERTY(uiComputer, false, false),
      PARVEX_PROPERTY(cpuArchitecture, false, false),
      PARVEX_PROPERTY(cpuType, false, false),
      PARVEX_PROPERTY(cpuActiveMask, false, false),
      PARVEX_PROPERTY(cpuNumber, false, false),
      PARVEX_PROPERTY(cpuLevel, false, false),
      PARVEX_PROPERTY(cpuRevision, false, false),
      PARVEX_PROPERTY(cpuVendor, false, false),
      PARVEX_PROPERTY(cpuVendorID, false, false),
      PARVEX_PROPERTY(cpuModelName, false, true),
      PARVEX_PROPERTY(osMajorVersion, false, false),
      PARVEX_PROPERTY(osMinorVersion, false, false),
      PARVEX_PROPERTY(osBuildNumber, false, false),
      PARVEX_PROPERTY(osPlatformId, false, false),
      PARVEX_PROPERTY(osCSDVersion, false, false),
      PARVEX_PROPERTY(osMinApplicationAddress, false, false),
      PARVEX_PROPERTY(osMaxApplicationAddress, false, false),
      PARVEX_PROPERTY(osVersionName, false, false),
      PARVEX_PROPERTY(osUser, false, false),
      PARVEX_PROPERTY(osSerial, false, false),
      PARVEX_PROPERTY(dsDisplayDevice, false, false),
      PARVEX_PROPERTY(dsScreenWidth, false, false),
      PARVEX_PROPERTY(dsScreenHeight, false, false),
      PARVEX_PROPERTY(dsResolution, false, false),
      PARVEX_PROPERTY(sdSoundDevice, false, false),
      PARVEX_PROPERTY(sdWaveIn, false, false),
      PARVEX_PROPERTY(sdWaveOut, false, false),
      PARVEX_PROPERTY(sdMIDIIn, false, false),
      PARVEX_PROPERTY(sdMIDIOut, false, false),
      PARVEX_PROPERTY(sdAUX, false, false),
      PARVEX_PROPERTY(sdMixer, false, false),
      PARVEX_PROPERTY(ppMouse, false, false),
      PARVEX_PROPERTY(ppPrinter, false, false),
      PARVEX_PROPERTY(ppMonitor, false, false),
      PARVEX_PROPERTY(miTotalPhys, false, false),
      PARVEX_PROPERTY(miFreePhys, false, false),
      PARVEX_PROPERTY(miTotalVirtual, false, false),
      PARVEX_PROPERTY(miFreeVirtual, false, false),
      PARVEX_PROPERTY(miTotalPageFile, false, false),
      PARVEX_PROPERTY(miFreePageFile, false, false),
      PARVEX_PROPERTY(miFreeMem, false, false),
      PARVEX_PROPERTY(miPageSize, false, false),
      PARVEX_PROPERTY(miAllocationGranularity, false, false),
      PARVEX_PROPERTY(diDiskCount, false, false),
      PARVEX_PROPERTY(diSign, true, false),
      PARVEX_PROPERTY(diFreeSpace, true, false),
      PARVEX_PROPERTY(diTotalSpace, true, false),
      PARVEX_PROPERTY(diCompressed, true, false),
      PARVEX_PROPERTY(diSectorsPerCluster, true, false),
      PARVEX_PROPERTY(diBytesPerSector, true, false),
      PARVEX_PROPERTY(diTotalClusters, true, false),
      PARVEX_PROPERTY(diFileSystem, true, false),
      PARVEX_PROPERTY(diSerialNumber, true, false),
      PARVEX_PROPERTY(diVolumeLabel, true, false),
      PARVEX_PROPERTY(diMediaType, true, false),
      PARVEX_PROPERTY(diMountPoint, true, true),
      PARVEX_PROPERTY(diAvailableDisks, false, false),
  };
  return kProperties;
}

const PropertyInfo* FindProperty(std::string_view name) {
  for (const auto& property : Properties()) {
    if (property.name == name) return &property;
  }
  return nullptr;
}

}  // namespace parvex::sysinfo
