// TMSysInfo: gathers facts about the machine and the operating system into a
// flat set of properties (user, processor, system version, display, sound,
// pointing device, printer, monitor, memory, drives). It gathers everything
// when it is made and again at each Refresh, and reads one drive whenever
// diSign is written. No failure reaches the caller: a source that cannot be
// read leaves a fixed value ("?", -1, empty) or keeps the previous one.
//
// All files are read below one root directory (normally "/"); the screen, the
// printers and the drives' file-system queries come through the seams of
// Sources. No Qt here.
//
// Thread safety: use an object from one thread. Drives that may not answer
// (network, removable, optical, FUSE) and the print system are asked on worker
// threads and waited for no longer than Sources::deadline each.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "sysinfo/DeadlineQueries.h"
#include "sysinfo/Drives.h"
#include "sysinfo/Properties.h"
#include "sysinfo/Sources.h"
#include "sysinfo/Values.h"

namespace parvex::sysinfo {

class TMSysInfo {
 public:
  // diSign becomes C, About gets its text, then Refresh runs.
  explicit TMSysInfo(Sources sources = {});
  TMSysInfo(const TMSysInfo&) = delete;
  TMSysInfo& operator=(const TMSysInfo&) = delete;

  // Gathers all values again and at the end re-reads the drive diSign names.
  void Refresh();

  // Starts reading every drive that may not answer, all at once, and returns.
  // A selection in the next moments (a deadline) takes that reading, so a tree
  // of all drives with several dead ones waits one deadline, not one per drive.
  void ProbeDrivesAhead();
  // The same for one drive (nothing for a letter without such a drive).
  void ProbeDriveAhead(char letter);
  // True while a drive probed ahead has neither answered nor run past its
  // deadline. Once it is false, selecting any drive returns without waiting
  // (a drive that never probes ahead, fixed or RAM, is asked directly).
  bool DrivesAnswering() const;

