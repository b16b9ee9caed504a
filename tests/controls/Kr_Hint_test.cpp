// Balloon hints: sizing and placing, each kind painted over a known screen,
// the ellipse holding its text, the settings component, and the hint window
// taking Qt's tool tips over.
#include <QCursor>
#include <QHelpEvent>
#include <QMouseEvent>
#include <QSignalSpy>
#include <QToolTip>
#include <QtTest>

#include <cmath>
#include <memory>

#include "controls/Kr_Hint.h"
#include "controls/Kr_HintGeometry.h"
#include "controls/Kr_HintLogic.h"

using parvex::KrHint;
using parvex::KrHintLogic;
using namespace parvex::kr_hint;

namespace {

const QColor kScreen(100, 150, 30);
const QColor kFill(255, 0, 0);
const QColor kShadow(0, 0, 255);

KrHint::Settings Style(KrHint::KrKind kind, KrHint::KrShadow shadow = KrHint::shBottomRight) {
  KrHint::Settings s;
  s.kind = kind;
  s.shadow = shadow;
  s.color = kFill;
  s.colorShadow = kShadow;
  s.colorDown = QColor(128, 128, 128);
  return s;
}

// A balloon for a 60 x 16 text composed over a uniform "screen", no text drawn.
QImage Compose(const KrHint::Settings& s, const QString& text = {}) {
  QImage picture(BalloonSize({60, 16}, s.kind, s.shadow, s.shadowWidth),
                 QImage::Format_ARGB32_Premultiplied);
  picture.fill(kScreen);
  ComposeBalloon(picture, s, text, {60, 16});
  return picture;
}

QColor At(const QImage& image, int x, int y) { return image.pixelColor(x, y); }

}  // namespace

class KrHintTest : public QObject {
  Q_OBJECT

 private slots:
  void balloonSize_data() {
    QTest::addColumn<int>("kind");
    QTest::addColumn<int>("shadow");
    QTest::addColumn<QSize>("expected");
    QTest::newRow("window") << int(KrHint::KrWindow) << int(KrHint::shNone) << QSize(108, 24);
    QTest::newRow("window ignores shadow") << int(KrHint::KrWindow) << int(KrHint::shTopLeft) << QSize(108, 24);
    QTest::newRow("flat with shadow") << int(KrHint::KrFlat) << int(KrHint::shBottomRight) << QSize(111, 27);
    QTest::newRow("transparent with shadow") << int(KrHint::KrTransParent) << int(KrHint::shTopRight) << QSize(111, 27);
    QTest::newRow("ellipse") << int(KrHint::KrEllipse) << int(KrHint::shNone) << QSize(108 + 42, 24 + 9);
  }

  void balloonSize() {
    QFETCH(int, kind);
    QFETCH(int, shadow);
    QFETCH(QSize, expected);
    QCOMPARE(BalloonSize({100, 20}, KrHint::KrKind(kind), KrHint::KrShadow(shadow), 3), expected);
  }

  void placementBelowPointerAndOnScreen() {
    const QRect screen(0, 0, 800, 600);
    const QSize size(50, 30);
    QCOMPARE(PlaceBalloon({100, 100}, size, screen), QPoint(100, 118));
    QCOMPARE(PlaceBalloon({750, 100}, size, screen), QPoint(750, 118));  // just fits
    QCOMPARE(PlaceBalloon({780, 100}, size, screen), QPoint(750, 118));
    QCOMPARE(PlaceBalloon({799, 599}, size, screen), QPoint(750, 570));
    QCOMPARE(PlaceBalloon({-20, -40}, size, screen), QPoint(-20, -22));   // left and top unguarded
    QCOMPARE(PlaceBalloon({1590, 10}, size, QRect(800, 0, 800, 600)), QPoint(1550, 28));
  }

