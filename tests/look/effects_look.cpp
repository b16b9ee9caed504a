// effects_look: a test-only window that shows effect labels in every style,
// scheme, copy option, gradient and turn, for a person to look at (under Xvfb,
// with screenshots). Not installed. Pass --timer to also blink the as-button
// caption from a thread timer.
#include <QApplication>
#include <QLinearGradient>
#include <QPainter>
#include <QTimer>
#include <QWidget>

#include "controls/LblEffct.h"
#include "controls/bi_timer.h"

using parvex::TBI_Timer;
using parvex::TLabelEffect;

namespace {

// A ground with stripes, so that translucent copies show what they darken.
class Ground : public QWidget {
 public:
  using QWidget::QWidget;

 protected:
  void paintEvent(QPaintEvent*) override {
    QPainter p(this);
    QLinearGradient sky(0, 0, width(), 0);
    sky.setColorAt(0, QColor(40, 90, 160));
    sky.setColorAt(1, QColor(230, 200, 120));
    p.fillRect(rect(), sky);
    for (int x = 0; x < width(); x += 40) p.fillRect(x, 0, 20, height(), QColor(255, 255, 255, 40));
    p.setPen(Qt::black);
    for (int y = 120; y < height(); y += 120) p.drawLine(0, y, width(), y);
  }
};

TLabelEffect* Add(QWidget* parent, int x, int y, int w, int h, const QString& caption, int pixels = 28) {
  auto* label = new TLabelEffect(parent);
  label->setObjectName(caption);
  label->setGeometry(x, y, w, h);
  QFont font = label->font();
  font.setPixelSize(pixels);
  label->setFont(font);
  label->setCaption(caption);
  return label;
}

}  // namespace

