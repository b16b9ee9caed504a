// Rounding of the screens' scale factors before Qt starts.
#include "windows/ScaleFactors.h"

#include <QGuiApplication>
#include <QList>
#include <cmath>

namespace scaling {
namespace {

QByteArray RoundedNumber(const QByteArray& number) {
  bool ok = false;
  const double factor = number.trimmed().toDouble(&ok);
  if (!ok || !std::isfinite(factor) || factor <= 0) return number;
  return QByteArray::number(std::max(1.0, std::floor(factor + 0.5)), 'f', 0);
}

}  // namespace

QByteArray Rounded(const QByteArray& value) {
  QList<QByteArray> parts = value.split(';');
  for (QByteArray& part : parts) {
    const qsizetype eq = part.indexOf('=');
    part = eq < 0 ? RoundedNumber(part) : part.left(eq + 1) + RoundedNumber(part.mid(eq + 1));
  }
  return parts.join(';');
}

void RoundScaleFactors() {
  QGuiApplication::setHighDpiScaleFactorRoundingPolicy(Qt::HighDpiScaleFactorRoundingPolicy::Round);
  for (const char* name : {"QT_SCALE_FACTOR", "QT_SCREEN_SCALE_FACTORS"}) {
    if (!qEnvironmentVariableIsSet(name)) continue;
    const QByteArray value = qgetenv(name);
    const QByteArray rounded = Rounded(value);
    if (rounded != value) qputenv(name, rounded);
  }
}

}  // namespace scaling
