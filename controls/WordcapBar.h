// The strip along the top of a form that TMSOfficeCaption paints as its title
// bar: it shows the component's picture of the bar, presses the caption
// buttons and lets the user drag the window by it. Internal to the component.
#pragma once

#include <QPoint>
#include <QWidget>

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

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;

 private:
  void press(TCaptionButton button);

  TMSOfficeCaption* owner_;
  QWidget* form_;
  TCaptionButton held_ = cbNone;
  bool over_ = false;
  // Without a window manager to move the window, the bar moves it itself.
  bool dragging_ = false;
  QPoint grabOffset_;
};
