// The computations behind the gradient caption bar, on plain values so that
// they can be checked without a window: MulDiv with Windows rounding, the
// gradient bands, which text parts fit, their justification, the composed and
// derived captions, and where the icon, the text and the buttons go.
#pragma once

#include <QObject>
#include <QRect>
#include <QRgb>
#include <QString>
#include <vector>

namespace Wordcap {
Q_NAMESPACE

// How a part's font follows the system's caption font.
enum TFontKind { fkCustom, fkSystem, fkSystemI, fkSystemB, fkSystemBI, fkAutoHeight };
Q_ENUM_NS(TFontKind)
// When the bar gets its gradient; geSmart decides by the display's colour depth.
enum TGradEnabled { geAlways, geNever, geWhenActive, geSmart };
Q_ENUM_NS(TGradEnabled)
enum TJustification { jAuto, jLeft, jCenter, jRight };
Q_ENUM_NS(TJustification)

constexpr int kDefaultNumColors = 64;
constexpr int kMaxNumColors = 256;
// Room a text part takes beside its text, on each side of the sum and when drawn.
constexpr int kPartPadding = 3;

// number * numerator / denominator through 64 bits, rounded to the nearest
// integer with halves away from zero. Returns -1 when denominator is 0 or the
// result does not fit in 32 bits, as the Windows function does.
int MulDiv(int number, int numerator, int denominator);

// One band of the gradient: columns [left, right) over the whole height.
struct TBand {
  int left;
  int right;
  QRgb colour;
};

// The bands that fill columns [left, right) from start to end colour.
// numColors below 1 counts as 1 (a single band of the start colour).
std::vector<TBand> gradientBands(int left, int right, QRgb start, QRgb end, int numColors);

// The value NumColors takes when requested is set while it holds current:
// 0 or less is ignored, more than 256 becomes 256.
int acceptedNumColors(int current, int requested);

// Whether a bar painted active or inactive gets the gradient on a display of
// the given bits per pixel.
bool gradientWanted(TGradEnabled mode, bool active, int depth);

struct TPartWidth {
  int width;  // text width + kPartPadding
  bool visible;
};

struct TFit {
  bool company;  // whether the company part is shown
  bool appName;  // whether the application-name part is shown
  int total;     // width of what is shown
};

// What fits into available pixels: all parts, else without the company part,
// else only the caption part.
TFit fitParts(int available, TPartWidth company, TPartWidth appName, TPartWidth caption);

// How far the texts move right. jAuto keeps them left, as on a bar that shows
// its own icon and buttons.
int justifyOffset(TJustification justification, int available, int total);

struct TCaptionParts {
  QString company;
  bool companyVisible = true;
  QString appName;
  bool appNameVisible = true;
  QString caption;
  bool captionVisible = true;
};

// The window title made of the visible parts, joined by single spaces.
QString composeFormCaption(const TCaptionParts& parts);

// A caption as the bar shows it, its ampersands read as in menus: "&&" is
// one ampersand, a single one (underlining the next letter) disappears.
// "Join && Split" gives "Join & Split"; a last lone "&" stays.
QString shownText(const QString& caption);

// The caption proper recovered from a window title: the text after the
// company caption and then after the application name (each only when its
// part is visible and it occurs), each followed by at most one space.
QString deriveCaption(const QString& formCaption, const TCaptionParts& parts);

// Which caption buttons a bar shows.
struct TButtonSet {
  bool close = true;
  bool minimize = false;
  bool maximize = false;
  bool help = false;
};

// Where things go on a bar of the given size (origin at its top-left corner).
struct TBarLayout {
  QRect text;      // room for the texts, after icon and buttons
  QRect icon;      // empty when there is no icon
  QRect close, maximize, minimize, help;  // empty when absent
};

// buttonWidth is the width a caption button takes from the text room; the
// buttons themselves are drawn 2 pixels narrower inside the bar shrunk by 2.
TBarLayout layoutBar(QSize bar, const TButtonSet& buttons, int buttonWidth, bool withIcon,
                     QSize iconSize);

}  // namespace Wordcap
