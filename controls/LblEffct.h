// TLabelEffect: a windowless caption painted with 3-D effects. A highlight copy
// and a shadow copy of the text lie offset from the face in chosen directions
// and depths, drawn plainly, as translucent darkening and lightening of what
// lies beneath (eoReal), as a stack of copies (eoExtrude) or as a stack graded
// towards the face colour (eoGraduated). The face may carry a gradient; the
// whole caption turns by an angle, or runs along a slanted line with its
// letters upright. Presets set directions and depths (EffectStyle) or the
// three colours (ColourScheme); AsButton makes the caption sink while pressed.
//
// Colours are plain RGB. Where a system colour is meant (the window-text
// colour GraduateFrom starts with), it is read from the palette when set, so
// the graded styles and the face gradient always work on real components.
//
// Thread-safety: user-interface thread only, like every widget.
#pragma once

#include <QColor>
#include <QImage>
#include <QPointer>
#include <QString>
#include <QWidget>

namespace parvex {

class TLabelEffect : public QWidget {
  Q_OBJECT
  Q_PROPERTY(int DepthHighlight READ depthHighlight WRITE setDepthHighlight NOTIFY changed)
  Q_PROPERTY(int DepthShadow READ depthShadow WRITE setDepthShadow NOTIFY changed)
  Q_PROPERTY(TEffectDirection DirectionHighlight READ directionHighlight WRITE setDirectionHighlight
                 NOTIFY changed)
  Q_PROPERTY(TEffectDirection DirectionShadow READ directionShadow WRITE setDirectionShadow NOTIFY changed)
  Q_PROPERTY(QColor ColourHighlight READ colourHighlight WRITE setColourHighlight NOTIFY changed)
  Q_PROPERTY(QColor ColourShadow READ colourShadow WRITE setColourShadow NOTIFY changed)
  Q_PROPERTY(TGraduateOption GraduateFace READ graduateFace WRITE setGraduateFace NOTIFY changed)
  Q_PROPERTY(QColor GraduateFrom READ graduateFrom WRITE setGraduateFrom NOTIFY changed)
  Q_PROPERTY(TEffectOption StyleHighlight READ styleHighlight WRITE setStyleHighlight NOTIFY changed)
  Q_PROPERTY(TEffectOption StyleShadow READ styleShadow WRITE setStyleShadow NOTIFY changed)
  Q_PROPERTY(TEffectStyle EffectStyle READ effectStyle WRITE setEffectStyle NOTIFY changed)
  Q_PROPERTY(TColourScheme ColourScheme READ colourScheme WRITE setColourScheme NOTIFY changed)
  Q_PROPERTY(bool AsButton READ asButton WRITE setAsButton NOTIFY changed)
  Q_PROPERTY(int Angle READ angle WRITE setAngle NOTIFY changed)
  Q_PROPERTY(bool KeepLettersVertical READ keepLettersVertical WRITE setKeepLettersVertical NOTIFY changed)
  // What every label has.
  Q_PROPERTY(QString Caption READ caption WRITE setCaption NOTIFY changed)
  Q_PROPERTY(TAlignment Alignment READ alignment WRITE setAlignment NOTIFY changed)
  Q_PROPERTY(bool Transparent READ transparent WRITE setTransparent NOTIFY changed)
  Q_PROPERTY(bool WordWrap READ wordWrap WRITE setWordWrap NOTIFY changed)
  Q_PROPERTY(bool ShowAccelChar READ showAccelChar WRITE setShowAccelChar NOTIFY changed)
  Q_PROPERTY(QWidget* FocusControl READ focusControl WRITE setFocusControl NOTIFY changed)
  Q_PROPERTY(QColor Color READ color WRITE setColor NOTIFY changed)
  Q_PROPERTY(QColor FontColor READ fontColor WRITE setFontColor NOTIFY changed)

