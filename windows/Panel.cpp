// The plain panel: its colour, its two bevels in the button edge colours, and
// its centred caption.
#include "windows/Panel.h"

#include <QPainter>

#include "controls/bi_procs.h"

namespace {

// One ring of a bevel just inside `r`: raised is light above and left, dark
// below and right; lowered the other way round.
void DrawBevel(QPainter& painter, const QRect& r, TPanel::TBevelCut cut) {
  if (cut == TPanel::bvNone || r.width() <= 0 || r.height() <= 0) return;
  const QColor light = parvex::ToQColor(parvex::clBtnHighlight);
  const QColor dark = parvex::ToQColor(parvex::clBtnShadow);
  const QColor topLeft = cut == TPanel::bvRaised ? light : dark;
  const QColor bottomRight = cut == TPanel::bvRaised ? dark : light;
  painter.fillRect(r.left(), r.top(), r.width(), 1, topLeft);
  painter.fillRect(r.left(), r.top(), 1, r.height(), topLeft);
  painter.fillRect(r.left(), r.bottom(), r.width(), 1, bottomRight);
  painter.fillRect(r.right(), r.top(), 1, r.height(), bottomRight);
}

}  // namespace

TPanel::TPanel(QWidget* parent) : QWidget(parent), color_(parvex::ToQColor(parvex::clBtnFace)) {
  setAttribute(Qt::WA_OpaquePaintEvent);
}

void TPanel::setCaption(const QString& caption) {
  if (caption == caption_) return;
  caption_ = caption;
  update();
}

void TPanel::setColor(const QColor& colour) {
  if (colour == color_) return;
  color_ = colour;
  update();
}

void TPanel::setFontColor(const QColor& colour) {
  if (colour == fontColor_) return;
  fontColor_ = colour;
  update();
}

void TPanel::setBevelOuter(TBevelCut cut) {
  if (cut == outer_) return;
  outer_ = cut;
  update();
}

void TPanel::setBevelInner(TBevelCut cut) {
  if (cut == inner_) return;
  inner_ = cut;
  update();
}

QRect TPanel::captionRect() const {
  const int border = (outer_ != bvNone ? 1 : 0) + (inner_ != bvNone ? 1 : 0);
  return rect().adjusted(border, border, -border, -border);
}

QImage TPanel::renderToImage() const {
  QImage image(size(), QImage::Format_RGB32);
  QPainter painter(&image);
  paintOn(painter);
  return image;
}

void TPanel::paintOn(QPainter& painter) const {
  painter.fillRect(rect(), color_);
  DrawBevel(painter, rect(), outer_);
  const QRect inside = outer_ != bvNone ? rect().adjusted(1, 1, -1, -1) : rect();
  DrawBevel(painter, inside, inner_);
  if (caption_.isEmpty()) return;
  painter.setFont(font());
  painter.setPen(fontColor_);
  painter.drawText(captionRect(), Qt::AlignCenter | Qt::TextSingleLine, caption_);
}

void TPanel::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  paintOn(painter);
}

void TPanel::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  emit OnResize();
}
