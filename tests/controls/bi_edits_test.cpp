// Tests of the painted-background memo, on the pane's pixels: the layout with
// scroll bars, the backgrounds and borders, the selection painted in runs
// across lines and wrapped lines, the 255-character cut, the drawn caret and
// its timer, the notifications from the inner edit, and clicks handed on.

#include <QApplication>
#include <QClipboard>
#include <QLineEdit>
#include <QPainter>
#include <QScrollBar>
#include <QSignalSpy>
#include <QStyleHints>
#include <QTextBlock>
#include <QtTest>

#include "controls/bi_edits.h"
#include "controls/bi_timer.h"
#include "base/Exception.h"

using namespace parvex;

namespace {

constexpr QRgb kBlack = 0xFF000000;
constexpr QRgb kWhite = 0xFFFFFFFF;
constexpr QRgb kBlue = 0xFF0000FF;

// A memo on its own window, black with white letters that are drawn without
// smoothing, so that every pixel is ground, letter or selection.
struct Fixture {
  QWidget window;
  TBI_Memo* memo;
  QLineEdit* other;  // somewhere else for the focus to go

  explicit Fixture(QSize size = {300, 200}, int pixels = 15) {
    window.resize(size.width() + 20, size.height() + 40);
    memo = new TBI_Memo(&window);
    memo->setObjectName(QStringLiteral("BI_Memo1"));
    memo->setGeometry(0, 0, size.width(), size.height());
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPixelSize(pixels);
    font.setStyleStrategy(QFont::NoAntialias);
    memo->setFont(font);
    memo->setColor(clBlack);
    memo->setFontColor(clWhite);
    memo->setBorder(tbackbase::bseNone);
    other = new QLineEdit(&window);
    other->setGeometry(0, size.height() + 5, 100, 25);
    memo->setLines({});  // it took its name
  }
  // Shows the window, with the focus elsewhere than in the memo.
  void Show() {
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    window.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&window));
    other->setFocus();
    QTRY_VERIFY(other->hasFocus());
  }
  void FocusMemo() {
    memo->setFocus();
    QTRY_VERIFY(edit()->hasFocus());
  }
  TModifiedMemo* edit() const { return memo->GetInnerMemo(); }
  // What the pane shows now.
  QImage Pane() const { return memo->pane()->grab().toImage().convertToFormat(QImage::Format_RGB32); }
  void Select(int from, int to) {
    QTextCursor cursor = edit()->textCursor();
    cursor.setPosition(from);
    cursor.setPosition(to, QTextCursor::KeepAnchor);
    edit()->setTextCursor(cursor);
    memo->Invalidate();
  }
  // The visual line `n` of block `b` and the pane's x of its character `at`
  // (counted in the block).
  QTextLine Line(int b, int n = 0) const { return edit()->document()->findBlockByNumber(b).layout()->lineAt(n); }
  int X(int b, int at, int n = 0) const { return memo->textMargin() + 2 + qRound(Line(b, n).cursorToX(at)); }
  // Where the edit puts that line: its top in client coordinates (the
  // pane's row above its cell), and the pane's last row of its cell, below
  // every letter without a descender.
  int Top(int b, int n = 0) const {
    const QTextBlock block = edit()->document()->findBlockByNumber(b);
    return qRound(edit()->blockBoundingGeometry(block).translated(edit()->contentOffset()).top() + Line(b, n).y());
  }
  int BottomRow(int b, int n = 0) const {
    const QTextBlock block = edit()->document()->findBlockByNumber(b);
    const QTextLine line = Line(b, n);
    return qRound(edit()->blockBoundingGeometry(block).translated(edit()->contentOffset()).top() + line.y() +
                  line.height());
  }
  int Height(int b, int n = 0) const { return BottomRow(b, n) - Top(b, n); }
};

