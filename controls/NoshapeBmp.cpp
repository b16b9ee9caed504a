// Reading and writing Windows bitmap files on QImage pixels.
#include "controls/NoshapeBmp.h"

#include <cstdint>
#include <string>

#include "base/Exception.h"

namespace parvex::bmp {
namespace {

// BITMAPFILEHEADER: "BM", u32 file size, 2 x u16 reserved, u32 offset of the pixels.
constexpr qint64 kFileHeaderSize = 14;
// BITMAPCOREHEADER: u32 size, u16 width, u16 height, u16 planes, u16 bit count.
constexpr quint32 kCoreHeaderSize = 12;
// BITMAPINFOHEADER: u32 size, s32 width, s32 height, u16 planes, u16 bit count,
// u32 compression, u32 image size, s32 x/y pixels per metre, u32 colours used,
// u32 colours important. The V2..V5 headers only append fields.
constexpr quint32 kInfoHeaderSize = 40;
constexpr quint32 kBiRgb = 0;

[[noreturn]] void Fail(const std::string& why) { throw Exception("Invalid bitmap: " + why); }

quint32 U32(const QByteArray& b, qint64 at) {
  const auto* p = reinterpret_cast<const unsigned char*>(b.constData()) + at;
  return quint32(p[0]) | quint32(p[1]) << 8 | quint32(p[2]) << 16 | quint32(p[3]) << 24;
}
quint16 U16(const QByteArray& b, qint64 at) {
  const auto* p = reinterpret_cast<const unsigned char*>(b.constData()) + at;
  return quint16(p[0] | p[1] << 8);
}

void Put16(QByteArray& b, quint16 v) {
  b.append(char(v & 0xFF));
  b.append(char(v >> 8));
}
void Put32(QByteArray& b, quint32 v) {
  for (int i = 0; i < 4; ++i) b.append(char((v >> (8 * i)) & 0xFF));
}

qint64 RowStride(qint64 width, int bits) { return ((width * bits + 31) / 32) * 4; }

}  // namespace

QImage Decode(const QByteArray& bytes) {
  const qint64 size = bytes.size();
  if (size < kFileHeaderSize + 4) Fail("file header truncated");
  if (bytes[0] != 'B' || bytes[1] != 'M') Fail("signature is not \"BM\"");
  const quint32 declaredSize = U32(bytes, 2);
  if (declaredSize > size) Fail("file size field exceeds the data present");
  const qint64 pixelOffset = U32(bytes, 10);

  const quint32 headerSize = U32(bytes, kFileHeaderSize);
  const bool core = headerSize == kCoreHeaderSize;
  if (!core && headerSize != kInfoHeaderSize && headerSize != 52 && headerSize != 56 &&
      headerSize != 108 && headerSize != 124)
    Fail("unknown info header size " + std::to_string(headerSize));
  if (kFileHeaderSize + headerSize > size) Fail("info header truncated");

  qint64 width, height;
  int planes, bits;
  quint32 compression = kBiRgb, coloursUsed = 0;
  if (core) {
    width = U16(bytes, 18);
    height = U16(bytes, 20);
    planes = U16(bytes, 22);
    bits = U16(bytes, 24);
  } else {
    width = qint32(U32(bytes, 18));
    height = qint32(U32(bytes, 22));
    planes = U16(bytes, 26);
    bits = U16(bytes, 28);
    compression = U32(bytes, 30);
    coloursUsed = U32(bytes, 46);
  }
  const bool topDown = height < 0;
  if (topDown) height = -height;
  if (width <= 0 || height <= 0) Fail("width or height is not positive");
  if (width > kMaxDimension || height > kMaxDimension) Fail("width or height too large");
  if (planes != 1) Fail("plane count is not 1");
  if (bits != 1 && bits != 4 && bits != 8 && bits != 24 && bits != 32)
    Fail("unsupported bit count " + std::to_string(bits));
  if (compression != kBiRgb) Fail("compressed bitmaps are not supported");

  // The palette follows the header directly.
  QList<QRgb> palette;
  if (bits <= 8) {
    const quint32 maxColours = 1u << bits;
    const quint32 count = coloursUsed == 0 ? maxColours : coloursUsed;
    if (count > maxColours) Fail("palette larger than the bit count allows");
    const qint64 entrySize = core ? 3 : 4;
    const qint64 at = kFileHeaderSize + headerSize;
    if (at + entrySize * count > size) Fail("palette truncated");
    if (at + entrySize * count > pixelOffset) Fail("palette overlaps the pixel data");
    for (quint32 i = 0; i < count; ++i) {
      const auto* p = reinterpret_cast<const unsigned char*>(bytes.constData()) + at + entrySize * i;
      palette.append(qRgb(p[2], p[1], p[0]));
    }
  } else if (pixelOffset < kFileHeaderSize + headerSize) {
    Fail("pixel data overlaps the headers");
  }

  const qint64 stride = RowStride(width, bits);
  if (pixelOffset > size || stride * height > size - pixelOffset) Fail("pixel data truncated");

  const int w = int(width), h = int(height);
  QImage image(w, h, bits == 1 ? QImage::Format_Mono
                     : bits <= 8 ? QImage::Format_Indexed8 : QImage::Format_RGB32);
  if (image.isNull()) Fail("out of memory for the pixels");
  const auto rowAt = [&](int y) {
    return reinterpret_cast<const unsigned char*>(bytes.constData()) + pixelOffset +
           stride * (topDown ? y : h - 1 - y);
  };
  if (bits == 1) {
    while (palette.size() < 2) palette.append(qRgb(0, 0, 0));
    image.setColorTable(palette);
  } else if (bits <= 8) {
    const int used = int(palette.size());
    // An index past the palette reads as black: give it an entry of its own.
    if (used < (1 << bits)) palette.append(qRgb(0, 0, 0));
    image.setColorTable(palette);
    for (int y = 0; y < h; ++y) {
      const unsigned char* row = rowAt(y);
      uchar* out = image.scanLine(y);
      for (int x = 0; x < w; ++x) {
        const int index = bits == 8 ? row[x] : (x % 2 == 0 ? row[x / 2] >> 4 : row[x / 2] & 0x0F);
        out[x] = uchar(index < used ? index : used);
      }
    }
    return image;
  }

  const int bytesPerPixel = bits / 8;
  for (int y = 0; y < h; ++y) {
    const unsigned char* row = rowAt(y);
    if (bits == 1) {
      for (int x = 0; x < w; ++x) image.setPixel(x, y, (row[x / 8] >> (7 - x % 8)) & 1);
      continue;
    }
    auto* out = reinterpret_cast<QRgb*>(image.scanLine(y));
    for (int x = 0; x < w; ++x) {
      const unsigned char* p = row + bytesPerPixel * x;
      out[x] = qRgb(p[2], p[1], p[0]);
    }
  }
  return image;
}

QByteArray Encode(const QImage& source) {
  int bits = 24;
  QImage image = source;
  QList<QRgb> palette;
  if (image.format() == QImage::Format_Mono || image.format() == QImage::Format_MonoLSB) {
    bits = 1;
    image = image.convertToFormat(QImage::Format_Mono);
    palette = image.colorTable();
    while (palette.size() < 2) palette.append(qRgb(palette.isEmpty() ? 0 : 255, 255, 255));
  } else if (image.format() == QImage::Format_Indexed8 && image.colorCount() <= 256) {
    bits = 8;
    palette = image.colorTable();
    while (palette.size() < 2) palette.append(qRgb(0, 0, 0));
  } else {
    image = image.convertToFormat(QImage::Format_RGB32);
  }

  const int w = image.width(), h = image.height();
  const quint32 stride = quint32(RowStride(w, bits));
  const quint32 offset = quint32(kFileHeaderSize + kInfoHeaderSize + 4 * palette.size());
  const quint32 fileSize = offset + stride * quint32(h);

  QByteArray out;
  out.reserve(int(fileSize));
  out.append("BM");
  Put32(out, fileSize);
  Put32(out, 0);
  Put32(out, offset);
  Put32(out, kInfoHeaderSize);
  Put32(out, quint32(w));
  Put32(out, quint32(h));
  Put16(out, 1);
  Put16(out, quint16(bits));
  Put32(out, kBiRgb);
  Put32(out, stride * quint32(h));
  Put32(out, 0);
  Put32(out, 0);
  Put32(out, quint32(palette.size()));
  Put32(out, 0);
  for (QRgb c : palette) {
    out.append(char(qBlue(c)));
    out.append(char(qGreen(c)));
    out.append(char(qRed(c)));
    out.append('\0');
  }
  for (int y = h - 1; y >= 0; --y) {
    QByteArray row(int(stride), '\0');
    if (bits == 1) {
      for (int x = 0; x < w; ++x)
        if (image.pixelIndex(x, y)) row[x / 8] = char(row[x / 8] | (0x80 >> (x % 8)));
    } else if (bits == 8) {
      const uchar* in = image.constScanLine(y);
      for (int x = 0; x < w; ++x) row[x] = char(in[x]);
    } else {
      const auto* in = reinterpret_cast<const QRgb*>(image.constScanLine(y));
      for (int x = 0; x < w; ++x) {
        row[3 * x] = char(qBlue(in[x]));
        row[3 * x + 1] = char(qGreen(in[x]));
        row[3 * x + 2] = char(qRed(in[x]));
      }
    }
    out.append(row);
  }
  return out;
}

}  // namespace parvex::bmp
