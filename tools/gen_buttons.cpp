// Paints the artwork of the flat push button (four 37 x 41 faces) and of the
// Split & Join window (the 200 x 200 picture and the three glyphs), and writes
// them as PNG files under <root>/resources/buttons and <root>/resources/split,
// each also at twice its size ("@2x") for screens scaled by two.
//
// Usage: gen_buttons [repository root]   (default: the current directory)

#include <QDir>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <QSet>
#include <QtMath>
#include <cstdio>

#include "gen_buttons_art.h"

namespace {

constexpr int kFaceWidth = 37;
constexpr int kFaceHeight = 41;
const QColor kGrayGround(189, 189, 189);

// Three passes of a box blur approximate a Gaussian well enough for a shadow.
QImage blurAlpha(const QImage& source, int radius) {
  QImage image = source.convertToFormat(QImage::Format_ARGB32_Premultiplied);
  const int w = image.width();
  const int h = image.height();
  std::vector<int> alpha(w * h);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) alpha[y * w + x] = qAlpha(image.pixel(x, y));
  std::vector<int> work(w * h);
  for (int pass = 0; pass < 3; ++pass) {
    for (int y = 0; y < h; ++y)
      for (int x = 0; x < w; ++x) {
        int sum = 0;
        for (int k = -radius; k <= radius; ++k) sum += alpha[y * w + qBound(0, x + k, w - 1)];
        work[y * w + x] = sum / (2 * radius + 1);
      }
    for (int y = 0; y < h; ++y)
      for (int x = 0; x < w; ++x) {
        int sum = 0;
        for (int k = -radius; k <= radius; ++k) sum += work[qBound(0, y + k, h - 1) * w + x];
        alpha[y * w + x] = sum / (2 * radius + 1);
      }
  }
  QImage out(w, h, QImage::Format_ARGB32_Premultiplied);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) out.setPixel(x, y, qPremultiply(qRgba(0, 0, 0, alpha[y * w + x])));
  return out;
}

// The disc sits so that its vertical diameter falls on columns 16 and 17 (the
// columns the button stretches) and its right edge, even when pressed, ends
// inside column 36: the button never shows a 38th column of the face.
constexpr qreal kDiscRadius = 14.5;
const QPointF kDiscCentre(16.5, 15.5);
constexpr qreal kPressOffset = 5.0;
constexpr qreal kShadowOffset = 4.0;

// A disc moved right no longer has its full height at columns 16 and 17, and
// the stretched middle would come out thinner than the ends. So a moved shape
// keeps its left half centred on those columns, squeezed to reach its new
// left edge, and runs flat to its right half.
QPainterPath movedDisc(qreal dx, qreal dy, qreal radius) {
  const qreal cy = kDiscCentre.y() + dy;
  const qreal leftCentre = kDiscCentre.x();
  const qreal rightCentre = kDiscCentre.x() + dx;
  const qreal leftRadius = radius - dx;
  QPainterPath path;
  path.moveTo(leftCentre, cy - radius);
  path.lineTo(rightCentre, cy - radius);
  path.arcTo(QRectF(rightCentre - radius, cy - radius, 2 * radius, 2 * radius), 90, -180);
  path.lineTo(leftCentre, cy + radius);
  path.arcTo(QRectF(leftCentre - leftRadius, cy - radius, 2 * leftRadius, 2 * radius), 270, -180);
  path.closeSubpath();
  return path;
}

QImage buttonFace(const QColor& ground, bool pressed, int scale) {
  QImage face(kFaceWidth * scale, kFaceHeight * scale, QImage::Format_RGB32);
  face.fill(ground);
  QPainter p(&face);
  p.setRenderHint(QPainter::Antialiasing);
  if (!pressed) {
    QImage mask(kFaceWidth * scale, kFaceHeight * scale, QImage::Format_ARGB32_Premultiplied);
    mask.fill(Qt::transparent);
    {
      QPainter m(&mask);
      m.setRenderHint(QPainter::Antialiasing);
      if (scale != 1) m.scale(scale, scale);
      m.setPen(Qt::NoPen);
      m.setBrush(QColor(0, 0, 0, 160));
      m.drawPath(movedDisc(kShadowOffset, kShadowOffset, kDiscRadius - 0.5));
    }
    p.drawImage(0, 0, blurAlpha(mask, scale));
  }
  if (scale != 1) p.scale(scale, scale);
  p.setPen(Qt::NoPen);
  p.setBrush(Qt::black);
  p.drawPath(pressed ? movedDisc(kPressOffset, kPressOffset, kDiscRadius) : movedDisc(0, 0, kDiscRadius));
  p.end();
  return face;
}

// Keeps a picture in 256 colours when it has that few, losslessly.
QImage asFewColours(const QImage& image) {
  QSet<QRgb> colours;
  for (int y = 0; y < image.height(); ++y)
    for (int x = 0; x < image.width(); ++x) colours.insert(image.pixel(x, y));
  if (colours.size() > 256) return image;
  return image.convertToFormat(QImage::Format_Indexed8, Qt::ThresholdDither | Qt::AvoidDither);
}

bool save(const QImage& image, const QString& path) {
  if (!image.save(path, "PNG")) {
    std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
    return false;
  }
  std::printf("wrote %s (%dx%d)\n", qPrintable(path), image.width(), image.height());
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  QGuiApplication app(argc, argv);
  const QDir root(argc > 1 ? QString::fromLocal8Bit(argv[1]) : QDir::currentPath());
  const QString buttons = root.filePath("resources/buttons");
  const QString split = root.filePath("resources/split");
  if (!QDir().mkpath(buttons) || !QDir().mkpath(split)) {
    std::fprintf(stderr, "cannot create the resource folders under %s\n", qPrintable(root.path()));
    return 1;
  }
  bool ok = true;
  for (int scale : {1, 2}) {
    const QString at = scale == 1 ? QString() : QStringLiteral("@%1x").arg(scale);
    // Released faces end in "A", pressed ones in "B"; "1" is on white, "2" on gray.
    ok &= save(asFewColours(buttonFace(kGrayGround, false, scale)), buttons + "/BUTTON2A" + at + ".png");
    ok &= save(asFewColours(buttonFace(Qt::white, false, scale)), buttons + "/BUTTON1A" + at + ".png");
    ok &= save(asFewColours(buttonFace(kGrayGround, true, scale)), buttons + "/BUTTON2B" + at + ".png");
    ok &= save(asFewColours(buttonFace(Qt::white, true, scale)), buttons + "/BUTTON1B" + at + ".png");

    ok &= save(art::paintTangledFigure(scale), split + "/Image1" + at + ".png");
    ok &= save(art::paintAddGlyph(scale), split + "/AddFiles" + at + ".png");
    ok &= save(art::paintDeleteGlyph(scale), split + "/DeleteFiles" + at + ".png");
    ok &= save(art::paintCancelGlyph(scale), split + "/Cancel" + at + ".png");
  }
  return ok ? 0 : 1;
}
