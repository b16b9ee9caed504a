// Tests of the plasma texture and the plasma button: the generator's sequence,
// the gradient's rounding, the first cells of the height map worked out here
// from the subdivision rules, how the map shows on the texture, and how the
// button paints it (unscaled, stretched, plain on a low-colour display) and
// when it makes a new one.

#include <QtTest>

#include "controls/bi_btns.h"
#include "controls/bi_btnsPlasma.h"

using namespace parvex;
using namespace parvex::plasma;

namespace {

constexpr std::uint32_t kSeed = 20260101;

struct CountedPlasma : TBI_PlasmaButton {
  using TBI_PlasmaButton::TBI_PlasmaButton;
  int invalidates = 0;
  int repaints = 0;
  void invalidate() override { ++invalidates; }
  void repaintNow() override { ++repaints; }
};

// Hands out kSeed and counts how often a texture was made.
struct SeedCounter {
  int calls = 0;
  SeedCounter() {
    SetSeedSource([this] {
      ++calls;
      return kSeed;
    });
  }
  ~SeedCounter() { SetSeedSource({}); }
};

}  // namespace

class BiBtnsPlasmaTest : public QObject {
  Q_OBJECT

 private slots:
  void generatorSequence() {
    TRandom random(kSeed);
    QCOMPARE(random.below(236), 174);
    QCOMPARE(random.below(236), 46);
    QCOMPARE(random.below(236), 180);
    QCOMPARE(random.real(), 3551840721.0 / 4294967296.0);
    QCOMPARE(random.seed(), 3551840721u);
    TRandom zero(0);
    QCOMPARE(zero.below(236), 0);  // seed 1: the high bits of 236 are 0
  }

  void gradientRoundsHalvesToEven() {
    // Red 0 -> 1 (half at i = 118), green 2 -> 0 (halves at 59 and 177), blue 0 -> 236.
    const Gradient g = MakeGradient(RGBColour(0, 2, 0), RGBColour(1, 0, 236));
    QCOMPARE(g[0], qRgb(0, 2, 0));
    QCOMPARE(g[236], qRgb(1, 0, 236));
    QCOMPARE(qRed(g[118]) * 10 + qRed(g[119]), 1);
    QCOMPARE(QList<int>({qGreen(g[58]), qGreen(g[59]), qGreen(g[60]), qGreen(g[176]), qGreen(g[177])}),
             QList<int>({2, 2, 1, 1, 0}));
    for (int i = 0; i < kGradientSize; ++i) QCOMPARE(qBlue(g[std::size_t(i)]), i);
    QCOMPARE(MakeGradient(clBtnHighlight, clBtnShadow)[236], ColorToRGB(clBtnShadow));
  }

  void heightMapFollowsTheSubdivisionOrder() {
    TRandom draws(kSeed);
    // Corners (0, 150), (150, 150), (150, 0), (0, 0).
    const int c0b = draws.below(236), cbb = draws.below(236), cb0 = draws.below(236), c00 = draws.below(236);
    auto displaced = [&](int p, int q, int distance) {
      double v = (draws.real() - 0.5) * distance * 8 + (p + q) * 0.5;
      return int(v < 1 ? 1 : v >= 236 ? 236 : v);
    };
    // The whole square: its four edge midpoints, then its centre.
    const int top = displaced(c00, cb0, 150), right = displaced(cb0, cbb, 150);
    const int bottom = displaced(c0b, cbb, 150), left = displaced(c00, c0b, 150);
    const int centre = int((c00 + cb0 + cbb + c0b) * 0.25);
    // Its first quarter (0, 0, 75, 75), and that quarter's first edge midpoint.
    const int qTop = displaced(c00, top, 75), qRight = displaced(top, centre, 75);
    const int qBottom = displaced(left, centre, 75), qLeft = displaced(c00, left, 75);
    const int qCentre = int((c00 + top + centre + left) * 0.25);
    const int next = displaced(c00, qTop, 37);

    TRandom random(kSeed);
    const HeightMap map = MakeHeightMap(random);
    const QList<int> cells = {map.at(0, 150), map.at(150, 150), map.at(150, 0),  map.at(0, 0),
                              map.at(75, 0),  map.at(150, 75),  map.at(75, 150), map.at(0, 75),
                              map.at(75, 75), map.at(37, 0),    map.at(75, 37),  map.at(37, 75),
                              map.at(0, 37),  map.at(37, 37),   map.at(18, 0)};
    QCOMPARE(cells, QList<int>({c0b, cbb, cb0, c00, top, right, bottom, left, centre, qTop, qRight, qBottom,
                                qLeft, qCentre, next}));
    int zeros = 0;
    for (int x = 0; x < kMapSize; ++x)
      for (int y = 0; y < kMapSize; ++y) {
        QVERIFY(map.at(x, y) <= 236);
        zeros += map.at(x, y) == 0;
      }
    QCOMPARE(zeros, 0);

    // The texture shows cell (x, y) at pixel (x, y), height v as entry v - 1.
    const Gradient g = MakeGradient(RGBColour(0, 0, 0), RGBColour(236, 0, 0));
    const QImage texture = MakeTexture(map, g);
    QCOMPARE(texture.size(), QSize(150, 150));
    QCOMPARE(QList<QRgb>({texture.pixel(75, 0), texture.pixel(0, 75), texture.pixel(37, 75), texture.pixel(0, 0)}),
             QList<QRgb>({g[std::size_t(top - 1)], g[std::size_t(left - 1)], g[std::size_t(qBottom - 1)],
                          g[std::size_t(c00 - 1)]}));
  }

