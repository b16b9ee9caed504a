// The Split & Join window's handlers: the file list, a split through BF1 with
// its questions and messages, and opening and joining a set.
#include "windows/Unit2.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QRadioButton>
#include <QScreen>
#include <QSet>
#include <QToolButton>
#include <limits>

#include "controls/BriskBtn1.h"
#include "engine/format.h"
#include "windows/DirectoryEdit.h"
#include "windows/Dialogs.h"
#include "windows/TextListBox.h"
#include "windows/Unit2Checks.h"

TForm2* Form2 = nullptr;

namespace {

// Names go to the engine as the file system spells them.
std::string FileBytes(const QString& name) { return QFile::encodeName(name).toStdString(); }

// Where the open dialog starts before anything was chosen in it: the root of
// the user's own files.
QString InitialFolder() { return QDir::homePath(); }

}  // namespace

// Marks an operation as running for as long as it lives: the buttons that
// would start another one are off meanwhile.
class TForm2::RunningOperation {
 public:
  RunningOperation(TForm2& form, TOperation operation) : form_(form) {
    form_.running_ = operation;
    form_.UpdateStarters();
  }
  ~RunningOperation() {
    form_.running_ = opNone;
    form_.UpdateStarters();
  }
  RunningOperation(const RunningOperation&) = delete;
  RunningOperation& operator=(const RunningOperation&) = delete;

 private:
  TForm2& form_;
};

TForm2::TForm2(QWidget* parent, parvex::platform::Env* env) : QDialog(parent), BF1(env), env_(env) {
  CreateControls();
  ConnectHandlers();
  SetupEngine();
  SetTabOrder();
}

TForm2::~TForm2() {
  if (Form2 == this) Form2 = nullptr;
}

TDialogs* TForm2::Dialogs() const { return TDialogs::Default(); }

void TForm2::ShowError(const QString& text) {
  Dialogs()->MessageBox(this, text, TDialogs::miError, TDialogs::mbOK);
}

void TForm2::UpdateStarters() {
  const bool idle = running_ == opNone;
  BriskButton11->setEnabled(idle);
  BriskButton13->setEnabled(idle);
  BriskButton14->setEnabled(idle);
}

void TForm2::AddFiles(const QStringList& files) {
  // Linux names differ by case alone, so only the exact name is a duplicate.
  const QStringList present = TextListBox1->lines();
  QSet<QString> known(present.begin(), present.end());
  TextListBox1->setUpdatesEnabled(false);
  for (const QString& file : files) {
    if (file.isEmpty() || known.contains(file)) continue;
    known.insert(file);
    TextListBox1->addItem(file);
  }
  TextListBox1->setUpdatesEnabled(true);
}

std::int32_t TForm2::VolumeSizeBytes(const QString& text) {
  if (text.isEmpty()) return 0;
  const auto invalid = [&text] {
    return parvex::Exception(("'" + text + "' is not a valid integer value").toLocal8Bit().toStdString());
  };
  // As the runtime reads an integer: leading blanks, a sign, decimal digits, nothing after.
  qsizetype i = 0;
  while (i < text.size() && text[i] == QLatin1Char(' ')) ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == QLatin1Char('+') || text[i] == QLatin1Char('-'))) {
    negative = text[i] == QLatin1Char('-');
    ++i;
  }
  if (i == text.size()) throw invalid();
  std::int64_t kilobytes = 0;
  for (; i < text.size(); ++i) {
    const QChar c = text[i];
    if (c < QLatin1Char('0') || c > QLatin1Char('9')) throw invalid();
    kilobytes = kilobytes * 10 + (c.unicode() - '0');
    if (kilobytes > std::int64_t{std::numeric_limits<std::int32_t>::max()} + 1) throw invalid();
  }
  if (negative) kilobytes = -kilobytes;
  if (kilobytes > std::numeric_limits<std::int32_t>::max()) throw invalid();
  const QString asked = QStringLiteral("Volume size ") + text.trimmed() + QStringLiteral(" KB");
  // A negative limit would make every volume full before its first byte.
  if (kilobytes < 0) {
    throw parvex::Exception(
        (asked + QStringLiteral(" is negative: give a size from 1 to %1 KB, or none for no limit")
             .arg(std::numeric_limits<std::int32_t>::max() / 1024))
            .toLocal8Bit()
            .toStdString());
  }
  // A volume's size is kept in 32 bits: beyond that it would wrap to a
  // nonsense limit instead of the one asked for.
  const std::int64_t bytes = kilobytes * 1024;
  if (parvex::format::CheckVolumeSize(bytes) == parvex::format::VolumeSizeCheck::kTooLarge) {
    throw parvex::Exception((asked + " is too large: a volume holds at most " +
                             QString::number(parvex::format::kMaxVolumeSize / 1024) + " KB")
                                .toLocal8Bit()
                                .toStdString());
  }
  return static_cast<std::int32_t>(bytes);
}

QString TForm2::FirstVolumeName(const QString& chosen) { return chosen + QStringLiteral(".PX"); }

