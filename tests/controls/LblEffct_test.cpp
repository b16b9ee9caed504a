// TLabelEffect: painted pixels of every kind of copy, compared with the face
// of the same caption placed by hand; the setter and preset rules; the mouse
// sequences of the as-button mode. Text is drawn without antialiasing here,
// so that a pixel is either covered or not.
#include <QMouseEvent>
#include <QSignalSpy>
#include <QtTest>
#include <functional>

#include "controls/LblEffct.h"

using parvex::TLabelEffect;

namespace {

const QColor kGround(0, 0, 200);
const QColor kGray(128, 128, 128);

// A label with a crisp font and a short caption.
void Prepare(TLabelEffect& label, const QString& caption = QStringLiteral("Hi")) {
  QFont font = label.font();
  font.setStyleStrategy(QFont::NoAntialias);
  label.setFont(font);
  label.setCaption(caption);
}

QImage Ground(QSize size, const QColor& colour = kGround) {
  QImage image(size, QImage::Format_ARGB32_Premultiplied);
  image.fill(colour);
  return image;
}

QImage Painted(const TLabelEffect& label, const QColor& ground = kGround) {
  return label.render(Ground(label.size(), ground));
}

// Where the face of the same caption lies with no copies at all.
QImage FaceAlone(const TLabelEffect& label) {
  TLabelEffect plain;
  plain.resize(label.size());
  plain.setFont(label.font());
  plain.setCaption(label.caption());
  plain.setAlignment(label.alignment());
  plain.setEffectStyle(TLabelEffect::esNone);
  return plain.render();
}

// One copy of the face: moved by an offset, then each covered pixel changed.
struct Copy {
  QPoint offset;
  std::function<QRgb(QRgb)> paint;
};
Copy In(QPoint offset, const QColor& colour) {
  return {offset, [rgb = colour.rgb()](QRgb) { return rgb; }};
}

QImage Expected(const QImage& face, QSize size, const std::vector<Copy>& copies, const QColor& ground = kGround) {
  QImage image = Ground(size, ground);
  for (const Copy& copy : copies)
    for (int y = 0; y < face.height(); ++y)
      for (int x = 0; x < face.width(); ++x) {
        const QPoint to = QPoint(x, y) + copy.offset;
        if (qAlpha(face.pixel(x, y)) == 0 || !image.rect().contains(to)) continue;
        image.setPixel(to, copy.paint(image.pixel(to)));
      }
  return image;
}

// The first differing pixel, for a readable failure.
QString Difference(const QImage& actual, const QImage& expected) {
  for (int y = 0; y < expected.height(); ++y)
    for (int x = 0; x < expected.width(); ++x)
      if ((actual.pixel(x, y) | 0xFF000000) != (expected.pixel(x, y) | 0xFF000000))
        return QStringLiteral("at %1,%2: %3, expected %4")
            .arg(x)
            .arg(y)
            .arg(actual.pixel(x, y), 8, 16)
            .arg(expected.pixel(x, y), 8, 16);
  return {};
}

#define COMPARE_PICTURE(actual, expected)                           \
  do {                                                              \
    const QString difference = Difference((actual), (expected));    \
    QVERIFY2(difference.isEmpty(), qPrintable(difference));         \
  } while (false)

QRect Ink(const QImage& image, const QColor& ground = kGround) {
  QRect ink;
  for (int y = 0; y < image.height(); ++y)
    for (int x = 0; x < image.width(); ++x)
      if ((image.pixel(x, y) & 0xFFFFFF) != (ground.rgb() & 0xFFFFFF)) ink |= QRect(x, y, 1, 1);
  return ink;
}

void SendMouse(QWidget* w, QEvent::Type type, QPoint at, Qt::MouseButton button, Qt::MouseButtons held,
               Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
  QMouseEvent event(type, at, w->mapToGlobal(at), button, held, modifiers);
  QCoreApplication::sendEvent(w, &event);
}

}  // namespace

class LblEffctTest : public QObject {
  Q_OBJECT

