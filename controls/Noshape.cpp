// The hot-spot button: renderings, hit test, mouse rules, hint and painting.
#include "controls/Noshape.h"

#include <QFile>
#include <QGuiApplication>
#include <QHelpEvent>
#include <QKeySequence>
#include <QMouseEvent>
#include <QPainter>
#include <QShortcutEvent>
#include <QToolTip>

#include "controls/NoshapeBmp.h"
#include "controls/NoshapeOutline.h"
#include "base/Exception.h"

namespace parvex {
namespace {

// The hourglass while the renderings are made, put back however that ends.
class WaitCursor {
 public:
  WaitCursor() : active_(qobject_cast<QGuiApplication*>(QCoreApplication::instance()) != nullptr) {
    if (active_) QGuiApplication::setOverrideCursor(Qt::WaitCursor);
  }
  ~WaitCursor() {
    if (active_) QGuiApplication::restoreOverrideCursor();
  }
  WaitCursor(const WaitCursor&) = delete;
  WaitCursor& operator=(const WaitCursor&) = delete;

 private:
  bool active_;
};

bool IsEmpty(const QImage& image) { return image.isNull() || image.width() <= 0 || image.height() <= 0; }

}  // namespace

TNoShape::TNoShape(QWidget* parent) : QWidget(parent) {
  setGeometry(0, 0, 80, 80);
  // Moves without a button held drive the hint rule.
  setMouseTracking(true);
  // Not WA_OpaquePaintEvent: the key-colour pixels must show the parent's
  // picture and the controls beneath, which Qt paints first.
}

void TNoShape::setAutoSize(bool autoSize) {
  if (autoSize == autoSize_) return;
  autoSize_ = autoSize;
  setBounds(x(), y(), width(), height());
  update();
  emit autoSizeChanged();
}

void TNoShape::setBitmap(const QImage& bitmap) {
  if (bitmap == bitmap_) return;
  bitmap_ = bitmap;
  hiResBitmap_ = QImage();
  regenerate();
  emit bitmapChanged();
}

void TNoShape::setHiResBitmap(const QImage& bitmap) {
  hiResBitmap_ = !bitmap.isNull() && !IsEmpty(bitmap_) && bitmap.size() == bitmap_.size() * 2 ? bitmap : QImage();
  if (!loading_) regenerateHiRes();
  update();
}

void TNoShape::regenerateHiRes() {
  hiResReleased_ = QImage();
  hiResPressed_ = QImage();
  if (hiResBitmap_.isNull()) return;
  const QRgb highlight = palette().color(QPalette::Light).rgb();
  const QRgb shadow = palette().color(QPalette::Dark).rgb();
  hiResReleased_ = noshape::GenerateOutline(hiResBitmap_, noshape::okReleased, highlight, shadow, 2);
  hiResPressed_ = noshape::GenerateOutline(hiResBitmap_, noshape::okPressed, highlight, shadow, 2);
}

void TNoShape::setCaption(const QString& caption) {
  if (caption == caption_) return;
  caption_ = caption;
  // The caption's accelerator ("&Split") clicks the button, as a dialog
  // character would.
  if (mnemonicShortcut_ != 0) releaseShortcut(mnemonicShortcut_);
  mnemonicShortcut_ = 0;
  const QKeySequence mnemonic = QKeySequence::mnemonic(caption_);
  if (!mnemonic.isEmpty()) mnemonicShortcut_ = grabShortcut(mnemonic);
  update();
  emit captionChanged();
}

bool TNoShape::parentFont() const { return !testAttribute(Qt::WA_SetFont); }

void TNoShape::setParentFont(bool parentFont) {
  if (parentFont == this->parentFont()) return;
  if (parentFont) {
    setFont(QFont());  // an unresolved font inherits the parent's
    setAttribute(Qt::WA_SetFont, false);
  } else {
    QFont own = font();
    own.setResolveMask(QFont::AllPropertiesResolved);
    setFont(own);
  }
  update();
  emit parentFontChanged();
}

void TNoShape::setHint(const QString& hint) {
  if (hint == hint_) return;
  hint_ = hint;
  syncToolTip();
  emit hintChanged();
}

void TNoShape::setShowHint(bool showHint) {
  setParentShowHint(false);
  if (showHint == showHint_) return;
  showHint_ = showHint;
  syncToolTip();
  emit showHintChanged();
}

void TNoShape::setParentShowHint(bool parentShowHint) {
  if (parentShowHint == parentShowHint_) return;
  parentShowHint_ = parentShowHint;
  emit parentShowHintChanged();
}

// The tool tip is empty while hints are off, so that whichever hint window the
// application uses finds nothing to show.
void TNoShape::syncToolTip() { setToolTip(showHint_ ? hint_ : QString()); }

void TNoShape::setBounds(int left, int top, int width, int height) {
  applyAutoSize();
  setGeometry(left, top, width, height);
}

// The size rule lives in the size constraints, so that every way of sizing a
// widget (setGeometry, resize, layouts) obeys it.
void TNoShape::applyAutoSize() {
  if (autoSize_ && !loading_ && !IsEmpty(bitmap_)) {
    setFixedSize(bitmap_.size());
  } else {
    setMinimumSize(0, 0);
    setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
  }
}

QRgb TNoShape::keyColour() const {
  if (!IsEmpty(bitmap_)) return noshape::KeyColour(bitmap_);
  if (!IsEmpty(released_)) return noshape::KeyColour(released_);
  return qRgb(255, 255, 255);
}

void TNoShape::regenerate() {
  applyAutoSize();
  if (loading_) return;  // the stored renderings are used instead
  if (IsEmpty(bitmap_)) {
    released_ = QImage();
    pressed_ = QImage();
    hiResReleased_ = QImage();
    hiResPressed_ = QImage();
    update();
    return;
  }
  {
    WaitCursor wait;
    // The system's button highlight and shadow: the palette's light and dark.
    const QRgb highlight = palette().color(QPalette::Light).rgb();
    const QRgb shadow = palette().color(QPalette::Dark).rgb();
    released_ = noshape::GenerateOutline(bitmap_, noshape::okReleased, highlight, shadow);
    pressed_ = noshape::GenerateOutline(bitmap_, noshape::okPressed, highlight, shadow);
    shapeMask_ = noshape::KeyMask(released_, noshape::KeyColour(bitmap_));
    regenerateHiRes();
  }
  update();
}

bool TNoShape::hitTest(int x, int y) const {
  if (shapeMask_.isNull()) return true;
  if (x < 0 || y < 0 || x >= shapeMask_.width() || y >= shapeMask_.height()) return false;
  return shapeMask_.pixelIndex(x, y) == 0;
}

void TNoShape::click() { emit OnClick(); }

void TNoShape::readBitmapUp(const QByteArray& bytes) {
  released_ = bmp::Decode(bytes);
  update();
}

void TNoShape::readBitmapDown(const QByteArray& bytes) {
  pressed_ = bmp::Decode(bytes);
  update();
}

QByteArray TNoShape::writeBitmapUp() const { return IsEmpty(released_) ? QByteArray() : bmp::Encode(released_); }

QByteArray TNoShape::writeBitmapDown() const { return IsEmpty(pressed_) ? QByteArray() : bmp::Encode(pressed_); }

void TNoShape::beginLoading() {
  loading_ = true;
  applyAutoSize();
}

void TNoShape::loaded() {
  loading_ = false;
  applyAutoSize();
  if (IsEmpty(bitmap_)) return;
  if (!hiResBitmap_.isNull() && (hiResReleased_.isNull() || hiResPressed_.isNull())) regenerateHiRes();
  const QRgb key = noshape::KeyColour(bitmap_);
  shapeMask_ = noshape::KeyMask(bitmap_, key);
  if (!IsEmpty(released_)) shapeMask_ = noshape::AndMasks(shapeMask_, noshape::KeyMask(released_, key));
  update();
}

void TNoShape::loadStored(const QString& base) {
  const auto read = [](const QString& name, bool required) {
    QFile file(name);
    if (!file.open(QIODevice::ReadOnly)) {
      if (required) throw Exception("Cannot read stored button data \"" + name.toStdString() + "\"");
      return QByteArray();
    }
    return file.readAll();
  };
  beginLoading();
  try {
    setBitmap(bmp::Decode(read(base + ".Bitmap.bmp", true)));
    if (const QByteArray up = read(base + ".BitmapUp.bmp", false); !up.isEmpty()) readBitmapUp(up);
    if (const QByteArray down = read(base + ".BitmapDown.bmp", false); !down.isEmpty()) readBitmapDown(down);
    // The doubled pictures are extras: each is taken only when it is there and
    // of twice the size.
    setHiResBitmap(QImage(base + ".Bitmap@2x.png"));
    const auto doubled = [&](const QString& name) {
      const QImage image(base + name);
      return !hiResBitmap_.isNull() && image.size() == hiResBitmap_.size() ? image.convertToFormat(QImage::Format_RGB32)
                                                                           : QImage();
    };
    hiResReleased_ = doubled(".BitmapUp@2x.png");
    hiResPressed_ = doubled(".BitmapDown@2x.png");
  } catch (...) {
    loading_ = false;
    applyAutoSize();
    throw;
  }
  loaded();
}

void TNoShape::drawCaption(QPainter& painter, const QString& text, quint8 state, QRect rect) {
  if (state == bsDown) rect.translate(1, 1);
  painter.setBrush(Qt::NoBrush);
  painter.setPen(palette().color(QPalette::WindowText));
  painter.drawText(rect, Qt::AlignCenter | Qt::TextSingleLine | Qt::TextShowMnemonic, text.left(255));
}

void TNoShape::paintEvent(QPaintEvent* /*event*/) {
  if (state_ != bsDown) state_ = bsUp;
  const bool down = state_ == bsDown;
  QPainter painter(this);
  const QImage& shown = down ? pressed_ : released_;
  const QImage& shownHiRes = down ? hiResPressed_ : hiResReleased_;
  if (devicePixelRatioF() > 1 && !IsEmpty(shownHiRes)) {
    // On a scaled screen the doubled rendering, one pixel of the button two of the screen.
    QImage front = noshape::Foreground(shownHiRes, keyColour(), size() * 2, down, 2);
    front.setDevicePixelRatio(2);
    painter.setRenderHint(QPainter::SmoothPixmapTransform, devicePixelRatioF() != 2);
    painter.drawImage(QRect(QPoint(0, 0), size()), front);
  } else if (!IsEmpty(shown)) {
    painter.drawImage(0, 0, noshape::Foreground(shown, keyColour(), size(), down));
  }
  if (!caption_.isEmpty()) {
    painter.setFont(font());
    drawCaption(painter, caption_, state_, rect());
  }
}

bool TNoShape::event(QEvent* event) {
  switch (event->type()) {
    case QEvent::ToolTip: {
      // No hint over the key-colour part, even before a move has held it back.
      const auto* help = static_cast<QHelpEvent*>(event);
      if (!showHint_ || !hitTest(help->pos().x(), help->pos().y())) {
        QToolTip::hideText();
        event->ignore();
        return true;
      }
      break;
    }
    case QEvent::Shortcut:
      if (static_cast<QShortcutEvent*>(event)->shortcutId() == mnemonicShortcut_ && isEnabled()) {
        click();
        return true;
      }
      break;
    case QEvent::PaletteChange:
      // The renderings use the system's button colours.
      regenerate();
      break;
    case QEvent::FontChange:
      update();
      break;
    default:
      break;
  }
  return QWidget::event(event);
}

void TNoShape::mousePressEvent(QMouseEvent* event) {
  const QPoint at = event->position().toPoint();
  emit OnMouseDown(event->button(), event->modifiers(), at.x(), at.y());
  if (event->button() == Qt::LeftButton && isEnabled() && hitTest(at.x(), at.y())) {
    state_ = bsDown;
    repaint();
  }
}

void TNoShape::mouseMoveEvent(QMouseEvent* event) {
  const QPoint at = event->position().toPoint();
  emit OnMouseMove(event->modifiers(), at.x(), at.y());
  const bool inside = hitTest(at.x(), at.y());
  if (!inside && !hintHeldBack_) {
    setParentShowHint(false);
    savedShowHint_ = showHint_;
    setShowHint(false);
    hintHeldBack_ = true;
    QToolTip::hideText();
  } else if (inside && hintHeldBack_) {
    setShowHint(savedShowHint_);
    hintHeldBack_ = false;
  }
}

void TNoShape::mouseReleaseEvent(QMouseEvent* event) {
  const QPoint at = event->position().toPoint();
  emit OnMouseUp(event->button(), event->modifiers(), at.x(), at.y());
  const bool inside = hitTest(at.x(), at.y());
  if (state_ == bsDown) {
    state_ = bsUp;
    repaint();
  }
  if (inside) click();
}

}  // namespace parvex
