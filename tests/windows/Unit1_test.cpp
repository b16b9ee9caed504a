// Tests of the main window: its components and their places before and after
// activation, the running light's rules watched through the lamps' change
// events, the Split & Join window shown modally with the light standing still,
// the Exit and Minimize hot-spots, the About window shown without waiting, and
// the Tools menu with the network dialogs (on a made-up network) and the
// System Information window (on a made-up machine).

#include <QAction>
#include <QApplication>
#include <QMenu>
#include <QSignalSpy>
#include <QTimer>
#include <QtTest>
#include <array>

#include "controls/CoolForm.h"
#include "controls/Kr_Hint.h"
#include "controls/Kr_HintLogic.h"
#include "controls/Led.h"
#include "controls/NetConnectForm.h"
#include "controls/NetDisconnectForm.h"
#include "controls/NetDlgs.h"
#include "controls/Noshape.h"
#include "tests/support/FakeNetPlaces.h"
#include "tests/sysinfo/FakeMachine.h"
#include "windows/Un_SysInfo.h"
#include "windows/Unit1.h"
#include "windows/Unit2.h"
#include "windows/Unit3.h"

using parvex::KrHint;
using parvex::TBSLed;
using parvex::TCoolForm;
using parvex::TNoShape;

namespace {

std::array<TBSLed*, 5> Lamps(const TForm1& form) {
  return {form.BSLed1, form.BSLed2, form.BSLed3, form.BSLed4, form.BSLed5};
}

// Which lamps are lit, as a string of five 0/1 digits.
QString LitPattern(const TForm1& form) {
  QString pattern;
  for (const TBSLed* lamp : Lamps(form)) pattern += lamp->lightOn() ? QLatin1Char('1') : QLatin1Char('0');
  return pattern;
}

void SetLit(TForm1& form, const QString& pattern) {
  const auto lamps = Lamps(form);
  for (int n = 0; n < 5; ++n) lamps[n]->setLightOn(pattern[n] == QLatin1Char('1'));
}

// A point inside the shape of a hot-spot, so that a click there counts.
QPoint InsideOf(const TNoShape* hotSpot) {
  const QPoint centre = hotSpot->rect().center();
  if (hotSpot->hitTest(centre.x(), centre.y())) return centre;
  for (int y = 0; y < hotSpot->height(); ++y)
    for (int x = 0; x < hotSpot->width(); ++x)
      if (hotSpot->hitTest(x, y)) return {x, y};
  return centre;
}

// Every change of a lamp, in order: the lamp's name and whether it is lit.
struct ChangeLog {
  QStringList entries;
  // Whether some lamp was lit at every change (the light never goes dark).
  bool alwaysOneLit = true;

  void Watch(const TForm1& form) {
    for (TBSLed* lamp : Lamps(form))
      QObject::connect(lamp, &TBSLed::OnChange, [this, &form](TBSLed* sender) {
        entries << sender->objectName() + (sender->lightOn() ? QStringLiteral(" on") : QStringLiteral(" off"));
        if (!LitPattern(form).contains(QLatin1Char('1'))) alwaysOneLit = false;
      });
  }
};

}  // namespace

class Unit1Test : public QObject {
  Q_OBJECT

