// Tests of the shared drawing procedures, pixel by pixel on QImage: the
// transparent blit in its whole, partial, stretched and shrinking forms, the
// recolouring bands, the triangle mark, the 3-D frames and the colour values.

#include <QPainter>
#include <QtTest>

#include "controls/bi_procs.h"

using namespace parvex;

namespace {

constexpr QRgb kGround = 0xFF203040;
constexpr QRgb kKey = 0xFFFF00FF;

// A 4 x 3 bitmap: pixel (x, y) = (10 x, 10 y, 200), except the key colour at
// (1, 0) and (2, 2).
QImage Sample() {
  QImage image(4, 3, QImage::Format_RGB32);
  for (int y = 0; y < 3; ++y)
    for (int x = 0; x < 4; ++x) image.setPixel(x, y, qRgb(10 * x, 10 * y, 200));
  image.setPixel(1, 0, kKey);
  image.setPixel(2, 2, kKey);
  return image;
}

QImage Ground(int w = 12, int h = 10) {
  QImage image(w, h, QImage::Format_RGB32);
  image.fill(kGround);
  return image;
}

template <typename Draw>
QImage Drawn(Draw draw, QImage target = Ground()) {
  QPainter p(&target);
  draw(p);
  p.end();
  return target;
}

// The picture expected when `bitmap` pixel (sx(i), sy(j)) lands at (X + i, Y + j)
// for i < W, j < H, key pixels (when keyed) leaving the ground.
QImage Expected(const QImage& bitmap, int X, int Y, int W, int H, auto sx, auto sy, bool keyed) {
  QImage out = Ground();
  for (int j = 0; j < H; ++j)
    for (int i = 0; i < W; ++i) {
      const QRgb pixel = bitmap.pixel(sx(i), sy(j));
      if (!(keyed && pixel == kKey)) out.setPixel(X + i, Y + j, pixel);
    }
  return out;
}

}  // namespace

class BiProcsTest : public QObject {
  Q_OBJECT

 private slots:
  void coloursResolveSystemValuesAndIgnoreFlags() {
    QPalette palette = QGuiApplication::palette();
    palette.setColor(QPalette::Light, QColor(1, 2, 3));
    palette.setColor(QPalette::Button, QColor(4, 5, 6));
    QGuiApplication::setPalette(palette);
    QCOMPARE(ColorToRGB(clBtnHighlight), qRgb(1, 2, 3));
    QCOMPARE(ColorToRGB(clBtnFace), qRgb(4, 5, 6));
    QCOMPARE(ColorToRGB(RGBColour(7, 8, 9) | kPaletteRelative), qRgb(7, 8, 9));
    QCOMPARE(ColorToRGB(0x00FF0000), qRgb(0, 0, 255));  // $00BBGGRR
    QGuiApplication::setPalette(QPalette());
    QCOMPARE(BitmapTransparentColour(Sample()), RGBColour(0, 20, 200));  // bottom-left
    QImage mono(8, 8, QImage::Format_Mono);
    mono.fill(0);
    QCOMPARE(BitmapTransparentColour(mono), clWhite);
    QCOMPARE(BitmapTransparentColour(QImage()), clNone);
  }

  void drawBitmapWholeAtNaturalSize() {
    const QImage bitmap = Sample();
    const auto id = [](int v) { return v; };
    QCOMPARE(Drawn([&](QPainter& p) { DrawBitmap(p, 2, 3, bitmap, clNone); }),
             Expected(bitmap, 2, 3, 4, 3, id, id, false));
    QCOMPARE(Drawn([&](QPainter& p) { DrawBitmap(p, 2, 3, bitmap, FromQRgb(kKey)); }),
             Expected(bitmap, 2, 3, 4, 3, id, id, true));
    // The palette-relative flag does not matter; system colours are resolved.
    QCOMPARE(Drawn([&](QPainter& p) { DrawBitmap(p, 2, 3, bitmap, FromQRgb(kKey) | kPaletteRelative); }),
             Expected(bitmap, 2, 3, 4, 3, id, id, true));
    QPalette palette = QGuiApplication::palette();
    palette.setColor(QPalette::Button, QColor::fromRgb(kKey));
    QGuiApplication::setPalette(palette);
    QCOMPARE(Drawn([&](QPainter& p) { DrawBitmap(p, 2, 3, bitmap, clBtnFace); }),
             Expected(bitmap, 2, 3, 4, 3, id, id, true));
    QGuiApplication::setPalette(QPalette());
  }

