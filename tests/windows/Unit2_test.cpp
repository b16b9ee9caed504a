// Tests of the Split & Join window, driven through its handlers with the dialogs
// answered by a fake: the file list, the volume size and names, whole splits and
// joins on real files with each restore mode, the questions asked on removable
// media, cancelling, the busy guard, failures, drops and join warnings.

#include <QCheckBox>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QMimeData>
#include <QProgressBar>
#include <QRadioButton>
#include <QRandomGenerator>
#include <QScreen>
#include <QTemporaryDir>
#include <QTimer>
#include <QToolButton>
#include <QUrl>
#include <QtTest>
#include <algorithm>
#include <functional>

#include "controls/BriskBtn1.h"
#include "tests/windows/Unit2TestSupport.h"
#include "platform/EnvWrapper.h"
#include "windows/DirectoryEdit.h"
#include "windows/Dialogs.h"
#include "windows/TextListBox.h"
#include "windows/Unit2.h"

using namespace unit2test;


class Unit2Test : public QObject {
  Q_OBJECT

  FakeDialogs* fake_ = nullptr;
  TDialogs* previous_ = nullptr;
  QTemporaryDir* dir_ = nullptr;
  QStringList sources_;  // a.bin (several volumes' worth), "Mixed Case.TXT", empty.dat

  QString Path(const QString& name) const { return dir_->filePath(name); }

  void MakeSources() {
    QDir().mkpath(Path("src"));
    sources_ = {Path("src/a.bin"), Path("src/Mixed Case.TXT"), Path("src/empty.dat")};
    WriteFile(sources_[0], RandomBytes(250000, 7));
    WriteFile(sources_[1], QByteArray("a line of text that packs well\n").repeated(4000));
    WriteFile(sources_[2], QByteArray());
  }

  // A split of the sources through the window into `chosen` (as the save dialog names it).
  void Split(TForm2& form, const QString& chosen, const QString& kilobytes = QStringLiteral("100")) {
    form.AddFiles(sources_);
    form.Edit2->setText(QStringLiteral("Holiday, March"));
    form.Edit3->setText(kilobytes);
    fake_->saveAnswer = chosen;
    form.BriskButton11Click();
  }

  void Open(TForm2& form, const QString& set) {
    fake_->openAnswers << QStringList{set};
    form.BriskButton13Click();
  }

 private slots:
  void init() {
    fake_ = new FakeDialogs;
    previous_ = TDialogs::SetDefault(fake_);
    dir_ = new QTemporaryDir;
    QVERIFY(dir_->isValid());
    MakeSources();
  }
  void cleanup() {
    TDialogs::SetDefault(previous_ == fake_ ? nullptr : previous_);
    delete fake_;
    delete dir_;
  }

  void startsAtRest() {
    TForm2 form;
    QCOMPARE(form.contentsRect().size(), QSize(670, 454));
    QCOMPARE(form.windowTitle(), QStringLiteral("Join && Split"));  // the bar shows one ampersand
    QVERIFY(!form.SpeedButton3->isEnabled());
    QVERIFY(form.BriskButton11->isEnabled() && form.BriskButton13->isEnabled() && form.BriskButton14->isEnabled());
    for (QRadioButton* radio : {form.RadioButton7, form.RadioButton8, form.RadioButton9, form.RadioButton10})
      QVERIFY(!radio->isChecked());
    QVERIFY(form.BF1.SetArchiveFlag);
    QCOMPARE(form.BF1.MaxSize, 0);
    QCOMPARE(form.TextListBox1->itemHeight(), 18);
    QCOMPARE(form.PageControl1->currentWidget(), form.Split);
    QVERIFY(!form.TargetIsFloppy && !form.ArchiveOpened);
    form.show();
    QVERIFY((form.geometry().center() - form.screen()->availableGeometry().center()).manhattanLength() <= 2);
  }

  void addingFilesKeepsCaseAndDropsExactDuplicates() {
    TForm2 form;
    QDir().mkpath(Path("d"));
    for (const char* name : {"d/Report.TXT", "d/report.txt", "d/x"}) WriteFile(Path(name), "x");
    fake_->openAnswers << QStringList{Path("d/Report.TXT"), Path("d/report.txt"), Path("d/Report.TXT")}
                       << QStringList{Path("d/report.txt"), Path("d/x")} << QStringList{};
    form.SpeedButton1Click();
    form.SpeedButton1Click();
    form.SpeedButton1Click();  // cancelled
    QCOMPARE(form.TextListBox1->lines(), (QStringList{Path("d/Report.TXT"), Path("d/report.txt"), Path("d/x")}));
    QCOMPARE(fake_->openFilters.first(), TForm2::kAllFilesFilter);
    QCOMPARE(TDialogs::QtFilter(TForm2::kParvexFilesFilter), QStringLiteral("Parvex Files (*.PX);;All Files (*)"));
  }

