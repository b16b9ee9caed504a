// The System Information window's handlers: showing, the category tree,
// the pages, the keys on the tree, the clock, Refresh and Exit, and the
// waiting for drives that answer late or never.
#include "windows/Un_SysInfo.h"

#include <QKeyEvent>
#include <QLayout>
#include <QScreen>
#include <QShowEvent>
#include <QTimer>
#include <QTreeWidget>

#include "controls/bi_btns.h"
#include "windows/Panel.h"
#include "windows/SysInfoScreen.h"
#include "windows/Un_SysInfoPages.h"

TSysInfoForm* SysInfoForm = nullptr;

namespace {

// How often the window looks whether the drives asked ahead have answered.
constexpr int kDrivePollInterval = 20;

QTreeWidgetItem* AddNode(QTreeWidget* tree, QTreeWidgetItem* parent, const QString& caption) {
  auto* node = new QTreeWidgetItem(QStringList{caption});
  if (parent != nullptr)
    parent->addChild(node);
  else
    tree->addTopLevelItem(node);
  return node;
}

// Holds the list's repaints back while it is filled, and lets them go however
// the filling ends.
class UpdateScope {
 public:
  explicit UpdateScope(QWidget* widget) : widget_(widget) { widget_->setUpdatesEnabled(false); }
  ~UpdateScope() { widget_->setUpdatesEnabled(true); }
  UpdateScope(const UpdateScope&) = delete;
  UpdateScope& operator=(const UpdateScope&) = delete;

 private:
  QWidget* widget_;
};

}  // namespace

parvex::sysinfo::Sources TSysInfoForm::MachineSources() {
  parvex::sysinfo::Sources sources;
  sources.screen = parvex::PrimaryScreenQuery();
  return sources;
}

TSysInfoForm::TSysInfoForm(QWidget* parent, parvex::sysinfo::Sources sources)
    : QDialog(parent), Sys1(std::move(sources)) {
  CreateControls();
  ConnectHandlers();
  driveWait_ = new QTimer(this);
  driveWait_->setInterval(kDrivePollInterval);
  connect(driveWait_, &QTimer::timeout, this, &TSysInfoForm::CheckDrives);
  // The components take their places now, not only when first shown (a
  // hidden panel hears of its size only then).
  layout()->activate();
  ButtonPanelResize();
}

TSysInfoForm::~TSysInfoForm() {
  if (SysInfoForm == this) SysInfoForm = nullptr;
}

void TSysInfoForm::setVisible(bool visible) {
  // The window draws its own title bar, so its size is all there is to centre.
  if (visible && !placed_ && !testAttribute(Qt::WA_Moved)) {
    placed_ = true;
    if (const QScreen* screen = this->screen()) move(screen->availableGeometry().center() - rect().center());
  }
  QDialog::setVisible(visible);
}

void TSysInfoForm::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  // Only the window's own showing; not the window system's after a minimise.
  if (!event->spontaneous()) FormCreate();
}

void TSysInfoForm::FormCreate() {
  EmptyPanel->setCaption(SysInfoPages::DateTimeText(QDateTime::currentDateTime()));
  BuildTree();
}

void TSysInfoForm::BuildTree() {
  const int build = ++treeBuild_;
  tvSI->clear();
  QTreeWidgetItem* computer = AddNode(tvSI, nullptr, SysInfoPages::kComputer);
  AddNode(tvSI, computer, SysInfoPages::kCpu);
  AddNode(tvSI, computer, SysInfoPages::kMemory);
  QTreeWidgetItem* disks = AddNode(tvSI, computer, SysInfoPages::kDisks);
  QTreeWidgetItem* display = AddNode(tvSI, computer, SysInfoPages::kDisplay);
  AddNode(tvSI, display, SysInfoPages::kInstalledFonts);
  for (const QString& caption :
       {SysInfoPages::kMonitor, SysInfoPages::kSoundDevice, SysInfoPages::kMouse, SysInfoPages::kPrinter})
    AddNode(tvSI, computer, caption);
  AddNode(tvSI, nullptr, SysInfoPages::kOperatingSystem);

  // Every drive is read for its caption. Those that may keep us waiting are
  // all asked at once; their nodes come when they have answered or their
  // time is up, and the window goes on meanwhile.
  Sys1.ProbeDrivesAhead();
  AfterDrivesAnswer([this, build, disks] {
    if (build != treeBuild_) return;  // the tree was built again since: this Disks node is gone
    for (const char letter : Sys1.diAvailableDisks()) {
      Sys1.setDiSign(letter);
      AddNode(tvSI, disks, SysInfoPages::DriveCaption(Sys1));
    }
  });
}

