// The shared drawing procedures, on QImage pixels and QPainter: the transparent
// blit, the recolouring of glyphs, the triangle mark, the 3-D frame and the
// screen depth.
#include "controls/bi_procs.h"

#include <QGuiApplication>
#include <QPainter>
#include <QPalette>
#include <QScreen>
#include <atomic>
#include <optional>

namespace parvex {
namespace {

std::atomic<std::uint8_t> screenBitsOverride{0};

QRgb SystemColour(int index) {
  const QPalette palette = QGuiApplication::palette();
  auto role = [&](QPalette::ColorRole r) { return palette.color(QPalette::Active, r).rgb(); };
  // The system colour numbers, matched with the palette roles that play their parts.
  switch (index) {
    case 0: return role(QPalette::Button);                   // scroll bar
    case 1: return role(QPalette::Dark);                     // desktop
    case 2: return role(QPalette::Highlight);                // active caption
    case 3: return palette.color(QPalette::Inactive, QPalette::Dark).rgb();
    case 4: return role(QPalette::Window);                   // menu
    case 5: return role(QPalette::Base);                     // window
    case 6: return role(QPalette::Shadow);                   // window frame
    case 7: return role(QPalette::WindowText);               // menu text
    case 8: return role(QPalette::Text);                     // window text
    case 9: return role(QPalette::HighlightedText);          // caption text
    case 10:
    case 11: return role(QPalette::Window);                  // borders
    case 12: return role(QPalette::Mid);                     // application workspace
    case 13: return role(QPalette::Highlight);
    case 14: return role(QPalette::HighlightedText);
    case 15: return role(QPalette::Button);                  // button face
    case 16: return role(QPalette::Dark);                    // button shadow
    case 17: return palette.color(QPalette::Disabled, QPalette::Text).rgb();
    case 18: return role(QPalette::ButtonText);
    case 19: return palette.color(QPalette::Inactive, QPalette::Light).rgb();
    case 20: return role(QPalette::Light);                   // button highlight
    case 21: return role(QPalette::Shadow);                  // 3-D dark shadow
    case 22: return role(QPalette::Midlight);                // 3-D light
    case 23: return role(QPalette::ToolTipText);
    case 24: return role(QPalette::ToolTipBase);
    default: return qRgb(0, 0, 0);
  }
}

// The pixels of the part (of size w x h, at its place in the bitmap) laid onto
// W x H; source pixels outside the bitmap and pixels of the key colour come out
// fully transparent, so that drawing the result leaves the destination there.
QImage StretchedPart(const QImage& bitmap, TRect part, int W, int H, std::optional<QRgb> key) {
  const QImage source = bitmap.format() == QImage::Format_RGB32 || bitmap.format() == QImage::Format_ARGB32
                            ? bitmap
                            : bitmap.convertToFormat(QImage::Format_RGB32);
  const int w = RectWidth(part);
  const int h = RectHeight(part);
  QImage work(W, H, QImage::Format_ARGB32);
  for (int j = 0; j < H; ++j) {
    const int sy = part.Top + int(std::int64_t(j) * h / H);
    auto* out = reinterpret_cast<QRgb*>(work.scanLine(j));
    const bool rowInside = sy >= 0 && sy < source.height();
    const auto* in = rowInside ? reinterpret_cast<const QRgb*>(source.constScanLine(sy)) : nullptr;
    for (int i = 0; i < W; ++i) {
      const int sx = part.Left + int(std::int64_t(i) * w / W);
      if (!in || sx < 0 || sx >= source.width()) {
        out[i] = 0;
        continue;
      }
      const QRgb pixel = in[sx] | 0xFF000000u;
      out[i] = key && (pixel & 0xFFFFFF) == (*key & 0xFFFFFF) ? 0 : pixel;
    }
  }
  return work;
}

void DrawPart(QPainter& canvas, const QImage& bitmap, int X, int Y, int W, int H, TRect part,
              std::optional<QRgb> key) {
  if (RectWidth(part) <= 0 || RectHeight(part) <= 0) return;
  if (W == 0 || H == 0) {
    W = RectWidth(part);
    H = RectHeight(part);
  }
  if (W < 0 || H < 0) return;
  const QImage work = StretchedPart(bitmap, part, W, H, key);
  canvas.save();
  canvas.setCompositionMode(QPainter::CompositionMode_SourceOver);
  canvas.setOpacity(1.0);
  canvas.setRenderHint(QPainter::SmoothPixmapTransform, false);
  canvas.drawImage(X, Y, work);
  canvas.restore();
}

bool IsEmpty(const TRect& r) { return RectWidth(r) <= 0 || RectHeight(r) <= 0; }

}  // namespace

QRgb ColorToRGB(TColor colour) {
  if (colour & kSystemColour) return SystemColour(int(colour & 0xFF));
  return qRgb(int(colour & 0xFF), int(colour >> 8 & 0xFF), int(colour >> 16 & 0xFF));
}

TColor BitmapTransparentColour(const QImage& bitmap) {
  if (bitmap.isNull() || bitmap.width() <= 0 || bitmap.height() <= 0) return clNone;
  if (bitmap.depth() == 1) return clWhite;
  return FromQRgb(bitmap.pixel(0, bitmap.height() - 1));
}

void BlitTransparent(QPainter& destination, const QImage& sourceBitmap, int X, int Y, int W, int H,
                     TRect source, QRgb colour) {
  if (sourceBitmap.isNull()) return;
  const int BW = sourceBitmap.width();
  const int BH = sourceBitmap.height();
  TRect part{0, 0, BW, BH};
  if (!IsEmpty(source)) {
    part = source;
    part.Right = Smaller(part.Right, BW);
    part.Bottom = Smaller(part.Bottom, BH);
  }
  DrawPart(destination, sourceBitmap, X, Y, W, H, part, colour);
}

void DrawBitmapRect(QPainter& canvas, int X, int Y, int W, int H, TRect source, const QImage& bitmap,
                    TColor transparentColour) {
  if (bitmap.isNull()) return;
  if (transparentColour == clNone) {
    const TRect part = IsEmpty(source) ? TRect{0, 0, bitmap.width(), bitmap.height()} : source;
    DrawPart(canvas, bitmap, X, Y, W, H, part, std::nullopt);
    return;
  }
  BlitTransparent(canvas, bitmap, X, Y, W, H, source, ColorToRGB(transparentColour & ~kPaletteRelative));
}

void DrawBitmap(QPainter& canvas, int X, int Y, const QImage& bitmap, TColor transparentColour) {
  DrawBitmapRect(canvas, X, Y, 0, 0, TRect{}, bitmap, transparentColour);
}

void RecolourGlyph(QImage& bitmap, TColor light, TColor dark) {
  if (bitmap.isNull() || std::int64_t(bitmap.width()) * bitmap.height() > 10000) return;
  if (bitmap.format() != QImage::Format_RGB32) bitmap = bitmap.convertToFormat(QImage::Format_RGB32);
  const QRgb background = bitmap.pixel(0, 0) & 0xFFFFFF;
  const QRgb lightRgb = ColorToRGB(light);
  const QRgb darkRgb = ColorToRGB(dark);
  for (int y = 0; y < bitmap.height(); ++y) {
    auto* row = reinterpret_cast<QRgb*>(bitmap.scanLine(y));
    for (int x = 0; x < bitmap.width(); ++x) {
      const QRgb pixel = row[x] & 0xFFFFFF;
      if (pixel == background) continue;
      const int sum = qRed(pixel) + qGreen(pixel) + qBlue(pixel);
      if (sum > 550)
        row[x] = qRgb(255, 255, 255);
      else if (sum > 250)
        row[x] = lightRgb;
      else if (sum > 60)
        row[x] = darkRgb;
      else
        row[x] = qRgb(0, 0, 0);
    }
  }
}

void DrawTriangleMark(QPainter& canvas, int X, int Y) {
  const QColor colour = canvas.pen().color();
  canvas.setBrush(colour);
  canvas.fillRect(X, Y, 4, 1, colour);
  canvas.fillRect(X + 1, Y + 1, 2, 1, colour);
  canvas.fillRect(X + 2, Y + 2, 1, 1, colour);
}

std::uint8_t ScreenColourBits() {
  if (const std::uint8_t bits = screenBitsOverride.load()) return bits;
  const QScreen* screen = QGuiApplication::primaryScreen();
  return std::uint8_t(screen ? screen->depth() : 24);
}

void OverrideScreenColourBits(std::uint8_t bits) { screenBitsOverride.store(bits); }

namespace {

enum Sides { kTopLeft, kBottomRight };

// One edge of one pixel along two sides of r, in the way the platform draws
// a single border: full-length lines (top and left, or bottom and right).
void Edge(QPainter& canvas, const TRect& r, Sides sides, QRgb colour) {
  const int w = RectWidth(r);
  const int h = RectHeight(r);
  if (w <= 0 || h <= 0) return;
  const QColor c = QColor::fromRgb(colour);
  if (sides == kTopLeft) {
    canvas.fillRect(r.Left, r.Top, w, 1, c);
    canvas.fillRect(r.Left, r.Top, 1, h, c);
  } else {
    canvas.fillRect(r.Left, r.Bottom - 1, w, 1, c);
    canvas.fillRect(r.Right - 1, r.Top, 1, h, c);
  }
}

}  // namespace

void DrawFrame3D(QPainter& canvas, TRect r, bool sunken) {
  canvas.setBrush(Qt::NoBrush);
  const QRgb darkShadow = ColorToRGB(cl3DDkShadow);
  const QRgb highlight = ColorToRGB(clBtnHighlight);
  const QRgb shadow = ColorToRGB(clBtnShadow);
  if (sunken) {
    Edge(canvas, r, kTopLeft, darkShadow);    // inner-sunken, top and left
    Edge(canvas, r, kBottomRight, highlight);  // outer-sunken, bottom and right
    r = {r.Left + 1, r.Top + 1, r.Right - 1, r.Bottom - 1};
    Edge(canvas, r, kTopLeft, shadow);        // outer-sunken, top and left
  } else {
    Edge(canvas, r, kBottomRight, darkShadow);  // outer-raised, bottom and right
    r.Right -= 1;
    r.Bottom -= 1;
    Edge(canvas, r, kTopLeft, highlight);      // inner-raised, top and left
    r.Left += 1;
    r.Top += 1;
    Edge(canvas, r, kBottomRight, shadow);     // inner-raised, bottom and right
  }
}

}  // namespace parvex
