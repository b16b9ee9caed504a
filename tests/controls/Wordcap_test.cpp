// Tests of the gradient caption bar: MulDiv and the bands, NumColors limits,
// the choice of gradient by colour depth, what fits and where it goes, the
// composed and derived captions, and the bar on a real (offscreen) form.

#include <QDialog>
#include <QLineEdit>
#include <QMenu>
#include <QPainter>
#include <QPointer>
#include <QWindow>
#include <QVBoxLayout>
#include <QtTest>

#include "controls/Wordcap.h"
#include "controls/WordcapBar.h"
#include "base/Exception.h"

using namespace Wordcap;

namespace {

struct ShowCounter : QObject {
  explicit ShowCounter(int& count) : count_(count) {}
  bool eventFilter(QObject*, QEvent* event) override {
    if (event->type() == QEvent::Show) ++count_;
    return false;
  }
  int& count_;
};

}  // namespace

class WordcapTest : public QObject {
  Q_OBJECT

 private slots:
  void mulDivRoundsHalvesAwayFromZero() {
    QCOMPARE(MulDiv(1, 255, 63), 4);     // 4.05
    QCOMPARE(MulDiv(1, 3, 2), 2);        // 1.5 up
    QCOMPARE(MulDiv(-1, 3, 2), -2);      // -1.5 away from zero
    QCOMPARE(MulDiv(1, -3, 2), -2);
    QCOMPARE(MulDiv(1, 3, -2), -2);
    QCOMPARE(MulDiv(-1, 3, -2), 2);
    QCOMPARE(MulDiv(5, -7, 3), -12);     // -11.67
    QCOMPARE(MulDiv(100000, 100000, 100000), 100000);  // the product needs 64 bits
    QCOMPARE(MulDiv(1, 1, 0), -1);
    QCOMPARE(MulDiv(0x7fffffff, 2, 1), -1);  // does not fit
  }

  void bandsCoverTheRectangleFromStartToEnd() {
    const QRgb start = qRgb(0, 0, 255), end = qRgb(200, 100, 0);
    const auto bands = gradientBands(10, 110, start, end, 64);
    QCOMPARE(int(bands.size()), 64);
    QCOMPARE(bands.front().left, 10);
    QCOMPARE(bands.back().right, 110);
    for (size_t i = 1; i < bands.size(); ++i) QCOMPARE(bands[i].left, bands[i - 1].right);
    QCOMPARE(bands.front().colour, start);
    QCOMPARE(bands.back().colour, end);
    // Band 1: 10 + MulDiv(1, 100, 64) = 12 (1.5625 rounds up); blue 255 + MulDiv(1, -255, 63) = 251.
    QCOMPARE(bands[1].left, 12);
    QCOMPARE(qBlue(bands[1].colour), 251);
    QCOMPARE(qRed(bands[1].colour), 3);  // MulDiv(1, 200, 63) = 3.17
    QCOMPARE(qGreen(bands[32].colour), 51);  // MulDiv(32, 100, 63) = 50.79
  }

  void oneBandAndTheLimitsOfNumColors() {
    const auto one = gradientBands(0, 50, qRgb(1, 2, 3), qRgb(9, 9, 9), 1);
    QCOMPARE(int(one.size()), 1);
    QCOMPARE(one[0].left, 0);
    QCOMPARE(one[0].right, 50);
    QCOMPARE(one[0].colour, qRgb(1, 2, 3));
    // More bands than columns leaves some empty, never overlapping.
    const auto many = gradientBands(0, 100, qRgb(0, 0, 0), qRgb(255, 255, 255), 256);
    QCOMPARE(int(many.size()), 256);
    for (const TBand& b : many) QVERIFY(b.right >= b.left);

    QCOMPARE(acceptedNumColors(64, 1), 1);
    QCOMPARE(acceptedNumColors(64, 256), 256);
    QCOMPARE(acceptedNumColors(64, 0), 64);
    QCOMPARE(acceptedNumColors(64, -5), 64);
    QCOMPARE(acceptedNumColors(64, 257), 256);
    QWidget form;
    TMSOfficeCaption caption(&form);
    QCOMPARE(caption.numColors(), 64);
    caption.setNumColors(0);
    QCOMPARE(caption.numColors(), 64);
    caption.setNumColors(1000);
    QCOMPARE(caption.numColors(), 256);
  }

