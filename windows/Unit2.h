// TForm2, the Split & Join window: collects files and stores them into a
// volume set (Split page), opens a set and restores it (Join page). All engine
// work runs inside its button handlers, on the user-interface thread; the
// engine keeps the window alive by processing its events after every block.
//
// Thread-safety: user-interface thread only.
#pragma once

#include <QDialog>
#include <QString>
#include <QStringList>
#include <cstdint>
#include <string>
#include <vector>

#include "engine/backup.h"

class QCheckBox;
class QFrame;
class QGroupBox;
class QLabel;
class QLineEdit;
class QProgressBar;
class QRadioButton;
class QTabWidget;
class QToolButton;
class TBriskButton1;
class TDirectoryEdit;
class TDialogs;
class TMSOfficeCaption;
class TTextListBox;

class TForm2 : public QDialog {
  Q_OBJECT

 public:
  // `env` is what the engine and the removable-media test use (tests fake it).
  explicit TForm2(QWidget* parent = nullptr, parvex::platform::Env* env = parvex::platform::Env::Default());
  ~TForm2() override;
  TForm2(const TForm2&) = delete;
  TForm2& operator=(const TForm2&) = delete;

  // The filters of the two file dialogs.
  static const QString kAllFilesFilter;     // "All Files|*.*"
  static const QString kParvexFilesFilter;  // "Parvex Files|*.PX|All Files|*.*"

  // --- The window's components, as its description names them.
  TMSOfficeCaption* MSOfficeCaption1 = nullptr;
  QFrame* Panel2 = nullptr;
  QFrame* Panel3 = nullptr;
  QProgressBar* ProgressBar1 = nullptr;
  QTabWidget* PageControl1 = nullptr;
  QWidget* Split = nullptr;
  QWidget* Join = nullptr;
  // Split page.
  QToolButton* SpeedButton1 = nullptr;
  QToolButton* SpeedButton2 = nullptr;
  QLabel* RxLabel1 = nullptr;
  QLineEdit* Edit2 = nullptr;
  QCheckBox* CheckBox1 = nullptr;
  QLabel* RxLabel2 = nullptr;
  QLineEdit* Edit3 = nullptr;
  QLabel* RxLabel3 = nullptr;
  TBriskButton1* BriskButton11 = nullptr;
  TBriskButton1* BriskButton12 = nullptr;
  QToolButton* SpeedButton3 = nullptr;
  TTextListBox* TextListBox1 = nullptr;
  // Join page.
  QFrame* Panel1 = nullptr;  // top panel, holds "Open..."
  TBriskButton1* BriskButton13 = nullptr;
  QGroupBox* GroupBox1 = nullptr;
  QLabel* Image1 = nullptr;
  QLabel* RxLabel4 = nullptr;
  QLabel* Edit4 = nullptr;
  QGroupBox* GroupBox2 = nullptr;
  QCheckBox* CheckBox2 = nullptr;
  QLabel* RxLabel5 = nullptr;
  TDirectoryEdit* dir1 = nullptr;
  QRadioButton* RadioButton7 = nullptr;
  QRadioButton* RadioButton8 = nullptr;
  QRadioButton* RadioButton9 = nullptr;
  QRadioButton* RadioButton10 = nullptr;
  QFrame* Panel4 = nullptr;  // bottom panel, holds "Join!"
  TBriskButton1* BriskButton14 = nullptr;

  parvex::TBackupFile BF1;

  // --- Window state.
  // The first volume of the last split went to removable media: ask before each further volume.
  bool TargetIsFloppy = false;
  // A set has been chosen with "Open..." in this run of the program.
  bool ArchiveOpened = false;
  // The set chosen with "Open...".
  QString OpenedArchive() const { return openedArchive_; }
  // True from the start to the end of a split or a join started here.
  bool Running() const { return running_ != opNone; }

  // Centres the window on its screen the first time it shows.
  void setVisible(bool visible) override;

  // Adds files to the list as the add-files dialog does: case kept, exact
  // duplicates (of the list and of each other) left out.
  void AddFiles(const QStringList& files);
  // The byte count a volume size in KB stands for: empty gives 0 (no limit).
  // Throws parvex::Exception with the conversion's message for a text that is
  // no integer, and with the size asked for (in KB) for a negative one and for
  // one beyond the largest volume a set can describe.
  static std::int32_t VolumeSizeBytes(const QString& text);
  // Opens the set whose first volume is `file` as "Open..." does once a file
  // is chosen: remembers it and shows its comment, or shows the error.
  void OpenArchive(const QString& file);
  // The first volume's name for the name chosen in the save dialog.
  static QString FirstVolumeName(const QString& chosen);

 public slots:
  void SpeedButton1Click();  // add files
  void SpeedButton2Click();  // delete files
  void BriskButton11Click();  // "Execute"
  void SpeedButton3Click();  // "Cancel"
  void BriskButton12Click();  // "Close"
  void BriskButton13Click();  // "Open..."
  void BriskButton14Click();  // "Join!"

 public:
  void BF1Progress(parvex::TBackupFile& sender, const std::string& filename, parvex::TPercentage percent,
                   bool& Continue);
  void BF1NeedDisk(parvex::TBackupFile& sender, std::uint16_t diskId, bool& Continue);

 protected:
  void closeEvent(QCloseEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  enum TOperation { opNone, opSplit, opJoin };
  class RunningOperation;

  // Builds the controls with their settings (the window's description).
  void CreateControls();
  void CreateSplitPage();
  void CreateJoinPage();
  void ConnectHandlers();
  void SetupEngine();
  // The keyboard's way through the window: the order of the layout.
  void SetTabOrder();

  void RunSplit();
  // Asks before a set is written over an existing first volume; true to go on.
  bool MayReplace(const QString& firstVolume);
  // The engine's warnings of the operation just ended, in one box.
  void ShowWarnings();
  void RunJoin();
  // "Do you want to abort the operation?"; on Yes the engine is told to stop.
  bool AskAbort();
  // The application's standard error display: a box with the error's text.
  void ShowError(const QString& text);
  void UpdateStarters();

  TDialogs* Dialogs() const;

  parvex::platform::Env* env_;
  TOperation running_ = opNone;
  bool joinFromRemovable_ = false;
  bool closePending_ = false;
  bool askingAbort_ = false;
  bool placed_ = false;
  QString openedArchive_;
  QString openDialogFileName_;  // the open dialog's file name: where it opens next
  QString saveDialogFileName_;
  QStringList warnings_;  // the engine's warnings of the running operation
  QStringList notStored_;  // names the running split stores nothing for, with the reasons
};

// The window's one instance, created by the program at start-up.
extern TForm2* Form2;