 private slots:
  void startsRaisedGrayInTheSubstitutedFace();
  void defaultLabelIsWhiteUpLeftBlackDownRight();
  void alignmentShiftsEveryCopy();
  void flyingShadowFivePixelsHighlightOneInShadowColour();
  void extrusionAndGradedExtrusion();
  void gradedStepsRoundHalvesToEven();
  void realCopiesDarkenAndLightenWhatLiesBeneath();
  void realCopyOverTheParentsPainting();
  void faceGradientsByRowAndColumn();
  void faceGradientOfOneLine();
  void angleNinetyWritesUpwards();
  void turnedCaptionsLieOnTheirGround();
  void uprightLettersStackAtNinety();
  void twiceThePixelsTwiceTheOffsets();
  void depthOrDirectionMakesTheStyleCustom();
  void presetsSetDirectionsDepthsAndHighlight();
  void schemesAndTheCustomRow();
  void angleAndRangeRules();
  void asButtonPressDragAndRelease();
  void asButtonReleaseOutsideAndOtherButtons();
  void plainLabelPassesTheMouseOn();
};

void LblEffctTest::startsRaisedGrayInTheSubstitutedFace() {
  TLabelEffect label;
  QCOMPARE(label.size(), QSize(142, 33));
  QVERIFY(label.transparent());
  QCOMPARE(QFontInfo(label.font()).family(), QStringLiteral("Liberation Serif"));
  QCOMPARE(label.font().pointSize(), 20);
  QCOMPARE(label.effectStyle(), TLabelEffect::esRaised);
  QCOMPARE(label.colourScheme(), TLabelEffect::csWindows);
  QCOMPARE(label.depthHighlight(), 1);
  QCOMPARE(label.depthShadow(), 1);
  QCOMPARE(label.directionHighlight(), TLabelEffect::edUpLeft);
  QCOMPARE(label.directionShadow(), TLabelEffect::edDownRight);
  QCOMPARE(label.colourHighlight(), QColor(Qt::white));
  QCOMPARE(label.colourShadow(), QColor(Qt::black));
  QCOMPARE(label.fontColor(), kGray);
  QCOMPARE(label.graduateFrom(), label.palette().color(QPalette::WindowText));
  QCOMPARE(label.graduateFace(), TLabelEffect::goNone);
  QCOMPARE(label.styleHighlight(), TLabelEffect::eoNormal);
  QCOMPARE(label.styleShadow(), TLabelEffect::eoNormal);
  QVERIFY(!label.asButton());
  QCOMPARE(label.angle(), 0);
  QCOMPARE(label.cosAngle(), 1.0);
  QCOMPARE(label.sinAngle(), 0.0);
  QVERIFY(!label.keepLettersVertical());
  // The custom row starts as a copy of the Windows row.
  QCOMPARE(label.schemeColours(TLabelEffect::csCustom).face, kGray);
  QCOMPARE(label.schemeColours(TLabelEffect::csCustom).highlight, QColor(Qt::white));
}

void LblEffctTest::defaultLabelIsWhiteUpLeftBlackDownRight() {
  TLabelEffect label;
  Prepare(label);
  const QImage face = FaceAlone(label);
  QVERIFY(!Ink(face, Qt::transparent).isEmpty());
  // Everything moves one pixel down-right so that the up-left copy fits.
  COMPARE_PICTURE(Painted(label), Expected(face, label.size(),
                                           {In({2, 2}, Qt::black), In({0, 0}, Qt::white), In({1, 1}, kGray)}));
}

void LblEffctTest::alignmentShiftsEveryCopy() {
  TLabelEffect label;
  Prepare(label);
  label.setAlignment(TLabelEffect::taRightJustify);
  COMPARE_PICTURE(Painted(label), Expected(FaceAlone(label), label.size(),
                                           {In({0, 2}, Qt::black), In({-2, 0}, Qt::white), In({-1, 1}, kGray)}));
  label.setAlignment(TLabelEffect::taCenter);
  COMPARE_PICTURE(Painted(label), Expected(FaceAlone(label), label.size(),
                                           {In({1, 2}, Qt::black), In({-1, 0}, Qt::white), In({0, 1}, kGray)}));
  // Opaque: the client area takes Color first.
  label.setTransparent(false);
  label.setColor(QColor(10, 200, 10));
  COMPARE_PICTURE(Painted(label), Expected(FaceAlone(label), label.size(),
                                           {In({1, 2}, Qt::black), In({-1, 0}, Qt::white), In({0, 1}, kGray)},
                                           QColor(10, 200, 10)));
}

