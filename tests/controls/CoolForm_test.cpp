// The shaped window image: the "Mask2" payload (round trips, truncation at
// every length, lying counts and headers), the committed outline against the
// committed picture, and what the control does to its parent window (size,
// frame, position, outline, dragging).
#include <QFile>
#include <QMouseEvent>
#include <QSignalSpy>
#include <QTest>

#include "controls/CoolForm.h"
#include "controls/CoolFormMask2.h"
#include "controls/NoshapeBmp.h"
#include "base/Exception.h"

using parvex::TCoolForm;
using parvex::TRegionType;
namespace mask2 = parvex::mask2;

namespace {

QByteArray Resource(const QString& name) {
  QFile file(name);
  if (!file.open(QIODevice::ReadOnly)) qFatal("missing resource %s", qPrintable(name));
  return file.readAll();
}

quint32 U32(const QByteArray& b, int at) {
  return quint32(quint8(b[at])) | quint32(quint8(b[at + 1])) << 8 | quint32(quint8(b[at + 2])) << 16 |
         quint32(quint8(b[at + 3])) << 24;
}

void Put32(QByteArray& b, int at, quint32 v) {
  for (int i = 0; i < 4; ++i) b[at + i] = char(v >> (8 * i));
}

QRegion Sample() {
  return QRegion(10, 5, 30, 4) + QRegion(12, 9, 8, 6) + QRegion(25, 9, 10, 6) + QRegion(0, 20, 3, 1);
}

QImage Picture(QSize size, QColor colour) {
  QImage image(size, QImage::Format_RGB32);
  image.fill(colour);
  return image;
}

void Mouse(QWidget* target, QEvent::Type type, Qt::MouseButton button, QPoint at) {
  const Qt::MouseButtons held = type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::MouseButtons(button);
  QMouseEvent event(type, at, target->mapToGlobal(at), type == QEvent::MouseMove ? Qt::NoButton : button, held,
                    Qt::NoModifier);
  QApplication::sendEvent(target, &event);
}

}  // namespace

class CoolFormTest : public QObject {
  Q_OBJECT

 private slots:
  void payloadRoundTrips() {
    const QByteArray payload = mask2::Encode(Sample());
    const quint32 rects = quint32(Sample().rectCount());
    QCOMPARE(U32(payload, 0), 32 + 16 * rects);
    QCOMPARE(payload.size(), int(4 + 32 + 16 * rects));
    QCOMPARE(U32(payload, 4), 32u);
    QCOMPARE(U32(payload, 8), 1u);
    QCOMPARE(U32(payload, 12), rects);
    QCOMPARE(U32(payload, 16), 16 * rects);
    QCOMPARE(U32(payload, 20), 0u);   // bounding box, right and bottom exclusive
    QCOMPARE(U32(payload, 24), 5u);
    QCOMPARE(U32(payload, 28), 40u);
    QCOMPARE(U32(payload, 32), 21u);
    const auto decoded = mask2::Decode(payload);
    QVERIFY(decoded.region.has_value());
    QCOMPARE(*decoded.region, Sample());
    QCOMPARE(mask2::Encode(decoded.region), payload);

    QCOMPARE(mask2::Encode(std::nullopt), QByteArray(4, '\0'));
    QVERIFY(!mask2::Decode(QByteArray(4, '\0')).region);
    // Bytes after the announced ones are not the outline's business.
    QCOMPARE(*mask2::Decode(payload + QByteArray("trailing")).region, Sample());
  }

  void truncatedPayloadsAreRejected() {
    const QByteArray payload = mask2::Encode(Sample());
    for (int n = 0; n < payload.size(); ++n)
      QVERIFY_THROWS_EXCEPTION(parvex::Exception, mask2::Decode(payload.left(n)));
    QByteArray lying = payload;
    Put32(lying, 0, 0xFFFFFFFF);
    QVERIFY_THROWS_EXCEPTION(parvex::Exception, mask2::Decode(lying));
    Put32(lying, 0, quint32(payload.size() - 3));
    QVERIFY_THROWS_EXCEPTION(parvex::Exception, mask2::Decode(lying));
  }

  void regionDataThatMakesNoRegionIsDropped() {
    const QByteArray payload = mask2::Encode(Sample());
    QByteArray bad = payload;
    Put32(bad, 4, 40);  // header size
    QVERIFY(!mask2::Decode(bad).region);
    bad = payload;
    Put32(bad, 8, 2);  // type
    QVERIFY(!mask2::Decode(bad).region);
    bad = payload;
    Put32(bad, 12, quint32(Sample().rectCount() + 1));  // one rectangle more than the bytes hold
    QVERIFY(!mask2::Decode(bad).region);
    Put32(bad, 12, 0x10000000);  // 16 R overflows 32 bits
    QVERIFY(!mask2::Decode(bad).region);
    QByteArray tiny(8, '\0');
    Put32(tiny, 0, 4);  // region data shorter than its header
    QVERIFY(!mask2::Decode(tiny).region);
  }

