// The main window: its components as the window's description gives them, its
// activation handler, the running light and the hot-spots' actions.
#include "windows/Unit1.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QFont>
#include <QMenu>
#include <QScopeGuard>
#include <QScreen>
#include <QTimer>

#include <array>

#include "controls/CoolForm.h"
#include "controls/Kr_Hint.h"
#include "controls/Led.h"
#include "controls/NetDlgs.h"
#include "controls/Noshape.h"
#include "windows/Un_SysInfo.h"
#include "windows/Unit2.h"
#include "windows/Unit3.h"

using parvex::KrHint;
using parvex::TBSLed;
using parvex::TCoolForm;
using parvex::TNetConnectDlg;
using parvex::TNetDisConnectDlg;
using parvex::TNoShape;

TForm1* Form1 = nullptr;

namespace {

// The lamps' colours: dark in RGB (128, 64, 0), lit in yellow.
const QColor kLampDark(128, 64, 0);
const QColor kLampLit(255, 255, 0);

}  // namespace

TForm1::TForm1(QWidget* parent) : QWidget(parent) {
  setObjectName(QStringLiteral("Form1"));
  // The caption bar is gone, so the only place a title shows on Linux is the
  // task bar and the window list; there it should read like the program, as
  // the application's own task bar button does on Windows.
  setWindowTitle(QStringLiteral("Parvex"));
  // Flags first: the shaped image takes the frame away when it is created,
  // and replacing the flags afterwards would bring the frame back.
  setWindowFlags(Qt::Window | Qt::FramelessWindowHint);
  resize(440, 270);
  QFont designFont(QStringLiteral("MS Sans Serif"));
  designFont.setPixelSize(13);
  setFont(designFont);

  CreateComponents();
  PlaceAtScreenCentre();
}

TForm1::~TForm1() {
  if (Form1 == this) Form1 = nullptr;
}

void TForm1::CreateComponents() {
  CoolForm1 = new TCoolForm(this);
  CoolForm1->setObjectName(QStringLiteral("CoolForm1"));
  // Sizes the window to the picture and cuts it to the stored outline.
  CoolForm1->loadStored(QStringLiteral(":/mainwindow/CoolForm1"));

  NoShape1 = CreateHotSpot("NoShape1", 40, 144, QStringLiteral("Split & Join"));
  NoShape2 = CreateHotSpot("NoShape2", 248, 208, QStringLiteral("About"));
  NoShape3 = CreateHotSpot("NoShape3", 160, 209, QStringLiteral("Tools"));
  NoShape4 = CreateHotSpot("NoShape4", 280, 112, QStringLiteral("Exit"));
  NoShape5 = CreateHotSpot("NoShape5", 240, 112, QStringLiteral("Minimize"));
  connect(NoShape1, &TNoShape::OnClick, this, &TForm1::NoShape1Click);
  connect(NoShape2, &TNoShape::OnClick, this, &TForm1::NoShape2Click);
  connect(NoShape3, &TNoShape::OnClick, this, &TForm1::NoShape3Click);
  connect(NoShape4, &TNoShape::OnClick, this, &TForm1::NoShape4Click);
  connect(NoShape5, &TNoShape::OnClick, this, &TForm1::NoShape5Click);

  BSLed1 = CreateLamp("BSLed1", 104, 120, true);
  BSLed2 = CreateLamp("BSLed2", 133, 113, false);
  BSLed3 = CreateLamp("BSLed3", 161, 109, false);
  BSLed4 = CreateLamp("BSLed4", 191, 106, false);
  BSLed5 = CreateLamp("BSLed5", 219, 104, false);

  // Being created, it makes the balloon the hint of every window.
  KrHint1 = new KrHint(this);
  KrHint1->setObjectName(QStringLiteral("KrHint1"));
  QFont hintFont(QStringLiteral("MS Sans Serif"));
  hintFont.setPixelSize(15);
  hintFont.setBold(true);
  KrHint1->setFont(hintFont);
  KrHint1->setFontColor(kLampLit);
  KrHint1->setColor(QColor(128, 0, 0));
  KrHint1->setKind(KrHint::KrEllipse);
  KrHint1->setShadow(KrHint::shBottomRight);

  NetConnectDlg1 = new TNetConnectDlg(this);
  NetConnectDlg1->setObjectName(QStringLiteral("NetConnectDlg1"));
  NetDisConnectDlg1 = new TNetDisConnectDlg(this);
  NetDisConnectDlg1->setObjectName(QStringLiteral("NetDisConnectDlg1"));
  NetDisConnectDlg1->setResourceType(TNetDisConnectDlg::rtDisk);

  Timer1 = new QTimer(this);
  Timer1->setObjectName(QStringLiteral("Timer1"));
  Timer1->setInterval(kRunningLightInterval);
  connect(Timer1, &QTimer::timeout, this, &TForm1::Timer1Timer);
  Timer1->start();

  CreateToolsMenu();
}