  void deletingRemovesEverySelectedLine() {
    TForm2 form;
    form.SpeedButton2Click();  // an empty list: nothing to do
    form.AddFiles({"/0", "/1", "/2", "/3", "/4"});
    for (int i : {1, 2, 4}) form.TextListBox1->item(i)->setSelected(true);
    form.SpeedButton2Click();
    QCOMPARE(form.TextListBox1->lines(), (QStringList{"/0", "/3"}));
  }

  void droppedFilesAreAddedLikeChosenOnes() {
    TForm2 form;
    form.AddFiles({sources_[0]});
    QMimeData data;
    data.setUrls({QUrl::fromLocalFile(sources_[0]), QUrl::fromLocalFile(sources_[1]), QUrl::fromLocalFile(Path("src")),
                  QUrl("https://example.org/x.txt")});
    QDragEnterEvent enterFiles(QPoint(10, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(form.TextListBox1->viewport(), &enterFiles);
    QVERIFY(enterFiles.isAccepted());
    QDropEvent drop(QPointF(10, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(form.TextListBox1->viewport(), &drop);
    QVERIFY(drop.isAccepted());
    QCOMPARE(form.TextListBox1->lines(), (QStringList{sources_[0], sources_[1]}));

    QMimeData text;
    text.setText(QStringLiteral("not a file"));
    QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, &text, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(form.TextListBox1->viewport(), &enter);
    QVERIFY(!enter.isAccepted());
  }

  void executeWithAnEmptyListAsksForFiles() {
    TForm2 form;
    form.BriskButton11Click();
    QCOMPARE(fake_->boxes.size(), 1);
    QCOMPARE(fake_->boxes[0].text, QStringLiteral("Please select files first!"));
    QCOMPARE(fake_->boxes[0].icon, TDialogs::miError);
    QCOMPARE(fake_->saveCalls, 0);
    QVERIFY(!form.SpeedButton3->isEnabled());
  }

  void volumeSizeIsReadInKilobytes() {
    QCOMPARE(TForm2::VolumeSizeBytes("1440"), 1474560);
    QCOMPARE(TForm2::VolumeSizeBytes(""), 0);
    QCOMPARE(TForm2::VolumeSizeBytes("2097151"), 2147482624);
    TForm2 form;
    form.AddFiles({sources_[0]});
    form.Edit3->setText("1440");
    form.BriskButton11Click();  // the save dialog is cancelled after MaxSize is set
    QCOMPARE(form.BF1.MaxSize, 1474560);
    form.Edit3->clear();
    form.BriskButton11Click();
    QCOMPARE(form.BF1.MaxSize, 0);
    QCOMPARE(fake_->saveCalls, 2);
    QVERIFY(fake_->boxes.isEmpty() && fake_->messages.isEmpty());

    // Not a number, or more than 32 bits of bytes: a message, and no dialog.
    for (const QString& text : {QStringLiteral("abc"), QStringLiteral("12 "), QStringLiteral("2097152")}) {
      fake_->boxes.clear();
      form.Edit3->setText(text);
      form.BriskButton11Click();
      QCOMPARE(fake_->boxes.size(), 1);
      QCOMPARE(fake_->boxes[0].icon, TDialogs::miError);
      QVERIFY(!form.SpeedButton3->isEnabled());
    }
    QCOMPARE(fake_->boxes[0].text.left(9), QStringLiteral("Volume si"));
    form.Edit3->setText("abc");
    form.BriskButton11Click();
    QCOMPARE(fake_->boxes.last().text, QStringLiteral("'abc' is not a valid integer value"));
    QCOMPARE(fake_->saveCalls, 2);
  }

  void splitAppendsPxAndNumbersFurtherVolumes() {
    TForm2 form;
    form.CheckBox1->setChecked(true);
    Split(form, Path("set.PX"));
    QCOMPARE(fake_->messages, QStringList{"Operation sucessful"});
    QVERIFY(QFile::exists(Path("set.PX.PX")));
    QVERIFY(QFile::exists(Path("FILE001.ID")) && QFile::exists(Path("FILE003.ID")));
    QVERIFY(QFile::exists(Path("set.PX.002")) && QFile::exists(Path("set.PX.003")));
    QVERIFY(!QFile::exists(Path("set.PX")));
    QVERIFY(fake_->boxes.isEmpty());  // a fixed disk: no question between volumes
    QVERIFY(!form.SpeedButton3->isEnabled() && !form.ProgressBar1->isVisible() && !form.BF1.Busy());
  }

  void splitAndJoinWithEachRestoreMode_data() {
    QTest::addColumn<int>("radio");  // -1: none checked
    QTest::addColumn<QList<bool>>("restored");  // a.bin (newer copy there), Mixed Case.TXT (older copy), empty.dat
    QTest::newRow("none checked") << -1 << QList<bool>{true, true, true};
    QTest::newRow("Restore All") << 7 << QList<bool>{true, true, true};
    QTest::newRow("Restore existing") << 8 << QList<bool>{true, true, false};
    QTest::newRow("Restore Newer") << 9 << QList<bool>{false, true, true};
    QTest::newRow("Restore widthout overwrite") << 10 << QList<bool>{false, false, true};
  }
  void splitAndJoinWithEachRestoreMode() {
    QFETCH(int, radio);
    QFETCH(QList<bool>, restored);
    TForm2 form;
    Split(form, Path("set"));
    QCOMPARE(fake_->messages, QStringList{"Operation sucessful"});
    QVERIFY(QFile::exists(Path("set.003")));

    QDir().mkpath(Path("out"));
    const QStringList targets = {Path("out/a.bin"), Path("out/Mixed Case.TXT"), Path("out/empty.dat")};
    WriteFile(targets[0], "newer copy", QDateTime::currentDateTime().addYears(3));
    WriteFile(targets[1], "older copy", QDateTime(QDate(1990, 1, 1), QTime(12, 0)));
    Open(form, Path("set.PX"));
    QCOMPARE(form.Edit4->text(), QStringLiteral("Holiday, March"));
    QCOMPARE(fake_->openFilters.last(), TForm2::kParvexFilesFilter);
    form.PageControl1->setCurrentWidget(form.Join);
    form.dir1->setText(Path("out"));
    const QList<QRadioButton*> radios = {form.RadioButton7, form.RadioButton8, form.RadioButton9, form.RadioButton10};
    if (radio >= 7) radios[radio - 7]->setChecked(true);
    form.BriskButton14Click();

    for (int i = 0; i < 3; ++i) {
      const bool wasThere = i < 2;
      if (restored[i])
        QCOMPARE(ReadAll(targets[i]), ReadAll(sources_[i]));
      else if (wasThere)
        QCOMPARE(ReadAll(targets[i]), QByteArray(i == 0 ? "newer copy" : "older copy"));
      else
        QVERIFY(!QFile::exists(targets[i]));
    }
    QVERIFY(fake_->boxes.isEmpty());  // no warnings, no questions
    QCOMPARE(fake_->messages.size(), 1);  // a join ends without a message
    QVERIFY(!form.ProgressBar1->isVisible() && !form.BF1.Busy());
  }

  void joinWithFullPathKeepsTheStoredFolders() {
    TForm2 form;
    Split(form, Path("set"), QString());
    Open(form, Path("set.PX"));
    form.CheckBox2->setChecked(true);
    form.dir1->setText(Path("out"));
    form.BriskButton14Click();
    QCOMPARE(ReadAll(Path("out") + sources_[1]), ReadAll(sources_[1]));
  }

  void removableMediaAskForEachFurtherDisk() {
    FakeEnv env;
    env.removable = true;
    TForm2 form(nullptr, &env);
    Split(form, Path("set"));
    QVERIFY(form.TargetIsFloppy);
    QCOMPARE(fake_->count("Insert next disk!"), 2);  // before volumes 2 and 3
    QCOMPARE(fake_->boxes[0].icon, TDialogs::miInformation);

    fake_->boxes.clear();
    Open(form, Path("set.PX"));
    form.dir1->setText(Path("out"));
    form.BriskButton14Click();
    QCOMPARE(fake_->count("Insert next disk!"), 2);
    QCOMPARE(ReadAll(Path("out/a.bin")), ReadAll(sources_[0]));

    // Declining the next disk stops the split in an orderly way.
    fake_->messages.clear();
    fake_->answer = [](const QString&) { return TDialogs::idCancel; };
    Split(form, Path("second"));
    QCOMPARE(fake_->messages, QStringList{"Operation failed or aborted"});
    QVERIFY(!QFile::exists(Path("second.002")));
  }

  void anAbsentVolumeIsAskedForUntilItComesOrTheUserCancels() {
    TForm2 form;
    const QDateTime stored(QDate(2020, 5, 4), QTime(14, 0));
    WriteFile(sources_[0], ReadAll(sources_[0]), stored);
    Split(form, Path("set"));
    QVERIFY(QFile::rename(Path("set.002"), Path("elsewhere")));
    Open(form, Path("set.PX"));
    form.dir1->setText(Path("out"));
    // First Cancel: the join stops without an error.
    fake_->answer = [](const QString&) { return TDialogs::idCancel; };
    form.BriskButton14Click();
    QCOMPARE(fake_->boxes.size(), 2);
    QCOMPARE(fake_->boxes[0].text, QStringLiteral("Please insert disk 2"));
    QCOMPARE(fake_->boxes[0].buttons, TDialogs::mbOKCancel);
    // The file cut short by the missing volume is named, and keeps no stored time.
    QCOMPARE(fake_->boxes[1].icon, TDialogs::miWarning);
    QVERIFY2(fake_->boxes[1].text.startsWith('"' + Path("out/a.bin") + QStringLiteral("\" is incomplete: only its first ")),
             qPrintable(fake_->boxes[1].text));
    QVERIFY(QFileInfo(Path("out/a.bin")).lastModified() != stored);
    QVERIFY(!form.BF1.Busy() && !form.Running());

    // Then the user brings the volume back and says OK.
    fake_->answer = [this](const QString&) {
      QFile::rename(Path("elsewhere"), Path("set.002"));
      return TDialogs::idOk;
    };
    form.BriskButton14Click();
    QCOMPARE(fake_->boxes.size(), 3);  // the question alone
    QCOMPARE(ReadAll(Path("out/a.bin")), ReadAll(sources_[0]));
    QCOMPARE(QFileInfo(Path("out/a.bin")).lastModified(), stored);
  }

  void cancelDuringASplitStopsItAndTheWindowStaysGuarded() {
    TForm2 form;
    form.show();
    bool checked = false;
    // Runs between two blocks, as a click of the user would.
    QTimer::singleShot(0, &form, [&] {
      QVERIFY(form.Running() && form.BF1.Busy());
      QVERIFY(form.SpeedButton3->isEnabled());
      QVERIFY(!form.BriskButton11->isEnabled() && !form.BriskButton13->isEnabled() && !form.BriskButton14->isEnabled());
      form.BriskButton11Click();  // a second split must not start
      form.ArchiveOpened = true;
      form.BriskButton14Click();  // nor a join
      form.BriskButton13Click();  // nor a choice of another set
      QCOMPARE(fake_->saveCalls, 1);
      QVERIFY(fake_->openFilters.isEmpty());
      fake_->answer = [](const QString&) { return TDialogs::idNo; };
      QVERIFY(!form.close());  // closing asks first; No: the split goes on
      QVERIFY(form.BF1.Busy());
      fake_->answer = nullptr;
      form.SpeedButton3->click();
      checked = true;
    });
    Split(form, Path("set"), QString());
    QVERIFY(checked);
    QCOMPARE(fake_->count("Do you want to abort the operation?"), 2);
    QCOMPARE(fake_->boxes[0].buttons, TDialogs::mbYesNo);
    QCOMPARE(fake_->messages, QStringList{"Operation failed or aborted"});
    QVERIFY(form.isVisible());  // the close was declined
    QVERIFY(!form.SpeedButton3->isEnabled() && form.BriskButton11->isEnabled());
  }

  void joinBeforeOpenDoesNothing() {
    TForm2 form;
    form.RadioButton8->setChecked(true);
    form.BriskButton14Click();
    QVERIFY(fake_->boxes.isEmpty() && fake_->messages.isEmpty());
    QVERIFY(!form.ProgressBar1->isVisible());
  }

  void aFailedSplitLeavesTheWindowReady() {
    TForm2 form;
    Split(form, Path("no such folder/set"));
    QCOMPARE(fake_->boxes.size(), 1);
    QVERIFY(fake_->boxes[0].text.startsWith("Cannot write to archive"));
    QCOMPARE(fake_->boxes[0].icon, TDialogs::miError);
    QVERIFY(!form.BF1.Busy() && !form.Running());
    QVERIFY(!form.SpeedButton3->isEnabled() && form.BriskButton11->isEnabled());
    Split(form, Path("set"));
    QCOMPARE(fake_->messages, QStringList{"Operation sucessful"});
  }

  void warningsOfAJoinAreShownOnceAtTheEnd() {
    // A set holding two empty files whose stored folders climb out of the destination.
    QByteArray set = Le32(0) + Le32(0) + Le32(2);
    for (const QByteArray& name : {QByteArray("/data/../../evil1"), QByteArray("/data/../../evil2")})
      set += Le32(name.size()) + name + Le32(0x21 << 16) + QByteArray("ECS\0", 4) + Le32(0);
    set += Le32(0);
    WriteFile(Path("crafted.PX"), set);
    TForm2 form;
    Open(form, Path("crafted.PX"));
    form.CheckBox2->setChecked(true);
    form.dir1->setText(Path("out"));
    form.BriskButton14Click();
    QCOMPARE(fake_->boxes.size(), 1);
    QCOMPARE(fake_->boxes[0].icon, TDialogs::miWarning);
    QVERIFY(fake_->boxes[0].text.contains("evil1") && fake_->boxes[0].text.contains("evil2"));
    QVERIFY(!QFile::exists(Path("evil1")) && !QFile::exists(Path("out/evil1")));
  }
};

QTEST_MAIN(Unit2Test)
#include "Unit2_test.moc"
