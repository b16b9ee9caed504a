// The strip along the top of a form that TMSOfficeCaption paints as its title
// bar: it shows the component's picture of the bar, presses the caption
// buttons, lets the user drag the window by it, and opens the small window
// menu (Move, Minimize, Close) that a frameless window no longer gets from
// the window manager. Internal to the component.
#pragma once

#include <QPoint>
#include <QPointer>
#include <QWidget>

#include <QMenu>
class TMSOfficeCaption;

class TCaptionBarWidget : public QWidget {
  Q_OBJECT

 public:
  enum TCaptionButton { cbNone, cbClose, cbMaximize, cbMinimize, cbHelp };

  TCaptionBarWidget(TMSOfficeCaption* owner, QWidget* form);

  // The button held down with the pointer over it, drawn sunken.
  TCaptionButton pressedButton() const { return held_ && over_ ? held_ : cbNone; }
  // Which button a point of the bar hits (only buttons that work).
  TCaptionButton buttonAt(const QPoint& point) const;

  // The window menu, opened at `globalPos`: Move, Minimize (working only
  // when the form has a minimise button), a line, Close. It runs on its own
  // while the caller goes on; windowMenu() is the one open, if any.
  void openWindowMenu(const QPoint& globalPos);
  QMenu* windowMenu() const { return menu_; }
  // Where the menu opens from the keyboard (Alt+Space) and from the icon:
  // below the icon, in global coordinates.
  QPoint menuPosition() const;
  // "Move" from the menu: the window follows the pointer (or the arrow keys,
  // 8 pixels a press) until a click or Return; Escape puts it back.
  void startMoving();
  bool isMoving() const { return moving_; }

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;

 private:
  void press(TCaptionButton button);
  void stopMoving(bool keep);
  // The move of the window under way from the menu follows the pointer to `globalPos`.
  void moveWith(const QPoint& globalPos);

  TMSOfficeCaption* owner_;
  QWidget* form_;
  TCaptionButton held_ = cbNone;
  bool over_ = false;
  // Without a window manager to move the window, the bar moves it itself.
  bool dragging_ = false;
  QPoint grabOffset_;
  QPointer<QMenu> menu_;
  // Moving from the menu: where the form and the pointer were when it began.
  bool moving_ = false;
  QPoint moveFormStart_;
  QPoint movePointerStart_;
};