  // The published properties, in their order of declaration.
  const std::string& About() const { return v_.About; }
  const std::string& uiOrganization() const { return v_.uiOrganization; }
  const std::string& uiOwner() const { return v_.uiOwner; }
  const std::string& uiComputer() const { return v_.uiComputer; }
  std::uint16_t cpuArchitecture() const { return v_.cpuArchitecture; }
  std::int32_t cpuType() const { return v_.cpuType; }
  std::uint32_t cpuActiveMask() const { return v_.cpuActiveMask; }
  std::int32_t cpuNumber() const { return v_.cpuNumber; }
  std::uint16_t cpuLevel() const { return v_.cpuLevel; }
  std::uint16_t cpuRevision() const { return v_.cpuRevision; }
  const std::string& cpuVendor() const { return v_.cpuVendor; }
  const std::string& cpuVendorID() const { return v_.cpuVendorID; }
  std::int32_t osMajorVersion() const { return v_.osMajorVersion; }
  std::int32_t osMinorVersion() const { return v_.osMinorVersion; }
  std::uint16_t osBuildNumber() const { return v_.osBuildNumber; }
  std::int32_t osPlatformId() const { return v_.osPlatformId; }
  const std::string& osCSDVersion() const { return v_.osCSDVersion; }
  std::uint64_t osMinApplicationAddress() const { return v_.osMinApplicationAddress; }
  std::uint64_t osMaxApplicationAddress() const { return v_.osMaxApplicationAddress; }
  const std::string& osVersionName() const { return v_.osVersionName; }
  const std::string& osUser() const { return v_.osUser; }
  const std::string& osSerial() const { return v_.osSerial; }
  const std::string& dsDisplayDevice() const { return v_.dsDisplayDevice; }
  std::int32_t dsScreenWidth() const { return v_.dsScreenWidth; }
  std::int32_t dsScreenHeight() const { return v_.dsScreenHeight; }
  std::int32_t dsResolution() const { return v_.dsResolution; }
  const std::string& sdSoundDevice() const { return v_.sdSoundDevice; }
  const std::string& sdWaveIn() const { return v_.sdWaveIn; }
  const std::string& sdWaveOut() const { return v_.sdWaveOut; }
  const std::string& sdMIDIIn() const { return v_.sdMIDIIn; }
  const std::string& sdMIDIOut() const { return v_.sdMIDIOut; }
  const std::string& sdAUX() const { return v_.sdAUX; }
  const std::string& sdMixer() const { return v_.sdMixer; }
  const std::string& ppMouse() const { return v_.ppMouse; }
  const std::string& ppPrinter() const { return v_.ppPrinter; }
  const std::string& ppMonitor() const { return v_.ppMonitor; }
  std::int64_t miTotalPhys() const { return v_.miTotalPhys; }
  std::int64_t miFreePhys() const { return v_.miFreePhys; }
  std::int64_t miTotalVirtual() const { return v_.miTotalVirtual; }
  std::int64_t miFreeVirtual() const { return v_.miFreeVirtual; }
  std::int64_t miTotalPageFile() const { return v_.miTotalPageFile; }
  std::int64_t miFreePageFile() const { return v_.miFreePageFile; }
  std::int32_t miFreeMem() const { return v_.miFreeMem; }
  std::int32_t miPageSize() const { return v_.miPageSize; }
  std::int32_t miAllocationGranularity() const { return v_.miAllocationGranularity; }
  std::uint16_t diDiskCount() const { return v_.diDiskCount; }
  char diSign() const { return v_.diSign; }
  // Selects a drive (a to z taken as upper case) and reads it: diMediaType
  // first, whatever follows, then the sizes, file system, serial and label.
  void setDiSign(char letter);
  std::int64_t diFreeSpace() const { return v_.diFreeSpace; }
  std::int64_t diTotalSpace() const { return v_.diTotalSpace; }
  bool diCompressed() const { return v_.diCompressed; }
  std::int32_t diSectorsPerCluster() const { return v_.diSectorsPerCluster; }
  std::int32_t diBytesPerSector() const { return v_.diBytesPerSector; }
  std::int64_t diTotalClusters() const { return v_.diTotalClusters; }
  const std::string& diFileSystem() const { return v_.diFileSystem; }
  std::uint32_t diSerialNumber() const { return v_.diSerialNumber; }
  const std::string& diVolumeLabel() const { return v_.diVolumeLabel; }
  std::int32_t diMediaType() const { return v_.diMediaType; }
  const std::string& diAvailableDisks() const { return v_.diAvailableDisks; }

  // Shown beyond the properties: the processor's model name, and the mount
  // point of the selected drive ("" when nothing is mounted there).
  const std::string& cpuModelName() const { return v_.cpuModelName; }
  const std::string& diMountPoint() const { return v_.diMountPoint; }

  // Any property by name (see Properties()); an unknown name gives "".
  PropertyValue Property(std::string_view name) const;
  // A write of a property as a stored description would make it: every
  // property but diSign ignores it; diSign (a Char, or a text of one
  // character) selects that drive. False for an unknown name.
  bool SetProperty(std::string_view name, const PropertyValue& value);

  const SysInfoValues& Values() const { return v_; }
  const std::string& Root() const { return sources_.root; }

  // Conversions to text for the window. Codes beyond the tables give "?".
  static std::string ArchitectureName(std::uint16_t code);
  static std::string ProcessorTypeName(std::int32_t number);
  static std::string PlatformName(std::int32_t id);
  // For a network drive (type 4): "Network = " and its remote name, the mount
  // source followed by "/" ("Network = //server/share/"); for a letter that
  // has no network connection, the letter followed by ":\".
  std::string MediaTypeName(char letter, std::int32_t type) const;

 private:
  const Drive* FindDrive(char letter) const;
  void ProbeAhead(const Drive& drive);
  std::optional<FileSystemStats> AskDrive(const Drive& drive);

  Sources sources_;
  SysInfoValues v_;
  std::vector<Drive> drives_;
  DeadlineQueries<FileSystemStats> driveQueries_;
  DeadlineQueries<std::vector<std::string>> listQueries_;
  DeadlineQueries<std::vector<PrinterDestination>> printerQueries_;
};

}  // namespace parvex::sysinfo