 private slots:
  void componentsAsDescribed() {
    TForm1 form;
    QCOMPARE(form.objectName(), QStringLiteral("Form1"));
    QVERIFY(form.windowFlags().testFlag(Qt::FramelessWindowHint));
    QCOMPARE(form.size(), QSize(440, 270));
    QCOMPARE(form.font().pixelSize(), 13);

    // The picture fills the window and the window is cut to the stored outline.
    QCOMPARE(form.CoolForm1->geometry(), QRect(0, 0, 440, 270));
    QCOMPARE(form.CoolForm1->picture().size(), QSize(440, 270));
    QVERIFY(form.CoolForm1->maskHolder()->region().has_value());
    QCOMPARE(form.mask(), *form.CoolForm1->maskHolder()->region());
    QVERIFY(!form.mask().isEmpty());
    QVERIFY(QRect(0, 0, 440, 270).contains(form.mask().boundingRect()));

    // Creation order is painting order: picture, hot-spots, then lamps on top.
    // (The Tools menu is a window of its own, painting nothing on this one.)
    QStringList visual;
    for (QObject* child : form.children())
      if (child->isWidgetType() && !static_cast<QWidget*>(child)->isWindow()) visual << child->objectName();
    QCOMPARE(visual, (QStringList{"CoolForm1", "NoShape1", "NoShape2", "NoShape3", "NoShape4", "NoShape5",
                                  "BSLed1", "BSLed2", "BSLed3", "BSLed4", "BSLed5"}));

    const struct {
      TNoShape* hotSpot;
      QRect bounds;
      const char* hint;
    } hotSpots[] = {{form.NoShape1, {40, 144, 55, 69}, "Split & Join"},
                    {form.NoShape2, {248, 208, 32, 32}, "About"},
                    {form.NoShape3, {160, 209, 32, 32}, "Tools"},  // as designed, before activation
                    {form.NoShape4, {280, 112, 34, 33}, "Exit"},
                    {form.NoShape5, {240, 112, 33, 33}, "Minimize"}};
    for (const auto& spot : hotSpots) {
      QCOMPARE(spot.hotSpot->geometry(), spot.bounds);
      QCOMPARE(spot.hotSpot->hint(), QString::fromUtf8(spot.hint));
      QVERIFY(spot.hotSpot->showHint());
      QVERIFY(!spot.hotSpot->shapeMask().isNull());
    }

    const QPoint lampAt[] = {{104, 120}, {133, 113}, {161, 109}, {191, 106}, {219, 104}};
    const auto lamps = Lamps(form);
    for (int n = 0; n < 5; ++n) {
      QCOMPARE(lamps[n]->geometry(), QRect(lampAt[n], QSize(15, 15)));
      QCOMPARE(lamps[n]->backColor(), QColor(128, 64, 0));
      QCOMPARE(lamps[n]->color(), QColor(Qt::yellow));
      QCOMPARE(lamps[n]->borderWidth(), 0);
      QCOMPARE(lamps[n]->borderStyle(), TBSLed::bsCtl3D);
    }
    QCOMPARE(LitPattern(form), QStringLiteral("10000"));

    QCOMPARE(form.Timer1->interval(), 300);
    QVERIFY(form.Timer1->isActive());

    // Its balloon draws the hints of the whole program.
    QCOMPARE(KrHint::Current(), form.KrHint1);
    QVERIFY(parvex::KrHintLogic::Instance() != nullptr);
    QCOMPARE(form.KrHint1->kind(), KrHint::KrEllipse);
    QCOMPARE(form.KrHint1->shadow(), KrHint::shBottomRight);
    QCOMPARE(form.KrHint1->color(), QColor(128, 0, 0));
    QCOMPARE(form.KrHint1->fontColor(), QColor(Qt::yellow));
    QVERIFY(form.KrHint1->font().bold());
  }

