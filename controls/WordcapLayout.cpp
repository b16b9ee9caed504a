// The pure computations of the gradient caption bar.

#include "controls/WordcapLayout.h"

#include <QtGlobal>
#include <cstdint>
#include <limits>

namespace Wordcap {

int MulDiv(int number, int numerator, int denominator) {
  if (denominator == 0) return -1;
  const std::int64_t product = std::int64_t(number) * numerator;
  const bool negative = (product < 0) != (denominator < 0);
  const std::uint64_t magnitude = product < 0 ? std::uint64_t(-product) : std::uint64_t(product);
  const std::uint64_t divisor =
      denominator < 0 ? std::uint64_t(-std::int64_t(denominator)) : std::uint64_t(denominator);
  // Halves round away from zero: add half the divisor to the magnitude.
  const std::uint64_t quotient = (magnitude + divisor / 2) / divisor;
  if (quotient > std::uint64_t(std::numeric_limits<int>::max())) return -1;
  return negative ? -int(quotient) : int(quotient);
}

namespace {

int mixComponent(int start, int end, int band, int lastBand) {
  if (lastBand == 0) return start;
  return start + MulDiv(band, end - start, lastBand);
}

}  // namespace

std::vector<TBand> gradientBands(int left, int right, QRgb start, QRgb end, int numColors) {
  const int n = qBound(1, numColors, kMaxNumColors);
  const int width = right - left;
  std::vector<TBand> bands;
  bands.reserve(n);
  for (int i = 0; i < n; ++i) {
    TBand band;
    band.left = left + MulDiv(i, width, n);
    band.right = left + MulDiv(i + 1, width, n);
    band.colour = qRgb(mixComponent(qRed(start), qRed(end), i, n - 1),
                       mixComponent(qGreen(start), qGreen(end), i, n - 1),
                       mixComponent(qBlue(start), qBlue(end), i, n - 1));
    bands.push_back(band);
  }
  return bands;
}

int acceptedNumColors(int current, int requested) {
  if (requested <= 0) return current;
  return qMin(requested, kMaxNumColors);
}

bool gradientWanted(TGradEnabled mode, bool active, int depth) {
  switch (mode) {
    case geAlways:
      return true;
    case geNever:
      return false;
    case geWhenActive:
      return active;
    case geSmart:
      // A 256-colour display can afford one gradient, not two.
      return active ? depth >= 8 : depth > 8;
  }
  return false;
}

TFit fitParts(int available, TPartWidth company, TPartWidth appName, TPartWidth caption) {
  const int c = company.visible ? company.width : 0;
  const int a = appName.visible ? appName.width : 0;
  const int t = caption.visible ? caption.width : 0;
  if (c + a + t < available) return {true, true, c + a + t};
  if (a + t < available) return {false, true, a + t};
  return {false, false, t};
}

int justifyOffset(TJustification justification, int available, int total) {
  if (total >= available) return 0;
  switch (justification) {
    case jCenter:
      return (available - total) / 2;
    case jRight:
      return available - total;
    case jLeft:
    case jAuto:
      return 0;
  }
  return 0;
}

QString composeFormCaption(const TCaptionParts& parts) {
  QString text;
  if (parts.companyVisible) {
    text += parts.company;
    if (!parts.company.isEmpty() && (parts.appNameVisible || parts.captionVisible))
      text += QLatin1Char(' ');
  }
  if (parts.appNameVisible) {
    text += parts.appName;
    if (!parts.appName.isEmpty() && parts.captionVisible) text += QLatin1Char(' ');
  }
  if (parts.captionVisible) text += parts.caption;
  return text;
}

QString shownText(const QString& caption) {
  QString shown;
  shown.reserve(caption.size());
  for (qsizetype i = 0; i < caption.size(); ++i) {
    // "&&" is one ampersand; a single one only marks the letter after it.
    if (caption[i] == QLatin1Char('&') && i + 1 < caption.size()) ++i;
    shown += caption[i];
  }
  return shown;
}

namespace {

// Drops text up to and including the first occurrence of part, then one space.
void stripThrough(QString& text, const QString& part) {
  if (part.isEmpty()) return;
  const qsizetype at = text.indexOf(part);
  if (at < 0) return;
  text.remove(0, at + part.size());
  if (text.startsWith(QLatin1Char(' '))) text.remove(0, 1);
}

}  // namespace

QString deriveCaption(const QString& formCaption, const TCaptionParts& parts) {
  QString text = formCaption;
  if (parts.companyVisible) stripThrough(text, parts.company);
  if (parts.appNameVisible) stripThrough(text, parts.appName);
  return text;
}

TBarLayout layoutBar(QSize bar, const TButtonSet& buttons, int buttonWidth, bool withIcon,
                     QSize iconSize) {
  TBarLayout layout;
  const int b = buttonWidth;
  int left = 0;
  int right = bar.width();
  if (buttons.close) right -= b + 2;
  if (buttons.minimize) right -= b;
  if (buttons.maximize) right -= b;
  if (buttons.help) right -= b + 2;
  if (left >= right) right = left + 2;

  if (withIcon) {
    left += 1;
    const int y = qMax(0, (bar.height() - iconSize.height()) / 2);
    layout.icon = QRect(QPoint(left + 1, y), iconSize);
    left += iconSize.width() + 1;
  }
  layout.text = QRect(left, 0, qMax(0, right - left), bar.height());

  // Buttons sit in the bar shrunk by 2, from the right.
  const int a = b - 2;
  const int top = 2;
  const int height = bar.height() - 4;
  int edge = bar.width() - 2;
  auto place = [&](bool present, QRect& slot, int step) {
    if (!present) return;
    slot = QRect(edge - a, top, a, height);
    edge -= step;
  };
  place(buttons.close, layout.close, a + 2);
  place(buttons.maximize, layout.maximize, a);
  place(buttons.minimize, layout.minimize, a);
  place(buttons.help, layout.help, a);
  return layout;
}

}  // namespace Wordcap
