// Tests of the program's command line: `parvex SET.PX` opens the Split & Join
// window from the main window on its Join page with the set opened (its
// comment shown, joined by "Join!"), a set that cannot be read is reported as
// "Open..." reports it, and the arguments that are refused.

#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QScopeGuard>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

#include "engine/backup.h"
#include "tests/windows/Unit2TestSupport.h"
#include "windows/DirectoryEdit.h"
#include "windows/StartArguments.h"
#include "windows/Unit1.h"
#include "windows/Unit2.h"

using namespace unit2test;

class StartArgumentsTest : public QObject {
  Q_OBJECT

  FakeDialogs* fake_ = nullptr;
  TDialogs* previous_ = nullptr;
  QTemporaryDir* dir_ = nullptr;

  QString Path(const QString& name) const { return dir_->filePath(name); }

  // A set of one file with the comment `title`, made by the engine.
  QString MakeSet(const QString& title) {
    WriteFile(Path("note.txt"), QByteArray("what the set holds\n").repeated(100));
    parvex::TBackupFile bf;
    bf.BackupTitle = title.toStdString();
    const QString set = Path("HOLIDAY.PX");
    bf.Backup({Path("note.txt").toStdString()}, set.toStdString());
    return set;
  }

  // Runs OpenAtStart and, while Form2 is up in its modal loop, `whileShown`;
  // then closes Form2, which returns to the main window.
  void OpenAtStartAndLook(const QString& archive, const std::function<void()>& whileShown) {
    bool looked = false;
    QTimer::singleShot(50, Form2, [&] {
      // Also when a check in `whileShown` fails and returns early.
      const auto close = qScopeGuard([] { Form2->close(); });
      looked = true;
      whileShown();
    });
    startup::OpenAtStart(archive);
    QVERIFY(looked);
  }

 private slots:
  void init() {
    fake_ = new FakeDialogs;
    previous_ = TDialogs::SetDefault(fake_);
    dir_ = new QTemporaryDir;
    QVERIFY(dir_->isValid());
    Form1 = new TForm1;
    Form2 = new TForm2;
    Form1->show();
  }
  void cleanup() {
    delete Form2;
    Form2 = nullptr;
    delete Form1;
    Form1 = nullptr;
    TDialogs::SetDefault(previous_ == fake_ ? nullptr : previous_);
    delete fake_;
    delete dir_;
  }

  void opensTheJoinPageWithTheSet() {
    const QString set = MakeSet(QStringLiteral("Holiday, March"));
    bool modal = false, lightStopped = false;
    OpenAtStartAndLook(set, [&] {
      modal = Form2->isVisible() && Form2->isModal();
      lightStopped = !Form1->Timer1->isActive();
      QCOMPARE(Form2->PageControl1->currentWidget(), Form2->Join);
      QVERIFY(Form2->ArchiveOpened);
      QCOMPARE(Form2->OpenedArchive(), set);
      QCOMPARE(Form2->Edit4->text(), QStringLiteral("Holiday, March"));
      // The set is joined as one chosen with "Open...".
      Form2->dir1->setText(Path("out"));
      Form2->BriskButton14Click();
    });
    QVERIFY(modal);
    QVERIFY(lightStopped);
    QVERIFY(Form1->Timer1->isActive());  // back at the main window, as after the hot-spot
    QCOMPARE(ReadAll(Path("out/note.txt")), ReadAll(Path("note.txt")));
    QVERIFY(fake_->boxes.isEmpty());
  }

  void aSetThatCannotBeReadIsReportedOnTheJoinPage() {
    OpenAtStartAndLook(Path("ABSENT.PX"), [&] {
      QCOMPARE(Form2->PageControl1->currentWidget(), Form2->Join);
      QVERIFY(!Form2->ArchiveOpened);
      QVERIFY(Form2->Edit4->text().isEmpty());
    });
    QCOMPARE(fake_->boxes.size(), 1);
    QCOMPARE(fake_->boxes[0].text, Path("ABSENT.PX") + QStringLiteral(": no such file"));
    QCOMPARE(fake_->boxes[0].icon, TDialogs::miError);

    fake_->boxes.clear();
    WriteFile(Path("short.PX"), QByteArray("\x01\x02", 2));
    OpenAtStartAndLook(Path("short.PX"), [&] { QVERIFY(!Form2->ArchiveOpened); });
    QCOMPARE(fake_->boxes.size(), 1);
    QVERIFY2(fake_->boxes[0].text.startsWith(QStringLiteral("Cannot read archive")), qPrintable(fake_->boxes[0].text));
  }

  void argumentsTaken() {
    QString archive, error;
    QVERIFY(startup::ParseArguments({}, archive, error));
    QVERIFY(archive.isEmpty());  // no set: the program starts as always

    QVERIFY(startup::ParseArguments({QStringLiteral("rel/SET.PX")}, archive, error));
    QCOMPARE(archive, QDir::current().absoluteFilePath(QStringLiteral("rel/SET.PX")));
    QVERIFY(startup::ParseArguments({QStringLiteral("/abs/SET.PX")}, archive, error));
    QCOMPARE(archive, QStringLiteral("/abs/SET.PX"));
    // After "--" a name may begin with a dash.
    QVERIFY(startup::ParseArguments({QStringLiteral("--"), QStringLiteral("-odd.PX")}, archive, error));
    QCOMPARE(archive, QDir::current().absoluteFilePath(QStringLiteral("-odd.PX")));
  }

  void argumentsRefused() {
    QString archive, error;
    QVERIFY(!startup::ParseArguments({QStringLiteral("--frobnicate")}, archive, error));
    QVERIFY2(error.contains(QStringLiteral("--frobnicate")) && error.contains(QStringLiteral("--help")),
             qPrintable(error));
    QVERIFY(!startup::ParseArguments({QStringLiteral("A.PX"), QStringLiteral("B.PX")}, archive, error));
    QVERIFY2(error.contains(QStringLiteral("one set")), qPrintable(error));
  }

  void helpAndVersionAnswerWithoutAWindow() {
    char program[] = "parvex", help[] = "--help", shortHelp[] = "-h", version[] = "--version", dashes[] = "--",
         set[] = "SET.PX";
    char* withVersion[] = {program, set, version};
    QCOMPARE(startup::AnswerInfoOptions(3, withVersion), 0);
    char* withShortHelp[] = {program, shortHelp};
    QCOMPARE(startup::AnswerInfoOptions(2, withShortHelp), 0);
    char* plain[] = {program, set};
    QCOMPARE(startup::AnswerInfoOptions(2, plain), -1);
    char* afterDashes[] = {program, dashes, help};  // a set named --help
    QCOMPARE(startup::AnswerInfoOptions(3, afterDashes), -1);
  }
};

QTEST_MAIN(StartArgumentsTest)
#include "StartArguments_test.moc"
