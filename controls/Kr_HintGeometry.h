// The balloon hint's geometry and painting as plain functions: window size from
// text size, margins and kind; placement below the pointer; body and shadow
// rectangles; and the composition of a balloon onto an image. KrHintWindow
// strings them together; tests call them with plain values.
#pragma once

#include <QColor>
#include <QFont>
#include <QImage>
#include <QPoint>
#include <QRect>
#include <QSize>
#include <QString>

#include "controls/Kr_Hint.h"

namespace parvex::kr_hint {

// Room around the text: 8 pixels across, 4 down, split evenly by centring.
inline constexpr int kMarginX = 8;
inline constexpr int kMarginY = 4;
// The balloon's top edge lies this far below the pointer's hot spot.
inline constexpr int kPointerGap = 18;
// Corner ellipse of the rounded square.
inline constexpr int kRoundCorner = 15;
// What a transparent shadow takes off each colour component.
inline constexpr int kShadowDarkening = 64;

// Size of the laid-out text: `text` wrapped at word boundaries within `width`
// (wider only where one word does not fit), no mnemonic prefixes.
QSize MeasureText(const QString& text, const QFont& font, int width, KrHint::KrAlign align);

// Extra width and height that let an ellipse hold a text of `text` size: the
// body grows by a factor of at least sqrt(2) on each axis beyond the margins,
// which keeps every corner of the text rectangle inside the ellipse.
QSize EllipseEnlargement(QSize text);

// Window size for a text of `text` size: margins, the shadow offset (unless
// the kind is the plain window) and, for the ellipse, its enlargement.
QSize BalloonSize(QSize text, KrHint::KrKind kind, KrHint::KrShadow shadow, int shadowWidth);

// Top-left corner of a balloon of `size` for a pointer at `pointer`: 18 pixels
// below it, moved left and up where it would pass the right or bottom edge of
// `screen`. The left and top edges are not guarded.
QPoint PlaceBalloon(QPoint pointer, QSize size, const QRect& screen);

struct BodyAndShadow {
  QRect body;
  QRect shadow;
};
// Splits the client rectangle into the shape's body and its shadow, each
// offset by `shadowWidth` toward its side. With shNone both are `client`.
BodyAndShadow SplitBody(const QRect& client, KrHint::KrShadow shadow, int shadowWidth);

// A rectangle of `text` size centred in `area` (halves rounded toward zero).
QRect CentredTextRect(const QRect& area, QSize text);

// Top-left corner of an unstretched picture of `picture` size in `body`.
QPoint PicturePosition(const QRect& body, QSize picture, KrHint::KrPictAlign align);

// Lowers red, green and blue of every pixel in `shadow` but outside `body` by
// 64 where the component is at least 64. A pixel that is not opaque (the
// translucent window, where the screen is not ours to read) gets black at
// 64/255 coverage blended over it instead, which darkens white by the same 64.
void DarkenShadow(QImage& picture, const QRect& shadow, const QRect& body);

// Font and text colour a balloon of these settings is written in: the system
// status-bar font in the info-text colour for KrWindow, the settings' own font
// otherwise.
QFont HintFont(const KrHint::Settings& settings);
QColor HintTextColor(const KrHint::Settings& settings);

// Composes a balloon onto `picture` (the window's size, already holding the
// screen beneath it): shape, shadow and picture by `settings`, then `text`,
// laid out earlier at `textSize`, centred in the body.
void ComposeBalloon(QImage& picture, const KrHint::Settings& settings, const QString& text,
                    QSize textSize);

}  // namespace parvex::kr_hint
