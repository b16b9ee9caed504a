// Encoding and decoding of the "Mask2" window-outline payload.
#include "controls/CoolFormMask2.h"

#include <climits>
#include <string>
#include <vector>

#include "base/Exception.h"

namespace parvex::mask2 {
namespace {

constexpr QRgb kKeyGreen = 0x00FF00;

quint32 U32(const QByteArray& b, qint64 at) {
  const auto* p = reinterpret_cast<const unsigned char*>(b.constData()) + at;
  return quint32(p[0]) | quint32(p[1]) << 8 | quint32(p[2]) << 16 | quint32(p[3]) << 24;
}
qint32 S32(const QByteArray& b, qint64 at) { return qint32(U32(b, at)); }

void Put32(QByteArray& b, quint32 v) {
  for (int i = 0; i < 4; ++i) b.append(char((v >> (8 * i)) & 0xFF));
}

// ExtCreateRegion takes the union of the listed rectangles, in whatever order
// and overlap they come. Uniting pairwise in a tree keeps that affordable for a
// long hostile list, where uniting one by one would be quadratic.
QRegion UnionOf(std::vector<QRegion> parts) {
  if (parts.empty()) return QRegion();
  while (parts.size() > 1) {
    std::vector<QRegion> next;
    next.reserve(parts.size() / 2 + 1);
    for (size_t i = 0; i + 1 < parts.size(); i += 2) next.push_back(parts[i].united(parts[i + 1]));
    if (parts.size() % 2) next.push_back(parts.back());
    parts.swap(next);
  }
  return parts.front();
}

bool IsKey(QRgb c) { return (c & 0xFFFFFF) == kKeyGreen; }

}  // namespace

bool IsFringeGrey(QRgb c) {
  const int r = qRed(c);
  return r == qGreen(c) && r == qBlue(c) && r >= 222 && r <= 247;
}

Decoded Decode(const QByteArray& payload) {
  const qint64 size = payload.size();
  if (size < kCountSize)
    throw Exception("Invalid window region: " + std::to_string(size) +
                    " bytes, too short for the 4-byte count");
  const quint32 n = U32(payload, 0);
  if (n == 0) return {};
  if (qint64(n) > size - kCountSize)
    throw Exception("Invalid window region: the count announces " + std::to_string(n) +
                    " bytes of region data, but only " + std::to_string(size - kCountSize) +
                    " follow");

  // From here on the region data is whole; what is wrong inside it only fails
  // to make a region, as it would on Windows.
  const qint64 at = kCountSize;
  if (n < quint32(kHeaderSize) || U32(payload, at) != quint32(kHeaderSize) ||
      U32(payload, at + 4) != kTypeRectangles)
    return {};
  const quint64 count = U32(payload, at + 8);
  if (count * kRectSize > quint64(n) - kHeaderSize) return {};

  std::vector<QRegion> parts;
  parts.reserve(count);
  for (quint64 i = 0; i < count; ++i) {
    const qint64 r = at + kHeaderSize + qint64(i) * kRectSize;
    const qint64 left = S32(payload, r), top = S32(payload, r + 4);
    const qint64 right = S32(payload, r + 8), bottom = S32(payload, r + 12);
    // Empty and inverted rectangles add nothing; widths that overflow an int are
    // no outline anyone drew, and are dropped likewise.
    if (left >= right || top >= bottom || right - left > INT_MAX || bottom - top > INT_MAX) continue;
    parts.emplace_back(QRect(int(left), int(top), int(right - left), int(bottom - top)));
  }
  return {UnionOf(std::move(parts))};
}

QByteArray RegionData(const QRegion& region) {
  QByteArray data;
  const auto count = quint32(region.rectCount());
  data.reserve(int(kHeaderSize + kRectSize * count));
  Put32(data, kHeaderSize);
  Put32(data, kTypeRectangles);
  Put32(data, count);
  Put32(data, kRectSize * count);
  const QRect box = region.boundingRect();
  const auto putRect = [&data](const QRect& r) {
    Put32(data, quint32(r.left()));
    Put32(data, quint32(r.top()));
    Put32(data, quint32(r.left() + r.width()));
    Put32(data, quint32(r.top() + r.height()));
  };
  if (count == 0) {
    for (int i = 0; i < 4; ++i) Put32(data, 0);
  } else {
    putRect(box);
  }
  for (const QRect& r : region) putRect(r);
  return data;
}

QByteArray Encode(const std::optional<QRegion>& region) {
  QByteArray payload;
  if (!region) {
    Put32(payload, 0);
    return payload;
  }
  const QByteArray data = RegionData(*region);
  Put32(payload, quint32(data.size()));
  payload.append(data);
  return payload;
}

QRegion FromKeyedPicture(const QImage& picture) {
  const QImage image = picture.convertToFormat(QImage::Format_RGB32);
  const int w = image.width(), h = image.height();
  const auto at = [&image](int x, int y) {
    return reinterpret_cast<const QRgb*>(image.constScanLine(y))[x];
  };
  const auto keyAt = [&](int x, int y) { return x >= 0 && y >= 0 && x < w && y < h && IsKey(at(x, y)); };
  const auto outside = [&](int x, int y) {
    const QRgb c = at(x, y);
    if (IsKey(c)) return true;
    return IsFringeGrey(c) &&
           (keyAt(x - 1, y) || keyAt(x + 1, y) || keyAt(x, y - 1) || keyAt(x, y + 1));
  };

  // One band per row; uniting them lets QRegion merge identical neighbouring
  // rows, which gives the same rectangle list that GetRegionData would.
  std::vector<QRegion> rows;
  rows.reserve(h);
  for (int y = 0; y < h; ++y) {
    QList<QRect> runs;
    int x = 0;
    while (x < w) {
      while (x < w && outside(x, y)) ++x;
      const int start = x;
      while (x < w && !outside(x, y)) ++x;
      if (x > start) runs.append(QRect(start, y, x - start, 1));
    }
    if (runs.isEmpty()) continue;
    QRegion row;
    row.setRects(runs.constData(), int(runs.size()));
    rows.push_back(row);
  }
  return UnionOf(std::move(rows));
}

}  // namespace parvex::mask2