// The first and last x of `colour` on a row; (-1, -1) when there is none.
std::pair<int, int> Span(const QImage& image, int y, QRgb colour) {
  int first = -1, last = -1;
  for (int x = 0; x < image.width(); ++x)
    if (image.pixel(x, y) == colour) {
      if (first < 0) first = x;
      last = x;
    }
  return {first, last};
}

int CountNot(const QImage& image, QRect area, QRgb colour) {
  int count = 0;
  for (int y = area.top(); y <= area.bottom(); ++y)
    for (int x = area.left(); x <= area.right(); ++x) count += image.pixel(x, y) != colour;
  return count;
}

const QStringList kSixLines = {QStringLiteral("AAAAAAAAAA"), QStringLiteral("BBBBBBBBBB"),
                               QStringLiteral("CCCCCCCCCC"), QStringLiteral("DDDDDDDDDD"),
                               QStringLiteral("EEEEEEEEEE"), QStringLiteral("FFFFFFFFFF")};

}  // namespace

class BiEditsTest : public QObject {
  Q_OBJECT

 private slots:
  void paneOnlyOverAMemo() {
    TBI_Memo memo;
    // The pane lies over the edit.
    QVERIFY(memo.children().indexOf(memo.pane()) > memo.children().indexOf(memo.GetInnerMemo()));
    QCOMPARE(memo.pane()->edit(), memo.GetInnerMemo());
    QWidget stranger;
    try {
      TMemoPane pane(&stranger);
      QFAIL("a pane on a plain widget was made");
    } catch (const Exception& error) {
      QCOMPARE(QString::fromStdString(error.Message()), QStringLiteral("TMemoPane: Owner <> tbi_memo/Edit"));
    }
    QCOMPARE(stranger.children().size(), 0);
  }

  void paneAndImageLeaveTheScrollBarsFree() {
    Fixture f({300, 200});
    f.memo->setScrollBars(TBI_Memo::ssVertical);
    f.Show();
    const int extent = tbackbase::ScrollBarExtent();
    QVERIFY(extent > 0);
    QCOMPARE(f.memo->pane()->geometry(), QRect(0, 0, 300 - extent, 200));
    f.Pane();
    QCOMPARE(f.memo->workImage().size(), QSize(300 - extent, 200));
    // The edit covers the control; its bar is where the pane ends, and shown.
    QCOMPARE(f.edit()->geometry(), QRect(0, 0, 300, 200));
    const QScrollBar* bar = f.edit()->verticalScrollBar();
    QVERIFY(bar->isVisible());
    QCOMPARE(bar->mapTo(f.memo, QPoint(0, 0)).x(), 300 - extent);
    QCOMPARE(bar->width(), extent);

    f.memo->setScrollBars(TBI_Memo::ssBoth);
    QCOMPARE(f.memo->pane()->size(), QSize(300 - extent, 200 - extent));
    f.memo->setScrollBars(TBI_Memo::ssNone);
    f.memo->resize(250, 120);
    f.Pane();
    QCOMPARE(f.memo->workImage().size(), QSize(250, 120));
  }

