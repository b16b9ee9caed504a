// Tests of the Split & Join window where plain use went wrong: a failed
// "Open..." must not leave another set to join, ".PX" must not replace a set
// unasked (nor leave its old volumes), names the split cannot store are
// listed, the engine's refusals and warnings are shown, closing during a
// split asks and keeps the list, bad volume sizes and missing names are
// refused with a word, and a typed folder is created after asking.

#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

#include "tests/windows/Unit2TestSupport.h"
#include "windows/DirectoryEdit.h"
#include "windows/TextListBox.h"
#include "windows/Unit2.h"
#include "windows/Unit2Checks.h"

using namespace unit2test;

class Unit2FaultsTest : public QObject {
  Q_OBJECT

  FakeDialogs* fake_ = nullptr;
  TDialogs* previous_ = nullptr;
  QTemporaryDir* dir_ = nullptr;
  QStringList sources_;

  QString Path(const QString& name) const { return dir_->filePath(name); }

  void Split(TForm2& form, const QString& chosen, const QString& kilobytes, const QString& comment) {
    form.Edit2->setText(comment);
    form.Edit3->setText(kilobytes);
    fake_->saveAnswer = chosen;
    form.BriskButton11Click();
  }

 private slots:
  void init() {
    fake_ = new FakeDialogs;
    previous_ = TDialogs::SetDefault(fake_);
    dir_ = new QTemporaryDir;
    QVERIFY(dir_->isValid());
    QDir().mkpath(Path("src"));
    // 250 KB that do not pack, and some text that does: three volumes of 100 KB.
    sources_ = {Path("src/a.bin"), Path("src/b.txt")};
    WriteFile(sources_[0], RandomBytes(250000, 3));
    WriteFile(sources_[1], QByteArray("text that packs\n").repeated(3000));
  }
  void cleanup() {
    TDialogs::SetDefault(previous_ == fake_ ? nullptr : previous_);
    delete fake_;
    delete dir_;
  }

  void aFileThatIsNoSetIsNotRemembered() {
    TForm2 form;
    form.AddFiles(sources_);
    Split(form, Path("good"), QString(), QStringLiteral("the good set"));
    fake_->openAnswers << QStringList{Path("good.PX")};
    form.BriskButton13Click();
    QCOMPARE(form.Edit4->text(), QStringLiteral("the good set"));
    QVERIFY(form.ArchiveOpened);

    // Not a set: the engine's message as it comes, and nothing left to join.
    WriteFile(Path("notes.txt"), "write this down somewhere\n");
    fake_->boxes.clear();
    fake_->openAnswers << QStringList{Path("notes.txt")};
    form.BriskButton13Click();
    QCOMPARE(fake_->boxes.size(), 1);
    QCOMPARE(fake_->boxes[0].icon, TDialogs::miError);
    QVERIFY(fake_->boxes[0].text.startsWith(QStringLiteral("Cannot read archive")));
    QVERIFY(form.Edit4->text().isEmpty());
    QVERIFY(!form.ArchiveOpened && form.OpenedArchive().isEmpty());
    form.dir1->setText(Path("out"));
    form.BriskButton14Click();
    QCOMPARE(fake_->boxes.size(), 1);  // Join! does nothing, no second failure
    QVERIFY(!QDir(Path("out")).exists());

    // A typed name that does not exist says so, naming it.
    fake_->openAnswers << QStringList{Path("good.PX")} << QStringList{Path("nothing.PX")};
    form.BriskButton13Click();
    form.BriskButton13Click();
    QCOMPARE(fake_->boxes.last().text, Path("nothing.PX") + QStringLiteral(": no such file"));
    QVERIFY(!form.ArchiveOpened && form.Edit4->text().isEmpty());
  }