  void textureHeightsZeroAndTop() {
    HeightMap map;
    map.at(1, 0) = 1;
    map.at(2, 0) = 236;
    map.at(149, 149) = 100;
    map.at(150, 3) = 200;  // the last column is not shown
    const Gradient g = MakeGradient(RGBColour(0, 0, 0), RGBColour(236, 0, 0));
    const QImage texture = MakeTexture(map, g);
    QCOMPARE(QList<QRgb>({texture.pixel(0, 0), texture.pixel(1, 0), texture.pixel(2, 0), texture.pixel(149, 149),
                          texture.pixel(149, 3)}),
             QList<QRgb>({qRgb(0, 0, 0), qRgb(0, 0, 0), qRgb(235, 0, 0), qRgb(99, 0, 0), qRgb(0, 0, 0)}));
  }

  void buttonPaintsItsTexture() {
    SeedCounter seeds;
    CountedPlasma button;
    QCOMPARE(seeds.calls, 1);
    TRandom random(kSeed);
    QCOMPARE(button.plasma(), MakeTexture(MakeHeightMap(random), MakeGradient(clBtnHighlight, clBtnShadow)));
    button.setBevelWidth(0);
    // Below 150 x 150: the top-left part, unscaled. From 150 on either side: stretched.
    for (QSize size : {QSize(119, 25), QSize(149, 149), QSize(150, 40), QSize(40, 200), QSize(300, 160)}) {
      button.resize(size);
      const QImage face = button.renderToImage();
      const bool stretched = size.width() >= 150 || size.height() >= 150;
      for (int y = 0; y < size.height(); ++y)
        for (int x = 0; x < size.width(); ++x) {
          const int sx = stretched ? x * 150 / size.width() : x;
          const int sy = stretched ? y * 150 / size.height() : y;
          QCOMPARE(face.pixel(x, y), button.plasma().pixel(sx, sy));
        }
    }
    button.grab();
    button.renderToImage();
    QCOMPARE(seeds.calls, 1);  // painting never makes a new texture
  }

  void lowColourDisplayShowsAPlainFace() {
    OverrideScreenColourBits(15);
    TBI_PlasmaButton low;
    OverrideScreenColourBits(16);
    TBI_PlasmaButton enough;
    OverrideScreenColourBits(0);
    QVERIFY(low.isLowColour() && !enough.isLowColour());
    for (TBI_PlasmaButton* b : {&low, &enough}) {
      b->setBevelWidth(0);
      b->resize(30, 20);
    }
    QCOMPARE(low.renderToImage().pixel(10, 10), ColorToRGB(clBtnFace));
    QCOMPARE(low.renderToImage().pixel(29, 19), ColorToRGB(clBtnFace));
    QCOMPARE(enough.renderToImage().pixel(10, 10), enough.plasma().pixel(10, 10));
    low.setPaint256(true);
    QCOMPARE(low.renderToImage().pixel(10, 10), low.plasma().pixel(10, 10));
  }

  void newTextureOnlyForANewColour() {
    SeedCounter seeds;
    CountedPlasma button;
    const QImage first = button.plasma();
    button.setLightColor(clBtnHighlight);
    button.setShadowColor(clBtnShadow);
    QCOMPARE(seeds.calls, 1);
    QCOMPARE(button.invalidates + button.repaints, 0);
    button.setLightColor(RGBColour(0, 0, 0));
    QCOMPARE(seeds.calls, 2);
    QCOMPARE(button.invalidates, 1);
    button.setShadowColor(RGBColour(236, 0, 0));
    QCOMPARE(seeds.calls, 3);
    QCOMPARE(button.repaints, 1);
    QVERIFY(button.plasma() != first);
    // The same seed with black to red: each pixel's red is the cell's height less one.
    TRandom random(kSeed);
    const HeightMap map = MakeHeightMap(random);
    QCOMPARE(button.plasma().pixel(75, 0), qRgb(map.at(75, 0) - 1, 0, 0));
    QCOMPARE(button.plasma().pixel(140, 9), qRgb(map.at(140, 9) - 1, 0, 0));
  }
};

QTEST_MAIN(BiBtnsPlasmaTest)
#include "bi_btnsPlasma_test.moc"
