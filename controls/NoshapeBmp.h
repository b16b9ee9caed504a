// Windows bitmap files (".bmp", beginning with "BM"): the byte form in which the
// hot-spot renderings and the shaped window's picture travel as stored data.
// Reading checks every header field against the bytes present before it
// touches a pixel, so a truncated or lying file fails with a reason instead of
// reading past its end.
#pragma once

#include <QByteArray>
#include <QImage>

namespace parvex::bmp {

// Largest width or height accepted when reading; a header naming more is
// treated as corrupt rather than allocated.
inline constexpr int kMaxDimension = 16384;

// Decodes a bitmap file: uncompressed 1, 4, 8, 24 or 32 bits per pixel, with a
// core (12-byte) or info (40-byte and later) header, bottom-up or top-down.
// Returns Format_Mono for 1 bit, Format_Indexed8 for 4 and 8 bits (palette
// kept), Format_RGB32 otherwise. Palette indices beyond the palette read as black.
// Throws parvex::Exception naming the faulty field when the bytes are not such
// a file: bad signature, truncated headers, palette or pixel rows, impossible
// sizes, unsupported depth or compression.
QImage Decode(const QByteArray& bytes);

// Encodes an image as a bitmap file with a 40-byte info header, bottom-up:
// Format_Mono/MonoLSB as 1 bit, Format_Indexed8 as 8 bits with its palette
// (padded to at least 2 entries), everything else as 24 bits (alpha dropped).
// REQUIRES: !image.isNull().
QByteArray Encode(const QImage& image);

}  // namespace parvex::bmp
