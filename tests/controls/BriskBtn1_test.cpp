// Tests of the flat push button: how it lays its face out at different widths,
// the pictures per state, focus line and text colour, mouse tracking, and the
// keys it answers on its window.

#include <QDialog>
#include <QLineEdit>
#include <QSignalSpy>
#include <QTimer>
#include <QVBoxLayout>
#include <QtTest>

#include "controls/BriskBtn1.h"

namespace {

bool sameColumn(const QImage& a, int xa, const QImage& b, int xb) {
  for (int y = 0; y < TBriskButton1::kFaceHeight; ++y)
    if (a.pixel(xa, y) != b.pixel(xb, y)) return false;
  return true;
}

int countColour(const QImage& image, QRgb colour) {
  int n = 0;
  for (int y = 0; y < image.height(); ++y)
    for (int x = 0; x < image.width(); ++x) n += (image.pixel(x, y) & 0xffffff) == (colour & 0xffffff);
  return n;
}

QImage grabbed(TBriskButton1& button) { return button.grab().toImage().convertToFormat(QImage::Format_RGB32); }

void sendMouse(QWidget* w, QEvent::Type type, QPoint pos, Qt::MouseButton button, Qt::MouseButtons held) {
  QMouseEvent event(type, pos, w->mapToGlobal(pos), button, held, Qt::NoModifier);
  QCoreApplication::sendEvent(w, &event);
}

// A window with a line edit and two buttons, shown and active, as a form would be.
struct Form {
  QWidget window;
  QLineEdit* edit = new QLineEdit(&window);
  TBriskButton1* first = new TBriskButton1(&window);
  TBriskButton1* second = new TBriskButton1(&window);
  Form() {
    auto* layout = new QVBoxLayout(&window);
    layout->addWidget(edit);
    layout->addWidget(first);
    layout->addWidget(second);
    first->setCaption("&Execute");
    second->setCaption("Close");
    window.show();
    QApplication::setActiveWindow(&window);
  }
};

}  // namespace

class BriskBtn1Test : public QObject {
  Q_OBJECT

 private slots:
  void facesComeFromResources() {
    TBriskButton1 button;
    const QImage released = button.face(TBriskButton1::bsOff, TBriskButton1::bsOnGray);
    QCOMPARE(released.size(), QSize(37, 41));
    QCOMPARE(QColor(released.pixel(0, 40)), QColor(189, 189, 189));
    QCOMPARE(QColor(button.face(TBriskButton1::bsOff, TBriskButton1::bsOnWhite).pixel(0, 40)),
             QColor(Qt::white));
    QCOMPARE(QColor(released.pixel(16, 15)), QColor(Qt::black));
    // Pressed, the disc has moved down and right: its top row is ground again.
    const QImage pressed = button.face(TBriskButton1::bsOn, TBriskButton1::bsOnGray);
    QCOMPARE(QColor(pressed.pixel(16, 2)), QColor(189, 189, 189));
    QCOMPARE(QColor(pressed.pixel(21, 20)), QColor(Qt::black));
  }

  void wideButtonStretchesTheMiddleColumns() {
    TBriskButton1 button;
    button.resize(91, 41);
    const QImage image = grabbed(button);
    const QImage face = button.face(TBriskButton1::bsOff, TBriskButton1::bsOnGray);
    for (int x = 0; x < 16; ++x) QVERIFY2(sameColumn(image, x, face, x), qPrintable(QString::number(x)));
    for (int x = 16; x < 16 + 55; ++x)
      QVERIFY2(sameColumn(image, x, face, 16) || sameColumn(image, x, face, 17), qPrintable(QString::number(x)));
    QVERIFY(sameColumn(image, 16, face, 16));
    QVERIFY(sameColumn(image, 70, face, 17));
    for (int x = 71; x < 90; ++x) QVERIFY(sameColumn(image, x, face, x - 71 + 18));
    // The face has no 38th column: the last one shows the ground.
    for (int y = 0; y < 41; ++y) QCOMPARE(QColor(image.pixel(90, y)), QColor(189, 189, 189));
  }

