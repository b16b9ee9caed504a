// Tests of the base button: constructor values and which setters repaint, the
// Down group, glyph images, where caption, glyph and mark go in each layout, the
// disabled caption, the frames, and mouse, drop-down menu and accelerator.

#include <QMenu>
#include <QtTest>

#include "controls/bi_btns.h"

using namespace parvex;

namespace {

constexpr QRgb kGround = 0xFF102030;
constexpr QRgb kInk = 0xFF0000C8;
constexpr QRgb kMagenta = 0xFFFF00FF;

template <typename Base>
struct Counted : Base {
  using Base::Base;
  int invalidates = 0;
  int repaints = 0;
  QList<QPoint> popups;
  void invalidate() override { ++invalidates; }
  void repaintNow() override { ++repaints; }
  void popupMenu(QMenu*, QPoint at) override { popups << at; }
};
using Button = Counted<TBI_basebutton>;

// Images of 16 x 16 on magenta, each with an 8 x 8 square of its own colour.
const QRgb kImageColours[] = {qRgb(250, 0, 0), qRgb(0, 250, 0), qRgb(250, 250, 0)};
QImage Glyph(int images) {
  QImage glyph(16 * images, 16, QImage::Format_RGB32);
  glyph.fill(kMagenta);
  for (int i = 0; i < images; ++i)
    for (int y = 4; y < 12; ++y)
      for (int x = 4; x < 12; ++x) glyph.setPixel(16 * i + x, y, kImageColours[i]);
  return glyph;
}

QFont PlainFont() {
  QFont font(QStringLiteral("DejaVu Sans"));
  font.setPixelSize(13);
  font.setBold(true);
  font.setStyleStrategy(QFont::NoAntialias);
  return font;
}

// The button drawn by PaintOn on a plain ground (no frame unless asked for).
QImage Painted(const TBI_basebutton& button) {
  QImage image = button.makeCanvas(button.size());
  image.fill(kGround);
  button.PaintOn(image);
  return image;
}

void Press(QWidget& w, Qt::MouseButton button = Qt::LeftButton, QPoint at = QPoint(3, 3)) {
  QTest::mousePress(&w, button, Qt::NoModifier, at);
}

void Enter(QWidget& w) {
  QEnterEvent enter(QPointF(2, 2), QPointF(2, 2), QPointF(2, 2));
  QCoreApplication::sendEvent(&w, &enter);
}

void Leave(QWidget& w) {
  QEvent leave(QEvent::Leave);
  QCoreApplication::sendEvent(&w, &leave);
}

}  // namespace

class BiBtnsTest : public QObject {
  Q_OBJECT

 private slots:
  void constructorValues() {
    TBI_basebutton b;
    QCOMPARE(b.size(), QSize(25, 25));
    QCOMPARE(b.property("LightColor").value<TColor>(), clBtnHighlight);
    QCOMPARE(b.property("ShadowColor").value<TColor>(), clBtnShadow);
    QVERIFY(b.glyph().isNull() && b.dropDownMenu() == nullptr && b.caption().isEmpty());
    QVERIFY(b.grayedInactive() && b.buttonEnabled() && b.markDropDown() && b.isHot());
    QVERIFY(!b.down() && !b.allowAllUp() && !b.flat() && !b.paint256());
    QCOMPARE(b.buttonLayout(), TBI_basebutton::blGlyphLeft);
    QCOMPARE(b.bevelWidth() * 100 + b.spacing() * 10 + b.groupIndex(), 110);
    QCOMPARE(int(b.pressState()) + int(b.glyphCount()) + b.glyphWidth(), 0);
    QVERIFY(b.testAttribute(Qt::WA_OpaquePaintEvent));
  }