  void backgroundPlainTiledAndFaded() {
    Fixture f({40, 30});
    f.Show();
    // No bitmap: Color, whatever the fill style.
    f.memo->setColor(RGBColour(10, 20, 30));
    QCOMPARE(f.Pane().pixel(20, 15), qRgb(10, 20, 30));
    f.memo->setFillStyle(tbackbase::fmFaded);
    QCOMPARE(f.Pane().pixel(20, 15), qRgb(10, 20, 30));

    // A 3 x 2 bitmap: black, white, red / white, black, green.
    QImage bitmap(3, 2, QImage::Format_RGB32);
    const QRgb row0[] = {kBlack, kWhite, qRgb(255, 0, 0)};
    const QRgb row1[] = {kWhite, kBlack, qRgb(0, 255, 0)};
    for (int x = 0; x < 3; ++x) {
      bitmap.setPixel(x, 0, row0[x]);
      bitmap.setPixel(x, 1, row1[x]);
    }
    f.memo->setFillStyle(tbackbase::fmNormal);
    f.memo->setBitmap(bitmap);
    QCOMPARE(f.memo->fadedImage().width(), 0);  // marked for rebuilding
    QImage pane = f.Pane();
    for (int y = 0; y < 30; y += 7)
      for (int x = 0; x < 40; x += 5) QCOMPARE(pane.pixel(x, y), bitmap.pixel(x % 3, y % 2));

    f.memo->setFadeColor(RGBColour(1, 2, 3));
    f.memo->setFillStyle(tbackbase::fmFaded);
    QCOMPARE(f.memo->fadedImage().size(), bitmap.size());  // rebuilt at once
    pane = f.Pane();
    const QRgb faded0[] = {qRgb(10, 20, 30), qRgb(1, 2, 3), qRgb(255, 0, 0)};
    const QRgb faded1[] = {qRgb(1, 2, 3), qRgb(10, 20, 30), qRgb(0, 255, 0)};
    for (int y = 0; y < 30; y += 3)
      for (int x = 0; x < 40; x += 4) QCOMPARE(pane.pixel(x, y), (y % 2 ? faded1 : faded0)[x % 3]);
    // A new FadeColor is taken at once; a new bitmap on the next faded paint.
    f.memo->setFadeColor(RGBColour(7, 7, 7));
    QCOMPARE(f.memo->fadedImage().pixel(1, 0), qRgb(7, 7, 7));
    bitmap.setPixel(2, 0, kWhite);
    f.memo->setBitmap(bitmap);
    QCOMPARE(f.memo->fadedImage().width(), 0);
    QCOMPARE(f.Pane().pixel(2, 0), qRgb(7, 7, 7));
    QCOMPARE(f.memo->fadedImage().size(), bitmap.size());
  }

  void flatFrameUntilFocusedOrHovered() {
    Fixture f({60, 40});
    f.memo->setScrollBars(TBI_Memo::ssVertical);
    f.memo->setBorder(tbackbase::bseFlat);
    f.Show();
    const int w = 60 - tbackbase::ScrollBarExtent();
    const QRgb face = ColorToRGB(clBtnFace);
    const QRgb shadow = ColorToRGB(clBtnShadow);
    const QRgb highlight = ColorToRGB(clBtnHighlight);
    QVERIFY(shadow != highlight && face != shadow && face != highlight);
    // The pointer may have come to rest over the memo.
    QEvent away(QEvent::Leave);
    QCoreApplication::sendEvent(f.memo, &away);
    QVERIFY(!f.memo->mouseInside());
    QImage pane = f.Pane();
    // Two rings in the face colour, at the pane's edges (not the control's).
    for (const QPoint at : {QPoint(0, 0), QPoint(w - 1, 0), QPoint(w - 1, 39), QPoint(0, 39), QPoint(1, 1),
                            QPoint(w - 2, 38), QPoint(20, 0), QPoint(20, 38)})
      QCOMPARE(pane.pixel(at), face);
    QCOMPARE(pane.pixel(2, 2), kBlack);

    auto sunken = [&](const QImage& image) {
      QCOMPARE(image.pixel(0, 0), shadow);
      QCOMPARE(image.pixel(w - 2, 0), shadow);
      QCOMPARE(image.pixel(w - 1, 0), highlight);
      QCOMPARE(image.pixel(w - 1, 39), highlight);
      QCOMPARE(image.pixel(1, 39), highlight);
      QCOMPARE(image.pixel(0, 39), shadow);
      QCOMPARE(image.pixel(0, 20), shadow);
      QCOMPARE(image.pixel(1, 1), face);
      QCOMPARE(image.pixel(w - 2, 38), face);
      QCOMPARE(image.pixel(w / 2, 20), kBlack);
    };
    f.FocusMemo();
    sunken(f.Pane());
    f.other->setFocus();
    QTRY_VERIFY(f.other->hasFocus());
    QCOMPARE(f.Pane().pixel(0, 0), face);
    // Hovering alone sinks it too, and leaving flattens it again.
    QEnterEvent enter(QPointF(5, 5), QPointF(5, 5), QPointF(5, 5));
    QCoreApplication::sendEvent(f.memo, &enter);
    QVERIFY(f.memo->mouseInside());
    sunken(f.Pane());
    QEvent leave(QEvent::Leave);
    QCoreApplication::sendEvent(f.memo, &leave);
    QVERIFY(!f.memo->mouseInside());
    QCOMPARE(f.Pane().pixel(0, 0), face);

    // Single: the sunken 3-D frame; none: the ground up to the edge.
    f.memo->setBorder(tbackbase::bseSingle);
    pane = f.Pane();
    QCOMPARE(pane.pixel(0, 0), ColorToRGB(cl3DDkShadow));
    QCOMPARE(pane.pixel(w - 1, 39), highlight);
    QCOMPARE(pane.pixel(1, 1), shadow);
    f.memo->setBorder(tbackbase::bseNone);
    QCOMPARE(f.Pane().pixel(0, 0), kBlack);
  }

