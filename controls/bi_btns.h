// Window-less push buttons with a caption, an optional glyph of up to three
// images (normal, disabled, pressed), bevel and flat styles, a drop-down menu
// and group exclusivity of the Down state. TBI_basebutton is the model and
// draws caption, glyph, mark and edges on an off-screen picture; it draws no
// background. TBI_PlasmaButton paints a fractal plasma texture beneath them.
//
// Setters store the value and ask for a deferred repaint (invalidate());
// some return early when nothing changes, as each says. Thread-safety:
// user-interface thread only, like every widget.
#pragma once

#include <QColor>
#include <QImage>
#include <QMenu>
#include <QPointer>
#include <QString>
#include <QWidget>
#include <cstdint>

#include "controls/bi_procs.h"

class QFontMetrics;

namespace parvex {

class TBI_basebutton : public QWidget {
  Q_OBJECT
  Q_PROPERTY(parvex::TColor LightColor READ lightColor WRITE setLightColor)
  Q_PROPERTY(parvex::TColor ShadowColor READ shadowColor WRITE setShadowColor)
  Q_PROPERTY(QImage Glyph READ glyph WRITE setGlyph)
  Q_PROPERTY(QMenu* DropDownMenu READ dropDownMenu WRITE setDropDownMenu)
  Q_PROPERTY(bool GrayedInactive READ grayedInactive WRITE setGrayedInactive)
  Q_PROPERTY(QString Caption READ caption WRITE setCaption)
  Q_PROPERTY(TButtonLayout Layout READ buttonLayout WRITE setButtonLayout)
  Q_PROPERTY(int BevelWidth READ bevelWidth WRITE setBevelWidth)
  Q_PROPERTY(QColor FontColor READ fontColor WRITE setFontColor)
  Q_PROPERTY(bool Down READ down WRITE setDown)
  Q_PROPERTY(int GroupIndex READ groupIndex WRITE setGroupIndex)
  Q_PROPERTY(bool AllowAllUp READ allowAllUp WRITE setAllowAllUp)
  Q_PROPERTY(bool Enabled READ buttonEnabled WRITE setButtonEnabled)
  Q_PROPERTY(bool Flat READ flat WRITE setFlat)
  Q_PROPERTY(bool MarkDropDown READ markDropDown WRITE setMarkDropDown)
  Q_PROPERTY(int Spacing READ spacing WRITE setSpacing)
  Q_PROPERTY(bool Paint256 READ paint256 WRITE setPaint256)

 public:
  enum TButtonLayout { blGlyphLeft, blGlyphRight, blGlyphTop, blGlyphBottom };
  Q_ENUM(TButtonLayout)
  enum TGlyphImage { giNormal, giDisabled, giPressed };
  static constexpr std::uint8_t kReleased = 0;
  static constexpr std::uint8_t kPressed = 2;
  static constexpr int kDropMarkWidth = 4;
  static constexpr QRgb kDisabledText = 0xFFC0C0C0;  // drawn first, at the caption's place
  static constexpr QRgb kDisabledShade = 0xFF808080;  // then 2 pixels right and down

  // 25 x 25, opaque; LightColor clBtnHighlight, ShadowColor clBtnShadow,
  // GrayedInactive, Enabled and MarkDropDown true, BevelWidth and Spacing 1.
  // Decides once whether the display is low-colour (below 16 bits).
  explicit TBI_basebutton(QWidget* parent = nullptr);
  ~TBI_basebutton() override;
  TBI_basebutton(const TBI_basebutton&) = delete;
  TBI_basebutton& operator=(const TBI_basebutton&) = delete;

  TColor lightColor() const { return FLightColor; }
  // Returns early when unchanged.
  virtual void setLightColor(TColor value);
  TColor shadowColor() const { return FShadowColor; }
  // Stores and invalidates even when unchanged.
  virtual void setShadowColor(TColor value);

  QImage glyph() const { return FGlyph; }
  // Copies the picture (a null image: none). A picture whose width is a whole
  // multiple of its height holds width / height images side by side; any other
  // picture is one image.
  void setGlyph(const QImage& value);
  QMenu* dropDownMenu() const { return FDropDownMenu; }
  // Invalidates only while MarkDropDown is on. A menu that is destroyed is
  // dropped.
  void setDropDownMenu(QMenu* value);
  bool grayedInactive() const { return FGrayedInactive; }
  void setGrayedInactive(bool value);  // returns early when unchanged
  QString caption() const { return FCaption; }
  // "&" marks the accelerator (Alt + letter clicks the button). Returns early
  // when unchanged.
  void setCaption(const QString& value);
  TButtonLayout buttonLayout() const { return FLayout; }
  void setButtonLayout(TButtonLayout value);  // returns early when unchanged
  int bevelWidth() const { return FBevelWidth; }
  void setBevelWidth(int value);  // returns early when unchanged
  // The caption's colour (the font's colour); until set, the palette's text colour.
  QColor fontColor() const;
  void setFontColor(const QColor& value);
  bool down() const { return FDown; }
  // Nothing happens when unchanged or while GroupIndex is 0. Going down
  // releases every other down button of the same group on the same parent.
  void setDown(bool value);
  int groupIndex() const { return FGroupIndex; }
  // A change to 0 lets a down button up.
  void setGroupIndex(int value);
  bool allowAllUp() const { return FAllowAllUp; }
  void setAllowAllUp(bool value) { FAllowAllUp = value; }  // kept only
  // The button's own enabled flag, apart from QWidget's: off, the caption and
  // glyph are drawn disabled and the button neither presses nor clicks.
  bool buttonEnabled() const { return FEnabled; }
  void setButtonEnabled(bool value);  // returns early when unchanged
  bool flat() const { return FFlat; }
  // Also sets the hot state to !value; invalidates even when unchanged.
  void setFlat(bool value);
  bool markDropDown() const { return FMarkDropDown; }
  void setMarkDropDown(bool value);  // returns early when unchanged
  int spacing() const { return FSpacing; }
  void setSpacing(int value);  // invalidates even when unchanged
  bool paint256() const { return FPaint256; }
  // Paint the face in full even on a low-colour display; kept, no repaint.
  void setPaint256(bool value) { FPaint256 = value; }

