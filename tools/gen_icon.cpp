// Generates the program's desktop icon: a set of two fanned-out floppy disks
// (the volumes of a set), drawn as vectors at every size the desktop asks for,
// so that the small sizes are drawn rather than shrunk.
//
//   gen_icon <resources dir>
//
// Writes <resources>/icons/parvex-<size>.png for each size, and
// parvex-<size>@2x.png drawn at twice that size for screens scaled by two.
#include <QDir>
#include <QGuiApplication>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>

#include <cstdio>
#include <cstdlib>

namespace {

constexpr int kSizes[] = {16, 24, 32, 48, 64, 128, 256};

// The drawing is laid out on a 256 x 256 grid.
constexpr qreal kGrid = 256;

[[noreturn]] void Die(const QString& why) {
  std::fprintf(stderr, "gen_icon: %s\n", qPrintable(why));
  std::exit(1);
}

QLinearGradient Vertical(qreal y0, qreal y1, QColor a, QColor b) {
  QLinearGradient g(0, y0, 0, y1);
  g.setColorAt(0, a);
  g.setColorAt(1, b);
  return g;
}

// One disk centred on the origin, 176 units square. `small` leaves out the
// details that turn to mush below 32 pixels.
void Disk(QPainter& p, QColor top, QColor bottom, bool small) {
  const qreal h = 88;  // half the side
  const QColor ink(20, 22, 48);
  const qreal line = small ? 10 : 6;

  QPainterPath body;
  body.moveTo(-h, -h + 10);
  body.quadTo(-h, -h, -h + 10, -h);
  body.lineTo(h - 22, -h);
  body.lineTo(h, -h + 22);
  body.lineTo(h, h - 10);
  body.quadTo(h, h, h - 10, h);
  body.lineTo(-h + 10, h);
  body.quadTo(-h, h, -h, h - 10);
  body.closeSubpath();
  p.setPen(QPen(ink, line, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
  p.setBrush(Vertical(-h, h, top, bottom));
  p.drawPath(body);

  // The metal shutter at the top, with its window.
  p.setPen(QPen(ink, line * 0.7));
  p.setBrush(Vertical(-h, -h + 62, QColor(240, 242, 248), QColor(150, 156, 172)));
  p.drawRect(QRectF(-40, -h, 96, 62));
  if (!small) {
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(40, 46, 80));
    p.drawRect(QRectF(20, -h + 12, 22, 40));
  }

  // The label.
  p.setPen(QPen(ink, line * 0.7));
  p.setBrush(Vertical(0, h, QColor(255, 250, 226), QColor(232, 222, 190)));
  p.drawRoundedRect(QRectF(-66, -4, 132, 84), 8, 8);
  if (!small) {
    p.setPen(QPen(QColor(128, 0, 0), 7, Qt::SolidLine, Qt::RoundCap));
    for (qreal y : {20.0, 40.0, 60.0}) p.drawLine(QPointF(-48, y), QPointF(y == 60.0 ? 10 : 48, y));
  }
}

// `small` leaves out the details too fine for an icon shown under 32 pixels
// (also when it is drawn at twice that for a scaled screen).
QImage Icon(int size, bool small) {
  QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
  image.fill(Qt::transparent);
  QPainter p(&image);
  p.setRenderHint(QPainter::Antialiasing);
  p.scale(size / kGrid, size / kGrid);

  // The volume behind, in the main window's maroon and yellow.
  p.save();
  p.translate(104, 112);
  p.rotate(-14);
  p.scale(0.86, 0.86);
  Disk(p, QColor(196, 40, 32), QColor(112, 0, 0), small);
  p.restore();

  // The volume in front.
  p.save();
  p.translate(148, 148);
  p.rotate(8);
  p.scale(0.86, 0.86);
  Disk(p, QColor(84, 150, 248), QColor(22, 60, 172), small);
  p.restore();
  p.end();
  return image;
}

}  // namespace

int main(int argc, char** argv) {
  // Offscreen: the generator needs fonts and painting, never a display.
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QGuiApplication app(argc, argv);
  if (argc < 2) Die("usage: gen_icon <resources dir>");
  const QDir resources(QString::fromLocal8Bit(argv[1]));
  if (!resources.mkpath(QStringLiteral("icons"))) Die("cannot create the icons directory");
  for (int size : kSizes) {
    const QString path = resources.filePath(QStringLiteral("icons/parvex-%1.png").arg(size));
    if (!Icon(size, size < 32).save(path)) Die("cannot write " + path);
    // Drawn for the doubled pixels, so the small sizes keep their details.
    const QString doubled = resources.filePath(QStringLiteral("icons/parvex-%1@2x.png").arg(size));
    if (!Icon(size * 2, size < 32).save(doubled)) Die("cannot write " + doubled);
  }
  return 0;
}
