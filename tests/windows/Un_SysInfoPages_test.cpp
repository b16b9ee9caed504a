// The pages of the System Information window, built from the collector on a
// made-up machine: the exact rows of every page with its blank rows, the
// number formats, the drive captions, the font list and the date and time.
// Runs in the C locale (comma as thousands separator, the C date format).

#include <QApplication>
#include <QtTest>
#include <cstdlib>
#include <limits>

#include "sysinfo/MSysInfo.h"
#include "tests/sysinfo/FakeMachine.h"
#include "windows/Un_SysInfoPages.h"

using parvex::sysinfo::TMSysInfo;
using parvex::test::FakeMachine;
using namespace SysInfoPages;

namespace {

// "Parameter|Value" per row, "|" for a blank one: a failure shows the rows.
QStringList Lines(const QList<TRow>& rows) {
  QStringList lines;
  for (const TRow& row : rows) lines << row.parameter + QLatin1Char('|') + row.value;
  return lines;
}

const QStringList kParameterValue{"Parameter", "Value"};

parvex::sysinfo::Sources WithScreen(const FakeMachine& machine) {
  auto sources = machine.SourcesFor();
  sources.screen = [] { return parvex::sysinfo::ScreenFacts{1920, 1080, 24}; };
  return sources;
}

}  // namespace

class SysInfoPagesTest : public QObject {
  Q_OBJECT

 private slots:
  void numbersGroupedInThreesWithTheirTail() {
    QCOMPARE(FormatGrouped(18530304, ",", " B"), QStringLiteral("18,530,304 B"));
    QCOMPARE(FormatGrouped(-1, ",", " B"), QStringLiteral("-1 B"));
    QCOMPARE(FormatGrouped(0, ",", " "), QStringLiteral("0 "));
    QCOMPARE(FormatGrouped(999, ",", " %"), QStringLiteral("999 %"));
    QCOMPARE(FormatGrouped(1000, ",", " %"), QStringLiteral("1,000 %"));
    QCOMPARE(FormatGrouped(-123456, ",", " "), QStringLiteral("-123,456 "));
    QCOMPARE(FormatGrouped(-1234567, ".", " B"), QStringLiteral("-1.234.567 B"));
    QCOMPARE(FormatGrouped(1234567, QStringLiteral("\u202F"), " B"), QStringLiteral("1\u202F234\u202F567 B"));
    QCOMPARE(FormatGrouped(1234567, QString(), " B"), QStringLiteral("1234567 B"));
    QCOMPARE(FormatGrouped(std::numeric_limits<std::int64_t>::min(), ",", ""),
             QStringLiteral("-9,223,372,036,854,775,808"));
    QCOMPARE(FormatGrouped(std::numeric_limits<std::int64_t>::max(), ",", ""),
             QStringLiteral("9,223,372,036,854,775,807"));
    QCOMPARE(ThousandSeparator(), QStringLiteral(","));  // the C locale's, as Qt gives it
    QCOMPARE(FormatNumber(245760000000, " B"), QStringLiteral("245,760,000,000 B"));
  }

  void hexadecimalPaddedToItsWidth() {
    QCOMPARE(HexWithPrefix(0x1234ABCD, 16), QStringLiteral("0x000000001234ABCD"));
    QCOMPARE(HexWithPrefix(0x400000, 32), QStringLiteral("0x") + QString(26, '0') + QStringLiteral("400000"));
    QCOMPARE(HexWithPrefix(0, 16), QStringLiteral("0x0000000000000000"));
    QCOMPARE(HexWithPrefix(0xFFFFFFFFu, 16), QStringLiteral("0x00000000FFFFFFFF"));
    QCOMPARE(HexWithPrefix(std::numeric_limits<std::uint64_t>::max(), 32),
             QStringLiteral("0x") + QString(16, '0') + QString(16, 'F'));
  }

  void dateAndTimeInTheUsersFormats() {
    // The C locale: short date %m/%d/%y, long time %H:%M:%S.
    const QDateTime when(QDate(2024, 3, 7), QTime(14, 5, 9));
    QCOMPARE(DateTimeText(when), QStringLiteral("03/07/24 14:05:09"));
    QCOMPARE(DateTimeText(QDateTime(QDate(1999, 12, 31), QTime(0, 0, 0))), QStringLiteral("12/31/99 00:00:00"));
  }

  void fontListSortedWithoutRegardToCase() {
    const QStringList fonts = ScreenFonts();
    QVERIFY(fonts.contains("Default"));
    QVERIFY(fonts.contains("DejaVu Sans"));  // installed with the build's packages
    QCOMPARE(fonts.count("Default"), 1);
    for (qsizetype i = 1; i < fonts.size(); ++i) {
      QVERIFY2(QString::compare(fonts[i - 1], fonts[i], Qt::CaseInsensitive) <= 0, qPrintable(fonts[i]));
      QVERIFY2(fonts[i] != fonts[i - 1], qPrintable(fonts[i]));  // each family once
      QVERIFY2(!fonts[i].endsWith(']'), qPrintable(fonts[i]));    // no foundry in the name
    }
  }