  void replacingASetAsksAndRemovesItsFurtherVolumesOnly() {
    TForm2 form;
    form.AddFiles(sources_);
    Split(form, Path("NL"), QStringLiteral("100"), QStringLiteral("old"));
    QVERIFY(QFile::exists(Path("NL.003")) && !QFile::exists(Path("NL.004")));
    WriteFile(Path("NL.005"), "another set's, after a gap");
    QVERIFY(fake_->boxes.isEmpty());  // nothing there before: no question
    const QByteArray oldFirst = ReadAll(Path("NL.PX"));

    // No: nothing is written.
    fake_->answer = [](const QString&) { return TDialogs::idNo; };
    fake_->messages.clear();
    Split(form, Path("NL"), QString(), QStringLiteral("new"));
    QCOMPARE(fake_->boxes.size(), 1);
    QCOMPARE(fake_->boxes[0].text, Path("NL.PX") + QStringLiteral(" already exists.\nDo you want to replace that set?"));
    QCOMPARE(fake_->boxes[0].icon, TDialogs::miConfirmation);
    QCOMPARE(fake_->boxes[0].buttons, TDialogs::mbYesNo);
    QVERIFY(fake_->messages.isEmpty());
    QCOMPARE(ReadAll(Path("NL.PX")), oldFirst);
    QVERIFY(QFile::exists(Path("NL.002")) && QFile::exists(Path("NL.003")));

    // Yes, with two volumes of 200 KB: the old third volume goes, the gap's stays.
    fake_->answer = nullptr;
    Split(form, Path("NL"), QStringLiteral("200"), QStringLiteral("new"));
    QCOMPARE(fake_->messages, QStringList{"Operation sucessful"});
    QVERIFY(QFile::exists(Path("NL.002")));
    QVERIFY(!QFile::exists(Path("NL.003")));
    QVERIFY(QFile::exists(Path("NL.005")));
    fake_->openAnswers << QStringList{Path("NL.PX")};
    form.BriskButton13Click();
    QCOMPARE(form.Edit4->text(), QStringLiteral("new"));
    form.dir1->setText(Path("out"));
    form.BriskButton14Click();
    QCOMPARE(ReadAll(Path("out/a.bin")), ReadAll(sources_[0]));

    // The name typed with its ".PX" is another set, SET.PX.PX, and asks nothing.
    fake_->boxes.clear();
    Split(form, Path("NL.PX"), QString(), QStringLiteral("third"));
    QVERIFY(fake_->boxes.isEmpty());
    QVERIFY(QFile::exists(Path("NL.PX.PX")) && QFile::exists(Path("NL.002")));
  }

  void namesThatStoreNothingAreListedBeforeTheResult() {
    TForm2 form;
    QDir().mkpath(Path("src/folder"));
    WriteFile(Path("src/gone.txt"), "soon gone");
    form.AddFiles({sources_[1], Path("src/gone.txt"), Path("src/folder"), Path("src/f*"), Path("src/*.none")});
    QVERIFY(QFile::remove(Path("src/gone.txt")));
    Split(form, Path("set"), QString(), QString());
    QCOMPARE(fake_->shown.size(), 2);
    QCOMPARE(fake_->boxes.size(), 1);
    QCOMPARE(fake_->boxes[0].icon, TDialogs::miWarning);
    QCOMPARE(fake_->boxes[0].text, QStringList({QStringLiteral("Not stored:"),
                                                Path("src/gone.txt") + QStringLiteral(": not found"),
                                                Path("src/folder") + QStringLiteral(": is a folder, not a file"),
                                                Path("src/folder") + QStringLiteral(": is a folder, not a file"),
                                                Path("src/*.none") + QStringLiteral(": not found")})
                                       .join('\n'));
    QCOMPARE(fake_->shown.last(), QStringLiteral("Operation sucessful"));  // the message stays, after the list

    // A list whose every name is fine shows the message alone.
    fake_->shown.clear();
    fake_->boxes.clear();
    form.TextListBox1->clear();
    form.AddFiles(sources_);
    Split(form, Path("set2"), QString(), QString());
    QCOMPARE(fake_->shown, QStringList{"Operation sucessful"});

    // A long list is cut, with a count of the rest.
    QStringList many;
    for (int i = 0; i < 25; ++i) many << Path(QStringLiteral("src/missing%1").arg(i));
    const QString text = unit2::NameList(QStringLiteral("Not stored:"), many);
    QCOMPARE(text.count('\n'), 21);
    QVERIFY(text.endsWith(QStringLiteral("... and 5 more")));
  }