  void selectionRunsFromLineThreeToLineFive() {
    Fixture f;
    f.memo->setLines(kSixLines);
    f.Show();
    f.FocusMemo();
    // From character 4 of line 3 to character 6 of line 5 (a line break counts one).
    const int start = f.edit()->document()->findBlockByNumber(2).position() + 4;
    const int end = f.edit()->document()->findBlockByNumber(4).position() + 6;
    f.Select(start, end);
    const QImage pane = f.Pane();
    QCOMPARE(f.memo->selStart(), start);
    QCOMPARE(f.memo->selEnd(), end);
    QVERIFY(f.memo->selVisible());
    const int lineEnd = f.X(2, 10) - 1;
    QCOMPARE(Span(pane, f.BottomRow(0), kBlue), std::make_pair(-1, -1));
    QCOMPARE(Span(pane, f.BottomRow(1), kBlue), std::make_pair(-1, -1));
    QCOMPARE(Span(pane, f.BottomRow(2), kBlue), std::make_pair(f.X(2, 4), lineEnd));
    QCOMPARE(Span(pane, f.BottomRow(3), kBlue), std::make_pair(f.X(3, 0), f.X(3, 10) - 1));
    QCOMPARE(Span(pane, f.BottomRow(4), kBlue), std::make_pair(f.X(4, 0), f.X(4, 6) - 1));
    QCOMPARE(Span(pane, f.BottomRow(5), kBlue), std::make_pair(-1, -1));
    // The brush lies behind the letters, which keep their colour.
    const int middle = f.Top(3) + f.Height(3) / 2;
    QVERIFY(Span(pane, middle, kWhite).first >= f.X(3, 0));
    QVERIFY(Span(pane, middle, kBlue).first >= f.X(3, 0));
    // The brush fills the line's cells, which meet without a gap.
    QCOMPARE(f.BottomRow(2), f.Top(3));
    QCOMPARE(pane.pixel(f.X(3, 5), f.Top(3) + 1), kBlue);
    QCOMPARE(pane.pixel(f.X(3, 5), f.BottomRow(2)), kBlue);
    QCOMPARE(pane.pixel(f.X(2, 2), f.Top(2) + 1), kBlack);
    QCOMPARE(pane.pixel(f.X(4, 7), f.Top(4) + 1), kBlack);
  }

  void noSelectionWithoutFocusWhenHidden() {
    Fixture f;
    f.memo->setLines(kSixLines);
    f.Show();
    f.FocusMemo();
    f.Select(3, 25);
    QVERIFY(Span(f.Pane(), f.BottomRow(0), kBlue).first > 0);
    f.other->setFocus();
    QTRY_VERIFY(!f.edit()->hasFocus());
    QImage pane = f.Pane();
    QVERIFY(!f.memo->selVisible());
    QCOMPARE(CountNot(pane, QRect(0, 0, pane.width(), pane.height()), kBlue), pane.width() * pane.height());
    // Shown while HideSelection is off, focused or not.
    f.memo->setHideSelection(false);
    QVERIFY(!f.edit()->hideSelection());
    QCOMPARE(Span(f.Pane(), f.BottomRow(1), kBlue).first, f.X(1, 0));
    // An empty selection shows nothing.
    f.Select(5, 5);
    pane = f.Pane();
    QCOMPARE(CountNot(pane, QRect(0, 0, pane.width(), pane.height()), kBlue), pane.width() * pane.height());
  }

