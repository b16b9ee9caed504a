// Tests of the System Information window on the collector's made-up machine:
// its components, the category tree and its drive nodes (rebuilt, never
// doubled, never waiting on a drive that does not answer), the pages as the
// list shows them, the list hidden for an unreadable drive, the clock, the
// keys on the tree, Refresh keeping the rows, Exit, and the Exit button's
// place. Runs in the C locale.

#include <QApplication>
#include <QHeaderView>
#include <QSplitter>
#include <QStatusBar>
#include <QTimer>
#include <QTreeWidget>
#include <QtTest>
#include <chrono>
#include <cstdlib>

#include "controls/Wordcap.h"
#include "controls/bi_btns.h"
#include "tests/sysinfo/FakeMachine.h"
#include "windows/Panel.h"
#include "windows/Un_SysInfo.h"
#include "windows/Un_SysInfoPages.h"

using parvex::test::FakeMachine;

namespace {

using Clock = std::chrono::steady_clock;
constexpr auto kDeadline = std::chrono::milliseconds(300);

// The tree as indented captions, two spaces a level.
QStringList TreeLines(QTreeWidget* tree) {
  QStringList lines;
  for (QTreeWidgetItemIterator it(tree); *it != nullptr; ++it) {
    int depth = 0;
    for (QTreeWidgetItem* up = (*it)->parent(); up != nullptr; up = up->parent()) ++depth;
    lines << QString(2 * depth, ' ') + (*it)->text(0);
  }
  return lines;
}

QTreeWidgetItem* Node(QTreeWidget* tree, const QString& caption) {
  for (QTreeWidgetItemIterator it(tree); *it != nullptr; ++it) {
    if ((*it)->text(0) == caption) return *it;
  }
  return nullptr;
}

// The list's rows as "Parameter|Value".
QStringList ListLines(QTreeWidget* list) {
  QStringList lines;
  for (int i = 0; i < list->topLevelItemCount(); ++i)
    lines << list->topLevelItem(i)->text(0) + QLatin1Char('|') + list->topLevelItem(i)->text(1);
  return lines;
}

QStringList Columns(QTreeWidget* list) {
  return {list->headerItem()->text(0), list->headerItem()->text(1)};
}

QStringList ExpandedNodes(QTreeWidget* tree) {
  QStringList expanded;
  for (QTreeWidgetItemIterator it(tree); *it != nullptr; ++it) {
    if ((*it)->childCount() > 0 && (*it)->isExpanded()) expanded << (*it)->text(0);
  }
  return expanded;
}

const QStringList kDefaultTree{
    "Computer",
    "  CPU",
    "  Memory",
    "  Disks",
    "    A: [?]...Removable",
    "    C: []...Fixed",
    "    D: [My Boot]...Fixed",
    "    E: [STICK]...Removable",
    "    F: []...Network = //server/share/",
    "    G: []...RAM",
    "  Display",
    "    Installed Fonts",
    "  Monitor",
    "  Sound Device",
    "  Mouse",
    "  Printer",
    "Operating System",
};

const QRegularExpression kDateTime(QStringLiteral("^\\d\\d/\\d\\d/\\d\\d \\d\\d:\\d\\d:\\d\\d$"));

}  // namespace

class SysInfoWindowTest : public QObject {
  Q_OBJECT

  FakeMachine* machine_ = nullptr;

  void Select(TSysInfoForm& form, const QString& caption) {
    QTreeWidgetItem* node = Node(form.tvSI, caption);
    QVERIFY2(node != nullptr, qPrintable(caption));
    form.tvSI->setCurrentItem(node);
  }

 private slots:
  void init() { machine_ = new FakeMachine; }
  void cleanup() {
    delete machine_;
    machine_ = nullptr;
  }