  void narrowButtonShowsOnlyTheEnds() {
    for (int width : {36, 30, 20}) {
      TBriskButton1 button;
      button.setButtonStyle(TBriskButton1::bsOnWhite);
      button.resize(width, 41);
      const QImage image = grabbed(button);
      const QImage face = button.face(TBriskButton1::bsOff, TBriskButton1::bsOnWhite);
      for (int x = 0; x < qMin(width, 16); ++x) QVERIFY(sameColumn(image, x, face, x));
      for (int x = 16; x < qMin(width, 35); ++x) QVERIFY(sameColumn(image, x, face, x + 2));
      if (width == 36) QCOMPARE(QColor(image.pixel(35, 20)), QColor(Qt::white));
    }
  }

  void heightReturnsTo41AtThePaint() {
    TBriskButton1 button;
    button.resize(120, 60);
    QCOMPARE(button.height(), 60);
    button.grab();
    QCOMPARE(button.height(), 41);
  }

  void pressedStatusShowsThePressedFace() {
    TBriskButton1 button;
    button.resize(60, 41);
    button.setStatus(TBriskButton1::bsOn);
    button.setButtonStyle(TBriskButton1::bsOnWhite);
    const QImage image = grabbed(button);
    QVERIFY(sameColumn(image, 5, button.face(TBriskButton1::bsOn, TBriskButton1::bsOnWhite), 5));
    QVERIFY(!sameColumn(image, 5, button.face(TBriskButton1::bsOff, TBriskButton1::bsOnWhite), 5));
  }

  void captionIsYellowAndSilverWhenDisabled() {
    TBriskButton1 button;
    button.resize(120, 41);
    button.setCaption("WWW");
    QVERIFY(countColour(grabbed(button), qRgb(255, 255, 0)) > 20);
    QCOMPARE(countColour(grabbed(button), qRgb(192, 192, 192)), 0);
    button.setEnabled(false);
    const QImage disabled = grabbed(button);
    QCOMPARE(countColour(disabled, qRgb(255, 255, 0)), 0);
    QVERIFY(countColour(disabled, qRgb(192, 192, 192)) > 20);
  }

  void focusLineFollowsTheState() {
    Form form;
    QVERIFY(QTest::qWaitForWindowActive(&form.window));
    TBriskButton1* b = form.second;
    b->setFocus();
    QVERIFY(b->hasFocus());
    const QRgb gray = qRgb(128, 128, 128);
    const int w = b->width();
    QImage image = grabbed(*b);
    QCOMPARE(image.pixel(7, 4), gray);
    QCOMPARE(image.pixel(w - 16, 4), gray);
    QCOMPARE(image.pixel(7, 41 - 17), gray);
    QVERIFY(image.pixel(7, 41 - 16) != gray);
    QVERIFY(image.pixel(w - 15, 4) != gray);
    b->setStatus(TBriskButton1::bsOn);
    image = grabbed(*b);
    QCOMPARE(image.pixel(12, 9), gray);
    QCOMPARE(image.pixel(w - 11, 9), gray);
    QCOMPARE(image.pixel(12, 41 - 12), gray);
    QVERIFY(image.pixel(12, 41 - 11) != gray);
    form.edit->setFocus();
    QVERIFY(grabbed(*b).pixel(12, 9) != gray);
  }

  void focusMarkShowsOnTheBlackBar() {
    Form form;
    QVERIFY(QTest::qWaitForWindowActive(&form.window));
    TBriskButton1* b = form.second;
    const int w = b->width();
    const QRgb light = TBriskButton1::kFocusLightColour.rgb();
    QCOMPARE(countColour(grabbed(*b), light), 0);
    b->setFocus();
    QImage image = grabbed(*b);
    // One pixel inside the gray line, over the black of the bar.
    QCOMPARE(QColor(b->face(TBriskButton1::bsOff, TBriskButton1::bsOnGray).pixel(8, 5)), QColor(Qt::black));
    QCOMPARE(image.pixel(8, 5), light);
    QCOMPARE(image.pixel(w - 16, 5), light);
    QCOMPARE(image.pixel(8, 41 - 17), light);
    QVERIFY(image.pixel(8, 41 - 16) != light);
    QCOMPARE(countColour(image, light), (w - 16 - 8 + 1) + (41 - 16 - 6));
    b->setStatus(TBriskButton1::bsOn);
    image = grabbed(*b);
    QCOMPARE(image.pixel(13, 10), light);
    QCOMPARE(image.pixel(w - 11, 10), light);
    QCOMPARE(image.pixel(13, 41 - 12), light);
  }

