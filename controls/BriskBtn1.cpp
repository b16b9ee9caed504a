// TBriskButton1: painting from the four faces, mouse tracking, and the keys a
// push button answers on its window (Enter, Escape, accelerators).

#include "controls/BriskBtn1.h"

#include <QApplication>
#include <QDialog>
#include <QKeyEvent>
#include <QKeySequence>
#include <QMouseEvent>
#include <QPainter>
#include <QPointer>
#include <QtMath>

const QColor TBriskButton1::kFocusLineColour(128, 128, 128);
const QColor TBriskButton1::kFocusLightColour(224, 224, 224);
const QColor TBriskButton1::kDisabledTextColour(192, 192, 192);

namespace {

// Resource names follow the look: "1" on white, "2" on gray; "A" released, "B" pressed.
// `suffix` "@2x" names the face drawn at twice its size.
QString faceResource(TBriskButton1::TButtonState status, TBriskButton1::TButtonStyle style,
                     const QString& suffix = QString()) {
  const char* digit = style == TBriskButton1::bsOnWhite ? "1" : "2";
  const char* letter = status == TBriskButton1::bsOn ? "B" : "A";
  return QStringLiteral(":/buttons/BUTTON%1%2%3.png").arg(QLatin1String(digit), QLatin1String(letter), suffix);
}

constexpr Qt::KeyboardModifiers kBlockingModifiers =
    Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier;

}  // namespace

TBriskButton1::TBriskButton1(QWidget* parent) : QWidget(parent), fontColor_(255, 255, 0) {
  for (TButtonState status : {bsOff, bsOn})
    for (TButtonStyle style : {bsOnGray, bsOnWhite}) {
      QImage image(faceResource(status, style));
      if (image.isNull()) {
        image = QImage(kFaceWidth, kFaceHeight, QImage::Format_RGB32);
        image.fill(style == bsOnWhite ? QColor(Qt::white) : QColor(189, 189, 189));
      }
      faces_[status][style] = image.convertToFormat(QImage::Format_RGB32);
      const QImage doubled(faceResource(status, style, QStringLiteral("@2x")));
      if (doubled.size() == image.size() * 2) hiResFaces_[status][style] = doubled.convertToFormat(QImage::Format_RGB32);
    }
  QFont font(QStringLiteral("Arial"));
  font.setPointSize(13);
  font.setBold(true);
  setFont(font);
  setFocusPolicy(Qt::StrongFocus);
  setAttribute(Qt::WA_OpaquePaintEvent);
  setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
  resize(kDefaultWidth, kFaceHeight);
  focusFlag_ = hasFocus();
  watchWindow();
}

TBriskButton1::~TBriskButton1() {
  if (watchedWindow_) watchedWindow_->removeEventFilter(this);
}

void TBriskButton1::setButtonStyle(TButtonStyle style) {
  if (style == style_) return;
  style_ = style;
  update();
  emit buttonStyleChanged(style_);
}

void TBriskButton1::setStatus(TButtonState status) {
  tracking_ = false;
  if (status == status_) return;
  status_ = status;
  update();
  emit statusChanged(status_);
}

void TBriskButton1::setCancel(bool cancel) {
  if (cancel == cancel_) return;
  cancel_ = cancel;
  update();
  emit cancelChanged(cancel_);
}

void TBriskButton1::setCaption(const QString& caption) {
  if (caption == caption_) return;
  caption_ = caption;
  updateShortcut();
  update();
  emit captionChanged(caption_);
}

void TBriskButton1::setDefault(bool isDefault) {
  if (isDefault == default_) return;
  default_ = isDefault;
  update();
  emit defaultChanged(default_);
}

void TBriskButton1::setModalResult(int result) {
  if (result == modalResult_) return;
  modalResult_ = result;
  update();
  emit modalResultChanged(modalResult_);
}

void TBriskButton1::setFontColor(const QColor& colour) {
  if (colour == fontColor_) return;
  fontColor_ = colour;
  update();
  emit fontColorChanged(fontColor_);
}

QImage TBriskButton1::face(TButtonState status, TButtonStyle style) const {
  return faces_[status][style];
}

QImage TBriskButton1::hiResFace(TButtonState status, TButtonStyle style) const {
  return hiResFaces_[status][style];
}

QSize TBriskButton1::sizeHint() const { return QSize(kDefaultWidth, kFaceHeight); }

QChar TBriskButton1::accelerator(const QString& caption) {
  for (qsizetype i = 0; i + 1 < caption.size(); ++i) {
    if (caption[i] != QLatin1Char('&')) continue;
    if (caption[i + 1] != QLatin1Char('&')) return caption[i + 1];
    ++i;  // "&&" is a literal ampersand
  }
  return QChar();
}