  void componentsWithTheirSettings() {
    TSysInfoForm form(nullptr, machine_->SourcesFor(kDeadline));
    QCOMPARE(form.contentsRect().size(), QSize(831, 448));
    QCOMPARE(form.minimumSize(), form.maximumSize());  // not resizable
    QCOMPARE(form.windowTitle(), QStringLiteral("Parvex - System Information"));
    QVERIFY(!form.windowIcon().isNull());
    TMSOfficeCaption* caption = form.MSOfficeCaption1;
    QCOMPARE(caption->appNameText()->caption(), QStringLiteral("Parvex -"));
    QCOMPARE(caption->appNameText()->colorActive(), QColor(Qt::yellow));
    QCOMPARE(caption->appNameText()->colorInactive(), QColor(0, 255, 0));
    QCOMPARE(caption->appNameText()->fontKind(), Wordcap::fkSystemB);
    QCOMPARE(caption->captionText()->caption(), QStringLiteral("System Information"));
    QCOMPARE(caption->captionText()->colorActive(), QColor(0, 255, 0));
    QCOMPARE(caption->captionText()->colorInactive(), QColor(Qt::yellow));
    QCOMPARE(caption->captionText()->fontKind(), Wordcap::fkSystem);
    QCOMPARE(caption->companyText()->caption(), QString());
    QCOMPARE(caption->companyText()->fontKind(), Wordcap::fkSystemBI);
    QCOMPARE(caption->color(), QColor(Qt::red));
    QCOMPARE(caption->enabled(), Wordcap::geAlways);
    QCOMPARE(caption->justification(), Wordcap::jLeft);

    QCOMPARE(form.ButtonPanel->height(), 44);
    QCOMPARE(form.ButtonPanel->color(), QColor(Qt::black));
    // The buttons' faces: the plasma is painted even on a display of few colours.
    QVERIFY(form.SbRefresh->paint256() && form.sbexit->paint256());
    QCOMPARE(form.SbRefresh->caption(), QStringLiteral("Refresh"));
    QCOMPARE(form.SbRefresh->geometry(), QRect(7, 11, 119, 25));
    QCOMPARE(form.sbexit->caption(), QStringLiteral("Exit"));
    QCOMPARE(form.tvSI->indentation(), 19);
    QCOMPARE(form.Splitter1->handleWidth(), 3);
    QVERIFY(form.lvSI->isHidden());  // hidden at start
    QCOMPARE(Columns(form.lvSI), (QStringList{"Parameter", "Value"}));
    QCOMPARE(form.lvSI->columnWidth(0), 200);
    QCOMPARE(form.lvSI->columnWidth(1), 200);
    QCOMPARE(form.SB->height(), 23);
    QCOMPARE(form.Timer->interval(), 1000);
    QVERIFY(form.Timer->isActive());  // from creation, shown or not

    QCOMPARE(form.sbexit->geometry(), QRect(705, 10, 121, 24));
    form.show();
    QCOMPARE(form.sbexit->geometry(), QRect(705, 10, 121, 24));
    QCOMPARE(form.tvSI->width(), 265);
    Select(form, "Computer");
    QCOMPARE(form.lvSI->geometry(), form.EmptyPanel->geometry());  // the same place, the list on top
    QCOMPARE(form.lvSI->mapTo(&form, QPoint(0, 0)).x(), form.tvSI->mapTo(&form, QPoint(0, 0)).x() + 265 + 3);
  }

