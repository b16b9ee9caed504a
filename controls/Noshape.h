// The hot-spot button: a windowless push button shaped like its picture. From
// one picture on a key colour it makes a released and a pressed rendering with
// a bevelled outline, paints the current one over whatever lies beneath it, and
// answers the mouse and shows its hint only inside the shape.
//
// Thread safety: user-interface thread only, like every widget.
#pragma once

#include <QImage>
#include <QString>
#include <QWidget>

namespace parvex {

class TNoShape : public QWidget {
  Q_OBJECT
  Q_PROPERTY(bool AutoSize READ autoSize WRITE setAutoSize NOTIFY autoSizeChanged)
  Q_PROPERTY(QImage Bitmap READ bitmap WRITE setBitmap NOTIFY bitmapChanged)
  Q_PROPERTY(QString Caption READ caption WRITE setCaption NOTIFY captionChanged)
  Q_PROPERTY(bool ParentFont READ parentFont WRITE setParentFont NOTIFY parentFontChanged)
  Q_PROPERTY(QString Hint READ hint WRITE setHint NOTIFY hintChanged)
  Q_PROPERTY(bool ShowHint READ showHint WRITE setShowHint NOTIFY showHintChanged)
  Q_PROPERTY(bool ParentShowHint READ parentShowHint WRITE setParentShowHint NOTIFY parentShowHintChanged)

 public:
  // The button's visual state; any other value paints as bsUp.
  enum State : quint8 { bsUp = 0, bsDown = 2 };

  explicit TNoShape(QWidget* parent = nullptr);
  TNoShape(const TNoShape&) = delete;
  TNoShape& operator=(const TNoShape&) = delete;

  bool autoSize() const { return autoSize_; }
  void setAutoSize(bool autoSize);

  QImage bitmap() const { return bitmap_; }
  // Copies the picture and makes both renderings from it (unless loading).
  // The doubled picture and renderings of the old picture go.
  void setBitmap(const QImage& bitmap);

  // The picture drawn at twice its size, for scaled screens; taken only when
  // it measures twice Bitmap. Its renderings are made from it as Bitmap's
  // are (with every outline offset doubled), or read when loading. The shape
  // and the hit test stay Bitmap's.
  QImage hiResBitmap() const { return hiResBitmap_; }
  void setHiResBitmap(const QImage& bitmap);
  QImage hiResReleasedImage() const { return hiResReleased_; }
  QImage hiResPressedImage() const { return hiResPressed_; }

  QString caption() const { return caption_; }
  void setCaption(const QString& caption);

  // Whether the font follows the parent's (Qt's font inheritance).
  bool parentFont() const;
  void setParentFont(bool parentFont);

  QString hint() const { return hint_; }
  void setHint(const QString& hint);
  // Setting ShowHint also clears ParentShowHint. Qt has no hint flag on the
  // parent to follow, so ParentShowHint is only kept, never acted upon.
  bool showHint() const { return showHint_; }
  void setShowHint(bool showHint);
  bool parentShowHint() const { return parentShowHint_; }
  void setParentShowHint(bool parentShowHint);
  // True while the pointer has left the shape and the hint is suppressed.
  bool hintHeldBack() const { return hintHeldBack_; }

  quint8 state() const { return state_; }
  // The generated (or stored) renderings and the shape mask (one-bit, black
  // inside; null until first built).
  QImage releasedImage() const { return released_; }
  QImage pressedImage() const { return pressed_; }
  QImage shapeMask() const { return shapeMask_; }

  // Moves and sizes the button; with AutoSize and a picture, the size is the
  // picture's whatever is asked (plain resize() obeys the same rule).
  virtual void setBounds(int left, int top, int width, int height);

  // Inside when there is no shape mask yet, or when the mask is black at
  // (x, y); a point beyond the mask is outside.
  virtual bool hitTest(int x, int y) const;

  // Fires OnClick.
  virtual void click();

  // Stored renderings, as Windows bitmap files. Reading throws
  // parvex::Exception (leaving the rendering as it was) for bytes that are not
  // a valid bitmap file; writing gives no bytes for an empty rendering, which
  // is then not stored.
  virtual void readBitmapUp(const QByteArray& bytes);
  virtual void readBitmapDown(const QByteArray& bytes);
  virtual QByteArray writeBitmapUp() const;
  virtual QByteArray writeBitmapDown() const;

  // Reading a stored description: between beginLoading() and loaded() a new
  // Bitmap does not regenerate the renderings, so the stored ones stay;
  // loaded() builds the shape mask from Bitmap and the released rendering.
  void beginLoading();
  void loaded();
  bool isLoading() const { return loading_; }

  // Reads base + ".Bitmap.bmp", then base + ".BitmapUp.bmp" and
  // base + ".BitmapDown.bmp" where present (for instance
  // ":/mainwindow/NoShape1"), and the doubled ones, base + ".Bitmap@2x.png",
  // ".BitmapUp@2x.png" and ".BitmapDown@2x.png", where present. Throws
  // parvex::Exception for a missing picture or malformed bytes.
  void loadStored(const QString& base);

 signals:
  void OnClick();
  void OnMouseDown(Qt::MouseButton button, Qt::KeyboardModifiers shift, int x, int y);
  void OnMouseMove(Qt::KeyboardModifiers shift, int x, int y);
  void OnMouseUp(Qt::MouseButton button, Qt::KeyboardModifiers shift, int x, int y);
  void autoSizeChanged();
  void bitmapChanged();
  void captionChanged();
  void parentFontChanged();
  void hintChanged();
  void showHintChanged();
  void parentShowHintChanged();

 protected:
  // Draws the caption centred in one line, one pixel right and down when
  // pressed; at most its first 255 characters.
  virtual void drawCaption(QPainter& painter, const QString& text, quint8 state, QRect rect);

  bool event(QEvent* event) override;
  void paintEvent(QPaintEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;

 private:
  void regenerate();
  void regenerateHiRes();
  void applyAutoSize();
  void syncToolTip();
  QRgb keyColour() const;

  bool autoSize_ = true;
  QImage bitmap_;
  QImage released_;
  QImage pressed_;
  QImage shapeMask_;
  QImage hiResBitmap_;
  QImage hiResReleased_;
  QImage hiResPressed_;
  bool hintHeldBack_ = false;
  bool savedShowHint_ = false;
  quint8 state_ = bsUp;

  QString caption_;
  QString hint_;
  bool showHint_ = false;
  bool parentShowHint_ = true;
  bool loading_ = false;
  int mnemonicShortcut_ = 0;
};

}  // namespace parvex