  void corruptedPayloadsFailCleanly() {
    // Seeded corruption: every payload decodes to some outline, to none, or
    // throws; nothing reads past the bytes given.
    const QByteArray good = mask2::Encode(Sample());
    quint32 seed = 777;
    const auto next = [&seed] { return seed = seed * 1103515245u + 12345u, seed >> 8; };
    for (int round = 0; round < 5000; ++round) {
      QByteArray bytes = good;
      const int flips = 1 + int(next() % 4);
      for (int i = 0; i < flips; ++i) bytes[int(next() % quint32(bytes.size()))] = char(next());
      if (next() % 4 == 0) bytes.truncate(int(next() % quint32(bytes.size())));
      try {
        mask2::Decode(bytes);
      } catch (const parvex::Exception&) {
      }
    }
  }

  void rectanglesAreUnitedInAnyOrder() {
    // Overlapping, unordered, empty and inverted rectangles, as a foreign
    // writer might store them.
    QByteArray payload(4 + 32 + 4 * 16, '\0');
    Put32(payload, 0, 32 + 4 * 16);
    Put32(payload, 4, 32);
    Put32(payload, 8, 1);
    Put32(payload, 12, 4);
    const int rects[4][4] = {{5, 5, 15, 10}, {0, 0, 10, 10}, {3, 3, 3, 8}, {9, 9, 2, 2}};
    for (int i = 0; i < 4; ++i)
      for (int k = 0; k < 4; ++k) Put32(payload, 36 + 16 * i + 4 * k, quint32(rects[i][k]));
    QCOMPARE(*mask2::Decode(payload).region, QRegion(0, 0, 10, 10) + QRegion(5, 5, 10, 5));
  }

  void storedOutlineMatchesThePicture() {
    const QByteArray payload = Resource(":/mainwindow/CoolForm1.Mask2");
    const QImage picture = parvex::bmp::Decode(Resource(":/mainwindow/CoolForm1.Picture.bmp"));
    QCOMPARE(picture.size(), QSize(440, 270));
    QVERIFY(picture.colorCount() <= 256);

    const quint32 n = U32(payload, 0);
    const quint32 r = U32(payload, 12);
    QCOMPARE(n, 32 + 16 * r);
    QCOMPARE(payload.size(), int(4 + n));
    QCOMPARE(U32(payload, 16), 16 * r);
    const QRegion region = *mask2::Decode(payload).region;
    QCOMPARE(quint32(region.rectCount()), r);

    // Every key-green pixel and every fringe grey beside one lies outside;
    // everything else lies inside.
    QRect shape;
    for (int y = 0; y < picture.height(); ++y)
      for (int x = 0; x < picture.width(); ++x) {
        const QRgb c = picture.pixel(x, y) & 0xFFFFFF;
        const auto green = [&](int px, int py) {
          return picture.rect().contains(px, py) && (picture.pixel(px, py) & 0xFFFFFF) == 0x00FF00;
        };
        const bool fringe = mask2::IsFringeGrey(c) &&
                            (green(x - 1, y) || green(x + 1, y) || green(x, y - 1) || green(x, y + 1));
        const bool outside = c == 0x00FF00 || fringe;
        if (region.contains(QPoint(x, y)) == outside) QFAIL(qPrintable(QString("pixel %1,%2").arg(x).arg(y)));
        if (!outside) shape |= QRect(x, y, 1, 1);
        // The fringe runs all along the edge: no inside pixel touches the green.
        if (!outside && (green(x - 1, y) || green(x + 1, y) || green(x, y - 1) || green(x, y + 1)))
          QFAIL(qPrintable(QString("no fringe at %1,%2").arg(x).arg(y)));
      }
    QCOMPARE(region.boundingRect(), shape);
    QCOMPARE(int(U32(payload, 20)), shape.left());
    QCOMPARE(int(U32(payload, 24)), shape.top());
    QCOMPARE(int(U32(payload, 28)), shape.left() + shape.width());
    QCOMPARE(int(U32(payload, 32)), shape.top() + shape.height());
    QCOMPARE(mask2::FromKeyedPicture(picture), region);

    // The hot-spots and lamps that the main window places must not be cut.
    for (const QRect& place : {QRect(40, 144, 55, 69), QRect(248, 208, 32, 32), QRect(160, 208, 32, 33),
                               QRect(280, 112, 34, 33), QRect(240, 112, 33, 33), QRect(104, 120, 15, 15),
                               QRect(133, 113, 15, 15), QRect(161, 109, 15, 15), QRect(191, 106, 15, 15),
                               QRect(219, 104, 15, 15)})
      QCOMPARE(region.intersected(place), QRegion(place));
  }

