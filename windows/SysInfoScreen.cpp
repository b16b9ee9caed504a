// Qt's primary screen for the system information collector.
#include "windows/SysInfoScreen.h"

#include <QGuiApplication>
#include <QScreen>

namespace parvex {

sysinfo::ScreenQuery PrimaryScreenQuery() {
  return [] {
    sysinfo::ScreenFacts facts;
    const QScreen* screen = QGuiApplication::primaryScreen();
    if (screen == nullptr) return facts;
    // The collector counts device pixels, as a screen's resolution is given,
    // not the scaled ones Qt lays windows out in.
    const qreal ratio = screen->devicePixelRatio();
    facts.width = qRound(screen->geometry().width() * ratio);
    facts.height = qRound(screen->geometry().height() * ratio);
    facts.depth = screen->depth();
    return facts;
  };
}

}  // namespace parvex
