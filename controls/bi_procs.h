// Small drawing procedures that our own controls share: a bitmap drawn with one
// colour left out (whole or in part, at natural size or stretched), a glyph
// recoloured by brightness, a tiny triangle, a two-ring 3-D frame, the screen's
// colour depth, and the colour values these work with.
//
// Colours are 32-bit values $00BBGGRR; with the top bit set the low byte names a
// system colour, resolved against the application's palette where it is drawn.
// The procedures keep no state between calls. Thread-safety: user-interface
// thread only (they read the application palette and the screen).
#pragma once

#include <QImage>
#include <QRect>
#include <QRgb>
#include <cstdint>

class QPainter;

namespace parvex {

using TColor = std::uint32_t;

constexpr TColor clNone = 0x1FFFFFFF;  // no colour: nothing is transparent
constexpr TColor kPaletteRelative = 0x02000000;  // a flag some colour sources set; ignored when drawing
constexpr TColor kSystemColour = 0x80000000;

constexpr TColor RGBColour(int red, int green, int blue) {
  return TColor(red & 0xFF) | TColor(green & 0xFF) << 8 | TColor(blue & 0xFF) << 16;
}

constexpr TColor clBlack = RGBColour(0, 0, 0);
constexpr TColor clWhite = RGBColour(255, 255, 255);
constexpr TColor clSilver = RGBColour(192, 192, 192);
constexpr TColor clGray = RGBColour(128, 128, 128);
constexpr TColor clRed = RGBColour(255, 0, 0);
constexpr TColor clBtnFace = kSystemColour | 15;
constexpr TColor clBtnShadow = kSystemColour | 16;
constexpr TColor clBtnText = kSystemColour | 18;
constexpr TColor clBtnHighlight = kSystemColour | 20;
constexpr TColor cl3DDkShadow = kSystemColour | 21;
constexpr TColor cl3DLight = kSystemColour | 22;
constexpr TColor clWindow = kSystemColour | 5;
constexpr TColor clWindowText = kSystemColour | 8;

// The colour as plain RGB (opaque): system colours become their current palette
// values (button face, shadow, highlight, dark shadow, light, window, text...);
// flags above the 24 colour bits are ignored. An unknown system colour is black.
QRgb ColorToRGB(TColor colour);
inline QColor ToQColor(TColor colour) { return QColor::fromRgb(ColorToRGB(colour)); }
constexpr TColor FromQRgb(QRgb rgb) { return RGBColour(qRed(rgb), qGreen(rgb), qBlue(rgb)); }

// Left, Top, Right, Bottom, right and bottom exclusive (unlike QRect).
struct TRect {
  int Left = 0;
  int Top = 0;
  int Right = 0;
  int Bottom = 0;
  friend bool operator==(const TRect&, const TRect&) = default;
};
constexpr TRect Bounds(int left, int top, int width, int height) {
  return {left, top, left + width, top + height};
}

constexpr int RectWidth(const TRect& r) { return r.Right - r.Left; }
constexpr int RectHeight(const TRect& r) { return r.Bottom - r.Top; }
constexpr int Larger(int a, int b) { return a > b ? a : b; }
constexpr int Smaller(int a, int b) { return a < b ? a : b; }
constexpr int BoolToInt(bool value) { return value ? 1 : 0; }

// The transparent colour a bitmap carries when none is set: its bottom-left
// pixel, white for a one-bit bitmap; clNone for an empty one.
TColor BitmapTransparentColour(const QImage& bitmap);

// The mask technique, done on pixels: draws the part Source of SourceBitmap at
// (X, Y), stretched to W x H (0 for either: the part's own size), leaving the
// destination unchanged wherever the source pixel's RGB equals Colour.
// - An empty Source (width or height 0 or less) means the whole bitmap. Source
//   is cut at the bitmap's right and bottom edges; pixels of it left of or above
//   the bitmap leave the destination unchanged; a Source lying right of or
//   below the bitmap, or a negative W or H, draws nothing.
// - Stretching takes, for destination pixel (i, j), the part's pixel
//   (i * w / W, j * h / H): pixels are repeated when enlarging and left out when
//   shrinking. Only the W x H destination area is ever written, also when the
//   part is larger.
// - The source bitmap is not changed.
void BlitTransparent(QPainter& destination, const QImage& sourceBitmap, int X, int Y, int W, int H,
                     TRect source, QRgb colour);

// Draws Bitmap, or the part Source of it (an empty Source: all of it), at
// (X, Y); stretched to W x H when both are non-zero. With TransparentColour
// clNone every pixel is drawn; with a colour (system colours resolved, the
// palette-relative flag ignored) the pixels of that colour leave the
// destination as it was.
void DrawBitmapRect(QPainter& canvas, int X, int Y, int W, int H, TRect source, const QImage& bitmap,
                    TColor transparentColour);
// The whole bitmap at its natural size.
void DrawBitmap(QPainter& canvas, int X, int Y, const QImage& bitmap, TColor transparentColour);

// Recolours a small glyph in place by the brightness S = red + green + blue of
// each pixel that differs from the pixel at (0, 0): S > 550 white, 250 < S <= 550
// Light, 60 < S <= 250 Dark, else black. Bitmaps of more than 10000 pixels stay
// as they are. The result keeps the bitmap's size (in 32-bit RGB).
void RecolourGlyph(QImage& bitmap, TColor light, TColor dark);

// A small filled triangle pointing down, in the canvas's text (pen) colour: its
// corners (X, Y), (X + 3, Y), (X + 2, Y + 2) cover the pixels X..X+3 of row Y,
// X+1..X+2 of row Y + 1 and X + 2 of row Y + 2. The brush takes that colour too.
void DrawTriangleMark(QPainter& canvas, int X, int Y);

// Bits per pixel of the screen (the primary screen's depth; 24 when there is
// none), as a byte.
std::uint8_t ScreenColourBits();
// Makes ScreenColourBits answer `bits` (0 asks the screen again). For tests and
// for looking at low-colour painting on a true-colour display.
void OverrideScreenColourBits(std::uint8_t bits);

// Two rings of one-pixel edges in the platform's edge colours (dark shadow,
// highlight, shadow; the callers cannot choose them). Sunken: the outer ring
// dark shadow at top and left, highlight at bottom and right, and inside it
// shadow at top and left. Raised: highlight at top and left and dark shadow at
// bottom and right outermost, and shadow at bottom and right inside that. The
// canvas's brush becomes clear.
void DrawFrame3D(QPainter& canvas, TRect r, bool sunken);

}  // namespace parvex