void TBriskButton1::click() {
  QPointer<TBriskButton1> self(this);
  // Like a form's modal result, the value is in place while clicked() runs,
  // and a handler may still change it before the dialog closes.
  QPointer<QDialog> dialog = qobject_cast<QDialog*>(window());
  if (dialog && modalResult_ != mrNone) dialog->setResult(modalResult_);
  emit clicked();
  if (!self || !dialog || modalResult_ == mrNone) return;
  if (dialog->isModal() && dialog->isVisible() && dialog->result() != mrNone)
    dialog->done(dialog->result());
}

QImage TBriskButton1::renderToImage(qreal pixelRatio) const {
  const int w = qMax(width(), 1);
  if (pixelRatio <= 1) {
    QImage canvas(w, kFaceHeight, QImage::Format_RGB32);
    paintFace(canvas, 1);
    return canvas;
  }
  // The doubled faces where there are some; else the plain ones, enlarged.
  const int scale = hiResFaces_[status_][style_].isNull() ? 1 : 2;
  QImage canvas(qCeil(w * pixelRatio), qCeil(kFaceHeight * pixelRatio), QImage::Format_RGB32);
  canvas.setDevicePixelRatio(pixelRatio);
  paintFace(canvas, scale);
  return canvas;
}

void TBriskButton1::paintFace(QImage& canvas, int scale) const {
  const QImage& picture = scale == 2 ? hiResFaces_[status_][style_] : faces_[status_][style_];
  const int w = qRound(canvas.deviceIndependentSize().width());
  const int h = kFaceHeight;
  // The right end reads one column past the 37-column face; that column shows
  // the face's ground instead of whatever the canvas held before.
  canvas.fill(picture.pixel(0, picture.height() - 1));
  QPainter p(&canvas);
  int middle = w - 36;
  if (middle <= 0) middle = 0;
  if (scale == 1 && canvas.devicePixelRatio() == 1) {
    p.drawImage(QRect(0, 0, 16, h), picture, QRect(0, 0, 16, h));
    if (middle > 0) p.drawImage(QRect(16, 0, middle, h), picture, QRect(16, 0, 2, h));
    p.drawImage(QPoint(16 + middle, 0), picture, QRect(18, 0, 20, h));
  } else {
    // The same pieces on a scaled canvas, taken from `scale` pixels of the face a pixel.
    const auto piece = [&](const QRect& to, const QRect& from) {
      const QRect source(from.x() * scale, from.y() * scale, from.width() * scale, from.height() * scale);
      const QRect inside = source & picture.rect();  // the column past the face stays ground
      if (inside.isEmpty()) return;
      const QRectF target(to.x() + qreal(inside.x() - source.x()) / scale, to.y(),
                          to.width() * qreal(inside.width()) / source.width(), to.height());
      p.drawImage(target, picture, inside);
    };
    piece(QRect(0, 0, 16, h), QRect(0, 0, 16, h));
    if (middle > 0) piece(QRect(16, 0, middle, h), QRect(16, 0, 2, h));
    piece(QRect(16 + middle, 0, 20, h), QRect(18, 0, 20, h));
  }

  p.setFont(font());
  p.setPen(isEnabled() ? fontColor_ : kDisabledTextColour);
  p.setBrush(Qt::NoBrush);
  // The focus line runs from (a, y) to (x, y) and on to (x, b), the last
  // point left out, as a line drawn with a pen to its end point would be.
  // Gray on the black bar is hard to see, so a light line runs along its
  // inner side, one pixel in.
  auto focusLine = [&](int a, int y, int x, int b) {
    const auto line = [&](int a, int y, int x, int b, const QColor& colour) {
      p.fillRect(QRect(QPoint(qMin(a, x), y), QPoint(qMax(a, x), y)), colour);
      if (b > y) p.fillRect(QRect(x, y, 1, b - y), colour);
    };
    line(a, y, x, b, kFocusLineColour);
    if (a > x + 1 && b > y + 1) line(a, y + 1, x + 1, b, kFocusLightColour);
  };
  QRect textRect;
  if (status_ == bsOff) {
    if (focusFlag_) focusLine(w - 16, 4, 7, h - 16);
    textRect = QRect(0, 0, w - 8, h - 11);
  } else {
    if (focusFlag_) focusLine(w - 11, 9, 12, h - 11);
    textRect = QRect(QPoint(5, 5), QPoint(w - 4, h - 7));
  }
  if (textRect.isValid())
    p.drawText(textRect, Qt::AlignCenter | Qt::TextSingleLine | Qt::TextShowMnemonic, caption_);
}

void TBriskButton1::paintEvent(QPaintEvent*) {
  // The faces are 41 pixels high; any other height goes back at each paint.
  if (height() != kFaceHeight) resize(width(), kFaceHeight);
  // Composed at the screen's own resolution, so that a scaled screen gets the
  // doubled faces and sharp text rather than an enlarged picture.
  const QImage canvas = renderToImage(devicePixelRatioF());
  QPainter(this).drawImage(0, 0, canvas);
}

bool TBriskButton1::insideInclusive(const QPoint& point) const {
  return point.x() >= 0 && point.x() <= width() && point.y() >= 0 && point.y() <= height();
}