  void computerCpuAndOperatingSystem() {
    FakeMachine machine;
    TMSysInfo info(machine.SourcesFor());
    TPage page = PageFor(kComputer, info, {});
    QCOMPARE(page.columns, kParameterValue);
    QCOMPARE(Lines(page.rows), (QStringList{"Name|workstation", "Owner|Ann Example", "Organization|?"}));
    QVERIFY(page.shown);

    page = PageFor(kCpu, info, {});
    QCOMPARE(Lines(page.rows), (QStringList{"Number of Processors|2", "Active Processor Mask|3",
                                            "Architecture|AMD64", "Type|x86-64", "Level|6", "Revision|40458", "|",
                                            "Vendor|GenuineIntel",
                                            "Vendor Identifier|Intel64 Family 6 Model 158 Stepping 10",
                                            "Model Name|Intel(R) Core(TM) i7-8700 CPU @ 3.20GHz"}));
    QVERIFY(page.shown);

    machine.Write("/proc/sys/vm/mmap_min_addr", "4194304\n");
    info.Refresh();
    page = PageFor(kOperatingSystem, info, {});
    QCOMPARE(page.columns, kParameterValue);
    QCOMPARE(Lines(page.rows),
             (QStringList{"Platform|Linux", "Version|Debian GNU/Linux 12 (bookworm) 6.1.0",
                          "CSD Version|#1 SMP PREEMPT_DYNAMIC Debian 6.1.119-1 (2024-11-22)", "User|ann",
                          "Product ID|0123456789abcdef0123456789abcdef", "|",
                          "Minimum Application Address|0x" + QString(26, '0') + "400000",
                          "Maximum Application Address|0x" + QString(20, '0') + "7FFFFFFFFFFF"}));
  }

  void memoryInBytesAndThePercentageFree() {
    FakeMachine machine;
    // Load round(100 x 430 / 1000) = 43: 57 % free.
    machine.Write("/proc/meminfo",
                  "MemTotal: 1000000 kB\nMemAvailable: 570000 kB\nSwapTotal: 0 kB\nSwapFree: 0 kB\n");
    TMSysInfo info(machine.SourcesFor());
    const TPage page = PageFor(kMemory, info, {});
    const QString pageSize = FormatGrouped(info.miPageSize(), ",", " B");
    QCOMPARE(Lines(page.rows), (QStringList{"Free|57 %", "|", "Total Physical|1,024,000,000 B",
                                            "Available Physical|583,680,000 B", "|", "Total Page File|0 B",
                                            "Available Page File|0 B", "|", "Total Virtual|140,737,488,355,328 B",
                                            "Available Virtual|140,737,477,869,568 B", "|",
                                            "Page Size|" + pageSize, "Allocation Granularity|" + pageSize}));
    QVERIFY(page.shown);

    machine.Remove("/proc/meminfo");  // nothing known: -1 everywhere
    info.Refresh();
    const QStringList lines = Lines(PageFor(kMemory, info, {}).rows);
    QCOMPARE(lines[0], QStringLiteral("Free|-1 %"));
    QCOMPARE(lines[2], QStringLiteral("Total Physical|-1 B"));
  }

  void disksCountWithItsTrailingSpace() {
    FakeMachine machine;
    machine.Mounts({"26 1 8:2 / / rw,relatime shared:1 - ext4 /dev/sda2 rw",
                    "40 26 8:1 / /boot rw,relatime shared:30 - ext4 /dev/sda1 rw"});
    TMSysInfo info(machine.SourcesFor());
    const TPage page = PageFor(kDisks, info, {});
    QCOMPARE(page.columns, kParameterValue);
    QCOMPARE(Lines(page.rows), (QStringList{"Number|3 ", "Available Signs|ACD"}));
    QVERIFY(page.shown);
  }

  void driveCaptionsOfEachKind() {
    FakeMachine machine;
    TMSysInfo info(machine.SourcesFor());
    QStringList captions;
    for (const char letter : info.diAvailableDisks()) {
      info.setDiSign(letter);
      captions << DriveCaption(info);
    }
    QCOMPARE(captions, (QStringList{"A: [?]...Removable", "C: []...Fixed", "D: [My Boot]...Fixed",
                                    "E: [STICK]...Removable", "F: []...Network = //server/share/", "G: []...RAM"}));
    for (const QString& caption : captions) QVERIFY(IsDriveCaption(caption));
    for (const QString& caption : {kDisks, kComputer, QStringLiteral("Disk"), QString()})
      QVERIFY(!IsDriveCaption(caption));
  }

