// TBSLed: property rules, the ring-and-lamp painting and the mouse events.
#include "controls/Led.h"

#include <QMouseEvent>
#include <QPainter>

#include <algorithm>

namespace parvex {

TBSLed::TBSLed(QWidget* parent) : QWidget(parent) {
  // Drawn on the parent's surface: the corners outside the ring must show the
  // parent, so no background of our own is filled in.
  setAutoFillBackground(false);
  setAttribute(Qt::WA_NoSystemBackground);
  resize(15, 15);
}

void TBSLed::Changed() {
  update();
  emit OnChange(this);
}

void TBSLed::setBackColor(const QColor& value) {
  if (value == backColor_) return;
  backColor_ = value;
  Changed();
}

void TBSLed::setColor(const QColor& value) {
  if (value == color_) return;
  color_ = value;
  Changed();
}

void TBSLed::setBorderWidth(int value) {
  value = std::max(value, 0);
  if (value == borderWidth_) return;
  borderWidth_ = value;
  Changed();
}

void TBSLed::setLightOn(bool value) {
  if (value == lightOn_) return;
  lightOn_ = value;
  Changed();
}

void TBSLed::setBorderStyle(TLedBorderStyle value) {
  if (value == borderStyle_) return;
  borderStyle_ = value;
  // The status-control look needs a visible ring; 2 is its stock width, and
  // leaving that style (or re-entering it with that width) drops it again.
  // The width is changed directly, so only one OnChange is raised.
  if (value == bsStatusControl && borderWidth_ == 0)
    borderWidth_ = 2;
  else if (borderWidth_ == 2)
    borderWidth_ = 0;
  Changed();
}

void TBSLed::setCtl3D(bool value) {
  if (value == ctl3D()) return;
  borderStyle_ = value ? bsCtl3D : bsFlat;
  Changed();
}

void PaintLed(QImage& image, const QColor& lampColor, TBSLed::TLedBorderStyle style,
              int borderWidth, const QColor& ringShadow, const QColor& ringLight) {
  // In the control's own pixels: an image for a scaled screen has more of its own.
  const int w = qRound(image.deviceIndependentSize().width());
  const int h = qRound(image.deviceIndependentSize().height());
  if (w <= 0 || h <= 0) return;

  QPainter p(&image);
  p.setRenderHint(QPainter::Antialiasing);

  // The ring is kept inside the control: a wide pen centred on the bounds
  // would lose half its width to clipping.
  const qreal pen = std::max(borderWidth, 1);
  const QRectF ring(pen / 2, pen / 2, w - pen, h - pen);

  if (style == TBSLed::bsCtl3D) {
    // Sunken: the upper-left half in shadow, the lower-right half in light,
    // meeting where the diagonal from the top-right corner crosses the ring.
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(ringShadow, pen, Qt::SolidLine, Qt::FlatCap));
    p.drawArc(ring, 45 * 16, 180 * 16);
    p.setPen(QPen(ringLight, pen, Qt::SolidLine, Qt::FlatCap));
    p.drawArc(ring, 225 * 16, 180 * 16);
  } else {
    // Flat: a black outline around a disc in the lamp's present colour, so the
    // space between outline and lamp never shows a stale colour.
    p.setBrush(lampColor);
    p.setPen(QPen(Qt::black, pen));
    p.drawEllipse(ring);
  }

  // Widths 0 and 1 both leave one pixel between ring and lamp.
  const int inset = std::max(borderWidth, 1) + 1;
  const QRectF lamp(inset, inset, w - 2 * inset, h - 2 * inset);
  if (lamp.width() <= 0 || lamp.height() <= 0) return;  // all ring, no room for a lamp
  p.setPen(Qt::NoPen);
  p.setBrush(lampColor);
  p.drawEllipse(lamp);
}

QImage TBSLed::Render(qreal pixelRatio) const {
  QImage image(size() * pixelRatio, QImage::Format_ARGB32_Premultiplied);
  image.setDevicePixelRatio(pixelRatio);
  image.fill(Qt::transparent);
  PaintLed(image, lightOn_ ? color_ : backColor_, borderStyle_, borderWidth_,
           palette().color(QPalette::Dark), palette().color(QPalette::Light));
  return image;
}

void TBSLed::paintEvent(QPaintEvent*) {
  // Composed off-screen and copied in one step, so a running light never
  // flickers through a half-drawn lamp.
  QPainter p(this);
  p.drawImage(0, 0, Render(devicePixelRatioF()));
}

void TBSLed::mousePressEvent(QMouseEvent* event) {
  if (event->button() == Qt::LeftButton) pressed_ = true;
  const QPoint at = event->position().toPoint();
  emit OnMouseDown(this, event->button(), event->modifiers(), at.x(), at.y());
}

void TBSLed::mouseMoveEvent(QMouseEvent* event) {
  const QPoint at = event->position().toPoint();
  emit OnMouseMove(this, event->modifiers(), at.x(), at.y());
}

void TBSLed::mouseReleaseEvent(QMouseEvent* event) {
  const QPoint at = event->position().toPoint();
  const bool click = event->button() == Qt::LeftButton && pressed_ && rect().contains(at);
  if (event->button() == Qt::LeftButton) pressed_ = false;
  emit OnMouseUp(this, event->button(), event->modifiers(), at.x(), at.y());
  if (click) emit OnClick(this);
}

void TBSLed::mouseDoubleClickEvent(QMouseEvent* event) {
  if (event->button() == Qt::LeftButton) {
    pressed_ = true;
    emit OnDblClick(this);
  }
}

}  // namespace parvex