void LblEffctTest::flyingShadowFivePixelsHighlightOneInShadowColour() {
  TLabelEffect label;
  Prepare(label);
  label.resize(150, 45);
  label.setColourScheme(TLabelEffect::csSteel);
  label.setEffectStyle(TLabelEffect::esFlying);
  const QColor navy(0, 0, 128);
  QCOMPARE(label.colourHighlight(), navy);  // the scheme's shadow colour
  COMPARE_PICTURE(Painted(label), Expected(FaceAlone(label), label.size(),
                                           {In({5, 5}, navy), In({1, 1}, navy), In({0, 0}, QColor(0, 128, 128))}));
}

void LblEffctTest::extrusionAndGradedExtrusion() {
  TLabelEffect label;
  Prepare(label);
  label.resize(150, 45);
  label.setDepthShadow(4);
  label.setStyleShadow(TLabelEffect::eoExtrude);
  const QImage face = FaceAlone(label);
  // Face at (1, 1); shadow copies 4, 3, 2 and 1 pixels down-right of it.
  COMPARE_PICTURE(Painted(label), Expected(face, label.size(),
                                           {In({5, 5}, Qt::black), In({4, 4}, Qt::black), In({3, 3}, Qt::black),
                                            In({2, 2}, Qt::black), In({0, 0}, Qt::white), In({1, 1}, kGray)}));
  // Graded: from the shadow colour at distance 4 to the font colour at 1,
  // (128 - 0) / 3 per step.
  label.setStyleShadow(TLabelEffect::eoGraduated);
  COMPARE_PICTURE(Painted(label),
                  Expected(face, label.size(),
                           {In({5, 5}, Qt::black), In({4, 4}, QColor(43, 43, 43)), In({3, 3}, QColor(85, 85, 85)),
                            In({2, 2}, kGray), In({0, 0}, Qt::white), In({1, 1}, kGray)}));
  // A depth of one is a single copy, graded or not.
  label.setDepthShadow(1);
  COMPARE_PICTURE(Painted(label), Expected(face, label.size(),
                                           {In({2, 2}, Qt::black), In({0, 0}, Qt::white), In({1, 1}, kGray)}));
}

void LblEffctTest::gradedStepsRoundHalvesToEven() {
  TLabelEffect label;
  Prepare(label);
  label.resize(150, 45);
  label.setEffectStyle(TLabelEffect::esShadow);  // shadow 2 down-right, no highlight
  label.setDepthShadow(3);
  label.setStyleShadow(TLabelEffect::eoGraduated);
  label.setFontColor(QColor(1, 3, 5));
  // Steps of 0.5, 1.5 and 2.5: the middle copy rounds to 0, 2 and 2.
  COMPARE_PICTURE(Painted(label),
                  Expected(FaceAlone(label), label.size(),
                           {In({3, 3}, Qt::black), In({2, 2}, QColor(0, 2, 2)), In({1, 1}, QColor(1, 3, 5)),
                            In({0, 0}, Qt::white) /* highlight, depth 0 */, In({0, 0}, QColor(1, 3, 5))}));
}

void LblEffctTest::realCopiesDarkenAndLightenWhatLiesBeneath() {
  TLabelEffect label;
  Prepare(label);
  label.resize(150, 45);
  label.setTransparent(false);
  const QColor ground(201, 100, 51);
  label.setColor(ground);
  label.setDepthShadow(3);
  label.setStyleShadow(TLabelEffect::eoReal);
  label.setStyleHighlight(TLabelEffect::eoReal);
  auto halve = [](QRgb p) { return qRgb(qRed(p) / 2, qGreen(p) / 2, qBlue(p) / 2); };
  auto lighten = [](QRgb p) { return qRgb((qRed(p) + 255) / 2, (qGreen(p) + 255) / 2, (qBlue(p) + 255) / 2); };
  // Real copies are never stacked: only the one at the full depth.
  COMPARE_PICTURE(Painted(label, Qt::red), Expected(FaceAlone(label), label.size(),
                                                    {{{4, 4}, halve}, {{0, 0}, lighten}, In({1, 1}, kGray)}, ground));
}

