// A multi-line text control that paints its own text area: a plain, tiled or
// faded-tiled background, its own border styles, its own selection brush and
// its own blinking caret. The editing (keys, caret moves, selection, scrolling,
// scroll bars) is done by a QPlainTextEdit kept inside, covered by a pane that
// shows the control's own picture and hands left clicks to the edit.
//
//   tbackbase      the outer control: properties, off-screen image, background,
//                  border, selection state, caret
//   TBI_Memo       owns the inner edit, paints the text lines, lays out children
//   TModifiedMemo  the inner edit; reports keys and scrolling to its parent
//   TMemoPane      the pane over the edit's text area
//
// Character positions are the inner edit's own (a line break counts one; a
// wrapped line has none), so the painted selection is always the edit's.
//
// Thread-safety: user-interface thread only, like every widget. The caret's
// ticks come from the shared thread timer, which delivers them on that thread.
#pragma once

#include <QBrush>
#include <QImage>
#include <QPlainTextEdit>
#include <QPoint>
#include <QPointer>
#include <QString>
#include <QStringList>
#include <QWidget>

#include "controls/bi_procs.h"

namespace parvex {

class TBI_Timer;
class TMemoPane;
class TModifiedMemo;

// The caret timer all memos share: created on first use, owned by the
// application object. A memo that gains focus binds it to itself.
// REQUIRES: a QCoreApplication exists.
TBI_Timer* CaretTimer();

class tbackbase : public QWidget {
  Q_OBJECT
  Q_PROPERTY(TBorderStyleExt Border READ border WRITE setBorder)
  Q_PROPERTY(TFillMode FillStyle READ fillStyle WRITE setFillStyle)
  Q_PROPERTY(parvex::TColor FadeColor READ fadeColor WRITE setFadeColor)
  Q_PROPERTY(parvex::TColor Color READ color WRITE setColor)
  Q_PROPERTY(parvex::TColor FontColor READ fontColor WRITE setFontColor)
  Q_PROPERTY(QBrush SelectionBrush READ selectionBrush WRITE setSelectionBrush)
  Q_PROPERTY(QImage Bitmap READ bitmap WRITE setBitmap)
  Q_PROPERTY(bool HideSelection READ hideSelection WRITE setHideSelection)

 public:
  enum TFillMode { fmNormal, fmFaded };
  Q_ENUM(TFillMode)
  enum TBorderStyleExt { bseNone, bseSingle, bseFlat };
  Q_ENUM(TBorderStyleExt)

  // Notification codes the inner edit sends to its parent (WMCommand).
  static constexpr int enSetFocus = 0x0100;
  static constexpr int enKillFocus = 0x0200;
  static constexpr int enChange = 0x0300;
  static constexpr int enUpdate = 0x0400;
  static constexpr int enErrSpace = 0x0500;
  static constexpr int enMaxText = 0x0501;
  static constexpr int enHScroll = 0x0601;
  static constexpr int enVScroll = 0x0602;
  static constexpr int enKeyBefore = 0x1000;      // a key, before the edit handles it
  static constexpr int enKeyAfter = 0x1001;       // ... after, the selection length unchanged
  static constexpr int enKeySelChanged = 0x1002;  // ... after, the selection length changed

  // Color clWindow, Border bseFlat, FadeColor clBtnHighlight, a solid blue
  // SelectionBrush, no Bitmap; creates the pane.
  explicit tbackbase(QWidget* parent = nullptr);
  ~tbackbase() override;
  tbackbase(const tbackbase&) = delete;
  tbackbase& operator=(const tbackbase&) = delete;

  // The edit that does the editing; never null once construction is done.
  virtual TModifiedMemo* GetInnerMemo() const = 0;
  TMemoPane* pane() const { return FPane; }

  TBorderStyleExt border() const { return FBorder; }
  void setBorder(TBorderStyleExt value);  // returns early when unchanged
  TFillMode fillStyle() const { return FFillStyle; }
  // fmFaded rebuilds the faded picture at once.
  void setFillStyle(TFillMode value);
  TColor fadeColor() const { return FFadeColor; }
  void setFadeColor(TColor value);  // returns early when unchanged
  TColor color() const { return FColor; }
  void setColor(TColor value);  // returns early when unchanged
  // The text's colour (the font's colour); clWindowText until set.
  TColor fontColor() const { return FFontColor; }
  void setFontColor(TColor value);
  QBrush selectionBrush() const { return SelectionBrush; }
  void setSelectionBrush(const QBrush& brush);
  QImage bitmap() const { return Bitmap; }
  // Copies the picture (a null image: none) and marks the faded one stale.
  void setBitmap(const QImage& picture);
  bool hideSelection() const;
  void setHideSelection(bool value);

  // Handles a notification `notifyCode` from the child `source`: codes from
  // the inner edit as the table in the definition gives them. Throws
  // parvex::Exception("<Name>: NotifyCode = <code>?") for a code from the
  // inner edit that it does not know.
  void WMCommand(int notifyCode, const QWidget* source);

