// The hot-spot button: outline generation pixel by pixel, the mouse rules
// through real window dispatch, the hint held back outside the shape,
// composition over the background, and the stored renderings (bitmap files,
// malformed ones included, and the committed main-window artwork).
#include <QApplication>
#include <QFile>
#include <QHelpEvent>
#include <QPainter>
#include <QSignalSpy>
#include <QTest>
#include <QToolTip>

#include "controls/Noshape.h"
#include "controls/NoshapeBmp.h"
#include "controls/NoshapeOutline.h"
#include "base/Exception.h"

using parvex::TNoShape;
namespace noshape = parvex::noshape;

namespace {

constexpr QRgb kKey = 0xFFFF00FF, kRed = 0xFFFF0000, kHigh = 0xFFFFFFFF, kShadow = 0xFF808080, kBlack = 0xFF000000;

// Rows of '.' key, 'R' red, 'H' highlight, 'S' shadow, 'B' black.
QImage Picture(const QStringList& rows) {
  QImage image(int(rows[0].size()), int(rows.size()), QImage::Format_RGB32);
  for (int y = 0; y < image.height(); ++y)
    for (int x = 0; x < image.width(); ++x) {
      const char c = rows[y][x].toLatin1();
      image.setPixel(x, y, c == 'R' ? kRed : c == 'H' ? kHigh : c == 'S' ? kShadow : c == 'B' ? kBlack : kKey);
    }
  return image;
}

QStringList Rows(const QImage& image) {
  QStringList rows;
  for (int y = 0; y < image.height(); ++y) {
    QString row;
    for (int x = 0; x < image.width(); ++x) {
      const QRgb c = image.pixel(x, y) | kBlack;
      row += c == kRed ? 'R' : c == kHigh ? 'H' : c == kShadow ? 'S' : c == kBlack ? 'B' : c == kKey ? '.' : '?';
    }
    rows << row;
  }
  return rows;
}

QPalette Classic() {
  QPalette palette;
  palette.setColor(QPalette::Light, QColor(kHigh));
  palette.setColor(QPalette::Dark, QColor(kShadow));
  return palette;
}

// A 9 x 9 button whose picture is a 3 x 3 red square in the middle; with its
// ring the shape covers 1..7 in both directions.
struct Fixture {
  QWidget window;
  TNoShape* button;
  Fixture() : button(new TNoShape(&window)) {
    window.resize(60, 60);
    button->setPalette(Classic());
    button->setBitmap(Picture({".........", ".........", ".........", "...RRR...", "...RRR...", "...RRR...",
                               ".........", ".........", "........."}));
    button->move(10, 10);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
  }
  QWindow* handle() { return window.windowHandle(); }
  QPoint at(int x, int y) const { return QPoint(10 + x, 10 + y); }
};

}  // namespace

class NoShapeTest : public QObject {
  Q_OBJECT

 private slots:
  void outlineOfOnePixel() {
    const QImage source = Picture({".......", ".......", ".......", "...R...", ".......", ".......", "......."});
    QCOMPARE(Rows(noshape::GenerateOutline(source, noshape::okReleased, kHigh, kShadow)),
             QStringList({".......", ".BBBBB.", ".BHHSB.", ".BHRSB.", ".BSSSB.", ".BBBBB.", "......."}));
    // Pressed: the bevel lit the other way, the black ring only above and left.
    QCOMPARE(Rows(noshape::GenerateOutline(source, noshape::okPressed, kHigh, kShadow)),
             QStringList({".......", ".BBBB..", ".BSSH..", ".BSRH..", ".BHHH..", ".......", "......."}));
  }

  void sideBWinsWhereOutlinesMeet() {
    // The gap at (3, 3) lies right of one pixel (side A) and left of the other
    // (side B), and so does (3, 2) on their diagonals: both get B's highlight.
    const QImage source = Picture({".........", ".........", ".........", "..R.R....", ".........",
                                   ".........", "........."});
    const QStringList rows = Rows(noshape::GenerateOutline(source, noshape::okReleased, kHigh, kShadow));
    QCOMPARE(rows, QStringList({".........", "BBBBBBB..", "BHHHHSB..", "BHRHRSB..", "BSSSSSB..", "BBBBBBB..",
                                "........."}));
  }

