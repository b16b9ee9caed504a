// When a balloon hint starts, moves on and goes; Qt's tool tip kept away.
#include "controls/Kr_HintLogic.h"

#include <QApplication>
#include <QCursor>
#include <QGuiApplication>
#include <QHelpEvent>
#include <QMouseEvent>
#include <QScreen>
#include <QToolTip>
#include <QWindow>

#include <algorithm>

#include "controls/Kr_Hint.h"
#include "controls/Kr_HintGeometry.h"

namespace parvex {
namespace {

KrHintLogic* instance = nullptr;
int holders = 0;

QWidget* TopLevelOf(QWindow* window) {
  const auto tops = QApplication::topLevelWidgets();
  for (QWidget* top : tops)
    if (top->windowHandle() == window) return top;
  return nullptr;
}

}  // namespace

KrHintTimings& ApplicationHintTimings() {
  static KrHintTimings timings;
  return timings;
}

void KrHintLogic::Acquire() {
  if (holders++ == 0) instance = new KrHintLogic;
}

void KrHintLogic::Release() {
  if (holders == 0) return;
  if (--holders == 0) {
    delete instance;
    instance = nullptr;
  }
}

KrHintLogic* KrHintLogic::Instance() { return instance; }

KrHintLogic::KrHintLogic() : window_(std::make_unique<KrHintWindow>()) {
  showTimer_.setSingleShot(true);
  hideTimer_.setSingleShot(true);
  connect(&showTimer_, &QTimer::timeout, this, &KrHintLogic::ShowNow);
  connect(&hideTimer_, &QTimer::timeout, this, &KrHintLogic::Expire);
  qApp->installEventFilter(this);
  // A Qt tip already up would otherwise linger beside the first balloon.
  QToolTip::hideText();
}

KrHintLogic::~KrHintLogic() {
  if (qApp) qApp->removeEventFilter(this);
}

QRect KrHintLogic::StandardHintRect(const QString& text, QPoint pointer) {
  QScreen* screen = QGuiApplication::screenAt(pointer);
  if (!screen) screen = QGuiApplication::primaryScreen();
  const int screenWidth = screen ? screen->geometry().width() : 640;
  const QSize laid =
      kr_hint::MeasureText(text, QApplication::font("QStatusBar"), screenWidth, KrHint::KrLeft);
  return QRect(pointer, QSize(laid.width() + 6, laid.height() + 2));
}

QWidget* KrHintLogic::HintControlOf(QWidget* widget) {
  for (QWidget* w = widget; w; w = w->parentWidget()) {
    if (!w->toolTip().isEmpty()) return w;
    if (w->isWindow()) break;
  }
  return nullptr;
}

bool KrHintLogic::eventFilter(QObject* watched, QEvent* event) {
  switch (event->type()) {
    case QEvent::ToolTip: {
      // Qt's request for a tool tip: ours to answer when the control has a
      // hint text. Widgets that make up tips of their own (item views) have
      // none and keep Qt's.
      auto* widget = qobject_cast<QWidget*>(watched);
      QWidget* control = widget ? HintControlOf(widget) : nullptr;
      if (!control) break;
      const bool underWay =
          control == control_ && (expired_ || showTimer_.isActive() || window_->isVisible());
      if (!underWay) {
        control_ = control;
        expired_ = false;
        showTimer_.stop();
        ShowNow();
      }
      return true;
    }
    case QEvent::MouseMove:
      // Watched on the native windows: every widget sees the pointer there,
      // whether or not it tracks the mouse itself.
      if (watched->isWindowType()) {
        auto* mouse = static_cast<QMouseEvent*>(event);
        if (mouse->buttons() == Qt::NoButton)
          PointerMoved(static_cast<QWindow*>(watched), mouse->position().toPoint());
      }
      break;
    case QEvent::Leave:
      if (watched->isWindowType()) PointerOver(nullptr);
      break;
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick:
    case QEvent::KeyPress:
    case QEvent::Wheel:
    case QEvent::ApplicationDeactivate:
      Cancel();
      break;
    default:
      break;
  }
  return false;
}

void KrHintLogic::PointerMoved(QWindow* window, QPoint local) {
  if (window == window_->windowHandle()) return;
  QWidget* top = TopLevelOf(window);
  if (!top) return;
  QWidget* under = top->childAt(local);
  PointerOver(HintControlOf(under ? under : top));
}

void KrHintLogic::PointerOver(QWidget* control) {
  if (control == control_) return;
  const bool wasShowing = window_->isVisible();
  Cancel();
  control_ = control;
  if (!control) return;
  const KrHintTimings& t = ApplicationHintTimings();
  showTimer_.start(std::max(wasShowing ? t.shortPause : t.pause, 0));
}

void KrHintLogic::ShowNow() {
  if (!control_ || !control_->isVisible()) return;
  const QString text = control_->toolTip();
  if (text.isEmpty()) return;
  window_->ActivateHint(StandardHintRect(text, QCursor::pos()), text);
  hideTimer_.start(std::max(ApplicationHintTimings().hidePause, 0));
}

void KrHintLogic::Expire() {
  window_->hide();
  expired_ = true;
}

void KrHintLogic::Cancel() {
  showTimer_.stop();
  hideTimer_.stop();
  if (window_->isVisible()) window_->hide();
  // The next move of the pointer over a control starts its hint afresh.
  control_ = nullptr;
  expired_ = false;
}

}  // namespace parvex
