// Generates the main window's stored artwork under <resources>/mainwindow/:
// the 256-colour picture keyed on pure green with its light-grey fringe, the
// window outline derived from it ("Mask2"), the five hot-spot pictures and
// their released and pressed renderings, made by the button's own outline
// generation with the classic button colours; each picture and rendering also
// at twice its size ("@2x" PNGs) for screens scaled by two. Also writes
// mainwindow.qrc.
//
//   gen_mainwindow <resources dir> [<preview dir>]
//
// The preview directory, if given, receives PNGs to look at: the picture, the
// hot-spot renderings enlarged, and the window as it will appear.
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QHash>
#include <QPainter>
#include <QTextStream>

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <array>
#include <functional>
#include <vector>

#include "controls/CoolFormMask2.h"
#include "controls/Noshape.h"
#include "controls/NoshapeBmp.h"
#include "controls/NoshapeOutline.h"
#include "tools/gen_mainwindow_icons.h"
#include "tools/gen_mainwindow_panel.h"

namespace {

constexpr QRgb kKeyGreen = 0xFF00FF00;
constexpr int kFringeLow = 222, kFringeHigh = 247;

[[noreturn]] void Die(const QString& why) {
  std::fprintf(stderr, "gen_mainwindow: %s\n", qPrintable(why));
  std::exit(1);
}

void Write(const QString& path, const QByteArray& bytes) {
  QFile file(path);
  if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size()) Die("cannot write " + path);
}

// Median cut with a k-means polish: splits the colour box with the largest
// squared error along its widest channel at the weighted median until there
// are `count` boxes, then moves each colour to the mean of the pixels nearest
// to it a few times.
struct HistogramEntry {
  QRgb colour;
  int n;
};

long Distance(QRgb a, QRgb b) {
  const long dr = qRed(a) - qRed(b), dg = qGreen(a) - qGreen(b), db = qBlue(a) - qBlue(b);
  return 3 * dr * dr + 4 * dg * dg + 2 * db * db;
}

int Nearest(const QList<QRgb>& palette, int from, QRgb c) {
  int best = from;
  long bestD = LONG_MAX;
  for (int i = from; i < int(palette.size()); ++i)
    if (const long d = Distance(c, palette[i]); d < bestD) bestD = d, best = i;
  return best;
}

QList<QRgb> MedianCut(const std::vector<HistogramEntry>& histogram, int count) {
  using Box = std::vector<HistogramEntry>;
  const auto channel = [](QRgb c, int ch) { return ch == 0 ? qRed(c) : ch == 1 ? qGreen(c) : qBlue(c); };
  // Squared error of a box along each channel.
  const auto spread = [&](const Box& box, std::array<double, 3>& sse) {
    double n = 0;
    std::array<double, 3> sum{}, sq{};
    for (const HistogramEntry& e : box)
      for (int ch = 0; ch < 3; ++ch) {
        const double v = channel(e.colour, ch);
        sum[ch] += v * e.n, sq[ch] += v * v * e.n;
      }
    for (const HistogramEntry& e : box) n += e.n;
    for (int ch = 0; ch < 3; ++ch) sse[ch] = sq[ch] - sum[ch] * sum[ch] / n;
  };
  std::vector<Box> boxes{histogram};
  while (int(boxes.size()) < count) {
    int best = -1, bestChannel = 0;
    double bestScore = 0;
    for (int b = 0; b < int(boxes.size()); ++b) {
      if (boxes[b].size() < 2) continue;
      std::array<double, 3> sse{};
      spread(boxes[b], sse);
      const double total = sse[0] + sse[1] + sse[2];
      if (total > bestScore)
        bestScore = total, best = b, bestChannel = int(std::max_element(sse.begin(), sse.end()) - sse.begin());
    }
    if (best < 0) break;
    Box& box = boxes[best];
    std::stable_sort(box.begin(), box.end(), [&](const HistogramEntry& a, const HistogramEntry& b) {
      return channel(a.colour, bestChannel) < channel(b.colour, bestChannel);
    });
    long total = 0, half = 0;
    for (const HistogramEntry& e : box) total += e.n;
    size_t cut = 0;
    while (cut + 2 < box.size() && (half += box[cut].n) < total / 2) ++cut;
    Box upper(box.begin() + long(cut) + 1, box.end());
    box.resize(cut + 1);
    boxes.push_back(std::move(upper));
  }
  QList<QRgb> palette;
  for (const Box& box : boxes) {
    double r = 0, g = 0, b = 0, n = 0;
    for (const HistogramEntry& e : box)
      r += qRed(e.colour) * e.n, g += qGreen(e.colour) * e.n, b += qBlue(e.colour) * e.n, n += e.n;
    palette.append(qRgb(int(std::lround(r / n)), int(std::lround(g / n)), int(std::lround(b / n))));
  }
  for (int round = 0; round < 4; ++round) {
    std::vector<std::array<double, 4>> acc(palette.size(), {0, 0, 0, 0});
    for (const HistogramEntry& e : histogram) {
      auto& a = acc[size_t(Nearest(palette, 0, e.colour))];
      a[0] += qRed(e.colour) * e.n, a[1] += qGreen(e.colour) * e.n, a[2] += qBlue(e.colour) * e.n, a[3] += e.n;
    }
    for (int i = 0; i < int(palette.size()); ++i)
      if (acc[i][3] > 0)
        palette[i] = qRgb(int(std::lround(acc[i][0] / acc[i][3])), int(std::lround(acc[i][1] / acc[i][3])),
                          int(std::lround(acc[i][2] / acc[i][3])));
  }
  return palette;
}

