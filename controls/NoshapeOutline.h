// The pixel work of the hot-spot button: key-colour masks, the bevelled outline
// drawn around a picture's shape for the released and pressed renderings, and
// the composition of a rendering over what lies beneath the button.
//
// Masks are one-bit QImages (Format_Mono) whose colour index 1 is white: white
// where the pixel has the key colour, black (0) inside the shape.
#pragma once

#include <QImage>
#include <QSize>

namespace parvex::noshape {

enum TOutlineKind { okReleased, okPressed };

// The colour a picture treats as transparent: its bottom-left pixel, or white
// for a one-bit picture. REQUIRES: !picture.isNull().
QRgb KeyColour(const QImage& picture);

// True when c and key name the same red, green and blue.
inline bool IsKey(QRgb c, QRgb key) { return ((c ^ key) & 0xFFFFFF) == 0; }

// White (1) where image has the key colour, black (0) elsewhere.
QImage KeyMask(const QImage& image, QRgb key);

// a AND b over the part where both exist; the rest of a stays as it is.
QImage AndMasks(const QImage& a, const QImage& b);

// The rendering of source of the given kind (Format_RGB32, same size): the
// picture with, around its shape, a one-pixel edge on level 1 and a black
// ring on level 2. Released: highlight above and left, shadow below and right,
// the black ring all round. Pressed: shadow above and left, highlight below and
// right, the black ring only above and left. Pixels that fall outside the
// picture are dropped. With `scale` 2 (a picture drawn at twice its size for
// scaled screens) every offset doubles, so the edges and the ring come out
// as wide, in the button's own pixels, as at scale 1.
// REQUIRES: !source.isNull(), scale >= 1.
QImage GenerateOutline(const QImage& source, TOutlineKind kind, QRgb highlight, QRgb shadow, int scale = 1);

// What the button puts over its background, as an image of `size`: the
// rendering at (shift, shift) when down (shift is `scale`: one pixel of the
// button), at (0, 0) otherwise, opaque where its pixel is not the key colour
// and fully transparent elsewhere (including the strip that the offset
// uncovers).
QImage Foreground(const QImage& rendering, QRgb key, QSize size, bool down, int scale = 1);

}  // namespace parvex::noshape