  void wrappedLinesFollowTheEditsPositions() {
    Fixture f({150, 200});
    f.memo->setLines({QStringLiteral("ONE TWO THREE FOUR FIVE SIX SEVEN EIGHT NINE TEN"), QStringLiteral("LAST")});
    f.memo->setHideSelection(false);
    f.Show();
    const QTextLayout* layout = f.edit()->document()->firstBlock().layout();
    QVERIFY(layout->lineCount() >= 3);
    // Within the third visual line, which begins with no line break before it.
    const QTextLine third = layout->lineAt(2);
    const int from = third.textStart() + 1;
    const int to = third.textStart() + 3;
    f.Select(from, to);
    QImage pane = f.Pane();
    const int x0 = f.memo->textMargin() + 2;
    QCOMPARE(Span(pane, f.BottomRow(0, 2), kBlue),
             std::make_pair(x0 + qRound(third.cursorToX(from)), x0 + qRound(third.cursorToX(to)) - 1));
    QCOMPARE(Span(pane, f.BottomRow(0, 1), kBlue).first, -1);
    // The block after the wrapped one starts at the edit's position too.
    const int last = f.edit()->document()->findBlockByNumber(1).position();
    f.Select(last + 1, last + 3);
    pane = f.Pane();
    QCOMPARE(Span(pane, f.BottomRow(1), kBlue), std::make_pair(f.X(1, 1), f.X(1, 3) - 1));
  }

  void longLinesAreCutAfter255Characters() {
    Fixture f({3000, 60}, 8);
    f.memo->setWordWrap(false);
    f.memo->setHideSelection(false);
    f.memo->setLines({QString(300, QLatin1Char('M')), QString(300, QLatin1Char('N'))});
    f.Show();
    f.Select(f.edit()->document()->lastBlock().position(), f.edit()->document()->lastBlock().position());
    QImage pane = f.Pane();
    const int middle = f.Height(0) / 2 + 1;
    const int shownEnd = f.X(0, 255);
    QVERIFY(f.X(0, 300) < pane.width());
    // Letters up to the 255th character, nothing after it.
    QVERIFY(Span(pane, middle, kWhite).second < shownEnd);
    QVERIFY(Span(pane, middle, kWhite).second > f.X(0, 254));
    // A selection boundary in the line: 255 more after the last one.
    f.Select(10, 20);
    pane = f.Pane();
    QVERIFY(Span(pane, middle, kWhite).second > f.X(0, 274));
    QVERIFY(Span(pane, middle, kWhite).second < f.X(0, 275));
    // The next line's characters are still the edit's own.
    const int second = f.edit()->document()->lastBlock().position();
    f.Select(second + 2, second + 4);
    pane = f.Pane();
    QCOMPARE(Span(pane, f.BottomRow(1), kBlue), std::make_pair(f.X(1, 2), f.X(1, 4) - 1));
  }

