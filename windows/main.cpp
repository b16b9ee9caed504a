// parvex: the program. Until the main window is built, the Split & Join window
// is the program's window: shown at start, and the program ends when it closes.
#include <QApplication>

#include "windows/Unit2.h"

int main(int argc, char* argv[]) {
  QApplication app(argc, argv);
  QApplication::setApplicationName(QStringLiteral("Parvex"));
  QApplication::setApplicationVersion(QStringLiteral("1.30"));

  Form2 = new TForm2;
  // A dialog that hides itself (after a modal result) ends the program as well.
  QObject::connect(Form2, &QDialog::finished, &app, &QCoreApplication::quit);
  Form2->show();
  const int result = app.exec();
  delete Form2;
  return result;
}