  void spacePressesAndItsReleaseClicks() {
    Form form;
    QVERIFY(QTest::qWaitForWindowActive(&form.window));
    QSignalSpy clicks(form.second, &TBriskButton1::clicked);
    form.second->setFocus();
    QTest::keyPress(form.second, Qt::Key_Space);
    QCOMPARE(form.second->status(), TBriskButton1::bsOn);
    QCOMPARE(clicks.count(), 0);
    QTest::keyRelease(form.second, Qt::Key_Space);
    QCOMPARE(form.second->status(), TBriskButton1::bsOff);
    QCOMPARE(clicks.count(), 1);
    // A held key repeats its press; it still clicks once.
    QTest::keyPress(form.second, Qt::Key_Space);
    QKeyEvent repeat(QEvent::KeyPress, Qt::Key_Space, Qt::NoModifier, QStringLiteral(" "), true);
    QCoreApplication::sendEvent(form.second, &repeat);
    QTest::keyRelease(form.second, Qt::Key_Space);
    QCOMPARE(clicks.count(), 2);
    // Not with Shift, Ctrl or Alt; and the focus moving away before the
    // release takes the press back.
    for (Qt::KeyboardModifier m : {Qt::ShiftModifier, Qt::ControlModifier, Qt::AltModifier})
      QTest::keyClick(form.second, Qt::Key_Space, m);
    QCOMPARE(clicks.count(), 2);
    QTest::keyPress(form.second, Qt::Key_Space);
    form.edit->setFocus();
    QCOMPARE(form.second->status(), TBriskButton1::bsOff);
    QTest::keyRelease(form.edit, Qt::Key_Space);
    QCOMPARE(clicks.count(), 2);
    // A release without a press on the button is nothing.
    form.first->setFocus();
    QTest::keyRelease(form.first, Qt::Key_Space);
    QCOMPARE(clicks.count(), 2);
  }

  void clickOnlyOnReleaseInside() {
    TBriskButton1 button;
    button.resize(91, 41);
    QSignalSpy clicks(&button, &TBriskButton1::clicked);
    const QPoint inside(40, 20), outside(92, 20), edge(91, 41);  // bounds count as inside

    sendMouse(&button, QEvent::MouseButtonPress, inside, Qt::LeftButton, Qt::LeftButton);
    QCOMPARE(button.status(), TBriskButton1::bsOn);
    sendMouse(&button, QEvent::MouseMove, outside, Qt::NoButton, Qt::LeftButton);
    QCOMPARE(button.status(), TBriskButton1::bsOff);
    sendMouse(&button, QEvent::MouseButtonRelease, outside, Qt::LeftButton, Qt::NoButton);
    QCOMPARE(clicks.count(), 0);

    sendMouse(&button, QEvent::MouseButtonPress, inside, Qt::LeftButton, Qt::LeftButton);
    sendMouse(&button, QEvent::MouseMove, outside, Qt::NoButton, Qt::LeftButton);
    sendMouse(&button, QEvent::MouseMove, edge, Qt::NoButton, Qt::LeftButton);
    QCOMPARE(button.status(), TBriskButton1::bsOn);
    sendMouse(&button, QEvent::MouseButtonRelease, edge, Qt::LeftButton, Qt::NoButton);
    QCOMPARE(button.status(), TBriskButton1::bsOff);
    QCOMPARE(clicks.count(), 1);

    // Setting Status from outside ends the tracking: the release does nothing.
    sendMouse(&button, QEvent::MouseButtonPress, inside, Qt::LeftButton, Qt::LeftButton);
    button.setStatus(TBriskButton1::bsOff);
    sendMouse(&button, QEvent::MouseMove, inside, Qt::NoButton, Qt::LeftButton);
    QCOMPARE(button.status(), TBriskButton1::bsOff);
    sendMouse(&button, QEvent::MouseButtonRelease, inside, Qt::LeftButton, Qt::NoButton);
    QCOMPARE(clicks.count(), 1);

    // The right button neither presses nor clicks.
    sendMouse(&button, QEvent::MouseButtonPress, inside, Qt::RightButton, Qt::RightButton);
    QCOMPARE(button.status(), TBriskButton1::bsOff);
    sendMouse(&button, QEvent::MouseButtonRelease, inside, Qt::RightButton, Qt::NoButton);
    QCOMPARE(clicks.count(), 1);
  }