  void gradientByModeActivationAndDepth() {
    QVERIFY(gradientWanted(geAlways, false, 4));
    QVERIFY(!gradientWanted(geNever, true, 32));
    QVERIFY(gradientWanted(geWhenActive, true, 4));
    QVERIFY(!gradientWanted(geWhenActive, false, 32));
    // 256 colours: the active bar has it, the inactive one is plain.
    QVERIFY(gradientWanted(geSmart, true, 8));
    QVERIFY(!gradientWanted(geSmart, false, 8));
    QVERIFY(!gradientWanted(geSmart, true, 4));
    QVERIFY(gradientWanted(geSmart, false, 16));
  }

  void fittingDropsCompanyThenAppName() {
    const TPartWidth company{40, true}, app{50, true}, cap{60, true};
    TFit fit = fitParts(151, company, app, cap);
    QVERIFY(fit.company && fit.appName);
    QCOMPARE(fit.total, 150);
    fit = fitParts(150, company, app, cap);  // "less than" the room, not equal
    QVERIFY(!fit.company && fit.appName);
    QCOMPARE(fit.total, 110);
    fit = fitParts(110, company, app, cap);
    QVERIFY(!fit.company && !fit.appName);
    QCOMPARE(fit.total, 60);
    // Invisible parts take no room.
    fit = fitParts(111, company, {500, false}, cap);
    QVERIFY(fit.company);
    QCOMPARE(fit.total, 100);
  }

  void justification() {
    QCOMPARE(justifyOffset(jLeft, 200, 100), 0);
    QCOMPARE(justifyOffset(jAuto, 200, 100), 0);
    QCOMPARE(justifyOffset(jCenter, 201, 100), 50);
    QCOMPARE(justifyOffset(jRight, 200, 100), 100);
    QCOMPARE(justifyOffset(jCenter, 100, 100), 0);
    QCOMPARE(justifyOffset(jRight, 90, 100), 0);
  }

  void composedCaptions() {
    TCaptionParts parts{"Acme", true, "Parvex -", true, "System Information", true};
    QCOMPARE(composeFormCaption(parts), QString("Acme Parvex - System Information"));
    parts.company.clear();
    QCOMPARE(composeFormCaption(parts), QString("Parvex - System Information"));
    parts.appName.clear();
    QCOMPARE(composeFormCaption(parts), QString("System Information"));
    parts = {"Acme", true, "Parvex", false, "Info", false};
    QCOMPARE(composeFormCaption(parts), QString("Acme"));  // no space before nothing
    parts = {"Acme", false, "Parvex", true, "Join && Split", true};
    QCOMPARE(composeFormCaption(parts), QString("Parvex Join && Split"));
  }

  void derivedCaptions() {
    TCaptionParts parts{"Acme", true, "Parvex -", true, "", true};
    QCOMPARE(deriveCaption("Acme Parvex - System Information", parts), QString("System Information"));
    QCOMPARE(deriveCaption("Something else", parts), QString("Something else"));
    // A part's text inside the caption proper strips up to it.
    parts = {"Info", true, "", true, "", true};
    QCOMPARE(deriveCaption("System Info Window", parts), QString("Window"));
    // Invisible parts are not looked for; empty ones take nothing away.
    parts = {"Acme", false, "", true, "", true};
    QCOMPARE(deriveCaption("Acme Tool", parts), QString("Acme Tool"));
    QCOMPARE(deriveCaption(" leading", parts), QString(" leading"));
  }

  void barLayoutLeavesRoomForIconAndButtons() {
    TButtonSet set;
    set.minimize = set.maximize = true;
    const TBarLayout l = layoutBar(QSize(300, 20), set, 20, true, QSize(16, 16));
    QCOMPARE(l.icon, QRect(2, 2, 16, 16));
    QCOMPARE(l.text.left(), 18);
    QCOMPARE(l.text.left() + l.text.width(), 300 - 22 - 20 - 20);
    QCOMPARE(l.close, QRect(280, 2, 18, 16));
    QCOMPARE(l.maximize, QRect(260, 2, 18, 16));
    QCOMPARE(l.minimize, QRect(242, 2, 18, 16));
    QVERIFY(l.help.isEmpty());
    const TBarLayout narrow = layoutBar(QSize(30, 20), TButtonSet{}, 20, false, QSize());
    QCOMPARE(narrow.text.width(), 8);  // 30 - 22
    const TBarLayout tiny = layoutBar(QSize(10, 20), TButtonSet{}, 20, false, QSize());
    QCOMPARE(tiny.text.width(), 2);  // the right edge never passes the left
  }

