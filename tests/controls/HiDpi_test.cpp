// Every control on a screen scaled by two (this program runs with
// QT_SCALE_FACTOR 2): each paints at the screen's resolution from its doubled
// artwork, while sizes, shapes and hit tests stay in the control's own pixels.
// Also the rounding of the scale factors the user sets.

#include <QIcon>
#include <QLabel>
#include <QPainter>
#include <QToolButton>
#include <QWindow>
#include <QtTest>

#include "controls/BriskBtn1.h"
#include "controls/CoolForm.h"
#include "controls/Kr_HintGeometry.h"
#include "controls/Led.h"
#include "controls/Noshape.h"
#include "controls/NoshapeBmp.h"
#include "controls/NoshapeOutline.h"
#include "controls/Wordcap.h"
#include "windows/ScaleFactors.h"

using namespace parvex;

namespace {

QImage Doubled(const QImage& image) {
  return image.convertToFormat(QImage::Format_RGB32).scaled(image.size() * 2, Qt::IgnoreAspectRatio,
                                                            Qt::FastTransformation);
}

QImage Grabbed(QWidget& widget) { return widget.grab().toImage().convertToFormat(QImage::Format_RGB32); }

}  // namespace

class HiDpiTest : public QObject {
  Q_OBJECT

 private slots:
  void userFactorsAreRoundedToWholeOnes() {
    QCOMPARE(scaling::Rounded("1.5"), QByteArray("2"));
    QCOMPARE(scaling::Rounded("1.25"), QByteArray("1"));
    QCOMPARE(scaling::Rounded("2"), QByteArray("2"));
    QCOMPARE(scaling::Rounded("2.5"), QByteArray("3"));
    QCOMPARE(scaling::Rounded("0.4"), QByteArray("1"));  // never below one
    QCOMPARE(scaling::Rounded("1.5;2.75"), QByteArray("2;3"));
    QCOMPARE(scaling::Rounded("DP-1=1.5;HDMI-1=1"), QByteArray("DP-1=2;HDMI-1=1"));
    QCOMPARE(scaling::Rounded("auto"), QByteArray("auto"));
    QCOMPARE(scaling::Rounded("-1"), QByteArray("-1"));
    QCOMPARE(QGuiApplication::highDpiScaleFactorRoundingPolicy(), Qt::HighDpiScaleFactorRoundingPolicy::Round);
  }

  void theScreenIsScaledByTwo() { QCOMPARE(qApp->devicePixelRatio(), 2.0); }

  void doubledOutlinesAreTheOutlinesDoubled() {
    // Doubling commutes with the outline rules when every offset doubles.
    TNoShape source;
    source.loadStored(QStringLiteral(":/mainwindow/NoShape1"));
    const QImage picture = source.bitmap();
    const QRgb light = qRgb(255, 255, 255), dark = qRgb(128, 128, 128);
    for (noshape::TOutlineKind kind : {noshape::okReleased, noshape::okPressed}) {
      const QImage once = noshape::GenerateOutline(picture, kind, light, dark);
      QCOMPARE(noshape::GenerateOutline(Doubled(picture), kind, light, dark, 2), Doubled(once));
    }
    // Pressed, the doubled rendering moves by two of its pixels: one of the button's.
    const QImage up = source.hiResReleasedImage();
    const QImage front = noshape::Foreground(up, noshape::KeyColour(picture), up.size(), true, 2);
    const QRgb key = noshape::KeyColour(picture);
    for (int y = 0; y < up.height() - 2; y += 7)
      for (int x = 0; x < up.width() - 2; x += 5)
        if (!noshape::IsKey(up.pixel(x, y), key)) QCOMPARE(front.pixel(x + 2, y + 2), up.pixel(x, y) | 0xFF000000);
  }

