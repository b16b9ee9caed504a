// The collector's refresh, its drive selection and its conversions.
#include "sysinfo/MSysInfo.h"

#include <unistd.h>

#include "sysinfo/Devices.h"
#include "sysinfo/Machine.h"
#include "sysinfo/Printers.h"
#include "sysinfo/TextFiles.h"
#include "sysinfo/Volume.h"

namespace parvex::sysinfo {
namespace {

constexpr const char* kAbout = "TMSysInfo: facts about this machine and its system, gathered for Parvex";
constexpr const char* kPrinterKey = "printers";

char UpperLetter(char letter) { return letter >= 'a' && letter <= 'z' ? static_cast<char>(letter - 'a' + 'A') : letter; }

}  // namespace

TMSysInfo::TMSysInfo(Sources sources)
    : sources_(std::move(sources)),
      driveQueries_(sources_.deadline),
      listQueries_(sources_.deadline),
      printerQueries_(sources_.deadline) {
  if (sources_.root.empty()) sources_.root = std::string("/");
  if (!sources_.printers) sources_.printers = &CupsDestinations;
  if (!sources_.fileSystem) sources_.fileSystem = &StatFileSystem;
  v_.diSign = 'C';
  v_.About = kAbout;
  Refresh();
}

void TMSysInfo::Refresh() {
  const std::string& root = sources_.root;
  // The print system may be slow: it is asked now and waited for at its turn.
  printerQueries_.Start(kPrinterKey, sources_.printers);
  const KernelFacts kernel = ReadKernel(root);
  const CpuFacts cpu = ReadCpuInfo(root);
  const UserFacts user = ReadUser(root, sources_.user.value_or(::getuid()));

  ReadMemory(root, kernel, v_);
  ReadProcessor(root, kernel, cpu, v_);
  ReadVersion(kernel, v_);
  v_.osUser = user.login.empty() ? ".Default" : user.login;
  const auto host = ReadLine(Under(root, "/proc/sys/kernel/hostname"));
  v_.uiComputer = host && !host->empty() ? *host : "?";

  const ScreenFacts screen = sources_.screen ? sources_.screen() : ScreenFacts{};
  v_.dsScreenWidth = screen.width;
  v_.dsScreenHeight = screen.height;
  v_.dsResolution = screen.depth;

  const SoundFacts sound = ReadSound(root);
  v_.sdWaveOut = sound.waveOut;
  v_.sdWaveIn = sound.waveIn;
  v_.sdMIDIOut = sound.midiOut;
  v_.sdMIDIIn = sound.midiIn;
  v_.sdAUX.clear();  // ALSA has no auxiliary device class
  v_.sdMixer = sound.mixer;

  ReadSystemIdentity(root, user, v_);
  ReadProcessorNames(kernel, cpu, v_);
  if (sound.alsa) v_.sdSoundDevice = sound.card.value_or("?");
  if (const auto printers = printerQueries_.Get(kPrinterKey, sources_.printers)) {
    v_.ppPrinter = ChoosePrinter(*printers);
  }
  v_.ppMonitor = MonitorName(root);
  v_.ppMouse = MouseName(root);
  v_.dsDisplayDevice = DisplayDevice(root);

  drives_ = ListDrives(root, [this](const std::string& dir) {
    return listQueries_.Get(dir, [dir] { return std::optional(DirectoryNames(dir)); });
  });
  v_.diAvailableDisks.clear();
  for (const auto& drive : drives_) v_.diAvailableDisks += drive.letter;
  v_.diDiskCount = static_cast<std::uint16_t>(drives_.size());

  setDiSign(v_.diSign);
}

void TMSysInfo::setDiSign(char letter) {
  v_.diSign = UpperLetter(letter);
  const Drive* drive = FindDrive(v_.diSign);
  v_.diMediaType = drive != nullptr ? drive->type : kDriveNoRoot;
  v_.diMountPoint = drive != nullptr ? drive->mountPoint : "";

  VolumeFacts facts;
  if (drive != nullptr && !drive->mountPoint.empty()) {
    facts = DescribeVolume(sources_.root, *drive, AskDrive(*drive));
  }
  v_.diCompressed = facts.compressed;
  v_.diTotalSpace = facts.totalSpace;
  v_.diFreeSpace = facts.freeSpace;
  v_.diSectorsPerCluster = facts.sectorsPerCluster;
  v_.diBytesPerSector = facts.bytesPerSector;
  v_.diTotalClusters = facts.totalClusters;
  v_.diFileSystem = facts.fileSystem;
  v_.diSerialNumber = facts.serial;
  v_.diVolumeLabel = facts.label;
}

void TMSysInfo::ProbeDrivesAhead() {
  for (const auto& drive : drives_) ProbeAhead(drive);
}

void TMSysInfo::ProbeDriveAhead(char letter) {
  if (const Drive* drive = FindDrive(UpperLetter(letter))) ProbeAhead(*drive);
}

void TMSysInfo::ProbeAhead(const Drive& drive) {
  if (!drive.mayHang || drive.mountPoint.empty()) return;
  const std::string path = Under(sources_.root, drive.mountPoint);
  driveQueries_.Start(path, [query = sources_.fileSystem, path] { return query(path); });
}

bool TMSysInfo::DrivesAnswering() const {
  for (const auto& drive : drives_) {
    if (drive.mayHang && !drive.mountPoint.empty() && driveQueries_.Waiting(Under(sources_.root, drive.mountPoint)))
      return true;
  }
  return false;
}

std::optional<FileSystemStats> TMSysInfo::AskDrive(const Drive& drive) {
  const std::string path = Under(sources_.root, drive.mountPoint);
  if (!drive.mayHang) return sources_.fileSystem(path);
  return driveQueries_.Get(path, [query = sources_.fileSystem, path] { return query(path); });
}

const Drive* TMSysInfo::FindDrive(char letter) const {
  for (const auto& drive : drives_) {
    if (drive.letter == letter) return &drive;
  }
  return nullptr;
}

PropertyValue TMSysInfo::Property(std::string_view name) const {
  const PropertyInfo* property = FindProperty(name);
  return property != nullptr ? property->get(v_) : PropertyValue(std::string());
}

bool TMSysInfo::SetProperty(std::string_view name, const PropertyValue& value) {
  if (FindProperty(name) == nullptr) return false;
  if (name != "diSign") return true;  // gathered values are never replaced from outside
  if (const char* letter = std::get_if<char>(&value)) {
    setDiSign(*letter);
  } else if (const auto* text = std::get_if<std::string>(&value); text != nullptr && text->size() == 1) {
    setDiSign((*text)[0]);
  }
  return true;
}

std::string TMSysInfo::ArchitectureName(std::uint16_t code) {
  switch (code) {
    case 0: return "INTEL";
    case 1: return "MIPS";
    case 2: return "ALPHA";
    case 3: return "PPC";
    case 5: return "ARM";
    case 6: return "IA64";
    case 9: return "AMD64";
    case 12: return "ARM64";
    default: return "?";
  }
}

std::string TMSysInfo::ProcessorTypeName(std::int32_t number) {
  switch (number) {
    case 386: return "386";
    case 486: return "486";
    case 586: return "Pentium";
    case 686: return "Klamath";
    case 4000: return "MIPS R4000";
    case 8664: return "x86-64";
    case 21064: return "Alpha 21064";
    default: return "?";
  }
}

std::string TMSysInfo::PlatformName(std::int32_t id) {
  switch (id) {
    case 0: return "MS Windows 3.1x";
    case 1: return "MS Windows 95";
    case 2: return "MS Windows NT";
    case 10: return "Linux";
    default: return "?";
  }
}

std::string TMSysInfo::MediaTypeName(char letter, std::int32_t type) const {
  switch (type) {
    case kDriveRemovable: return "Removable";
    case kDriveFixed: return "Fixed";
    case kDriveNetwork: {
      const Drive* drive = FindDrive(UpperLetter(letter));
      if (drive == nullptr || drive->type != kDriveNetwork || drive->source.empty()) {
        return std::string("Network = ") + letter + ":\\";
      }
      const bool slash = drive->source.back() == '/';
      return "Network = " + drive->source + (slash ? "" : "/");
    }
    case kDriveOptical: return "CD-ROM";
    case kDriveRam: return "RAM";
    default: return "?";
  }
}

}  // namespace parvex::sysinfo