  void panelsPaintTheirBevelsAndACentredCaption() {
    TSysInfoForm form(nullptr, machine_->SourcesFor(kDeadline));
    const QImage panel = form.ButtonPanel->renderToImage();
    QCOMPARE(panel.size(), QSize(831, 44));
    const QRgb light = parvex::ColorToRGB(parvex::clBtnHighlight);
    const QRgb dark = parvex::ColorToRGB(parvex::clBtnShadow);
    const int right = panel.width() - 1;
    const int bottom = panel.height() - 1;
    // Outer ring raised, inner ring lowered, black inside.
    QCOMPARE(panel.pixel(0, 0) & 0xFFFFFF, light & 0xFFFFFF);
    QCOMPARE(panel.pixel(right, bottom) & 0xFFFFFF, dark & 0xFFFFFF);
    QCOMPARE(panel.pixel(1, 1) & 0xFFFFFF, dark & 0xFFFFFF);
    QCOMPARE(panel.pixel(right - 1, bottom - 1) & 0xFFFFFF, light & 0xFFFFFF);
    QCOMPARE(panel.pixel(300, 20) & 0xFFFFFF, 0u);
    QCOMPARE(panel.pixel(2, 2) & 0xFFFFFF, 0u);

    // The date and time in navy in the middle of the face, no bevel around.
    form.show();
    form.EmptyPanel->setCaption("12/31/99 23:59:59");
    const QImage clock = form.EmptyPanel->renderToImage();
    const QRgb face = parvex::ColorToRGB(parvex::clBtnFace) & 0xFFFFFF;
    QCOMPARE(clock.pixel(0, 0) & 0xFFFFFF, face);
    QCOMPARE(clock.pixel(clock.width() - 1, clock.height() - 1) & 0xFFFFFF, face);
    QRect ink;
    for (int y = 0; y < clock.height(); ++y) {
      for (int x = 0; x < clock.width(); ++x) {
        if ((clock.pixel(x, y) & 0xFFFFFF) == 0x000080) ink |= QRect(x, y, 1, 1);
      }
    }
    QVERIFY(!ink.isEmpty());
    QVERIFY2(qAbs(ink.center().x() - clock.rect().center().x()) <= 2, qPrintable(QString::number(ink.center().x())));
    QVERIFY2(qAbs(ink.center().y() - clock.rect().center().y()) <= 3, qPrintable(QString::number(ink.center().y())));
  }

  void exitKeepsItsMarginWhenThePanelResizes() {
    TSysInfoForm form(nullptr, machine_->SourcesFor(kDeadline));
    QCOMPARE(form.sbexit->x(), 831 - 121 - 5);
    form.show();
    form.ButtonPanel->resize(500, 44);
    QCOMPARE(form.sbexit->x(), 500 - 121 - 5);
    QCOMPARE(form.sbexit->y(), 10);
  }

  void eachShowingBuildsTheSameTreeAndReadsEveryDrive() {
    TSysInfoForm form(nullptr, machine_->SourcesFor(kDeadline));
    QVERIFY(TreeLines(form.tvSI).isEmpty());  // built when shown, not before
    const int stickCalls = machine_->fileSystems().Calls("/media/ann/STICK");
    form.show();
    QTRY_VERIFY(!form.WaitingForDrives());
    QCOMPARE(TreeLines(form.tvSI), kDefaultTree);
    QVERIFY(ExpandedNodes(form.tvSI).isEmpty());
    QCOMPARE(form.Sys1.diSign(), 'G');  // the last drive found is the one selected
    QCOMPARE(machine_->fileSystems().Calls("/media/ann/STICK"), stickCalls + 1);
    QVERIFY(form.EmptyPanel->caption().contains(kDateTime));

    form.hide();
    form.show();
    QTRY_VERIFY(!form.WaitingForDrives());
    QCOMPARE(TreeLines(form.tvSI), kDefaultTree);  // not doubled
    QCOMPARE(machine_->fileSystems().Calls("/media/ann/STICK"), stickCalls + 2);

    // A drive that came since shows at the next showing.
    auto mounts = parvex::test::DefaultMounts();
    mounts.push_back("46 26 0:60 / /mnt/ram rw,relatime - tmpfs tmpfs rw");
    machine_->Mounts(mounts);
    form.Sys1.Refresh();
    form.hide();
    form.show();
    QTRY_VERIFY(!form.WaitingForDrives());
    QCOMPARE(TreeLines(form.tvSI).size(), kDefaultTree.size() + 1);
    QVERIFY(Node(form.tvSI, "H: []...RAM") != nullptr);
  }

