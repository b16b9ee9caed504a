// The Split & Join window from the keyboard: Tab through every control in the
// order of the layout, page by page; Space and Return on the flat buttons;
// Escape closes when nothing runs; Delete in the file list. And the title the
// window system is given.

#include <QCheckBox>
#include <QLineEdit>
#include <QRadioButton>
#include <QTabBar>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTimer>
#include <QToolButton>
#include <QWindow>
#include <QtTest>

#include "controls/BriskBtn1.h"
#include "tests/windows/Unit2TestSupport.h"
#include "windows/DirectoryEdit.h"
#include "windows/TextListBox.h"
#include "windows/Unit2.h"

using namespace unit2test;

namespace {

// The widgets that get the focus, one Tab after another, starting at `from`,
// until the focus comes back to it (or after 40 steps).
QList<QWidget*> TabRound(QWidget* from) {
  QList<QWidget*> round;
  from->setFocus(Qt::TabFocusReason);
  for (int i = 0; i < 40; ++i) {
    round << QApplication::focusWidget();
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    if (QApplication::focusWidget() == round.first()) break;
  }
  return round;
}

QString Names(const QList<QWidget*>& widgets) {
  QStringList names;
  for (QWidget* w : widgets) names << (w ? QString::fromLatin1(w->metaObject()->className()) + ":" + w->objectName() : "-");
  return names.join(", ");
}

}  // namespace

class Unit2KeysTest : public QObject {
  Q_OBJECT

  FakeDialogs* fake_ = nullptr;
  TDialogs* previous_ = nullptr;

 private slots:
  void init() {
    fake_ = new FakeDialogs;
    previous_ = TDialogs::SetDefault(fake_);
  }
  void cleanup() {
    TDialogs::SetDefault(previous_ == fake_ ? nullptr : previous_);
    delete fake_;
  }

  void tabFollowsTheLayoutPageByPage() {
    TForm2 form;
    form.show();
    QVERIFY(QTest::qWaitForWindowActive(&form));
    QWidget* tabs = form.PageControl1->tabBar();
    // Cancel is off at rest, so Tab passes over it.
    const QList<QWidget*> split = {tabs, form.SpeedButton1, form.SpeedButton2, form.Edit2, form.BriskButton11,
                                   form.BriskButton12, form.Edit3, form.CheckBox1, form.TextListBox1};
    const QList<QWidget*> got = TabRound(tabs);
    QVERIFY2(got == split, qPrintable(Names(got)));
    form.SpeedButton3->setEnabled(true);
    QCOMPARE(TabRound(tabs).indexOf(form.SpeedButton3), split.indexOf(form.CheckBox1) + 1);

    form.PageControl1->setCurrentWidget(form.Join);
    const QList<QWidget*> join = {tabs, form.BriskButton13, form.CheckBox2, form.dir1->edit(),
                                  form.dir1->browseButton(), form.RadioButton7, form.BriskButton14};
    const QList<QWidget*> joinGot = TabRound(tabs);
    QVERIFY2(joinGot == join, qPrintable(Names(joinGot)));
    // Within the group of restore modes the arrow keys move on.
    form.RadioButton7->setFocus(Qt::TabFocusReason);
    QTest::keyClick(form.RadioButton7, Qt::Key_Down);
    QCOMPARE(QApplication::focusWidget(), form.RadioButton8);
    // Shift+Tab runs the same way back.
    form.BriskButton14->setFocus(Qt::TabFocusReason);
    QTest::keyClick(form.BriskButton14, Qt::Key_Backtab, Qt::ShiftModifier);
    QVERIFY(QApplication::focusWidget() != form.BriskButton14);
    QVERIFY(qobject_cast<QRadioButton*>(QApplication::focusWidget()));
  }

  void spaceAndReturnPressTheFlatButtons() {
    TForm2 form;
    form.show();
    QVERIFY(QTest::qWaitForWindowActive(&form));
    // Execute with an empty list asks for files, from Space as from Return.
    form.BriskButton11->setFocus(Qt::TabFocusReason);
    QTest::keyClick(form.BriskButton11, Qt::Key_Space);
    QTest::keyClick(form.BriskButton11, Qt::Key_Return);
    QCOMPARE(fake_->count(QStringLiteral("Please select files first!")), 2);
    // Close from the keyboard ends the modal showing.
    QTimer::singleShot(0, &form, [&] {
      form.BriskButton12->setFocus(Qt::TabFocusReason);
      QTest::keyClick(form.BriskButton12, Qt::Key_Space);
    });
    form.exec();
    QVERIFY(!form.isVisible());
  }

  void escapeClosesOnlyWhenNothingRuns() {
    QTemporaryDir dir;
    const QString file = dir.filePath("a.bin");
    WriteFile(file, RandomBytes(300000, 5));
    TForm2 form;
    form.show();
    QVERIFY(QTest::qWaitForWindowActive(&form));
    form.AddFiles({file});
    bool pressed = false;
    QTimer::singleShot(0, &form, [&] {
      QTest::keyClick(form.TextListBox1, Qt::Key_Escape);
      QVERIFY(form.isVisible() && form.BF1.Busy());
      pressed = true;
    });
    form.Edit3->setText("50");
    fake_->saveAnswer = dir.filePath("set");
    form.BriskButton11Click();
    QVERIFY(pressed);
    QVERIFY(fake_->boxes.isEmpty());  // not even the question to abort
    QCOMPARE(fake_->messages, QStringList{"Operation sucessful"});
    QVERIFY(form.isVisible());

    form.Edit2->setFocus();
    QTest::keyClick(form.Edit2, Qt::Key_Escape);
    QVERIFY(!form.isVisible());
    QCOMPARE(form.TextListBox1->count(), 1);  // as the title bar closes it: the list stays
  }

  void deleteRemovesTheSelectedFiles() {
    TForm2 form;
    form.show();
    QVERIFY(QTest::qWaitForWindowActive(&form));
    form.AddFiles({"/0", "/1", "/2", "/3"});
    form.TextListBox1->setFocus();
    form.TextListBox1->item(1)->setSelected(true);
    form.TextListBox1->item(3)->setSelected(true);
    QTest::keyClick(form.TextListBox1, Qt::Key_Delete);
    QCOMPARE(form.TextListBox1->lines(), (QStringList{"/0", "/2"}));
    // Delete elsewhere is the control's own: in the comment it deletes a letter.
    form.Edit2->setText("ab");
    form.Edit2->setFocus();
    form.Edit2->setCursorPosition(0);
    QTest::keyClick(form.Edit2, Qt::Key_Delete);
    QCOMPARE(form.Edit2->text(), QStringLiteral("b"));
    QCOMPARE(form.TextListBox1->count(), 2);
  }

  void theWindowSystemSeesOneAmpersand() {
    TForm2 form;
    form.show();
    QVERIFY(form.windowHandle());
    QCOMPARE(form.windowHandle()->title(), QStringLiteral("Join & Split"));
    QCOMPARE(form.windowTitle(), QStringLiteral("Join && Split"));  // the form's caption keeps both
  }
};

QTEST_MAIN(Unit2KeysTest)
#include "Unit2Keys_test.moc"