  void outlineCutAtThePictureEdge() {
    // A shape pixel in the top-right corner: what falls outside is dropped,
    // and the ring may cover the key pixel the key was read from.
    const QImage source = Picture({"..R", "...", "..."});
    QCOMPARE(Rows(noshape::GenerateOutline(source, noshape::okReleased, kHigh, kShadow)),
             QStringList({"BHR", "BSS", "BBB"}));
  }

  void keyColourIsBottomLeftOrWhiteForOneBit() {
    QImage rgb = Picture({"R.", ".R"});
    rgb.setPixel(0, 1, kRed);
    QCOMPARE(noshape::KeyColour(rgb), kRed);
    QImage mono(4, 4, QImage::Format_Mono);
    mono.setColorTable({kBlack, kRed});
    mono.fill(0);
    QCOMPARE(noshape::KeyColour(mono), kHigh);
  }

  void controlGeneratesBothRenderingsAndTheMask() {
    Fixture f;
    const QImage bitmap = f.button->bitmap();
    QCOMPARE(f.button->releasedImage(), noshape::GenerateOutline(bitmap, noshape::okReleased, kHigh, kShadow));
    QCOMPARE(f.button->pressedImage(), noshape::GenerateOutline(bitmap, noshape::okPressed, kHigh, kShadow));
    QVERIFY(f.button->hitTest(1, 1) && f.button->hitTest(7, 7) && f.button->hitTest(4, 4));
    QVERIFY(!f.button->hitTest(0, 0) && !f.button->hitTest(8, 4) && !f.button->hitTest(-1, 4));
    QVERIFY(!f.button->hitTest(100, 100));
    QCOMPARE(f.button->size(), QSize(9, 9));

    // New colours make new renderings.
    QPalette other = Classic();
    other.setColor(QPalette::Light, QColor(0, 200, 0));
    f.button->setPalette(other);
    QCOMPARE(f.button->releasedImage().pixel(2, 2), qRgb(0, 200, 0));
  }

  void withoutPictureTheWholeRectangleIsInside() {
    TNoShape button;
    QVERIFY(button.shapeMask().isNull());
    QVERIFY(button.hitTest(0, 0) && button.hitTest(79, 79));
    QCOMPARE(button.size(), QSize(80, 80));
    // Emptying the picture empties the renderings but keeps the mask.
    button.setBitmap(Picture({"...", ".R.", "..."}));
    button.setBitmap(QImage());
    QVERIFY(button.releasedImage().isNull() && button.pressedImage().isNull());
    QVERIFY(!button.shapeMask().isNull());
  }

  void autoSizeHoldsThePictureSize() {
    TNoShape button;
    button.setBitmap(Picture({"....", ".RR.", "...."}));
    button.setBounds(5, 6, 100, 50);
    QCOMPARE(button.geometry(), QRect(5, 6, 4, 3));
    button.resize(30, 30);
    QCOMPARE(button.size(), QSize(4, 3));
    button.setAutoSize(false);
    button.resize(30, 30);
    QCOMPARE(button.size(), QSize(30, 30));
    button.setAutoSize(true);
    QCOMPARE(button.size(), QSize(4, 3));
  }

  void pressInsideReleaseOutsideDoesNotClick() {
    Fixture f;
    QSignalSpy clicks(f.button, &TNoShape::OnClick);
    QTest::mousePress(f.handle(), Qt::LeftButton, {}, f.at(4, 4));
    QCOMPARE(f.button->state(), quint8(TNoShape::bsDown));
    QTest::mouseMove(f.handle(), f.at(30, 30));
    QTest::mouseRelease(f.handle(), Qt::LeftButton, {}, f.at(30, 30));
    QCOMPARE(f.button->state(), quint8(TNoShape::bsUp));
    QCOMPARE(clicks.count(), 0);
    // Released over the key-colour corner of the button itself: no click either.
    QTest::mousePress(f.handle(), Qt::LeftButton, {}, f.at(4, 4));
    QTest::mouseRelease(f.handle(), Qt::LeftButton, {}, f.at(0, 0));
    QCOMPARE(clicks.count(), 0);
  }

  void pressOnKeyReleaseInsideClicks() {
    Fixture f;
    QSignalSpy clicks(f.button, &TNoShape::OnClick);
    QSignalSpy downs(f.button, &TNoShape::OnMouseDown);
    // The key-colour corner takes the press (the button receives it) but does
    // not go down.
    QTest::mousePress(f.handle(), Qt::LeftButton, {}, f.at(0, 0));
    QCOMPARE(downs.count(), 1);
    QCOMPARE(f.button->state(), quint8(TNoShape::bsUp));
    QTest::mouseRelease(f.handle(), Qt::LeftButton, {}, f.at(4, 4));
    QCOMPARE(clicks.count(), 1);
  }