  void componentComposesTheFormTitle() {
    QVERIFY_THROWS_EXCEPTION(parvex::Exception, TMSOfficeCaption(nullptr));
    QWidget form;
    auto* child = new QWidget(&form);
    QVERIFY_THROWS_EXCEPTION(parvex::Exception, TMSOfficeCaption{child});

    auto* caption = new TMSOfficeCaption(&form);
    caption->appNameText()->setCaption("Parvex -");
    caption->captionText()->setCaption("System Information");
    QCOMPARE(form.windowTitle(), QString("Parvex - System Information"));
    caption->appNameText()->setVisible(false);
    QCOMPARE(form.windowTitle(), QString("System Information"));
    caption->appNameText()->setVisible(true);
    // Hiding the caption part and painting does not lose its text.
    caption->captionText()->setVisible(false);
    QCOMPARE(form.windowTitle(), QString("Parvex -"));
    caption->renderBar(true);
    caption->captionText()->setVisible(true);
    QCOMPARE(form.windowTitle(), QString("Parvex - System Information"));
    // A title set on the form shows in the bar and is the caption proper.
    form.setWindowTitle("Parvex - Other");
    QCOMPARE(caption->captionText()->caption(), QString("Other"));
    // Removing the component leaves the caption proper as the title.
    delete caption;
    QCOMPARE(form.windowTitle(), QString("Other"));
  }

  void formKeepsItsClientSize() {
    QWidget form;
    auto* layout = new QVBoxLayout(&form);
    layout->setContentsMargins(0, 0, 0, 0);
    auto* content = new QWidget;
    layout->addWidget(content);
    form.setFixedSize(200, 100);
    auto* caption = new TMSOfficeCaption(&form);
    const int bar = caption->barHeight();
    QVERIFY(bar >= 18);
    QVERIFY(form.windowFlags().testFlag(Qt::FramelessWindowHint));
    QCOMPARE(form.size(), QSize(200, 100 + bar));
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    QCOMPARE(content->geometry(), QRect(0, bar, 200, 100));
    delete caption;
    QCOMPARE(form.size(), QSize(200, 100));
    QVERIFY(!form.windowFlags().testFlag(Qt::FramelessWindowHint));
  }

  void borderlessFormGetsNoBar() {
    QWidget form(nullptr, Qt::FramelessWindowHint);
    form.resize(200, 100);
    TMSOfficeCaption caption(&form);
    QCOMPARE(caption.barHeight(), 0);
    QVERIFY(caption.renderBar(true).isNull());
    QCOMPARE(form.size(), QSize(200, 100));
    caption.captionText()->setCaption("Still composed");
    QCOMPARE(form.windowTitle(), QString("Still composed"));
  }

