// The main window's picture before it is cut to shape: a bronze ring-shaped
// panel under a plate with the "Parvex" logo, with a groove of lamp sockets
// along the ring's upper arc and recessed pads where the hot-spots sit. Also
// the panel's silhouette (pixel centres tested against the outline, so that
// its edge is aliased) and the positions of the controls placed on it.
#pragma once

#include <QFont>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRect>

#include <algorithm>
#include <array>
#include <cmath>
#include <vector>

namespace gen {

inline constexpr int kPanelWidth = 440;
inline constexpr int kPanelHeight = 270;

// Where the main window puts its controls (after its activation handler ran;
// the Tools hot-spot is designed one pixel lower, at 209).
inline const std::array<QRect, 5> kHotSpots{{
    {40, 144, 55, 69},   // Split & Join
    {248, 208, 32, 32},  // About
    {160, 208, 32, 32},  // Tools
    {280, 112, 34, 33},  // Exit
    {240, 112, 33, 33},  // Minimize
}};
inline const std::array<QRect, 5> kLamps{{
    {104, 120, 15, 15}, {133, 113, 15, 15}, {161, 109, 15, 15}, {191, 106, 15, 15}, {219, 104, 15, 15}}};

// The ring: a superellipse (fuller than an ellipse towards its corners, room
// for the tall disk hot-spot) with an elliptical hole; the logo plate on top.
struct Outline {
  static constexpr double kRingX = 212, kRingY = 166, kRingA = 204, kRingB = 96, kRingPower = 2.6;
  static constexpr double kHoleX = 194, kHoleY = 172, kHoleA = 88, kHoleB = 26;
  static constexpr QRectF Plate() { return QRectF(100, 6, 224, 76); }
  static constexpr double kPlateRadius = 20;

  static bool InRing(double x, double y) {
    const double u = std::abs(x - kRingX) / kRingA, v = std::abs(y - kRingY) / kRingB;
    const double w = (x - kHoleX) / kHoleA, z = (y - kHoleY) / kHoleB;
    return std::pow(u, kRingPower) + std::pow(v, kRingPower) <= 1.0 && w * w + z * z > 1.0;
  }
  static bool InPlate(double x, double y) {
    const QRectF r = Plate();
    const double rad = kPlateRadius;
    const double cx = std::clamp(x, r.left() + rad, r.right() - rad);
    const double cy = std::clamp(y, r.top() + rad, r.bottom() - rad);
    return x >= r.left() && x <= r.right() && y >= r.top() && y <= r.bottom() &&
           (x - cx) * (x - cx) + (y - cy) * (y - cy) <= rad * rad;
  }
};

// A value per pixel of the picture painted at `scale` times its size
// (kPanelWidth * scale by kPanelHeight * scale), row by row.
using Field = std::vector<float>;

inline Field MaskField(bool (*inside)(double, double), int scale) {
  const int w = kPanelWidth * scale, h = kPanelHeight * scale;
  Field f(size_t(w) * h);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) f[y * w + x] = inside((x + 0.5) / scale, (y + 0.5) / scale) ? 1.f : 0.f;
  return f;
}

inline Field BoxBlur(const Field& in, int r, int scale) {
  const int w = kPanelWidth * scale, h = kPanelHeight * scale;
  Field tmp(in.size()), out(in.size());
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      float s = 0;
      for (int k = -r; k <= r; ++k) s += in[y * w + std::clamp(x + k, 0, w - 1)];
      tmp[y * w + x] = s / float(2 * r + 1);
    }
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      float s = 0;
      for (int k = -r; k <= r; ++k) s += tmp[std::clamp(y + k, 0, h - 1) * w + x];
      out[y * w + x] = s / float(2 * r + 1);
    }
  return out;
}

// Light on a surface raised where the mask is 1, from the upper left: positive
// where a slope faces the light, negative where it faces away, 0 on the flat.
// At twice the size the slopes spread over twice the pixels: blur and
// steepness grow with the scale, so the light falls the same way.
inline Field Emboss(const Field& mask, int radius, float steepness, int scale) {
  radius *= scale;
  steepness *= float(scale);
  Field h = BoxBlur(BoxBlur(BoxBlur(mask, radius, scale), radius, scale), radius, scale);
  const float lx = -0.5f, ly = -0.62f, lz = 0.6f;
  const float ln = std::sqrt(lx * lx + ly * ly + lz * lz);
  const int w = kPanelWidth * scale, hh = kPanelHeight * scale;
  Field shade(mask.size(), 0.f);
  for (int y = 1; y < hh - 1; ++y)
    for (int x = 1; x < w - 1; ++x) {
      const float gx = (h[y * w + x + 1] - h[y * w + x - 1]) * steepness;
      const float gy = (h[(y + 1) * w + x] - h[(y - 1) * w + x]) * steepness;
      const float nn = std::sqrt(gx * gx + gy * gy + 1.f);
      shade[y * w + x] = ((-gx * lx - gy * ly + lz) / nn - lz) / ln;
    }
  return shade;
}