void LblEffctTest::realCopyOverTheParentsPainting() {
  QWidget parent;
  parent.resize(200, 60);
  parent.setAutoFillBackground(true);
  QPalette palette = parent.palette();
  palette.setColor(QPalette::Window, QColor(200, 100, 50));
  parent.setPalette(palette);
  auto* label = new TLabelEffect(&parent);
  Prepare(*label);
  label->move(20, 10);
  label->setEffectStyle(TLabelEffect::esShadow);
  label->setStyleShadow(TLabelEffect::eoReal);
  const QImage face = FaceAlone(*label);
  const QImage shot = parent.grab().toImage();
  int shaded = 0;
  for (int y = 0; y < face.height(); ++y)
    for (int x = 0; x < face.width(); ++x) {
      const bool underFace = qAlpha(face.pixel(x, y)) != 0;
      const bool underShadow = y >= 2 && x >= 2 && qAlpha(face.pixel(x - 2, y - 2)) != 0;
      const QColor seen = shot.pixelColor(x + 20, y + 10);
      if (underFace) {
        QCOMPARE(seen, kGray);
      } else if (underShadow) {
        ++shaded;
        QVERIFY2(std::abs(seen.red() - 100) <= 1 && std::abs(seen.green() - 50) <= 1 &&
                     std::abs(seen.blue() - 25) <= 1,
                 qPrintable(seen.name()));
      } else {
        QCOMPARE(seen, QColor(200, 100, 50));
      }
    }
  QVERIFY(shaded > 20);
}

void LblEffctTest::faceGradientsByRowAndColumn() {
  TLabelEffect label;
  Prepare(label, QStringLiteral("HM"));
  label.setEffectStyle(TLabelEffect::esNone);
  label.setGraduateFrom(QColor(0, 250, 10));
  label.setFontColor(QColor(255, 0, 90));
  const QImage device(1, 1, QImage::Format_ARGB32_Premultiplied);
  const QFontMetrics metrics(label.font(), &device);
  const int width = metrics.horizontalAdvance(label.caption());
  // Line j of `length` + 1 takes GraduateFrom + rnd(step * j), halves to even.
  auto check = [&](TLabelEffect::TGraduateOption option, int length, std::function<int(QPoint)> line) {
    label.setGraduateFace(option);
    const QImage face = FaceAlone(label);
    const QImage painted = Painted(label);
    int faced = 0;
    for (int y = 0; y < face.height(); ++y)
      for (int x = 0; x < face.width(); ++x) {
        if (qAlpha(face.pixel(x, y)) == 0) {
          QCOMPARE(painted.pixelColor(x, y), kGround);
          continue;
        }
        const int j = line({x, y});
        auto component = [&](int from, int to) { return from + int(std::nearbyint(double(to - from) / length * j)); };
        ++faced;
        QCOMPARE(painted.pixelColor(x, y), QColor(component(0, 255), component(250, 0), component(10, 90)));
      }
    QVERIFY(faced > 50);
  };
  // Rows 0 .. text height - 1, then columns 0 .. text width - 1.
  check(TLabelEffect::goVertical, metrics.height() - 1, [](QPoint p) { return p.y(); });
  check(TLabelEffect::goHorizontal, width - 1, [](QPoint p) { return p.x(); });
  // Right-justified or centred, the columns start where the caption does.
  label.setAlignment(TLabelEffect::taRightJustify);
  check(TLabelEffect::goHorizontal, width - 1, [&](QPoint p) { return p.x() - (label.width() - width); });
  label.setAlignment(TLabelEffect::taCenter);
  check(TLabelEffect::goHorizontal, width - 1, [&](QPoint p) { return p.x() - (label.width() - width) / 2; });
}

void LblEffctTest::faceGradientOfOneLine() {
  // A text one pixel high has a gradient of a single row: GraduateFrom.
  TLabelEffect label;
  QFont tiny(QStringLiteral("Liberation Serif"));
  tiny.setPixelSize(1);
  tiny.setStyleStrategy(QFont::NoAntialias);
  label.setFont(tiny);
  label.setCaption(QStringLiteral("MMMMMMMM"));
  label.setEffectStyle(TLabelEffect::esNone);
  label.setGraduateFrom(QColor(10, 20, 30));
  label.setGraduateFace(TLabelEffect::goVertical);
  const QImage painted = Painted(label);
  for (int y = 0; y < painted.height(); ++y)
    for (int x = 0; x < painted.width(); ++x) {
      const QColor seen = painted.pixelColor(x, y);
      if (seen != kGround) QCOMPARE(seen, QColor(10, 20, 30));
    }
  // An empty caption has no line at all.
  label.setCaption(QString());
  label.setGraduateFace(TLabelEffect::goHorizontal);
  QVERIFY(Ink(Painted(label)).isEmpty());
}

