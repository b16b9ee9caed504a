// The Split & Join window's checks of file names.
#include "windows/Unit2Checks.h"

#include <QFile>
#include <string>

namespace unit2 {
namespace {

std::string Bytes(const QString& name) { return QFile::encodeName(name).toStdString(); }
QString FromBytes(const std::string& name) { return QFile::decodeName(QByteArray::fromStdString(name)); }

bool HasWildcard(const QString& name) {
  const qsizetype slash = name.lastIndexOf(QLatin1Char('/'));
  const QString last = name.mid(slash + 1);
  return last.contains(QLatin1Char('*')) || last.contains(QLatin1Char('?'));
}

}  // namespace

QString NameList(const QString& heading, const QStringList& names) {
  QStringList lines;
  if (!heading.isEmpty()) lines << heading;
  lines += names.mid(0, kNamesShown);
  if (names.size() > kNamesShown) lines << QStringLiteral("... and %1 more").arg(names.size() - kNamesShown);
  return lines.join(QLatin1Char('\n'));
}

QStringList NotStoredNames(parvex::platform::Env& env, const QStringList& lines, const QString& baseDirectory) {
  namespace platform = parvex::platform;
  QStringList notStored;
  const std::string base = Bytes(baseDirectory);
  for (const QString& line : lines) {
    const std::string pattern = platform::MakeAbsolute(Bytes(line), base);
    const std::vector<platform::DirEntry> matches = env.FindMatches(pattern);
    if (matches.empty()) {
      notStored << line + QStringLiteral(": not found");
      continue;
    }
    const std::string dir = platform::DirectoryPart(pattern);
    for (const platform::DirEntry& match : matches) {
      if (!match.isDirectory) continue;
      // A plain name is its own match: say it as the list says it.
      const QString shown = HasWildcard(line) ? FromBytes(dir + match.name) : line;
      notStored << shown + QStringLiteral(": is a folder, not a file");
    }
  }
  return notStored;
}

QStringList MissingNames(parvex::platform::Env& env, const QStringList& chosen) {
  QStringList missing;
  for (const QString& name : chosen) {
    const std::string bytes = Bytes(name);
    if (env.FileExists(bytes) || env.DirectoryExists(bytes)) continue;
    if (HasWildcard(name) && !env.FindMatches(bytes).empty()) continue;
    missing << name;
  }
  return missing;
}

}  // namespace unit2