  void closingDuringASplitAsksAndKeepsTheList() {
    TForm2 form;
    form.AddFiles(sources_);
    form.show();
    int asked = 0;
    QTimer::singleShot(0, &form, [&] {
      // The Close button asks as Cancel does; Yes stops the engine.
      form.BriskButton12Click();
      asked = fake_->count(QStringLiteral("Do you want to abort the operation?"));
      QCOMPARE(form.TextListBox1->count(), 2);
      QVERIFY(form.isVisible());  // until the engine has stopped
    });
    Split(form, Path("set"), QString(), QString());
    QCOMPARE(asked, 1);
    QCOMPARE(fake_->messages, QStringList{"Operation failed or aborted"});
    QVERIFY(!form.isVisible());
    QCOMPARE(form.TextListBox1->lines(), sources_);

    // Closed through its title bar and told No, the split ends and the window stays.
    form.show();
    fake_->messages.clear();
    fake_->answer = [](const QString&) { return TDialogs::idNo; };
    QTimer::singleShot(0, &form, [&] { QVERIFY(!form.close()); });
    Split(form, Path("set2"), QString(), QString());
    QCOMPARE(fake_->messages, QStringList{"Operation sucessful"});
    QVERIFY(form.isVisible());

    // At rest, Close empties the list and closes at once.
    form.BriskButton12Click();
    QVERIFY(!form.isVisible());
    QCOMPARE(form.TextListBox1->count(), 0);
  }

  void theEnginesRefusalsAndWarningsAreShown() {
    TForm2 form;
    // The second split of "src/*" into src/: the first volume, now in the
    // list, is left out, and the window says so before the result.
    form.AddFiles({Path("src/*")});
    Split(form, Path("src/own"), QString(), QString());
    fake_->boxes.clear();
    fake_->shown.clear();
    Split(form, Path("src/own"), QString(), QString());
    QCOMPARE(fake_->shown.size(), 3);  // replace?, the warning, the result
    QCOMPARE(fake_->boxes[1].icon, TDialogs::miWarning);
    QCOMPARE(fake_->boxes[1].text, '"' + Path("src/own.PX") +
                                       QStringLiteral("\" left out: it is a file this split writes (a volume of the set "
                                                      "or an identification file)"));
    QCOMPARE(fake_->shown.last(), QStringLiteral("Operation sucessful"));

    // A set that another program is writing: the engine's refusal, and the set untouched.
    auto held = parvex::platform::Env::Default()->CreateVolume(QFile::encodeName(Path("held.PX")).toStdString());
    held->Write("busy", 4);
    held->Close();
    auto lock = parvex::platform::Env::Default()->CreateVolume(QFile::encodeName(Path("held.PX")).toStdString());
    fake_->boxes.clear();
    Split(form, Path("held"), QString(), QString());
    QCOMPARE(fake_->boxes.last().icon, TDialogs::miError);
    QCOMPARE(fake_->boxes.last().text, QStringLiteral("Cannot write to archive: ") + Path("held.PX") +
                                           QStringLiteral(": in use by another program (a split or join of this set "
                                                          "is running); nothing was written"));
    lock.reset();

    // A join that fails on a target names it and the files restored before it.
    form.TextListBox1->clear();
    form.AddFiles(sources_);
    Split(form, Path("good"), QString(), QString());
    fake_->openAnswers << QStringList{Path("good.PX")};
    form.BriskButton13Click();
    QDir().mkpath(Path("out/b.txt"));
    form.dir1->setText(Path("out"));
    fake_->boxes.clear();
    form.BriskButton14Click();
    QCOMPARE(fake_->boxes.size(), 1);
    QCOMPARE(fake_->boxes[0].icon, TDialogs::miError);
    QCOMPARE(fake_->boxes[0].text, QStringLiteral("Cannot read file: ") + Path("out/b.txt") +
                                       QStringLiteral(": Is a directory\n\nRestored before the error:\n") +
                                       Path("out/a.bin"));
  }