void LblEffctTest::angleNinetyWritesUpwards() {
  // The same width either way; only where the one letter lies differs.
  const QString first = QStringLiteral("I") + QString(12, QLatin1Char(' '));
  const QString last = QString(12, QLatin1Char(' ')) + QStringLiteral("I");
  QRect inks[2];
  for (int i = 0; i < 2; ++i) {
    TLabelEffect label;
    Prepare(label, i == 0 ? first : last);
    label.resize(160, 160);
    label.setAlignment(TLabelEffect::taCenter);
    label.setAngle(90);
    QCOMPARE(label.alignment(), TLabelEffect::taLeftJustify);
    inks[i] = Ink(Painted(label));
  }
  QVERIFY(!inks[0].isEmpty() && !inks[1].isEmpty());
  // Turned, the letter lies across: wider than high.
  QVERIFY(inks[0].width() > inks[0].height());
  // The caption starts at the bottom and runs up.
  QVERIFY2(inks[0].top() > inks[1].bottom() + 20,
           qPrintable(QStringLiteral("%1 %2").arg(inks[0].top()).arg(inks[1].bottom())));
  QVERIFY(std::abs(inks[0].left() - inks[1].left()) <= 1);
}

void LblEffctTest::turnedCaptionsLieOnTheirGround() {
  // Opaque turned captions: every pixel of the caption and its copies lies on
  // the ground polygon, and the corners of the control keep what was beneath.
  for (bool upright : {false, true})
    for (int angle : {45, 90, 135, 180, 225, 300}) {
      TLabelEffect label;
      Prepare(label, QStringLiteral("Ground"));
      label.resize(200, 200);
      label.setTransparent(false);
      label.setColor(QColor(0, 255, 0));
      label.setKeepLettersVertical(upright);
      label.setAngle(angle);
      const QImage painted = Painted(label, Qt::red);
      const QString where = QStringLiteral("angle %1 upright %2").arg(angle).arg(upright);
      QCOMPARE(painted.pixelColor(199, 199), QColor(Qt::red));
      int copies = 0;
      for (int y = 1; y + 1 < painted.height(); ++y)
        for (int x = 1; x + 1 < painted.width(); ++x) {
          const QColor c = painted.pixelColor(x, y);
          if (c != QColor(Qt::white) && c != kGray) continue;
          ++copies;
          for (QPoint n : {QPoint(x - 1, y), QPoint(x + 1, y), QPoint(x, y - 1), QPoint(x, y + 1)})
            QVERIFY2(painted.pixelColor(n) != QColor(Qt::red), qPrintable(where));
        }
      QVERIFY2(copies > 50, qPrintable(where));
    }
}

void LblEffctTest::uprightLettersStackAtNinety() {
  TLabelEffect label;
  Prepare(label, QStringLiteral("II"));
  label.resize(80, 120);
  label.setEffectStyle(TLabelEffect::esNone);
  label.setKeepLettersVertical(true);
  label.setAngle(90);
  const QImage painted = Painted(label);
  const QFontMetrics metrics(label.font(), &painted);
  // Two upright I's in one column, the second one text height above the first.
  auto inked = [&](int y) {
    for (int x = 0; x < painted.width(); ++x)
      if (painted.pixelColor(x, y) != kGround) return true;
    return false;
  };
  QList<int> tops;
  for (int y = 0; y < painted.height(); ++y)
    if (inked(y) && (y == 0 || !inked(y - 1))) tops.append(y);
  QCOMPARE(tops.size(), 2);
  QCOMPARE(tops[1] - tops[0], metrics.height());
  const QRect ink = Ink(painted);
  QVERIFY(ink.width() < metrics.horizontalAdvance(QStringLiteral("II")));
}

void LblEffctTest::twiceThePixelsTwiceTheOffsets() {
  TLabelEffect label;
  Prepare(label);
  TLabelEffect plain;
  plain.resize(label.size());
  plain.setFont(label.font());
  plain.setCaption(label.caption());
  plain.setEffectStyle(TLabelEffect::esNone);
  const QImage face = plain.render(QImage(), 2);
  QCOMPARE(face.size(), label.size() * 2);
  const QImage painted = label.render(Ground(label.size()), 2);
  COMPARE_PICTURE(painted, Expected(face, face.size(),
                                    {In({4, 4}, Qt::black), In({0, 0}, Qt::white), In({2, 2}, kGray)}));
}