void TSysInfoForm::cmGetItemData(QTreeWidgetItem* node) {
  if (node == nullptr) return;  // the tree was emptied: nothing is selected
  const int selection = ++selection_;
  // The highlight follows the node whose page shows (focus alone makes a
  // node current without selecting it).
  if (!node->isSelected()) {
    tvSI->clearSelection();
    node->setSelected(true);
  }
  lvSI->clear();
  const QString caption = node->text(0);
  if (!SysInfoPages::IsDriveCaption(caption)) {
    ShowPage(SysInfoPages::PageFor(caption, Sys1, SysInfoPages::ScreenFonts()));
    return;
  }
  Sys1.ProbeDriveAhead(caption.at(0).toLatin1());
  AfterDrivesAnswer([this, selection, caption] {
    if (selection != selection_) return;  // another node was selected meanwhile
    ShowPage(SysInfoPages::PageFor(caption, Sys1, {}));
  });
}

void TSysInfoForm::ShowPage(const SysInfoPages::TPage& page) {
  {
    const UpdateScope scope(lvSI);
    lvSI->clear();
    if (!page.columns.isEmpty()) lvSI->setHeaderLabels(page.columns);
    QList<QTreeWidgetItem*> rows;
    rows.reserve(page.rows.size());
    for (const SysInfoPages::TRow& row : page.rows) {
      auto* item = new QTreeWidgetItem(QStringList{row.parameter, row.value});
      // The columns are narrow for a long value: the pointer shows it whole.
      if (!row.value.isEmpty()) item->setToolTip(1, row.value);
      rows.append(item);
    }
    lvSI->addTopLevelItems(rows);
  }
  lvSI->setVisible(page.shown);
}

void TSysInfoForm::cmExpCol(int key, Qt::KeyboardModifiers shift) {
  if (!shift.testFlag(Qt::ControlModifier)) return;
  const bool keypad = shift.testFlag(Qt::KeypadModifier);
  if (key == Qt::Key_PageDown || (keypad && key == Qt::Key_3))
    tvSI->expandAll();
  else if (key == Qt::Key_PageUp || (keypad && key == Qt::Key_9))
    tvSI->collapseAll();
}

bool TSysInfoForm::eventFilter(QObject* watched, QEvent* event) {
  if (watched == tvSI && event->type() == QEvent::KeyPress) {
    const auto* key = static_cast<QKeyEvent*>(event);
    cmExpCol(key->key(), key->modifiers());
  }
  return QDialog::eventFilter(watched, event);  // the tree handles the key its own way too
}

void TSysInfoForm::TimerTimer() {
  if (lvSI->isHidden()) EmptyPanel->setCaption(SysInfoPages::DateTimeText(QDateTime::currentDateTime()));
}

void TSysInfoForm::SbRefreshClick() {
  // The refresh reads the selected drive again: asked ahead, so that it does
  // not hold the window up.
  Sys1.ProbeDriveAhead(Sys1.diSign());
  AfterDrivesAnswer([this] { Sys1.Refresh(); });
}

void TSysInfoForm::sbexitClick() { close(); }

void TSysInfoForm::ButtonPanelResize() {
  sbexit->move(ButtonPanel->width() - sbexit->width() - kExitMargin, sbexit->y());
}

void TSysInfoForm::AfterDrivesAnswer(std::function<void()> then) {
  afterDrives_.push_back(std::move(then));
  if (!runningSteps_) CheckDrives();
}

void TSysInfoForm::CheckDrives() {
  // A step may ask for more waiting (its own drive to answer): it then goes
  // after the steps already waiting.
  runningSteps_ = true;
  while (!afterDrives_.empty() && !Sys1.DrivesAnswering()) {
    std::function<void()> step = std::move(afterDrives_.front());
    afterDrives_.pop_front();
    step();
  }
  runningSteps_ = false;
  if (afterDrives_.empty())
    driveWait_->stop();
  else if (!driveWait_->isActive())
    driveWait_->start();
}