// Keys the painted panel to its silhouette and brings it down to 256 colours:
// index 0 the key green, 1..26 the fringe greys, the rest chosen by median cut.
// `inside` tells the silhouette's pixels; `withFringe` gives the pixels along
// its edge the fringe greys.
QImage KeyedPicture(const QImage& art, const std::function<bool(int, int)>& insideShape, bool withFringe) {
  const int w = art.width(), h = art.height();
  const auto inside = [&](int x, int y) { return x >= 0 && y >= 0 && x < w && y < h && insideShape(x, y); };
  QList<QRgb> palette{kKeyGreen};
  for (int g = kFringeLow; g <= kFringeHigh; ++g) palette.append(qRgb(g, g, g));
  const int reserved = int(palette.size());

  QImage out(w, h, QImage::Format_Indexed8);
  std::vector<int> fringe(size_t(w) * h, -1);
  QHash<QRgb, int> histogram;
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      if (!inside(x, y)) continue;
      // A fringe pixel touches the green on a side; its grey follows which way
      // it faces, lighter towards the upper left.
      int nx = 0, ny = 0;
      if (!inside(x - 1, y)) --nx;
      if (!inside(x + 1, y)) ++nx;
      if (!inside(x, y - 1)) --ny;
      if (!inside(x, y + 1)) ++ny;
      if (withFringe && (!inside(x - 1, y) || !inside(x + 1, y) || !inside(x, y - 1) || !inside(x, y + 1))) {
        const double len = std::sqrt(double(nx * nx + ny * ny));
        const double facing = len > 0 ? -(nx + ny) / (len * std::sqrt(2.0)) : 0;
        fringe[size_t(y) * w + x] = std::clamp(int(std::lround(234.5 + 12.5 * facing)), kFringeLow, kFringeHigh);
        continue;
      }
      ++histogram[art.pixel(x, y) & 0xFFFFFF];
    }
  std::vector<HistogramEntry> entries;
  for (auto it = histogram.begin(); it != histogram.end(); ++it) entries.push_back({it.key(), it.value()});
  // QHash iterates in a different order in every run; the files must not.
  std::sort(entries.begin(), entries.end(), [](const auto& a, const auto& b) { return a.colour < b.colour; });
  palette += MedianCut(entries, 256 - reserved);
  for (int i = reserved; i < int(palette.size()); ++i)
    if ((palette[i] & 0xFFFFFF) == (kKeyGreen & 0xFFFFFF)) palette[i] = qRgb(1, 254, 1);
  out.setColorTable(palette);

  QHash<QRgb, int> nearest;
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      const int f = fringe[size_t(y) * w + x];
      if (!inside(x, y)) {
        out.setPixel(x, y, 0);
      } else if (f >= 0) {
        out.setPixel(x, y, uint(1 + f - kFringeLow));
      } else {
        const QRgb c = art.pixel(x, y) & 0xFFFFFF;
        auto it = nearest.find(c);
        if (it == nearest.end()) it = nearest.insert(c, Nearest(palette, reserved, c));
        out.setPixel(x, y, uint(*it));
      }
    }
  return out;
}

