// What the System Information window shows: the caption of a drive node, the
// Parameter/Value rows of each category page with their number formats, the
// screen font list, and the date-and-time text. Built from the collector's
// values; the window only puts the rows into its list.
//
// Thread-safety: user-interface thread only (the font list asks Qt).
#pragma once

#include <QDateTime>
#include <QList>
#include <QString>
#include <QStringList>
#include <cstdint>

namespace parvex::sysinfo {
class TMSysInfo;
}

namespace SysInfoPages {

// One line of the list; both texts empty make a blank line between groups.
struct TRow {
  QString parameter;
  QString value;
  friend bool operator==(const TRow&, const TRow&) = default;
};

struct TPage {
  QStringList columns;  // the two column captions; empty: leave them as they are
  QList<TRow> rows;
  bool shown = false;   // whether the list shows (the page's result)
};

// The category captions, exactly as the tree shows them.
inline const QString kComputer = QStringLiteral("Computer");
inline const QString kCpu = QStringLiteral("CPU");
inline const QString kMemory = QStringLiteral("Memory");
inline const QString kDisks = QStringLiteral("Disks");
inline const QString kDisplay = QStringLiteral("Display");
inline const QString kInstalledFonts = QStringLiteral("Installed Fonts");
inline const QString kMonitor = QStringLiteral("Monitor");
inline const QString kSoundDevice = QStringLiteral("Sound Device");
inline const QString kMouse = QStringLiteral("Mouse");
inline const QString kPrinter = QStringLiteral("Printer");
inline const QString kOperatingSystem = QStringLiteral("Operating System");

// "#,##0" followed by `tail`: the whole number with its digits grouped in
// threes from the right by `separator`, a minus sign before a negative one.
// FormatGrouped(18530304, ",", " B") is "18,530,304 B".
QString FormatGrouped(std::int64_t value, const QString& separator, const QString& tail);
// The same with the user's thousands separator.
QString FormatNumber(std::int64_t value, const QString& tail);
// The user's thousands separator (from the locale, as Qt reads it).
QString ThousandSeparator();

// "0x" and `value` in upper-case hexadecimal, zero-padded to `digits`.
QString HexWithPrefix(std::uint64_t value, int digits);

// The user's short date, a space, and the user's long time (the C library's
// date and time formats of LC_TIME).
QString DateTimeText(const QDateTime& when);

// The installed font families and the entry "Default", sorted without regard
// to case.
QStringList ScreenFonts();

// A drive node's caption for the drive the collector has selected: the letter,
// ": [", the volume label, "]...", and the drive type's name ("C: [SYSTEM]...Fixed").
QString DriveCaption(const parvex::sysinfo::TMSysInfo& info);

// A caption that is none of the categories but holds "[" is a drive node.
bool IsDriveCaption(const QString& caption);

// The page for a node's caption. A drive page first selects that drive (the
// caption's first letter) in `info`, which reads it. A caption that matches
// nothing gives no rows and hides the list.
TPage PageFor(const QString& caption, parvex::sysinfo::TMSysInfo& info, const QStringList& fonts);

}  // namespace SysInfoPages
