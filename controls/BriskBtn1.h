// TBriskButton1: a flat push button painted entirely from four 37 x 41 faces
// (a black disc with a soft shadow, stretched to the button's width), with the
// caption centred on it. It acts as a default or cancel button, answers its
// accelerator and Space, and ends a modal dialog with its ModalResult.
//
// Thread-safety: user-interface thread only, like every widget.
#pragma once

#include <QColor>
#include <QImage>
#include <QPointer>
#include <QString>
#include <QWidget>

class TBriskButton1 : public QWidget {
  Q_OBJECT
  Q_PROPERTY(TButtonStyle Style READ buttonStyle WRITE setButtonStyle NOTIFY buttonStyleChanged)
  Q_PROPERTY(TButtonState Status READ status WRITE setStatus NOTIFY statusChanged)
  Q_PROPERTY(bool Cancel READ isCancel WRITE setCancel NOTIFY cancelChanged)
  Q_PROPERTY(QString Caption READ caption WRITE setCaption NOTIFY captionChanged)
  Q_PROPERTY(bool Default READ isDefault WRITE setDefault NOTIFY defaultChanged)
  Q_PROPERTY(int ModalResult READ modalResult WRITE setModalResult NOTIFY modalResultChanged)
  Q_PROPERTY(QColor FontColor READ fontColor WRITE setFontColor NOTIFY fontColorChanged)

 public:
  enum TButtonStyle { bsOnGray = 0, bsOnWhite = 1 };
  Q_ENUM(TButtonStyle)
  enum TButtonState { bsOff = 0, bsOn = 1 };
  Q_ENUM(TButtonState)
  // The values a form's modal result takes; QDialog::Accepted equals mrOk.
  enum TModalResult {
    mrNone = 0,
    mrOk = 1,
    mrCancel = 2,
    mrAbort = 3,
    mrRetry = 4,
    mrIgnore = 5,
    mrYes = 6,
    mrNo = 7,
    mrAll = 8,
    mrNoToAll = 9,
    mrYesToAll = 10
  };
  Q_ENUM(TModalResult)

  static constexpr int kFaceWidth = 37;
  static constexpr int kFaceHeight = 41;
  static constexpr int kDefaultWidth = 91;
  static const QColor kFocusLineColour;  // gray 128, 128, 128
  static const QColor kFocusLightColour;  // the light line inside it, 224, 224, 224
  static const QColor kDisabledTextColour;  // silver 192, 192, 192

  explicit TBriskButton1(QWidget* parent = nullptr);
  ~TBriskButton1() override;
  TBriskButton1(const TBriskButton1&) = delete;
  TBriskButton1& operator=(const TBriskButton1&) = delete;

  TButtonStyle buttonStyle() const { return style_; }
  void setButtonStyle(TButtonStyle style);
  TButtonState status() const { return status_; }
  // Also ends a press that is being tracked.
  void setStatus(TButtonState status);
  bool isCancel() const { return cancel_; }
  void setCancel(bool cancel);
  QString caption() const { return caption_; }
  void setCaption(const QString& caption);
  bool isDefault() const { return default_; }
  void setDefault(bool isDefault);
  int modalResult() const { return modalResult_; }
  void setModalResult(int result);
  QColor fontColor() const { return fontColor_; }
  void setFontColor(const QColor& colour);

  // The face drawn for a state and style (a gray face when the artwork is
  // missing, so that the button still shows).
  QImage face(TButtonState status, TButtonStyle style) const;
  // The same face drawn at twice its size (74 x 82), for scaled screens; null
  // when there is none.
  QImage hiResFace(TButtonState status, TButtonStyle style) const;
  // The button as it paints itself, at its current width and a height of 41;
  // with `pixelRatio` above 1 at that many device pixels per pixel, from the
  // doubled faces where there are some.
  QImage renderToImage(qreal pixelRatio = 1) const;
  // The character after the caption's single ampersand, or a null character.
  static QChar accelerator(const QString& caption);

  QSize sizeHint() const override;

 public slots:
  // The click operation: raises clicked(), then hands ModalResult to the
  // dialog the button lies on.
  void click();

 signals:
  void clicked();
  void buttonStyleChanged(TButtonStyle style);
  void statusChanged(TButtonState status);
  void cancelChanged(bool cancel);
  void captionChanged(const QString& caption);
  void defaultChanged(bool isDefault);
  void modalResultChanged(int result);
  void fontColorChanged(const QColor& colour);

 protected:
  bool event(QEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;
  void paintEvent(QPaintEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void keyReleaseEvent(QKeyEvent* event) override;
  void focusInEvent(QFocusEvent* event) override;
  void focusOutEvent(QFocusEvent* event) override;

 private:
  void paintFace(QImage& canvas, int scale) const;
  void syncFocusFlag();
  bool canTakeFocus() const;
  bool insideInclusive(const QPoint& point) const;
  // Enter for the focused or default button, Escape for a cancel button.
  bool handleDialogKey(const QKeyEvent* key);
  // A plain letter offered to every button of the window as an accelerator.
  bool handleDialogChar(const QString& text);
  void watchWindow();
  void updateShortcut();

  QImage faces_[2][2];  // [Status][Style]
  QImage hiResFaces_[2][2];  // the same at twice the size, or null
  TButtonStyle style_ = bsOnGray;
  TButtonState status_ = bsOff;
  bool cancel_ = false;
  bool default_ = false;
  int modalResult_ = mrNone;
  QString caption_;
  QColor fontColor_;
  bool focusFlag_ = false;
  bool tracking_ = false;
  bool spaceHeld_ = false;  // Space went down on the button and has not come up
  int shortcutId_ = 0;
  QPointer<QWidget> watchedWindow_;
};
