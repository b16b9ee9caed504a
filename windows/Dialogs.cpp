// Qt's answers to the dialogs the windows ask for.
#include "windows/Dialogs.h"

#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>

namespace {

// Qt's folder dialog refuses a typed folder that does not exist; this one
// hands it back, so that the caller can offer to create it.
class TFolderDialog : public QFileDialog {
  Q_OBJECT

 public:
  TFolderDialog(QWidget* parent, const QString& start) : QFileDialog(parent, QString(), start) {
    setFileMode(QFileDialog::Directory);
    setOption(QFileDialog::ShowDirsOnly);
  }
  QString typed() const { return typed_; }

  void accept() override {
    const QStringList chosen = selectedFiles();
    if (chosen.size() == 1 && !QFileInfo::exists(chosen.first())) {
      typed_ = chosen.first();
      QDialog::accept();
      return;
    }
    QFileDialog::accept();
  }

 private:
  QString typed_;
};

class TQtDialogs final : public TDialogs {
 public:
  void ShowMessage(QWidget* parent, const QString& text) override {
    QMessageBox box(QMessageBox::NoIcon, QApplicationName(), text, QMessageBox::Ok, parent);
    box.exec();
  }

  TMsgResult MessageBox(QWidget* parent, const QString& text, TMsgIcon icon, TMsgButtons buttons) override {
    QMessageBox::Icon qtIcon = QMessageBox::NoIcon;
    QString title = QApplicationName();
    switch (icon) {
      case miNone: break;
      case miError: qtIcon = QMessageBox::Critical, title = QStringLiteral("Error"); break;
      case miWarning: qtIcon = QMessageBox::Warning, title = QStringLiteral("Warning"); break;
      case miInformation: qtIcon = QMessageBox::Information, title = QStringLiteral("Information"); break;
      case miConfirmation: qtIcon = QMessageBox::Question, title = QStringLiteral("Confirm"); break;
    }
    QMessageBox::StandardButtons qtButtons = QMessageBox::Ok;
    if (buttons == mbOKCancel) qtButtons = QMessageBox::Ok | QMessageBox::Cancel;
    if (buttons == mbYesNo) qtButtons = QMessageBox::Yes | QMessageBox::No;
    QMessageBox box(qtIcon, title, text, qtButtons, parent);
    // Closing the box is the harmless answer, never the one that goes on.
    if (buttons == mbOKCancel) box.setEscapeButton(QMessageBox::Cancel);
    if (buttons == mbYesNo) box.setEscapeButton(QMessageBox::No);
    switch (box.exec()) {
      case QMessageBox::Ok: return idOk;
      case QMessageBox::Yes: return idYes;
      case QMessageBox::No: return idNo;
      default: return buttons == mbYesNo ? idNo : idCancel;
    }
  }

  QStringList GetOpenFileNames(QWidget* parent, const QString& directory, const QString& filter) override {
    return QFileDialog::getOpenFileNames(parent, QString(), directory, QtFilter(filter));
  }

  QString GetSaveFileName(QWidget* parent, const QString& directory, const QString& filter) override {
    return QFileDialog::getSaveFileName(parent, QString(), directory, QtFilter(filter), nullptr,
                                        QFileDialog::DontConfirmOverwrite);
  }

  QString GetDirectory(QWidget* parent, const QString& start) override {
    TFolderDialog dialog(parent, start);
    if (dialog.exec() != QDialog::Accepted) return QString();
    if (!dialog.typed().isEmpty()) return dialog.typed();
    const QStringList chosen = dialog.selectedFiles();
    return chosen.isEmpty() ? QString() : chosen.first();
  }

 private:
  static QString QApplicationName() { return QStringLiteral("Parvex"); }
};

TQtDialogs& QtDialogs() {
  static TQtDialogs dialogs;
  return dialogs;
}

TDialogs* current = nullptr;

}  // namespace

TDialogs* TDialogs::Default() { return current ? current : &QtDialogs(); }

TDialogs* TDialogs::SetDefault(TDialogs* dialogs) {
  TDialogs* previous = Default();
  current = dialogs;
  return previous;
}

QString TDialogs::QtFilter(const QString& filter) {
  const QStringList parts = filter.split(QLatin1Char('|'));
  QStringList filters;
  for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
    QStringList patterns = parts[i + 1].split(QLatin1Char(';'), Qt::SkipEmptyParts);
    for (QString& pattern : patterns)
      if (pattern == QLatin1String("*.*")) pattern = QStringLiteral("*");
    filters << parts[i] + QStringLiteral(" (") + patterns.join(QLatin1Char(' ')) + QLatin1Char(')');
  }
  return filters.join(QStringLiteral(";;"));
}

#include "Dialogs.moc"
