// TLabelEffect's painting: the picture is built off-screen in one pass per
// copy (shadow, then highlight, then the face) on a premultiplied ARGB image.
// The darkening and lightening of eoReal and the face gradient work on the
// image's scan lines through an 8-bit coverage mask, so that antialiased edges
// blend by their coverage and a fully covered pixel takes the exact value.
#include <QFontMetrics>
#include <QPainter>
#include <QTextBoundaryFinder>
#include <algorithm>
#include <array>
#include <cmath>

#include "controls/LblEffct.h"

namespace parvex {
namespace {

// Nearest integer, halves to the even neighbour.
int Rnd(double x) {
  const double down = std::floor(x);
  const double fraction = x - down;
  const int low = static_cast<int>(down);
  if (fraction > 0.5) return low + 1;
  if (fraction < 0.5) return low;
  return (low % 2 == 0) ? low : low + 1;
}

int Trunc(double x) { return static_cast<int>(x); }

using Steps = std::array<double, 3>;

Steps StepsBetween(const QColor& from, const QColor& to, int count) {
  if (count == 0) return {0, 0, 0};
  return {double(to.red() - from.red()) / count, double(to.green() - from.green()) / count,
          double(to.blue() - from.blue()) / count};
}

// base + rnd(step * n) per component, each wrapped into a byte.
QColor Stepped(const QColor& base, const Steps& step, int n) {
  return QColor((base.red() + Rnd(step[0] * n)) & 0xFF, (base.green() + Rnd(step[1] * n)) & 0xFF,
                (base.blue() + Rnd(step[2] * n)) & 0xFF);
}

// x moved towards `full` by coverage/255, rounded half away from zero.
int Towards(int x, int full, int coverage) {
  if (coverage == 255) return full;
  const int d = (full - x) * coverage;
  return x + (d >= 0 ? (d + 127) / 255 : -((-d + 127) / 255));
}

QPoint TopLeft(const QRect& r) { return {r.x(), r.y()}; }
QPoint TopRight(const QRect& r) { return {r.x() + r.width(), r.y()}; }
QPoint BottomLeft(const QRect& r) { return {r.x(), r.y() + r.height()}; }
QPoint BottomRight(const QRect& r) { return {r.x() + r.width(), r.y() + r.height()}; }

}  // namespace

class TLabelEffectPainter {
 public:
  TLabelEffectPainter(const TLabelEffect& label, QImage& picture, int ratio)
      : l_(label),
        picture_(picture),
        ratio_(ratio),
        mask_(picture.size(), QImage::Format_Alpha8),
        metrics_(label.font(), &picture) {
    mask_.setDevicePixelRatio(ratio);
  }

  void paint() {
    measure();
    background();
    pass(l_.depthShadow_, l_.directionShadow_, l_.styleShadow_, l_.colourShadow_, false);
    pass(l_.depthHighlight_, l_.directionHighlight_, l_.styleHighlight_, l_.colourHighlight_, true);
    face();
  }

 private:
  enum class Layout { Straight, Rotated, Upright };

  void measure();
  void background();
  void pass(int depth, TLabelEffect::TEffectDirection direction, TLabelEffect::TEffectOption style,
            const QColor& colour, bool highlight);
  void face();
  // One copy of the caption, k steps along `step`, in the painter's pen.
  void drawCaption(QPainter& p, int k, QPoint step) const;
  void beginText(QPainter& p) const;
  void finishReal(bool highlight);
  // O or N, and f, of the face gradient; f < 0 when there is no line.
  void gradientExtent(int& start, int& length) const;

