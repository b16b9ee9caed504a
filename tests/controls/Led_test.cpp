// TBSLed: change events and their order, the ring-width rule of the border
// styles, and the pixels of lit and dark lamps.
#include <QSignalSpy>
#include <QtTest>

#include "controls/Led.h"

using parvex::TBSLed;

namespace {

QColor At(const QImage& image, int x, int y) { return image.pixelColor(x, y); }

// Antialiased edges: mostly covered and close to the colour.
bool Near(const QColor& a, const QColor& b, int tolerance = 40) {
  return a.alpha() > 150 && std::abs(a.red() - b.red()) <= tolerance &&
         std::abs(a.green() - b.green()) <= tolerance && std::abs(a.blue() - b.blue()) <= tolerance;
}

}  // namespace

class LedTest : public QObject {
  Q_OBJECT

 private slots:
  void changeEventsOnlyOnChangeAfterStoring() {
    TBSLed led;
    QSignalSpy spy(&led, &TBSLed::OnChange);
    bool seenLit = false;
    connect(&led, &TBSLed::OnChange, this, [&](TBSLed* sender) { seenLit = sender->lightOn(); });

    led.setLightOn(false);
    led.setColor(QColor(255, 0, 0));
    led.setBackColor(Qt::white);
    led.setBorderWidth(0);
    led.setBorderStyle(TBSLed::bsCtl3D);
    led.setCtl3D(true);
    QCOMPARE(spy.count(), 0);

    led.setLightOn(true);
    QCOMPARE(spy.count(), 1);
    QCOMPARE(spy.at(0).at(0).value<TBSLed*>(), &led);
    QVERIFY(seenLit);  // the handler already reads the new value
    led.setLightOn(true);
    QCOMPARE(spy.count(), 1);

    led.setColor(Qt::yellow);
    led.setBackColor(QColor(128, 64, 0));
    led.setBorderWidth(3);
    led.setBorderWidth(3);
    QCOMPARE(spy.count(), 4);
  }

  void negativeWidthCountsAsNone() {
    TBSLed led;
    QSignalSpy spy(&led, &TBSLed::OnChange);
    led.setBorderWidth(-4);
    QCOMPARE(led.borderWidth(), 0);
    QCOMPARE(spy.count(), 0);
  }

  void borderStyleAdjustsWidth_data() {
    QTest::addColumn<int>("from");
    QTest::addColumn<int>("width");
    QTest::addColumn<int>("to");
    QTest::addColumn<int>("expected");
    QTest::newRow("flat 0 -> status") << int(TBSLed::bsFlat) << 0 << int(TBSLed::bsStatusControl) << 2;
    QTest::newRow("status 2 -> flat") << int(TBSLed::bsStatusControl) << 2 << int(TBSLed::bsFlat) << 0;
    QTest::newRow("status 2 -> 3d") << int(TBSLed::bsStatusControl) << 2 << int(TBSLed::bsCtl3D) << 0;
    QTest::newRow("flat 2 -> status") << int(TBSLed::bsFlat) << 2 << int(TBSLed::bsStatusControl) << 0;
    QTest::newRow("3d 2 -> flat") << int(TBSLed::bsCtl3D) << 2 << int(TBSLed::bsFlat) << 0;
    QTest::newRow("3d 3 -> status") << int(TBSLed::bsCtl3D) << 3 << int(TBSLed::bsStatusControl) << 3;
    QTest::newRow("3d 1 -> flat") << int(TBSLed::bsCtl3D) << 1 << int(TBSLed::bsFlat) << 1;
  }

  void borderStyleAdjustsWidth() {
    QFETCH(int, from);
    QFETCH(int, width);
    QFETCH(int, to);
    QFETCH(int, expected);
    TBSLed led;
    led.setBorderStyle(TBSLed::TLedBorderStyle(from));
    led.setBorderWidth(width);
    QCOMPARE(led.borderWidth(), width);
    QSignalSpy spy(&led, &TBSLed::OnChange);
    led.setBorderStyle(TBSLed::TLedBorderStyle(to));
    QCOMPARE(led.borderWidth(), expected);
    QCOMPARE(spy.count(), 1);  // the width follows silently
  }