  void anyButtonReleasedInsideClicks() {
    Fixture f;
    QSignalSpy clicks(f.button, &TNoShape::OnClick);
    QTest::mousePress(f.handle(), Qt::RightButton, {}, f.at(4, 4));
    QCOMPARE(f.button->state(), quint8(TNoShape::bsUp));  // never shown pressed
    QTest::mouseRelease(f.handle(), Qt::RightButton, {}, f.at(5, 5));
    QCOMPARE(clicks.count(), 1);
    QTest::mouseClick(f.handle(), Qt::MiddleButton, {}, f.at(3, 3));
    QCOMPARE(clicks.count(), 2);
    QTest::mouseClick(f.handle(), Qt::LeftButton, {}, f.at(3, 3));
    QCOMPARE(clicks.count(), 3);
  }

  void disabledButtonIgnoresTheMouse() {
    Fixture f;
    QSignalSpy clicks(f.button, &TNoShape::OnClick);
    f.button->setEnabled(false);
    QTest::mouseClick(f.handle(), Qt::LeftButton, {}, f.at(4, 4));
    QCOMPARE(clicks.count(), 0);
    QCOMPARE(f.button->state(), quint8(TNoShape::bsUp));
  }

  void hintHeldBackOutsideTheShape() {
    Fixture f;
    f.button->setHint("Exit");
    f.button->setShowHint(true);
    QVERIFY(!f.button->parentShowHint());

    // A tool-tip request over the key colour shows nothing; over the shape, the hint.
    QHelpEvent outside(QEvent::ToolTip, QPoint(0, 0), f.button->mapToGlobal(QPoint(0, 0)));
    QApplication::sendEvent(f.button, &outside);
    QVERIFY(!QToolTip::isVisible());
    QHelpEvent inside(QEvent::ToolTip, QPoint(4, 4), f.button->mapToGlobal(QPoint(4, 4)));
    QApplication::sendEvent(f.button, &inside);
    QVERIFY(QToolTip::isVisible());
    QCOMPARE(QToolTip::text(), QString("Exit"));
    QToolTip::hideText();

    QTest::mouseMove(f.handle(), f.at(4, 4));
    QVERIFY(!f.button->hintHeldBack());
    QTest::mouseMove(f.handle(), f.at(8, 0));
    QVERIFY(f.button->hintHeldBack());
    QVERIFY(!f.button->showHint());
    QVERIFY(f.button->toolTip().isEmpty());
    QTest::mouseMove(f.handle(), f.at(5, 4));
    QVERIFY(!f.button->hintHeldBack());
    QVERIFY(f.button->showHint());
    QVERIFY(!f.button->parentShowHint());
    QCOMPARE(f.button->toolTip(), QString("Exit"));

    // A button whose hints were off keeps them off after the round trip.
    f.button->setShowHint(false);
    QTest::mouseMove(f.handle(), f.at(0, 8));
    QTest::mouseMove(f.handle(), f.at(4, 4));
    QVERIFY(!f.button->showHint());
  }

  void composedOverTheBackground() {
    Fixture f;
    f.window.setAutoFillBackground(true);
    QPalette background = f.window.palette();
    background.setColor(QPalette::Window, QColor(0, 0, 255));
    f.window.setPalette(background);

    QImage shot = f.window.grab().toImage();
    QCOMPARE(shot.pixel(f.at(0, 0)), qRgb(0, 0, 255));  // key shows the window
    QCOMPARE(shot.pixel(f.at(4, 4)), kRed);
    QCOMPARE(shot.pixel(f.at(2, 2)), kHigh);
    QCOMPARE(shot.pixel(f.at(1, 1)), kBlack);

    // Pressed: the pressed rendering one pixel right and down.
    QTest::mousePress(f.handle(), Qt::LeftButton, {}, f.at(4, 4));
    shot = f.window.grab().toImage();
    QCOMPARE(shot.pixel(f.at(0, 4)), qRgb(0, 0, 255));  // the uncovered strip
    QCOMPARE(shot.pixel(f.at(1, 1)), qRgb(0, 0, 255));
    QCOMPARE(shot.pixel(f.at(2, 2)), kBlack);
    QCOMPARE(shot.pixel(f.at(3, 3)), kShadow);
    QCOMPARE(shot.pixel(f.at(5, 5)), kRed);
    QCOMPARE(shot.pixel(f.at(6, 6)), kRed);
    QCOMPARE(shot.pixel(f.at(7, 7)), kHigh);
    QTest::mouseRelease(f.handle(), Qt::LeftButton, {}, f.at(4, 4));
  }