  void hotSpotPaintsItsDoubledRenderingAndHitsAsBefore() {
    QWidget parent;
    parent.resize(100, 100);
    auto* hotSpot = new TNoShape(&parent);
    hotSpot->loadStored(QStringLiteral(":/mainwindow/NoShape1"));
    QCOMPARE(hotSpot->size(), QSize(55, 69));
    QCOMPARE(hotSpot->hiResReleasedImage().size(), QSize(110, 138));
    QCOMPARE(hotSpot->hiResPressedImage().size(), QSize(110, 138));
    const QImage shot = Grabbed(*hotSpot);
    QCOMPARE(shot.size(), QSize(110, 138));
    const QImage hi = hotSpot->hiResReleasedImage();
    const QRgb key = noshape::KeyColour(hotSpot->bitmap());
    int compared = 0;
    for (int y = 0; y < hi.height(); ++y)
      for (int x = 0; x < hi.width(); ++x)
        if (!noshape::IsKey(hi.pixel(x, y), key)) {
          QCOMPARE(shot.pixel(x, y), hi.pixel(x, y) | 0xFF000000);
          ++compared;
        }
    QVERIFY(compared > 4000);
    // The shape is still the one of the picture in the button's pixels.
    QCOMPARE(hotSpot->shapeMask().size(), QSize(55, 69));
    QVERIFY(!hotSpot->hitTest(0, 0));
    QVERIFY(hotSpot->hitTest(27, 30));
    // A new picture without a doubled one paints the plain rendering enlarged.
    QImage plain(20, 20, QImage::Format_RGB32);
    plain.fill(qRgb(0, 255, 0));
    QPainter(&plain).fillRect(5, 5, 10, 10, Qt::red);
    hotSpot->setBitmap(plain);
    QVERIFY(hotSpot->hiResReleasedImage().isNull());
    hotSpot->setHiResBitmap(Doubled(plain).scaled(30, 30));  // not twice the size: refused
    QVERIFY(hotSpot->hiResBitmap().isNull());
    hotSpot->setHiResBitmap(Doubled(plain));
    QCOMPARE(hotSpot->hiResReleasedImage(),
             noshape::GenerateOutline(Doubled(plain), noshape::okReleased, hotSpot->palette().color(QPalette::Light).rgb(),
                                      hotSpot->palette().color(QPalette::Dark).rgb(), 2));
  }

  void shapedWindowShowsItsDoubledPicture() {
    QWidget window;
    auto* image = new TCoolForm(&window);
    image->loadStored(QStringLiteral(":/mainwindow/CoolForm1"));
    QCOMPARE(window.size(), QSize(440, 270));
    QCOMPARE(image->hiResPicture().size(), QSize(880, 540));
    const QImage shot = Grabbed(*image);
    QCOMPARE(shot.size(), QSize(880, 540));
    const QImage hi = image->hiResPicture().convertToFormat(QImage::Format_RGB32);
    for (const QPoint& at : {QPoint(740, 330), QPoint(420, 60), QPoint(200, 480)}) QCOMPARE(shot.pixel(at), hi.pixel(at));
    // Inside the outline the doubled picture has no key green at all.
    const QRegion outline = *image->maskHolder()->region();
    for (int y = 0; y < hi.height(); y += 3)
      for (int x = 0; x < hi.width(); x += 3)
        if (outline.contains(QPoint(x / 2, y / 2))) QVERIFY(hi.pixel(x, y) != qRgb(0, 255, 0));
    // A new picture drops the doubled one.
    image->setPicture(QImage(10, 10, QImage::Format_RGB32));
    QVERIFY(image->hiResPicture().isNull());
  }

