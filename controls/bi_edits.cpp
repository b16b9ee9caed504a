// tbackbase, the outer control of the painted-background memo: its setters,
// background and border, the notifications from the inner edit, the caret,
// and the pane that shows its picture. The shared caret timer lives here too.
#include "controls/bi_edits.h"

#include <QApplication>
#include <QGuiApplication>
#include <QMetaMethod>
#include <QMouseEvent>
#include <QPainter>
#include <QStyle>
#include <QStyleHints>

#include "controls/bi_timer.h"
#include "base/Exception.h"

namespace parvex {

TBI_Timer* CaretTimer() {
  static QPointer<TBI_Timer> timer;
  if (!timer) timer = new TBI_Timer(QCoreApplication::instance());
  return timer;
}

namespace {

// Time the caret stays on (and off): half the platform's flash cycle.
std::uint32_t CaretBlinkTime() {
  const int cycle = QGuiApplication::styleHints()->cursorFlashTime();
  return cycle > 0 ? static_cast<std::uint32_t>(cycle / 2) : 0;
}

// One-pixel rows and columns, right and bottom exclusive.
void Row(QPainter& canvas, int left, int right, int y, TColor colour) {
  if (right > left) canvas.fillRect(left, y, right - left, 1, ToQColor(colour));
}
void Column(QPainter& canvas, int x, int top, int bottom, TColor colour) {
  if (bottom > top) canvas.fillRect(x, top, 1, bottom - top, ToQColor(colour));
}
// The outline of (left, top, right, bottom), one pixel wide.
void FrameRect(QPainter& canvas, int left, int top, int right, int bottom, TColor colour) {
  if (right <= left || bottom <= top) return;
  Row(canvas, left, right, top, colour);
  Row(canvas, left, right, bottom - 1, colour);
  Column(canvas, left, top, bottom, colour);
  Column(canvas, right - 1, top, bottom, colour);
}

}  // namespace

tbackbase::tbackbase(QWidget* parent) : QWidget(parent) {
  // The picture covers everything: nothing to erase beneath it.
  setAttribute(Qt::WA_OpaquePaintEvent);
  setAttribute(Qt::WA_NoSystemBackground);
  FPane = new TMemoPane(this);
  connect(this, &QObject::objectNameChanged, this, &tbackbase::nameChanged);
}

tbackbase::~tbackbase() = default;

int tbackbase::ScrollBarExtent() { return QApplication::style()->pixelMetric(QStyle::PM_ScrollBarExtent); }

void tbackbase::Invalidate() {
  stale_ = true;
  if (!inPaint_ && FPane != nullptr) FPane->update();
}

void tbackbase::setBorder(TBorderStyleExt value) {
  if (value == FBorder) return;
  FBorder = value;
  Invalidate();
}

void tbackbase::setFillStyle(TFillMode value) {
  FFillStyle = value;
  if (value == fmFaded) {
    if (!WorkImage.isNull()) {
      const QColor ground =
          parentWidget() != nullptr ? parentWidget()->palette().color(QPalette::Window) : ToQColor(FColor);
      WorkImage.fill(ground);
    }
    MakeFaded();
  }
  Invalidate();
}

void tbackbase::setFadeColor(TColor value) {
  if (value == FFadeColor) return;
  FFadeColor = value;
  MakeFaded();
  Invalidate();
}

void tbackbase::setColor(TColor value) {
  if (value == FColor) return;
  FColor = value;
  Invalidate();
}

void tbackbase::setFontColor(TColor value) {
  if (value == FFontColor) return;
  FFontColor = value;
  Invalidate();
}

void tbackbase::setSelectionBrush(const QBrush& brush) {
  SelectionBrush = brush;
  Invalidate();
}

void tbackbase::setBitmap(const QImage& picture) {
  Bitmap = picture.isNull() ? QImage() : picture.convertToFormat(QImage::Format_RGB32);
  FFaded = QImage();
  Invalidate();
}

bool tbackbase::hideSelection() const { return GetInnerMemo() == nullptr || GetInnerMemo()->hideSelection(); }

void tbackbase::setHideSelection(bool value) {
  if (GetInnerMemo() != nullptr) GetInnerMemo()->setHideSelection(value);
  Invalidate();
}

void tbackbase::nameChanged(const QString& name) {
  // A fresh control shows its name, and keeps following it while unedited.
  if (TModifiedMemo* edit = GetInnerMemo(); edit != nullptr && edit->toPlainText() == name_)
    edit->setPlainText(name);
  name_ = name;
}

// Black of the bitmap becomes Color, white becomes FadeColor, every other
// pixel keeps its colour.
void tbackbase::MakeFaded() {
  if (Bitmap.isNull()) {
    FFaded = QImage();
    return;
  }
  FFaded = Bitmap.convertToFormat(QImage::Format_RGB32);
  const QRgb ground = ColorToRGB(FColor);
  const QRgb fade = ColorToRGB(FFadeColor);
  for (int y = 0; y < FFaded.height(); ++y) {
    auto* pixel = reinterpret_cast<QRgb*>(FFaded.scanLine(y));
    for (int x = 0; x < FFaded.width(); ++x) {
      const QRgb rgb = pixel[x] & 0xFFFFFF;
      if (rgb == 0) pixel[x] = ground;
      else if (rgb == 0xFFFFFF) pixel[x] = fade;
    }
  }
}

bool tbackbase::cachedVerticalBar() const {
  return FScrollBarsCache == TBI_Memo::ssVertical || FScrollBarsCache == TBI_Memo::ssBoth;
}
bool tbackbase::cachedHorizontalBar() const {
  return FScrollBarsCache == TBI_Memo::ssHorizontal || FScrollBarsCache == TBI_Memo::ssBoth;
}

void tbackbase::LayOut() { Invalidate(); }

void tbackbase::UpdateWorkImageSize() {
  const int ratio = std::max(1, qRound(FPane->devicePixelRatioF()));
  const QSize wanted = FPane->size() * ratio;
  if (WorkImage.size() == wanted && WorkImage.devicePixelRatio() == ratio) return;
  WorkImage = QImage(wanted, QImage::Format_RGB32);
  WorkImage.setDevicePixelRatio(ratio);
  stale_ = true;
}

void tbackbase::PaintBackground() {
  {
    QPainter canvas(&WorkImage);
    const QSize area = WorkImage.deviceIndependentSize().toSize();
    if (Bitmap.width() <= 0 || Bitmap.height() <= 0) {
      canvas.fillRect(0, 0, width(), height(), ToQColor(FColor));
    } else {
      if (FFillStyle == fmFaded && FFaded.width() == 0) MakeFaded();
      const QImage& tile = FFillStyle == fmFaded ? FFaded : Bitmap;
      for (int y = 0; y < area.height(); y += tile.height())
        for (int x = 0; x < area.width(); x += tile.width()) DrawBitmap(canvas, x, y, tile, clNone);
    }
    DrawBorder(canvas);
  }
  const TModifiedMemo* edit = GetInnerMemo();
  const QTextCursor cursor = edit->textCursor();
  FSelStart = cursor.selectionStart();
  FSelEnd = cursor.selectionEnd();
  FSelVisible = FSelEnd != FSelStart && (edit->hasFocus() || !edit->hideSelection());
}

void tbackbase::DrawBorder(QPainter& canvas) {
  const int w = width() - (cachedVerticalBar() ? ScrollBarExtent() : 0);
  const int h = height() - (cachedHorizontalBar() ? ScrollBarExtent() : 0);
  switch (FBorder) {
    case bseNone:
      break;
    case bseSingle:
      DrawFrame3D(canvas, {0, 0, w, h}, true);
      break;
    case bseFlat:
      if (GetInnerMemo()->hasFocus() || FMouseInside) {
        // A sunken line: shadow along the top, highlight down the right and
        // back along the bottom, shadow up the left; button face inside it.
        Row(canvas, 0, w - 1, 0, clBtnShadow);
        Column(canvas, w - 1, 0, h - 1, clBtnHighlight);
        Row(canvas, 1, w, h - 1, clBtnHighlight);
        Column(canvas, 0, 1, h, clBtnShadow);
        FrameRect(canvas, 1, 1, w - 1, h - 1, clBtnFace);
      } else {
        FrameRect(canvas, 0, 0, w, h, clBtnFace);
        FrameRect(canvas, 1, 1, w - 1, h - 1, clBtnFace);
      }
      break;
  }
}

void tbackbase::Paint() { PaintBackground(); }

void tbackbase::PaintPane(QPainter& pane, const QRect& area) {
  UpdateWorkImageSize();
  if (stale_) {
    inPaint_ = true;
    Paint();
    stale_ = false;
    ++paintCount_;
    // The fresh picture lies over the bar that was there: the caret is off
    // now, and comes on again where the edit's caret is.
    FCaretShown = false;
    SetCaretShown(true);
    inPaint_ = false;
  }
  pane.drawImage(area, WorkImage, QRectF(area.topLeft() * WorkImage.devicePixelRatio(),
                                          area.size() * WorkImage.devicePixelRatio()));
  if (FCaretShown) {
    pane.setCompositionMode(QPainter::RasterOp_SourceXorDestination);
    pane.fillRect(caretBar(), Qt::white);
    pane.setCompositionMode(QPainter::CompositionMode_SourceOver);
  }
}

void tbackbase::paintEvent(QPaintEvent*) {
  // The inner edit and the pane cover the whole control; the pane shows
  // the picture.
}

QRect tbackbase::caretBar() const {
  if (!FCaretShown) return {};
  // From (x + TextMargin + 2, y + 1) down to the line's height, two pixels
  // wide, centred on that column.
  const int x = FCaretPos.x() + TextMargin + 2;
  return {x - 1, FCaretPos.y() + 1, 2, std::max(0, caretHeight_ - 1)};
}

void tbackbase::SetCaretShown(bool on) {
  TModifiedMemo* edit = GetInnerMemo();
  if (on == FCaretShown || (on && (edit == nullptr || !edit->hasFocus()))) return;
  const QRect before = caretBar();
  FCaretShown = on;
  FPrevCaretPos = FCaretPos;
  if (on) {
    const QRect line = edit->caretLine();
    FCaretPos = line.topLeft();
    caretHeight_ = line.height();
  }
  // The bar at the previous place went with the caret's last turning off (or
  // under a fresh picture), so only the bar of the new state is drawn; a
  // vertical move leaves nothing behind.
  if (!inPaint_) FPane->update(before.united(caretBar()));
}

void tbackbase::CaretBlink() { SetCaretShown(!FCaretShown); }

void tbackbase::WMCommand(int notifyCode, const QWidget* source) {
  TModifiedMemo* edit = GetInnerMemo();
  if (edit == nullptr || source != edit) return;
  switch (notifyCode) {
    case enSetFocus: {
      Invalidate();
      TBI_Timer* timer = CaretTimer();
      timer->setOnTimer([this](TBI_Timer*) { CaretBlink(); }, this);
      timer->setEnabled(true);
      timer->setInterval(CaretBlinkTime());
      timer->setThreadPriority(TBI_Timer::tpIdle);
      break;
    }
    case enKillFocus:
      SetCaretShown(false);
      if (hideSelection()) Invalidate();
      break;
    case enChange:
      Invalidate();
      if (isSignalConnected(QMetaMethod::fromSignal(&tbackbase::OnChange))) {
        FPane->repaint();
        emit OnChange(this);
      }
      break;
    case enUpdate:
      break;
    case enHScroll:
    case enVScroll:
      Invalidate();
      break;
    case enKeyBefore:
      SetCaretShown(false);
      break;
    case enKeyAfter:
      SetCaretShown(true);
      break;
    case enKeySelChanged:
      Invalidate();
      break;
    default:
      throw Exception((objectName() + QStringLiteral(": NotifyCode = %1?").arg(notifyCode)).toStdString());
  }
}

void tbackbase::enterEvent(QEnterEvent* event) {
  QWidget::enterEvent(event);
  FMouseInside = true;
  if (FBorder == bseFlat) {
    Invalidate();
    FPane->repaint();
  }
}

void tbackbase::leaveEvent(QEvent* event) {
  QWidget::leaveEvent(event);
  FMouseInside = false;
  if (FBorder == bseFlat) {
    Invalidate();
    FPane->repaint();
  }
}

void tbackbase::changeEvent(QEvent* event) {
  QWidget::changeEvent(event);
  if (event->type() == QEvent::FontChange) {
    if (GetInnerMemo() != nullptr) GetInnerMemo()->setFont(font());
    LayOut();
  }
}

void tbackbase::EditMouseDown(QObject* sender, Qt::MouseButton button, Qt::KeyboardModifiers shift, QPoint at) {
  if (button == Qt::LeftButton) FLeftDown = true;
  emit OnMouseDown(sender, button, shift, at.x(), at.y());
}

void tbackbase::AnyMouseMove(QObject* sender, Qt::KeyboardModifiers shift, QPoint at) {
  // A selection being dragged out is painted as it grows.
  if (FLeftDown) Invalidate();
  emit OnMouseMove(sender, shift, at.x(), at.y());
}

void tbackbase::EditMouseUp(QObject* sender, Qt::MouseButton button, Qt::KeyboardModifiers shift, QPoint at) {
  if (button == Qt::LeftButton) FLeftDown = false;
  emit OnMouseUp(sender, button, shift, at.x(), at.y());
}

void tbackbase::EditKeyUp(QObject* sender, int key, Qt::KeyboardModifiers shift) {
  emit OnKeyUp(sender, key, shift);
  if (key == Qt::Key_End || key == Qt::Key_Home || key == Qt::Key_Left || key == Qt::Key_Right) Invalidate();
}

// --- TMemoPane

QWidget* TMemoPane::CheckedOwner(QWidget* owner) {
  if (dynamic_cast<tbackbase*>(owner) == nullptr) throw Exception("TMemoPane: Owner <> tbi_memo/Edit");
  return owner;
}

TMemoPane::TMemoPane(QWidget* owner)
    : QWidget(CheckedOwner(owner)), owner_(static_cast<tbackbase*>(owner)) {
  setAttribute(Qt::WA_OpaquePaintEvent);
  setAttribute(Qt::WA_NoSystemBackground);
  setCursor(Qt::IBeamCursor);
  setMouseTracking(true);
  setFocusPolicy(Qt::NoFocus);
}

QPoint TMemoPane::InEdit(const QMouseEvent* event) const {
  // Siblings: through the owner, in which both lie.
  return edit_->mapFrom(owner_, mapToParent(event->position().toPoint()));
}

void TMemoPane::paintEvent(QPaintEvent* event) {
  QPainter painter(this);
  owner_->PaintPane(painter, event->rect());
}

void TMemoPane::mousePressEvent(QMouseEvent* event) {
  event->accept();
  if (event->button() != Qt::LeftButton || !edit_) return;
  // The edit takes over the drag, as if it had been pressed itself.
  forwarding_ = true;
  edit_->ForwardMouse(event, InEdit(event));
  if (edit_ && !edit_->hasFocus()) edit_->setFocus(Qt::MouseFocusReason);
  owner_->Invalidate();
}

void TMemoPane::mouseDoubleClickEvent(QMouseEvent* event) {
  event->accept();
  if (event->button() != Qt::LeftButton || !edit_) return;
  forwarding_ = true;
  QPointer<TMemoPane> self(this);
  edit_->ForwardMouse(event, InEdit(event));
  if (self) owner_->Invalidate();
}

void TMemoPane::mouseMoveEvent(QMouseEvent* event) {
  event->accept();
  if (forwarding_ && edit_)
    edit_->ForwardMouse(event, InEdit(event));
  else
    owner_->AnyMouseMove(this, event->modifiers(), event->position().toPoint());
}

void TMemoPane::mouseReleaseEvent(QMouseEvent* event) {
  event->accept();
  if (!forwarding_ || event->button() != Qt::LeftButton) return;
  forwarding_ = false;
  if (edit_) edit_->ForwardMouse(event, InEdit(event));
}

void TMemoPane::wheelEvent(QWheelEvent* event) {
  // The edit scrolls, as it would under the pointer.
  if (edit_) QCoreApplication::sendEvent(edit_->viewport(), event);
}

}  // namespace parvex