int main(int argc, char* argv[]) {
  QApplication app(argc, argv);
  Ground window;
  window.setWindowTitle(QStringLiteral("effects_look"));
  window.resize(1180, 840);
  constexpr int kColumn = 195;

  // Row 1: the style presets.
  const std::pair<TLabelEffect::TEffectStyle, const char*> styles[] = {
      {TLabelEffect::esNone, "None"},     {TLabelEffect::esRaised, "Raised"}, {TLabelEffect::esSunken, "Sunken"},
      {TLabelEffect::esShadow, "Shadow"}, {TLabelEffect::esFlying, "Flying"}};
  int x = 10;
  for (const auto& [style, name] : styles) {
    Add(&window, x, 10, kColumn - 10, 50, QString::fromLatin1(name), 34)->setEffectStyle(style);
    x += kColumn;
  }
  auto* custom = Add(&window, x, 10, kColumn - 10, 50, QStringLiteral("Custom"), 34);
  custom->setDirectionShadow(TLabelEffect::edDownLeft);
  custom->setDepthShadow(3);
  custom->setDirectionHighlight(TLabelEffect::edUp);
  custom->setDepthHighlight(2);

  // Row 2: the colour schemes, on an opaque ground.
  const std::pair<TLabelEffect::TColourScheme, const char*> schemes[] = {
      {TLabelEffect::csText, "Text"},   {TLabelEffect::csWindows, "Windows"}, {TLabelEffect::csEmbossed, "Embossed"},
      {TLabelEffect::csGold, "Gold"},   {TLabelEffect::csSteel, "Steel"}};
  x = 10;
  for (const auto& [scheme, name] : schemes) {
    auto* label = Add(&window, x, 70, kColumn - 10, 44, QString::fromLatin1(name), 30);
    label->setColourScheme(scheme);
    label->setTransparent(false);
    label->setColor(QColor(200, 200, 200));
    label->setAlignment(TLabelEffect::taCenter);
    x += kColumn;
  }
  auto* own = Add(&window, x, 70, kColumn - 10, 44, QStringLiteral("Own &colours"), 26);
  own->setColourHighlight(QColor(255, 128, 255));
  own->setColourShadow(QColor(64, 0, 64));
  own->setFontColor(QColor(160, 0, 160));

  // Row 3: how the copies are drawn.
  auto* real = Add(&window, 10, 130, 280, 60, QStringLiteral("Real shadow"), 40);
  real->setEffectStyle(TLabelEffect::esFlying);
  real->setStyleShadow(TLabelEffect::eoReal);
  real->setStyleHighlight(TLabelEffect::eoReal);
  auto* extrude = Add(&window, 300, 130, 280, 60, QStringLiteral("Extruded 4"), 40);
  extrude->setDepthShadow(4);
  extrude->setStyleShadow(TLabelEffect::eoExtrude);
  auto* graded = Add(&window, 590, 130, 280, 60, QStringLiteral("Graded 8"), 40);
  graded->setColourScheme(TLabelEffect::csGold);
  graded->setDepthShadow(8);
  graded->setStyleShadow(TLabelEffect::eoGraduated);
  auto* both = Add(&window, 880, 130, 290, 60, QStringLiteral("Both real"), 40);
  both->setColourScheme(TLabelEffect::csSteel);
  both->setDepthShadow(3);
  both->setDepthHighlight(3);
  both->setStyleShadow(TLabelEffect::eoReal);
  both->setStyleHighlight(TLabelEffect::eoReal);

  // Row 4: face gradients; right and centred alignment.
  auto* vertical = Add(&window, 10, 250, 280, 60, QStringLiteral("Vertical"), 48);
  vertical->setGraduateFrom(QColor(255, 255, 0));
  vertical->setFontColor(QColor(200, 0, 0));
  vertical->setGraduateFace(TLabelEffect::goVertical);
  auto* horizontal = Add(&window, 300, 250, 280, 60, QStringLiteral("Horizontal"), 48);
  horizontal->setGraduateFrom(QColor(0, 0, 255));
  horizontal->setFontColor(QColor(0, 255, 0));
  horizontal->setGraduateFace(TLabelEffect::goHorizontal);
  horizontal->setAlignment(TLabelEffect::taRightJustify);
  auto* centred = Add(&window, 590, 250, 280, 60, QStringLiteral("Centred"), 48);
  centred->setAlignment(TLabelEffect::taCenter);
  centred->setTransparent(false);
  centred->setColor(QColor(20, 20, 20));
  centred->setGraduateFrom(QColor(255, 255, 255));
  centred->setGraduateFace(TLabelEffect::goHorizontal);
  auto* wrapped = Add(&window, 880, 250, 290, 110, QStringLiteral("Words wrap\tat the edge"), 30);
  wrapped->setWordWrap(true);
  wrapped->setEffectStyle(TLabelEffect::esShadow);

  // Rows 5 and 6: turned captions, opaque so that their grounds show; the
  // second row keeps the letters upright.
  x = 10;
  for (int angle : {0, 45, 90, 180, 300}) {
    auto* turned = Add(&window, x, 370, 230, 230, QStringLiteral("Angle %1").arg(angle), 26);
    turned->setAngle(angle);
    turned->setTransparent(false);
    turned->setColor(QColor(210, 230, 210));
    if (angle == 45) turned->setGraduateFace(TLabelEffect::goVertical);
    auto* upright = Add(&window, x, 600, 230, 230, QStringLiteral("Up %1").arg(angle), 26);
    upright->setAngle(angle);
    upright->setKeepLettersVertical(true);
    upright->setTransparent(false);
    upright->setColor(QColor(230, 210, 210));
    if (angle == 45) upright->setGraduateFace(TLabelEffect::goHorizontal);
    x += 235;
  }

  // An as-button caption, for pressing.
  auto* button = Add(&window, 1010, 10, 102, 44, QStringLiteral("Close"), 33);
  button->move(window.width() - 160, 800 - 44);
  button->setAlignment(TLabelEffect::taCenter);
  button->setColourScheme(TLabelEffect::csSteel);
  button->setAsButton(true);
  button->setObjectName(QStringLiteral("button"));

  TBI_Timer* blink = nullptr;
  if (app.arguments().contains(QStringLiteral("--timer"))) {
    blink = new TBI_Timer(&app);
    blink->setInterval(500);
    blink->setOnTimer([button](TBI_Timer*) {
      button->setFontColor(button->fontColor() == QColor(0, 128, 128) ? QColor(255, 0, 0) : QColor(0, 128, 128));
    });
  }
  window.show();
  return app.exec();
}