void LblEffctTest::depthOrDirectionMakesTheStyleCustom() {
  TLabelEffect label;
  label.setAsButton(true);
  QSignalSpy changes(&label, &TLabelEffect::changed);
  label.setDepthShadow(1);  // unchanged: nothing happens
  QCOMPARE(changes.count(), 0);
  label.setDepthShadow(3);
  QCOMPARE(label.effectStyle(), TLabelEffect::esCustom);
  QVERIFY(!label.asButton());
  QVERIFY(changes.count() > 0);
  label.setEffectStyle(TLabelEffect::esRaised);
  label.setDirectionHighlight(TLabelEffect::edUp);
  QCOMPARE(label.effectStyle(), TLabelEffect::esCustom);
  // Depths stay within 0..10.
  label.setDepthHighlight(25);
  QCOMPARE(label.depthHighlight(), 10);
  label.setDepthHighlight(-3);
  QCOMPARE(label.depthHighlight(), 0);
}

void LblEffctTest::presetsSetDirectionsDepthsAndHighlight() {
  struct Row {
    TLabelEffect::TEffectStyle style;
    TLabelEffect::TEffectDirection highlight, shadow;
    int depthHighlight, depthShadow;
    bool keepsButton;
  };
  const Row rows[] = {
      {TLabelEffect::esNone, TLabelEffect::edNone, TLabelEffect::edNone, 0, 0, false},
      {TLabelEffect::esCustom, TLabelEffect::edDown, TLabelEffect::edRight, 3, 4, false},
      {TLabelEffect::esRaised, TLabelEffect::edUpLeft, TLabelEffect::edDownRight, 1, 1, true},
      {TLabelEffect::esSunken, TLabelEffect::edDownRight, TLabelEffect::edUpLeft, 1, 1, true},
      {TLabelEffect::esShadow, TLabelEffect::edNone, TLabelEffect::edDownRight, 0, 2, false},
      {TLabelEffect::esFlying, TLabelEffect::edDownRight, TLabelEffect::edDownRight, 1, 5, false},
  };
  const QColor aqua(0, 255, 255), navy(0, 0, 128);
  for (const Row& row : rows) {
    const QString name = QString::number(row.style);
    // Flying leaves the steel highlight navy; every other preset brings the
    // scheme's highlight back, and the scheme stays.
    TLabelEffect label;
    label.setColourScheme(TLabelEffect::csSteel);
    label.setEffectStyle(TLabelEffect::esFlying);
    QCOMPARE(label.colourHighlight(), navy);
    if (row.style == TLabelEffect::esFlying) label.setEffectStyle(TLabelEffect::esRaised);
    if (row.style == TLabelEffect::esCustom) {
      label.setDirectionHighlight(TLabelEffect::edDown);  // esCustom: the scheme's highlight again
      label.setDirectionShadow(TLabelEffect::edRight);
      label.setDepthHighlight(3);
      label.setDepthShadow(4);
      QCOMPARE(label.effectStyle(), TLabelEffect::esCustom);
    } else {
      label.setEffectStyle(row.style);
    }
    QCOMPARE(label.effectStyle(), row.style);
    QCOMPARE(label.colourScheme(), TLabelEffect::csSteel);
    QVERIFY2(label.colourHighlight() == (row.style == TLabelEffect::esFlying ? navy : aqua), qPrintable(name));
    QCOMPARE(label.directionHighlight(), row.highlight);
    QCOMPARE(label.directionShadow(), row.shadow);
    QCOMPARE(label.depthHighlight(), row.depthHighlight);
    QCOMPARE(label.depthShadow(), row.depthShadow);

    // Which presets leave the as-button mode on.
    TLabelEffect button;
    button.setAsButton(true);
    if (row.style == TLabelEffect::esRaised) button.setEffectStyle(TLabelEffect::esSunken);
    button.setEffectStyle(row.style);
    QVERIFY2(button.asButton() == row.keepsButton, qPrintable(name));
  }
}

