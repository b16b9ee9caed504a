// The shaped window image: a picture control that fills its window, sizes the
// window to the picture, takes away its frame, cuts it to a stored outline
// ("Mask2") and lets the user drag the window by the picture.
// The frame goes through Qt::FramelessWindowHint when the control joins a
// window; a window that replaces its flags afterwards (setWindowFlags) gets
// its frame back, so set them before creating the control.
//
// Thread safety: user-interface thread only, like every widget.
#pragma once

#include <QImage>
#include <QObject>
#include <QPoint>
#include <QPointer>
#include <QRegion>
#include <QWidget>

#include <optional>

namespace parvex {

class TCoolForm;

// Holds one window outline for a TCoolForm. A QRegion is a value, so handing
// the outline to the window copies it: the holder keeps its own copy, and
// nothing the window does can leave the holder with a dangling outline.
class TRegionType : public QObject {
  Q_OBJECT

 public:
  explicit TRegionType(QObject* parent = nullptr) : QObject(parent) {}

  // The outline; nothing until one has been loaded.
  const std::optional<QRegion>& region() const { return region_; }
  void setRegion(std::optional<QRegion> region) { region_ = std::move(region); }

  TCoolForm* owner() const { return owner_; }
  void setOwner(TCoolForm* owner) { owner_ = owner; }

 private:
  std::optional<QRegion> region_;
  TCoolForm* owner_ = nullptr;
};

class TCoolForm : public QWidget {
  Q_OBJECT
  Q_PROPERTY(QImage Picture READ picture WRITE setPicture NOTIFY pictureChanged)
  Q_PROPERTY(parvex::TRegionType* Mask READ maskHolder WRITE setMaskHolder NOTIFY maskHolderChanged)
  Q_PROPERTY(bool Draggable READ draggable WRITE setDraggable NOTIFY draggableChanged)
  Q_PROPERTY(int top READ top WRITE setTop)
  Q_PROPERTY(int left READ left WRITE setLeft)

 public:
  explicit TCoolForm(QWidget* parent = nullptr);
  TCoolForm(const TCoolForm&) = delete;
  TCoolForm& operator=(const TCoolForm&) = delete;

  QImage picture() const { return picture_; }
  // A new picture sizes this control and its parent to it and drops the held
  // outline (a new picture needs a new outline) and the doubled picture; the
  // window keeps the outline it was cut to until another one is applied.
  void setPicture(const QImage& picture);
  // The same picture drawn at twice its size, shown instead on a scaled
  // screen; taken only when it measures twice the picture.
  QImage hiResPicture() const { return hiResPicture_; }
  void setHiResPicture(const QImage& picture);

  TRegionType* maskHolder() const { return mask_; }
  // Takes ownership of a non-null holder and deletes the one held before;
  // null is ignored.
  void setMaskHolder(TRegionType* holder);

  bool draggable() const { return draggable_; }
  void setDraggable(bool draggable);

  // The image always sits at its parent's origin: any value sets 0.
  int top() const { return y(); }
  virtual void setTop(int value);
  int left() const { return x(); }
  virtual void setLeft(int value);

  // Reads a stored "Mask2" payload (format in CoolFormMask2.h) into the holder
  // and cuts the parent window to it. A count of 0 or region data that makes
  // no region leaves the holder without an outline and the window as it is.
  // Throws parvex::Exception, with the holder and window untouched, when the
  // payload is shorter than the count it announces.
  void readMask2(const QByteArray& payload);
  // The holder's outline as a "Mask2" payload; four zero bytes without one.
  QByteArray writeMask2() const;

  // Reads the stored description of this control, in its stored order: the
  // picture from base + ".Picture.bmp", then the outline from base + ".Mask2"
  // (for instance ":/mainwindow/CoolForm1"); and the doubled picture from
  // base + ".Picture@2x.png" where there is one. Throws parvex::Exception when
  // a file of the description is missing or malformed.
  void loadStored(const QString& base);

  bool isDragging() const { return dragging_; }

 signals:
  void OnMouseDown(Qt::MouseButton button, Qt::KeyboardModifiers shift, int x, int y);
  void pictureChanged();
  void maskHolderChanged();
  void draggableChanged();

 protected:
  bool event(QEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;
  void paintEvent(QPaintEvent* event) override;
  void moveEvent(QMoveEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;

 private:
  void attachToParent();
  void applyOutlineToParent();

  QImage picture_;
  QImage hiResPicture_;
  TRegionType* mask_;
  bool dragging_ = false;
  bool draggable_ = true;

  // The window's position and the pointer's screen position when the drag
  // began. Window managers apply moves asynchronously, so the pointer's
  // position inside the window can lag behind a move; measuring on the screen
  // gives the same moves without that jitter.
  QPoint dragParentStart_;
  QPoint dragGlobalStart_;
  QPointer<QWidget> watchedParent_;
};

}  // namespace parvex
