// A window for looking at plasma buttons by eye (not a test, not shipped): the
// Refresh and Exit buttons on a black panel as the System Information window
// has them, and below them the states, glyphs, marks and sizes side by side.
// Run under a display, take a screenshot; with an argument it also saves its
// own picture to that file and quits.
#include <QApplication>
#include <QEnterEvent>
#include <QMouseEvent>
#include <QLabel>
#include <QMenu>
#include <QPainter>
#include <QTimer>

#include "controls/bi_btns.h"

using namespace parvex;

namespace {

QFont CaptionFont() {
  QFont font(QStringLiteral("MS Sans Serif"));
  font.setPixelSize(13);
  font.setBold(true);
  return font;
}

// An arrow of the given number of images (normal blue, disabled grey, pressed
// green) on an olive ground that is the transparent colour.
QImage ArrowGlyph(int images) {
  QImage glyph(16 * images, 16, QImage::Format_RGB32);
  glyph.fill(QColor(128, 128, 0));
  const QColor colours[] = {QColor(0, 0, 255), QColor(128, 128, 128), QColor(0, 160, 0)};
  QPainter p(&glyph);
  for (int i = 0; i < images; ++i) {
    const QPoint arrow[] = {QPoint(16 * i + 3, 3), QPoint(16 * i + 12, 8), QPoint(16 * i + 3, 13)};
    p.setPen(Qt::NoPen);
    p.setBrush(colours[i]);
    p.drawPolygon(arrow, 3);
    p.fillRect(16 * i + 1, 7, 3, 2, QColor(255, 255, 255));
  }
  return glyph;
}

TBI_PlasmaButton* Button(QWidget* panel, const QString& caption, QRect where) {
  auto* button = new TBI_PlasmaButton(panel);
  button->setGeometry(where);
  button->setCaption(caption);
  button->setFont(CaptionFont());
  button->setFontColor(Qt::red);
  button->setPaint256(true);
  return button;
}

QLabel* Note(QWidget* panel, const QString& text, int x, int y) {
  auto* label = new QLabel(text, panel);
  label->setStyleSheet(QStringLiteral("color: #c0c0c0; font-size: 10px"));
  label->move(x, y);
  return label;
}

}  // namespace

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  QWidget window;
  window.setWindowTitle(QStringLiteral("plasma buttons"));
  window.resize(831, 560);
  window.setAutoFillBackground(true);
  QPalette black = window.palette();
  black.setColor(QPalette::Window, Qt::black);
  window.setPalette(black);

  // The panel of the System Information window: 44 high, Refresh and Exit.
  Button(&window, QStringLiteral("Refresh"), QRect(7, 11, 119, 25));
  Button(&window, QStringLiteral("Exit"), QRect(705, 10, 121, 24));

  int y = 60;
  Note(&window, QStringLiteral("normal / flat (not hot) / flat hot / down / disabled / pressed"), 7, y);
  y += 14;
  Button(&window, QStringLiteral("Normal"), QRect(7, y, 119, 25));
  auto* flat = Button(&window, QStringLiteral("Flat"), QRect(135, y, 119, 25));
  flat->setFlat(true);
  auto* hot = Button(&window, QStringLiteral("Flat hot"), QRect(263, y, 119, 25));
  hot->setFlat(true);
  QEnterEvent enter(QPointF(5, 5), QPointF(5, 5), QPointF(5, 5));
  QApplication::sendEvent(hot, &enter);
  auto* down = Button(&window, QStringLiteral("Down"), QRect(391, y, 119, 25));
  down->setGroupIndex(1);
  down->setDown(true);
  auto* disabled = Button(&window, QStringLiteral("Disabled"), QRect(519, y, 119, 25));
  disabled->setButtonEnabled(false);
  auto* pressed = Button(&window, QStringLiteral("Pressed"), QRect(647, y, 119, 25));
  QMouseEvent press(QEvent::MouseButtonPress, QPointF(5, 5), QPointF(5, 5), Qt::LeftButton, Qt::LeftButton,
                    Qt::NoModifier);
  QApplication::sendEvent(pressed, &press);

  y += 40;
  Note(&window, QStringLiteral("glyph of 1, 2, 3 images (normal, disabled, pressed); right; top; bottom; mark"), 7, y);
  y += 14;
  auto* one = Button(&window, QStringLiteral("One"), QRect(7, y, 119, 25));
  one->setGlyph(ArrowGlyph(1));
  auto* two = Button(&window, QStringLiteral("Two"), QRect(135, y, 119, 25));
  two->setGlyph(ArrowGlyph(2));
  two->setButtonEnabled(false);
  auto* three = Button(&window, QStringLiteral("Three"), QRect(263, y, 119, 25));
  three->setGlyph(ArrowGlyph(3));
  QApplication::sendEvent(three, &press);
  auto* right = Button(&window, QStringLiteral("Right"), QRect(391, y, 119, 25));
  right->setGlyph(ArrowGlyph(1));
  right->setButtonLayout(TBI_basebutton::blGlyphRight);
  auto* top = Button(&window, QStringLiteral("Top"), QRect(519, y, 60, 44));
  top->setGlyph(ArrowGlyph(1));
  top->setButtonLayout(TBI_basebutton::blGlyphTop);
  auto* bottom = Button(&window, QStringLiteral("Bottom"), QRect(587, y, 60, 44));
  bottom->setGlyph(ArrowGlyph(1));
  bottom->setButtonLayout(TBI_basebutton::blGlyphBottom);
  QMenu menu;
  menu.addAction(QStringLiteral("First"));
  auto* marked = Button(&window, QStringLiteral("Menu"), QRect(655, y, 119, 25));
  marked->setDropDownMenu(&menu);

  y += 60;
  Note(&window, QStringLiteral("sizes 60x25, 149x60, 150x60, 200x150, 300x160; low colour without and with Paint256"), 7, y);
  y += 14;
  Button(&window, QStringLiteral("Small"), QRect(7, y, 60, 25));
  Button(&window, QStringLiteral("149 wide"), QRect(75, y, 149, 60));
  Button(&window, QStringLiteral("150 wide"), QRect(232, y, 150, 60));
  Button(&window, QStringLiteral("200 x 150"), QRect(390, y, 200, 150));
  OverrideScreenColourBits(8);
  auto* plain = Button(&window, QStringLiteral("8 bits"), QRect(600, y, 119, 25));
  plain->setPaint256(false);
  Button(&window, QStringLiteral("Paint256"), QRect(600, y + 35, 119, 25));
  OverrideScreenColourBits(0);
  auto* big = Button(&window, QStringLiteral("300 x 160"), QRect(7, y + 160, 300, 160));
  big->setLightColor(RGBColour(255, 255, 160));
  big->setShadowColor(RGBColour(128, 0, 64));

  window.show();
  if (argc > 1) {
    const QString path = QString::fromLocal8Bit(argv[1]);
    QTimer::singleShot(500, &window, [&window, path] {
      window.grab().save(path);
      QApplication::quit();
    });
  }
  return app.exec();
}