void LblEffctTest::schemesAndTheCustomRow() {
  TLabelEffect label;
  label.setColourScheme(TLabelEffect::csGold);
  QCOMPARE(label.colourHighlight(), QColor(255, 255, 0));
  QCOMPARE(label.colourShadow(), QColor(0, 0, 0));
  QCOMPARE(label.fontColor(), QColor(128, 128, 0));
  const auto custom = label.schemeColours(TLabelEffect::csCustom);
  QCOMPARE(custom.highlight, QColor(255, 255, 0));
  QCOMPARE(custom.shadow, QColor(0, 0, 0));
  QCOMPARE(custom.face, QColor(128, 128, 0));
  // Setting the colour it already has changes no scheme.
  label.setColourHighlight(QColor(255, 255, 0));
  QCOMPARE(label.colourScheme(), TLabelEffect::csGold);
  label.setColourHighlight(QColor(255, 200, 0));
  QCOMPARE(label.colourScheme(), TLabelEffect::csCustom);
  QCOMPARE(label.schemeColours(TLabelEffect::csCustom).highlight, QColor(255, 200, 0));
  QCOMPARE(label.schemeColours(TLabelEffect::csGold).highlight, QColor(255, 255, 0));
  // Back to a built-in row and to the custom one again.
  label.setColourScheme(TLabelEffect::csText);
  QCOMPARE(label.colourShadow(), QColor(128, 128, 128));
  QCOMPARE(label.fontColor(), QColor(0, 0, 0));
  label.setColourShadow(QColor(9, 9, 9));
  QCOMPARE(label.colourScheme(), TLabelEffect::csCustom);
  QCOMPARE(label.colourHighlight(), QColor(255, 255, 255));
  QCOMPARE(label.schemeColours(TLabelEffect::csCustom).shadow, QColor(9, 9, 9));
  for (auto [scheme, highlight, shadow, face] :
       {std::tuple{TLabelEffect::csWindows, 0xFFFFFF, 0x000000, 0x808080},
        std::tuple{TLabelEffect::csEmbossed, 0xFFFFFF, 0x000000, 0xC0C0C0},
        std::tuple{TLabelEffect::csSteel, 0x00FFFF, 0x000080, 0x008080}}) {
    label.setColourScheme(scheme);
    QCOMPARE(label.colourHighlight().rgb() & 0xFFFFFF, QRgb(highlight));
    QCOMPARE(label.colourShadow().rgb() & 0xFFFFFF, QRgb(shadow));
    QCOMPARE(label.fontColor().rgb() & 0xFFFFFF, QRgb(face));
  }
}

void LblEffctTest::angleAndRangeRules() {
  TLabelEffect label;
  label.setAlignment(TLabelEffect::taRightJustify);
  label.setAngle(0);
  QCOMPARE(label.alignment(), TLabelEffect::taRightJustify);
  label.setAngle(30);
  QCOMPARE(label.alignment(), TLabelEffect::taLeftJustify);
  QVERIFY(std::abs(label.cosAngle() - std::sqrt(3.0) / 2) < 1e-12);
  QVERIFY(std::abs(label.sinAngle() - 0.5) < 1e-12);
  // Back at 0 the alignment may be chosen again.
  label.setAngle(0);
  label.setAlignment(TLabelEffect::taCenter);
  QCOMPARE(label.alignment(), TLabelEffect::taCenter);
  label.setAngle(400);
  QCOMPARE(label.angle(), 360);
  label.setAngle(-5);
  QCOMPARE(label.angle(), 0);
}

void LblEffctTest::asButtonPressDragAndRelease() {
  TLabelEffect label;
  label.setEffectStyle(TLabelEffect::esShadow);
  label.setAsButton(true);
  QCOMPARE(label.effectStyle(), TLabelEffect::esRaised);
  QSignalSpy clicks(&label, &TLabelEffect::OnClick);
  QSignalSpy downs(&label, &TLabelEffect::OnMouseDown);
  QSignalSpy moves(&label, &TLabelEffect::OnMouseMove);
  QSignalSpy ups(&label, &TLabelEffect::OnMouseUp);
  const QPoint inside(20, 10), outside(200, 10);
  const QPoint edge(label.width(), label.height());  // the edges count as inside
  SendMouse(&label, QEvent::MouseButtonPress, inside, Qt::LeftButton, Qt::LeftButton);
  QCOMPARE(label.effectStyle(), TLabelEffect::esSunken);
  SendMouse(&label, QEvent::MouseMove, outside, Qt::NoButton, Qt::LeftButton);
  QCOMPARE(label.effectStyle(), TLabelEffect::esRaised);
  SendMouse(&label, QEvent::MouseMove, edge, Qt::NoButton, Qt::LeftButton);
  QCOMPARE(label.effectStyle(), TLabelEffect::esSunken);
  // A move with Shift held changes nothing.
  SendMouse(&label, QEvent::MouseMove, outside, Qt::NoButton, Qt::LeftButton, Qt::ShiftModifier);
  QCOMPARE(label.effectStyle(), TLabelEffect::esSunken);
  SendMouse(&label, QEvent::MouseButtonRelease, inside, Qt::LeftButton, Qt::NoButton);
  QCOMPARE(label.effectStyle(), TLabelEffect::esRaised);
  QCOMPARE(clicks.count(), 1);
  QCOMPARE(clicks.at(0).at(0).value<TLabelEffect*>(), &label);
  QCOMPARE(downs.count() + moves.count() + ups.count(), 0);
  QVERIFY(label.asButton());
}