  void paintedTextLiesWhereTheEditPutsIt() {
    Fixture f({260, 120});
    f.memo->setLines({QStringLiteral("Fat jolly wax\tquiz"), QString(), QStringLiteral("Pack my box with jugs")});
    f.Show();
    const QImage painted = f.Pane();
    // The edit's own text, in the same colours, without the pane over it.
    QPalette palette = f.edit()->palette();
    palette.setColor(QPalette::Base, Qt::black);
    palette.setColor(QPalette::Text, Qt::white);
    f.edit()->setPalette(palette);
    f.memo->pane()->hide();
    const QImage own = f.edit()->grab(f.memo->pane()->geometry()).toImage().convertToFormat(QImage::Format_RGB32);
    QCOMPARE(own.size(), painted.size());
    // The edit's text area: beside it the edit shows its own margins.
    const QPoint origin = f.edit()->clientOrigin();
    QCOMPARE(origin, QPoint(f.memo->textMargin() + 2, 1));
    int letters = 0, differing = 0;
    for (int y = origin.y(); y < own.height(); ++y)
      for (int x = origin.x(); x < own.width(); ++x) {
        letters += own.pixel(x, y) == kWhite;
        differing += own.pixel(x, y) != painted.pixel(x, y);
      }
    QVERIFY(letters > 200);
    QCOMPARE(differing, 0);
  }

  void caretIsDrawnBlinksAndFollowsTheEdit() {
    Fixture f;
    f.memo->setLines(kSixLines);
    f.Show();
    QVERIFY(!f.memo->caretShown());
    f.memo->SetCaretShown(true);  // not focused: stays off
    QVERIFY(!f.memo->caretShown());
    f.FocusMemo();
    f.Pane();
    QVERIFY(f.memo->caretShown());
    QCOMPARE(f.memo->caretPos(), QPoint(0, 0));
    const QRect bar = f.memo->caretBar();
    QCOMPARE(bar, QRect(f.memo->textMargin() + 1, 1, 2, f.Height(0) - 1));
    QImage pane = f.Pane();
    // White over the black ground (the letters begin in its right column).
    QCOMPARE(CountNot(pane, QRect(bar.left(), bar.top(), 1, bar.height()), kWhite), 0);
    // Blinking toggles it without a fresh picture.
    const int paints = f.memo->paintCount();
    f.memo->CaretBlink();
    QVERIFY(!f.memo->caretShown());
    pane = f.Pane();
    QCOMPARE(f.memo->paintCount(), paints);
    QCOMPARE(pane.pixel(bar.left(), bar.top() + 2), f.memo->workImage().pixel(bar.left(), bar.top() + 2));
    f.memo->CaretBlink();
    QVERIFY(f.memo->caretShown());

    // A move to another line leaves no bar behind at the old place.
    QTest::keyClick(f.edit(), Qt::Key_Down);
    QTest::keyClick(f.edit(), Qt::Key_End);
    QCoreApplication::processEvents();
    pane = f.Pane();
    QVERIFY(f.memo->caretShown());
    QCOMPARE(f.memo->caretPos(), QPoint(qRound(f.Line(1).cursorToX(10)), f.Top(1)));
    const QRect moved = f.memo->caretBar();
    QCOMPARE(CountNot(pane, QRect(bar.left(), bar.top(), 1, bar.height()), kBlack), 0);
    QVERIFY(CountNot(pane, moved, kBlack) > moved.height());
    QTest::keyClick(f.edit(), Qt::Key_Up);
    QCOMPARE(f.memo->caretPos().y(), 0);
    pane = f.Pane();
    const QRect barBelow(moved.left(), moved.top(), 2, moved.height());
    // Line 2's bar is gone; only the letters of line 2 remain there.
    QCOMPARE(CountNot(pane, barBelow, kBlack), CountNot(f.memo->workImage(), barBelow, kBlack));

    // Off when the focus goes.
    f.other->setFocus();
    QTRY_VERIFY(!f.memo->caretShown());
  }