  void barPaintsGradientAndText() {
    QWidget form;
    form.resize(400, 100);
    TMSOfficeCaption caption(&form);
    caption.setColor(QColor(0, 0, 255));
    caption.setEnabled(geAlways);
    caption.setNumColors(1);
    const TMSOfficeCaption::TCaptionColours system = TMSOfficeCaption::systemCaptionColours();
    QImage bar = caption.renderBar(true);
    QCOMPARE(bar.size(), QSize(400, caption.barHeight()));
    const QRect text = caption.barLayout().text;
    // One band: the whole text room in Color; past the buttons the caption colour.
    QCOMPARE(bar.pixel(text.right(), 0), qRgb(0, 0, 255));
    QCOMPARE(bar.pixel(399, 0), system.active.rgb());
    caption.setEnabled(geNever);
    QCOMPARE(caption.renderBar(false).pixel(text.right(), 0), system.inactive.rgb());

    // "&&" shows one ampersand: the bar holds exactly "A & B" drawn plainly.
    caption.setEnabled(geNever);
    caption.captionText()->setColorActive(QColor(255, 0, 0));
    caption.captionText()->setCaption("A && B");
    QCOMPARE(form.windowTitle(), QString("A && B"));
    bar = caption.renderBar(true);
    QImage expected = bar.copy();
    {
      QPainter p(&expected);
      p.fillRect(text, system.active.rgb());
      p.setFont(caption.captionText()->font());
      p.setPen(QColor(255, 0, 0));
      p.drawText(QRect(text.left() + 3, 0, text.width() - 3, bar.height()),
                 Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, "A & B");
    }
    QCOMPARE(bar.copy(text), expected.copy(text));

    // Centred and right-justified texts start further right.
    auto firstInk = [&] {
      const QImage image = caption.renderBar(true);
      for (int x = text.left(); x <= text.right(); ++x)
        for (int y = 0; y < image.height(); ++y)
          if (image.pixel(x, y) != system.active.rgb()) return x;
      return -1;
    };
    const int left = firstInk();
    caption.setJustification(jCenter);
    const int centred = firstInk();
    caption.setJustification(jRight);
    const int right = firstInk();
    QVERIFY(left > text.left());
    QVERIFY(left < centred && centred < right);
  }

  void longTitleLosesCompanyThenAppNameThenIsCut() {
    QWidget form;
    form.resize(320, 100);
    TMSOfficeCaption caption(&form);
    caption.setEnabled(geNever);
    caption.companyText()->setCaption("Company");
    caption.companyText()->setColorActive(QColor(0, 255, 0));
    caption.appNameText()->setCaption("Program -");
    caption.appNameText()->setColorActive(QColor(255, 255, 0));
    caption.captionText()->setColorActive(QColor(255, 0, 0));
    auto shows = [&](QRgb colour) {
      const QImage image = caption.renderBar(true);
      for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
          if (image.pixel(x, y) == colour) return true;
      return false;
    };
    caption.captionText()->setCaption("A caption text");
    // Widths as the bar measures them, and the part of the form that is not text room.
    const QImage device(1, 1, QImage::Format_RGB32);
    auto width = [&](const TCompanyText* part) {
      return QFontMetrics(part->font(), &device).size(Qt::TextShowMnemonic, part->storedCaption()).width() + 3;
    };
    const int c = width(caption.companyText()), a = width(caption.appNameText()), t = width(caption.captionText());
    const int frame = form.width() - caption.barLayout().text.width();
    auto roomFor = [&](int room) { form.resize(frame + room, 100); };
    roomFor(c + a + t + 1);
    QVERIFY(shows(qRgb(0, 255, 0)) && shows(qRgb(255, 255, 0)) && shows(qRgb(255, 0, 0)));
    roomFor(c + a + t);  // the sum must be less than the room
    QVERIFY(!shows(qRgb(0, 255, 0)) && shows(qRgb(255, 255, 0)) && shows(qRgb(255, 0, 0)));
    roomFor(a + t);
    QVERIFY(!shows(qRgb(0, 255, 0)) && !shows(qRgb(255, 255, 0)) && shows(qRgb(255, 0, 0)));
    // Too narrow even for the caption: it is cut with an ellipsis, the title stays whole.
    caption.captionText()->setCaption("A caption text far too long for this narrow bar to hold at all");
    const QImage image = caption.renderBar(true);
    const QRect room = caption.barLayout().text;
    int lastRed = -1;
    for (int x = 0; x < image.width(); ++x)
      for (int y = 0; y < image.height(); ++y)
        if (image.pixel(x, y) == qRgb(255, 0, 0)) lastRed = x;
    QVERIFY(lastRed <= room.right());
    QVERIFY(lastRed > room.right() - 12);  // filled up to the end, the ellipsis last
    // The form keeps the whole title.
    QVERIFY(form.windowTitle().endsWith("to hold at all"));
  }