  // Turns the drawn caret on or off; on only while the inner edit has focus.
  void SetCaretShown(bool on);
  // The caret timer's handler: toggles the caret.
  void CaretBlink();

  // --- State, for the pane, the tests and those who look.
  const QImage& workImage() const { return WorkImage; }
  const QImage& fadedImage() const { return FFaded; }
  bool caretShown() const { return FCaretShown; }
  QPoint caretPos() const { return FCaretPos; }
  // Where the caret bar lies on the pane (empty while the caret is off).
  QRect caretBar() const;
  bool mouseInside() const { return FMouseInside; }
  bool leftDown() const { return FLeftDown; }
  int textMargin() const { return TextMargin; }
  // The selection captured by the last paint: start, end, shown.
  int selStart() const { return FSelStart; }
  int selEnd() const { return FSelEnd; }
  bool selVisible() const { return FSelVisible; }
  // How many times the picture has been drawn afresh.
  int paintCount() const { return paintCount_; }
  // The width of a vertical scroll bar and the height of a horizontal one.
  static int ScrollBarExtent();
  // The default size of a new control.
  static constexpr int kDefaultWidth = 185;
  static constexpr int kDefaultHeight = 89;

  // Draws the control's picture onto the pane (rebuilding it first when it
  // is stale), with the caret over it.
  void PaintPane(QPainter& pane, const QRect& area);

  // "Repaint": the picture is drawn afresh when the pane next paints.
  void Invalidate();

 signals:
  void OnChange(parvex::tbackbase* Sender);
  void OnClick(parvex::tbackbase* Sender);
  void OnDblClick(parvex::tbackbase* Sender);
  void OnMouseDown(QObject* Sender, Qt::MouseButton Button, Qt::KeyboardModifiers Shift, int X, int Y);
  void OnMouseMove(QObject* Sender, Qt::KeyboardModifiers Shift, int X, int Y);
  void OnMouseUp(QObject* Sender, Qt::MouseButton Button, Qt::KeyboardModifiers Shift, int X, int Y);
  void OnKeyDown(QObject* Sender, int Key, Qt::KeyboardModifiers Shift);
  void OnKeyPress(QObject* Sender, QChar Key);
  void OnKeyUp(QObject* Sender, int Key, Qt::KeyboardModifiers Shift);

 protected:
  // Background and border into WorkImage, then the selection captured.
  void PaintBackground();
  // The text, into WorkImage; the outer control's part of the painting.
  virtual void Paint();
  // Places the children for the control's size, then repaints.
  virtual void LayOut();
  // Whether the last ScrollBars setting shows a vertical (horizontal) bar.
  bool cachedVerticalBar() const;
  bool cachedHorizontalBar() const;

  void paintEvent(QPaintEvent* event) override;
  void enterEvent(QEnterEvent* event) override;
  void leaveEvent(QEvent* event) override;
  void changeEvent(QEvent* event) override;

  // Relays from the inner edit and the pane to the control's events.
  friend class TMemoPane;
  friend class TModifiedMemo;
  void EditMouseDown(QObject* sender, Qt::MouseButton button, Qt::KeyboardModifiers shift, QPoint at);
  void AnyMouseMove(QObject* sender, Qt::KeyboardModifiers shift, QPoint at);
  void EditMouseUp(QObject* sender, Qt::MouseButton button, Qt::KeyboardModifiers shift, QPoint at);
  void EditKeyUp(QObject* sender, int key, Qt::KeyboardModifiers shift);

  QPoint FCaretPos;
  int caretHeight_ = 0;  // of the line the caret is on
  TFillMode FFillStyle = fmNormal;
  TMemoPane* FPane = nullptr;
  QImage Bitmap;
  QImage FFaded;     // width 0: to be rebuilt
  QImage WorkImage;  // the text area's picture, at the pane's size
  bool FLeftDown = false;
  bool FCaretShown = false;
  QBrush SelectionBrush{QColor(0, 0, 255)};
  int FSelStart = 0;
  int FSelEnd = 0;
  int FCharIndex = 0;
  bool FSelVisible = false;
  bool FInSelection = false;
  TColor FFadeColor = clBtnHighlight;
  TColor FColor = clWindow;
  TColor FFontColor = clWindowText;
  int TextMargin = 0;
  TBorderStyleExt FBorder = bseFlat;
  int FScrollBarsCache = 0;  // TBI_Memo::TScrollStyle
  QPoint FPrevCaretPos;
  bool FMouseInside = false;

 private:
  void MakeFaded();
  void DrawBorder(QPainter& canvas);
  void UpdateWorkImageSize();
  void nameChanged(const QString& name);

