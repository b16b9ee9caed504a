// parvex: the program. Creates the windows, shows the main window and runs
// until the main window closes.
#include <QApplication>
#include <QIcon>
#include <QMessageBox>
#include <QTimer>

#include <cstdio>
#include <exception>

#include "base/Version.h"
#include "windows/ScaleFactors.h"
#include "windows/StartArguments.h"
#include "windows/Un_SysInfo.h"
#include "windows/Unit1.h"
#include "windows/Unit2.h"
#include "windows/Unit3.h"

int main(int argc, char* argv[]) {
  if (const int status = startup::AnswerInfoOptions(argc, argv); status >= 0) return status;
  scaling::RoundScaleFactors();
  QApplication app(argc, argv);
  QApplication::setApplicationName(QStringLiteral("Parvex"));
  QApplication::setApplicationVersion(QString::fromLatin1(parvex::kProgramVersion));
  QString archive, error;
  if (!startup::ParseArguments(QApplication::arguments().mid(1), archive, error)) {
    std::fprintf(stderr, "parvex: %s\n", error.toLocal8Bit().constData());
    return 2;
  }
  // Ties the windows to the installed desktop entry and its icon.
  QGuiApplication::setDesktopFileName(QStringLiteral("parvex"));
  QIcon icon;
  // Each size finds its twice-as-large drawing (@2x) itself, for scaled screens.
  for (int size : {16, 24, 32, 48, 64, 128, 256})
    icon.addFile(QStringLiteral(":/icons/parvex-%1.png").arg(size), QSize(size, size));
  QApplication::setWindowIcon(icon);
  // Only the main window's closing ends the program, whatever else is open.
  app.setQuitOnLastWindowClosed(false);

  try {
    // The first window created is the main window; none shows yet.
    Form1 = new TForm1;
    Form2 = new TForm2;
    SysInfoForm = new TSysInfoForm;
    Form3 = new TForm3;
  } catch (const std::exception& error) {
    delete Form1;
    Form1 = nullptr;
    QMessageBox::critical(nullptr, QStringLiteral("Parvex"), QString::fromLocal8Bit(error.what()));
    return 1;
  }
  QObject::connect(Form1, &TForm1::OnClose, &app, [] { QCoreApplication::exit(0); });

  Form1->show();
  // A set named on the command line (a file manager's "open with").
  if (!archive.isEmpty()) QTimer::singleShot(0, Form1, [archive] { startup::OpenAtStart(archive); });
  const int result = app.exec();
  // The windows go in the reverse order of their creation.
  delete Form3;
  Form3 = nullptr;
  delete SysInfoForm;
  SysInfoForm = nullptr;
  delete Form2;
  Form2 = nullptr;
  delete Form1;
  Form1 = nullptr;
  return result;
}
