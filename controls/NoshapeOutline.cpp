// Outline generation and composition for the hot-spot button, on QImage pixels
// with the raster operations the button was designed around.
#include "controls/NoshapeOutline.h"

#include <array>
#include <span>

namespace parvex::noshape {
namespace {

struct Offset {
  int dx, dy;
};

// Side A of each level lies right of and below the shape, side B left and above.
constexpr std::array<Offset, 5> kLevel1A{{{1, -1}, {1, 0}, {1, 1}, {0, 1}, {-1, 1}}};
constexpr std::array<Offset, 3> kLevel1B{{{-1, 0}, {-1, -1}, {0, -1}}};
constexpr std::array<Offset, 9> kLevel2A{
    {{2, -2}, {2, -1}, {2, 0}, {2, 1}, {2, 2}, {1, 2}, {0, 2}, {-1, 2}, {-2, 2}}};
constexpr std::array<Offset, 7> kLevel2B{
    {{-2, 1}, {-2, 0}, {-2, -1}, {-2, -2}, {-1, -2}, {0, -2}, {1, -2}}};

constexpr QRgb kBlack = 0xFF000000;

QImage NewMask(QSize size) {
  QImage mask(size, QImage::Format_Mono);
  mask.setColorTable({qRgb(0, 0, 0), qRgb(255, 255, 255)});
  return mask;
}

// dst(x + dx, y + dy) &= src(x, y): the source's shape, moved, blackens dst.
void AndShifted(QImage& dst, const QImage& src, int dx, int dy) {
  for (int y = 0; y < src.height(); ++y) {
    const int ty = y + dy;
    if (ty < 0 || ty >= dst.height()) continue;
    for (int x = 0; x < src.width(); ++x) {
      const int tx = x + dx;
      if (tx < 0 || tx >= dst.width()) continue;
      if (src.pixelIndex(x, y) == 0) dst.setPixel(tx, ty, 0);
    }
  }
}

// Paints one side of one level: the union of the source's shape moved by each
// offset, less the snapshot's shape, gets the side's colour.
void PaintSide(QImage& d, const QImage& sourceMask, const QImage& snapshotMask,
               std::span<const Offset> offsets, QRgb colour, int scale) {
  QImage combined = snapshotMask.copy();
  for (const Offset& o : offsets) AndShifted(combined, sourceMask, o.dx * scale, o.dy * scale);
  // Source OR NOT destination, with the snapshot's mask as destination: black
  // exactly on the moved shapes outside the snapshot's shape.
  QImage outline = NewMask(d.size());
  for (int y = 0; y < d.height(); ++y)
    for (int x = 0; x < d.width(); ++x)
      outline.setPixel(x, y, combined.pixelIndex(x, y) | (1 - snapshotMask.pixelIndex(x, y)));
  // D AND outline clears the outline's pixels; OR with the side's colour there
  // (pattern AND NOT outline) fills them.
  for (int y = 0; y < d.height(); ++y) {
    auto* row = reinterpret_cast<QRgb*>(d.scanLine(y));
    for (int x = 0; x < d.width(); ++x)
      if (outline.pixelIndex(x, y) == 0) row[x] = colour | kBlack;
  }
}

}  // namespace

QRgb KeyColour(const QImage& picture) {
  if (picture.depth() == 1) return qRgb(255, 255, 255);
  return picture.pixel(0, picture.height() - 1);
}

QImage KeyMask(const QImage& image, QRgb key) {
  QImage mask = NewMask(image.size());
  for (int y = 0; y < image.height(); ++y)
    for (int x = 0; x < image.width(); ++x) mask.setPixel(x, y, IsKey(image.pixel(x, y), key) ? 1 : 0);
  return mask;
}

QImage AndMasks(const QImage& a, const QImage& b) {
  QImage result = a.copy();
  AndShifted(result, b, 0, 0);
  return result;
}

QImage GenerateOutline(const QImage& source, TOutlineKind kind, QRgb highlight, QRgb shadow, int scale) {
  const QRgb key = KeyColour(source);
  const QImage sourceMask = KeyMask(source, key);
  QImage d = source.convertToFormat(QImage::Format_RGB32);

  const bool released = kind == okReleased;
  // Level 1: the bevel, lit from the top left when released, from the bottom
  // right when pressed.
  {
    const QImage snapshot = KeyMask(d, key);
    PaintSide(d, sourceMask, snapshot, kLevel1A, released ? shadow : highlight, scale);
    PaintSide(d, sourceMask, snapshot, kLevel1B, released ? highlight : shadow, scale);
  }
  // Level 2: the black ring; a pressed button keeps only its upper-left half.
  // Both sides of a level are measured against the same snapshot, so where
  // they meet the side painted last, B, wins.
  {
    const QImage snapshot = KeyMask(d, key);
    if (released) PaintSide(d, sourceMask, snapshot, kLevel2A, kBlack, scale);
    PaintSide(d, sourceMask, snapshot, kLevel2B, kBlack, scale);
  }
  return d;
}

QImage Foreground(const QImage& rendering, QRgb key, QSize size, bool down, int scale) {
  QImage out(size, QImage::Format_ARGB32);
  out.fill(Qt::transparent);
  const int shift = down ? scale : 0;
  const QImage image = rendering.convertToFormat(QImage::Format_RGB32);
  for (int y = 0; y < image.height(); ++y) {
    const int ty = y + shift;
    if (ty >= size.height()) break;
    const auto* in = reinterpret_cast<const QRgb*>(image.constScanLine(y));
    auto* row = reinterpret_cast<QRgb*>(out.scanLine(ty));
    for (int x = 0; x < image.width() && x + shift < size.width(); ++x)
      if (!IsKey(in[x], key)) row[x + shift] = in[x] | kBlack;
  }
  return out;
}

}  // namespace parvex::noshape