void TForm1::CreateToolsMenu() {
  // Attached to no control: only the Tools hot-spot opens it.
  PopupMenu1 = new QMenu(this);
  PopupMenu1->setObjectName(QStringLiteral("PopupMenu1"));
  ConnectNetworkDrive1 = PopupMenu1->addAction(QStringLiteral("Connect Network Drives ..."));
  ConnectNetworkDrive1->setObjectName(QStringLiteral("ConnectNetworkDrive1"));
  DisconnectNetworkDrives1 = PopupMenu1->addAction(QStringLiteral("Disconnect Network Drives"));
  DisconnectNetworkDrives1->setObjectName(QStringLiteral("DisconnectNetworkDrives1"));
  N1 = PopupMenu1->addSeparator();
  N1->setObjectName(QStringLiteral("N1"));
  SystemInformation1 = PopupMenu1->addAction(QStringLiteral("System Information"));
  SystemInformation1->setObjectName(QStringLiteral("SystemInformation1"));
  // Queued: the chosen item's handler runs once the menu has gone, not from
  // inside the menu's own loop.
  connect(ConnectNetworkDrive1, &QAction::triggered, this, &TForm1::ConnectNetworkDrive1Click,
          Qt::QueuedConnection);
  connect(DisconnectNetworkDrives1, &QAction::triggered, this, &TForm1::DisconnectNetworkDrives1Click,
          Qt::QueuedConnection);
  connect(SystemInformation1, &QAction::triggered, this, &TForm1::SystemInformation1Click, Qt::QueuedConnection);
}

TNoShape* TForm1::CreateHotSpot(const char* name, int left, int top, const QString& hint) {
  auto* hotSpot = new TNoShape(this);
  hotSpot->setObjectName(QString::fromLatin1(name));
  hotSpot->loadStored(QStringLiteral(":/mainwindow/") + QString::fromLatin1(name));
  // The size is the picture's (AutoSize).
  hotSpot->move(left, top);
  hotSpot->setHint(hint);
  hotSpot->setShowHint(true);
  return hotSpot;
}

TBSLed* TForm1::CreateLamp(const char* name, int left, int top, bool lit) {
  auto* lamp = new TBSLed(this);
  lamp->setObjectName(QString::fromLatin1(name));
  lamp->setGeometry(left, top, 15, 15);
  lamp->setBackColor(kLampDark);
  lamp->setColor(kLampLit);
  lamp->setBorderWidth(0);
  lamp->setLightOn(lit);
  return lamp;
}

void TForm1::PlaceAtScreenCentre() {
  const QScreen* where = screen() != nullptr ? screen() : QGuiApplication::primaryScreen();
  if (where == nullptr) return;
  const QRect area = where->geometry();
  move(area.x() + (area.width() - width()) / 2, area.y() + (area.height() - height()) / 2);
}

void TForm1::FormActivate() {
  const QImage picture = CoolForm1->picture();
  if (!picture.isNull()) resize(picture.size());

  NoShape1->move(40, 144);
  // One pixel above the designed 209: the hot-spot has always sat here once
  // the window was shown.
  NoShape3->move(160, 208);
  NoShape2->move(248, 208);
  NoShape5->move(240, 112);
  NoShape4->move(280, 112);

  BSLed1->move(104, 120);
  BSLed2->move(133, 113);
  BSLed3->move(161, 109);
  BSLed4->move(191, 106);
  BSLed5->move(219, 104);
}

void TForm1::NoShape1Click() {
  Timer1->stop();
  // The light goes on when the window closes, however its showing ends.
  const auto restart = qScopeGuard([this] { Timer1->start(); });
  if (Form2 != nullptr) Form2->exec();
}

void TForm1::NoShape2Click() {
  Timer1->stop();
  if (Form3 != nullptr) {
    Form3->show();
    // Open already: the same window comes forward.
    Form3->raise();
    Form3->activateWindow();
  }
  Timer1->start();
}

void TForm1::NoShape3Click() {
  // The window has no border, so its client origin is where it is on the
  // screen; the menu's left edge goes at the hot-spot's top-right corner.
  const QPoint corner = mapToGlobal(QPoint(NoShape3->x() + 32, NoShape3->y()));
  PopupMenu1->popup(corner);
}

void TForm1::ConnectNetworkDrive1Click() {
  Timer1->stop();
  const auto restart = qScopeGuard([this] { Timer1->start(); });
  NetConnectDlg1->Execute();
}

void TForm1::DisconnectNetworkDrives1Click() {
  Timer1->stop();
  const auto restart = qScopeGuard([this] { Timer1->start(); });
  NetDisConnectDlg1->Execute();
}

void TForm1::SystemInformation1Click() {
  Timer1->stop();
  const auto restart = qScopeGuard([this] { Timer1->start(); });
  if (SysInfoForm != nullptr) SysInfoForm->exec();
}

void TForm1::NoShape4Click() { close(); }

void TForm1::NoShape5Click() {
  // Only real windows go: a balloon hint or a menu that happens to be up is
  // no window of the program's own, and a hidden window must stay hidden.
  for (QWidget* window : QApplication::topLevelWidgets()) {
    const Qt::WindowType type = window->windowType();
    if ((type != Qt::Window && type != Qt::Dialog) || !window->isVisible()) continue;
    window->setWindowState(window->windowState() | Qt::WindowMinimized);
  }
}

void TForm1::Timer1Timer() {
  const std::array<TBSLed*, 5> lamps{BSLed1, BSLed2, BSLed3, BSLed4, BSLed5};
  // The first lit lamp moves on; any other lit lamp stays as it is, and with
  // none lit the light has stopped for good.
  for (std::size_t n = 0; n < lamps.size(); ++n) {
    if (!lamps[n]->lightOn()) continue;
    // Lit before the old one goes out, so that a lamp is lit at every moment.
    lamps[(n + 1) % lamps.size()]->setLightOn(true);
    lamps[n]->setLightOn(false);
    return;
  }
}

bool TForm1::event(QEvent* event) {
  if (event->type() == QEvent::WindowActivate) FormActivate();
  return QWidget::event(event);
}

void TForm1::closeEvent(QCloseEvent* event) {
  QWidget::closeEvent(event);
  if (event->isAccepted()) emit OnClose();
}
