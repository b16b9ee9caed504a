// The base button: property rules, the Down group, glyph images, the layout of
// caption, glyph and mark, the edges, and the mouse and accelerator handling.
#include "controls/bi_btns.h"

#include <QCoreApplication>
#include <QCursor>
#include <QEnterEvent>
#include <QFontMetrics>
#include <QKeySequence>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QShortcutEvent>

namespace parvex {
namespace {

// A frame of `width` one-pixel rings inside r: the top and left sides in one
// colour, the bottom and right sides (with the top-right and bottom-left
// corners) in the other.
void BevelFrame(QPainter& p, TRect r, QRgb topLeft, QRgb bottomRight, int width) {
  for (int ring = 0; ring < width && RectWidth(r) > 0 && RectHeight(r) > 0; ++ring) {
    const int w = RectWidth(r);
    const int h = RectHeight(r);
    p.fillRect(r.Left, r.Top, w - 1, 1, QColor::fromRgb(topLeft));
    p.fillRect(r.Left, r.Top, 1, h - 1, QColor::fromRgb(topLeft));
    p.fillRect(r.Left, r.Bottom - 1, w, 1, QColor::fromRgb(bottomRight));
    p.fillRect(r.Right - 1, r.Top, 1, h, QColor::fromRgb(bottomRight));
    r = {r.Left + 1, r.Top + 1, r.Right - 1, r.Bottom - 1};
  }
}

}  // namespace

TBI_basebutton::TBI_basebutton(QWidget* parent) : QWidget(parent) {
  resize(25, 25);
  setAttribute(Qt::WA_OpaquePaintEvent);
  setMouseTracking(true);  // OnMouseMove also without a button held
  FLowColour = ScreenColourBits() < 16;
}

TBI_basebutton::~TBI_basebutton() = default;

void TBI_basebutton::invalidate() { update(); }
void TBI_basebutton::repaintNow() { repaint(); }

void TBI_basebutton::popupMenu(QMenu* menu, QPoint globalPosition) { menu->exec(globalPosition); }

void TBI_basebutton::setLightColor(TColor value) {
  if (value == FLightColor) return;
  FLightColor = value;
  invalidate();
}

void TBI_basebutton::setShadowColor(TColor value) {
  FShadowColor = value;
  invalidate();
}

void TBI_basebutton::setGlyph(const QImage& value) {
  FGlyph = value.isNull() ? QImage() : value.copy();
  if (!FGlyph.isNull() && FGlyph.height() != 0) {
    GlyphTransparentColour = BitmapTransparentColour(FGlyph);
    // A picture that does not split into square images is one image; so is
    // one that would split into more images than the count can hold.
    const int images = FGlyph.width() % FGlyph.height() == 0 ? FGlyph.width() / FGlyph.height() : 1;
    GlyphCount = std::uint8_t(images <= 255 ? images : 1);
    FGlyphWidth = GlyphCount != 0 ? FGlyph.width() / GlyphCount : FGlyph.width();
  } else {
    FGlyphWidth = 0;
    GlyphCount = 0;
  }
  invalidate();
}

void TBI_basebutton::setDropDownMenu(QMenu* value) {
  if (menuGone_) disconnect(menuGone_);
  FDropDownMenu = value;
  if (value)
    menuGone_ = connect(value, &QObject::destroyed, this, [this] {
      FDropDownMenu = nullptr;
      invalidate();
    });
  if (FMarkDropDown) invalidate();
}

void TBI_basebutton::setGrayedInactive(bool value) {
  if (value == FGrayedInactive) return;
  FGrayedInactive = value;
  invalidate();
}

void TBI_basebutton::setCaption(const QString& value) {
  if (value == FCaption) return;
  FCaption = value;
  updateShortcut();
  invalidate();
}

void TBI_basebutton::setButtonLayout(TButtonLayout value) {
  if (value == FLayout) return;
  FLayout = value;
  invalidate();
}

void TBI_basebutton::setBevelWidth(int value) {
  if (value == FBevelWidth) return;
  FBevelWidth = value;
  invalidate();
}

QColor TBI_basebutton::fontColor() const {
  return FFontColor.isValid() ? FFontColor : palette().color(QPalette::WindowText);
}

void TBI_basebutton::setFontColor(const QColor& value) {
  if (value == FFontColor) return;
  FFontColor = value;
  invalidate();
}

void TBI_basebutton::setDown(bool value) {
  if (value == FDown || FGroupIndex == 0) return;
  FDown = value;
  invalidate();
  if (!FDown || !parentWidget()) return;
  for (QObject* child : parentWidget()->children()) {
    auto* other = qobject_cast<TBI_basebutton*>(child);
    if (!other || other == this || other->FGroupIndex != FGroupIndex || !other->FDown) continue;
    other->FDown = false;
    other->invalidate();
  }
}

void TBI_basebutton::setGroupIndex(int value) {
  if (value == FGroupIndex) return;
  FGroupIndex = value;
  if (value == 0 && FDown) {
    FDown = false;
    invalidate();
  }
}

void TBI_basebutton::setButtonEnabled(bool value) {
  if (value == FEnabled) return;
  FEnabled = value;
  invalidate();
}

void TBI_basebutton::setFlat(bool value) {
  FFlat = value;
  FHot = !value;
  invalidate();
}

void TBI_basebutton::setMarkDropDown(bool value) {
  if (value == FMarkDropDown) return;
  FMarkDropDown = value;
  invalidate();
}

void TBI_basebutton::setSpacing(int value) {
  FSpacing = value;
  invalidate();
}

void TBI_basebutton::GetGlyphImage(TGlyphImage which, QImage& target) const {
  int column = 0;
  if (which == giDisabled && GlyphCount >= 2) column = FGlyphWidth;
  if (which == giPressed && GlyphCount >= 3) column = 2 * FGlyphWidth;
  target = FGlyph.copy(column, 0, FGlyphWidth, FGlyph.height());
  if (FFlat && !FHot && !FDown && FGrayedInactive) RecolourGlyph(target, FLightColor, FShadowColor);
}

QImage TBI_basebutton::makeCanvas(QSize size) const {
  QImage canvas(Larger(size.width(), 1), Larger(size.height(), 1), QImage::Format_RGB32);
  // The caption keeps the size it has on screen, also in point sizes.
  canvas.setDotsPerMeterX(qRound(logicalDpiX() / 0.0254));
  canvas.setDotsPerMeterY(qRound(logicalDpiY() / 0.0254));
  return canvas;
}

TBI_basebutton::Positions TBI_basebutton::layoutPositions(QSize size) const {
  const QImage probe = makeCanvas(QSize(1, 1));
  return layoutOn(size, QFontMetrics(font(), &probe));
}

TBI_basebutton::Positions TBI_basebutton::layoutOn(QSize size, const QFontMetrics& metrics) const {
  const int W = size.width();
  const int H = size.height();
  const int DropW = FMarkDropDown && FDropDownMenu ? kDropMarkWidth : 0;
  const int TW = metrics.horizontalAdvance(FCaption);
  const int TH = metrics.height();
  const int GH = FGlyph.isNull() ? 0 : FGlyph.height();
  const int GW = FGlyphWidth;
  const int S = FSpacing;
  const int Half = (GH + TH + 2 + S) / 2;
  Positions at{};
  switch (FLayout) {
    case blGlyphLeft:
      at.TX = W / 2 - TW / 2 + GW / 2 + S;
      at.TY = H / 2 - TH / 2;
      at.GX = at.TX - S - GW;
      at.GY = H / 2 - GH / 2;
      at.MX = at.TX + TW + 2;
      break;
    case blGlyphRight:
      at.TX = W / 2 - TW / 2 - S - GW / 2;
      at.TY = H / 2 - TH / 2;
      at.GX = W / 2 + TW / 2 + S - GW / 2;
      at.GY = H / 2 - GH / 2;
      at.MX = at.TX - 4;
      break;
    case blGlyphTop:
      at.TX = W / 2 - TW / 2 - DropW;
      at.TY = H / 2 - Half + GH + S;
      at.GX = W / 2 - GW / 2;
      at.GY = at.TY - GH - S;
      at.MX = at.TX + TW + 2 + DropW / 2;
      break;
    case blGlyphBottom:
      at.TX = W / 2 - TW / 2 - DropW;
      at.TY = H / 2 - Half;
      at.GX = W / 2 - GW / 2;
      // Below the caption, S pixels apart: the mirror of blGlyphTop, so that
      // the group of caption and glyph is centred like there.
      at.GY = at.TY + TH + S;
      at.MX = at.TX + TW + 2 + DropW / 2;
      break;
  }
  return at;
}

void TBI_basebutton::PaintOn(QImage& B) const {
  const int W = B.width();
  const int H = B.height();
  const bool pressed = PressState == kPressed;
  const QFontMetrics metrics(font(), &B);
  const Positions at = layoutOn(B.size(), metrics);
  const int DropW = FMarkDropDown && FDropDownMenu ? kDropMarkWidth : 0;
  QPainter p(&B);
  p.setFont(font());
  p.setPen(fontColor());
  p.setBrush(Qt::NoBrush);

  if (!FCaption.isEmpty()) {
    // Left and top aligned, never clipped: the right edge only bounds the
    // rectangle, as the caption may reach past it.
    const int right = W - FBevelWidth - 1 - DropW;
    const QRect box(at.TX, at.TY, Larger(right - at.TX, metrics.horizontalAdvance(FCaption) + 1),
                    Larger(H - at.TY, metrics.height()));
    const int flags = Qt::AlignLeft | Qt::AlignTop | Qt::TextShowMnemonic | Qt::TextDontClip;
    if (FEnabled) {
      p.drawText(box, flags, FCaption);
    } else {
      p.setPen(QColor::fromRgb(kDisabledText));
      p.drawText(box, flags, FCaption);
      p.setPen(QColor::fromRgb(kDisabledShade));
      p.drawText(box.translated(2, 2), flags, FCaption);
    }
  } else if (!FEnabled) {
    p.setPen(QColor::fromRgb(kDisabledShade));
  }
  // In the colour the caption was drawn in last.
  if (DropW != 0) DrawTriangleMark(p, at.MX, at.TY + 1);

  if (!FGlyph.isNull() && FGlyph.height() != 0) {
    QImage image;
    GetGlyphImage(!FEnabled ? giDisabled : pressed ? giPressed : giNormal, image);
    DrawBitmap(p, at.GX, at.GY, image, GlyphTransparentColour);
  }

  if (FHot && FFlat) {
    const QRgb light = ColorToRGB(FLightColor);
    const QRgb shadow = ColorToRGB(FShadowColor);
    if (pressed || FDown)
      BevelFrame(p, TRect{0, 0, W, H}, shadow, light, FBevelWidth);
    else
      BevelFrame(p, TRect{0, 0, W, H}, light, shadow, FBevelWidth);
  }
  if (!FFlat && FBevelWidth > 0) DrawFrame3D(p, TRect{0, 0, W, H}, FDown || pressed);
}

// ---- mouse and keyboard ----

void TBI_basebutton::click() { emit OnClick(); }

void TBI_basebutton::enterEvent(QEnterEvent* event) {
  FHot = true;
  if (FFlat) repaintNow();
  QWidget::enterEvent(event);
}

void TBI_basebutton::leaveEvent(QEvent* event) {
  FHot = !FFlat;
  if (FFlat) repaintNow();
  QWidget::leaveEvent(event);
}

void TBI_basebutton::pressLeft(QPoint position) {
  Q_UNUSED(position);
  if (!FEnabled) return;
  PressState = kPressed;
  repaintNow();
  if (!FDropDownMenu) return;
  QPointer<TBI_basebutton> self(this);
  QCoreApplication::processEvents();
  if (!self || !FDropDownMenu) return;
  FHot = !FFlat;
  PressState = kReleased;
  clickArmed_ = false;  // the menu takes the release
  repaintNow();
  popupMenu(FDropDownMenu, mapToGlobal(QPoint(0, height())));
}

void TBI_basebutton::releaseLeft() {
  if (!FEnabled) return;
  PressState = kReleased;
  repaintNow();
}

void TBI_basebutton::mousePressEvent(QMouseEvent* event) {
  const QPoint at = event->position().toPoint();
  QPointer<TBI_basebutton> self(this);
  emit OnMouseDown(event->button(), event->modifiers(), at.x(), at.y());
  if (!self) return;
  event->accept();
  if (event->button() != Qt::LeftButton) return;
  // A button whose own Enabled is off does not click.
  clickArmed_ = FEnabled;
  pressLeft(at);
}

void TBI_basebutton::mouseDoubleClickEvent(QMouseEvent* event) {
  // The second press of a double click: OnDblClick instead of a second click.
  const QPoint at = event->position().toPoint();
  QPointer<TBI_basebutton> self(this);
  if (event->button() == Qt::LeftButton) emit OnDblClick();
  if (!self) return;
  emit OnMouseDown(event->button(), event->modifiers(), at.x(), at.y());
  if (!self) return;
  event->accept();
  if (event->button() != Qt::LeftButton) return;
  clickArmed_ = false;
  pressLeft(at);
}

void TBI_basebutton::mouseMoveEvent(QMouseEvent* event) {
  const QPoint at = event->position().toPoint();
  emit OnMouseMove(event->modifiers(), at.x(), at.y());
  event->accept();
}

void TBI_basebutton::mouseReleaseEvent(QMouseEvent* event) {
  const QPoint at = event->position().toPoint();
  QPointer<TBI_basebutton> self(this);
  event->accept();
  if (event->button() == Qt::LeftButton && clickArmed_) {
    clickArmed_ = false;
    if (rect().contains(at)) click();
    if (!self) return;
  }
  emit OnMouseUp(event->button(), event->modifiers(), at.x(), at.y());
  if (!self) return;
  if (event->button() == Qt::LeftButton) releaseLeft();
}

void TBI_basebutton::acceleratorClick() {
  QPointer<TBI_basebutton> self(this);
  const QPoint at = mapFromGlobal(QCursor::pos());
  auto pending = [&] {
    QCoreApplication::processEvents();
    return !self.isNull();
  };
  if (!pending()) return;
  emit OnMouseDown(Qt::LeftButton, Qt::NoModifier, at.x(), at.y());
  if (!self) return;
  pressLeft(at);
  if (!pending()) return;
  emit OnMouseUp(Qt::LeftButton, Qt::NoModifier, at.x(), at.y());
  if (!self) return;
  releaseLeft();
  if (!pending()) return;
  click();
}

void TBI_basebutton::updateShortcut() {
  if (shortcutId_ != 0) releaseShortcut(shortcutId_);
  shortcutId_ = 0;
  const QKeySequence mnemonic = QKeySequence::mnemonic(FCaption);
  if (!mnemonic.isEmpty()) shortcutId_ = grabShortcut(mnemonic);
}

bool TBI_basebutton::event(QEvent* event) {
  if (event->type() == QEvent::Shortcut && static_cast<QShortcutEvent*>(event)->shortcutId() == shortcutId_ &&
      shortcutId_ != 0) {
    if (FEnabled && isVisible()) acceleratorClick();
    return true;
  }
  return QWidget::event(event);
}

void TBI_basebutton::changeEvent(QEvent* event) {
  if (event->type() == QEvent::FontChange) invalidate();
  QWidget::changeEvent(event);
}

}  // namespace parvex