  void emptySourceMeansTheWholeBitmap() {
    const QImage bitmap = Sample();
    const QImage before = bitmap.copy();
    const auto id = [](int v) { return v; };
    for (TRect empty : {TRect{}, TRect{1, 0, 1, 3}, TRect{0, 2, 4, 2}, TRect{2, 2, 2, 2}}) {
      QCOMPARE(Drawn([&](QPainter& p) { DrawBitmapRect(p, 1, 1, 0, 0, empty, bitmap, clNone); }),
               Expected(bitmap, 1, 1, 4, 3, id, id, false));
      QCOMPARE(Drawn([&](QPainter& p) { DrawBitmapRect(p, 1, 1, 0, 0, empty, bitmap, FromQRgb(kKey)); }),
               Expected(bitmap, 1, 1, 4, 3, id, id, true));
    }
    QCOMPARE(bitmap, before);  // the caller's bitmap is left as it was
  }

  void partsAndStretching() {
    const QImage bitmap = Sample();
    const TRect part{1, 0, 3, 2};  // 2 x 2 from (1, 0)
    const auto fromX = [](int i) { return 1 + i; };
    const auto id = [](int v) { return v; };
    QCOMPARE(Drawn([&](QPainter& p) { DrawBitmapRect(p, 5, 5, 0, 0, part, bitmap, clNone); }),
             Expected(bitmap, 5, 5, 2, 2, fromX, id, false));
    QCOMPARE(Drawn([&](QPainter& p) { BlitTransparent(p, bitmap, 5, 5, 0, 0, part, kKey); }),
             Expected(bitmap, 5, 5, 2, 2, fromX, id, true));
    // Enlarged three times across and twice down: each pixel repeated.
    const auto wide = [](int i) { return 1 + i / 3; };
    const auto tall = [](int j) { return j / 2; };
    QCOMPARE(Drawn([&](QPainter& p) { DrawBitmapRect(p, 1, 2, 6, 4, part, bitmap, clNone); }),
             Expected(bitmap, 1, 2, 6, 4, wide, tall, false));
    QCOMPARE(Drawn([&](QPainter& p) { DrawBitmapRect(p, 1, 2, 6, 4, part, bitmap, FromQRgb(kKey)); }),
             Expected(bitmap, 1, 2, 6, 4, wide, tall, true));
    // Only a width or only a height given: natural size.
    QCOMPARE(Drawn([&](QPainter& p) { DrawBitmapRect(p, 5, 5, 6, 0, part, bitmap, FromQRgb(kKey)); }),
             Expected(bitmap, 5, 5, 2, 2, fromX, id, true));
  }

  void shrinkingWritesOnlyTheSmallerArea() {
    // The whole 4 x 3 bitmap into 2 x 2: every other column, rows 0 and 1
    // (j x 3 / 2); nothing beyond the 2 x 2 area changes.
    const QImage bitmap = Sample();
    const auto sx = [](int i) { return i * 4 / 2; };
    const auto sy = [](int j) { return j * 3 / 2; };
    QCOMPARE(Drawn([&](QPainter& p) { DrawBitmapRect(p, 3, 3, 2, 2, TRect{}, bitmap, FromQRgb(kKey)); }),
             Expected(bitmap, 3, 3, 2, 2, sx, sy, true));
    QCOMPARE(Drawn([&](QPainter& p) { DrawBitmapRect(p, 3, 3, 2, 2, TRect{}, bitmap, clNone); }),
             Expected(bitmap, 3, 3, 2, 2, sx, sy, false));
  }

  void sourceBeyondTheBitmapIsLeftOut() {
    const QImage bitmap = Sample();
    const QImage ground = Ground();
    // Cut at the right edge: columns 2 and 3 only.
    const auto fromX = [](int i) { return 2 + i; };
    const auto id = [](int v) { return v; };
    QCOMPARE(Drawn([&](QPainter& p) { BlitTransparent(p, bitmap, 0, 0, 0, 0, TRect{2, 0, 9, 3}, kKey); }),
             Expected(bitmap, 0, 0, 2, 3, fromX, id, true));
    // Left of the bitmap the destination stays; then columns 0 and 1.
    QImage left = Expected(bitmap, 1, 0, 2, 3, id, id, true);
    QCOMPARE(Drawn([&](QPainter& p) { BlitTransparent(p, bitmap, 0, 0, 0, 0, TRect{-1, 0, 2, 3}, kKey); }), left);
    QCOMPARE(Drawn([&](QPainter& p) { BlitTransparent(p, bitmap, 0, 0, 0, 0, TRect{5, 0, 9, 3}, kKey); }), ground);
    QCOMPARE(Drawn([&](QPainter& p) { DrawBitmapRect(p, 0, 0, -4, 3, TRect{}, bitmap, clNone); }), ground);
    QCOMPARE(Drawn([&](QPainter& p) { DrawBitmap(p, 0, 0, QImage(), clNone); }), ground);
  }

