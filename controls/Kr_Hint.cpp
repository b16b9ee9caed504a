// KrHint's settings and KrHintWindow's activation and painting.
#include "controls/Kr_Hint.h"

#include <QApplication>
#include <QCursor>
#include <QGuiApplication>
#include <QPainter>
#include <QPixmap>
#include <QScreen>
#include <QToolTip>

#include <algorithm>
#include <vector>

#include "controls/Kr_HintGeometry.h"
#include "controls/Kr_HintLogic.h"

namespace parvex {
namespace {

// Every live KrHint in creation order; the first one is in force.
std::vector<KrHint*>& Registry() {
  static std::vector<KrHint*> hints;
  return hints;
}

bool HaveWidgets() { return qobject_cast<QApplication*>(QCoreApplication::instance()) != nullptr; }

}  // namespace

KrHint::KrHint(QObject* owner) : QObject(owner) {
  Registry().push_back(this);
  if (HaveWidgets()) {
    settings_.font = kr_hint::HintFont(Settings{});
    settings_.fontColor = kr_hint::HintTextColor(Settings{});
    KrHintLogic::Acquire();
    tookOver_ = true;
  }
}

KrHint::~KrHint() {
  auto& hints = Registry();
  hints.erase(std::remove(hints.begin(), hints.end(), this), hints.end());
  // The last one gone gives the hints back to Qt's tool tips.
  if (tookOver_) KrHintLogic::Release();
}

KrHint* KrHint::Current() {
  const auto& hints = Registry();
  return hints.empty() ? nullptr : hints.front();
}

template <typename T>
void KrHint::Assign(T& field, const T& value) {
  if (field == value) return;
  field = value;
  emit Changed();
}

void KrHint::setFont(const QFont& value) { Assign(settings_.font, value); }
void KrHint::setFontColor(const QColor& value) { Assign(settings_.fontColor, value); }
void KrHint::setAlign(KrAlign value) { Assign(settings_.align, value); }
void KrHint::setColor(const QColor& value) { Assign(settings_.color, value); }
void KrHint::setKind(KrKind value) { Assign(settings_.kind, value); }
void KrHint::setColorBorder(const QColor& value) { Assign(settings_.colorBorder, value); }
void KrHint::setShadow(KrShadow value) { Assign(settings_.shadow, value); }
void KrHint::setColorShadow(const QColor& value) { Assign(settings_.colorShadow, value); }
void KrHint::setColorup(const QColor& value) { Assign(settings_.colorUp, value); }
void KrHint::setColorDown(const QColor& value) { Assign(settings_.colorDown, value); }
void KrHint::setShadowWidth(int value) { Assign(settings_.shadowWidth, std::max(value, 0)); }
void KrHint::setStretch(bool value) { Assign(settings_.stretch, value); }
void KrHint::setTransparentShadow(bool value) { Assign(settings_.transparentShadow, value); }
void KrHint::setBitMap(const QImage& value) { Assign(settings_.bitmap, value); }
void KrHint::setBitMapAlign(KrPictAlign value) { Assign(settings_.bitmapAlign, value); }

void KrHint::setShortPause(int value) {
  if (value == shortPause_) return;
  shortPause_ = value;
  ApplicationHintTimings().shortPause = value;
  emit Changed();
}

void KrHint::setPause(int value) {
  if (value == pause_) return;
  pause_ = value;
  ApplicationHintTimings().pause = value;
  emit Changed();
}

void KrHint::setHidePause(int value) {
  if (value == hidePause_) return;
  hidePause_ = value;
  ApplicationHintTimings().hidePause = value;
  emit Changed();
}

// ---------------------------------------------------------------------------

KrHintWindow::KrHintWindow(QWidget* parent)
    : QWidget(parent, Qt::ToolTip | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint |
                          Qt::WindowTransparentForInput | Qt::WindowDoesNotAcceptFocus) {
  setAttribute(Qt::WA_ShowWithoutActivating);
  translucent_ = !CanCopyScreen();
  // Must be decided before the native window exists.
  if (translucent_) setAttribute(Qt::WA_TranslucentBackground);
}

bool KrHintWindow::CanCopyScreen() {
  const QString platform = QGuiApplication::platformName();
  return platform == QLatin1String("xcb") || platform == QLatin1String("windows") ||
         platform == QLatin1String("cocoa");
}

void KrHintWindow::ActivateHint(const QRect& rect, const QString& text) {
  text_ = text;
  setWindowTitle(text);
  const KrHint* current = KrHint::Current();
  KrHint::Settings settings = current ? current->settings() : KrHint::Settings{};

  textSize_ = kr_hint::MeasureText(text, kr_hint::HintFont(settings), rect.width(), settings.align);
  const QSize size =
      kr_hint::BalloonSize(textSize_, settings.kind, settings.shadow, settings.shadowWidth);

  const QPoint pointer = QCursor::pos();
  QScreen* screen = QGuiApplication::screenAt(pointer);
  if (!screen) screen = QGuiApplication::primaryScreen();
  const QRect screenRect = screen ? screen->geometry() : QRect(0, 0, 640, 480);
  const QRect bounds(kr_hint::PlaceBalloon(pointer, size, screenRect), size);

  // A balloon still up would end up in its own screen copy.
  if (isVisible()) hide();
  setGeometry(bounds);

  // Composed at the screen's resolution: on a scaled screen the copy of the
  // screen keeps every one of its pixels, and the shape and text are sharp.
  const qreal ratio = screen ? screen->devicePixelRatio() : 1.0;
  picture_ = QImage(size * ratio, QImage::Format_ARGB32_Premultiplied);
  picture_.setDevicePixelRatio(ratio);
  picture_.fill(Qt::transparent);
  if (!translucent_ && screen) {
    const QPixmap shot = screen->grabWindow(0, bounds.x() - screenRect.x(),
                                            bounds.y() - screenRect.y(), size.width(), size.height());
    QPainter p(&picture_);
    const QRect logical(QPoint(0, 0), size);
    if (shot.isNull())
      p.fillRect(logical, palette().color(QPalette::Window));
    else
      p.drawImage(logical, shot.toImage());
  }
  // Composed once per activation and kept, so that a window passing over the
  // balloon gets the same picture back rather than a blank.
  kr_hint::ComposeBalloon(picture_, settings, text, textSize_);

  show();
  raise();
  repaint();
}

void KrHintWindow::paintEvent(QPaintEvent*) {
  QPainter p(this);
  p.setCompositionMode(QPainter::CompositionMode_Source);
  p.drawImage(0, 0, picture_);
}

}  // namespace parvex