void TForm2::SpeedButton1Click() {
  const QString start =
      openDialogFileName_.isEmpty() ? InitialFolder() : QFileInfo(openDialogFileName_).absolutePath();
  QStringList files = Dialogs()->GetOpenFileNames(this, start, kAllFilesFilter);
  if (files.isEmpty()) return;
  openDialogFileName_ = files.first();
  // The dialog takes typed names as they are: one that names nothing would
  // only be passed over by the split later, without a word.
  const QStringList missing = unit2::MissingNames(*env_, files);
  for (const QString& name : missing) files.removeAll(name);
  AddFiles(files);
  if (!missing.isEmpty())
    Dialogs()->MessageBox(this, unit2::NameList(QStringLiteral("Not found, so not added:"), missing),
                          TDialogs::miWarning, TDialogs::mbOK);
}

void TForm2::SpeedButton2Click() {
  for (int i = 0; i < TextListBox1->count();) {
    if (TextListBox1->item(i)->isSelected())
      delete TextListBox1->takeItem(i);  // the next line moves up to this index
    else
      ++i;
  }
}

void TForm2::BriskButton11Click() {
  if (Running() || BF1.Busy()) return;
  warnings_.clear();
  try {
    if (TextListBox1->count() == 0)
      Dialogs()->MessageBox(this, QStringLiteral("Please select files first!"), TDialogs::miError, TDialogs::mbOK);
    else
      RunSplit();
  } catch (const std::exception& e) {
    ShowError(QString::fromLocal8Bit(e.what()));
    ShowWarnings();
  }
  // Also after a failure: the engine is no longer busy, and a Cancel button
  // left on would close the window instead of stopping anything.
  SpeedButton3->setEnabled(false);
  ProgressBar1->setValue(0);
  ProgressBar1->setVisible(false);
  if (closePending_) {
    closePending_ = false;
    close();
  }
}

void TForm2::RunSplit() {
  TargetIsFloppy = false;
  SpeedButton3->setEnabled(true);
  BF1.SaveFileID = CheckBox1->isChecked();
  BF1.BackupTitle = Edit2->text().toLocal8Bit().toStdString();
  BF1.MaxSize = VolumeSizeBytes(Edit3->text());
  const QString start = saveDialogFileName_.isEmpty() ? QString() : QFileInfo(saveDialogFileName_).absolutePath();
  const QString chosen = Dialogs()->GetSaveFileName(this, start, kParvexFilesFilter);
  if (chosen.isEmpty()) return;
  saveDialogFileName_ = chosen;
  const QString first = FirstVolumeName(chosen);
  const std::string archive = FileBytes(first);
  // The dialog asked about the name typed; ".PX" makes it another one.
  const bool replacing = env_->FileExists(archive);
  if (replacing && !MayReplace(first)) return;
  // The engine removes the old set's further volumes that the new one does
  // not write, however the split ends.
  BF1.RemoveOldVolumes = replacing;
  TargetIsFloppy = env_->IsRemovable(parvex::platform::DirectoryPart(archive));
  const QStringList lines = TextListBox1->lines();
  notStored_ = unit2::NotStoredNames(*env_, lines, QFileInfo(first).absolutePath());
  std::vector<std::string> files;
  for (const QString& line : lines) files.push_back(FileBytes(line));
  bool completed = false;
  {
    RunningOperation running(*this, opSplit);
    completed = BF1.Backup(files, archive).completed;
  }
  if (!notStored_.isEmpty())
    Dialogs()->MessageBox(this, unit2::NameList(QStringLiteral("Not stored:"), notStored_), TDialogs::miWarning,
                          TDialogs::mbOK);
  notStored_.clear();
  ShowWarnings();
  Dialogs()->ShowMessage(this, completed ? QStringLiteral("Operation sucessful")
                                         : QStringLiteral("Operation failed or aborted"));
}

bool TForm2::MayReplace(const QString& firstVolume) {
  return Dialogs()->MessageBox(this,
                               firstVolume + QStringLiteral(" already exists.\nDo you want to replace that set?"),
                               TDialogs::miConfirmation, TDialogs::mbYesNo) == TDialogs::idYes;
}

void TForm2::ShowWarnings() {
  if (warnings_.isEmpty()) return;
  const QString text = unit2::NameList(QString(), warnings_);
  warnings_.clear();
  Dialogs()->MessageBox(this, text, TDialogs::miWarning, TDialogs::mbOK);
}

void TForm2::SpeedButton3Click() {
  if (!BF1.Busy()) {
    close();
    return;
  }
  AskAbort();
}

bool TForm2::AskAbort() {
  // A second question while the first is open would only repeat it.
  if (askingAbort_) return false;
  askingAbort_ = true;
  const bool yes = Dialogs()->MessageBox(this, QStringLiteral("Do you want to abort the operation?"),
                                         TDialogs::miConfirmation, TDialogs::mbYesNo) == TDialogs::idYes;
  askingAbort_ = false;
  if (yes && BF1.Busy()) BF1.Abort();
  return yes;
}

void TForm2::BriskButton12Click() {
  // During an operation the list is what the engine is working on: Close
  // then only asks to stop, and the window closes when the engine has.
  if (Running()) {
    close();
    return;
  }
  TextListBox1->clear();
  setResult(TBriskButton1::mrNone);
  close();
}