// The pixels of an icon's shape must keep two pixels from its edges, where the
// black ring goes.
bool MarginsKept(const QImage& icon, const QString& name) {
  const QRgb key = parvex::noshape::KeyColour(icon);
  for (int y = 0; y < icon.height(); ++y)
    for (int x = 0; x < icon.width(); ++x)
      if (!parvex::noshape::IsKey(icon.pixel(x, y), key) &&
          (x < 2 || y < 2 || x > icon.width() - 3 || y > icon.height() - 3)) {
        std::fprintf(stderr, "%s: shape pixel at %d,%d too near the edge\n", qPrintable(name), x, y);
        return false;
      }
  return true;
}

QImage Enlarged(const QImage& image, int factor) {
  return image.convertToFormat(QImage::Format_RGB32).scaled(image.size() * factor, Qt::IgnoreAspectRatio,
                                                            Qt::FastTransformation);
}

}  // namespace

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  if (argc < 2) Die("usage: gen_mainwindow <resources dir> [<preview dir>]");
  const QDir root(QString::fromLocal8Bit(argv[1]));
  if (!root.mkpath("mainwindow")) Die("cannot create " + root.filePath("mainwindow"));
  const QString dir = root.filePath("mainwindow");

  const QImage picture = KeyedPicture(
      gen::PaintPanel(),
      [](int x, int y) { return gen::Outline::InRing(x + 0.5, y + 0.5) || gen::Outline::InPlate(x + 0.5, y + 0.5); },
      true);
  const QRegion region = parvex::mask2::FromKeyedPicture(picture);
  // Twice the size for scaled screens. The window is cut by the outline above,
  // doubled with the window, so the doubled picture keeps exactly its pixels:
  // no key green inside the cut, and no fringe (it lies outside the cut).
  const QImage picture2x =
      KeyedPicture(gen::PaintPanel(2), [&](int x, int y) { return region.contains(QPoint(x / 2, y / 2)); }, false);
  for (const QRect& r : gen::kHotSpots)
    if (region.intersected(r) != QRegion(r)) Die("a hot-spot leaves the window outline");
  for (const QRect& r : gen::kLamps)
    if (region.intersected(r) != QRegion(r)) Die("a lamp leaves the window outline");
  Write(dir + "/CoolForm1.Picture.bmp", parvex::bmp::Encode(picture));
  Write(dir + "/CoolForm1.Mask2", parvex::mask2::Encode(region));
  if (!picture2x.save(dir + "/CoolForm1.Picture@2x.png")) Die("cannot write the doubled picture");
  const QRect box = region.boundingRect();
  std::printf("outline: %d rectangles, bounding box %d, %d, %d, %d\n", region.rectCount(), box.left(), box.top(),
              box.left() + box.width(), box.top() + box.height());

  // The classic button colours, not whatever desktop runs the generator.
  QPalette classic;
  classic.setColor(QPalette::Light, QColor(255, 255, 255));
  classic.setColor(QPalette::Dark, QColor(128, 128, 128));
  const std::array<QImage, 5> icons{gen::FloppyIcon(), gen::NoteIcon(), gen::ToolsIcon(), gen::DoorIcon(),
                                    gen::CurvedArrowIcon()};
  const std::array<QImage, 5> icons2x{gen::FloppyIcon(2), gen::NoteIcon(2), gen::ToolsIcon(2), gen::DoorIcon(2),
                                      gen::CurvedArrowIcon(2)};
  std::array<parvex::TNoShape*, 5> buttons{};
  QWidget window;
  QStringList files{"CoolForm1.Picture.bmp", "CoolForm1.Mask2", "CoolForm1.Picture@2x.png"};
  bool marginsKept = true;
  for (int i = 0; i < 5; ++i) {
    const QString name = QString("NoShape%1").arg(i + 1);
    marginsKept = MarginsKept(icons[i], name) && marginsKept;
    if (icons[i].size() != gen::kHotSpots[i].size()) Die(name + ": picture size differs from its place");
    auto* button = new parvex::TNoShape(&window);
    button->setPalette(classic);
    button->setBitmap(icons[i]);
    Write(dir + "/" + name + ".Bitmap.bmp", parvex::bmp::Encode(icons[i]));
    Write(dir + "/" + name + ".BitmapUp.bmp", button->writeBitmapUp());
    Write(dir + "/" + name + ".BitmapDown.bmp", button->writeBitmapDown());
    files << name + ".Bitmap.bmp" << name + ".BitmapUp.bmp" << name + ".BitmapDown.bmp";
    // The same at twice the size, rendered by the same outline rules.
    const QImage doubled = icons2x[i];
    if (doubled.size() != icons[i].size() * 2) Die(name + ": doubled picture has the wrong size");
    const QRgb light = classic.color(QPalette::Light).rgb(), dark = classic.color(QPalette::Dark).rgb();
    const bool written =
        doubled.save(dir + "/" + name + ".Bitmap@2x.png") &&
        parvex::noshape::GenerateOutline(doubled, parvex::noshape::okReleased, light, dark, 2)
            .save(dir + "/" + name + ".BitmapUp@2x.png") &&
        parvex::noshape::GenerateOutline(doubled, parvex::noshape::okPressed, light, dark, 2)
            .save(dir + "/" + name + ".BitmapDown@2x.png");
    if (!written) Die(name + ": cannot write the doubled renderings");
    files << name + ".Bitmap@2x.png" << name + ".BitmapUp@2x.png" << name + ".BitmapDown@2x.png";
    buttons[i] = button;
  }

  QByteArray qrc = "<!DOCTYPE RCC>\n<!-- Generated by tools/gen_mainwindow. -->\n<RCC version=\"1.0\">\n"
                   "  <qresource prefix=\"/\">\n";
  for (const QString& f : files) qrc += "    <file>mainwindow/" + f.toUtf8() + "</file>\n";
  qrc += "  </qresource>\n</RCC>\n";
  Write(root.filePath("mainwindow.qrc"), qrc);

  if (argc >= 3) {
    const QDir preview(QString::fromLocal8Bit(argv[2]));
    preview.mkpath(".");
    picture.save(preview.filePath("picture.png"));
    QImage sheet(5 * 80 * 4, 2 * 80 * 4, QImage::Format_RGB32);
    sheet.fill(QColor(200, 200, 200));
    QPainter s(&sheet);
    for (int i = 0; i < 5; ++i) {
      s.drawImage(i * 320, 0, Enlarged(buttons[i]->releasedImage(), 4));
      s.drawImage(i * 320, 320, Enlarged(buttons[i]->pressedImage(), 4));
    }
    s.end();
    sheet.save(preview.filePath("hotspots.png"));

    // The window as it will be seen: cut to the outline over a blue desktop,
    // hot-spots released, lamps as plain yellow and dark discs.
    QImage screen(picture.size(), QImage::Format_RGB32);
    screen.fill(QColor(40, 90, 160));
    QPainter w(&screen);
    w.setClipRegion(region);
    w.drawImage(0, 0, picture);
    for (int i = 0; i < 5; ++i) {
      const QImage up = buttons[i]->releasedImage();
      w.drawImage(gen::kHotSpots[i].topLeft(),
                  parvex::noshape::Foreground(up, parvex::noshape::KeyColour(icons[i]), up.size(), false));
    }
    w.setRenderHint(QPainter::Antialiasing);
    for (int i = 0; i < 5; ++i) {
      w.fillRect(gen::kLamps[i], QColor(128, 64, 0));
      w.setBrush(i == 0 ? QColor(255, 255, 0) : QColor(110, 110, 0));
      w.setPen(Qt::black);
      w.drawEllipse(QRectF(gen::kLamps[i]).adjusted(1.5, 1.5, -1.5, -1.5));
    }
    w.end();
    Enlarged(screen, 2).save(preview.filePath("window.png"));
  }
  if (!marginsKept) Die("hot-spot pictures need two key-colour pixels round their edges");
  return 0;
}
