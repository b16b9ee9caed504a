// The rows of each page of the System Information window, their number
// formats, the font list and the date-and-time text.
#include "windows/Un_SysInfoPages.h"

#include <langinfo.h>
#include <locale.h>

#include <QFontDatabase>
#include <QLocale>
#include <QRegularExpression>
#include <algorithm>
#include <ctime>

#include "sysinfo/MSysInfo.h"

namespace SysInfoPages {
namespace {

using parvex::sysinfo::TMSysInfo;

QString Text(const std::string& text) { return QString::fromUtf8(text.data(), qsizetype(text.size())); }
QString Decimal(std::int64_t value) { return QString::number(value); }
QString Bytes(std::int64_t value) { return FormatNumber(value, QStringLiteral(" B")); }
QString Count(std::int64_t value) { return FormatNumber(value, QStringLiteral(" ")); }

const QStringList kParameterValue{QStringLiteral("Parameter"), QStringLiteral("Value")};
const TRow kBlank{};

TPage Page(QList<TRow> rows, bool shown = true) { return TPage{kParameterValue, std::move(rows), shown}; }

TPage Computer(const TMSysInfo& info) {
  return Page({{"Name", Text(info.uiComputer())},
               {"Owner", Text(info.uiOwner())},
               {"Organization", Text(info.uiOrganization())}});
}

TPage Cpu(const TMSysInfo& info) {
  return Page({{"Number of Processors", Decimal(info.cpuNumber())},
               {"Active Processor Mask", Decimal(info.cpuActiveMask())},
               {"Architecture", Text(TMSysInfo::ArchitectureName(info.cpuArchitecture()))},
               {"Type", Text(TMSysInfo::ProcessorTypeName(info.cpuType()))},
               {"Level", Decimal(info.cpuLevel())},
               {"Revision", Decimal(info.cpuRevision())},
               kBlank,
               {"Vendor", Text(info.cpuVendor())},
               {"Vendor Identifier", Text(info.cpuVendorID())},
               {"Model Name", Text(info.cpuModelName())}});
}

TPage Memory(const TMSysInfo& info) {
  return Page({{"Free", FormatNumber(info.miFreeMem(), QStringLiteral(" %"))},
               kBlank,
               {"Total Physical", Bytes(info.miTotalPhys())},
               {"Available Physical", Bytes(info.miFreePhys())},
               kBlank,
               {"Total Page File", Bytes(info.miTotalPageFile())},
               {"Available Page File", Bytes(info.miFreePageFile())},
               kBlank,
               {"Total Virtual", Bytes(info.miTotalVirtual())},
               {"Available Virtual", Bytes(info.miFreeVirtual())},
               kBlank,
               {"Page Size", Bytes(info.miPageSize())},
               {"Allocation Granularity", Bytes(info.miAllocationGranularity())}});
}

TPage Disks(const TMSysInfo& info) {
  return Page({{"Number", Count(info.diDiskCount())}, {"Available Signs", Text(info.diAvailableDisks())}});
}

// Reads the drive again first; an unreadable one fills its rows all the same
// but hides the list.
TPage Drive(const QString& caption, TMSysInfo& info) {
  info.setDiSign(caption.at(0).toLatin1());
  return Page({{"File System", Text(info.diFileSystem())},
               {"Serial Number", HexWithPrefix(info.diSerialNumber(), 16)},
               kBlank,
               {"Compressed", info.diCompressed() ? QStringLiteral("Yes") : QStringLiteral("No")},
               {"Total Space", Bytes(info.diTotalSpace())},
               {"Free Space", Bytes(info.diFreeSpace())},
               {"Total Clusters", Count(info.diTotalClusters())},
               {"Sectors Per Cluster", Count(info.diSectorsPerCluster())},
               {"Bytes Per Sector", Count(info.diBytesPerSector())},
               {"Mount Point", Text(info.diMountPoint())}},
              info.diTotalSpace() != -1);
}

TPage Display(const TMSysInfo& info, const QStringList& fonts) {
  return Page({{"Description", Text(info.dsDisplayDevice())},
               kBlank,
               {"Screen Width", Decimal(info.dsScreenWidth())},
               {"Screen Height", Decimal(info.dsScreenHeight())},
               {"Color Resolution", Decimal(info.dsResolution()) + QStringLiteral(" bit")},
               {"Font Count", Decimal(fonts.size())}});
}

TPage InstalledFonts(const QStringList& fonts) {
  TPage page{{QStringLiteral("Font Name"), QString()}, {}, true};
  page.rows.reserve(fonts.size());
  for (const QString& font : fonts) page.rows.append({font, QString()});
  return page;
}

TPage Description(const std::string& text) { return Page({{"Description", Text(text)}}); }

TPage Sound(const TMSysInfo& info) {
  return Page({{"Description", Text(info.sdSoundDevice())},
               kBlank,
               {"Wave In", Text(info.sdWaveIn())},
               {"Wave Out", Text(info.sdWaveOut())},
               {"MIDI In", Text(info.sdMIDIIn())},
               {"MIDI Out", Text(info.sdMIDIOut())},
               {"AUX", Text(info.sdAUX())},
               {"Mixer", Text(info.sdMixer())}},
              info.sdSoundDevice() != "?");
}

TPage OperatingSystem(const TMSysInfo& info) {
  const QString version = Text(info.osVersionName()) + QLatin1Char(' ') + Decimal(info.osMajorVersion()) +
                          QLatin1Char('.') + Decimal(info.osMinorVersion()) + QLatin1Char('.') +
                          Decimal(info.osBuildNumber());
  return Page({{"Platform", Text(TMSysInfo::PlatformName(info.osPlatformId()))},
               {"Version", version},
               {"CSD Version", Text(info.osCSDVersion())},
               {"User", Text(info.osUser())},
               {"Product ID", Text(info.osSerial())},
               kBlank,
               {"Minimum Application Address", HexWithPrefix(info.osMinApplicationAddress(), 32)},
               {"Maximum Application Address", HexWithPrefix(info.osMaxApplicationAddress(), 32)}});
}

const QStringList& Categories() {
  static const QStringList categories{kComputer, kCpu,        kMemory, kDisks, kDisplay,        kInstalledFonts,
                                      kMonitor,  kSoundDevice, kMouse,  kPrinter, kOperatingSystem};
  return categories;
}

// strftime in the user's LC_TIME, with that locale's own date or time format.
QString FormatTime(const std::tm& when, nl_item format) {
  locale_t user = newlocale(LC_TIME_MASK, "", locale_t(nullptr));
  if (user == locale_t(nullptr)) user = newlocale(LC_TIME_MASK, "C", locale_t(nullptr));
  if (user == locale_t(nullptr)) return QString();
  char text[256];
  const std::size_t length = strftime_l(text, sizeof text, nl_langinfo_l(format, user), &when, user);
  freelocale(user);
  return QString::fromLocal8Bit(text, qsizetype(length));
}

}  // namespace

QString FormatGrouped(std::int64_t value, const QString& separator, const QString& tail) {
  // The magnitude as unsigned, so that the most negative value has one too.
  std::uint64_t magnitude = value < 0 ? 0 - std::uint64_t(value) : std::uint64_t(value);
  const QString digits = QString::number(magnitude);
  QString grouped;
  for (qsizetype i = 0; i < digits.size(); ++i) {
    if (i > 0 && (digits.size() - i) % 3 == 0) grouped += separator;
    grouped += digits.at(i);
  }
  return (value < 0 ? QStringLiteral("-") : QString()) + grouped + tail;
}

QString ThousandSeparator() { return QLocale::system().groupSeparator(); }

QString FormatNumber(std::int64_t value, const QString& tail) {
  return FormatGrouped(value, ThousandSeparator(), tail);
}

QString HexWithPrefix(std::uint64_t value, int digits) {
  return QStringLiteral("0x") + QStringLiteral("%1").arg(value, digits, 16, QLatin1Char('0')).toUpper();
}

QString DateTimeText(const QDateTime& when) {
  const std::time_t seconds = std::time_t(when.toSecsSinceEpoch());
  std::tm local{};
  localtime_r(&seconds, &local);
  return FormatTime(local, D_FMT) + QLatin1Char(' ') + FormatTime(local, T_FMT);
}

QStringList ScreenFonts() {
  // Qt names a family that several foundries make "Family [Foundry]"; the
  // list holds each family once.
  static const QRegularExpression foundry(QStringLiteral(" \\[[^\\]]*\\]$"));
  QStringList fonts;
  for (QString family : QFontDatabase::families()) {
    family.remove(foundry);
    if (!fonts.contains(family)) fonts.append(family);
  }
  fonts.append(QStringLiteral("Default"));
  std::stable_sort(fonts.begin(), fonts.end(), [](const QString& a, const QString& b) {
    return QString::compare(a, b, Qt::CaseInsensitive) < 0;
  });
  return fonts;
}

QString DriveCaption(const parvex::sysinfo::TMSysInfo& info) {
  const char letter = info.diSign();
  return QLatin1Char(letter) + QStringLiteral(": [") + Text(info.diVolumeLabel()) + QStringLiteral("]...") +
         Text(info.MediaTypeName(letter, info.diMediaType()));
}

bool IsDriveCaption(const QString& caption) {
  return !Categories().contains(caption) && caption.contains(QLatin1Char('[')) && !caption.isEmpty();
}

TPage PageFor(const QString& caption, parvex::sysinfo::TMSysInfo& info, const QStringList& fonts) {
  if (caption == kComputer) return Computer(info);
  if (caption == kCpu) return Cpu(info);
  if (caption == kMemory) return Memory(info);
  if (caption == kDisks) return Disks(info);
  if (IsDriveCaption(caption)) return Drive(caption, info);
  if (caption == kDisplay) return Display(info, fonts);
  if (caption == kInstalledFonts) return InstalledFonts(fonts);
  if (caption == kMonitor) return Description(info.ppMonitor());
  if (caption == kSoundDevice) return Sound(info);
  if (caption == kMouse) return Description(info.ppMouse());
  if (caption == kPrinter) return Description(info.ppPrinter());
  if (caption == kOperatingSystem) return OperatingSystem(info);
  return TPage{};
}

}  // namespace SysInfoPages