  void enterAndEscapeWithoutModifiers() {
    Form form;
    QVERIFY(QTest::qWaitForWindowActive(&form.window));
    QSignalSpy first(form.first, &TBriskButton1::clicked);
    QSignalSpy second(form.second, &TBriskButton1::clicked);

    // Enter clicks the focused button although it is not the default one.
    form.second->setFocus();
    QTest::keyClick(form.second, Qt::Key_Return);
    QCOMPARE(second.count(), 1);
    QTest::keyClick(form.second, Qt::Key_Enter, Qt::KeypadModifier);
    QCOMPARE(second.count(), 2);
    for (Qt::KeyboardModifier m : {Qt::ShiftModifier, Qt::ControlModifier, Qt::AltModifier})
      QTest::keyClick(form.second, Qt::Key_Return, m);
    QCOMPARE(second.count(), 2);

    // From the edit, Enter reaches the default button only.
    form.edit->setFocus();
    QTest::keyClick(form.edit, Qt::Key_Return);
    QCOMPARE(first.count() + second.count(), 2);
    form.first->setDefault(true);
    QTest::keyClick(form.edit, Qt::Key_Return);
    QCOMPARE(first.count(), 1);
    QTest::keyClick(form.edit, Qt::Key_Return, Qt::ShiftModifier);
    QCOMPARE(first.count(), 1);

    // Escape clicks only a cancel button, and not while disabled.
    QTest::keyClick(form.edit, Qt::Key_Escape);
    QCOMPARE(second.count(), 2);
    form.second->setCancel(true);
    QTest::keyClick(form.edit, Qt::Key_Escape, Qt::ControlModifier);
    QCOMPARE(second.count(), 2);
    QTest::keyClick(form.edit, Qt::Key_Escape);
    QCOMPARE(second.count(), 3);
    form.second->setEnabled(false);
    QTest::keyClick(form.edit, Qt::Key_Escape);
    QCOMPARE(second.count(), 3);
  }

  void acceleratorClicks() {
    QCOMPARE(TBriskButton1::accelerator("&Execute"), QChar('E'));
    QCOMPARE(TBriskButton1::accelerator("Join && Split"), QChar());
    QCOMPARE(TBriskButton1::accelerator("Save && E&xit"), QChar('x'));
    QCOMPARE(TBriskButton1::accelerator("Trailing&"), QChar());

    Form form;
    QVERIFY(QTest::qWaitForWindowActive(&form.window));
    QSignalSpy first(form.first, &TBriskButton1::clicked);
    form.edit->setFocus();
    QTest::keyClick(form.edit, Qt::Key_E, Qt::NoModifier, 10);
    QCOMPARE(first.count(), 0);  // the edit takes its letters
    QCOMPARE(form.edit->text(), QString("e"));
    QTest::keyClick(form.edit, Qt::Key_E, Qt::AltModifier);
    QCOMPARE(first.count(), 1);
    form.second->setFocus();
    QTest::keyClick(form.second, Qt::Key_E);  // a button does not, so the letter is an accelerator
    QCOMPARE(first.count(), 2);
    QTest::keyClick(form.second, Qt::Key_X);
    QCOMPARE(first.count(), 2);
    form.first->setVisible(false);
    QTest::keyClick(form.second, Qt::Key_E);
    QCOMPARE(first.count(), 2);
  }

  void modalResultEndsAModalDialog() {
    QDialog dialog;
    auto* button = new TBriskButton1(&dialog);
    button->setModalResult(TBriskButton1::mrYes);
    QTimer::singleShot(0, button, &TBriskButton1::click);
    QCOMPARE(dialog.exec(), int(TBriskButton1::mrYes));

    // A handler may take the result back, as with a form, and the dialog stays.
    QDialog kept;
    auto* undo = new TBriskButton1(&kept);
    undo->setModalResult(TBriskButton1::mrOk);
    connect(undo, &TBriskButton1::clicked, &kept, [&] {
      kept.setResult(TBriskButton1::mrNone);
      QTimer::singleShot(0, &kept, [&] { kept.done(TBriskButton1::mrAbort); });
    });
    QTimer::singleShot(0, undo, &TBriskButton1::click);
    QCOMPARE(kept.exec(), int(TBriskButton1::mrAbort));

    // Shown without waiting, the dialog only records the result.
    QDialog modeless;
    auto* plain = new TBriskButton1(&modeless);
    plain->setModalResult(TBriskButton1::mrCancel);
    modeless.show();
    plain->click();
    QVERIFY(modeless.isVisible());
    QCOMPARE(modeless.result(), int(TBriskButton1::mrCancel));
  }
};

QTEST_MAIN(BriskBtn1Test)
#include "BriskBtn1_test.moc"