  void drawEventMayMoveTheText() {
    QWidget form;
    form.resize(300, 100);
    TMSOfficeCaption caption(&form);
    caption.setEnabled(geNever);
    QRect seen;
    caption.setOnDrawCaption([&](TMSOfficeCaption* sender, QPainter& canvas, QRect& r) {
      QCOMPARE(sender, &caption);
      QCOMPARE(canvas.font(), caption.captionFont());
      seen = r;
      canvas.fillRect(QRect(r.left(), 0, 10, 5), QColor(1, 2, 3));
      r.setLeft(r.right());  // leaves no room for the texts
    });
    caption.captionText()->setColorActive(QColor(255, 0, 0));
    caption.captionText()->setCaption("Hidden");
    const QImage image = caption.renderBar(true);
    QCOMPARE(seen, caption.barLayout().text);
    QCOMPARE(QColor(image.pixel(seen.left(), 0)), QColor(1, 2, 3));
    for (int x = 0; x < image.width(); ++x) QVERIFY(image.pixel(x, image.height() / 2) != qRgb(255, 0, 0));
  }

  void barFollowsActivationAndWorksItsButtons() {
    QWidget first, second;
    first.resize(300, 80);
    second.resize(300, 80);
    first.move(0, 0);
    second.move(400, 0);
    TMSOfficeCaption a(&first), b(&second);
    first.show();
    second.show();
    QApplication::setActiveWindow(&first);
    QTRY_VERIFY(a.isActive() && !b.isActive());
    QApplication::setActiveWindow(&second);
    QTRY_VERIFY(!a.isActive() && b.isActive());

    auto* bar = first.findChild<TCaptionBarWidget*>();
    QVERIFY(bar);
    QCOMPARE(bar->geometry(), QRect(0, 0, 300, a.barHeight()));
    const Wordcap::TBarLayout layout = a.barLayout();
    auto mouse = [&](QEvent::Type type, QPoint at, Qt::MouseButtons held) {
      QMouseEvent e(type, at, bar->mapToGlobal(at), Qt::LeftButton, held, Qt::NoModifier);
      QCoreApplication::sendEvent(bar, &e);
    };
    // Dragging the bar moves the window.
    const QPoint origin = first.pos();
    mouse(QEvent::MouseButtonPress, QPoint(100, 5), Qt::LeftButton);
    QEvent::Type move = QEvent::MouseMove;
    QMouseEvent drag(move, QPoint(150, 25), bar->mapToGlobal(QPoint(100, 5)) + QPoint(50, 20), Qt::NoButton,
                     Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(bar, &drag);
    mouse(QEvent::MouseButtonRelease, QPoint(150, 25), Qt::NoButton);
    QCOMPARE(first.pos(), origin + QPoint(50, 20));

    // A button pressed, left and released elsewhere does nothing; on it, it acts.
    mouse(QEvent::MouseButtonPress, layout.close.center(), Qt::LeftButton);
    QCOMPARE(bar->pressedButton(), TCaptionBarWidget::cbClose);
    mouse(QEvent::MouseMove, QPoint(100, 5), Qt::LeftButton);
    QCOMPARE(bar->pressedButton(), TCaptionBarWidget::cbNone);
    mouse(QEvent::MouseButtonRelease, QPoint(100, 5), Qt::NoButton);
    QVERIFY(first.isVisible());
    mouse(QEvent::MouseButtonPress, layout.close.center(), Qt::LeftButton);
    mouse(QEvent::MouseButtonRelease, layout.close.center(), Qt::NoButton);
    QVERIFY(!first.isVisible());
  }

  void windowMenuFromTheIconTheRightButtonAndAltSpace() {
    auto actionTexts = [](QMenu* menu) {
      QStringList texts;
      for (QAction* a : menu->actions())
        texts << (a->isSeparator() ? QStringLiteral("-") : a->text() + (a->isEnabled() ? "" : " (off)"));
      return texts;
    };
    // A dialog with only the system menu: Minimize does not work there.
    QDialog form(nullptr, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
    form.resize(300, 80);
    TMSOfficeCaption caption(&form);
    form.show();
    QVERIFY(QTest::qWaitForWindowActive(&form));
    auto* bar = form.findChild<TCaptionBarWidget*>();
    const Wordcap::TBarLayout layout = caption.barLayout();
    QVERIFY(!layout.icon.isEmpty());
    auto mouse = [&](QEvent::Type type, QPoint at, Qt::MouseButton button) {
      QMouseEvent e(type, at, bar->mapToGlobal(at), button, type == QEvent::MouseButtonPress ? button : Qt::NoButton,
                    Qt::NoModifier);
      QCoreApplication::sendEvent(bar, &e);
    };

    mouse(QEvent::MouseButtonPress, QPoint(100, 5), Qt::RightButton);
    QVERIFY(!bar->windowMenu());
    mouse(QEvent::MouseButtonRelease, QPoint(100, 5), Qt::RightButton);
    QPointer<QMenu> menu = bar->windowMenu();
    QVERIFY(menu && menu->isVisible());
    QCOMPARE(actionTexts(menu), (QStringList{"&Move", "Mi&nimize (off)", "-", "&Close"}));
    QCOMPARE(menu->geometry().topLeft(), bar->mapToGlobal(QPoint(100, 5)));
    menu->close();
    QTRY_VERIFY(!menu);
    // A right click on a caption button is no click on the bar.
    mouse(QEvent::MouseButtonRelease, layout.close.center(), Qt::RightButton);
    QVERIFY(!bar->windowMenu());

    // The icon opens it below itself; Close closes the form.
    mouse(QEvent::MouseButtonPress, layout.icon.center(), Qt::LeftButton);
    menu = bar->windowMenu();
    QVERIFY(menu);
    QCOMPARE(menu->geometry().topLeft(), bar->mapToGlobal(QPoint(layout.icon.left(), bar->height())));
    menu->actions().last()->trigger();
    QVERIFY(!form.isVisible());

    // Alt+Space from inside the form; with a minimise button Minimize works.
    QWidget other(nullptr, Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                               Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint);
    other.resize(300, 80);
    auto* edit = new QLineEdit(&other);
    TMSOfficeCaption otherCaption(&other);
    other.show();
    QVERIFY(QTest::qWaitForWindowActive(&other));
    edit->setFocus();
    QTest::keyClick(edit, Qt::Key_Space, Qt::AltModifier);
    auto* otherBar = other.findChild<TCaptionBarWidget*>();
    menu = otherBar->windowMenu();
    QVERIFY(menu);
    QCOMPARE(actionTexts(menu), (QStringList{"&Move", "Mi&nimize", "-", "&Close"}));
    menu->actions()[1]->trigger();
    QTRY_VERIFY(other.isMinimized());
  }

  void moveFromTheMenuFollowsThePointerAndTheArrows() {
    QWidget form;
    form.resize(300, 80);
    form.move(100, 100);
    TMSOfficeCaption caption(&form);
    form.show();
    QVERIFY(QTest::qWaitForWindowActive(&form));
    auto* bar = form.findChild<TCaptionBarWidget*>();
    const QPoint start = form.pos();
    bar->startMoving();
    QVERIFY(bar->isMoving());
    QTest::keyClick(bar, Qt::Key_Right);
    QTest::keyClick(bar, Qt::Key_Down);
    QTest::keyClick(bar, Qt::Key_Down);
    QCOMPARE(form.pos(), start + QPoint(8, 16));
    QTest::keyClick(bar, Qt::Key_Escape);  // back where it was
    QVERIFY(!bar->isMoving());
    QCOMPARE(form.pos(), start);

    bar->startMoving();
    const QPoint pointer = QCursor::pos();
    QMouseEvent follow(QEvent::MouseMove, QPointF(5, 5), QPointF(pointer + QPoint(30, -20)), Qt::NoButton,
                       Qt::NoButton, Qt::NoModifier);
    QCoreApplication::sendEvent(bar, &follow);
    QCOMPARE(form.pos(), start + QPoint(30, -20));
    QTest::keyClick(bar, Qt::Key_Left);
    QCOMPARE(form.pos(), start + QPoint(22, -20));
    QMouseEvent click(QEvent::MouseButtonPress, QPointF(5, 5), QPointF(pointer), Qt::LeftButton, Qt::LeftButton,
                      Qt::NoModifier);
    QCoreApplication::sendEvent(bar, &click);  // a click keeps it there
    QVERIFY(!bar->isMoving());
    QCOMPARE(form.pos(), start + QPoint(22, -20));
    QVERIFY(form.isVisible());  // the click only ended the move
  }

  void theWindowSystemGetsTheTitleAsTheBarShowsIt() {
    QCOMPARE(shownText("Join && Split"), QStringLiteral("Join & Split"));
    QCOMPARE(shownText("&File && E&xit"), QStringLiteral("File & Exit"));
    QCOMPARE(shownText("Trailing&"), QStringLiteral("Trailing&"));
    QCOMPARE(shownText("&&&&"), QStringLiteral("&&"));
    QWidget form;
    TMSOfficeCaption caption(&form);
    caption.captionText()->setCaption("Tom && Jerry");
    form.show();
    QCOMPARE(form.windowHandle()->title(), QStringLiteral("Tom & Jerry"));
    caption.appNameText()->setCaption("Cat &&");
    QCOMPARE(form.windowTitle(), QStringLiteral("Cat && Tom && Jerry"));
    QCOMPARE(form.windowHandle()->title(), QStringLiteral("Cat & Tom & Jerry"));
    form.setWindowTitle("Set && directly");  // the form's own title goes the same way
    QCOMPARE(form.windowHandle()->title(), QStringLiteral("Set & directly"));
  }

  void missingMaximizeIsDrawnButDoesNotWork() {
    QWidget form(nullptr, Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                              Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint);
    form.resize(300, 80);
    TMSOfficeCaption caption(&form);
    const Wordcap::TBarLayout layout = caption.barLayout();
    QVERIFY(!layout.maximize.isEmpty() && !layout.minimize.isEmpty());
    auto* bar = form.findChild<TCaptionBarWidget*>();
    QCOMPARE(bar->buttonAt(layout.maximize.center()), TCaptionBarWidget::cbNone);
    QCOMPARE(bar->buttonAt(layout.minimize.center()), TCaptionBarWidget::cbMinimize);
    QWidget tool(nullptr, Qt::Tool);
    TMSOfficeCaption toolCaption(&tool);
    QVERIFY(toolCaption.barLayout().icon.isEmpty());
    QVERIFY(toolCaption.barLayout().minimize.isEmpty());
    QVERIFY(!toolCaption.barLayout().close.isEmpty());
  }

  void flagsSetLaterLoseTheFrameAgain() {
    QWidget form;
    form.resize(300, 80);
    TMSOfficeCaption caption(&form);
    form.setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
    form.show();
    QTRY_VERIFY(form.windowFlags().testFlag(Qt::FramelessWindowHint));
    QVERIFY(form.isVisible());
    QVERIFY(caption.barLayout().minimize.isEmpty());  // the new flags decide the buttons
  }

  // Qt puts the frame back on customised flags that ask for a close button;
  // the bar must still get its frameless window, and showing it must settle.
  void customisedDialogFlagsLoseTheFrame() {
    QDialog form;
    form.setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                        Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
    form.resize(300, 80);
    TMSOfficeCaption caption(&form);
    QVERIFY(form.windowFlags().testFlag(Qt::FramelessWindowHint));
    int shows = 0;
    ShowCounter counter(shows);
    form.installEventFilter(&counter);
    form.show();
    QTest::qWait(100);
    QCOMPARE(shows, 1);
    QVERIFY(form.isVisible());
    QVERIFY(!caption.barLayout().close.isEmpty());
  }

  void formMayGoFirst() {
    auto* form = new QWidget;
    auto* caption = new TMSOfficeCaption(form);
    caption->captionText()->setCaption("Going");
    form->show();
    QPointer<TMSOfficeCaption> watch(caption);
    delete form;
    QVERIFY(!watch);
  }

  void fontKindsFollowTheCaptionFont() {
    QWidget form;
    TMSOfficeCaption caption(&form);
    TCompanyText* part = caption.companyText();
    QCOMPARE(part->fontKind(), fkSystem);
    part->setFontKind(fkSystemBI);
    QVERIFY(part->font().bold() && part->font().italic());
    QCOMPARE(part->font().family(), caption.captionFont().family());
    QFont custom("DejaVu Serif", 30);
    part->setFont(custom);
    QCOMPARE(part->fontKind(), fkCustom);
    part->setFontKind(fkAutoHeight);
    QCOMPARE(part->font().family(), custom.family());
    QVERIFY(QFontMetrics(part->font()).height() <= QFontMetrics(caption.captionFont()).height());
  }
};

QTEST_MAIN(WordcapTest)
#include "Wordcap_test.moc"