  void captionAcceleratorClicks() {
    Fixture f;
    QSignalSpy clicks(f.button, &TNoShape::OnClick);
    f.button->setCaption("&Go");
    f.window.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&f.window));
    QTest::keyClick(&f.window, Qt::Key_G, Qt::AltModifier);
    QCOMPARE(clicks.count(), 1);
    f.button->setEnabled(false);
    QTest::keyClick(&f.window, Qt::Key_G, Qt::AltModifier);
    QCOMPARE(clicks.count(), 1);
    f.button->setEnabled(true);
    f.button->setCaption("Go");
    QTest::keyClick(&f.window, Qt::Key_G, Qt::AltModifier);
    QCOMPARE(clicks.count(), 1);
  }

  void renderingsRoundTripAsBitmapFiles() {
    Fixture f;
    const QByteArray up = f.button->writeBitmapUp();
    const QByteArray down = f.button->writeBitmapDown();
    QVERIFY(up.startsWith("BM") && down.startsWith("BM"));
    TNoShape copy;
    copy.readBitmapUp(up);
    copy.readBitmapDown(down);
    QCOMPARE(copy.releasedImage(), f.button->releasedImage());
    QCOMPARE(copy.pressedImage(), f.button->pressedImage());
    // Empty renderings are not stored.
    QVERIFY(TNoShape().writeBitmapUp().isEmpty());
  }

  void truncatedOrLyingBitmapsAreRejected() {
    Fixture f;
    const QByteArray good = f.button->writeBitmapUp();
    const QImage before = f.button->releasedImage();
    for (int n = 0; n < good.size(); ++n)
      QVERIFY_THROWS_EXCEPTION(parvex::Exception, f.button->readBitmapUp(good.left(n)));
    QCOMPARE(f.button->releasedImage(), before);

    const auto patched = [&](int at, quint32 value) {
      QByteArray bytes = good;
      for (int i = 0; i < 4; ++i) bytes[at + i] = char(value >> (8 * i));
      return bytes;
    };
    QVERIFY_THROWS_EXCEPTION(parvex::Exception, parvex::bmp::Decode(patched(2, good.size() + 1)));  // file size
    QVERIFY_THROWS_EXCEPTION(parvex::Exception, parvex::bmp::Decode(patched(10, 0x7FFFFFF0)));      // pixel offset
    QVERIFY_THROWS_EXCEPTION(parvex::Exception, parvex::bmp::Decode(patched(14, 1000)));           // header size
    QVERIFY_THROWS_EXCEPTION(parvex::Exception, parvex::bmp::Decode(patched(18, 0x40000000)));     // width
    QVERIFY_THROWS_EXCEPTION(parvex::Exception, parvex::bmp::Decode(patched(22, 0)));              // height
    QVERIFY_THROWS_EXCEPTION(parvex::Exception, parvex::bmp::Decode(patched(18, 10)));  // rows longer than data
    QVERIFY_THROWS_EXCEPTION(parvex::Exception, parvex::bmp::Decode(patched(30, 1)));   // RLE8
    QByteArray notBm = good;
    notBm[0] = 'X';
    QVERIFY_THROWS_EXCEPTION(parvex::Exception, parvex::bmp::Decode(notBm));

    // A palette claiming more colours than 8 bits allow.
    QImage indexed(3, 2, QImage::Format_Indexed8);
    indexed.setColorTable({kRed, kKey});
    indexed.fill(1);
    QByteArray eight = parvex::bmp::Encode(indexed);
    QCOMPARE(parvex::bmp::Decode(eight).pixel(2, 1), kKey);
    eight[46] = 0x01;  // 257 colours used
    eight[47] = 0x01;
    QVERIFY_THROWS_EXCEPTION(parvex::Exception, parvex::bmp::Decode(eight));
  }

  void corruptedBitmapsFailCleanly() {
    // Seeded byte corruption of files of every depth the reader knows: each
    // decodes or throws, and nothing reads past the bytes given.
    QImage indexed(7, 5, QImage::Format_Indexed8);
    indexed.setColorTable({kRed, kKey, kShadow, kBlack});
    indexed.fill(2);
    QImage mono(9, 3, QImage::Format_Mono);
    mono.setColorTable({kBlack, kHigh});
    mono.fill(1);
    const QList<QByteArray> files{parvex::bmp::Encode(Picture({"R..", ".RR"})), parvex::bmp::Encode(indexed),
                                  parvex::bmp::Encode(mono)};
    quint32 seed = 12345;
    const auto next = [&seed] { return seed = seed * 1103515245u + 12345u, seed >> 8; };
    int decoded = 0;
    for (const QByteArray& good : files)
      for (int round = 0; round < 3000; ++round) {
        QByteArray bytes = good;
        const int flips = 1 + int(next() % 4);
        for (int i = 0; i < flips; ++i) bytes[int(next() % quint32(bytes.size()))] = char(next());
        if (next() % 4 == 0) bytes.truncate(int(next() % quint32(bytes.size())));
        try {
          const QImage image = parvex::bmp::Decode(bytes);
          QVERIFY(!image.isNull());
          ++decoded;
        } catch (const parvex::Exception&) {
        }
      }
    QVERIFY(decoded > 0);
  }

  void bitmapDepthsRoundTrip() {
    QImage indexed(5, 3, QImage::Format_Indexed8);
    indexed.setColorTable({kRed, kKey, kShadow});
    for (int y = 0; y < 3; ++y)
      for (int x = 0; x < 5; ++x) indexed.setPixel(x, y, uint((x + y) % 3));
    const QImage back = parvex::bmp::Decode(parvex::bmp::Encode(indexed));
    QCOMPARE(back.format(), QImage::Format_Indexed8);
    QCOMPARE(back.convertToFormat(QImage::Format_RGB32), indexed.convertToFormat(QImage::Format_RGB32));

    QImage mono(13, 2, QImage::Format_Mono);
    mono.setColorTable({kBlack, kHigh});
    mono.fill(0);
    mono.setPixel(12, 1, 1);
    const QImage monoBack = parvex::bmp::Decode(parvex::bmp::Encode(mono));
    QCOMPARE(monoBack.depth(), 1);
    QCOMPARE(monoBack.pixel(12, 1), kHigh);
    QCOMPARE(monoBack.pixel(11, 1), kBlack);
  }

  void storedRenderingsAreUsedAsLoaded() {
    // Whatever the colours now, the stored renderings are kept; the mask comes
    // from the picture and the released rendering together.
    TNoShape button;
    QPalette odd;
    odd.setColor(QPalette::Light, QColor(1, 2, 3));
    button.setPalette(odd);
    button.loadStored(":/mainwindow/NoShape1");
    QCOMPARE(button.size(), QSize(55, 69));
    QFile up(":/mainwindow/NoShape1.BitmapUp.bmp");
    QVERIFY(up.open(QIODevice::ReadOnly));
    QCOMPARE(button.releasedImage(), parvex::bmp::Decode(up.readAll()));
    const QRgb key = noshape::KeyColour(button.bitmap());
    const QImage released = button.releasedImage();
    for (int y = 0; y < released.height(); ++y)
      for (int x = 0; x < released.width(); ++x)
        QCOMPARE(button.hitTest(x, y),
                 !noshape::IsKey(released.pixel(x, y), key) || !noshape::IsKey(button.bitmap().pixel(x, y), key));

    QVERIFY_THROWS_EXCEPTION(parvex::Exception, TNoShape().loadStored(":/mainwindow/NoSuchButton"));
  }

  void committedRenderingsMatchTheirPictures() {
    // The artwork generator ran the button's own generation with the classic
    // colours; stale files would show here.
    for (int i = 1; i <= 5; ++i) {
      TNoShape stored;
      stored.loadStored(QString(":/mainwindow/NoShape%1").arg(i));
      TNoShape fresh;
      fresh.setPalette(Classic());
      fresh.setBitmap(stored.bitmap());
      QCOMPARE(stored.releasedImage(), fresh.releasedImage());
      QCOMPARE(stored.pressedImage(), fresh.pressedImage());
    }
  }
};

QTEST_MAIN(NoShapeTest)
#include "Noshape_test.moc"