  void settersInvalidateByTheirRules() {
    Button b;
    QMenu menu;
    auto count = [&](auto change) {
      const int before = b.invalidates;
      change();
      return b.invalidates - before;
    };
    // Written with the current value, then with another.
    struct Rule {
      const char* name;
      std::function<void()> same, other;
      int whenSame, whenOther;
    } rules[] = {
        {"LightColor", [&] { b.setLightColor(clBtnHighlight); }, [&] { b.setLightColor(clRed); }, 0, 1},
        {"ShadowColor", [&] { b.setShadowColor(clBtnShadow); }, [&] { b.setShadowColor(clRed); }, 1, 1},
        {"GrayedInactive", [&] { b.setGrayedInactive(true); }, [&] { b.setGrayedInactive(false); }, 0, 1},
        {"Enabled", [&] { b.setButtonEnabled(true); }, [&] { b.setButtonEnabled(false); }, 0, 1},
        {"MarkDropDown", [&] { b.setMarkDropDown(true); }, [&] { b.setMarkDropDown(false); }, 0, 1},
        {"Layout", [&] { b.setButtonLayout(TBI_basebutton::blGlyphLeft); },
         [&] { b.setButtonLayout(TBI_basebutton::blGlyphTop); }, 0, 1},
        {"BevelWidth", [&] { b.setBevelWidth(1); }, [&] { b.setBevelWidth(2); }, 0, 1},
        {"Spacing", [&] { b.setSpacing(1); }, [&] { b.setSpacing(4); }, 1, 1},
        {"Flat", [&] { b.setFlat(false); }, [&] { b.setFlat(true); }, 1, 1},
        {"Caption", [&] { b.setCaption(QString()); }, [&] { b.setCaption("Go"); }, 0, 1},
        {"AllowAllUp", [&] { b.setAllowAllUp(false); }, [&] { b.setAllowAllUp(true); }, 0, 0},
        {"Paint256", [&] { b.setPaint256(false); }, [&] { b.setPaint256(true); }, 0, 0},
        {"Glyph", [&] { b.setGlyph(QImage()); }, [&] { b.setGlyph(Glyph(1)); }, 1, 1},
        // MarkDropDown is off by now: a menu then needs no repaint.
        {"DropDownMenu", [&] { b.setDropDownMenu(nullptr); }, [&] { b.setDropDownMenu(&menu); }, 0, 0},
    };
    for (const Rule& rule : rules) {
      QVERIFY2(count(rule.same) == rule.whenSame, rule.name);
      QVERIFY2(count(rule.other) == rule.whenOther, rule.name);
    }
    b.setMarkDropDown(true);
    QCOMPARE(count([&] { b.setDropDownMenu(nullptr); }), 1);
    QCOMPARE(count([&] { b.setFont(PlainFont()); }), 1);
    // Flat decides the hot state.
    QVERIFY(!b.isHot());
    b.setFlat(false);
    QVERIFY(b.isHot());
  }

  void downIsExclusiveWithinAGroupOnOneParent() {
    QWidget parent, elsewhere;
    auto* a = new Button(&parent);
    auto* b = new Button(&parent);
    auto* c = new Button(&parent);
    auto* d = new Button(&parent);
    auto* e = new Button(&elsewhere);
    a->setDown(true);
    QVERIFY(!a->down());  // no group: Down cannot be set
    QCOMPARE(a->invalidates, 0);
    for (Button* x : {a, b, c, e}) x->setGroupIndex(1);
    d->setGroupIndex(2);
    for (Button* x : {b, d, e}) x->setDown(true);
    const int bBefore = b->invalidates, cBefore = c->invalidates;
    a->setDown(true);
    QVERIFY(a->down() && !b->down() && !c->down() && d->down() && e->down());
    QCOMPARE(b->invalidates - bBefore, 1);
    QCOMPARE(c->invalidates - cBefore, 0);
    a->setGroupIndex(2);  // only stored: d stays down
    QVERIFY(a->down() && d->down());
    const int before = a->invalidates;
    a->setGroupIndex(0);
    QVERIFY(!a->down());
    QCOMPARE(a->invalidates - before, 1);
  }

  void glyphImages() {
    TBI_basebutton b;
    const QImage three = Glyph(3);
    b.setGlyph(three);
    QCOMPARE(int(b.glyphCount()) * 100 + b.glyphWidth(), 316);
    QCOMPARE(b.glyphTransparentColour(), FromQRgb(kMagenta));
    QImage image;
    const TBI_basebutton::TGlyphImage kinds[] = {TBI_basebutton::giNormal, TBI_basebutton::giDisabled,
                                                 TBI_basebutton::giPressed};
    for (int i = 0; i < 3; ++i) {
      b.GetGlyphImage(kinds[i], image);
      QCOMPARE(image, three.copy(16 * i, 0, 16, 16));
    }
    b.setGlyph(Glyph(2));  // no pressed image: the normal one serves
    b.GetGlyphImage(TBI_basebutton::giPressed, image);
    QCOMPARE(image.pixel(8, 8), kImageColours[0]);
    b.GetGlyphImage(TBI_basebutton::giDisabled, image);
    QCOMPARE(image.pixel(8, 8), kImageColours[1]);
    b.setGlyph(Glyph(1));
    for (auto kind : kinds) {
      b.GetGlyphImage(kind, image);
      QCOMPARE(image, Glyph(1));
    }
    b.setGlyph(three);
    b.setGlyph(three.copy(0, 0, 50, 16));  // does not split: one image, whatever came before
    QCOMPARE(int(b.glyphCount()) * 100 + b.glyphWidth(), 150);
    b.setGlyph(QImage(300, 1, QImage::Format_RGB32));  // 300 images would not fit the count
    QCOMPARE(int(b.glyphCount()) * 1000 + b.glyphWidth(), 1300);
    b.setGlyph(QImage());
    QCOMPARE(int(b.glyphCount()) + b.glyphWidth(), 0);

    // A flat button that is not hot shows the glyph recoloured (red: sum 250, Dark).
    b.setGlyph(three);
    b.setShadowColor(RGBColour(9, 9, 9));
    b.setFlat(true);
    b.GetGlyphImage(TBI_basebutton::giNormal, image);
    QCOMPARE(image.pixel(8, 8), qRgb(9, 9, 9));
    QCOMPARE(image.pixel(0, 0), kMagenta);
    Enter(b);
    b.GetGlyphImage(TBI_basebutton::giNormal, image);
    QCOMPARE(image.pixel(8, 8), kImageColours[0]);
    Leave(b);
    b.setGrayedInactive(false);
    b.GetGlyphImage(TBI_basebutton::giNormal, image);
    QCOMPARE(image.pixel(8, 8), kImageColours[0]);
  }