  void bodyShadowTextAndPictureRectangles() {
    const QRect f(0, 0, 100, 50);
    QCOMPARE(SplitBody(f, KrHint::shNone, 3).body, f);
    QCOMPARE(SplitBody(f, KrHint::shNone, 3).shadow, f);
    QCOMPARE(SplitBody(f, KrHint::shTopRight, 3).body, QRect(0, 3, 97, 47));
    QCOMPARE(SplitBody(f, KrHint::shTopRight, 3).shadow, QRect(3, 0, 97, 47));
    QCOMPARE(SplitBody(f, KrHint::shBottomLeft, 3).body, QRect(3, 0, 97, 47));
    QCOMPARE(SplitBody(f, KrHint::shBottomLeft, 3).shadow, QRect(0, 3, 97, 47));

    QCOMPARE(CentredTextRect(QRect(0, 0, 108, 24), {100, 20}), QRect(4, 2, 100, 20));
    QCOMPARE(CentredTextRect(QRect(3, 3, 108, 25), {100, 20}), QRect(7, 5, 100, 20));

    const QSize pic(20, 10);
    QCOMPARE(PicturePosition(f, pic, KrHint::paTopLeft), QPoint(1, 1));
    QCOMPARE(PicturePosition(f, pic, KrHint::paRight), QPoint(79, 20));
    QCOMPARE(PicturePosition(f, pic, KrHint::paCenter), QPoint(40, 20));
  }

  void textWrapsAtWordsAndWidensForOneLongWord() {
    QFont font;
    font.setPixelSize(14);
    const QSize line = MeasureText("word", font, 1000, KrHint::KrCenter);
    const QSize wrapped = MeasureText("word word word word word word", font, 80, KrHint::KrCenter);
    QVERIFY(wrapped.width() <= 80);
    QVERIFY(wrapped.height() >= 3 * line.height());
    const QSize wide = MeasureText("Antidisestablishmentarianism", font, 40, KrHint::KrLeft);
    QVERIFY(wide.width() > 40);
    QCOMPARE(wide.height(), line.height());
  }

  void ellipseHoldsTheWholeTextRectangle() {
    for (int w = 0; w <= 600; w += 7) {
      for (int h = 1; h <= 240; h += 5) {
        for (int s : {0, 3, 8}) {
          const QSize text(w, h);
          const QSize size = BalloonSize(text, KrHint::KrEllipse, KrHint::shTopLeft, s);
          const QRect body = SplitBody(QRect(QPoint(), size), KrHint::shTopLeft, s).body;
          const QRect t = CentredTextRect(body, text);
          // The fill ends one pixel inside the body, where the outline starts.
          const double a = body.width() / 2.0 - 1, b = body.height() / 2.0 - 1;
          const double cx = body.left() + body.width() / 2.0, cy = body.top() + body.height() / 2.0;
          for (double x : {double(t.left()), double(t.left() + t.width())})
            for (double y : {double(t.top()), double(t.top() + t.height())}) {
              const double e = std::pow((x - cx) / a, 2) + std::pow((y - cy) / b, 2);
              if (e > 1.0) QFAIL(qPrintable(QString("text %1x%2 shadow %3 pokes out").arg(w).arg(h).arg(s)));
            }
        }
      }
    }
    // And as painted: the text rectangle's corner pixels carry the fill.
    for (QSize text : {QSize(60, 16), QSize(300, 15), QSize(8, 120)}) {
      KrHint::Settings s = Style(KrHint::KrEllipse);
      QImage picture(BalloonSize(text, s.kind, s.shadow, s.shadowWidth), QImage::Format_ARGB32_Premultiplied);
      picture.fill(kScreen);
      ComposeBalloon(picture, s, {}, text);
      const QRect t = CentredTextRect(SplitBody(picture.rect(), s.shadow, 3).body, text);
      for (QPoint p : {t.topLeft(), t.topRight(), t.bottomLeft(), t.bottomRight()})
        QCOMPARE(At(picture, p.x(), p.y()), kFill);
    }
  }

