// The stored form of a window outline ("Mask2"): a 32-bit byte count followed
// by region data in the rectangle-list layout that Windows' GetRegionData
// writes and ExtCreateRegion reads. Also the derivation of such an outline from
// a picture drawn on a key colour, which the artwork generator uses.
#pragma once

#include <QByteArray>
#include <QImage>
#include <QRegion>

#include <optional>

namespace parvex::mask2 {

// Payload layout, all integers little-endian:
//   u32 N                     byte count of the region data; 0 = no region
//   N bytes of region data:
//     u32 header size (32), u32 type (1 = rectangles), u32 rectangle count R,
//     u32 rectangle list size (16 R), 4 x s32 bounding rectangle,
//     R x (4 x s32 left, top, right, bottom), right and bottom exclusive.
inline constexpr int kCountSize = 4;
inline constexpr int kHeaderSize = 32;
inline constexpr int kRectSize = 16;
inline constexpr quint32 kTypeRectangles = 1;

// What a payload held.
struct Decoded {
  // The outline, or nothing when N was 0 or when the region data cannot make a
  // region (wrong header size or type, more rectangles than bytes). Windows
  // silently leaves such a window uncut, and so does the control.
  std::optional<QRegion> region;
};

// Reads a payload. Bytes after the N announced ones are ignored.
// Throws parvex::Exception when the payload is shorter than its 4-byte count or
// than the N bytes the count announces; nothing past the payload is read.
Decoded Decode(const QByteArray& payload);

// Writes a payload: four zero bytes for no region, otherwise the region's
// rectangles in Y-X banded order (the order QRegion and Windows both keep),
// so N = 32 + 16 R.
QByteArray Encode(const std::optional<QRegion>& region);

// Just the region data (without the count), as GetRegionData would give it.
QByteArray RegionData(const QRegion& region);

// The outline of a picture drawn on the pure green key (RGB 0, 255, 0) with a
// one-pixel light-grey fringe: outside are the key pixels and the grey pixels
// (equal red, green and blue from 222 to 247) that touch a key pixel on one of
// their four sides; every other pixel is inside.
QRegion FromKeyedPicture(const QImage& picture);

// True for the fringe's greys.
bool IsFringeGrey(QRgb colour);

}  // namespace parvex::mask2
