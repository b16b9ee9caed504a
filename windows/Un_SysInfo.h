// TSysInfoForm, the System Information window: a tree of categories on the
// left and, for the selected one, a Parameter/Value list of what the
// collector Sys1 gathered. Two plasma buttons on a black panel refresh the
// data and close the window; while no page shows, a panel shows the date and
// time, refreshed every second.
//
// Drives that may not answer (network, removable) are asked ahead on worker
// threads; the window waits for them from its event loop, never blocked, for
// no longer than the collector's deadline.
//
// Thread-safety: user-interface thread only.
#pragma once

#include <QDialog>
#include <deque>
#include <functional>

#include "sysinfo/MSysInfo.h"

class QSplitter;
class QStatusBar;
class QTimer;
class QTreeWidget;
class QTreeWidgetItem;
class TMSOfficeCaption;
class TPanel;

namespace parvex {
class TBI_PlasmaButton;
}
namespace SysInfoPages {
struct TPage;
}

class TSysInfoForm : public QDialog {
  Q_OBJECT

 public:
  // `sources` are what Sys1 reads (tests hand it a made-up machine); Sys1
  // gathers everything now.
  explicit TSysInfoForm(QWidget* parent = nullptr, parvex::sysinfo::Sources sources = MachineSources());
  ~TSysInfoForm() override;
  TSysInfoForm(const TSysInfoForm&) = delete;
  TSysInfoForm& operator=(const TSysInfoForm&) = delete;

  // This machine, with Qt's primary screen.
  static parvex::sysinfo::Sources MachineSources();

  static constexpr int kClientWidth = 831;
  static constexpr int kClientHeight = 448;
  static constexpr int kExitMargin = 5;  // between Exit and the panel's right edge

  // --- The window's components, as its description names them.
  TPanel* ButtonPanel = nullptr;
  parvex::TBI_PlasmaButton* SbRefresh = nullptr;
  parvex::TBI_PlasmaButton* sbexit = nullptr;
  QTreeWidget* tvSI = nullptr;
  QSplitter* Splitter1 = nullptr;
  TPanel* EmptyPanel = nullptr;
  QTreeWidget* lvSI = nullptr;
  QStatusBar* SB = nullptr;
  QTimer* Timer = nullptr;
  parvex::sysinfo::TMSysInfo Sys1;
  TMSOfficeCaption* MSOfficeCaption1 = nullptr;

  // True while the window waits for drives to answer (the tree's drive nodes,
  // a drive page or a refresh are still to come).
  bool WaitingForDrives() const { return !afterDrives_.empty(); }

  // Centres the window on its screen the first time it shows.
  void setVisible(bool visible) override;

 public slots:
  // The show handler: the date and time on EmptyPanel, then the tree.
  void FormCreate();
  // Builds the category tree again, a node for each drive (each is read).
  void BuildTree();
  // Fills lvSI for the newly selected node and shows or hides it.
  void cmGetItemData(QTreeWidgetItem* node);
  // With Ctrl: Page Down or keypad 3 expands every node, Page Up or keypad 9
  // collapses every node. The key goes on to the tree either way.
  void cmExpCol(int key, Qt::KeyboardModifiers shift);
  // The date and time on EmptyPanel, while lvSI is hidden.
  void TimerTimer();
  // Sys1 gathers everything again; the rows on screen stay as they are.
  void SbRefreshClick();
  void sbexitClick();
  // Keeps sbexit kExitMargin pixels from the panel's right edge.
  void ButtonPanelResize();

 protected:
  void showEvent(QShowEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  // Builds the components with their settings (the window's description).
  void CreateControls();
  void CreateCaption();
  void ConnectHandlers();
  // Puts a page into lvSI between a begin and an end of update.
  void ShowPage(const SysInfoPages::TPage& page);
  // Runs `then` once no drive asked ahead is still within its deadline: at
  // once when none is, else from the event loop.
  void AfterDrivesAnswer(std::function<void()> then);
  void CheckDrives();

  QTimer* driveWait_ = nullptr;
  std::deque<std::function<void()>> afterDrives_;
  bool runningSteps_ = false;
  int treeBuild_ = 0;   // counts the builds, so a stale one adds no drives
  int selection_ = 0;   // counts the selections, so a stale drive page is dropped
  bool placed_ = false;
};

// The window's one instance, created by the program at start-up.
extern TSysInfoForm* SysInfoForm;