  void focusBindsTheSharedCaretTimer() {
    Fixture f;
    f.Show();
    f.FocusMemo();
    TBI_Timer* timer = CaretTimer();
    QCOMPARE(timer, CaretTimer());  // one for all
    QCOMPARE(timer->parent(), QCoreApplication::instance());
    QCOMPARE(timer->onTimerContext(), f.memo);
    QVERIFY(timer->enabled());
    QCOMPARE(timer->interval(), std::uint32_t(QGuiApplication::styleHints()->cursorFlashTime() / 2));
    QCOMPARE(timer->threadPriority(), TBI_Timer::tpIdle);
    // Its ticks blink this memo's caret.
    f.Pane();
    QVERIFY(f.memo->caretShown());
    QTRY_VERIFY_WITH_TIMEOUT(!f.memo->caretShown(), 3000);
    QTRY_VERIFY_WITH_TIMEOUT(f.memo->caretShown(), 3000);
    // The last memo to gain focus owns it; a memo that goes lets it go.
    {
      auto* second = new TBI_Memo(&f.window);
      second->setGeometry(0, 0, 50, 50);
      second->show();
      second->setFocus();
      QTRY_COMPARE(timer->onTimerContext(), second);
      delete second;
    }
    QVERIFY(!timer->hasOnTimer());
  }

  void notificationsFromTheInnerEdit() {
    Fixture f;
    f.Show();
    try {
      f.memo->WMCommand(tbackbase::enMaxText, f.edit());
      QFAIL("an unknown notification was taken");
    } catch (const Exception& error) {
      QCOMPARE(QString::fromStdString(error.Message()), QStringLiteral("BI_Memo1: NotifyCode = 1281?"));
    }
    // From any other child it is not the memo's business.
    f.memo->WMCommand(0x4242, f.memo->pane());

    QSignalSpy changes(f.memo, &tbackbase::OnChange);
    QSignalSpy keysDown(f.memo, &tbackbase::OnKeyDown);
    QSignalSpy keysPressed(f.memo, &tbackbase::OnKeyPress);
    QSignalSpy keysUp(f.memo, &tbackbase::OnKeyUp);
    f.FocusMemo();
    QTest::keyClick(f.edit(), Qt::Key_Q);
    QCOMPARE(changes.count(), 1);
    QCOMPARE(changes.at(0).at(0).value<tbackbase*>(), f.memo);
    QCOMPARE(keysDown.at(0).at(0).value<QObject*>(), f.edit());
    QCOMPARE(keysPressed.at(0).at(1).value<QChar>(), QLatin1Char('q'));
    QCOMPARE(keysUp.count(), 1);
    QVERIFY(f.memo->caretShown());  // on after every key

    // Releasing Home, End, Left or Right repaints; Up does not.
    f.Pane();
    int paints = f.memo->paintCount();
    QTest::keyClick(f.edit(), Qt::Key_Left);
    f.Pane();
    QCOMPARE(f.memo->paintCount(), paints + 1);
    paints = f.memo->paintCount();
    QTest::keyClick(f.edit(), Qt::Key_Up);
    f.Pane();
    QCOMPARE(f.memo->paintCount(), paints);
    // A changed selection repaints.
    QTest::keyClick(f.edit(), Qt::Key_Right, Qt::ShiftModifier);
    f.Pane();
    QVERIFY(f.memo->paintCount() > paints);
  }

  void scrollingPaintsFromTheNewFirstLine() {
    Fixture f({200, 60});
    f.memo->setScrollBars(TBI_Memo::ssVertical);
    f.memo->setLines(kSixLines);
    f.Show();
    const int paints = f.memo->paintCount();
    f.edit()->verticalScrollBar()->setValue(3);
    const QImage pane = f.Pane();
    QVERIFY(f.memo->paintCount() > paints);
    // The first row now shows line 4 ("D"), as the edit does.
    QCOMPARE(f.edit()->firstVisibleBlock().blockNumber(), 3);
    QImage expected(pane.size(), QImage::Format_RGB32);
    expected.fill(kBlack);
    {
      QPainter p(&expected);
      p.setFont(f.memo->font());
      p.setPen(Qt::white);
      p.drawText(QPointF(f.X(3, 0), 1 + f.Line(3).ascent()), kSixLines[3]);
    }
    QCOMPARE(pane.copy(0, 0, pane.width(), f.Height(3)), expected.copy(0, 0, pane.width(), f.Height(3)));
  }

