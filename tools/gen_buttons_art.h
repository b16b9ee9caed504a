// The Split & Join window's artwork, painted for gen_buttons: the cartoon of a
// figure tangled in computer cables, and the glyphs of the window's three flat
// glyph buttons (add files, delete files, cancel).
#pragma once

#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>

namespace art {

const QColor kInk(22, 22, 26);

// A cable is a thick coloured stroke with a dark rim and a thin highlight, so
// that crossing cables stay readable on the dark ground.
inline void drawCable(QPainter& p, const QPainterPath& path, const QColor& colour, qreal width = 4.5) {
  p.setBrush(Qt::NoBrush);
  p.setPen(QPen(kInk, width + 2.2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
  p.drawPath(path);
  p.setPen(QPen(colour, width, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
  p.drawPath(path);
  p.setPen(QPen(colour.lighter(150), width * 0.28, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
  p.translate(-0.8, -0.8);
  p.drawPath(path);
  p.translate(0.8, 0.8);
}

// A plug at the end of a cable, turned by angle degrees (0: prongs to the right).
inline void drawPlug(QPainter& p, QPointF at, qreal angle, const QColor& colour) {
  p.save();
  p.translate(at);
  p.rotate(angle);
  p.setPen(QPen(kInk, 1.4));
  p.setBrush(QColor(200, 200, 205));
  p.drawRect(QRectF(7, -3.5, 5, 2));
  p.drawRect(QRectF(7, 1.5, 5, 2));
  p.setBrush(colour.darker(115));
  p.drawRoundedRect(QRectF(-4, -5.5, 12, 11), 2.5, 2.5);
  p.restore();
}

// An elliptic loop around a limb or the body, split into the half behind it
// (far side, upper arc) and the half in front of it (near side, lower arc).
inline QPainterPath loopHalf(QPointF centre, qreal rx, qreal ry, qreal tilt, bool front) {
  QPainterPath path;
  const QRectF box(-rx, -ry, 2 * rx, 2 * ry);
  path.arcMoveTo(box, front ? 180 : 0);
  path.arcTo(box, front ? 180 : 0, 180);
  QTransform t;
  t.translate(centre.x(), centre.y());
  t.rotate(tilt);
  return t.map(path);
}

inline void drawLimb(QPainter& p, const QPainterPath& path, const QColor& colour, qreal width) {
  p.setBrush(Qt::NoBrush);
  p.setPen(QPen(kInk, width + 3, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
  p.drawPath(path);
  p.setPen(QPen(colour, width, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
  p.drawPath(path);
}

inline void drawComputer(QPainter& p) {
  const QColor beige(214, 206, 184);
  p.setPen(QPen(kInk, 1.6));
  // Tower on the left.
  QLinearGradient towerShade(6, 0, 44, 0);
  towerShade.setColorAt(0, beige.darker(125));
  towerShade.setColorAt(1, beige);
  p.setBrush(towerShade);
  p.drawRoundedRect(QRectF(6, 64, 36, 104), 3, 3);
  p.setBrush(beige.darker(140));
  p.drawRect(QRectF(12, 76, 24, 5));
  p.drawRect(QRectF(12, 86, 24, 5));
  p.setBrush(QColor(90, 200, 90));
  p.drawEllipse(QPointF(33, 154), 2.2, 2.2);
  p.setPen(QPen(beige.darker(160), 1));
  for (int y = 104; y < 140; y += 5) p.drawLine(QPointF(13, y), QPointF(35, y));
  // Monitor on the right, its screen still glowing.
  p.setPen(QPen(kInk, 1.6));
  p.setBrush(beige);
  p.drawRoundedRect(QRectF(146, 14, 50, 44), 4, 4);
  QRadialGradient glow(QPointF(170, 34), 22);
  glow.setColorAt(0, QColor(60, 150, 140));
  glow.setColorAt(1, QColor(20, 55, 60));
  p.setBrush(glow);
  p.drawRoundedRect(QRectF(152, 19, 38, 30), 3, 3);
  p.setPen(QPen(QColor(140, 240, 200, 200), 1.2));
  p.drawLine(QPointF(157, 26), QPointF(175, 26));
  p.drawLine(QPointF(157, 31), QPointF(182, 31));
  p.drawLine(QPointF(157, 36), QPointF(168, 36));
  p.setPen(QPen(kInk, 1.6));
  p.setBrush(beige.darker(115));
  p.drawRect(QRectF(164, 58, 14, 6));
  p.drawRoundedRect(QRectF(156, 63, 30, 5), 2, 2);
}

inline void drawHead(QPainter& p) {
  const QColor skin(250, 212, 172);
  const QPointF c(100, 62);
  // Ears and face.
  p.setPen(QPen(kInk, 1.8, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
  p.setBrush(skin);
  p.drawEllipse(QPointF(76, 64), 5, 7);
  p.drawEllipse(QPointF(124, 64), 5, 7);
  QRadialGradient face(c + QPointF(-6, -6), 28);
  face.setColorAt(0, skin.lighter(106));
  face.setColorAt(1, skin.darker(112));
  p.setBrush(face);
  p.drawEllipse(c, 24, 23);
  // Hair standing on end, a cap over the top of the head.
  QPainterPath hair;
  hair.moveTo(77, 58);
  hair.cubicTo(76, 50, 78, 45, 80, 42);
  hair.lineTo(76, 31);
  hair.lineTo(87, 37);
  hair.lineTo(89, 24);
  hair.lineTo(97, 34);
  hair.lineTo(103, 21);
  hair.lineTo(108, 34);
  hair.lineTo(117, 25);
  hair.lineTo(117, 38);
  hair.lineTo(127, 35);
  hair.cubicTo(123, 42, 124, 50, 123, 58);
  hair.cubicTo(119, 48, 112, 45, 106, 46);
  hair.cubicTo(100, 41, 92, 42, 88, 46);
  hair.cubicTo(83, 47, 79, 52, 77, 58);
  hair.closeSubpath();
  p.setBrush(QColor(120, 72, 36));
  p.drawPath(hair);
  // Wide eyes looking at the mess.
  p.setBrush(Qt::white);
  p.drawEllipse(QPointF(91, 59), 6.5, 8);
  p.drawEllipse(QPointF(109, 59), 6.5, 8);
  p.setPen(Qt::NoPen);
  p.setBrush(kInk);
  p.drawEllipse(QPointF(92.5, 62), 2.8, 3.2);
  p.drawEllipse(QPointF(110.5, 62), 2.8, 3.2);
  p.setBrush(Qt::white);
  p.drawEllipse(QPointF(93.4, 61), 0.9, 0.9);
  p.drawEllipse(QPointF(111.4, 61), 0.9, 0.9);
  // Worried brows, a small open mouth, blushing cheeks.
  p.setPen(QPen(kInk, 2.2, Qt::SolidLine, Qt::RoundCap));
  p.drawLine(QPointF(84, 47), QPointF(96, 49.5));
  p.drawLine(QPointF(116, 47), QPointF(104, 49.5));
  p.setPen(QPen(kInk, 1.6));
  p.setBrush(QColor(150, 40, 40));
  p.drawEllipse(QPointF(100, 76), 4, 3.2);
  p.setPen(Qt::NoPen);
  p.setBrush(QColor(240, 120, 110, 110));
  p.drawEllipse(QPointF(84, 71), 4.5, 2.8);
  p.drawEllipse(QPointF(116, 71), 4.5, 2.8);
  // Sweat drops.
  p.setPen(QPen(kInk, 1.2));
  p.setBrush(QColor(150, 210, 255));
  for (const QPointF& d : {QPointF(130, 46), QPointF(136, 58)}) {
    QPainterPath drop;
    drop.moveTo(d);
    drop.cubicTo(d + QPointF(-4, 6), d + QPointF(-3, 10), d + QPointF(0, 10));
    drop.cubicTo(d + QPointF(3, 10), d + QPointF(4, 6), d);
    p.drawPath(drop);
  }
}

// `scale` 2 paints the same picture at twice its size, for scaled screens.
inline QImage paintTangledFigure(int scale = 1) {
  QImage image(200 * scale, 200 * scale, QImage::Format_RGB32);
  QPainter p(&image);
  if (scale != 1) p.scale(scale, scale);
  p.setRenderHint(QPainter::Antialiasing);
  QRadialGradient ground(QPointF(100, 95), 135);
  ground.setColorAt(0, QColor(88, 88, 92));
  ground.setColorAt(1, QColor(36, 36, 40));
  p.fillRect(QRect(0, 0, 200, 200), ground);
  p.setPen(Qt::NoPen);
  p.setBrush(QColor(0, 0, 0, 90));
  p.drawEllipse(QPointF(100, 186), 62, 9);

  drawComputer(p);

  const QColor red(222, 58, 52), blue(64, 128, 232), green(74, 190, 96), yellow(240, 200, 60),
      grey(196, 196, 200);
  const QColor shirt(236, 236, 226), trousers(58, 84, 150), shoes(92, 56, 34);

  // Far halves of the loops go behind the body.
  struct Loop {
    QPointF centre;
    qreal rx, ry, tilt;
    QColor colour;
  };
  const Loop loops[] = {
      {{100, 108}, 31, 7, -8, red},   {{100, 124}, 32, 7, 6, yellow},
      {{100, 140}, 30, 6, -4, blue},  {{100, 160}, 24, 6, 5, green},
      {{64, 84}, 9, 4, -50, grey},
  };
  for (const Loop& l : loops) drawCable(p, loopHalf(l.centre, l.rx, l.ry, l.tilt, false), l.colour);

  // Legs, then the body and the arms flung about.
  QPainterPath legs;
  legs.moveTo(92, 146);
  legs.quadTo(88, 162, 80, 178);
  legs.moveTo(108, 146);
  legs.quadTo(114, 162, 122, 178);
  drawLimb(p, legs, trousers, 13);
  p.setPen(QPen(kInk, 1.6));
  p.setBrush(shoes);
  p.drawEllipse(QPointF(74, 181), 11, 5.5);
  p.drawEllipse(QPointF(128, 181), 11, 5.5);

  QPainterPath arms;
  arms.moveTo(82, 100);
  arms.quadTo(62, 94, 54, 72);
  arms.moveTo(118, 100);
  arms.quadTo(138, 106, 150, 96);
  drawLimb(p, arms, shirt, 11);
  p.setPen(QPen(kInk, 1.6));
  p.setBrush(QColor(250, 212, 172));
  p.drawEllipse(QPointF(53, 67), 6, 6.5);
  p.drawEllipse(QPointF(155, 94), 6.5, 6);

  QPainterPath body;
  body.moveTo(84, 90);
  body.cubicTo(74, 100, 74, 136, 82, 150);
  body.lineTo(118, 150);
  body.cubicTo(126, 136, 126, 100, 116, 90);
  body.closeSubpath();
  QLinearGradient cloth(80, 0, 124, 0);
  cloth.setColorAt(0, shirt.darker(112));
  cloth.setColorAt(0.4, shirt);
  cloth.setColorAt(1, shirt.darker(118));
  p.setPen(QPen(kInk, 1.8));
  p.setBrush(cloth);
  p.drawPath(body);
  QPainterPath tie;
  tie.moveTo(97, 90);
  tie.lineTo(103, 90);
  tie.lineTo(105, 120);
  tie.lineTo(100, 127);
  tie.lineTo(95, 120);
  tie.closeSubpath();
  p.setPen(QPen(kInk, 1.2));
  p.setBrush(QColor(150, 60, 170));
  p.drawPath(tie);

  drawHead(p);

  // Loose ends running off to the machines, then the near halves of the loops.
  QPainterPath fromTower;
  fromTower.moveTo(42, 120);
  fromTower.cubicTo(56, 122, 60, 112, 69, 110);
  drawCable(p, fromTower, red);
  QPainterPath fromTower2;
  fromTower2.moveTo(42, 146);
  fromTower2.cubicTo(58, 150, 60, 140, 70, 141);
  drawCable(p, fromTower2, blue);
  QPainterPath toMonitor;
  toMonitor.moveTo(170, 68);
  toMonitor.cubicTo(172, 92, 150, 112, 131, 124);
  drawCable(p, toMonitor, yellow);
  QPainterPath dangling;
  dangling.moveTo(130, 162);
  dangling.cubicTo(152, 170, 160, 150, 172, 160);
  drawCable(p, dangling, green);
  drawPlug(p, QPointF(176, 162), 20, green);
  QPainterPath armTail;
  armTail.moveTo(58, 80);
  armTail.cubicTo(40, 60, 26, 52, 24, 34);
  drawCable(p, armTail, grey);
  drawPlug(p, QPointF(22, 30), -100, grey);
  // The right hand still clutches a plug, its cable hanging into the tangle.
  QPainterPath handTail;
  handTail.moveTo(127, 116);
  handTail.cubicTo(140, 124, 150, 118, 155, 100);
  drawCable(p, handTail, red);
  drawPlug(p, QPointF(156, 88), -80, red);
  p.setPen(QPen(kInk, 1.6));
  p.setBrush(QColor(250, 212, 172));
  p.drawEllipse(QPointF(155, 94), 6.5, 6);
  for (const Loop& l : loops) drawCable(p, loopHalf(l.centre, l.rx, l.ry, l.tilt, true), l.colour);
  return image;
}

// A sheet of paper with a folded corner, the common base of both file glyphs.
inline void drawSheet(QPainter& p, const QRectF& r) {
  const qreal fold = r.width() * 0.32;
  QPainterPath sheet;
  sheet.moveTo(r.topLeft());
  sheet.lineTo(r.right() - fold, r.top());
  sheet.lineTo(r.right(), r.top() + fold);
  sheet.lineTo(r.bottomRight());
  sheet.lineTo(r.bottomLeft());
  sheet.closeSubpath();
  p.setPen(QPen(QColor(70, 70, 80), 1));
  p.setBrush(Qt::white);
  p.drawPath(sheet);
  QPainterPath corner;
  corner.moveTo(r.right() - fold, r.top());
  corner.lineTo(r.right() - fold, r.top() + fold);
  corner.lineTo(r.right(), r.top() + fold);
  p.setBrush(QColor(210, 210, 218));
  p.drawPath(corner);
  p.setPen(QPen(QColor(150, 160, 190), 1));
  for (qreal y = r.top() + fold + 2.5; y < r.bottom() - 2; y += 3)
    p.drawLine(QPointF(r.left() + 2.5, y), QPointF(r.right() - 3, y));
}

inline QImage glyphCanvas(int size, int scale) {
  QImage image(size * scale, size * scale, QImage::Format_ARGB32_Premultiplied);
  image.fill(Qt::transparent);
  return image;
}

inline void drawBadge(QPainter& p, QPointF centre, qreal radius, const QColor& colour) {
  QRadialGradient shade(centre - QPointF(radius / 3, radius / 3), radius * 1.4);
  shade.setColorAt(0, colour.lighter(140));
  shade.setColorAt(1, colour.darker(120));
  p.setPen(QPen(colour.darker(170), 1));
  p.setBrush(shade);
  p.drawEllipse(centre, radius, radius);
}

inline QImage paintAddGlyph(int scale = 1) {
  QImage image = glyphCanvas(24, scale);
  QPainter p(&image);
  if (scale != 1) p.scale(scale, scale);
  p.setRenderHint(QPainter::Antialiasing);
  drawSheet(p, QRectF(2.5, 1.5, 14, 18));
  drawBadge(p, QPointF(17, 17), 6, QColor(40, 160, 60));
  p.setPen(QPen(Qt::white, 2.2, Qt::SolidLine, Qt::FlatCap));
  p.drawLine(QPointF(17, 13.5), QPointF(17, 20.5));
  p.drawLine(QPointF(13.5, 17), QPointF(20.5, 17));
  return image;
}

inline QImage paintDeleteGlyph(int scale = 1) {
  QImage image = glyphCanvas(24, scale);
  QPainter p(&image);
  if (scale != 1) p.scale(scale, scale);
  p.setRenderHint(QPainter::Antialiasing);
  drawSheet(p, QRectF(2.5, 1.5, 14, 18));
  drawBadge(p, QPointF(17, 17), 6, QColor(210, 40, 40));
  p.setPen(QPen(Qt::white, 2.2, Qt::SolidLine, Qt::FlatCap));
  p.drawLine(QPointF(14.5, 14.5), QPointF(19.5, 19.5));
  p.drawLine(QPointF(19.5, 14.5), QPointF(14.5, 19.5));
  return image;
}

inline QImage paintCancelGlyph(int scale = 1) {
  QImage image = glyphCanvas(16, scale);
  QPainter p(&image);
  if (scale != 1) p.scale(scale, scale);
  p.setRenderHint(QPainter::Antialiasing);
  drawBadge(p, QPointF(8, 8), 7, QColor(210, 40, 40));
  p.setPen(QPen(Qt::white, 2, Qt::SolidLine, Qt::RoundCap));
  p.drawLine(QPointF(5.2, 5.2), QPointF(10.8, 10.8));
  p.drawLine(QPointF(10.8, 5.2), QPointF(5.2, 10.8));
  return image;
}

}  // namespace art