  void activationPutsSizeAndPlacesBack() {
    TForm1 form;
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    // Centred on the screen when first shown.
    const QRect screen = form.screen()->geometry();
    QCOMPARE(form.pos(), QPoint(screen.x() + (screen.width() - 440) / 2, screen.y() + (screen.height() - 270) / 2));

    // Dragged elsewhere, resized and its controls moved from outside.
    form.move(form.pos() + QPoint(37, 21));
    const QPoint dragged = form.pos();
    form.resize(500, 300);
    form.NoShape1->move(0, 0);
    form.BSLed5->move(1, 1);
    form.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&form));
    form.FormActivate();  // whether or not the platform re-sent the activation

    QCOMPARE(form.size(), QSize(440, 270));
    QCOMPARE(form.pos(), dragged);
    QCOMPARE(form.NoShape1->pos(), QPoint(40, 144));
    QCOMPARE(form.NoShape2->pos(), QPoint(248, 208));
    QCOMPARE(form.NoShape3->pos(), QPoint(160, 208));  // one pixel above the design
    QCOMPARE(form.NoShape4->pos(), QPoint(280, 112));
    QCOMPARE(form.NoShape5->pos(), QPoint(240, 112));
    QCOMPARE(form.BSLed5->pos(), QPoint(219, 104));
    QCOMPARE(form.NoShape1->size(), QSize(55, 69));
  }

  void activationRunsTheHandler() {
    TForm1 form;
    form.show();
    QVERIFY(QTest::qWaitForWindowActive(&form));
    QTRY_COMPARE(form.NoShape3->pos(), QPoint(160, 208));
  }

  void lightTravelsAndWrapsAround() {
    TForm1 form;
    form.Timer1->stop();
    ChangeLog log;
    log.Watch(form);
    const QStringList expected{"01000", "00100", "00010", "00001", "10000", "01000"};
    for (const QString& pattern : expected) {
      form.Timer1Timer();
      QCOMPARE(LitPattern(form), pattern);
    }
    // Each step lights the next lamp first, then puts the old one out.
    QCOMPARE(log.entries.mid(0, 2), (QStringList{"BSLed2 on", "BSLed1 off"}));
    QCOMPARE(log.entries.mid(8, 2), (QStringList{"BSLed1 on", "BSLed5 off"}));
    QCOMPARE(log.entries.size(), 12);
    QVERIFY(log.alwaysOneLit);
  }

  void firstLitLampDecides() {
    TForm1 form;
    form.Timer1->stop();
    SetLit(form, "01010");
    form.Timer1Timer();
    QCOMPARE(LitPattern(form), QStringLiteral("00110"));
    form.Timer1Timer();  // the next one is lit already: it stays, the first goes out
    QCOMPARE(LitPattern(form), QStringLiteral("00010"));

    SetLit(form, "10001");  // the last lit lamp waits for the first
    form.Timer1Timer();
    QCOMPARE(LitPattern(form), QStringLiteral("01001"));
  }

  void noLampLitStopsTheLightForGood() {
    TForm1 form;
    SetLit(form, "00000");
    ChangeLog log;
    log.Watch(form);
    for (int n = 0; n < 10; ++n) form.Timer1Timer();
    QTest::qWait(700);  // real ticks as well
    QCOMPARE(LitPattern(form), QStringLiteral("00000"));
    QVERIFY(log.entries.isEmpty());
  }

  void splitAndJoinShownModallyWithTheLightStill() {
    TForm1 form;
    TForm2 window;
    Form2 = &window;
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));

    bool shownModally = false, timerStopped = false;
    QString litWhileOpen, litLater;
    QTimer::singleShot(50, &window, [&] {
      shownModally = window.isVisible() && QApplication::activeModalWidget() == &window;
      timerStopped = !form.Timer1->isActive();
      litWhileOpen = LitPattern(form);
      QTimer::singleShot(700, &window, [&] {
        litLater = LitPattern(form);
        window.BriskButton12Click();  // "Close"
      });
    });
    // Through the hot-spot itself: a click inside its shape.
    QTest::mouseClick(form.NoShape1, Qt::LeftButton, {}, InsideOf(form.NoShape1));
    Form2 = nullptr;

    QVERIFY(shownModally);
    QVERIFY(timerStopped);
    QCOMPARE(litLater, litWhileOpen);
    QVERIFY(!window.isVisible());
    // Going again, with a fresh interval.
    QVERIFY(form.Timer1->isActive());
    QVERIFY(form.Timer1->remainingTime() > 200);
    const QString afterwards = LitPattern(form);
    QTRY_VERIFY_WITH_TIMEOUT(LitPattern(form) != afterwards, 1000);

    // The window can be shown again and again.
    Form2 = &window;
    QTimer::singleShot(50, &window, [&] { window.BriskButton12Click(); });
    form.NoShape1Click();
    Form2 = nullptr;
    QVERIFY(form.Timer1->isActive());
  }

  void exitClosesTheWindowAndEndsTheProgram() {
    TForm1 form;
    QSignalSpy closed(&form, &TForm1::OnClose);
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    QTest::mouseClick(form.NoShape4, Qt::LeftButton, {}, InsideOf(form.NoShape4));
    QVERIFY(!form.isVisible());
    QCOMPARE(closed.count(), 1);
  }

  void minimizeSendsEveryWindowToTheTaskBar() {
    TForm1 form;
    QWidget other;
    QWidget hidden;
    QWidget tip(nullptr, Qt::ToolTip);
    form.show();
    other.show();
    tip.show();
    QVERIFY(QTest::qWaitForWindowExposed(&other));

    QTest::mouseClick(form.NoShape5, Qt::LeftButton, {}, InsideOf(form.NoShape5));
    QVERIFY(form.isMinimized());
    QVERIFY(other.isMinimized());
    QVERIFY(!hidden.isVisible());
    QVERIFY(!tip.isMinimized());
    // The light goes on while minimised.
    QVERIFY(form.Timer1->isActive());
  }
};

