// Balloon hints: KrHint holds the look of the application's pop-up hints
// (shape, colours, shadow, font, picture, timings); creating one makes
// KrHintWindow draw every hint of the program. KrHintWindow sizes itself to the
// text, sits 18 pixels below the pointer and paints the shape over a copy of
// the screen beneath it, so the screen shows around a round shape.
//
// User-interface thread only.
#pragma once

#include <QColor>
#include <QFont>
#include <QImage>
#include <QObject>
#include <QRect>
#include <QString>
#include <QWidget>

namespace parvex {

class KrHint : public QObject {
  Q_OBJECT
  Q_PROPERTY(QFont Font READ font WRITE setFont NOTIFY Changed)
  Q_PROPERTY(QColor FontColor READ fontColor WRITE setFontColor NOTIFY Changed)
  Q_PROPERTY(KrAlign Align READ align WRITE setAlign NOTIFY Changed)
  Q_PROPERTY(int ShortPause READ shortPause WRITE setShortPause NOTIFY Changed)
  Q_PROPERTY(int Pause READ pause WRITE setPause NOTIFY Changed)
  Q_PROPERTY(int HidePause READ hidePause WRITE setHidePause NOTIFY Changed)
  Q_PROPERTY(QColor Color READ color WRITE setColor NOTIFY Changed)
  Q_PROPERTY(KrKind Kind READ kind WRITE setKind NOTIFY Changed)
  Q_PROPERTY(QColor ColorBorder READ colorBorder WRITE setColorBorder NOTIFY Changed)
  Q_PROPERTY(KrShadow Shadow READ shadow WRITE setShadow NOTIFY Changed)
  Q_PROPERTY(QColor ColorShadow READ colorShadow WRITE setColorShadow NOTIFY Changed)
  Q_PROPERTY(QColor Colorup READ colorup WRITE setColorup NOTIFY Changed)
  Q_PROPERTY(QColor ColorDown READ colorDown WRITE setColorDown NOTIFY Changed)
  Q_PROPERTY(int ShadowWidth READ shadowWidth WRITE setShadowWidth NOTIFY Changed)
  Q_PROPERTY(bool Stretch READ stretch WRITE setStretch NOTIFY Changed)
  Q_PROPERTY(bool TransparentShadow READ transparentShadow WRITE setTransparentShadow NOTIFY Changed)
  Q_PROPERTY(QImage BitMap READ bitMap WRITE setBitMap NOTIFY Changed)
  Q_PROPERTY(KrPictAlign BitMapAlign READ bitMapAlign WRITE setBitMapAlign NOTIFY Changed)

 public:
  enum KrAlign { KrLeft, KrCenter, KrRight };
  Q_ENUM(KrAlign)
  enum KrKind { KrWindow, KrFlat, KrSquare, KrRoundSquare, KrEllipse, Kr3dUp, Kr3dDown, KrTransParent };
  Q_ENUM(KrKind)
  enum KrShadow { shNone, shTopLeft, shTopRight, shBottomLeft, shBottomRight };
  Q_ENUM(KrShadow)
  enum KrPictAlign {
    paNone, paTopLeft, paTopCenter, paTopRight, paLeft, paCenter, paRight,
    paBottomLeft, paBottomCenter, paBottomRight
  };
  Q_ENUM(KrPictAlign)

  // Everything the hint window needs to size and paint a balloon.
  struct Settings {
    QFont font;
    QColor fontColor{0, 0, 0};
    KrAlign align = KrCenter;
    QColor color{255, 255, 0};
    KrKind kind = KrWindow;
    QColor colorBorder{0, 0, 0};
    KrShadow shadow = shNone;
    QColor colorShadow{128, 128, 128};
    QColor colorUp{255, 255, 255};
    QColor colorDown{128, 128, 128};
    int shadowWidth = 3;
    bool stretch = true;
    bool transparentShadow = false;
    QImage bitmap;
    KrPictAlign bitmapAlign = paNone;
  };

  // Outside a QApplication (no widgets) the component only holds settings.
  explicit KrHint(QObject* owner = nullptr);
  ~KrHint() override;
  KrHint(const KrHint&) = delete;
  KrHint& operator=(const KrHint&) = delete;

  // The settings every hint is drawn with: the earliest created KrHint that
  // still exists, or none.
  static KrHint* Current();

  const Settings& settings() const { return settings_; }

  QFont font() const { return settings_.font; }
  QColor fontColor() const { return settings_.fontColor; }
  KrAlign align() const { return settings_.align; }
  int shortPause() const { return shortPause_; }
  int pause() const { return pause_; }
  int hidePause() const { return hidePause_; }
  QColor color() const { return settings_.color; }
  KrKind kind() const { return settings_.kind; }
  QColor colorBorder() const { return settings_.colorBorder; }
  KrShadow shadow() const { return settings_.shadow; }
  QColor colorShadow() const { return settings_.colorShadow; }
  QColor colorup() const { return settings_.colorUp; }
  QColor colorDown() const { return settings_.colorDown; }
  int shadowWidth() const { return settings_.shadowWidth; }
  bool stretch() const { return settings_.stretch; }
  bool transparentShadow() const { return settings_.transparentShadow; }
  QImage bitMap() const { return settings_.bitmap; }
  KrPictAlign bitMapAlign() const { return settings_.bitmapAlign; }

  void setFont(const QFont& value);
  void setFontColor(const QColor& value);
  void setAlign(KrAlign value);
  // The three pauses also become the application's hint timings, but only
  // when they change: until then the application keeps its own.
  void setShortPause(int value);
  void setPause(int value);
  void setHidePause(int value);
  void setColor(const QColor& value);
  void setKind(KrKind value);
  void setColorBorder(const QColor& value);
  void setShadow(KrShadow value);
  void setColorShadow(const QColor& value);
  void setColorup(const QColor& value);
  void setColorDown(const QColor& value);
  // A negative offset is taken as 0.
  void setShadowWidth(int value);
  void setStretch(bool value);
  void setTransparentShadow(bool value);
  void setBitMap(const QImage& value);
  void setBitMapAlign(KrPictAlign value);

 signals:
  void Changed();

 private:
  template <typename T>
  void Assign(T& field, const T& value);

  Settings settings_;
  int shortPause_ = 250;
  int pause_ = 500;
  int hidePause_ = 5000;
  bool tookOver_ = false;
};

// The hint window: a borderless, topmost pop-up that never takes the focus or
// the mouse. The application's hint logic (Kr_HintLogic) activates and hides it.
class KrHintWindow : public QWidget {
  Q_OBJECT

 public:
  explicit KrHintWindow(QWidget* parent = nullptr);

  // Shows `text` as a balloon below the pointer. `rect` is in screen
  // coordinates; only its width counts: the text's width in the standard hint
  // font plus 6, within which the text is wrapped.
  void ActivateHint(const QRect& rect, const QString& text);

  // The balloon as composed at the last activation (what the window shows).
  QImage Picture() const { return picture_; }
  QString Text() const { return text_; }
  QSize TextSize() const { return textSize_; }

  // True when the platform can copy the screen (X11, Windows, macOS); elsewhere
  // (offscreen, Wayland) the window is translucent and the desktop's own
  // compositing puts the screen behind the shape.
  static bool CanCopyScreen();

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  QImage picture_;
  QString text_;
  QSize textSize_;
  bool translucent_ = false;
};

}  // namespace parvex