  void formParentIsSizedFramedAndCut() {
    QWidget window;
    auto* image = new TCoolForm(&window);
    QVERIFY(window.windowFlags() & Qt::FramelessWindowHint);
    image->loadStored(":/mainwindow/CoolForm1");
    QCOMPARE(window.size(), QSize(440, 270));
    QCOMPARE(image->geometry(), QRect(0, 0, 440, 270));
    QCOMPARE(window.mask(), *image->maskHolder()->region());
    QCOMPARE(image->writeMask2(), Resource(":/mainwindow/CoolForm1.Mask2"));
    QCOMPARE(image->maskHolder()->owner(), image);

    // Moves and resizes of a hidden widget wait until it is shown.
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    image->setTop(7);
    image->setLeft(-3);
    image->move(5, 9);
    QCOMPARE(image->pos(), QPoint(0, 0));
    QCOMPARE(image->property("top").toInt(), 0);
    window.resize(300, 200);  // the image fills its parent
    QCOMPARE(image->size(), QSize(300, 200));
  }

  void newPictureDropsTheHeldOutline() {
    QWidget window;
    auto* image = new TCoolForm(&window);
    image->loadStored(":/mainwindow/CoolForm1");
    const QRegion applied = window.mask();
    image->setPicture(Picture(QSize(200, 100), Qt::red));
    QVERIFY(!image->maskHolder()->region());
    QCOMPARE(window.size(), QSize(200, 100));
    QCOMPARE(window.mask(), applied);  // the window keeps its outline
    QCOMPARE(image->writeMask2(), QByteArray(4, '\0'));
  }

  void zeroCountAndMalformedPayloads() {
    QWidget window;
    auto* image = new TCoolForm(&window);
    image->readMask2(QByteArray(4, '\0'));
    QVERIFY(!image->maskHolder()->region());
    QVERIFY(window.mask().isEmpty());

    image->readMask2(mask2::Encode(Sample()));
    QByteArray lying = mask2::Encode(QRegion(0, 0, 5, 5));
    Put32(lying, 0, 1000);
    QVERIFY_THROWS_EXCEPTION(parvex::Exception, image->readMask2(lying));
    QCOMPARE(*image->maskHolder()->region(), Sample());  // untouched
    QCOMPARE(window.mask(), Sample());
  }

  void nonFormParentKeepsItsFrame() {
    QWidget window;
    auto* panel = new QWidget(&window);
    const Qt::WindowFlags before = panel->windowFlags();
    auto* image = new TCoolForm(panel);
    QCOMPARE(panel->windowFlags(), before);
    QVERIFY(!(window.windowFlags() & Qt::FramelessWindowHint));
    image->setPicture(Picture(QSize(64, 48), Qt::blue));
    QCOMPARE(panel->size(), QSize(64, 48));

    // Moved to a window, it takes that window's frame away.
    QWidget other;
    image->setParent(&other);
    QVERIFY(other.windowFlags() & Qt::FramelessWindowHint);
  }

  void maskHolderAssignment() {
    TCoolForm image;
    TRegionType* first = image.maskHolder();
    image.setMaskHolder(nullptr);
    QCOMPARE(image.maskHolder(), first);
    auto* second = new TRegionType;
    image.setMaskHolder(second);
    QCOMPARE(image.maskHolder(), second);
    QCOMPARE(second->owner(), &image);
    QCOMPARE(second->parent(), &image);
  }

  void anyButtonDragsTheWindow() {
    for (Qt::MouseButton button : {Qt::LeftButton, Qt::RightButton, Qt::MiddleButton}) {
      QWidget window;
      auto* image = new TCoolForm(&window);
      image->setPicture(Picture(QSize(100, 80), Qt::darkGreen));
      window.move(200, 150);
      QSignalSpy downs(image, &TCoolForm::OnMouseDown);
      Mouse(image, QEvent::MouseButtonPress, button, QPoint(10, 10));
      QVERIFY(image->isDragging());
      QCOMPARE(downs.count(), 1);
      Mouse(image, QEvent::MouseMove, button, QPoint(30, 15));
      QCOMPARE(window.pos(), QPoint(220, 155));
      // The window followed, so the grabbed point is under the pointer again.
      Mouse(image, QEvent::MouseMove, button, QPoint(15, 10));
      QCOMPARE(window.pos(), QPoint(225, 155));
      Mouse(image, QEvent::MouseButtonRelease, button, QPoint(15, 10));
      QVERIFY(!image->isDragging());
      Mouse(image, QEvent::MouseMove, Qt::NoButton, QPoint(50, 50));
      QCOMPARE(window.pos(), QPoint(225, 155));
    }
  }

  void notDraggableOnlyReportsThePress() {
    QWidget window;
    auto* image = new TCoolForm(&window);
    image->setPicture(Picture(QSize(100, 80), Qt::darkGreen));
    image->setDraggable(false);
    window.move(200, 150);
    QSignalSpy downs(image, &TCoolForm::OnMouseDown);
    Mouse(image, QEvent::MouseButtonPress, Qt::LeftButton, QPoint(10, 10));
    Mouse(image, QEvent::MouseMove, Qt::LeftButton, QPoint(40, 40));
    QCOMPARE(window.pos(), QPoint(200, 150));
    QCOMPARE(downs.count(), 1);
  }
};

QTEST_MAIN(CoolFormTest)
#include "CoolForm_test.moc"