  void flatButtonComposesAtTheScreensResolution() {
    TBriskButton1 button;
    button.setCaption(QStringLiteral("Close"));
    button.resize(110, 41);
    const QImage face = button.hiResFace(TBriskButton1::bsOff, TBriskButton1::bsOnGray);
    QCOMPARE(face.size(), QSize(74, 82));
    const QImage shot = Grabbed(button);
    QCOMPARE(shot.size(), QSize(220, 82));
    // The left end is the doubled face's, pixel for pixel, the right end too:
    // its piece starts at the button's x 90 (device 180) with the face's column
    // 18 (device 36).
    for (int y = 0; y < 82; y += 3) {
      QCOMPARE(shot.pixel(3, y), face.pixel(3, y));
      QCOMPARE(shot.pixel(215, y), face.pixel(215 - 180 + 36, y));
    }
    // The focus line is one of the button's pixels wide: two of the screen's.
    const QImage image = button.renderToImage(2);
    QCOMPARE(image.devicePixelRatio(), 2.0);
    QCOMPARE(image.size(), QSize(220, 82));
  }

  void lampCaptionAndBalloonPaintEveryDevicePixel() {
    TBSLed lamp;
    lamp.resize(15, 15);
    const QImage one = lamp.Render();
    const QImage two = lamp.Render(2);
    QCOMPARE(one.size(), QSize(15, 15));
    QCOMPARE(two.size(), QSize(30, 30));
    QCOMPARE(QColor(two.pixel(15, 15)), QColor(one.pixel(7, 7)));  // the lamp's middle, same colour

    QWidget form;
    form.resize(300, 60);
    TMSOfficeCaption caption(&form);
    caption.setColor(Qt::blue);
    caption.setEnabled(Wordcap::geAlways);
    const QImage bar = caption.renderBar(true, 2);
    QCOMPARE(bar.size(), QSize(600, caption.barHeight() * 2));
    QCOMPARE(bar.pixel(0, 0), qRgb(0, 0, 255));
    QCOMPARE(caption.renderBar(true).size(), QSize(300, caption.barHeight()));

    // A balloon composed on a picture with two pixels of its own a pixel.
    KrHint::Settings s;
    s.kind = KrHint::KrSquare;
    s.color = QColor(128, 0, 0);
    s.colorBorder = Qt::black;
    s.shadow = KrHint::shBottomRight;
    s.shadowWidth = 3;
    s.transparentShadow = true;
    QImage picture(QSize(40, 20) * 2, QImage::Format_ARGB32_Premultiplied);
    picture.setDevicePixelRatio(2);
    picture.fill(qRgb(200, 200, 200));
    kr_hint::ComposeBalloon(picture, s, QString(), QSize(0, 0));
    // The body fills the picture less the shadow's three pixels (six device ones).
    QCOMPARE(QColor(picture.pixel(40, 20)), QColor(128, 0, 0));
    QCOMPARE(QColor(picture.pixel(66, 28)), QColor(128, 0, 0));
    QCOMPARE(QColor(picture.pixel(72, 20)), QColor(Qt::black));  // its outline, at x 36: device 72
    // The shadow darkens the screen copy on the right, below the body's top.
    QCOMPARE(QColor(picture.pixel(80 - 2, 30)), QColor(136, 136, 136));
    QCOMPARE(QColor(picture.pixel(80 - 2, 2)), QColor(200, 200, 200));
  }

  void splitAndJoinArtworkComesDoubled() {
    const QIcon glyph(QStringLiteral(":/split/AddFiles.png"));
    QCOMPARE(glyph.pixmap(QSize(24, 24), 2.0).size(), QSize(48, 48));
    const QPixmap figure = QIcon(QStringLiteral(":/split/Image1.png")).pixmap(QSize(200, 200), 2.0);
    QCOMPARE(figure.size(), QSize(400, 400));
    QCOMPARE(figure.devicePixelRatio(), 2.0);
    for (int size : {16, 32, 256})
      QCOMPARE(QImage(QStringLiteral(":/icons/parvex-%1@2x.png").arg(size)).size(), QSize(size * 2, size * 2));
  }
};

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  qputenv("QT_SCALE_FACTOR", "1.5");  // rounded to 2, as the program does it
  scaling::RoundScaleFactors();
  QApplication app(argc, argv);
  HiDpiTest test;
  return QTest::qExec(&test, argc, argv);
}

#include "HiDpi_test.moc"