// The Tools menu and the windows it and the About hot-spot open.
class Unit1ToolsTest : public QObject {
  Q_OBJECT

 private:
  parvex::test::FakeNetPlaces places_;

  // Runs `check` while the modal window is up, then closes it with `close`.
  template <typename Window>
  static void WhileOpen(TForm1& form, std::function<void(Window&)> close, bool* stillWhileOpen) {
    QTimer::singleShot(50, &form, [&form, close, stillWhileOpen] {
      auto* window = qobject_cast<Window*>(QApplication::activeModalWidget());
      QVERIFY(window != nullptr);
      const QString before = LitPattern(form);
      *stillWhileOpen = !form.Timer1->isActive();
      QTimer::singleShot(700, window, [&form, window, close, before, stillWhileOpen] {
        *stillWhileOpen = *stillWhileOpen && LitPattern(form) == before;
        close(*window);
      });
    });
  }

 private slots:
  void init() { parvex::TNetPlaces::SetDefault(&places_); }
  void cleanup() { parvex::TNetPlaces::SetDefault(nullptr); }

  void toolsMenuAndDialogComponents() {
    TForm1 form;
    QCOMPARE(form.PopupMenu1->objectName(), QStringLiteral("PopupMenu1"));
    const QList<QAction*> items = form.PopupMenu1->actions();
    QCOMPARE(items.size(), 4);
    QCOMPARE(items[0], form.ConnectNetworkDrive1);
    QCOMPARE(items[0]->text(), QStringLiteral("Connect Network Drives ..."));
    QCOMPARE(items[1], form.DisconnectNetworkDrives1);
    QCOMPARE(items[1]->text(), QStringLiteral("Disconnect Network Drives"));
    QCOMPARE(items[2], form.N1);
    QVERIFY(items[2]->isSeparator());
    QCOMPARE(items[3], form.SystemInformation1);
    QCOMPARE(items[3]->text(), QStringLiteral("System Information"));
    QCOMPARE(items[3]->objectName(), QStringLiteral("SystemInformation1"));
    QCOMPARE(form.NetConnectDlg1->objectName(), QStringLiteral("NetConnectDlg1"));
    QCOMPARE(form.NetDisConnectDlg1->resourceType(), parvex::TNetDisConnectDlg::rtDisk);
    // Attached to no control: nothing opens it but the hot-spot.
    QCOMPARE(form.contextMenuPolicy(), Qt::DefaultContextMenu);
    QVERIFY(!form.PopupMenu1->isVisible());
  }

  void menuOpensAtTheHotSpotWhereverTheWindowIs() {
    TForm1 form;
    form.show();
    QVERIFY(QTest::qWaitForWindowActive(&form));
    form.move(20, 30);  // dragged away from the centre
    QTRY_COMPARE(form.pos(), QPoint(20, 30));
    QTest::mouseClick(form.NoShape3, Qt::LeftButton, {}, InsideOf(form.NoShape3));
    QTRY_VERIFY(form.PopupMenu1->isVisible());
    // The menu's top-left corner at the hot-spot's top-right corner.
    QCOMPARE(form.PopupMenu1->geometry().topLeft(), QPoint(20 + 160 + 32, 30 + form.NoShape3->y()));
    QCOMPARE(form.NoShape3->y(), 208);

    // Dismissed: nothing runs, the light goes on.
    QTest::keyClick(form.PopupMenu1, Qt::Key_Escape);
    QTRY_VERIFY(!form.PopupMenu1->isVisible());
    QTest::qWait(50);
    QCOMPARE(places_.serviceChecks, 0);
    QCOMPARE(places_.diskListings, 0);
    QVERIFY(QApplication::activeModalWidget() == nullptr);
    QVERIFY(form.Timer1->isActive());
    const QString lit = LitPattern(form);
    QTRY_VERIFY_WITH_TIMEOUT(LitPattern(form) != lit, 1000);
  }

