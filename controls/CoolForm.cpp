// The shaped window image: sizing, framing, outline and dragging of its window.
#include "controls/CoolForm.h"

#include <QEvent>
#include <QFile>
#include <QMouseEvent>
#include <QPainter>

#include <QWindow>

#include "controls/CoolFormMask2.h"
#include "controls/NoshapeBmp.h"
#include "controls/WindowSystem.h"
#include "base/Exception.h"

namespace parvex {
namespace {

QByteArray ReadStoredFile(const QString& name) {
  QFile file(name);
  if (!file.open(QIODevice::ReadOnly))
    throw Exception("Cannot read stored window data \"" + name.toStdString() + "\"");
  return file.readAll();
}

}  // namespace

TCoolForm::TCoolForm(QWidget* parent) : QWidget(parent), mask_(new TRegionType(this)) {
  mask_->setOwner(this);
  attachToParent();
}

void TCoolForm::setPicture(const QImage& picture) {
  if (picture == picture_) return;
  picture_ = picture;
  if (QWidget* parent = parentWidget()) {
    resize(picture_.size());
    parent->resize(picture_.size());
  }
  // The held outline and the doubled picture belonged to the old picture.
  mask_->setRegion(std::nullopt);
  hiResPicture_ = QImage();
  update();
  emit pictureChanged();
}

void TCoolForm::setHiResPicture(const QImage& picture) {
  hiResPicture_ = !picture.isNull() && picture.size() == picture_.size() * 2 ? picture : QImage();
  update();
}

void TCoolForm::setMaskHolder(TRegionType* holder) {
  if (holder == nullptr || holder == mask_) return;
  TRegionType* old = mask_;
  mask_ = holder;
  mask_->setParent(this);
  mask_->setOwner(this);
  if (old->parent() == this) delete old;
  emit maskHolderChanged();
}

void TCoolForm::setDraggable(bool draggable) {
  if (draggable == draggable_) return;
  draggable_ = draggable;
  emit draggableChanged();
}

void TCoolForm::setTop(int /*value*/) { move(x(), 0); }

void TCoolForm::setLeft(int /*value*/) { move(0, y()); }

void TCoolForm::readMask2(const QByteArray& payload) {
  mask2::Decoded decoded = mask2::Decode(payload);
  mask_->setRegion(std::move(decoded.region));
  applyOutlineToParent();
}

QByteArray TCoolForm::writeMask2() const { return mask2::Encode(mask_->region()); }

void TCoolForm::loadStored(const QString& base) {
  setPicture(bmp::Decode(ReadStoredFile(base + ".Picture.bmp")));
  readMask2(ReadStoredFile(base + ".Mask2"));
  setHiResPicture(QImage(base + ".Picture@2x.png"));
}

void TCoolForm::applyOutlineToParent() {
  QWidget* parent = parentWidget();
  if (parent == nullptr || !mask_->region()) return;
  // An empty QRegion would clear the mask and show the whole window, where
  // Windows would show none of it; either way nothing sensible is drawn, and the
  // whole window at least stays reachable.
  parent->setMask(*mask_->region());
}

void TCoolForm::attachToParent() {
  if (watchedParent_) watchedParent_->removeEventFilter(this);
  watchedParent_ = parentWidget();
  QWidget* parent = parentWidget();
  if (parent == nullptr) return;
  parent->installEventFilter(this);
  if (parent->isWindow()) {
    // Changing window flags hides a shown window; bring it back as it was.
    const bool shown = parent->isVisible();
    parent->setWindowFlag(Qt::FramelessWindowHint, true);
    // Without window shapes the outline shows only if what lies outside it
    // is see-through; decided before the native window exists.
    if (!windowsystem::HasWindowShapes()) parent->setAttribute(Qt::WA_TranslucentBackground);
    if (shown) parent->show();
  }
  setGeometry(parent->rect());
  setTop(0);
  setLeft(0);
}

bool TCoolForm::event(QEvent* event) {
  if (event->type() == QEvent::ParentChange) attachToParent();
  return QWidget::event(event);
}

bool TCoolForm::eventFilter(QObject* watched, QEvent* event) {
  // Fill the parent's client area whenever it changes size.
  if (watched == parentWidget() && event->type() == QEvent::Resize)
    setGeometry(parentWidget()->rect());
  return QWidget::eventFilter(watched, event);
}

void TCoolForm::paintEvent(QPaintEvent* /*event*/) {
  if (picture_.isNull()) return;
  QPainter painter(this);
  // A see-through window shows its outline by what is painted: nothing
  // outside it, as the shape would cut it.
  if (!windowsystem::HasWindowShapes() && mask_->region() && parentWidget() && parentWidget()->isWindow())
    painter.setClipRegion(*mask_->region());
  // On a scaled screen the doubled picture gives each device pixel its own.
  if (devicePixelRatioF() > 1 && !hiResPicture_.isNull()) {
    painter.setRenderHint(QPainter::SmoothPixmapTransform, devicePixelRatioF() != 2);
    painter.drawImage(QRect(QPoint(0, 0), picture_.size()), hiResPicture_);
    return;
  }
  painter.drawImage(0, 0, picture_);
}

void TCoolForm::moveEvent(QMoveEvent* event) {
  if (pos() != QPoint(0, 0)) move(0, 0);
  QWidget::moveEvent(event);
}

void TCoolForm::mousePressEvent(QMouseEvent* event) {
  const QPoint at = event->position().toPoint();
  emit OnMouseDown(event->button(), event->modifiers(), at.x(), at.y());
  // Where only the window system moves windows, the press is handed to it:
  // it drags the window until the button goes up.
  if (draggable_ && !windowsystem::ProgramPlacesWindows()) {
    QWindow* handle = window()->windowHandle();
    if (handle && handle->startSystemMove()) return;
  }
  if (draggable_) dragging_ = true;
  if (QWidget* parent = parentWidget()) dragParentStart_ = parent->pos();
  dragGlobalStart_ = event->globalPosition().toPoint();
}

void TCoolForm::mouseMoveEvent(QMouseEvent* event) {
  QWidget* parent = parentWidget();
  if (!dragging_ || parent == nullptr) return;
  parent->move(dragParentStart_ + event->globalPosition().toPoint() - dragGlobalStart_);
}

void TCoolForm::mouseReleaseEvent(QMouseEvent* /*event*/) { dragging_ = false; }

}  // namespace parvex