void LblEffctTest::asButtonReleaseOutsideAndOtherButtons() {
  TLabelEffect label;
  label.setAsButton(true);
  QSignalSpy clicks(&label, &TLabelEffect::OnClick);
  SendMouse(&label, QEvent::MouseButtonPress, {5, 5}, Qt::LeftButton, Qt::LeftButton);
  SendMouse(&label, QEvent::MouseMove, {-30, 5}, Qt::NoButton, Qt::LeftButton);
  SendMouse(&label, QEvent::MouseButtonRelease, {-30, 5}, Qt::LeftButton, Qt::NoButton);
  QCOMPARE(label.effectStyle(), TLabelEffect::esRaised);
  QCOMPARE(clicks.count(), 0);
  // Pressed, dragged back in, released outside without a move: the style
  // stays as the last move left it.
  SendMouse(&label, QEvent::MouseButtonPress, {5, 5}, Qt::LeftButton, Qt::LeftButton);
  SendMouse(&label, QEvent::MouseButtonRelease, {-30, 5}, Qt::LeftButton, Qt::NoButton);
  QCOMPARE(label.effectStyle(), TLabelEffect::esSunken);
  QCOMPARE(clicks.count(), 0);
  SendMouse(&label, QEvent::MouseButtonRelease, {5, 5}, Qt::RightButton, Qt::NoButton);
  QCOMPARE(label.effectStyle(), TLabelEffect::esRaised);
  // The right button does not sink the caption.
  SendMouse(&label, QEvent::MouseButtonPress, {5, 5}, Qt::RightButton, Qt::RightButton);
  QCOMPARE(label.effectStyle(), TLabelEffect::esRaised);
  SendMouse(&label, QEvent::MouseMove, {6, 5}, Qt::NoButton, Qt::RightButton);
  QCOMPARE(label.effectStyle(), TLabelEffect::esRaised);
}

void LblEffctTest::plainLabelPassesTheMouseOn() {
  TLabelEffect label;
  QSignalSpy clicks(&label, &TLabelEffect::OnClick);
  QSignalSpy downs(&label, &TLabelEffect::OnMouseDown);
  QSignalSpy moves(&label, &TLabelEffect::OnMouseMove);
  QSignalSpy ups(&label, &TLabelEffect::OnMouseUp);
  SendMouse(&label, QEvent::MouseButtonPress, {5, 6}, Qt::LeftButton, Qt::LeftButton);
  SendMouse(&label, QEvent::MouseMove, {7, 8}, Qt::NoButton, Qt::LeftButton);
  SendMouse(&label, QEvent::MouseButtonRelease, {7, 8}, Qt::LeftButton, Qt::NoButton);
  QCOMPARE(label.effectStyle(), TLabelEffect::esRaised);
  QCOMPARE(downs.count(), 1);
  QCOMPARE(downs.at(0).at(1).value<Qt::MouseButton>(), Qt::LeftButton);
  QCOMPARE(downs.at(0).at(3).toInt(), 5);
  QCOMPARE(moves.count(), 1);
  QCOMPARE(ups.count(), 1);
  QCOMPARE(clicks.count(), 1);
  // Released past the right edge: no click.
  SendMouse(&label, QEvent::MouseButtonPress, {5, 6}, Qt::LeftButton, Qt::LeftButton);
  SendMouse(&label, QEvent::MouseButtonRelease, {label.width(), 6}, Qt::LeftButton, Qt::NoButton);
  QCOMPARE(clicks.count(), 1);
}

QTEST_MAIN(LblEffctTest)
#include "LblEffct_test.moc"
