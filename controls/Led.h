// TBSLed: a small round lamp, lit in one colour and dark in another, inside a
// sunken (3-D) or flat ring. The main window runs a light along five of them.
//
// Every effective change of an appearance property repaints the lamp and raises
// OnChange exactly once; writing the current value does neither.
#pragma once

#include <QColor>
#include <QImage>
#include <QWidget>

namespace parvex {

class TBSLed : public QWidget {
  Q_OBJECT
  Q_PROPERTY(QColor BackColor READ backColor WRITE setBackColor NOTIFY OnChange)
  Q_PROPERTY(QColor Color READ color WRITE setColor NOTIFY OnChange)
  Q_PROPERTY(TLedBorderStyle BorderStyle READ borderStyle WRITE setBorderStyle NOTIFY OnChange)
  Q_PROPERTY(int BorderWidth READ borderWidth WRITE setBorderWidth NOTIFY OnChange)
  Q_PROPERTY(bool Ctl3D READ ctl3D WRITE setCtl3D NOTIFY OnChange)
  Q_PROPERTY(bool LightOn READ lightOn WRITE setLightOn NOTIFY OnChange)

 public:
  enum TLedBorderStyle { bsFlat, bsCtl3D, bsStatusControl };
  Q_ENUM(TLedBorderStyle)

  explicit TBSLed(QWidget* parent = nullptr);

  QColor backColor() const { return backColor_; }
  QColor color() const { return color_; }
  TLedBorderStyle borderStyle() const { return borderStyle_; }
  int borderWidth() const { return borderWidth_; }
  bool ctl3D() const { return borderStyle_ == bsCtl3D; }
  bool lightOn() const { return lightOn_; }

  // Colour of the lamp when dark.
  void setBackColor(const QColor& value);
  // Colour of the lamp when lit.
  void setColor(const QColor& value);
  // Changing the style also resets the ring width: a status-control ring with
  // no width gets 2, and any other change turns a width of exactly 2 into 0.
  void setBorderStyle(TLedBorderStyle value);
  // A width below 0 is taken as 0 (the width is a pen width).
  void setBorderWidth(int value);
  // true selects the sunken ring, false the flat one; unlike setBorderStyle
  // this leaves the width alone.
  void setCtl3D(bool value);
  void setLightOn(bool value);

  // The lamp as it paints itself: an image of the control's size whose corners
  // outside the ring stay transparent, so the parent shows through them; with
  // `pixelRatio` above 1 drawn at that many device pixels per pixel.
  QImage Render(qreal pixelRatio = 1) const;

  QSize sizeHint() const override { return {15, 15}; }

 signals:
  // Raised after every effective change of BackColor, Color, BorderStyle,
  // BorderWidth, Ctl3D or LightOn.
  void OnChange(parvex::TBSLed* Sender);
  void OnClick(parvex::TBSLed* Sender);
  void OnDblClick(parvex::TBSLed* Sender);
  void OnMouseDown(parvex::TBSLed* Sender, Qt::MouseButton Button, Qt::KeyboardModifiers Shift,
                   int X, int Y);
  void OnMouseMove(parvex::TBSLed* Sender, Qt::KeyboardModifiers Shift, int X, int Y);
  void OnMouseUp(parvex::TBSLed* Sender, Qt::MouseButton Button, Qt::KeyboardModifiers Shift,
                 int X, int Y);

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;

 private:
  void Changed();

  QColor backColor_{255, 255, 255};
  QColor color_{255, 0, 0};
  int borderWidth_ = 0;
  TLedBorderStyle borderStyle_ = bsCtl3D;
  bool lightOn_ = false;
  // Pressed inside, so that a release inside counts as a click.
  bool pressed_ = false;
};

// Paints a lamp into `image` (which has the lamp's size) the way TBSLed does;
// `ringShadow` and `ringLight` are the two halves of the sunken ring.
void PaintLed(QImage& image, const QColor& lampColor, TBSLed::TLedBorderStyle style,
              int borderWidth, const QColor& ringShadow, const QColor& ringLight);

}  // namespace parvex
