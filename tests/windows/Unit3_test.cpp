// Tests of the About window: its components and their settings, the notes
// hidden at every activation (first showing, showing again, coming back from
// another window), and the "Close" caption pressed, dragged off and back, and
// released inside or outside.

#include <QFontInfo>
#include <QLabel>
#include <QtTest>

#include "controls/LblEffct.h"
#include "controls/bi_edits.h"
#include "windows/Unit3.h"

using parvex::TBI_Memo;
using parvex::tbackbase;
using parvex::TLabelEffect;

namespace {

void Activate(QWidget& window) {
  window.show();
  QVERIFY(QTest::qWaitForWindowExposed(&window));
  window.activateWindow();
  QVERIFY(QTest::qWaitForWindowActive(&window));
}

// A mouse event on the caption at `at`, with the left button held (or not).
void Mouse(TLabelEffect* label, QEvent::Type type, QPoint at, bool held) {
  QMouseEvent event(type, QPointF(at), label->mapToGlobal(QPointF(at)),
                    type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton,
                    held ? Qt::LeftButton : Qt::NoButton, Qt::NoModifier);
  QCoreApplication::sendEvent(label, &event);
}

}  // namespace

class Unit3Test : public QObject {
  Q_OBJECT

 private slots:
  void componentsAsDescribed() {
    TForm3 form;
    QCOMPARE(form.objectName(), QStringLiteral("Form3"));
    QCOMPARE(form.windowTitle(), QStringLiteral("About!"));
    QVERIFY(!form.isVisible());
    QCOMPARE(form.size(), QSize(471, 256));
    QCOMPARE(form.minimumSize(), form.maximumSize());  // not sizeable
    const Qt::WindowFlags flags = form.windowFlags();
    QVERIFY(flags.testFlag(Qt::WindowCloseButtonHint));
    QVERIFY(!flags.testFlag(Qt::WindowMinimizeButtonHint));
    QVERIFY(!flags.testFlag(Qt::WindowMaximizeButtonHint));
    QCOMPARE(form.palette().color(QPalette::Window), QColor(Qt::black));
    QCOMPARE(form.font().pixelSize(), 13);
    QVERIFY(!form.windowIcon().isNull());

    QCOMPARE(form.Image1->geometry(), QRect(26, 24, 75, 63));
    QVERIFY(!form.Image1->pixmap().isNull());
    QCOMPARE(form.Image1->pixmap().deviceIndependentSize().toSize(), QSize(75, 63));
    // Transparent: where the icon has no colour, the black window shows.
    QVERIFY(form.Image1->pixmap().hasAlphaChannel());
    QVERIFY(!form.Image1->autoFillBackground());

    const struct {
      TLabelEffect* label;
      QRect bounds;
      QString caption;
      TLabelEffect::TAlignment alignment;
      TLabelEffect::TColourScheme scheme;
      int pixels;
      bool bold;
      QColor face, highlight, shadow;
    } labels[] = {
        {form.LabelEffect1, {116, 10, 328, 45}, QStringLiteral("Parvex, v. 1.1"), TLabelEffect::taCenter,
         TLabelEffect::csWindows, 33, false, QColor(128, 128, 128), Qt::white, Qt::black},
        {form.LabelEffect2, {161, 60, 261, 33}, TForm3::kMakerLine, TLabelEffect::taLeftJustify,
         TLabelEffect::csGold, 20, true, QColor(128, 128, 0), QColor(255, 255, 0), Qt::black},
        {form.LabelEffect3, {23, 163, 102, 44}, QStringLiteral("Close"), TLabelEffect::taCenter,
         TLabelEffect::csSteel, 33, false, QColor(0, 128, 128), QColor(0, 255, 255), QColor(0, 0, 128)},
    };
    for (const auto& l : labels) {
      QCOMPARE(l.label->geometry(), l.bounds);
      QCOMPARE(l.label->caption(), l.caption);
      QCOMPARE(l.label->alignment(), l.alignment);
      QCOMPARE(l.label->colourScheme(), l.scheme);
      QCOMPARE(l.label->effectStyle(), TLabelEffect::esRaised);
      QCOMPARE(l.label->font().pixelSize(), l.pixels);
      QCOMPARE(l.label->font().bold(), l.bold);
      QCOMPARE(QFontInfo(l.label->font()).family(), QStringLiteral("Liberation Serif"));
      QCOMPARE(l.label->fontColor(), l.face);
      QCOMPARE(l.label->colourHighlight(), l.highlight);
      QCOMPARE(l.label->colourShadow(), l.shadow);
      QCOMPARE(l.label->graduateFrom(), parvex::ToQColor(parvex::clWindowText));
      QCOMPARE(l.label->asButton(), l.label == form.LabelEffect3);
    }

    TBI_Memo* memo = form.BI_Memo1;
    QCOMPARE(memo->geometry(), QRect(0, 0, 471, 256));
    QCOMPARE(memo->align(), TBI_Memo::alClient);
    QCOMPARE(memo->border(), tbackbase::bseSingle);
    QCOMPARE(memo->fillStyle(), tbackbase::fmNormal);
    QCOMPARE(memo->fadeColor(), parvex::clBtnHighlight);
    QCOMPARE(memo->color(), parvex::clBlack);
    QCOMPARE(memo->selectionBrush().color(), QColor(0, 0, 255));
    QCOMPARE(memo->scrollBars(), TBI_Memo::ssVertical);
    QCOMPARE(memo->font().pixelSize(), 17);
    QVERIFY(memo->font().bold());
    QCOMPARE(memo->fontColor(), parvex::clWhite);
    // A greeting, an empty line and the paragraph about this first version.
    const QStringList notes = memo->lines();
    QCOMPARE(notes.size(), 3);
    QVERIFY(!notes[0].isEmpty());
    QVERIFY(notes[1].isEmpty());
    QVERIFY(notes[2].contains(QStringLiteral("first version of Parvex")));
    QVERIFY(notes[2].contains(QStringLiteral("easy-to-use backup program")));
    // Created last, so it lies over the labels and the icon.
    QCOMPARE(form.children().last(), memo);
  }