 public:
  enum TEffectDirection { edNone, edUp, edUpRight, edRight, edDownRight, edDown, edDownLeft, edLeft, edUpLeft };
  Q_ENUM(TEffectDirection)
  enum TEffectStyle { esNone, esCustom, esRaised, esSunken, esShadow, esFlying };
  Q_ENUM(TEffectStyle)
  enum TColourScheme { csCustom, csText, csWindows, csEmbossed, csGold, csSteel };
  Q_ENUM(TColourScheme)
  enum TEffectOption { eoNormal, eoReal, eoExtrude, eoGraduated };
  Q_ENUM(TEffectOption)
  enum TGraduateOption { goNone, goVertical, goHorizontal };
  Q_ENUM(TGraduateOption)
  enum TAlignment { taLeftJustify, taRightJustify, taCenter };
  Q_ENUM(TAlignment)

  static constexpr int kMaxDepth = 10;     // TEffectDepth is 0..10
  static constexpr int kMaxAngle = 360;    // TAngleRange is 0..360
  static constexpr int kDefaultWidth = 142;
  static constexpr int kDefaultHeight = 33;
  static constexpr int kMaxDrawnChars = 255;  // the caption is cut there at angle 0

  struct TSchemeColours {
    QColor highlight, shadow, face;
  };
  // The built-in rows; csCustom starts as a copy of csWindows.
  static TSchemeColours builtInScheme(TColourScheme scheme);
  // (dx, dy) of a direction, y growing downwards.
  static QPoint directionVector(TEffectDirection direction);
  // Puts the installed metric twin in place of the design faces the labels
  // name ("Times New Roman"). Done once by the first label; callable earlier.
  static void installFontSubstitutes();

  explicit TLabelEffect(QWidget* parent = nullptr);
  TLabelEffect(const TLabelEffect&) = delete;
  TLabelEffect& operator=(const TLabelEffect&) = delete;

  int depthHighlight() const { return depthHighlight_; }
  int depthShadow() const { return depthShadow_; }
  // Depths are 0..10; other values are brought into that range. A direct
  // change of a depth or direction makes the style esCustom.
  void setDepthHighlight(int depth);
  void setDepthShadow(int depth);
  TEffectDirection directionHighlight() const { return directionHighlight_; }
  TEffectDirection directionShadow() const { return directionShadow_; }
  void setDirectionHighlight(TEffectDirection direction);
  void setDirectionShadow(TEffectDirection direction);
  QColor colourHighlight() const { return colourHighlight_; }
  QColor colourShadow() const { return colourShadow_; }
  // Also the csCustom row's colour; the scheme becomes csCustom.
  void setColourHighlight(const QColor& colour);
  void setColourShadow(const QColor& colour);
  TGraduateOption graduateFace() const { return graduateFace_; }
  void setGraduateFace(TGraduateOption option);
  QColor graduateFrom() const { return graduateFrom_; }
  void setGraduateFrom(const QColor& colour);
  TEffectOption styleHighlight() const { return styleHighlight_; }
  TEffectOption styleShadow() const { return styleShadow_; }
  void setStyleHighlight(TEffectOption option);
  void setStyleShadow(TEffectOption option);
  TEffectStyle effectStyle() const { return effectStyle_; }
  void setEffectStyle(TEffectStyle style);
  TColourScheme colourScheme() const { return colourScheme_; }
  void setColourScheme(TColourScheme scheme);
  // The current colours of a scheme's row.
  TSchemeColours schemeColours(TColourScheme scheme) const { return schemes_[scheme]; }
  bool asButton() const { return asButton_; }
  // Turning it on also makes the style esRaised.
  void setAsButton(bool asButton);
  int angle() const { return angle_; }
  // Degrees counter-clockwise, 0..360 (other values are brought into range);
  // any angle but 0 makes the caption left-justified.
  void setAngle(int angle);
  bool keepLettersVertical() const { return keepLettersVertical_; }
  void setKeepLettersVertical(bool keep);
  double cosAngle() const { return cosAngle_; }
  double sinAngle() const { return sinAngle_; }