  // The state behind the picture.
  bool isHot() const { return FHot; }
  std::uint8_t pressState() const { return PressState; }
  bool isLowColour() const { return FLowColour; }
  int glyphWidth() const { return FGlyphWidth; }
  std::uint8_t glyphCount() const { return GlyphCount; }
  TColor glyphTransparentColour() const { return GlyphTransparentColour; }

  // One image of the glyph, sized glyphWidth() x glyph height; the disabled and
  // pressed images fall back to the normal one when the glyph has fewer. While
  // a flat button is neither hot nor down, GrayedInactive recolours it.
  void GetGlyphImage(TGlyphImage which, QImage& target) const;

  // Where PaintOn puts the caption's top-left corner, the glyph and the
  // drop-down mark's left edge for a button of the given size.
  struct Positions {
    int TX, TY, GX, GY, MX;
  };
  Positions layoutPositions(QSize size) const;
  // An off-screen picture of that size for PaintOn, at the screen's resolution.
  QImage makeCanvas(QSize size) const;
  // Draws caption, drop-down mark, glyph and edges onto B (the button's size).
  void PaintOn(QImage& B) const;

 public slots:
  // Fires OnClick.
  void click();

 signals:
  void OnClick();
  void OnDblClick();
  void OnMouseDown(Qt::MouseButton button, Qt::KeyboardModifiers shift, int x, int y);
  void OnMouseMove(Qt::KeyboardModifiers shift, int x, int y);
  void OnMouseUp(Qt::MouseButton button, Qt::KeyboardModifiers shift, int x, int y);

 protected:
  // A deferred repaint (update()) and a repaint at once (repaint()); tests
  // count them.
  virtual void invalidate();
  virtual void repaintNow();
  // Shows the drop-down menu at a screen position and returns when it closes.
  virtual void popupMenu(QMenu* menu, QPoint globalPosition);

  bool event(QEvent* event) override;
  void changeEvent(QEvent* event) override;
  void enterEvent(QEnterEvent* event) override;
  void leaveEvent(QEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;

  TColor FLightColor = clBtnHighlight;
  TColor FShadowColor = clBtnShadow;

 private:
  void pressLeft(QPoint position);
  void releaseLeft();
  // The caption's accelerator: a click at the pointer's place, as if pressed
  // and released there.
  void acceleratorClick();
  void updateShortcut();
  Positions layoutOn(QSize size, const QFontMetrics& metrics) const;

  QImage FGlyph;
  QPointer<QMenu> FDropDownMenu;
  QMetaObject::Connection menuGone_;
  bool FGrayedInactive = true;
  QString FCaption;
  TButtonLayout FLayout = blGlyphLeft;
  int FBevelWidth = 1;
  QColor FFontColor;  // invalid: the palette's
  bool FDown = false;
  int FGroupIndex = 0;
  bool FAllowAllUp = false;
  bool FEnabled = true;
  bool FFlat = false;
  bool FMarkDropDown = true;
  int FSpacing = 1;
  bool FPaint256 = false;

  TColor GlyphTransparentColour = clNone;
  int FGlyphWidth = 0;
  std::uint8_t GlyphCount = 0;
  bool FHot = true;
  bool FLowColour = false;
  std::uint8_t PressState = kReleased;
  bool clickArmed_ = false;
  int shortcutId_ = 0;
};

class TBI_PlasmaButton : public TBI_basebutton {
  Q_OBJECT

 public:
  // Makes the first texture from the constructor's colours.
  explicit TBI_PlasmaButton(QWidget* parent = nullptr);

  // Each makes a new texture when the colour differs (nothing when it is the
  // same); LightColor then invalidates, ShadowColor repaints at once.
  void setLightColor(TColor value) override;
  void setShadowColor(TColor value) override;

  // A new random texture from the current colours, seeded from the clock.
  void Regenerate();
  // The 150 x 150 texture.
  const QImage& plasma() const { return FPlasma; }

  // The picture a paint puts on screen: the face (plain button face on a
  // low-colour display unless Paint256; below 150 x 150 the texture's top-left
  // part unscaled, from 150 on either side the whole texture stretched), then
  // caption, glyph and edges.
  QImage renderToImage() const;

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  QImage FPlasma;
};

}  // namespace parvex