inline QRgb Lit(QRgb c, float s, float gain) {
  const auto ch = [&](int v) {
    const float t = s * gain;
    const float r = t >= 0 ? v + (255 - v) * t : v * (1 + t);
    return std::clamp(int(std::lround(r)), 0, 255);
  };
  return qRgb(ch(qRed(c)), ch(qGreen(c)), ch(qBlue(c)));
}

// Applies a shade field to the pixels where where[] is set.
inline void ApplyShade(QImage& art, const Field& shade, const Field& where, float gain) {
  for (int y = 0; y < art.height(); ++y) {
    auto* row = reinterpret_cast<QRgb*>(art.scanLine(y));
    for (int x = 0; x < art.width(); ++x) {
      const int i = y * art.width() + x;
      if (where[i] > 0.5f) row[x] = Lit(row[x], shade[i], gain);
    }
  }
}

inline Field FieldOfPath(const QPainterPath& path, qreal strokeWidth, int scale) {
  const int w = kPanelWidth * scale, h = kPanelHeight * scale;
  QImage canvas(w, h, QImage::Format_Grayscale8);
  canvas.fill(0);
  QPainter p(&canvas);
  p.setRenderHint(QPainter::Antialiasing);
  if (scale != 1) p.scale(scale, scale);
  if (strokeWidth > 0) {
    p.setPen(QPen(Qt::white, strokeWidth, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.drawPath(path);
  } else {
    p.fillPath(path, Qt::white);
  }
  p.end();
  Field f(size_t(w) * h);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) f[y * w + x] = canvas.constScanLine(y)[x] / 255.f;
  return f;
}

// A smooth curve through the lamp centres, running on a little past both ends.
inline QPainterPath LampGroove() {
  std::vector<QPointF> pts;
  for (const QRect& r : kLamps) pts.push_back(QRectF(r).center());
  const QPointF first = pts.front() + (pts.front() - pts[1]) * 0.12;
  const QPointF last = pts.back() + (pts.back() - pts[pts.size() - 2]) * 0.12;
  pts.insert(pts.begin(), first);
  pts.push_back(last);
  QPainterPath path(pts.front());
  for (size_t i = 0; i + 1 < pts.size(); ++i) {
    const QPointF p0 = i == 0 ? pts[i] : pts[i - 1];
    const QPointF p3 = i + 2 < pts.size() ? pts[i + 2] : pts[i + 1];
    path.cubicTo(pts[i] + (pts[i + 1] - p0) / 6, pts[i + 1] - (p3 - pts[i]) / 6, pts[i + 1]);
  }
  return path;
}

// The committed picture was drawn with DejaVu Serif Bold Italic (Debian's
// fonts-dejavu-core); another font changes the letters and nothing else.
inline QPainterPath LogoText() {
  QFont font("DejaVu Serif");
  font.setBold(true);
  font.setItalic(true);
  font.setPixelSize(50);
  QPainterPath text;
  text.addText(0, 0, font, "Parvex");
  const QRectF box = text.boundingRect();
  const QRectF plate = Outline::Plate();
  return text.translated(plate.center().x() - box.center().x(), plate.top() + 38 - box.center().y());
}

// The full picture, every pixel painted, at `scale` times its size (2 for
// screens scaled by two); the caller keys it to shape.
inline QImage PaintPanel(int scale = 1) {
  const int w = kPanelWidth * scale, h = kPanelHeight * scale;
  QImage art(w, h, QImage::Format_RGB32);
  const Field ring = MaskField(&Outline::InRing, scale);
  const Field plate = MaskField(&Outline::InPlate, scale);
  // Painting is laid out on the picture's own grid; the painter scales it.
  const auto begin = [scale](QPainter& p, QImage& image) {
    p.begin(&image);
    if (scale != 1) p.scale(scale, scale);
  };
  {
    QPainter p(&art);
    if (scale != 1) p.scale(scale, scale);
    QLinearGradient metal(0, 70, 0, 262);
    metal.setColorAt(0.0, QColor(236, 190, 112));
    metal.setColorAt(0.22, QColor(200, 140, 62));
    metal.setColorAt(0.5, QColor(158, 98, 38));
    metal.setColorAt(0.78, QColor(182, 118, 48));
    metal.setColorAt(1.0, QColor(112, 64, 22));
    p.fillRect(QRect(0, 0, kPanelWidth, kPanelHeight), metal);
  }
  ApplyShade(art, Emboss(ring, 3, 9.f, scale), ring, 0.9f);

  QPainter p;
  begin(p, art);
  p.setRenderHint(QPainter::Antialiasing);
  // Recessed pads under the hot-spots and the groove with the lamp sockets.
  QPainterPath pads;
  for (const QRect& r : kHotSpots) pads.addRoundedRect(QRectF(r).adjusted(-2, -2, 2, 2), 11, 11);
  p.fillPath(pads, QColor(120, 70, 25, 110));
  const QPainterPath groove = LampGroove();
  p.strokePath(groove, QPen(QColor(88, 46, 10), 23, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
  p.strokePath(groove, QPen(QColor(70, 34, 6), 17, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
  p.end();
  Field recess = FieldOfPath(groove, 23, scale);
  const Field padField = FieldOfPath(pads, 0, scale);
  for (size_t i = 0; i < recess.size(); ++i) recess[i] = 1.f - std::max(recess[i], padField[i]);
  Field recessWhere = ring;
  ApplyShade(art, Emboss(recess, 2, 6.f, scale), recessWhere, 0.75f);

  begin(p, art);
  p.setRenderHint(QPainter::Antialiasing);
  for (const QRect& r : kLamps) {
    const QRectF socket = QRectF(r).adjusted(-2.5, -2.5, 2.5, 2.5);
    p.setPen(QPen(QColor(40, 18, 2), 1.2));
    p.setBrush(QColor(52, 24, 4));
    p.drawRoundedRect(socket, 4, 4);
    p.setPen(QPen(QColor(230, 180, 100, 150), 1));
    p.setBrush(Qt::NoBrush);
    p.drawLine(socket.bottomLeft() + QPointF(3, 0.8), socket.bottomRight() + QPointF(-3, 0.8));
  }
  // Rivets where the ring has room.
  for (const QPointF c : {QPointF(398, 166), QPointF(352, 236), QPointF(352, 98), QPointF(104, 236)}) {
    QRadialGradient g(c - QPointF(1.5, 1.5), 5);
    g.setColorAt(0, QColor(255, 236, 190));
    g.setColorAt(0.5, QColor(190, 130, 60));
    g.setColorAt(1, QColor(90, 50, 15));
    p.setPen(QPen(QColor(70, 36, 8), 1));
    p.setBrush(g);
    p.drawEllipse(c, 4.2, 4.2);
  }
  // The plate's shadow on the ring, then the plate.
  p.end();
  const Field plateShadow = BoxBlur(BoxBlur(plate, 3 * scale, scale), 3 * scale, scale);
  for (int y = 0; y < h; ++y) {
    auto* row = reinterpret_cast<QRgb*>(art.scanLine(y));
    for (int x = 0; x < w; ++x) {
      const int sy = std::max(0, y - 4 * scale), sx = std::max(0, x - 2 * scale);
      const float s = plateShadow[sy * w + sx];
      if (plate[y * w + x] < 0.5f && s > 0) row[x] = Lit(row[x], -0.55f * s, 1.f);
    }
  }
  begin(p, art);
  p.setRenderHint(QPainter::Antialiasing);
  QLinearGradient plateFill(0, 6, 0, 82);
  plateFill.setColorAt(0, QColor(120, 46, 18));
  plateFill.setColorAt(1, QColor(62, 20, 8));
  QPainterPath platePath;
  platePath.addRoundedRect(Outline::Plate(), Outline::kPlateRadius, Outline::kPlateRadius);
  p.fillPath(platePath, plateFill);
  p.end();
  ApplyShade(art, Emboss(plate, 2, 8.f, scale), plate, 0.85f);

  begin(p, art);
  p.setRenderHint(QPainter::Antialiasing);
  p.setPen(QPen(QColor(235, 185, 95, 200), 1.2));
  p.setBrush(Qt::NoBrush);
  p.drawRoundedRect(Outline::Plate().adjusted(5, 5, -5, -5), Outline::kPlateRadius - 5, Outline::kPlateRadius - 5);
  const QPainterPath text = LogoText();
  p.fillPath(text.translated(2.2, 2.8), QColor(20, 5, 0, 170));
  const QRectF tb = text.boundingRect();
  QLinearGradient gold(0, tb.top(), 0, tb.bottom());
  gold.setColorAt(0.0, QColor(255, 250, 200));
  gold.setColorAt(0.45, QColor(250, 200, 70));
  gold.setColorAt(0.55, QColor(205, 135, 30));
  gold.setColorAt(1.0, QColor(250, 205, 90));
  p.setPen(QPen(QColor(60, 22, 0), 1.6, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
  p.setBrush(gold);
  p.drawPath(text);
  p.end();
  return art;
}

}  // namespace gen