  void aDriveThatNeverAnswersHoldsNothingUp() {
    machine_->fileSystems().Hang("/mnt/share");
    // Long enough that a window waiting for it could not pass for a busy machine.
    const auto deadline = std::chrono::milliseconds(800);
    TSysInfoForm form(nullptr, machine_->SourcesFor(deadline));
    const auto start = Clock::now();
    form.show();
    QVERIFY(Clock::now() - start < deadline);  // the window shows at once
    QVERIFY(form.WaitingForDrives());
    QCOMPARE(Node(form.tvSI, "Disks")->childCount(), 0);

    // Meanwhile the window goes on: events come, a page can be chosen.
    bool ticked = false;
    QTimer::singleShot(20, &form, [&] { ticked = true; });
    QTRY_VERIFY_WITH_TIMEOUT(ticked, 200);
    QVERIFY(form.WaitingForDrives());
    Select(form, "Memory");
    QVERIFY(!form.lvSI->isHidden());

    QTRY_VERIFY(!form.WaitingForDrives());
    QVERIFY(Clock::now() - start < 4 * deadline);
    QVERIFY(Node(form.tvSI, "F: [?]...Network = //server/share/") != nullptr);
    QCOMPARE(Node(form.tvSI, "Disks")->childCount(), 6);

    // Still dead: its page comes at once, unreadable, and hides the list.
    const auto selected = Clock::now();
    Select(form, "F: [?]...Network = //server/share/");
    QVERIFY(!form.WaitingForDrives());
    QVERIFY(Clock::now() - selected < deadline);  // waiting would take a deadline
    QVERIFY(form.lvSI->isHidden());
    QCOMPARE(form.lvSI->topLevelItem(0)->text(1), QStringLiteral("?"));

    // A second showing waits only for the living drives, not for it again.
    form.hide();
    const auto again = Clock::now();
    form.show();
    QTRY_VERIFY(!form.WaitingForDrives());
    QVERIFY(Clock::now() - again < deadline);
    QCOMPARE(machine_->fileSystems().Calls("/mnt/share"), 1);
  }

  void aDrivePageWaitsForItsDriveAndIsDroppedWhenLeft() {
    TSysInfoForm form(nullptr, machine_->SourcesFor(std::chrono::milliseconds(2000)));
    form.show();
    QTRY_VERIFY(!form.WaitingForDrives());
    Select(form, "CPU");
    machine_->fileSystems().Hang("/media/ann/STICK");  // from now on the stick is slow

    Select(form, "E: [STICK]...Removable");
    QVERIFY(form.WaitingForDrives());
    QCOMPARE(form.lvSI->topLevelItemCount(), 0);  // cleared at once, filled when the drive answers
    Select(form, "Disks");  // the user goes on meanwhile
    QCOMPARE(ListLines(form.lvSI), (QStringList{"Number|6 ", "Available Signs|ACDEFG"}));
    machine_->fileSystems().Release();
    QTRY_VERIFY(!form.WaitingForDrives());
    QCOMPARE(ListLines(form.lvSI), (QStringList{"Number|6 ", "Available Signs|ACDEFG"}));  // not the stick's rows
    QVERIFY(!form.lvSI->isHidden());

    Select(form, "C: []...Fixed");
    QCOMPARE(form.lvSI->topLevelItemCount(), 10);
    Select(form, "E: [STICK]...Removable");  // let go, it answers at once (with nothing)
    QTRY_VERIFY(!form.WaitingForDrives());
    QCOMPARE(form.lvSI->topLevelItem(0)->text(1), QStringLiteral("?"));
    QVERIFY(form.lvSI->isHidden());
  }

