// The caption bar's window menu and the move it can start: what a window
// manager's menu offers on a framed window, for a form whose frame the bar
// has taken over.

#include <QGuiApplication>
#include <QKeyEvent>
#include <QMenu>
#include <QTimer>
#include <QWindow>

#include "controls/Wordcap.h"
#include "controls/WordcapBar.h"

namespace {

// How far an arrow key moves the window while moving from the menu.
constexpr int kMoveStep = 8;

}  // namespace

QPoint TCaptionBarWidget::menuPosition() const {
  const QRect icon = owner_->barLayout().icon;
  const QPoint local = icon.isEmpty() ? QPoint(0, height()) : QPoint(icon.left(), height());
  return mapToGlobal(local);
}

void TCaptionBarWidget::openWindowMenu(const QPoint& globalPos) {
  if (menu_) menu_->close();
  auto* menu = new QMenu(this);
  menu->setAttribute(Qt::WA_DeleteOnClose);
  const Qt::WindowFlags flags = form_->windowFlags();
  // The move begins once the menu has gone, with its grab of the pointer.
  QAction* move = menu->addAction(QStringLiteral("&Move"), this,
                                  [this] { QTimer::singleShot(0, this, &TCaptionBarWidget::startMoving); });
  move->setEnabled(!form_->isMaximized() && !form_->isMinimized());
  QAction* minimize = menu->addAction(QStringLiteral("Mi&nimize"), form_, &QWidget::showMinimized);
  minimize->setEnabled(flags.testFlag(Qt::WindowMinimizeButtonHint));
  menu->addSeparator();
  QAction* close = menu->addAction(QStringLiteral("&Close"), form_, &QWidget::close);
  close->setShortcut(QKeySequence(Qt::ALT | Qt::Key_F4));
  menu->setDefaultAction(close);
  menu_ = menu;
  menu->popup(globalPos);
}

void TCaptionBarWidget::startMoving() {
  if (moving_) return;
  moving_ = true;
  moveFormStart_ = form_->pos();
  movePointerStart_ = QCursor::pos();
  setCursor(Qt::SizeAllCursor);
  setMouseTracking(true);  // the pointer moves the window with no button held
  grabMouse();
  grabKeyboard();
}

void TCaptionBarWidget::moveWith(const QPoint& globalPos) {
  form_->move(moveFormStart_ + globalPos - movePointerStart_);
}

void TCaptionBarWidget::stopMoving(bool keep) {
  if (!moving_) return;
  moving_ = false;
  releaseMouse();
  releaseKeyboard();
  setMouseTracking(false);
  unsetCursor();
  if (!keep) form_->move(moveFormStart_);
}

void TCaptionBarWidget::keyPressEvent(QKeyEvent* event) {
  if (!moving_) {
    QWidget::keyPressEvent(event);
    return;
  }
  event->accept();
  QPoint step;
  switch (event->key()) {
    case Qt::Key_Left: step = QPoint(-kMoveStep, 0); break;
    case Qt::Key_Right: step = QPoint(kMoveStep, 0); break;
    case Qt::Key_Up: step = QPoint(0, -kMoveStep); break;
    case Qt::Key_Down: step = QPoint(0, kMoveStep); break;
    case Qt::Key_Return:
    case Qt::Key_Enter: stopMoving(true); return;
    case Qt::Key_Escape: stopMoving(false); return;
    default: return;
  }
  // The keys move the window and the point the pointer moves it from alike.
  form_->move(form_->pos() + step);
  movePointerStart_ -= step;
}