  void eachKindPaintsItsShape() {
    // 60 x 16 text: the window is 71 x 23 with the body 68 x 20 at the top left.
    QImage flat = Compose(Style(KrHint::KrFlat));
    QCOMPARE(flat.size(), QSize(71, 23));
    QCOMPARE(At(flat, 0, 0), kFill);
    QCOMPARE(At(flat, 67, 19), kFill);
    QCOMPARE(At(flat, 70, 22), kShadow);
    QCOMPARE(At(flat, 70, 0), kScreen);      // beside the shadow: untouched
    QCOMPARE(At(flat, 0, 22), kScreen);

    QImage square = Compose(Style(KrHint::KrSquare));
    QCOMPARE(At(square, 0, 0), QColor(Qt::black));
    QCOMPARE(At(square, 67, 19), QColor(Qt::black));
    QCOMPARE(At(square, 1, 1), kFill);
    QCOMPARE(At(square, 70, 22), kShadow);
    QCOMPARE(At(square, 70, 0), kScreen);

    QImage round = Compose(Style(KrHint::KrRoundSquare));
    QCOMPARE(At(round, 0, 0), kScreen);      // rounded corner
    QCOMPARE(At(round, 34, 10), kFill);
    QCOMPARE(At(round, 69, 12), kShadow);

    QImage ellipse = Compose(Style(KrHint::KrEllipse));  // 71+25, 23+7
    QCOMPARE(ellipse.size(), QSize(96, 30));
    QCOMPARE(At(ellipse, 0, 0), kScreen);
    QCOMPARE(At(ellipse, 95, 29), kScreen);
    QCOMPARE(At(ellipse, 46, 13), kFill);
    QCOMPARE(At(ellipse, 94, 16), kShadow);

    for (bool up : {true, false}) {
      const QColor light(255, 255, 255), dark(128, 128, 128);
      QImage box = Compose(Style(up ? KrHint::Kr3dUp : KrHint::Kr3dDown));
      QCOMPARE(At(box, 0, 0), up ? light : dark);
      QCOMPARE(At(box, 0, 10), up ? light : dark);
      QCOMPARE(At(box, 67, 19), up ? dark : light);
      QCOMPARE(At(box, 67, 10), up ? dark : light);
      QCOMPARE(At(box, 30, 10), kFill);
      QCOMPARE(At(box, 70, 22), kShadow);
    }

    QImage clear = Compose(Style(KrHint::KrTransParent));
    QImage screen(clear.size(), QImage::Format_ARGB32_Premultiplied);
    screen.fill(kScreen);
    QCOMPARE(clear, screen);
    QImage written = Compose(Style(KrHint::KrTransParent), "Hi");
    QVERIFY(written != screen);
  }

  void windowKindIgnoresShapeSettings() {
    KrHint::Settings plain;
    KrHint::Settings odd = Style(KrHint::KrWindow, KrHint::shBottomRight);
    odd.font.setPixelSize(40);
    odd.bitmap = QImage(8, 8, QImage::Format_RGB32);
    odd.bitmap.fill(Qt::magenta);
    odd.bitmapAlign = KrHint::paCenter;
    QCOMPARE(Compose(odd, "Hint"), Compose(plain, "Hint"));
    const QImage shown = Compose(plain);
    QCOMPARE(At(shown, 30, 10).rgb(), QToolTip::palette().color(QPalette::ToolTipBase).rgb());
    QCOMPARE(At(shown, 63, 19).rgb(), QToolTip::palette().color(QPalette::Shadow).rgb());
  }

  void transparentShadowDarkensBy64() {
    for (auto side : {KrHint::shBottomRight, KrHint::shTopLeft}) {
      KrHint::Settings s = Style(KrHint::KrFlat, side);
      s.transparentShadow = true;
      const QImage picture = Compose(s);
      const QColor darker(36, 86, 30);  // 30 is below 64 and stays
      if (side == KrHint::shBottomRight) {
        QCOMPARE(At(picture, 70, 22), darker);
        QCOMPARE(At(picture, 3, 22), darker);
        QCOMPARE(At(picture, 2, 22), kScreen);
      } else {
        QCOMPARE(At(picture, 0, 0), darker);
        // The column and row right beside the body are shadow too.
        QCOMPARE(At(picture, 2, 10), darker);
        QCOMPARE(At(picture, 30, 2), darker);
        QCOMPARE(At(picture, 3, 3), kFill);
      }
    }
    // Without a screen copy the shadow becomes a quarter-dark veil.
    QImage clear(10, 10, QImage::Format_ARGB32_Premultiplied);
    clear.fill(Qt::transparent);
    DarkenShadow(clear, QRect(2, 2, 8, 8), QRect(0, 0, 8, 8));
    QCOMPARE(clear.pixel(9, 9), qRgba(0, 0, 0, 64));
    QCOMPARE(clear.pixel(5, 5), qRgba(0, 0, 0, 0));
  }