  void networkDialogsWithTheLightStandingStill() {
    TForm1 form;
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));

    bool still = false;
    WhileOpen<parvex::TNetConnectForm>(form, [](parvex::TNetConnectForm& dialog) { dialog.CancelClick(); }, &still);
    form.ConnectNetworkDrive1->trigger();  // as the menu does when the item is chosen
    QTRY_VERIFY_WITH_TIMEOUT(places_.serviceChecks > 0 && QApplication::activeModalWidget() == nullptr, 3000);
    QVERIFY(still);
    QCOMPARE(form.NetConnectDlg1->Result(), -1);
    QVERIFY(form.Timer1->isActive());
    QVERIFY(form.Timer1->remainingTime() > 200);  // a fresh interval

    places_.disks = {{parvex::TNetConnection::ncKernel, "server:/export", "/mnt/export", "/mnt/export"}};
    WhileOpen<parvex::TNetDisconnectForm>(
        form,
        [this](parvex::TNetDisconnectForm& dialog) {
          dialog.DisconnectClick();
          places_.disconnects.back()->Finish({});
        },
        &still);
    form.DisconnectNetworkDrives1->trigger();
    QTRY_VERIFY_WITH_TIMEOUT(!places_.disconnects.empty() && QApplication::activeModalWidget() == nullptr, 3000);
    QVERIFY(still);
    QCOMPARE(places_.disconnects[0]->subject, QStringLiteral("/mnt/export"));
    QCOMPARE(form.NetDisConnectDlg1->Result(), 0);
    QVERIFY(form.Timer1->isActive());
  }

  void systemInformationShownModally() {
    parvex::test::FakeMachine machine;
    TSysInfoForm window(nullptr, machine.SourcesFor());
    SysInfoForm = &window;
    TForm1 form;
    form.show();
    QVERIFY(QTest::qWaitForWindowActive(&form));

    bool still = false;
    WhileOpen<TSysInfoForm>(form, [](TSysInfoForm& shown) { shown.sbexitClick(); }, &still);
    form.SystemInformation1->trigger();
    QTRY_VERIFY_WITH_TIMEOUT(!window.isVisible() && still, 3000);
    QTRY_VERIFY_WITH_TIMEOUT(form.Timer1->isActive(), 1000);
    // (That the main window is activated again on the return is the window
    // manager's doing: the desktop test sees it.)
    SysInfoForm = nullptr;
  }

  void aboutShownWithoutWaitingAndBroughtForward() {
    TForm3 about;
    Form3 = &about;
    TForm1 form;
    form.show();
    QVERIFY(QTest::qWaitForWindowActive(&form));
    QTest::mouseClick(form.NoShape2, Qt::LeftButton, {}, InsideOf(form.NoShape2));
    // Back at once: not modal, the light going again.
    QVERIFY(about.isVisible());
    QVERIFY(QApplication::activeModalWidget() == nullptr);
    QVERIFY(form.Timer1->isActive());
    QVERIFY(QTest::qWaitForWindowActive(&about));
    const QString lit = LitPattern(form);
    QTRY_VERIFY_WITH_TIMEOUT(LitPattern(form) != lit, 1000);  // runs while About is open

    // A second click brings the same window forward.
    form.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&form));
    form.NoShape2Click();
    QVERIFY(QTest::qWaitForWindowActive(&about));
    int abouts = 0;
    for (QWidget* window : QApplication::topLevelWidgets())
      if (qobject_cast<TForm3*>(window) != nullptr && window->isVisible()) ++abouts;
    QCOMPARE(abouts, 1);

    about.LabelEffect3Click();
    QVERIFY(!about.isVisible());
    form.NoShape2Click();  // shown again after closing
    QVERIFY(about.isVisible());
    Form3 = nullptr;
  }
};

int main(int argc, char* argv[]) {
  QApplication app(argc, argv);
  Unit1Test lights;
  Unit1ToolsTest tools;
  return QTest::qExec(&lights, argc, argv) | QTest::qExec(&tools, argc, argv);
}
#include "Unit1_test.moc"