  void clicksOnThePaneGoToTheEdit() {
    Fixture f;
    f.memo->setLines(kSixLines);
    f.Show();
    QSignalSpy clicks(f.memo, &tbackbase::OnClick);
    QSignalSpy downs(f.memo, &tbackbase::OnMouseDown);
    QSignalSpy ups(f.memo, &tbackbase::OnMouseUp);
    // Just right of the middle of character 3 of line 2: the caret goes after it.
    const QPoint third((f.X(1, 3) + f.X(1, 4)) / 2 + 1, f.Top(1) + f.Height(1) / 2);
    QTest::mouseClick(f.memo->pane(), Qt::LeftButton, {}, third);
    QTRY_VERIFY(f.edit()->hasFocus());
    QCOMPARE(f.edit()->textCursor().position(), f.edit()->document()->findBlockByNumber(1).position() + 4);
    QCOMPARE(clicks.count(), 1);
    QCOMPARE(clicks.at(0).at(0).value<tbackbase*>(), f.memo);
    QCOMPARE(downs.count(), 1);
    QCOMPARE(downs.at(0).at(0).value<QObject*>(), f.edit());
    QCOMPARE(downs.at(0).at(3).toInt(), third.x());
    QCOMPARE(ups.count(), 1);
    QVERIFY(!f.memo->leftDown());

    // A drag selects, and the selection is painted as it grows.
    const QPoint from(f.X(2, 2), f.Top(2) + 5);
    const QPoint to(f.X(2, 8), f.Top(2) + 5);
    QTest::mousePress(f.memo->pane(), Qt::LeftButton, {}, from);
    QVERIFY(f.memo->leftDown());
    QMouseEvent move(QEvent::MouseMove, QPointF(to), f.memo->pane()->mapToGlobal(QPointF(to)), Qt::NoButton,
                     Qt::LeftButton, {});
    QCoreApplication::sendEvent(f.memo->pane(), &move);
    QCOMPARE(Span(f.Pane(), f.BottomRow(2), kBlue), std::make_pair(f.X(2, 2), f.X(2, 8) - 1));
    QTest::mouseRelease(f.memo->pane(), Qt::LeftButton, {}, to);
    QVERIFY(!f.memo->leftDown());
    const int block = f.edit()->document()->findBlockByNumber(2).position();
    QCOMPARE(f.edit()->textCursor().selectionStart(), block + 2);
    QCOMPARE(f.edit()->textCursor().selectionEnd(), block + 8);
    // Other buttons do nothing.
    QTest::mouseClick(f.memo->pane(), Qt::RightButton, {}, third);
    QCOMPARE(clicks.count(), 2);
  }

  void textFollowsTheNameAndMaxLengthRefusesQuietly() {
    {
      TBI_Memo memo;
      memo.setObjectName(QStringLiteral("BI_Memo1"));
      QCOMPARE(memo.lines(), QStringList{QStringLiteral("BI_Memo1")});
      memo.setObjectName(QStringLiteral("Notes"));
      QCOMPARE(memo.lines(), QStringList{QStringLiteral("Notes")});
      memo.setLines({QStringLiteral("abc")});
      memo.setObjectName(QStringLiteral("Other"));
      QCOMPARE(memo.lines(), QStringList{QStringLiteral("abc")});
    }
    Fixture f;
    f.memo->setLines({QStringLiteral("abc")});

    f.memo->setMaxLength(5);
    f.Show();
    f.FocusMemo();
    f.edit()->moveCursor(QTextCursor::End);
    QTest::keyClicks(f.edit(), QStringLiteral("defg"));
    QCOMPARE(f.memo->lines(), QStringList{QStringLiteral("abcde")});
    // Pasting takes what fits into the room a selection leaves.
    f.Select(0, 1);
    QApplication::clipboard()->setText(QStringLiteral("XYZ"));
    f.edit()->paste();
    QCOMPARE(f.memo->lines(), QStringList{QStringLiteral("Xbcde")});
    QVERIFY(QApplication::activeModalWidget() == nullptr);
  }
};

QTEST_MAIN(BiEditsTest)
#include "bi_edits_test.moc"
