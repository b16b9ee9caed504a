// Generates the System Information window's own icon: a monitor whose screen
// shows a tree beside a list of lines (the window in small), drawn as vectors
// at the sizes a title bar asks for.
//
//   gen_sysinfo_icon <resources dir>
//
// Writes <resources>/sysinfo/SysInfoForm.Icon-<size>.png for each size.
#include <QDir>
#include <QGuiApplication>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>

#include <cstdio>
#include <cstdlib>

namespace {

constexpr int kSizes[] = {16, 24, 32, 48, 64};
constexpr qreal kGrid = 64;  // the drawing is laid out on a 64 x 64 grid

[[noreturn]] void Die(const QString& why) {
  std::fprintf(stderr, "gen_sysinfo_icon: %s\n", qPrintable(why));
  std::exit(1);
}

QImage Icon(int size) {
  QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
  image.fill(Qt::transparent);
  QPainter p(&image);
  p.setRenderHint(QPainter::Antialiasing);
  p.scale(size / kGrid, size / kGrid);
  const bool small = size < 32;
  const QColor ink(24, 24, 32);

  // Foot and neck.
  p.setPen(QPen(ink, small ? 3 : 2));
  p.setBrush(QColor(150, 150, 160));
  p.drawRoundedRect(QRectF(18, 52, 28, 7), 2, 2);
  p.drawRect(QRectF(28, 44, 8, 9));

  // The case.
  QLinearGradient shell(0, 4, 0, 46);
  shell.setColorAt(0, QColor(226, 226, 232));
  shell.setColorAt(1, QColor(140, 140, 152));
  p.setBrush(shell);
  p.drawRoundedRect(QRectF(3, 5, 58, 41), 4, 4);

  // The screen: a white tree pane beside a black list, as the window has them.
  p.setPen(Qt::NoPen);
  p.setBrush(Qt::white);
  p.drawRect(QRectF(8, 10, 17, 31));
  p.setBrush(Qt::black);
  p.drawRect(QRectF(26, 10, 30, 31));
  const qreal line = small ? 4 : 3;
  const qreal step = small ? 8 : 6;
  p.setBrush(QColor(0, 0, 160));
  for (int i = 0; i < (small ? 3 : 4); ++i) {
    const qreal y = 13 + i * step;
    p.drawRect(QRectF(i == 0 ? 10 : 14, y, i == 0 ? 12 : 9, line));
  }
  for (int i = 0; i < (small ? 3 : 4); ++i) {
    const qreal y = 13 + i * step;
    p.setBrush(QColor(255, 255, 255));
    p.drawRect(QRectF(29, y, 10, line));
    p.setBrush(QColor(255, 220, 0));
    p.drawRect(QRectF(42, y, i % 2 == 0 ? 11 : 7, line));
  }
  p.end();
  return image;
}

}  // namespace

int main(int argc, char** argv) {
  // Offscreen: the generator needs painting, never a display.
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QGuiApplication app(argc, argv);
  if (argc < 2) Die("usage: gen_sysinfo_icon <resources dir>");
  const QDir resources(QString::fromLocal8Bit(argv[1]));
  if (!resources.mkpath(QStringLiteral("sysinfo"))) Die("cannot create the sysinfo directory");
  for (int size : kSizes) {
    const QString path = resources.filePath(QStringLiteral("sysinfo/SysInfoForm.Icon-%1.png").arg(size));
    if (!Icon(size).save(path)) Die("cannot write " + path);
  }
  return 0;
}