  void pagesAsTheListShowsThem() {
    machine_->Mounts({"26 1 8:2 / / rw,relatime shared:1 - ext4 /dev/sda2 rw",
                      "40 26 8:1 / /boot rw,relatime shared:30 - ext4 /dev/sda1 rw"});
    machine_->Write("/proc/meminfo", "MemTotal: 1000000 kB\nMemAvailable: 570000 kB\n");
    TSysInfoForm form(nullptr, machine_->SourcesFor(kDeadline));
    form.show();
    QTRY_VERIFY(!form.WaitingForDrives());

    Select(form, "Disks");
    QVERIFY(!form.lvSI->isHidden());
    QCOMPARE(Columns(form.lvSI), (QStringList{"Parameter", "Value"}));
    QCOMPARE(ListLines(form.lvSI), (QStringList{"Number|3 ", "Available Signs|ACD"}));

    Select(form, "Memory");
    const QStringList memory = ListLines(form.lvSI);
    QCOMPARE(memory.size(), 13);
    QCOMPARE(memory[0], QStringLiteral("Free|57 %"));
    for (int blank : {1, 4, 7, 10}) QCOMPARE(memory[blank], QStringLiteral("|"));
    QCOMPARE(memory[2], QStringLiteral("Total Physical|1,024,000,000 B"));

    Select(form, "Installed Fonts");
    QCOMPARE(Columns(form.lvSI), (QStringList{"Font Name", QString()}));
    QCOMPARE(form.lvSI->topLevelItemCount(), SysInfoPages::ScreenFonts().size());
    QVERIFY(ListLines(form.lvSI).contains("Default|"));
    Select(form, "CPU");
    QCOMPARE(Columns(form.lvSI), (QStringList{"Parameter", "Value"}));
    QCOMPARE(form.lvSI->topLevelItemCount(), 10);

    Select(form, "Display");
    QCOMPARE(ListLines(form.lvSI).last(),
             QStringLiteral("Font Count|%1").arg(SysInfoPages::ScreenFonts().size()));

    Select(form, "D: [My Boot]...Fixed");
    QCOMPARE(form.Sys1.diSign(), 'D');
    QCOMPARE(ListLines(form.lvSI).last(), QStringLiteral("Mount Point|/boot"));
    QCOMPARE(form.lvSI->topLevelItem(1)->text(1).size(), 18);  // "0x" and 16 digits

    Select(form, "Operating System");
    QCOMPARE(form.lvSI->topLevelItem(6)->text(1).size(), 34);  // "0x" and 32 digits
    // A long value shows whole where the pointer rests on it.
    QCOMPARE(form.lvSI->topLevelItem(2)->toolTip(1), form.lvSI->topLevelItem(2)->text(1));

    // A node of no category empties and hides the list.
    QTreeWidgetItem stray(QStringList{"Somewhere else"});
    form.cmGetItemData(&stray);
    QVERIFY(form.lvSI->isHidden());
    QCOMPARE(form.lvSI->topLevelItemCount(), 0);
  }

  void anUnreadableDriveShowsTheTickingClock() {
    TSysInfoForm form(nullptr, machine_->SourcesFor(kDeadline));
    form.show();
    QTRY_VERIFY(!form.WaitingForDrives());
    Select(form, "Computer");
    QVERIFY(!form.lvSI->isHidden());
    form.EmptyPanel->setCaption("stale");
    form.TimerTimer();
    QCOMPARE(form.EmptyPanel->caption(), QStringLiteral("stale"));  // a page shows: the clock rests

    Select(form, "A: [?]...Removable");  // the floppy drive without a disk
    QVERIFY(form.lvSI->isHidden());
    QCOMPARE(form.lvSI->topLevelItemCount(), 10);  // filled all the same
    QCOMPARE(form.lvSI->topLevelItem(4)->text(1), QStringLiteral("-1 B"));
    QTRY_VERIFY_WITH_TIMEOUT(form.EmptyPanel->caption().contains(kDateTime), 2500);  // the window's timer

    // The show handler resets the clock and builds the tree again; the list
    // keeps its state and rows (until the tree, given the focus, picks a node).
    form.EmptyPanel->setCaption("stale");
    form.FormCreate();
    QTRY_VERIFY(!form.WaitingForDrives());
    QVERIFY(form.lvSI->isHidden());
    QCOMPARE(form.lvSI->topLevelItemCount(), 10);
    QVERIFY(form.EmptyPanel->caption().contains(kDateTime));
    QCOMPARE(TreeLines(form.tvSI), kDefaultTree);
  }