  void recolourGlyphBands() {
    QImage big(101, 100, QImage::Format_RGB32);
    big.fill(qRgb(0, 0, 0));
    big.setPixel(5, 5, qRgb(255, 255, 255));
    const QImage untouched = big.copy();
    RecolourGlyph(big, clRed, clBlack);
    QCOMPARE(big, untouched);

    QImage glyph(100, 100, QImage::Format_RGB32);
    glyph.fill(qRgb(10, 10, 10));  // the background: (0, 0)
    const QRgb sums[] = {qRgb(255, 255, 41), qRgb(255, 255, 40), qRgb(251, 0, 0),
                         qRgb(200, 50, 0),   qRgb(0, 0, 61),     qRgb(20, 20, 20)};
    for (int i = 0; i < 6; ++i) glyph.setPixel(10 + i, 99, sums[i]);
    QPalette palette = QGuiApplication::palette();
    palette.setColor(QPalette::Light, QColor(1, 2, 3));
    QGuiApplication::setPalette(palette);
    RecolourGlyph(glyph, clBtnHighlight, RGBColour(7, 8, 9));
    QGuiApplication::setPalette(QPalette());
    const QRgb light = qRgb(1, 2, 3), dark = qRgb(7, 8, 9);
    const QRgb expected[] = {qRgb(255, 255, 255), light, light, dark, dark, qRgb(0, 0, 0)};
    for (int i = 0; i < 6; ++i) QCOMPARE(glyph.pixel(10 + i, 99), expected[i]);
    QCOMPARE(glyph.pixel(0, 0), qRgb(10, 10, 10));
    QCOMPARE(glyph.pixel(50, 50), qRgb(10, 10, 10));  // same as (0, 0): kept, though dark
  }

  void triangleMarkInTheTextColour() {
    QImage image = Ground();
    QPainter p(&image);
    p.setPen(QColor(250, 0, 0));
    DrawTriangleMark(p, 3, 4);
    QCOMPARE(p.brush().color(), QColor(250, 0, 0));
    p.end();
    const char* rows[] = {"XXXX", ".XX.", "..X."};
    for (int y = 0; y < 10; ++y)
      for (int x = 0; x < 12; ++x) {
        const bool in = y >= 4 && y < 7 && x >= 3 && x < 7 && rows[y - 4][x - 3] == 'X';
        QCOMPARE(image.pixel(x, y), in ? qRgb(250, 0, 0) : kGround);
      }
  }

  void frames3DInTheEdgeColours() {
    const QRgb K = ColorToRGB(cl3DDkShadow), L = ColorToRGB(clBtnHighlight), S = ColorToRGB(clBtnShadow);
    struct Case {
      bool sunken;
      const char* rows[4];
    } cases[] = {{true, {"KKKKL", "KSSSL", "KS..L", "LLLLL"}}, {false, {"LLLLK", "L..SK", "LSSSK", "KKKKK"}}};
    for (const Case& c : cases) {
      QImage image = Ground();
      QPainter p(&image);
      p.setBrush(Qt::red);
      DrawFrame3D(p, Bounds(2, 1, 5, 4), c.sunken);
      QCOMPARE(p.brush().style(), Qt::NoBrush);
      p.end();
      for (int y = 0; y < 10; ++y)
        for (int x = 0; x < 12; ++x) {
          const bool in = x >= 2 && x < 7 && y >= 1 && y < 5;
          const char code = in ? c.rows[y - 1][x - 2] : '.';
          const QRgb want = code == 'K' ? K : code == 'L' ? L : code == 'S' ? S : kGround;
          QVERIFY2(image.pixel(x, y) == want, qPrintable(QStringLiteral("%1,%2 sunken %3").arg(x).arg(y).arg(c.sunken)));
        }
    }
  }

  void screenBitsCanBeOverridden() {
    const auto real = ScreenColourBits();
    QCOMPARE(int(real), QGuiApplication::primaryScreen()->depth());
    OverrideScreenColourBits(8);
    QCOMPARE(int(ScreenColourBits()), 8);
    OverrideScreenColourBits(0);
    QCOMPARE(ScreenColourBits(), real);
  }
};

QTEST_MAIN(BiProcsTest)
#include "bi_procs_test.moc"
