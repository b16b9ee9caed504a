// The five hot-spot pictures of the main window, painted with QPainter: a
// cartoon floppy disk, a pinned note, hammer and screwdriver, an open door with
// an arrow and a curved downward arrow. Each is drawn anti-aliased on a
// transparent canvas and then keyed: a pixel at least half covered keeps its
// colour at full strength, every other pixel becomes the key colour, so the
// silhouette has no pixels blended with the key. Each takes a scale: 2 paints
// the same picture at twice its size, for screens scaled by two.
#pragma once

#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QPainterPathStroker>
#include <QRadialGradient>

namespace gen {

// Magenta: a colour none of the pictures uses.
inline constexpr QRgb kIconKey = 0xFFFF00FF;

inline QImage Canvas(int w, int h) {
  QImage canvas(w, h, QImage::Format_ARGB32_Premultiplied);
  canvas.fill(Qt::transparent);
  return canvas;
}

inline QImage Keyed(const QImage& canvas) {
  const QImage argb = canvas.convertToFormat(QImage::Format_ARGB32);
  QImage out(argb.size(), QImage::Format_RGB32);
  for (int y = 0; y < argb.height(); ++y)
    for (int x = 0; x < argb.width(); ++x) {
      const QRgb c = argb.pixel(x, y);
      QRgb v = qAlpha(c) >= 128 ? (c | 0xFF000000) : kIconKey;
      if (qAlpha(c) >= 128 && v == kIconKey) v = 0xFFFE00FF;
      out.setPixel(x, y, v);
    }
  // The key is read from the bottom-left pixel.
  Q_ASSERT(out.pixel(0, out.height() - 1) == kIconKey);
  return out;
}

inline void Outlined(QPainter& p, const QPainterPath& path, const QBrush& fill, QColor line, qreal width) {
  p.setPen(QPen(line, width, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
  p.setBrush(fill);
  p.drawPath(path);
}

inline QLinearGradient Vertical(qreal y0, qreal y1, QColor a, QColor b) {
  QLinearGradient g(0, y0, 0, y1);
  g.setColorAt(0, a);
  g.setColorAt(1, b);
  return g;
}

// 55 x 69: a floppy disk with a face, standing on two shoes.
inline QImage FloppyIcon(int scale = 1) {
  QImage canvas = Canvas(55 * scale, 69 * scale);
  QPainter p(&canvas);
  if (scale != 1) p.scale(scale, scale);
  p.setRenderHint(QPainter::Antialiasing);
  const QColor ink(18, 24, 64);

  // Legs and shoes first, so the body covers the tops of the legs.
  p.setPen(QPen(ink, 3, Qt::SolidLine, Qt::RoundCap));
  p.drawLine(QPointF(20, 46), QPointF(18, 58));
  p.drawLine(QPointF(35, 46), QPointF(37, 58));
  for (qreal cx : {15.5, 39.5}) {
    QPainterPath shoe;
    shoe.addEllipse(QPointF(cx, 61), 7.5, 4.5);
    Outlined(p, shoe, Vertical(57, 66, QColor(235, 60, 45), QColor(150, 20, 20)), ink, 1.4);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(255, 190, 170));
    p.drawEllipse(QPointF(cx - 2.5, 59.4), 2.2, 1.1);
  }

  p.save();
  p.translate(27.5, 25.5);
  p.rotate(-7);
  QPainterPath body;
  body.moveTo(-19, -19);
  body.lineTo(14, -19);
  body.lineTo(19, -14);
  body.lineTo(19, 19);
  body.lineTo(-19, 19);
  body.closeSubpath();
  Outlined(p, body, Vertical(-19, 19, QColor(80, 145, 245), QColor(25, 65, 175)), ink, 2.2);
  // Sheen along the upper left.
  p.setPen(QPen(QColor(170, 210, 255), 1.6, Qt::SolidLine, Qt::RoundCap));
  p.drawLine(QPointF(-16.5, -12), QPointF(-16.5, 14));

  QPainterPath shutter;
  shutter.addRect(-9, -19, 20, 15);
  Outlined(p, shutter, Vertical(-19, -4, QColor(245, 245, 250), QColor(150, 155, 170)), ink, 1.4);
  p.setPen(Qt::NoPen);
  p.setBrush(QColor(30, 50, 120));
  p.drawRect(QRectF(3, -16.5, 5, 10));
  p.setBrush(QColor(20, 30, 80));
  p.drawRect(QRectF(13.5, 14, 3, 3));  // write-protect hole

  QPainterPath label;
  label.addRoundedRect(QRectF(-14, -1, 28, 18), 2, 2);
  Outlined(p, label, Vertical(-1, 17, QColor(255, 252, 235), QColor(232, 225, 200)), ink, 1.3);
  // The face on the label.
  for (qreal ex : {-5.5, 5.5}) {
    p.setPen(Qt::NoPen);
    p.setBrush(ink);
    p.drawEllipse(QPointF(ex, 5.5), 2.3, 3.2);
    p.setBrush(Qt::white);
    p.drawEllipse(QPointF(ex + 0.8, 4.3), 0.9, 1.0);
  }
  p.setBrush(QColor(255, 140, 150, 170));
  p.drawEllipse(QPointF(-10, 11), 2.2, 1.4);
  p.drawEllipse(QPointF(10, 11), 2.2, 1.4);
  QPainterPath smile;
  smile.moveTo(-4.5, 10.5);
  smile.quadTo(0, 15.5, 4.5, 10.5);
  p.setBrush(Qt::NoBrush);
  p.setPen(QPen(ink, 1.4, Qt::SolidLine, Qt::RoundCap));
  p.drawPath(smile);
  p.restore();
  p.end();
  return Keyed(canvas);
}

// 32 x 32: a yellow note held by a red pin.
inline QImage NoteIcon(int scale = 1) {
  QImage canvas = Canvas(32 * scale, 32 * scale);
  QPainter p(&canvas);
  if (scale != 1) p.scale(scale, scale);
  p.setRenderHint(QPainter::Antialiasing);
  const QColor ink(95, 70, 15);

  p.save();
  p.translate(16, 17.5);
  p.rotate(5);
  QPainterPath note;
  note.moveTo(-11, -10.5);
  note.lineTo(11, -10.5);
  note.lineTo(11, 5);
  note.lineTo(4.5, 11);
  note.lineTo(-11, 11);
  note.closeSubpath();
  Outlined(p, note, Vertical(-10, 11, QColor(255, 248, 160), QColor(250, 215, 80)), ink, 1.2);
  QPainterPath fold;
  fold.moveTo(11, 5);
  fold.lineTo(5.5, 5.5);
  fold.lineTo(4.5, 11);
  fold.closeSubpath();
  Outlined(p, fold, QColor(215, 175, 50), ink, 1.0);
  p.setPen(QPen(QColor(70, 95, 170), 1.1));
  p.drawLine(QPointF(-8, -2.5), QPointF(8, -2.5));
  p.drawLine(QPointF(-8, 1.5), QPointF(8, 1.5));
  p.drawLine(QPointF(-8, 5.5), QPointF(2, 5.5));
  p.restore();

  // The pin, lit from the upper left.
  p.setPen(QPen(QColor(90, 90, 90), 1.2, Qt::SolidLine, Qt::RoundCap));
  p.drawLine(QPointF(17, 8), QPointF(19, 11.5));
  QRadialGradient head(QPointF(14.5, 5), 6);
  head.setColorAt(0, QColor(255, 170, 160));
  head.setColorAt(0.45, QColor(225, 35, 30));
  head.setColorAt(1, QColor(130, 10, 10));
  QPainterPath pin;
  pin.addEllipse(QPointF(16, 6.8), 4.3, 4.3);
  Outlined(p, pin, head, QColor(90, 10, 10), 1.0);
  p.end();
  return Keyed(canvas);
}

// 32 x 32: a hammer and a screwdriver, crossed.
inline QImage ToolsIcon(int scale = 1) {
  QImage canvas = Canvas(32 * scale, 32 * scale);
  QPainter p(&canvas);
  if (scale != 1) p.scale(scale, scale);
  p.setRenderHint(QPainter::Antialiasing);
  const QColor ink(35, 30, 30);

  // Screwdriver, from the lower right to the upper left.
  p.save();
  p.translate(16, 16);
  p.scale(0.84, 0.84);
  p.rotate(-45);
  QLinearGradient steel(-1.3, 0, 1.3, 0);
  steel.setColorAt(0, QColor(235, 240, 245));
  steel.setColorAt(1, QColor(120, 125, 135));
  QPainterPath shaft;
  shaft.addRect(QRectF(-1.3, -15, 2.6, 14));
  Outlined(p, shaft, steel, ink, 0.9);
  QPainterPath grip;
  grip.addRoundedRect(QRectF(-3.2, -1.5, 6.4, 15.5), 2.5, 2.5);
  QLinearGradient red(-3.2, 0, 3.2, 0);
  red.setColorAt(0, QColor(255, 120, 80));
  red.setColorAt(0.5, QColor(220, 40, 25));
  red.setColorAt(1, QColor(130, 15, 10));
  Outlined(p, grip, red, ink, 1.0);
  p.setPen(QPen(QColor(255, 215, 60), 1.2));
  p.drawLine(QPointF(-3, 3), QPointF(3, 3));
  p.restore();

  // Hammer, from the lower left to the upper right, on top.
  p.save();
  p.translate(16, 16.5);
  p.scale(0.84, 0.84);
  p.rotate(40);
  QPainterPath handle;
  handle.addRoundedRect(QRectF(-2, -9, 4, 23), 1.8, 1.8);
  QLinearGradient wood(-2, 0, 2, 0);
  wood.setColorAt(0, QColor(235, 180, 105));
  wood.setColorAt(1, QColor(150, 90, 35));
  Outlined(p, handle, wood, ink, 1.0);
  QPainterPath head;
  head.moveTo(-9, -14);
  head.lineTo(6, -14);
  head.lineTo(8, -12.5);
  head.lineTo(6, -7.5);
  head.lineTo(-9, -7.5);
  head.closeSubpath();
  Outlined(p, head, Vertical(-14, -7.5, QColor(215, 220, 230), QColor(90, 95, 110)), ink, 1.1);
  p.restore();
  p.end();
  return Keyed(canvas);
}

// 34 x 33: a door swung open, with a green arrow leaving through it.
inline QImage DoorIcon(int scale = 1) {
  QImage canvas = Canvas(34 * scale, 33 * scale);
  QPainter p(&canvas);
  if (scale != 1) p.scale(scale, scale);
  p.setRenderHint(QPainter::Antialiasing);
  const QColor ink(40, 25, 10);

  QPainterPath frame;
  frame.addRect(QRectF(9.5, 3.5, 15, 26));
  Outlined(p, frame, Vertical(3.5, 29.5, QColor(20, 25, 55), QColor(60, 70, 110)), ink, 2.0);
  p.setPen(Qt::NoPen);
  p.setBrush(QColor(255, 230, 140, 110));  // light falling through the doorway
  p.drawPolygon(QPolygonF({QPointF(11, 28.5), QPointF(23, 28.5), QPointF(23, 22), QPointF(11, 26)}));

  QPainterPath door;
  door.moveTo(9.5, 3.5);
  door.lineTo(2.5, 6.5);
  door.lineTo(2.5, 27.5);
  door.lineTo(9.5, 29.5);
  door.closeSubpath();
  Outlined(p, door, Vertical(3.5, 29.5, QColor(225, 150, 80), QColor(140, 75, 30)), ink, 1.3);
  p.setPen(QPen(QColor(110, 60, 20), 0.9));
  p.drawLine(QPointF(4.5, 9), QPointF(7.8, 7.6));
  p.drawLine(QPointF(4.5, 25.5), QPointF(7.8, 26.6));
  p.setPen(Qt::NoPen);
  p.setBrush(QColor(255, 220, 60));
  p.drawEllipse(QPointF(4.6, 17.5), 1.3, 1.5);

  QPainterPath arrow;
  arrow.moveTo(13, 14.5);
  arrow.lineTo(22, 14.5);
  arrow.lineTo(22, 9.5);
  arrow.lineTo(30.5, 17.5);
  arrow.lineTo(22, 25.5);
  arrow.lineTo(22, 20.5);
  arrow.lineTo(13, 20.5);
  arrow.closeSubpath();
  Outlined(p, arrow, Vertical(9.5, 25.5, QColor(140, 240, 120), QColor(20, 140, 40)), QColor(10, 60, 15), 1.3);
  p.end();
  return Keyed(canvas);
}

// 33 x 33: an arrow that rises, turns over and points down.
inline QImage CurvedArrowIcon(int scale = 1) {
  QImage canvas = Canvas(33 * scale, 33 * scale);
  QPainter p(&canvas);
  if (scale != 1) p.scale(scale, scale);
  p.setRenderHint(QPainter::Antialiasing);

  QPainterPath spine;
  spine.moveTo(6, 27);
  spine.cubicTo(4, 8, 23, 2, 24, 19);
  QPainterPathStroker stroker;
  stroker.setWidth(6);
  stroker.setCapStyle(Qt::FlatCap);
  stroker.setJoinStyle(Qt::RoundJoin);
  QPainterPath shape = stroker.createStroke(spine);
  QPainterPath head;
  head.moveTo(16.5, 18);
  head.lineTo(30.5, 18);
  head.lineTo(23.5, 29.5);
  head.closeSubpath();
  shape = shape.united(head).simplified();
  QLinearGradient fill(4, 4, 28, 28);
  fill.setColorAt(0, QColor(150, 215, 255));
  fill.setColorAt(0.5, QColor(40, 130, 230));
  fill.setColorAt(1, QColor(15, 55, 150));
  Outlined(p, shape, fill, QColor(10, 30, 80), 1.3);
  p.setPen(QPen(QColor(220, 245, 255), 1.2, Qt::SolidLine, Qt::RoundCap));
  p.setBrush(Qt::NoBrush);
  QPainterPath gleam;
  gleam.moveTo(5.5, 21);
  gleam.cubicTo(5, 11, 11, 6.5, 15, 6.5);
  p.drawPath(gleam);
  p.end();
  return Keyed(canvas);
}

}  // namespace gen