void TBriskButton1::mousePressEvent(QMouseEvent* event) {
  if (event->button() == Qt::LeftButton) {
    setStatus(bsOn);
    tracking_ = true;
  }
  if (!hasFocus()) setFocus(Qt::MouseFocusReason);
  event->accept();
}

void TBriskButton1::mouseMoveEvent(QMouseEvent* event) {
  event->accept();
  if (!(event->buttons() & Qt::LeftButton) || !tracking_) return;
  const TButtonState wanted = insideInclusive(event->position().toPoint()) ? bsOn : bsOff;
  if (wanted == status_) return;
  status_ = wanted;  // tracking goes on, so not through setStatus
  update();
  emit statusChanged(status_);
}

void TBriskButton1::mouseReleaseEvent(QMouseEvent* event) {
  event->accept();
  if (event->button() != Qt::LeftButton || !tracking_) return;
  setStatus(bsOff);
  if (insideInclusive(event->position().toPoint())) click();
}

void TBriskButton1::focusInEvent(QFocusEvent* event) {
  syncFocusFlag();
  QWidget::focusInEvent(event);
}

void TBriskButton1::focusOutEvent(QFocusEvent* event) {
  // Space let go elsewhere is no click.
  if (spaceHeld_) {
    spaceHeld_ = false;
    setStatus(bsOff);
  }
  syncFocusFlag();
  QWidget::focusOutEvent(event);
}

void TBriskButton1::syncFocusFlag() {
  if (hasFocus() == focusFlag_) return;
  focusFlag_ = !focusFlag_;
  update();
}

bool TBriskButton1::canTakeFocus() const {
  return isEnabled() && isVisibleTo(window());
}

bool TBriskButton1::handleDialogKey(const QKeyEvent* key) {
  if (key->modifiers() & kBlockingModifiers) return false;
  const bool enter = key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter;
  const bool escape = key->key() == Qt::Key_Escape;
  if (!((enter && (focusFlag_ || default_)) || (escape && cancel_))) return false;
  if (!canTakeFocus()) return false;
  click();
  return true;
}

bool TBriskButton1::handleDialogChar(const QString& text) {
  const QChar mine = accelerator(caption_);
  if (mine.isNull() || text.size() != 1 || !canTakeFocus()) return false;
  if (text[0].toCaseFolded() != mine.toCaseFolded()) return false;
  click();
  return true;
}

void TBriskButton1::keyPressEvent(QKeyEvent* event) {
  // Space presses the button as a mouse press does, and its release clicks.
  if (event->key() == Qt::Key_Space && !(event->modifiers() & kBlockingModifiers)) {
    if (!event->isAutoRepeat()) {
      setStatus(bsOn);
      spaceHeld_ = true;
    }
    event->accept();
    return;
  }
  if (handleDialogKey(event)) {
    event->accept();
    return;
  }
  // Unhandled keys travel up to the window, where every button of the window
  // (this one included) is offered them as dialog keys and characters.
  event->ignore();
}

void TBriskButton1::keyReleaseEvent(QKeyEvent* event) {
  if (event->key() == Qt::Key_Space && spaceHeld_) {
    event->accept();
    if (event->isAutoRepeat()) return;
    spaceHeld_ = false;
    setStatus(bsOff);
    click();
    return;
  }
  event->ignore();
}

bool TBriskButton1::eventFilter(QObject* watched, QEvent* event) {
  if (watched == watchedWindow_ && event->type() == QEvent::KeyPress) {
    auto* key = static_cast<QKeyEvent*>(event);
    if (handleDialogKey(key)) return true;
    if (!(key->modifiers() & (Qt::ControlModifier | Qt::AltModifier)) && handleDialogChar(key->text()))
      return true;
  }
  return QWidget::eventFilter(watched, event);
}

void TBriskButton1::watchWindow() {
  QWidget* top = window();
  if (top == this) top = nullptr;
  if (top == watchedWindow_) return;
  if (watchedWindow_) watchedWindow_->removeEventFilter(this);
  watchedWindow_ = top;
  if (watchedWindow_) watchedWindow_->installEventFilter(this);
}

void TBriskButton1::updateShortcut() {
  if (shortcutId_ != 0) releaseShortcut(shortcutId_);
  shortcutId_ = 0;
  const QKeySequence mnemonic = QKeySequence::mnemonic(caption_);
  if (!mnemonic.isEmpty()) shortcutId_ = grabShortcut(mnemonic);
}

bool TBriskButton1::event(QEvent* event) {
  switch (event->type()) {
    case QEvent::Shortcut:
      if (static_cast<QShortcutEvent*>(event)->shortcutId() == shortcutId_) {
        if (canTakeFocus()) click();
        return true;
      }
      break;
    case QEvent::ParentChange:
    case QEvent::Show:
      watchWindow();
      break;
    default:
      break;
  }
  return QWidget::event(event);
}