  void negativeAndTooLargeSizesAreRefusedWithTheNumberTyped() {
    TForm2 form;
    form.AddFiles(sources_);
    for (const QString& size : {QStringLiteral("-1"), QStringLiteral(" -20"), QStringLiteral("2097152")}) {
      fake_->boxes.clear();
      form.Edit3->setText(size);
      form.BriskButton11Click();
      QCOMPARE(fake_->boxes.size(), 1);
      QCOMPARE(fake_->boxes[0].icon, TDialogs::miError);
      QVERIFY2(fake_->boxes[0].text.startsWith(QStringLiteral("Volume size ") + size.trimmed() + " KB is "),
               qPrintable(fake_->boxes[0].text));
    }
    QCOMPARE(fake_->saveCalls, 0);
    QCOMPARE(TForm2::VolumeSizeBytes(QStringLiteral("-0")), 0);
    QCOMPARE(TForm2::VolumeSizeBytes(QStringLiteral("+3")), 3072);
  }

  void missingNamesAreNotAddedWithoutAWord() {
    TForm2 form;
    fake_->openAnswers << QStringList{sources_[0], Path("src/typo.txt"), Path("src/*.txt"), Path("src/*.none"),
                                      Path("src")};
    form.SpeedButton1Click();
    QCOMPARE(form.TextListBox1->lines(), (QStringList{sources_[0], Path("src/*.txt"), Path("src")}));
    QCOMPARE(fake_->boxes.size(), 1);
    QCOMPARE(fake_->boxes[0].icon, TDialogs::miWarning);
    QCOMPARE(fake_->boxes[0].text,
             QStringLiteral("Not found, so not added:\n") + Path("src/typo.txt") + "\n" + Path("src/*.none"));
    fake_->openAnswers << QStringList{sources_[1]};
    form.SpeedButton1Click();
    QCOMPARE(fake_->boxes.size(), 1);  // all found: nothing to say
  }

  void aTypedFolderIsCreatedAfterAsking() {
    TForm2 form;
    form.show();
    form.dir1->setText(Path("src"));
    fake_->directoryAnswer = Path("new/deeper");
    fake_->answer = [](const QString&) { return TDialogs::idNo; };
    form.dir1->browse();
    QCOMPARE(fake_->boxes.size(), 1);
    QCOMPARE(fake_->boxes[0].text,
             QStringLiteral("The folder ") + Path("new/deeper") + QStringLiteral(" does not exist.\nDo you want to create it?"));
    QCOMPARE(fake_->boxes[0].buttons, TDialogs::mbYesNo);
    QVERIFY(!QDir(Path("new")).exists());
    QCOMPARE(form.dir1->text(), Path("src"));

    fake_->answer = nullptr;
    form.dir1->browse();
    QVERIFY(QDir(Path("new/deeper")).exists());
    QCOMPARE(form.dir1->text(), Path("new/deeper"));

    // An existing folder is taken without a question, a file is refused.
    fake_->boxes.clear();
    fake_->directoryAnswer = Path("src");
    form.dir1->browse();
    QVERIFY(fake_->boxes.isEmpty());
    QCOMPARE(form.dir1->text(), Path("src"));
    fake_->directoryAnswer = sources_[0];
    form.dir1->browse();
    QCOMPARE(fake_->boxes.size(), 1);
    QCOMPARE(fake_->boxes[0].icon, TDialogs::miError);
    QCOMPARE(form.dir1->text(), Path("src"));
    fake_->boxes.clear();
    fake_->directoryAnswer.clear();  // cancelled
    form.dir1->browse();
    QVERIFY(fake_->boxes.isEmpty());
  }
};

QTEST_MAIN(Unit2FaultsTest)
#include "Unit2Faults_test.moc"
