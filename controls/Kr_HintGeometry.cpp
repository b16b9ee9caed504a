// Sizing, placing and composing balloon hints, free of any window.
#include "controls/Kr_HintGeometry.h"

#include <QApplication>
#include <QFontMetrics>
#include <QPainter>
#include <QToolTip>

#include <algorithm>
#include <cmath>

namespace parvex::kr_hint {
namespace {

int AlignFlag(KrHint::KrAlign align) {
  switch (align) {
    case KrHint::KrLeft: return Qt::AlignLeft;
    case KrHint::KrRight: return Qt::AlignRight;
    case KrHint::KrCenter: break;
  }
  return Qt::AlignHCenter;
}

int TextFlags(KrHint::KrAlign align) {
  return Qt::TextWordWrap | Qt::AlignTop | AlignFlag(align);
}

// Text is drawn on images; measuring against an image keeps the two in step
// whatever resolution the screen reports.
const QImage& MeasuringDevice() {
  static const QImage device(1, 1, QImage::Format_ARGB32_Premultiplied);
  return device;
}

// A shape outline with a one-pixel pen, inside the rectangle's pixels.
QRectF OutlineRect(const QRect& r) {
  return QRectF(r).adjusted(0.5, 0.5, -0.5, -0.5);
}

void DrawPicture(QPainter& p, const KrHint::Settings& s, const QRect& body) {
  if (s.bitmapAlign == KrHint::paNone || s.bitmap.isNull()) return;
  if (s.stretch)
    p.drawImage(body, s.bitmap);
  else
    p.drawImage(PicturePosition(body, s.bitmap.size(), s.bitmapAlign), s.bitmap);
}

void Draw3dEdges(QPainter& p, const QRect& b, const QColor& topLeft, const QColor& bottomRight) {
  if (b.isEmpty()) return;
  p.setPen(topLeft);
  p.drawLine(b.left(), b.top(), b.right(), b.top());
  p.drawLine(b.left(), b.top(), b.left(), b.bottom());
  p.setPen(bottomRight);
  p.drawLine(b.right(), b.top(), b.right(), b.bottom());
  p.drawLine(b.left(), b.bottom(), b.right(), b.bottom());
}

}  // namespace

QSize MeasureText(const QString& text, const QFont& font, int width, KrHint::KrAlign align) {
  const QFontMetrics metrics(font, &MeasuringDevice());
  const QRect laid = metrics.boundingRect(QRect(0, 0, std::max(width, 1), 0), TextFlags(align), text);
  return laid.size();
}

QSize EllipseEnlargement(QSize text) {
  // A w x h rectangle fits in an ellipse with semi-axes w/sqrt(2), h/sqrt(2);
  // the margins on top of that leave room for the outline and for the half
  // pixel that centring may shift the text by.
  const double grow = std::sqrt(2.0) - 1.0;
  return {static_cast<int>(std::ceil(std::max(text.width(), 0) * grow)),
          static_cast<int>(std::ceil(std::max(text.height(), 0) * grow))};
}

QSize BalloonSize(QSize text, KrHint::KrKind kind, KrHint::KrShadow shadow, int shadowWidth) {
  QSize size(text.width() + kMarginX, text.height() + kMarginY);
  if (shadow != KrHint::shNone && kind != KrHint::KrWindow) {
    const int s = std::max(shadowWidth, 0);
    size += QSize(s, s);
  }
  if (kind == KrHint::KrEllipse) size += EllipseEnlargement(text);
  return size;
}

QPoint PlaceBalloon(QPoint pointer, QSize size, const QRect& screen) {
  QPoint at(pointer.x(), pointer.y() + kPointerGap);
  const int screenRight = screen.x() + screen.width();
  const int screenBottom = screen.y() + screen.height();
  if (at.x() + size.width() > screenRight) at.rx() -= at.x() + size.width() - screenRight;
  if (at.y() + size.height() > screenBottom) at.ry() -= at.y() + size.height() - screenBottom;
  return at;
}

BodyAndShadow SplitBody(const QRect& client, KrHint::KrShadow shadow, int shadowWidth) {
  const int s = std::max(shadowWidth, 0);
  // adjusted() moves left, top, right, bottom in that order.
  switch (shadow) {
    case KrHint::shTopLeft: return {client.adjusted(s, s, 0, 0), client.adjusted(0, 0, -s, -s)};
    case KrHint::shTopRight: return {client.adjusted(0, s, -s, 0), client.adjusted(s, 0, 0, -s)};
    case KrHint::shBottomLeft: return {client.adjusted(s, 0, 0, -s), client.adjusted(0, s, -s, 0)};
    case KrHint::shBottomRight: return {client.adjusted(0, 0, -s, -s), client.adjusted(s, s, 0, 0)};
    case KrHint::shNone: break;
  }
  return {client, client};
}

QRect CentredTextRect(const QRect& area, QSize text) {
  // Plain int division truncates toward zero, as the layout always has.
  const int left = (area.left() + area.left() + area.width() - text.width()) / 2;
  const int top = (area.top() + area.top() + area.height() - text.height()) / 2;
  return QRect(QPoint(left, top), text);
}

QPoint PicturePosition(const QRect& body, QSize picture, KrHint::KrPictAlign align) {
  const int right = body.left() + body.width();
  const int bottom = body.top() + body.height();
  int x = 1;
  int y = 1;
  switch (align) {
    case KrHint::paTopCenter: case KrHint::paCenter: case KrHint::paBottomCenter:
      x = (right - picture.width()) / 2;
      break;
    case KrHint::paTopRight: case KrHint::paRight: case KrHint::paBottomRight:
      x = right - picture.width() - 1;
      break;
    default:
      break;
  }
  switch (align) {
    case KrHint::paLeft: case KrHint::paCenter: case KrHint::paRight:
      y = (bottom - picture.height()) / 2;
      break;
    case KrHint::paBottomLeft: case KrHint::paBottomCenter: case KrHint::paBottomRight:
      y = bottom - picture.height() - 1;
      break;
    default:
      break;
  }
  return {x, y};
}

void DarkenShadow(QImage& picture, const QRect& shadowRect, const QRect& bodyRect) {
  if (picture.format() != QImage::Format_ARGB32_Premultiplied)
    picture = picture.convertToFormat(QImage::Format_ARGB32_Premultiplied);
  // The rectangles are in the balloon's pixels; a picture for a scaled screen
  // has more of its own.
  const qreal ratio = picture.devicePixelRatio();
  const auto device = [ratio](const QRect& r) {
    if (ratio == 1) return r;
    return QRect(QPoint(qRound(r.left() * ratio), qRound(r.top() * ratio)),
                 QPoint(qRound((r.right() + 1) * ratio) - 1, qRound((r.bottom() + 1) * ratio) - 1));
  };
  const QRect shadow = device(shadowRect);
  const QRect body = device(bodyRect);
  const QRect area = shadow & picture.rect();
  const int keep = 255 - kShadowDarkening;
  auto lower = [](int c) { return c >= kShadowDarkening ? c - kShadowDarkening : c; };
  for (int y = area.top(); y <= area.bottom(); ++y) {
    auto* line = reinterpret_cast<QRgb*>(picture.scanLine(y));
    for (int x = area.left(); x <= area.right(); ++x) {
      // The body is filled over the shadow afterwards; darkening it too would
      // show through a translucent body colour.
      if (body.contains(x, y)) continue;
      const QRgb p = line[x];
      if (qAlpha(p) == 255) {
        line[x] = qRgb(lower(qRed(p)), lower(qGreen(p)), lower(qBlue(p)));
      } else {
        line[x] = qRgba(qRed(p) * keep / 255, qGreen(p) * keep / 255, qBlue(p) * keep / 255,
                        kShadowDarkening + qAlpha(p) * keep / 255);
      }
    }
  }
}

QFont HintFont(const KrHint::Settings& settings) {
  if (settings.kind == KrHint::KrWindow) return QApplication::font("QStatusBar");
  return settings.font;
}

QColor HintTextColor(const KrHint::Settings& settings) {
  if (settings.kind == KrHint::KrWindow) return QToolTip::palette().color(QPalette::ToolTipText);
  return settings.fontColor;
}

void ComposeBalloon(QImage& picture, const KrHint::Settings& s, const QString& text, QSize textSize) {
  if (picture.isNull()) return;
  const QRect client(QPoint(0, 0), picture.deviceIndependentSize().toSize());
  const auto [body, shadow] = SplitBody(client, s.shadow, s.shadowWidth);
  const bool boxShadow = s.kind == KrHint::KrFlat || s.kind == KrHint::KrSquare ||
                         s.kind == KrHint::Kr3dUp || s.kind == KrHint::Kr3dDown;
  // Darkening reads the screen copy, so it comes before any painter is open.
  if (boxShadow && s.transparentShadow) DarkenShadow(picture, shadow, body);

  QPainter p(&picture);
  QRect textArea = body;
  if (boxShadow && !s.transparentShadow) p.fillRect(shadow, s.colorShadow);

  switch (s.kind) {
    case KrHint::KrWindow: {
      const QPalette palette = QToolTip::palette();
      p.fillRect(client, palette.color(QPalette::ToolTipBase));
      Draw3dEdges(p, client, palette.color(QPalette::Midlight), palette.color(QPalette::Shadow));
      textArea = client;
      break;
    }
    case KrHint::KrFlat:
      p.fillRect(body, s.color);
      DrawPicture(p, s, body);
      break;
    case KrHint::KrSquare:
      p.setPen(s.colorBorder);
      p.setBrush(s.color);
      if (!body.isEmpty()) p.drawRect(body.adjusted(0, 0, -1, -1));
      DrawPicture(p, s, body);
      break;
    case KrHint::KrRoundSquare:
    case KrHint::KrEllipse: {
      p.setRenderHint(QPainter::Antialiasing);
      const qreal corner = kRoundCorner / 2.0;
      auto shape = [&](const QRect& r) {
        if (r.isEmpty()) return;
        if (s.kind == KrHint::KrEllipse)
          p.drawEllipse(OutlineRect(r));
        else
          p.drawRoundedRect(OutlineRect(r), corner, corner);
      };
      p.setPen(s.colorShadow);
      p.setBrush(s.colorShadow);
      shape(shadow);
      p.setPen(s.colorBorder);
      p.setBrush(s.color);
      shape(body);
      p.setRenderHint(QPainter::Antialiasing, false);
      break;
    }
    case KrHint::Kr3dUp:
    case KrHint::Kr3dDown: {
      p.fillRect(body, s.color);
      const bool up = s.kind == KrHint::Kr3dUp;
      Draw3dEdges(p, body, up ? s.colorUp : s.colorDown, up ? s.colorDown : s.colorUp);
      DrawPicture(p, s, body);
      break;
    }
    case KrHint::KrTransParent:
      textArea = client;
      break;
  }

  p.setFont(HintFont(s));
  p.setPen(HintTextColor(s));
  p.setBrush(Qt::NoBrush);
  p.drawText(CentredTextRect(textArea, textSize), TextFlags(s.align) | Qt::TextDontClip, text);
}

}  // namespace parvex::kr_hint