  bool stale_ = true;
  bool inPaint_ = false;
  int paintCount_ = 0;
  QString name_;
};

class TBI_Memo : public tbackbase {
  Q_OBJECT
  Q_PROPERTY(TScrollStyle ScrollBars READ scrollBars WRITE setScrollBars)
  Q_PROPERTY(QStringList Lines READ lines WRITE setLines)
  Q_PROPERTY(bool WordWrap READ wordWrap WRITE setWordWrap)
  Q_PROPERTY(TAlign Align READ align WRITE setAlign)
  Q_PROPERTY(int MaxLength READ maxLength WRITE setMaxLength)

 public:
  enum TScrollStyle { ssNone, ssHorizontal, ssVertical, ssBoth };
  Q_ENUM(TScrollStyle)
  enum TAlign { alNone, alTop, alBottom, alLeft, alRight, alClient };
  Q_ENUM(TAlign)

  // Creates the inner edit (no scroll bars, word wrap on), TextMargin 1, and
  // takes the edit's default size.
  explicit TBI_Memo(QWidget* parent = nullptr);
  ~TBI_Memo() override;

  TModifiedMemo* GetInnerMemo() const override { return FMemo; }

  TScrollStyle scrollBars() const;
  void setScrollBars(TScrollStyle value);
  QStringList lines() const;
  void setLines(const QStringList& lines);
  bool wordWrap() const;
  void setWordWrap(bool value);
  TAlign align() const { return FAlign; }
  // Places the control along its parent's edges, and keeps it there.
  void setAlign(TAlign value);
  int maxLength() const;
  void setMaxLength(int value);

  // The pane's size for a control of `size` with the scroll bars shown.
  static QSize PaneSize(QSize size, TScrollStyle bars);

 protected:
  void Paint() override;
  void LayOut() override;
  void resizeEvent(QResizeEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  struct LineInPaint;
  void FollowParent();
  // Draws the first n characters (fewer if the rest is shorter, none if n <= 0)
  // of the line's rest behind the current brush, and moves on past them.
  void DrawRun(QPainter& canvas, LineInPaint& line, int n);
  void UpdateSelectionBrush();

  TModifiedMemo* FMemo = nullptr;
  TAlign FAlign = alNone;
  QPointer<QWidget> alignedTo_;
  QBrush runBrush_;  // behind the runs being drawn
};

// The inner edit. It reports to its parent, through WMCommand, focus, text
// changes and scrolling, and every key press before and after it is handled;
// it keeps HideSelection and MaxLength for the parent.
class TModifiedMemo : public QPlainTextEdit {
  Q_OBJECT

 public:
  // REQUIRES: owner is the tbackbase it reports to (also its parent).
  explicit TModifiedMemo(tbackbase* owner);

  bool hideSelection() const { return hideSelection_; }
  void setHideSelection(bool value) { hideSelection_ = value; }
  // The most characters a user may enter (a line break counts one); 0: no limit.
  int maxLength() const { return maxLength_; }
  void setMaxLength(int value) { maxLength_ = value < 0 ? 0 : value; }
  int textLength() const { return document()->characterCount() - 1; }

  // The caret's place in the edit's client coordinates (the text's origin
  // lies at (0, 0) there): x is the caret's left edge, y and height those of
  // its line; the width is 0.
  QRect caretLine() const;
  // Where the client coordinates' origin lies in the edit widget.
  QPoint clientOrigin() const { return viewport()->pos(); }
  void setClientOrigin(QPoint origin) { setViewportMargins(origin.x(), origin.y(), 0, 0); }

  // What painting needs of the layout.
  using QPlainTextEdit::blockBoundingGeometry;
  using QPlainTextEdit::contentOffset;
  using QPlainTextEdit::firstVisibleBlock;

  // A left button press (and the moves and release of that drag) handed on
  // from the pane, at a point of the edit widget.
  void ForwardMouse(QMouseEvent* event, QPoint at);

 protected:
  void keyPressEvent(QKeyEvent* event) override;
  void keyReleaseEvent(QKeyEvent* event) override;
  void focusInEvent(QFocusEvent* event) override;
  void focusOutEvent(QFocusEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;
  void insertFromMimeData(const QMimeData* source) override;

 private:
  void Notify(int code);
  bool RoomFor(int characters) const;

  tbackbase* owner_;
  bool hideSelection_ = true;
  int maxLength_ = 0;
};

// The pane over the inner edit's text area: shows the outer control's
// picture and hands left clicks to the edit.
class TMemoPane : public QWidget {
  Q_OBJECT

 public:
  // Throws parvex::Exception("TMemoPane: Owner <> tbi_memo/Edit") unless
  // owner is a tbackbase.
  explicit TMemoPane(QWidget* owner);

  TModifiedMemo* edit() const { return edit_; }
  void setEdit(TModifiedMemo* edit) { edit_ = edit; }

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;
  void wheelEvent(QWheelEvent* event) override;

 private:
  static QWidget* CheckedOwner(QWidget* owner);
  // The event's place in the edit's widget coordinates.
  QPoint InEdit(const QMouseEvent* event) const;

  tbackbase* owner_;
  QPointer<TModifiedMemo> edit_;
  bool forwarding_ = false;  // a left drag that the edit is handling
};

}  // namespace parvex