  void ctl3DSwitchesStyleWithoutTouchingWidth() {
    TBSLed led;
    led.setBorderStyle(TBSLed::bsStatusControl);
    QCOMPARE(led.borderWidth(), 2);
    QSignalSpy spy(&led, &TBSLed::OnChange);
    QVERIFY(!led.ctl3D());
    led.setCtl3D(false);  // already reads false
    QCOMPARE(led.borderStyle(), TBSLed::bsStatusControl);
    QCOMPARE(spy.count(), 0);
    led.setCtl3D(true);
    QCOMPARE(led.borderStyle(), TBSLed::bsCtl3D);
    QCOMPARE(led.borderWidth(), 2);
    led.setCtl3D(false);
    QCOMPARE(led.borderStyle(), TBSLed::bsFlat);
    QCOMPARE(led.borderWidth(), 2);
    QCOMPARE(spy.count(), 2);
  }

  void sunkenLampPixels() {
    TBSLed led;
    led.setColor(Qt::yellow);
    led.setBackColor(QColor(128, 64, 0));
    const QColor shadow(0, 0, 200);
    const QColor light(0, 200, 0);
    QPalette palette = led.palette();
    palette.setColor(QPalette::Dark, shadow);
    palette.setColor(QPalette::Light, light);
    led.setPalette(palette);

    QImage dark = led.Render();
    QCOMPARE(dark.size(), QSize(15, 15));
    QCOMPARE(At(dark, 7, 7), QColor(128, 64, 0));
    led.setLightOn(true);
    const QImage lit = led.Render();
    QCOMPARE(At(lit, 7, 7), QColor(Qt::yellow));
    QCOMPARE(At(lit, 3, 7), QColor(Qt::yellow));   // lamp reaches 2..12
    QCOMPARE(At(lit, 0, 0).alpha(), 0);             // corners are the parent's
    QCOMPARE(At(lit, 14, 14).alpha(), 0);
    QCOMPARE(At(lit, 1, 7).alpha(), 0);             // gap between ring and lamp
    QVERIFY(Near(At(lit, 7, 0), shadow));           // upper-left half sunken
    QVERIFY(Near(At(lit, 0, 7), shadow));
    QVERIFY(Near(At(lit, 7, 14), light));           // lower-right half lit
    QVERIFY(Near(At(lit, 14, 7), light));
  }

  void flatRingsAndOblongLamps() {
    TBSLed led;
    led.resize(30, 15);
    led.setCtl3D(false);
    led.setLightOn(true);
    QImage image = led.Render();
    QVERIFY(Near(At(image, 0, 7), Qt::black));      // outline touches all four sides
    QVERIFY(Near(At(image, 29, 7), Qt::black));
    QVERIFY(Near(At(image, 15, 0), Qt::black));
    QCOMPARE(At(image, 4, 7), QColor(Qt::red));     // the lamp stretches with the control
    QCOMPARE(At(image, 25, 7), QColor(Qt::red));
    QCOMPARE(At(image, 1, 1).alpha(), 0);

    led.resize(15, 15);
    led.setBorderStyle(TBSLed::bsStatusControl);    // two-pixel black ring
    image = led.Render();
    QVERIFY(Near(At(image, 7, 0), Qt::black));
    QVERIFY(Near(At(image, 7, 1), Qt::black));
    QCOMPARE(At(image, 7, 7), QColor(Qt::red));

    led.setBorderWidth(20);  // nothing left for the lamp: the ring alone, no crash
    image = led.Render();
    QCOMPARE(image.size(), QSize(15, 15));
  }

  void paintsOverItsParent() {
    QWidget parent;
    parent.resize(40, 40);
    parent.setAutoFillBackground(true);
    QPalette palette;
    palette.setColor(QPalette::Window, Qt::green);
    parent.setPalette(palette);
    TBSLed led(&parent);
    led.move(10, 10);
    led.setLightOn(true);
    const QImage shot = parent.grab().toImage();
    QCOMPARE(At(shot, 10, 10), QColor(Qt::green));  // corner shows the parent
    QCOMPARE(At(shot, 17, 17), QColor(Qt::red));
  }

  void clickNeedsReleaseInside() {
    TBSLed led;
    QSignalSpy clicks(&led, &TBSLed::OnClick);
    QTest::mouseClick(&led, Qt::LeftButton, {}, QPoint(7, 7));
    QCOMPARE(clicks.count(), 1);
    QTest::mousePress(&led, Qt::LeftButton, {}, QPoint(7, 7));
    QTest::mouseRelease(&led, Qt::LeftButton, {}, QPoint(40, 40));
    QCOMPARE(clicks.count(), 1);
  }
};

QTEST_MAIN(LedTest)
#include "Led_test.moc"