  void notesHiddenAtEveryActivation() {
    TForm3 form;
    Form3 = &form;
    QLabel elsewhere(QStringLiteral("another window"));
    Activate(form);
    QVERIFY(!form.BI_Memo1->isVisible());
    // Centred on the screen.
    const QRect screen = form.screen()->availableGeometry();
    QVERIFY(qAbs(form.frameGeometry().center().x() - screen.center().x()) <= 2);

    // Shown, then another window and back: hidden again.
    form.BI_Memo1->setVisible(true);
    QVERIFY(form.BI_Memo1->isVisible());
    Activate(elsewhere);
    QVERIFY(form.BI_Memo1->isVisible());  // deactivation leaves it
    Activate(form);
    QVERIFY(!form.BI_Memo1->isVisible());

    // Closed, shown again: the same window, the notes hidden once more.
    form.BI_Memo1->setVisible(true);
    form.close();
    QVERIFY(!form.isVisible());
    QCOMPARE(Form3, &form);
    Activate(form);
    QVERIFY(!form.BI_Memo1->isVisible());
    Form3 = nullptr;
  }

  void closeCaptionWorksAsAButton() {
    TForm3 form;
    Form3 = &form;
    Activate(form);
    TLabelEffect* close = form.LabelEffect3;
    const QPoint inside(51, 22);
    const QPoint outside(300, 22);

    // Pressed it sinks; dragged off it rises; back it sinks again.
    Mouse(close, QEvent::MouseButtonPress, inside, true);
    QCOMPARE(close->effectStyle(), TLabelEffect::esSunken);
    Mouse(close, QEvent::MouseMove, outside, true);
    QCOMPARE(close->effectStyle(), TLabelEffect::esRaised);
    Mouse(close, QEvent::MouseMove, inside, true);
    QCOMPARE(close->effectStyle(), TLabelEffect::esSunken);
    // Released outside: raised by the drag, and the window stays.
    Mouse(close, QEvent::MouseMove, outside, true);
    Mouse(close, QEvent::MouseButtonRelease, outside, false);
    QCOMPARE(close->effectStyle(), TLabelEffect::esRaised);
    QVERIFY(form.isVisible());

    // Released inside: raised, and the window goes (hidden, not destroyed).
    QTest::mousePress(close, Qt::LeftButton, {}, inside);
    QCOMPARE(close->effectStyle(), TLabelEffect::esSunken);
    QTest::mouseRelease(close, Qt::LeftButton, {}, inside);
    QCOMPARE(close->effectStyle(), TLabelEffect::esRaised);
    QVERIFY(!form.isVisible());
    QCOMPARE(Form3, &form);

    // Without the program's About window there is nothing to close.
    Form3 = nullptr;
    Activate(form);
    QTest::mouseClick(close, Qt::LeftButton, {}, inside);
    QVERIFY(form.isVisible());
  }
};

QTEST_MAIN(Unit3Test)
#include "Unit3_test.moc"
