// Scaled screens with whole factors only: the program's pictures come at one
// and two device pixels per pixel, and a window cut to an outline must fall
// on whole pixels. Qt rounds the factors the platform reports once told so;
// the factors a user sets in the environment it takes as they are, so those
// are rounded here, the same way (halves up: 1.5 gives 2).
//
// Thread-safety: call from main() before the QApplication exists.
#pragma once

#include <QByteArray>

namespace scaling {

// A factor or a list of them as Qt's variables take them ("1.5",
// "1.25;2.5", "DP-1=1.5;HDMI-1=1"), each number rounded to a whole one of at
// least 1. Parts that are not numbers stay as they are.
QByteArray Rounded(const QByteArray& value);

// Rounds QT_SCALE_FACTOR and QT_SCREEN_SCALE_FACTORS where set, and has Qt
// round the factors that the platform reports.
void RoundScaleFactors();

}  // namespace scaling