  const TLabelEffect& l_;
  QImage& picture_;
  int ratio_;
  QImage mask_;  // coverage of the copies drawn for eoReal, then of the face
  QFontMetrics metrics_;
  Layout layout_ = Layout::Straight;
  QString text_;
  int minOff_ = 0, maxOff_ = 0, shift_ = 0;
  // Rotated caption: origin and background corners.
  int v_ = 0, u_ = 0;
  QPolygon corners_;
  // Upright letters: each letter and its top-left corner, and the end boxes.
  QStringList letters_;
  QList<QPoint> letterAt_;
  QRect first_, last_;
};

void TLabelEffectPainter::measure() {
  const QPoint h = TLabelEffect::directionVector(l_.directionHighlight_);
  const QPoint s = TLabelEffect::directionVector(l_.directionShadow_);
  const int dh = l_.depthHighlight_, ds = l_.depthShadow_;
  const std::array<int, 5> products = {0, h.x() * dh, s.x() * ds, h.y() * dh, s.y() * ds};
  minOff_ = *std::min_element(products.begin(), products.end());
  maxOff_ = *std::max_element(products.begin(), products.end());
  text_ = l_.caption_;
  switch (l_.alignment_) {
    case TLabelEffect::taLeftJustify: shift_ = 0; break;
    case TLabelEffect::taRightJustify: shift_ = maxOff_ - minOff_; break;
    case TLabelEffect::taCenter: shift_ = (maxOff_ - minOff_) / 2; break;
  }
  const double cos = l_.cosAngle_, sin = l_.sinAngle_;
  if (l_.angle_ == 0) {
    layout_ = Layout::Straight;
  } else if (!l_.keepLettersVertical_) {
    layout_ = Layout::Rotated;
    const int wt = metrics_.horizontalAdvance(text_), ht = metrics_.height();
    // The middle of the turned caption lies at (m, m).
    const int m = metrics_.horizontalAdvance(text_ + QStringLiteral("   ")) / 2;
    v_ = m - Trunc(wt / 2.0 * cos) - Trunc(ht / 2.0 * sin);
    u_ = m + Trunc(wt / 2.0 * sin) - Trunc(ht / 2.0 * cos);
    // The ground: the turned caption's box around the middle of its copies
    // (which lie 0 .. spread pixels right of and below the caption), grown by
    // the spread and a margin of 2 on every side, so that it holds every copy
    // whatever the angle.
    const int spread = maxOff_ - minOff_;
    const double cx = v_ + wt / 2.0 * cos + ht / 2.0 * sin + spread / 2.0;
    const double cy = u_ - wt / 2.0 * sin + ht / 2.0 * cos + spread / 2.0;
    const double halfWidth = wt / 2.0 + spread + 2, halfHeight = ht / 2.0 + spread + 2;
    corners_.clear();
    for (auto [sx, sy] : {std::pair{-1, -1}, std::pair{1, -1}, std::pair{1, 1}, std::pair{-1, 1}}) {
      const double x = sx * halfWidth, y = sy * halfHeight;
      corners_ << QPoint(Rnd(cx + x * cos + y * sin), Rnd(cy - x * sin + y * cos));
    }
  } else {
    layout_ = Layout::Upright;
    QTextBoundaryFinder graphemes(QTextBoundaryFinder::Grapheme, text_);
    for (qsizetype from = 0, to; (to = graphemes.toNextBoundary()) > 0; from = to)
      letters_.append(text_.mid(from, to - from));
    const int n = int(letters_.size());
    const int height = metrics_.height();
    // d(i): how far letter i lies from the first along the slanted line.
    QList<int> distance(std::max(n, 1), 0);
    QString prefix;
    for (int i = 1; i < n; ++i) {
      prefix += letters_[i - 1];
      distance[i] = Rnd(metrics_.horizontalAdvance(prefix) * l_.cosSquared_ + height * i * l_.sinSquared_);
    }
    const int span = distance[std::max(n - 1, 0)];
    v_ = std::max(0, -Rnd(span * cos)) + 10;
    u_ = std::max(0, Rnd(span * sin)) + 10;
    for (int i = 0; i < n; ++i) letterAt_.append(QPoint(v_ + Rnd(distance[i] * cos), u_ - Rnd(distance[i] * sin)));
    const int e = maxOff_ - minOff_ + 4;
    const int firstWidth = n > 0 ? metrics_.horizontalAdvance(letters_.first()) : 0;
    const int lastWidth = n > 0 ? metrics_.horizontalAdvance(letters_.last()) : 0;
    first_ = QRect(v_ - 2, u_ - 2, firstWidth + e, height + e);
    last_ = QRect(v_ + Rnd(span * cos) - 2, u_ - Rnd(span * sin) - 2, lastWidth + e, height + e);
  }
}

void TLabelEffectPainter::background() {
  if (l_.transparent_) return;
  QPainter p(&picture_);
  p.setRenderHint(QPainter::Antialiasing, false);
  if (layout_ == Layout::Straight) {
    p.fillRect(QRect(0, 0, l_.width(), l_.height()), l_.color());
    return;
  }
  QPolygon outline = corners_;
  if (layout_ == Layout::Upright) {
    const QRect& b1 = first_;
    const QRect& b2 = last_;
    const int a = l_.angle_;
    if (a <= 90)
      outline = {TopLeft(b1), TopLeft(b2), TopRight(b2), BottomRight(b2), BottomRight(b1), BottomLeft(b1)};
    else if (a <= 180)
      outline = {TopRight(b1), TopRight(b2), TopLeft(b2), BottomLeft(b2), BottomLeft(b1), BottomRight(b1)};
    else if (a <= 270)
      outline = {TopLeft(b1), TopLeft(b2), BottomLeft(b2), BottomRight(b2), BottomRight(b1), TopRight(b1)};
    else
      outline = {TopRight(b1), TopRight(b2), BottomRight(b2), BottomLeft(b2), BottomLeft(b1), TopLeft(b1)};
  }
  // Outlined in the default pen, as polygons are.
  p.setPen(QPen(Qt::black, 1));
  p.setBrush(l_.color());
  p.drawPolygon(outline);
}

void TLabelEffectPainter::beginText(QPainter& p) const {
  p.setFont(l_.font());
  p.setBrush(Qt::NoBrush);
}

void TLabelEffectPainter::drawCaption(QPainter& p, int k, QPoint step) const {
  const QPoint offset(k * step.x() - minOff_, k * step.y() - minOff_);
  switch (layout_) {
    case Layout::Straight: {
      int flags = Qt::AlignTop | Qt::TextExpandTabs | Qt::TextShowMnemonic;
      if (l_.wordWrap_) flags |= Qt::TextWordWrap;
      switch (l_.alignment_) {
        case TLabelEffect::taLeftJustify: flags |= Qt::AlignLeft; break;
        case TLabelEffect::taRightJustify: flags |= Qt::AlignRight; break;
        case TLabelEffect::taCenter: flags |= Qt::AlignHCenter; break;
      }
      QString cut = text_.left(TLabelEffect::kMaxDrawnChars);
      if (!cut.isEmpty() && cut.back().isHighSurrogate()) cut.chop(1);
      const QRect box(offset.x() - shift_, offset.y(), l_.width(), l_.height());
      p.drawText(box, flags, cut);
      break;
    }
    case Layout::Rotated:
      p.save();
      p.translate(v_ + offset.x(), u_ + offset.y());
      p.rotate(-l_.angle_);
      p.drawText(QPoint(0, metrics_.ascent()), text_);
      p.restore();
      break;
    case Layout::Upright:
      for (qsizetype i = 0; i < letters_.size(); ++i)
        p.drawText(letterAt_[i] + offset + QPoint(0, metrics_.ascent()), letters_[i]);
      break;
  }
}

void TLabelEffectPainter::pass(int depth, TLabelEffect::TEffectDirection direction,
                               TLabelEffect::TEffectOption style, const QColor& colour, bool highlight) {
  const bool real = style == TLabelEffect::eoReal;
  const QColor base = real ? QColor(Qt::black) : colour;
  int lowest = depth;
  Steps step{0, 0, 0};
  if ((style == TLabelEffect::eoExtrude || style == TLabelEffect::eoGraduated) && depth > 1) {
    lowest = 1;
    if (style == TLabelEffect::eoGraduated) step = StepsBetween(base, l_.fontColor_, depth - 1);
  }
  if (real) mask_.fill(0);
  {
    QPainter p(real ? static_cast<QPaintDevice*>(&mask_) : &picture_);
    beginText(p);
    const QPoint vector = TLabelEffect::directionVector(direction);
    for (int k = depth; k >= lowest; --k) {
      p.setPen(Stepped(base, step, depth - k));
      drawCaption(p, k, vector);
    }
  }
  if (real) finishReal(highlight);
}

// Where the mask is covered: halve each component (shadow) or halve the
// distance to white (highlight). Alpha follows, so a transparent ground
// becomes a half-covered black or white that darkens or lightens what the
// picture is laid over.
void TLabelEffectPainter::finishReal(bool highlight) {
  const int width = picture_.width();
  for (int y = 0; y < picture_.height(); ++y) {
    const uchar* cover = mask_.constScanLine(y);
    auto* line = reinterpret_cast<QRgb*>(picture_.scanLine(y));
    for (int x = 0; x < width; ++x) {
      const int c = cover[x];
      if (c == 0) continue;
      const QRgb px = line[x];
      const int r = qRed(px), g = qGreen(px), b = qBlue(px), a = qAlpha(px);
      const int fa = (a + 255) >> 1;
      int fr, fg, fb;
      if (highlight) {
        fr = (r + 255) >> 1, fg = (g + 255) >> 1, fb = (b + 255) >> 1;
      } else {
        fr = r >> 1, fg = g >> 1, fb = b >> 1;
      }
      line[x] = qRgba(Towards(r, fr, c), Towards(g, fg, c), Towards(b, fb, c), Towards(a, fa, c));
    }
  }
}

void TLabelEffectPainter::gradientExtent(int& start, int& length) const {
  const bool vertical = l_.graduateFace_ == TLabelEffect::goVertical;
  QPolygon hull;
  switch (layout_) {
    case Layout::Straight: {
      const int f = metrics_.horizontalAdvance(text_);
      if (vertical) {
        start = -minOff_;
        length = metrics_.height() - 1;
        return;
      }
      switch (l_.alignment_) {
        case TLabelEffect::taLeftJustify: start = -minOff_; break;
        case TLabelEffect::taRightJustify: start = l_.width() - maxOff_ - f; break;
        case TLabelEffect::taCenter: start = (l_.width() - f) / 2 - minOff_ - shift_; break;
      }
      length = f - 1;
      return;
    }
    case Layout::Rotated:
      hull = corners_;
      break;
    case Layout::Upright:
      hull = {TopLeft(first_), BottomRight(first_), TopLeft(last_), BottomRight(last_)};
      break;
  }
  const QRect bounds = hull.boundingRect();  // right() and bottom() are the largest x and y
  start = vertical ? bounds.top() : bounds.left();
  length = vertical ? bounds.bottom() - bounds.top() : bounds.right() - bounds.left();
}

void TLabelEffectPainter::face() {
  const QPoint none(0, 0);
  if (l_.graduateFace_ == TLabelEffect::goNone) {
    QPainter p(&picture_);
    beginText(p);
    p.setPen(l_.fontColor_);
    drawCaption(p, 0, none);
    return;
  }
  mask_.fill(0);
  {
    QPainter p(&mask_);
    beginText(p);
    p.setPen(Qt::black);
    drawCaption(p, 0, none);
  }
  int start = 0, length = -1;
  gradientExtent(start, length);
  if (length < 0) return;
  // A single line (length 0) takes the gradient's first colour.
  const Steps step = StepsBetween(l_.graduateFrom_, l_.fontColor_, length);
  QList<QRgb> colours(length + 1);
  for (int j = 0; j <= length; ++j) colours[j] = Stepped(l_.graduateFrom_, step, j).rgb();
  const bool vertical = l_.graduateFace_ == TLabelEffect::goVertical;
  const int width = picture_.width();
  for (int y = 0; y < picture_.height(); ++y) {
    const int row = (y >= 0 ? y / ratio_ : 0) - start;
    if (vertical && (row < 0 || row > length)) continue;
    const uchar* cover = mask_.constScanLine(y);
    auto* line = reinterpret_cast<QRgb*>(picture_.scanLine(y));
    for (int x = 0; x < width; ++x) {
      const int c = cover[x];
      if (c == 0) continue;
      const int j = vertical ? row : x / ratio_ - start;
      if (j < 0 || j > length) continue;
      const QRgb to = colours[j], px = line[x];
      line[x] = qRgba(Towards(qRed(px), qRed(to), c), Towards(qGreen(px), qGreen(to), c),
                      Towards(qBlue(px), qBlue(to), c), Towards(qAlpha(px), 255, c));
    }
  }
}

QImage TLabelEffect::render(const QImage& beneath, int pixelRatio) const {
  if (width() <= 0 || height() <= 0) return QImage();
  pixelRatio = std::max(1, pixelRatio);
  QImage picture(size() * pixelRatio, QImage::Format_ARGB32_Premultiplied);
  picture.setDevicePixelRatio(pixelRatio);
  picture.fill(Qt::transparent);
  if (!beneath.isNull()) {
    QPainter p(&picture);
    p.drawImage(QRect(0, 0, width(), height()), beneath);
  }
  TLabelEffectPainter(*this, picture, pixelRatio).paint();
  return picture;
}

}  // namespace parvex