  void ctrlPageDownAndUpOpenAndCloseEverything() {
    TSysInfoForm form(nullptr, machine_->SourcesFor(kDeadline));
    form.show();
    QTRY_VERIFY(!form.WaitingForDrives());
    const QStringList all{"Computer", "Disks", "Display"};

    QTest::keyClick(form.tvSI, Qt::Key_PageDown);
    QVERIFY(ExpandedNodes(form.tvSI).isEmpty());
    QTest::keyClick(form.tvSI, Qt::Key_PageDown, Qt::ControlModifier);
    QCOMPARE(ExpandedNodes(form.tvSI), all);
    QTest::keyClick(form.tvSI, Qt::Key_PageUp);
    QCOMPARE(ExpandedNodes(form.tvSI), all);
    QTest::keyClick(form.tvSI, Qt::Key_PageUp, Qt::ControlModifier);
    QVERIFY(ExpandedNodes(form.tvSI).isEmpty());

    // The keypad's 3 and 9 with Ctrl do the same; the main keyboard's do not.
    QTest::keyClick(form.tvSI, Qt::Key_3, Qt::ControlModifier);
    QVERIFY(ExpandedNodes(form.tvSI).isEmpty());
    QTest::keyClick(form.tvSI, Qt::Key_3, Qt::ControlModifier | Qt::KeypadModifier);
    QCOMPARE(ExpandedNodes(form.tvSI), all);
    QTest::keyClick(form.tvSI, Qt::Key_9, Qt::ControlModifier);
    QCOMPARE(ExpandedNodes(form.tvSI), all);
    QTest::keyClick(form.tvSI, Qt::Key_9, Qt::ControlModifier | Qt::KeypadModifier);
    QVERIFY(ExpandedNodes(form.tvSI).isEmpty());

    // The tree still gets the key: Ctrl+Page Down also moves on in it.
    form.tvSI->setCurrentItem(Node(form.tvSI, "Computer"));
    QTest::keyClick(form.tvSI, Qt::Key_PageDown, Qt::ControlModifier);
    QVERIFY(form.tvSI->currentItem() != Node(form.tvSI, "Computer"));
  }

  void refreshKeepsTheRowsUntilAnotherNodeIsSelected() {
    TSysInfoForm form(nullptr, machine_->SourcesFor(kDeadline));
    form.show();
    QTRY_VERIFY(!form.WaitingForDrives());
    Select(form, "Computer");
    QTreeWidgetItem* computer = form.tvSI->currentItem();
    const QStringList before = ListLines(form.lvSI);
    QCOMPARE(before[0], QStringLiteral("Name|workstation"));

    machine_->Write("/proc/sys/kernel/hostname", "renamed\n");
    QTest::mouseClick(form.SbRefresh, Qt::LeftButton, {}, QPoint(50, 12));
    QTRY_VERIFY(!form.WaitingForDrives());
    QCOMPARE(form.Sys1.uiComputer(), std::string("renamed"));
    QCOMPARE(ListLines(form.lvSI), before);
    QCOMPARE(form.tvSI->currentItem(), computer);  // the tree is not rebuilt
    QCOMPARE(TreeLines(form.tvSI), kDefaultTree);
    form.tvSI->setCurrentItem(computer);  // the same node again is no change
    QCOMPARE(ListLines(form.lvSI), before);

    Select(form, "CPU");
    Select(form, "Computer");
    QCOMPARE(ListLines(form.lvSI)[0], QStringLiteral("Name|renamed"));
  }

  void exitClosesTheWindowAndEndsItsModalRun() {
    TSysInfoForm form(nullptr, machine_->SourcesFor(kDeadline));
    int result = -1;
    QTimer::singleShot(0, &form, [&] {
      QTRY_VERIFY(form.isVisible());
      QTest::mouseClick(form.sbexit, Qt::LeftButton, {}, QPoint(60, 12));
    });
    QTimer::singleShot(5000, &form, [&] { form.done(99); });  // a guard should Exit fail
    result = form.exec();
    QCOMPARE(result, int(QDialog::Rejected));
    QVERIFY(form.isHidden());
  }

  void theSplitterChangesTheTreesWidth() {
    TSysInfoForm form(nullptr, machine_->SourcesFor(kDeadline));
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    QSplitterHandle* handle = form.Splitter1->handle(1);
    QCOMPARE(handle->cursor().shape(), Qt::SizeHorCursor);
    QTest::mousePress(handle, Qt::LeftButton, {}, QPoint(1, 100));
    QTest::mouseMove(handle, QPoint(41, 100));
    QTest::mouseRelease(handle, Qt::LeftButton, {}, QPoint(41, 100));
    QVERIFY2(qAbs(form.tvSI->width() - (265 + 40)) <= 1, qPrintable(QString::number(form.tvSI->width())));
  }
};

int main(int argc, char** argv) {
  setenv("LC_ALL", "C", 1);
  QApplication app(argc, argv);
  SysInfoWindowTest test;
  return QTest::qExec(&test, argc, argv);
}

#include "Un_SysInfo_test.moc"
