// The program's command line (see StartArguments.h).
#include "windows/StartArguments.h"

#include <QDir>
#include <QFileInfo>
#include <QTabWidget>
#include <QTimer>

#include <cstdio>
#include <cstring>

#include "base/Version.h"
#include "windows/Unit1.h"
#include "windows/Unit2.h"

namespace startup {
namespace {

const char kHelp[] =
    "Usage: parvex [OPTIONS] [SET.PX]\n"
    "\n"
    "Parvex: split files into compressed volume sets and join them again.\n"
    "With SET.PX (the first volume of a set) the Split & Join window opens on its\n"
    "Join page with that set opened.\n"
    "\n"
    "Options:\n"
    "  -h, --help   Print this help and exit\n"
    "  --version    Print the version and exit\n"
    "Qt's own options (-platform, -display, -style ...) work as in every Qt program.\n"
    "\n"
    "The command line companion is parvex-cli; see parvex(1) and parvex-cli(1).\n"
    "Exit status: 0 done, 1 the program's pictures could not be read, 2 usage.\n";

}  // namespace

int AnswerInfoOptions(int argc, char** argv) {
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--") == 0) break;
    if (std::strcmp(argv[i], "-h") == 0 || std::strcmp(argv[i], "--help") == 0) {
      std::fputs(kHelp, stdout);
      return 0;
    }
    if (std::strcmp(argv[i], "--version") == 0) {
      std::printf("parvex %s\n", parvex::kProgramVersion);
      return 0;
    }
  }
  return -1;
}

bool ParseArguments(const QStringList& arguments, QString& archive, QString& error) {
  archive.clear();
  bool options = true;
  for (const QString& argument : arguments) {
    if (options && argument == QLatin1String("--")) {
      options = false;
      continue;
    }
    if (options && argument.startsWith(QLatin1Char('-')) && argument != QLatin1String("-")) {
      error = QStringLiteral("unknown option '%1' (see parvex --help)").arg(argument);
      return false;
    }
    if (!archive.isEmpty()) {
      error = QStringLiteral("only one set can be opened at a time");
      return false;
    }
    archive = QFileInfo(QDir::current(), argument).absoluteFilePath();
  }
  return true;
}

void OpenAtStart(const QString& archive) {
  if (Form1 == nullptr || Form2 == nullptr) return;
  Form2->PageControl1->setCurrentWidget(Form2->Join);
  // Once Form2 shows (inside its modal loop), so that an error has its window.
  QTimer::singleShot(0, Form2, [archive] { Form2->OpenArchive(archive); });
  Form1->NoShape1Click();
}

}  // namespace startup