  void pictureAlignedOrStretched() {
    KrHint::Settings s = Style(KrHint::KrFlat);
    s.bitmap = QImage(10, 6, QImage::Format_RGB32);
    s.bitmap.fill(Qt::magenta);
    QCOMPARE(At(Compose(s), 1, 1), kFill);  // paNone draws nothing
    s.bitmapAlign = KrHint::paTopLeft;
    s.stretch = false;
    QImage placed = Compose(s);
    QCOMPARE(At(placed, 1, 1), QColor(Qt::magenta));
    QCOMPARE(At(placed, 0, 0), kFill);
    QCOMPARE(At(placed, 11, 1), kFill);
    s.stretch = true;
    QImage stretched = Compose(s);
    QCOMPARE(At(stretched, 0, 0), QColor(Qt::magenta));
    QCOMPARE(At(stretched, 67, 19), QColor(Qt::magenta));
    QCOMPARE(At(stretched, 70, 22), kShadow);
  }

  void settingsComponent() {
    const parvex::KrHintTimings before = parvex::ApplicationHintTimings();
    auto first = std::make_unique<KrHint>();
    KrHint second;
    QCOMPARE(KrHint::Current(), first.get());
    QCOMPARE(first->kind(), KrHint::KrWindow);
    QCOMPARE(first->color(), QColor(255, 255, 0));
    QCOMPARE(first->colorShadow(), QColor(128, 128, 128));
    QCOMPARE(first->shadowWidth(), 3);
    QCOMPARE(first->align(), KrHint::KrCenter);
    QVERIFY(first->stretch());
    QCOMPARE(first->pause(), 500);
    QCOMPARE(parvex::ApplicationHintTimings().hidePause, before.hidePause);  // defaults not copied

    QSignalSpy spy(first.get(), &KrHint::Changed);
    first->setKind(KrHint::KrEllipse);
    first->setKind(KrHint::KrEllipse);
    first->setPause(500);           // unchanged: the application keeps its own
    first->setHidePause(6000);
    QCOMPARE(spy.count(), 2);
    QCOMPARE(parvex::ApplicationHintTimings().hidePause, 6000);
    first.reset();
    QCOMPARE(KrHint::Current(), &second);
    parvex::ApplicationHintTimings() = before;
  }

  void balloonTakesOverToolTips() {
    QWidget host;
    host.setGeometry(100, 100, 200, 120);
    QWidget button(&host);
    button.setGeometry(20, 20, 60, 30);
    button.setToolTip("Split & Join");
    host.show();
    QVERIFY(QTest::qWaitForWindowExposed(&host));
    QCursor::setPos(host.mapToGlobal(QPoint(40, 30)));

    auto hint = std::make_unique<KrHint>();
    hint->setKind(KrHint::KrEllipse);
    hint->setColor(kFill);
    hint->setShadow(KrHint::shBottomRight);
    auto* logic = KrHintLogic::Instance();
    QVERIFY(logic);

    QHelpEvent request(QEvent::ToolTip, QPoint(20, 10), QCursor::pos());
    QApplication::sendEvent(&button, &request);
    auto* balloon = logic->Window();
    QVERIFY(balloon->isVisible());
    QVERIFY(!QToolTip::isVisible());
    QCOMPARE(balloon->Text(), QString("Split & Join"));
    QCOMPARE(balloon->pos(), QCursor::pos() + QPoint(0, 18));
    const QImage shown = balloon->Picture();
    QCOMPARE(shown.size(), balloon->size());
    QCOMPARE(At(shown, 4, shown.height() / 2 - 2), kFill);
    QCOMPARE(At(shown, 0, 0).alpha(), 0);  // no screen copy offscreen: see-through

    // The pointer moving off and back starts the hint again after the pause.
    hint->setPause(30);
    hint->setHidePause(150);
    QMouseEvent away(QEvent::MouseMove, QPointF(150, 100), host.mapToGlobal(QPointF(150, 100)),
                     Qt::NoButton, Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(host.windowHandle(), &away);
    QVERIFY(!balloon->isVisible());
    QMouseEvent over(QEvent::MouseMove, QPointF(40, 30), host.mapToGlobal(QPointF(40, 30)),
                     Qt::NoButton, Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(host.windowHandle(), &over);
    QCOMPARE(logic->HintControl(), &button);
    QTRY_VERIFY_WITH_TIMEOUT(balloon->isVisible(), 2000);
    QTRY_VERIFY_WITH_TIMEOUT(!balloon->isVisible(), 2000);  // hide pause

    hint.reset();
    QVERIFY(!KrHintLogic::Instance());
    QApplication::sendEvent(&button, &request);
    QVERIFY(QToolTip::isVisible());  // Qt's own tip is back
    QToolTip::hideText();
  }
};

QTEST_MAIN(KrHintTest)
#include "Kr_Hint_test.moc"