  void layoutPlacesCaptionGlyphAndMark() {
    QMenu menu;
    Button b;
    b.resize(119, 40);
    b.setFont(PlainFont());
    b.setFontColor(QColor::fromRgb(kInk));
    b.setCaption("Refresh");
    b.setGlyph(Glyph(3));
    b.setSpacing(3);
    b.setBevelWidth(0);  // no frame over the pixels looked at
    b.setDropDownMenu(&menu);
    const QImage probe = b.makeCanvas(QSize(1, 1));
    const QFontMetrics fm(b.font(), &probe);
    const int TW = fm.horizontalAdvance("Refresh"), TH = fm.height();
    const int half = (16 + TH + 2 + 3) / 2;  // W 119, H 40, glyph 16 x 16, S 3, DropW 4
    struct Case {
      TBI_basebutton::TButtonLayout layout;
      TBI_basebutton::Positions at;
    } cases[] = {
        {TBI_basebutton::blGlyphLeft,
         {59 - TW / 2 + 8 + 3, 20 - TH / 2, 59 - TW / 2 + 8 + 3 - 3 - 16, 12, 59 - TW / 2 + 8 + 3 + TW + 2}},
        {TBI_basebutton::blGlyphRight,
         {59 - TW / 2 - 3 - 8, 20 - TH / 2, 59 + TW / 2 + 3 - 8, 12, 59 - TW / 2 - 3 - 8 - 4}},
        {TBI_basebutton::blGlyphTop,
         {59 - TW / 2 - 4, 20 - half + 19, 51, 20 - half, 59 - TW / 2 - 4 + TW + 2 + 2}},
        {TBI_basebutton::blGlyphBottom,
         {59 - TW / 2 - 4, 20 - half, 51, 20 - half + TH + 3, 59 - TW / 2 - 4 + TW + 2 + 2}},
    };
    for (const Case& c : cases) {
      b.setButtonLayout(c.layout);
      const auto at = b.layoutPositions(b.size());
      QCOMPARE(QList<int>({at.TX, at.TY, at.GX, at.GY, at.MX}),
               QList<int>({c.at.TX, c.at.TY, c.at.GX, c.at.GY, c.at.MX}));
      const QImage image = Painted(b);
      // The normal image's square at (GX + 4, GY + 4); the mark at (MX, TY + 1).
      for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 8; ++x) QCOMPARE(image.pixel(at.GX + 4 + x, at.GY + 4 + y), kImageColours[0]);
      QCOMPARE(image.pixel(at.GX, at.GY), kGround);  // magenta is transparent
      for (QPoint mark : {QPoint(0, 0), QPoint(3, 0), QPoint(1, 1), QPoint(2, 2)})
        QCOMPARE(image.pixel(at.MX + mark.x(), at.TY + 1 + mark.y()), kInk);
      // All other ink lies within the caption's box.
      for (int y = 0; y < 40; ++y)
        for (int x = 0; x < 119; ++x) {
          const bool inMark = x >= at.MX && x < at.MX + 4 && y >= at.TY + 1 && y < at.TY + 4;
          if (image.pixel(x, y) != kInk || inMark) continue;
          QVERIFY2(x >= at.TX && x < at.TX + TW && y >= at.TY && y < at.TY + TH,
                   qPrintable(QStringLiteral("ink at %1,%2 layout %3").arg(x).arg(y).arg(c.layout)));
        }
    }
    // Pressed and disabled buttons show their own images.
    b.setButtonLayout(TBI_basebutton::blGlyphLeft);
    const auto at = b.layoutPositions(b.size());
    b.setDropDownMenu(nullptr);
    Press(b);
    QCOMPARE(Painted(b).pixel(at.GX + 8, at.GY + 8), kImageColours[2]);
    b.setButtonEnabled(false);
    QCOMPARE(Painted(b).pixel(at.GX + 8, at.GY + 8), kImageColours[1]);
  }

  void disabledCaptionIsDrawnTwice() {
    QMenu menu;
    TBI_basebutton b;
    b.resize(119, 25);
    b.setFont(PlainFont());
    b.setFontColor(QColor::fromRgb(kInk));
    b.setCaption("Exit");
    b.setBevelWidth(0);
    const QImage enabled = Painted(b);
    b.setDropDownMenu(&menu);
    b.setButtonEnabled(false);
    const QImage disabled = Painted(b);
    const auto at = b.layoutPositions(b.size());
    int silver = 0;
    for (int y = 0; y < 25; ++y)
      for (int x = 0; x < 119; ++x) {
        const bool inMark = x >= at.MX && x < at.MX + 4 && y >= at.TY + 1 && y < at.TY + 4;
        if (inMark) continue;
        const bool shade = x >= 2 && y >= 2 && enabled.pixel(x - 2, y - 2) == kInk;
        const QRgb want = shade ? TBI_basebutton::kDisabledShade
                          : enabled.pixel(x, y) == kInk ? TBI_basebutton::kDisabledText
                                                        : kGround;
        silver += want == TBI_basebutton::kDisabledText;
        QVERIFY2(disabled.pixel(x, y) == want, qPrintable(QStringLiteral("%1,%2").arg(x).arg(y)));
      }
    QVERIFY(silver > 10);
    QCOMPARE(disabled.pixel(at.MX, at.TY + 1), TBI_basebutton::kDisabledShade);  // the mark too
  }

  void framesFollowStateAndStyle() {
    Button b;
    b.resize(30, 20);
    const QRgb K = ColorToRGB(cl3DDkShadow), H = ColorToRGB(clBtnHighlight), S = ColorToRGB(clBtnShadow);
    auto corners = [&] {
      const QImage i = Painted(b);
      return QList<QRgb>({i.pixel(0, 0), i.pixel(1, 1), i.pixel(28, 18), i.pixel(29, 19), i.pixel(2, 2)});
    };
    QCOMPARE(corners(), QList<QRgb>({H, kGround, S, K, kGround}));  // raised
    b.setGroupIndex(1);
    b.setDown(true);
    QCOMPARE(corners(), QList<QRgb>({K, S, kGround, H, kGround}));  // sunken
    b.setDown(false);
    Press(b);
    QCOMPARE(corners(), QList<QRgb>({K, S, kGround, H, kGround}));
    QTest::mouseRelease(&b, Qt::LeftButton, Qt::NoModifier, QPoint(3, 3));
    b.setBevelWidth(0);
    QCOMPARE(corners(), QList<QRgb>({kGround, kGround, kGround, kGround, kGround}));

    // Flat: BevelWidth rings of LightColor and ShadowColor while hot.
    const QRgb L = qRgb(1, 2, 3), D = qRgb(4, 5, 6);
    b.setLightColor(FromQRgb(L));
    b.setShadowColor(FromQRgb(D));
    b.setBevelWidth(2);
    b.setFlat(true);
    QCOMPARE(corners(), QList<QRgb>({kGround, kGround, kGround, kGround, kGround}));
    Enter(b);
    QCOMPARE(corners(), QList<QRgb>({L, L, D, D, kGround}));
    QImage i = Painted(b);
    QCOMPARE(QList<QRgb>({i.pixel(29, 0), i.pixel(0, 19), i.pixel(28, 1), i.pixel(27, 1)}), QList<QRgb>({D, D, D, L}));
    b.setDown(true);
    QCOMPARE(corners(), QList<QRgb>({D, D, L, L, kGround}));
  }

  void mouseRules() {
    Button b;
    QStringList log;
    connect(&b, &TBI_basebutton::OnMouseDown, [&](Qt::MouseButton, Qt::KeyboardModifiers, int x, int y) {
      log << QStringLiteral("down %1 %2,%3").arg(b.pressState()).arg(x).arg(y);
    });
    connect(&b, &TBI_basebutton::OnMouseUp, [&] { log << QStringLiteral("up %1").arg(b.pressState()); });
    connect(&b, &TBI_basebutton::OnClick, [&] { log << "click"; });
    connect(&b, &TBI_basebutton::OnDblClick, [&] { log << "double"; });
    Press(b);
    QCOMPARE(int(b.pressState()), 2);
    QCOMPARE(b.repaints, 1);
    QTest::mouseRelease(&b, Qt::LeftButton, Qt::NoModifier, QPoint(3, 3));
    QCOMPARE(int(b.pressState()), 0);
    QCOMPARE(log, QStringList({"down 0 3,3", "click", "up 2"}));
    log.clear();
    Press(b);
    QTest::mouseRelease(&b, Qt::LeftButton, Qt::NoModifier, QPoint(40, 3));  // released outside
    Press(b, Qt::RightButton);
    QTest::mouseRelease(&b, Qt::RightButton, Qt::NoModifier, QPoint(3, 3));
    QCOMPARE(log, QStringList({"down 0 3,3", "up 2", "down 0 3,3", "up 0"}));
    log.clear();
    // A double click: press, release, the second press as a double click, release.
    Press(b);
    QTest::mouseRelease(&b, Qt::LeftButton, Qt::NoModifier, QPoint(3, 3));
    QMouseEvent second(QEvent::MouseButtonDblClick, QPointF(3, 3), b.mapToGlobal(QPointF(3, 3)), Qt::LeftButton,
                       Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(&b, &second);
    QTest::mouseRelease(&b, Qt::LeftButton, Qt::NoModifier, QPoint(3, 3));
    QCOMPARE(log.count("click"), 1);
    QCOMPARE(log.count("double"), 1);
    log.clear();
    b.setButtonEnabled(false);  // no pressed look and no click
    Press(b);
    QCOMPARE(int(b.pressState()), 0);
    QTest::mouseRelease(&b, Qt::LeftButton, Qt::NoModifier, QPoint(3, 3));
    QCOMPARE(log, QStringList({"down 0 3,3", "up 0"}));

    // Hot: only a flat button changes, and it repaints at once.
    b.repaints = 0;
    Enter(b);
    Leave(b);
    QVERIFY(b.isHot());
    QCOMPARE(b.repaints, 0);
    b.setFlat(true);
    Enter(b);
    QVERIFY(b.isHot());
    Leave(b);
    QVERIFY(!b.isHot());
    QCOMPARE(b.repaints, 2);
  }

  void dropDownMenuShowsBelowAndReleases() {
    QWidget window;
    auto* b = new Button(&window);
    b->setGeometry(20, 30, 80, 25);
    b->setFlat(true);
    int clicks = 0;
    connect(b, &TBI_basebutton::OnClick, [&] { ++clicks; });
    auto* menu = new QMenu;
    b->setDropDownMenu(menu);
    Enter(*b);
    Press(*b);
    QCOMPARE(b->popups, QList<QPoint>({b->mapToGlobal(QPoint(0, 25))}));
    QCOMPARE(int(b->pressState()), 0);
    QVERIFY(!b->isHot());
    QTest::mouseRelease(b, Qt::LeftButton, Qt::NoModifier, QPoint(3, 3));
    QCOMPARE(clicks, 0);
    const int before = b->invalidates;
    delete menu;
    QCOMPARE(b->dropDownMenu(), nullptr);
    QCOMPARE(b->invalidates - before, 1);
  }

  void acceleratorClicksAnEnabledVisibleButton() {
    QWidget window;
    window.resize(200, 100);
    auto* b = new Button(&window);
    b->setCaption("&Go");
    QStringList log;
    connect(b, &TBI_basebutton::OnMouseDown, [&] { log << QStringLiteral("down %1").arg(b->pressState()); });
    connect(b, &TBI_basebutton::OnMouseUp, [&] { log << QStringLiteral("up %1").arg(b->pressState()); });
    connect(b, &TBI_basebutton::OnClick, [&] { log << "click"; });
    window.show();
    QApplication::setActiveWindow(&window);
    QVERIFY(QTest::qWaitForWindowActive(&window));
    QTest::keyClick(&window, Qt::Key_G, Qt::AltModifier);
    QCOMPARE(log, QStringList({"down 0", "up 2", "click"}));
    QCOMPARE(int(b->pressState()), 0);
    log.clear();
    b->setButtonEnabled(false);
    QTest::keyClick(&window, Qt::Key_G, Qt::AltModifier);
    b->setButtonEnabled(true);
    b->hide();
    QTest::keyClick(&window, Qt::Key_G, Qt::AltModifier);
    QTest::keyClick(&window, Qt::Key_X, Qt::AltModifier);
    QVERIFY(log.isEmpty());
  }
};

QTEST_MAIN(BiBtnsTest)
#include "bi_btns_test.moc"