  QString caption() const { return caption_; }
  void setCaption(const QString& caption);
  TAlignment alignment() const { return alignment_; }
  void setAlignment(TAlignment alignment);
  bool transparent() const { return transparent_; }
  void setTransparent(bool transparent);
  bool wordWrap() const { return wordWrap_; }
  void setWordWrap(bool wrap);
  // With an ampersand in the caption, Alt and that letter focus FocusControl.
  bool showAccelChar() const { return showAccelChar_; }
  void setShowAccelChar(bool show);
  QWidget* focusControl() const { return focusControl_; }
  void setFocusControl(QWidget* control);
  // The ground when not transparent; until set, the palette's window colour.
  QColor color() const;
  void setColor(const QColor& colour);
  QColor fontColor() const { return fontColor_; }
  void setFontColor(const QColor& colour);

  // The picture the label paints, at its size times pixelRatio. It starts
  // from `beneath` (drawn at the top-left corner, scaled to the size) or, with
  // a null image, from transparent pixels, which the widget then lays over
  // whatever its parent painted.
  QImage render(const QImage& beneath = QImage(), int pixelRatio = 1) const;

  QSize sizeHint() const override { return {kDefaultWidth, kDefaultHeight}; }

 signals:
  void changed();
  void OnClick(parvex::TLabelEffect* Sender);
  void OnDblClick(parvex::TLabelEffect* Sender);
  void OnMouseDown(parvex::TLabelEffect* Sender, Qt::MouseButton Button, Qt::KeyboardModifiers Shift,
                   int X, int Y);
  void OnMouseMove(parvex::TLabelEffect* Sender, Qt::KeyboardModifiers Shift, int X, int Y);
  void OnMouseUp(parvex::TLabelEffect* Sender, Qt::MouseButton Button, Qt::KeyboardModifiers Shift,
                 int X, int Y);

 protected:
  bool event(QEvent* event) override;
  void paintEvent(QPaintEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;

  // The three handlers that AsButton takes over; without it they raise
  // OnMouseDown, OnMouseMove and OnMouseUp.
  virtual void MouseDown(Qt::MouseButton button, Qt::KeyboardModifiers shift, QPoint at, bool doubled);
  virtual void MouseMove(Qt::MouseButtons buttons, Qt::KeyboardModifiers shift, QPoint at);
  virtual void MouseUp(Qt::MouseButton button, Qt::KeyboardModifiers shift, QPoint at);

 private:
  void repaint();
  bool insideInclusive(QPoint at) const;
  void updateShortcut();

  int depthHighlight_ = 1;
  int depthShadow_ = 1;
  TEffectDirection directionHighlight_ = edUpLeft;
  TEffectDirection directionShadow_ = edDownRight;
  QColor colourHighlight_;
  QColor colourShadow_;
  TGraduateOption graduateFace_ = goNone;
  QColor graduateFrom_;
  TEffectOption styleHighlight_ = eoNormal;
  TEffectOption styleShadow_ = eoNormal;
  TEffectStyle effectStyle_ = esRaised;
  TColourScheme colourScheme_ = csWindows;
  bool asButton_ = false;
  int angle_ = 0;
  bool keepLettersVertical_ = false;
  bool changingStyle_ = false;   // a preset is setting directions and depths
  bool changingScheme_ = false;  // a preset is setting the colours
  TSchemeColours schemes_[6];
  double cosAngle_ = 1.0;
  double sinAngle_ = 0.0;
  double cosSquared_ = 1.0;
  double sinSquared_ = 0.0;

  QString caption_;
  TAlignment alignment_ = taLeftJustify;
  bool transparent_ = true;
  bool wordWrap_ = false;
  bool showAccelChar_ = true;
  QPointer<QWidget> focusControl_;
  QColor color_;
  QColor fontColor_;
  bool clickPending_ = false;  // a left press that a release inside completes
  int shortcutId_ = 0;

  friend class TLabelEffectPainter;
};

}  // namespace parvex
