// The plasma texture (generator, gradient, height map, picture) and the
// button that paints it beneath its caption.
#include "controls/bi_btnsPlasma.h"

#include <QPaintEvent>
#include <QPainter>
#include <QTime>
#include <cmath>
#include <cstdlib>

#include "controls/bi_btns.h"

namespace parvex::plasma {
namespace {

std::function<std::uint32_t()>& SeedSource() {
  static std::function<std::uint32_t()> source;
  return source;
}

// n / 236 to the nearest integer, halves to the even one (n >= 0).
int RoundedStep(int n) {
  const int whole = n / (kGradientSize - 1);
  const int rest2 = 2 * (n % (kGradientSize - 1));
  if (rest2 > kGradientSize - 1 || (rest2 == kGradientSize - 1 && whole % 2 == 1)) return whole + 1;
  return whole;
}

int Channel(int light, int dark, int i) {
  if (dark > light) return light + RoundedStep((dark - light) * i);
  return light - RoundedStep((light - dark) * i);
}

struct Builder {
  HeightMap& map;
  TRandom& random;

  // T between the end points P and Q, unless T is set already.
  void displace(int px, int py, int tx, int ty, int qx, int qy) {
    if (map.at(tx, ty) != 0) return;
    const double r = random.real();
    const int d = std::abs(px - qx) + std::abs(py - qy);
    double value = (r - 0.5) * d * 8 + (map.at(px, py) + map.at(qx, qy)) * 0.5;
    if (value < 1) value = 1;
    if (value >= 236) value = 236;
    map.at(tx, ty) = std::uint8_t(std::trunc(value));
  }

  void subdivide(int x0, int y0, int x1, int y1) {
    if (x1 - x0 < 2 && y1 - y0 < 2) return;
    const int xm = (x0 + x1) / 2;
    const int ym = (y0 + y1) / 2;
    displace(x0, y0, xm, y0, x1, y0);
    displace(x1, y0, x1, ym, x1, y1);
    displace(x0, y1, xm, y1, x1, y1);
    displace(x0, y0, x0, ym, x0, y1);
    if (map.at(xm, ym) == 0) {
      const int sum = map.at(x0, y0) + map.at(x1, y0) + map.at(x1, y1) + map.at(x0, y1);
      map.at(xm, ym) = std::uint8_t(std::trunc(sum * 0.25));
    }
    subdivide(x0, y0, xm, ym);
    subdivide(xm, y0, x1, ym);
    subdivide(xm, ym, x1, y1);
    subdivide(x0, ym, xm, y1);
  }
};

}  // namespace

int TRandom::below(int n) {
  seed_ = seed_ * 134775813u + 1u;
  return int((std::uint64_t(seed_) * std::uint32_t(n)) >> 32);
}

double TRandom::real() {
  seed_ = seed_ * 134775813u + 1u;
  return seed_ / 4294967296.0;
}

std::uint32_t TimeOfDaySeed() { return std::uint32_t(QTime::currentTime().msecsSinceStartOfDay()); }

void SetSeedSource(std::function<std::uint32_t()> source) { SeedSource() = std::move(source); }

std::uint32_t NextSeed() { return SeedSource() ? SeedSource()() : TimeOfDaySeed(); }

Gradient MakeGradient(TColor light, TColor dark) {
  const QRgb L = ColorToRGB(light);
  const QRgb D = ColorToRGB(dark);
  Gradient gradient{};
  for (int i = 0; i < kGradientSize; ++i)
    gradient[std::size_t(i)] = qRgb(Channel(qRed(L), qRed(D), i), Channel(qGreen(L), qGreen(D), i),
                                    Channel(qBlue(L), qBlue(D), i));
  return gradient;
}

HeightMap MakeHeightMap(TRandom& random) {
  HeightMap map;
  constexpr int last = kMapSize - 1;
  map.at(0, last) = std::uint8_t(random.below(236));
  map.at(last, last) = std::uint8_t(random.below(236));
  map.at(last, 0) = std::uint8_t(random.below(236));
  map.at(0, 0) = std::uint8_t(random.below(236));
  Builder{map, random}.subdivide(0, 0, last, last);
  return map;
}

QImage MakeTexture(const HeightMap& map, const Gradient& gradient) {
  QImage texture(kTextureSize, kTextureSize, QImage::Format_RGB32);
  for (int y = 0; y < kTextureSize; ++y) {
    auto* row = reinterpret_cast<QRgb*>(texture.scanLine(y));
    for (int x = 0; x < kTextureSize; ++x) {
      const int v = map.at(x, y);
      row[x] = gradient[std::size_t(v == 0 ? 0 : v - 1)];
    }
  }
  return texture;
}

}  // namespace parvex::plasma

namespace parvex {

TBI_PlasmaButton::TBI_PlasmaButton(QWidget* parent) : TBI_basebutton(parent) { Regenerate(); }

void TBI_PlasmaButton::setLightColor(TColor value) {
  if (value == FLightColor) return;
  FLightColor = value;
  Regenerate();
  invalidate();
}

void TBI_PlasmaButton::setShadowColor(TColor value) {
  if (value == FShadowColor) return;
  FShadowColor = value;
  Regenerate();
  repaintNow();
}

void TBI_PlasmaButton::Regenerate() {
  plasma::TRandom random(plasma::NextSeed());
  const plasma::HeightMap map = plasma::MakeHeightMap(random);
  FPlasma = plasma::MakeTexture(map, plasma::MakeGradient(FLightColor, FShadowColor));
}

QImage TBI_PlasmaButton::renderToImage() const {
  QImage B = makeCanvas(size());
  const int W = B.width();
  const int H = B.height();
  if (isLowColour() && !paint256()) {
    B.fill(ColorToRGB(clBtnFace));
  } else {
    QPainter p(&B);
    if (W >= plasma::kTextureSize || H >= plasma::kTextureSize) {
      DrawBitmapRect(p, 0, 0, W, H, TRect{}, FPlasma, clNone);
    } else {
      DrawBitmap(p, 0, 0, FPlasma, clNone);
    }
  }
  PaintOn(B);
  return B;
}

void TBI_PlasmaButton::paintEvent(QPaintEvent* event) {
  const QImage B = renderToImage();
  QPainter(this).drawImage(event->rect(), B, event->rect());
}

}  // namespace parvex