  void drivePageReadsTheDriveAgain() {
    FakeMachine machine;
    TMSysInfo info(machine.SourcesFor());
    QCOMPARE(info.diSign(), 'C');
    TPage page = PageFor("E: [STICK]...Removable", info, {});
    QCOMPARE(info.diSign(), 'E');
    QCOMPARE(page.columns, kParameterValue);
    QCOMPARE(Lines(page.rows),
             (QStringList{"File System|vfat", "Serial Number|0x000000001234ABCD", "|", "Compressed|No",
                          "Total Space|8,192,000,000 B", "Free Space|8,183,808,000 B", "Total Clusters|1,000,000 ",
                          "Sectors Per Cluster|16 ", "Bytes Per Sector|512 ", "Mount Point|/media/ann/STICK"}));
    QVERIFY(page.shown);

    // What the drive says now, not what it said when the tree was built.
    machine.fileSystems().Set("/media/ann/STICK", 1000000, 1000, 8192, 8, 17);
    page = PageFor("E: [STICK]...Removable", info, {});
    QCOMPARE(page.rows[5].value, QStringLiteral("8,192,000 B"));

    // The empty floppy drive: its rows are filled, but the list hides.
    page = PageFor("A: [?]...Removable", info, {});
    QCOMPARE(info.diSign(), 'A');
    QCOMPARE(Lines(page.rows),
             (QStringList{"File System|?", "Serial Number|0x0000000000000000", "|", "Compressed|No",
                          "Total Space|-1 B", "Free Space|-1 B", "Total Clusters|-1 ", "Sectors Per Cluster|-1 ",
                          "Bytes Per Sector|-1 ", "Mount Point|"}));
    QVERIFY(!page.shown);
  }

  void displayAndItsFonts() {
    FakeMachine machine;
    TMSysInfo info(WithScreen(machine));
    const QStringList fonts{"Arial", "courier", "Default"};
    TPage page = PageFor(kDisplay, info, fonts);
    QCOMPARE(page.columns, kParameterValue);
    QCOMPARE(Lines(page.rows), (QStringList{"Description|i915: Intel Corporation CoffeeLake-S GT2 [UHD Graphics 630]",
                                            "|", "Screen Width|1920", "Screen Height|1080",
                                            "Color Resolution|24 bit", "Font Count|3"}));
    QVERIFY(page.shown);

    page = PageFor(kInstalledFonts, info, fonts);
    QCOMPARE(page.columns, (QStringList{"Font Name", QString()}));
    QCOMPARE(Lines(page.rows), (QStringList{"Arial|", "courier|", "Default|"}));
    QVERIFY(page.shown);
  }

  void devicesAndTheSoundPage() {
    FakeMachine machine;
    TMSysInfo info(machine.SourcesFor());
    QCOMPARE(Lines(PageFor(kMonitor, info, {}).rows), QStringList{"Description|DELL U2415"});
    QCOMPARE(Lines(PageFor(kMouse, info, {}).rows), QStringList{"Description|Logitech USB Optical Mouse"});
    QCOMPARE(Lines(PageFor(kPrinter, info, {}).rows), QStringList{"Description|home"});
    QCOMPARE(PageFor(kPrinter, info, {}).columns, kParameterValue);

    TPage page = PageFor(kSoundDevice, info, {});
    QCOMPARE(Lines(page.rows),
             (QStringList{"Description|HDA Intel PCH at 0xf7f10000 irq 32", "|", "Wave In|ALC3246 Analog v1.0",
                          "Wave Out|ALC3246 Analog v1.0", "MIDI In|Virtual Raw MIDI v1.0",
                          "MIDI Out|Virtual Raw MIDI v1.0", "AUX|", "Mixer|Realtek ALC3246 v1.0"}));
    QVERIFY(page.shown);

    // ALSA without a card: "?" hides the list; the rows are there all the same.
    machine.Write("/proc/asound/cards", "--- no soundcards ---\n");
    info.Refresh();
    page = PageFor(kSoundDevice, info, {});
    QCOMPARE(page.rows.size(), 8);
    QCOMPARE(page.rows[0], (TRow{"Description", "?"}));
    QVERIFY(!page.shown);
  }

  void aCaptionOfNoCategoryHidesTheList() {
    FakeMachine machine;
    TMSysInfo info(machine.SourcesFor());
    for (const QString& caption : {QStringLiteral("computer"), QStringLiteral("CPU "), QString()}) {
      const TPage page = PageFor(caption, info, {"Default"});
      QVERIFY(page.rows.isEmpty());
      QVERIFY(page.columns.isEmpty());
      QVERIFY(!page.shown);
    }
  }
};

int main(int argc, char** argv) {
  // The formats under test are the C locale's.
  setenv("LC_ALL", "C", 1);
  QApplication app(argc, argv);
  SysInfoPagesTest test;
  return QTest::qExec(&test, argc, argv);
}

#include "Un_SysInfoPages_test.moc"