void TForm2::BriskButton13Click() {
  if (Running() || BF1.Busy()) return;
  openDialogFileName_.clear();
  const QStringList files = Dialogs()->GetOpenFileNames(this, InitialFolder(), kParvexFilesFilter);
  if (files.isEmpty()) return;
  openDialogFileName_ = files.first();
  OpenArchive(files.first());
}

void TForm2::OpenArchive(const QString& chosen) {
  if (Running() || BF1.Busy()) return;
  // Only a set whose comment could be read is remembered: the window never
  // shows one set's comment and joins another file.
  openedArchive_.clear();
  ArchiveOpened = false;
  Edit4->clear();
  QString title;
  try {
    if (!env_->FileExists(FileBytes(chosen))) {
      ShowError(chosen + QStringLiteral(": no such file"));
      return;
    }
    title = QString::fromLocal8Bit(BF1.ReadArchiveTitle(FileBytes(chosen)));
  } catch (const std::exception& e) {
    ShowError(QString::fromLocal8Bit(e.what()));
    return;
  }
  openedArchive_ = chosen;
  ArchiveOpened = true;
  Edit4->setText(title);
}

void TForm2::BriskButton14Click() {
  if (Running() || BF1.Busy()) return;
  BF1.RestoreFullPath = CheckBox2->isChecked();
  if (RadioButton7->isChecked()) BF1.RestoreMode = parvex::rmAll;
  if (RadioButton8->isChecked()) BF1.RestoreMode = parvex::rmExisting;
  if (RadioButton9->isChecked()) BF1.RestoreMode = parvex::rmNewer;
  if (RadioButton10->isChecked()) BF1.RestoreMode = parvex::rmNoOverwrite;
  if (!ArchiveOpened) return;
  warnings_.clear();
  try {
    RunJoin();
  } catch (const std::exception& e) {
    // The files restored whole before the failure are safe to use: say which.
    QString text = QString::fromLocal8Bit(e.what());
    QStringList restored;
    for (const std::string& name : BF1.LastRestore().restored) restored << QFile::decodeName(QByteArray::fromStdString(name));
    if (!restored.isEmpty()) text += QStringLiteral("\n\n") + unit2::NameList(QStringLiteral("Restored before the error:"), restored);
    ShowError(text);
  }
  ProgressBar1->setVisible(false);
  ShowWarnings();
  if (closePending_) {
    closePending_ = false;
    close();
  }
}

void TForm2::RunJoin() {
  const std::string archive = FileBytes(openedArchive_);
  joinFromRemovable_ = env_->IsRemovable(parvex::platform::DirectoryPart(archive));
  RunningOperation running(*this, opJoin);
  BF1.Restore(archive, FileBytes(dir1->text()));
}

void TForm2::BF1NeedDisk(parvex::TBackupFile&, std::uint16_t, bool& Continue) {
  // Only someone who has to change disks is asked; on a fixed disk the next
  // volume is simply there.
  const bool ask = running_ == opJoin ? joinFromRemovable_ : TargetIsFloppy;
  if (ask)
    Continue = Dialogs()->MessageBox(this, QStringLiteral("Insert next disk!"), TDialogs::miInformation,
                                     TDialogs::mbOK) == TDialogs::idOk;
}

void TForm2::BF1Progress(parvex::TBackupFile&, const std::string&, parvex::TPercentage percent, bool&) {
  const bool shown = percent < 100;
  if (shown) ProgressBar1->setValue(percent);
  ProgressBar1->setVisible(shown);
}

void TForm2::setVisible(bool visible) {
  // Qt would centre the window allowing for a frame that it only guesses;
  // this window draws its own title bar, so its size is all there is.
  if (visible && !placed_ && !testAttribute(Qt::WA_Moved)) {
    placed_ = true;
    if (const QScreen* screen = this->screen()) move(screen->availableGeometry().center() - rect().center());
  }
  QDialog::setVisible(visible);
}

void TForm2::closeEvent(QCloseEvent* event) {
  // The running handler still needs the window, and the engine its list:
  // closing asks to stop, and the handler closes the window once it has.
  if (Running()) {
    event->ignore();
    if (!closePending_ && AskAbort()) closePending_ = true;
    return;
  }
  QDialog::closeEvent(event);
}

void TForm2::keyPressEvent(QKeyEvent* event) {
  // Escape closes the window as its title bar does (the list stays), but
  // never in the middle of an operation.
  if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
    event->accept();
    if (!Running()) close();
    return;
  }
  QDialog::keyPressEvent(event);
}

bool TForm2::eventFilter(QObject* watched, QEvent* event) {
  // Delete in the file list removes the selected files, as the Delete button does.
  if (watched == TextListBox1 && event->type() == QEvent::KeyPress) {
    const auto* key = static_cast<QKeyEvent*>(event);
    if (key->key() == Qt::Key_Delete && key->modifiers() == Qt::NoModifier) {
      SpeedButton2Click();
      return true;
    }
  }
  return QDialog::eventFilter(watched, event);
}
