// TBI_Memo, the memo itself: the inner edit's properties, the layout of the
// children, and the text painted line by line in runs that follow the
// selection; and TModifiedMemo, the inner edit that reports to it.
#include <QApplication>
#include <QKeyEvent>
#include <QMessageBox>
#include <QMimeData>
#include <QPainter>
#include <QPointer>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextLayout>

#include "controls/bi_edits.h"

namespace parvex {

namespace {
// The longest run drawn after the line's last selection boundary.
constexpr int kMaxRun = 255;
}  // namespace

// The visual line being painted: its layout line, where its block starts,
// the part of it not drawn yet, and where the next character goes.
struct TBI_Memo::LineInPaint {
  QTextLine line;
  int blockPosition;
  QString rest;
  int x0;  // where the line's origin lies on the picture
  int x;
  int y;
  int height;
  qreal baseline;
};

TBI_Memo::TBI_Memo(QWidget* parent) : tbackbase(parent) {
  FMemo = new TModifiedMemo(this);
  TextMargin = 1;
  // The edit's text lies exactly where the picture shows it: its client
  // area starts TextMargin + 2 pixels from the left and one from the top.
  FMemo->setClientOrigin({TextMargin + 2, 1});
  setFocusProxy(FMemo);
  FPane->setEdit(FMemo);
  FPane->raise();
  resize(kDefaultWidth, kDefaultHeight);
  LayOut();
}

TBI_Memo::~TBI_Memo() {
  // The edit goes first, while this control can still hear from it.
  TModifiedMemo* edit = FMemo;
  FMemo = nullptr;
  FPane->setEdit(nullptr);
  delete edit;
}

TBI_Memo::TScrollStyle TBI_Memo::scrollBars() const {
  const bool vertical = FMemo->verticalScrollBarPolicy() == Qt::ScrollBarAlwaysOn;
  const bool horizontal = FMemo->horizontalScrollBarPolicy() == Qt::ScrollBarAlwaysOn;
  return vertical ? (horizontal ? ssBoth : ssVertical) : (horizontal ? ssHorizontal : ssNone);
}

void TBI_Memo::setScrollBars(TScrollStyle value) {
  const bool vertical = value == ssVertical || value == ssBoth;
  const bool horizontal = value == ssHorizontal || value == ssBoth;
  FMemo->setVerticalScrollBarPolicy(vertical ? Qt::ScrollBarAlwaysOn : Qt::ScrollBarAlwaysOff);
  FMemo->setHorizontalScrollBarPolicy(horizontal ? Qt::ScrollBarAlwaysOn : Qt::ScrollBarAlwaysOff);
  FScrollBarsCache = value;
  LayOut();
}

QStringList TBI_Memo::lines() const { return FMemo->toPlainText().split(QLatin1Char('\n')); }

void TBI_Memo::setLines(const QStringList& lines) { FMemo->setPlainText(lines.join(QLatin1Char('\n'))); }

bool TBI_Memo::wordWrap() const { return FMemo->lineWrapMode() != QPlainTextEdit::NoWrap; }

void TBI_Memo::setWordWrap(bool value) {
  FMemo->setLineWrapMode(value ? QPlainTextEdit::WidgetWidth : QPlainTextEdit::NoWrap);
  Invalidate();
}

int TBI_Memo::maxLength() const { return FMemo->maxLength(); }
void TBI_Memo::setMaxLength(int value) { FMemo->setMaxLength(value); }

void TBI_Memo::setAlign(TAlign value) {
  FAlign = value;
  if (alignedTo_) alignedTo_->removeEventFilter(this);
  alignedTo_ = value == alNone ? nullptr : parentWidget();
  if (alignedTo_) alignedTo_->installEventFilter(this);
  FollowParent();
}

void TBI_Memo::FollowParent() {
  if (!alignedTo_) return;
  const QSize area = alignedTo_->size();
  switch (FAlign) {
    case alNone: break;
    case alTop: setGeometry(0, 0, area.width(), height()); break;
    case alBottom: setGeometry(0, area.height() - height(), area.width(), height()); break;
    case alLeft: setGeometry(0, 0, width(), area.height()); break;
    case alRight: setGeometry(area.width() - width(), 0, width(), area.height()); break;
    case alClient: setGeometry(0, 0, area.width(), area.height()); break;
  }
}

bool TBI_Memo::eventFilter(QObject* watched, QEvent* event) {
  if (watched == alignedTo_ && event->type() == QEvent::Resize) FollowParent();
  return tbackbase::eventFilter(watched, event);
}

QSize TBI_Memo::PaneSize(QSize size, TScrollStyle bars) {
  const int extent = ScrollBarExtent();
  const bool vertical = bars == ssVertical || bars == ssBoth;
  const bool horizontal = bars == ssHorizontal || bars == ssBoth;
  return {std::max(0, size.width() - (vertical ? extent : 0)),
          std::max(0, size.height() - (horizontal ? extent : 0))};
}

void TBI_Memo::LayOut() {
  if (FMemo == nullptr) return;
  // The edit covers the whole control; the pane leaves its scroll bars free.
  FMemo->setGeometry(0, 0, width(), height());
  FPane->setGeometry(QRect(QPoint(0, 0), PaneSize(size(), scrollBars())));
  Invalidate();
}

void TBI_Memo::resizeEvent(QResizeEvent* event) {
  tbackbase::resizeEvent(event);
  LayOut();
}

void TBI_Memo::UpdateSelectionBrush() {
  FInSelection = FSelVisible && FSelStart <= FCharIndex && FCharIndex < FSelEnd;
  runBrush_ = FInSelection ? SelectionBrush : QBrush(Qt::NoBrush);
}

void TBI_Memo::DrawRun(QPainter& canvas, LineInPaint& line, int n) {
  const int count = std::min<qsizetype>(std::max(n, 0), line.rest.size());
  if (count <= 0) return;
  const QString run = line.rest.left(count);
  line.rest.remove(0, count);
  const int first = FCharIndex - line.blockPosition;  // within the block
  const int right = line.x0 + qRound(line.line.cursorToX(first + count));
  if (runBrush_.style() != Qt::NoBrush) canvas.fillRect(line.x, line.y + 1, right - line.x, line.height, runBrush_);
  // Each piece between tabs goes where the edit puts it.
  qsizetype start = 0;
  while (start < run.size()) {
    qsizetype end = run.indexOf(QLatin1Char('\t'), start);
    if (end < 0) end = run.size();
    if (end > start) {
      const qreal x = line.x0 + line.line.cursorToX(first + int(start));
      canvas.drawText(QPointF(x, line.y + 1 + line.baseline), run.mid(start, end - start));
    }
    start = end + 1;
  }
  line.x = right;
  FCharIndex += count;
}

void TBI_Memo::Paint() {
  PaintBackground();
  QPainter canvas(&WorkImage);
  canvas.setFont(font());
  canvas.setPen(ToQColor(FFontColor));
  const int imageHeight = WorkImage.deviceIndependentSize().toSize().height();
  const QPointF offset = FMemo->contentOffset();
  const int x0 = TextMargin - FMemo->horizontalScrollBar()->value() + 2;

  // The lines from the edit's first visible one, at the edit's own places
  // and character positions, until the picture is full. A line's height is
  // the edit's too (its spacing includes the font's leading), so that the
  // lines' cells meet without a gap.
  bool first = true;
  for (QTextBlock block = FMemo->firstVisibleBlock(); block.isValid(); block = block.next()) {
    if (!block.isVisible()) continue;
    const QRectF geometry = FMemo->blockBoundingGeometry(block).translated(offset);
    const QTextLayout* layout = block.layout();
    for (int k = 0; k < layout->lineCount(); ++k) {
      const QTextLine line = layout->lineAt(k);
      const int y = qRound(geometry.top() + line.y());
      const int lineHeight = qRound(geometry.top() + line.y() + line.height()) - y;
      if (y < 0) continue;  // scrolled off above
      if (y + lineHeight >= imageHeight) return;
      const int lineStart = block.position() + line.textStart();
      // Up to the next line's first character: a line break counts one, a
      // wrapped line has none.
      const int span = (k + 1 < layout->lineCount() ? block.position() + layout->lineAt(k + 1).textStart()
                                                     : block.position() + block.length()) -
                       lineStart;
      FCharIndex = lineStart;
      if (first) {
        UpdateSelectionBrush();
        first = false;
      }
      LineInPaint paint{line, block.position(), block.text().mid(line.textStart(), line.textLength()), x0,
                        x0 + qRound(line.cursorToX(line.textStart())), y, lineHeight, line.ascent()};
      if ((FInSelection && FSelEnd < FCharIndex + span) ||
          (!FInSelection && FCharIndex <= FSelStart && FSelStart < FCharIndex + span)) {
        if (!FInSelection) {
          DrawRun(canvas, paint, FSelStart - FCharIndex);
          UpdateSelectionBrush();
        }
        DrawRun(canvas, paint, FSelEnd - FCharIndex);
        UpdateSelectionBrush();
      }
      DrawRun(canvas, paint, kMaxRun);
    }
  }
}

// --- TModifiedMemo

TModifiedMemo::TModifiedMemo(tbackbase* owner) : QPlainTextEdit(owner), owner_(owner) {
  setFrameShape(QFrame::NoFrame);
  document()->setDocumentMargin(0);
  setLineWrapMode(QPlainTextEdit::WidgetWidth);
  setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  // Tab moves the focus on, as in any dialog.
  setTabChangesFocus(true);
  connect(this, &QPlainTextEdit::textChanged, this, [this] { Notify(tbackbase::enChange); });
  connect(verticalScrollBar(), &QScrollBar::valueChanged, this, [this] { Notify(tbackbase::enVScroll); });
  connect(horizontalScrollBar(), &QScrollBar::valueChanged, this, [this] { Notify(tbackbase::enHScroll); });
}

void TModifiedMemo::Notify(int code) {
  if (owner_ == nullptr || owner_->GetInnerMemo() != this) return;
  try {
    owner_->WMCommand(code, this);
  } catch (const std::exception& error) {
    // Shown as any error that reaches an event handler is; the program goes on.
    QMessageBox::critical(window(), QApplication::applicationName(), QString::fromLocal8Bit(error.what()));
  }
}

QRect TModifiedMemo::caretLine() const {
  const QTextCursor cursor = textCursor();
  const QTextBlock block = cursor.block();
  const QRectF geometry = blockBoundingGeometry(block).translated(contentOffset());
  const QTextLayout* layout = block.layout();
  if (layout == nullptr || layout->lineCount() == 0)
    return {geometry.topLeft().toPoint(), QSize(0, fontMetrics().height())};
  const int inBlock = cursor.positionInBlock();
  QTextLine line = layout->lineForTextPosition(inBlock);
  if (!line.isValid()) line = layout->lineAt(layout->lineCount() - 1);
  const int top = qRound(geometry.top() + line.y());
  return {qRound(geometry.left() + line.cursorToX(inBlock)), top, 0,
          qRound(geometry.top() + line.y() + line.height()) - top};
}

bool TModifiedMemo::RoomFor(int characters) const {
  if (maxLength_ == 0) return true;
  const QTextCursor cursor = textCursor();
  return textLength() - (cursor.selectionEnd() - cursor.selectionStart()) + characters <= maxLength_;
}

void TModifiedMemo::keyPressEvent(QKeyEvent* event) {
  QPointer<TModifiedMemo> self(this);
  Notify(tbackbase::enKeyBefore);
  if (owner_ != nullptr) emit owner_->OnKeyDown(this, event->key(), event->modifiers());
  if (!self) return;
  const QString text = event->text();
  const bool typing = !text.isEmpty() && (text.at(0).isPrint() || event->key() == Qt::Key_Return ||
                                          event->key() == Qt::Key_Enter);
  if (typing && owner_ != nullptr) emit owner_->OnKeyPress(this, text.at(0));
  if (!self) return;
  const QTextCursor before = textCursor();
  const int selectedBefore = before.selectionEnd() - before.selectionStart();
  if (typing && !RoomFor(int(text.size()))) {
    // Full: the key is refused, as the user sees by the beep.
    QApplication::beep();
    event->accept();
  } else {
    QPlainTextEdit::keyPressEvent(event);
  }
  if (!self) return;
  const QTextCursor after = textCursor();
  Notify(after.selectionEnd() - after.selectionStart() != selectedBefore ? tbackbase::enKeySelChanged
                                                                         : tbackbase::enKeyAfter);
}

void TModifiedMemo::keyReleaseEvent(QKeyEvent* event) {
  QPlainTextEdit::keyReleaseEvent(event);
  if (owner_ != nullptr && !event->isAutoRepeat()) owner_->EditKeyUp(this, event->key(), event->modifiers());
}

void TModifiedMemo::insertFromMimeData(const QMimeData* source) {
  if (maxLength_ == 0 || source == nullptr) {
    QPlainTextEdit::insertFromMimeData(source);
    return;
  }
  const QTextCursor cursor = textCursor();
  const int room = maxLength_ - (textLength() - (cursor.selectionEnd() - cursor.selectionStart()));
  QString text = source->text();
  if (text.size() > room) {
    QApplication::beep();
    text.truncate(std::max(room, 0));
  }
  if (!text.isEmpty()) insertPlainText(text);
}

void TModifiedMemo::focusInEvent(QFocusEvent* event) {
  QPlainTextEdit::focusInEvent(event);
  Notify(tbackbase::enSetFocus);
}

void TModifiedMemo::focusOutEvent(QFocusEvent* event) {
  QPlainTextEdit::focusOutEvent(event);
  Notify(tbackbase::enKillFocus);
}

void TModifiedMemo::ForwardMouse(QMouseEvent* event, QPoint at) {
  const QPointF local = QPointF(at - clientOrigin());
  QMouseEvent forwarded(event->type(), local, event->scenePosition(), event->globalPosition(), event->button(),
                        event->buttons(), event->modifiers(), event->pointingDevice());
  QCoreApplication::sendEvent(viewport(), &forwarded);
  event->setAccepted(forwarded.isAccepted());
}

// Mouse positions reported to the owner are the edit widget's, which are
// the owner's too (the edit lies at its origin).
void TModifiedMemo::mousePressEvent(QMouseEvent* event) {
  QPointer<TModifiedMemo> self(this);
  if (owner_ != nullptr)
    owner_->EditMouseDown(this, event->button(), event->modifiers(),
                          event->position().toPoint() + clientOrigin());
  if (self) QPlainTextEdit::mousePressEvent(event);
}

void TModifiedMemo::mouseMoveEvent(QMouseEvent* event) {
  QPlainTextEdit::mouseMoveEvent(event);
  if (owner_ != nullptr) owner_->AnyMouseMove(this, event->modifiers(), event->position().toPoint() + clientOrigin());
}

void TModifiedMemo::mouseReleaseEvent(QMouseEvent* event) {
  QPointer<TModifiedMemo> self(this);
  QPlainTextEdit::mouseReleaseEvent(event);
  const QPoint at = event->position().toPoint() + clientOrigin();
  if (owner_ != nullptr && event->button() == Qt::LeftButton && rect().contains(at)) emit owner_->OnClick(owner_);
  if (self && owner_ != nullptr) owner_->EditMouseUp(this, event->button(), event->modifiers(), at);
}

void TModifiedMemo::mouseDoubleClickEvent(QMouseEvent* event) {
  QPointer<TModifiedMemo> self(this);
  QPlainTextEdit::mouseDoubleClickEvent(event);
  if (self && owner_ != nullptr && event->button() == Qt::LeftButton) emit owner_->OnDblClick(owner_);
}

}  // namespace parvex
