// Tests of the network dialogs on a made-up network: the components' results,
// the address check, connecting with its working state, questions, failures,
// Cancel and the close box, the service missing; listing and disconnecting
// drives and printers.

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>
#include <QTreeWidget>
#include <QtTest>

#include "controls/NetConnectForm.h"
#include "controls/NetDisconnectForm.h"
#include "controls/NetDlgs.h"
#include "controls/NetQuestion.h"
#include "tests/support/FakeNetPlaces.h"

using parvex::TNetConnectDlg;
using parvex::TNetConnectForm;
using parvex::TNetConnection;
using parvex::TNetDisConnectDlg;
using parvex::TNetDisconnectForm;
using parvex::TNetOutcome;
using parvex::TNetPasswordAnswer;
using parvex::TNetPasswordQuestion;
using parvex::TNetQuestionPanel;
using parvex::test::FakeNetInstalled;
using parvex::test::FakeNetPlaces;

namespace {

void Type(TNetConnectForm& form, const QString& address) {
  form.addressBox->setEditText(address);
  QTest::mouseClick(form.connectButton, Qt::LeftButton);
}

// Runs `step` on the modal dialog once it is up.
template <typename Dialog>
void WhenOpen(std::function<void(Dialog&)> step) {
  QTimer::singleShot(0, [step] {
    auto* dialog = qobject_cast<Dialog*>(QApplication::activeModalWidget());
    QVERIFY(dialog != nullptr);
    step(*dialog);
  });
}

const TNetConnection kShare{TNetConnection::ncGvfs, "sftp://ann@host/", "/run/user/1000/gvfs/sftp:host=host,user=ann",
                            "sftp://ann@host/"};
const TNetConnection kNfs{TNetConnection::ncKernel, "server:/export", "/mnt/export", "/mnt/export"};

}  // namespace

class NetDlgsTest : public QObject {
  Q_OBJECT

 private slots:
  void componentsStartAtZeroWithDiskResources() {
    TNetConnectDlg connectDlg;
    TNetDisConnectDlg disconnectDlg;
    QCOMPARE(connectDlg.Result(), 0);
    QCOMPARE(disconnectDlg.Result(), 0);
    QCOMPARE(disconnectDlg.resourceType(), TNetDisConnectDlg::rtDisk);
    static_assert(sizeof(TNetDisConnectDlg::TResourceType) == 1);
    // Published: set and read through the property system by name.
    QVERIFY(disconnectDlg.setProperty("ResourceType", QVariant::fromValue(TNetDisConnectDlg::rtPrinter)));
    QCOMPARE(disconnectDlg.resourceType(), TNetDisConnectDlg::rtPrinter);
  }

  void addressesThatCanBeConnected() {
    QString address;
    for (const char* good : {"smb://server/share", "sftp://ann@host:2222/home/ann", "ftp://host/", "dav://host/dav",
                             "davs://host/path", "nfs://host/export"}) {
      QVERIFY2(TNetConnectForm::AddressProblem(QString::fromLatin1(good), &address).isEmpty(), good);
      QCOMPARE(address, QString::fromLatin1(good));
    }
    // Blanks around go, the scheme is written as GIO knows it.
    QVERIFY(TNetConnectForm::AddressProblem(QStringLiteral("  SMB://Server/Share "), &address).isEmpty());
    QCOMPARE(address, QStringLiteral("smb://Server/Share"));

    for (const char* bad : {"server/share", "\\\\server\\share", "http://host/", "file:///tmp", "smb:///share",
                            "smb://", "sftp:host", "smb://ser ver/share"}) {
      const QString problem = TNetConnectForm::AddressProblem(QString::fromLatin1(bad), &address);
      QVERIFY2(problem.contains(QString::fromLatin1(bad)), bad);
      QVERIFY(problem.contains(QLatin1String("smb://server/share")));
    }
    QVERIFY(!TNetConnectForm::AddressProblem(QString(), &address).isEmpty());
  }

  void connectingShowsItsWorkAndEndsDone() {
    FakeNetPlaces places;
    TNetConnectForm form(places, {});
    form.show();
    QVERIFY(!form.connectButton->isEnabled());  // nothing typed yet
    Type(form, QStringLiteral("smb://server/share"));
    QCOMPARE(places.mounts.size(), std::size_t{1});
    QCOMPARE(places.mounts[0]->subject, QStringLiteral("smb://server/share"));
    QCOMPARE(form.state(), TNetConnectForm::csWorking);
    QVERIFY(form.status.busyBar()->isVisible());
    QVERIFY(form.status.text()->text().contains(QLatin1String("smb://server/share")));
    QVERIFY(!form.addressBox->isEnabled());
    QVERIFY(!form.connectButton->isEnabled());
    QVERIFY(form.cancelButton->isEnabled());
    // A second press while it works starts nothing more.
    form.ConnectClick();
    QCOMPARE(places.mounts.size(), std::size_t{1});

    places.mounts[0]->Finish({});
    QCOMPARE(form.result(), int(QDialog::Accepted));
    QCOMPARE(form.outcome(), 0);
    QCOMPARE(form.connectedAddress(), QStringLiteral("smb://server/share"));
  }

  void logOnQuestionAnsweredInTheDialog() {
    FakeNetPlaces places;
    TNetConnectForm form(places, {});
    form.show();
    QVERIFY(QTest::qWaitForWindowActive(&form));
    Type(form, QStringLiteral("smb://server/share"));
    std::optional<TNetPasswordAnswer> answer;
    int replies = 0;
    TNetPasswordQuestion question;
    question.message = QStringLiteral("Password required for share share on server");
    question.defaultUser = QStringLiteral("ann");
    question.needUser = question.needPassword = true;
    question.savingSupported = true;
    question.anonymousSupported = true;
    places.mounts[0]->asker->AskPassword(question, [&](std::optional<TNetPasswordAnswer> given) {
      answer = given;
      ++replies;
    });
    TNetQuestionPanel& panel = *form.question;
    QVERIFY(panel.isVisible());
    QVERIFY(!form.status.busyBar()->isVisible());
    QVERIFY(panel.userEdit()->isVisible());
    QVERIFY(panel.passwordEdit()->isVisible());
    QVERIFY(!panel.domainEdit()->isVisible());  // not asked for
    QCOMPARE(panel.userEdit()->text(), QStringLiteral("ann"));
    QVERIFY(panel.passwordEdit()->hasFocus());
    QCOMPARE(panel.passwordEdit()->echoMode(), QLineEdit::Password);
    QVERIFY(form.connectButton->isEnabled());

    QTest::keyClicks(panel.passwordEdit(), QStringLiteral("s3cret"));
    panel.saveButton(parvex::psForSession)->setChecked(true);
    QTest::mouseClick(form.connectButton, Qt::LeftButton);
    QCOMPARE(replies, 1);
    QVERIFY(answer.has_value());
    QVERIFY(!answer->anonymous);
    QCOMPARE(answer->user, QStringLiteral("ann"));
    QCOMPARE(answer->password, QStringLiteral("s3cret"));
    QCOMPARE(answer->save, parvex::psForSession);
    // The password is gone from the window; the dialog works on.
    QVERIFY(panel.passwordEdit()->text().isEmpty());
    QVERIFY(!panel.isVisible());
    QVERIFY(form.status.busyBar()->isVisible());

    // Anonymous: the fields are out of use and the answer says so.
    places.mounts[0]->asker->AskPassword(question, [&](std::optional<TNetPasswordAnswer> given) { answer = given; });
    panel.anonymousButton()->setChecked(true);
    QVERIFY(!panel.passwordEdit()->isEnabled());
    form.ConnectClick();
    QVERIFY(answer->anonymous);
    QCOMPARE(places.mounts.size(), std::size_t{1});  // answering starts no new mount
  }

  void choiceQuestionAndWithdrawnQuestion() {
    FakeNetPlaces places;
    TNetConnectForm form(places, {});
    form.show();
    Type(form, QStringLiteral("sftp://host/"));
    int chosen = -2;
    places.mounts[0]->asker->AskChoice({QStringLiteral("The identity of host is unknown."),
                                        {QStringLiteral("Log In Anyway"), QStringLiteral("Cancel Login")}},
                                       [&](int choice) { chosen = choice; });
    const QList<QPushButton*> choices = form.question->choiceButtons();
    QCOMPARE(choices.size(), 2);
    QCOMPARE(choices[0]->text(), QStringLiteral("Log In Anyway"));
    QVERIFY(!form.connectButton->isEnabled());  // the choice buttons answer
    QTest::mouseClick(choices[0], Qt::LeftButton);
    QCOMPARE(chosen, 0);
    QVERIFY(form.question->choiceButtons().isEmpty());

    // A question the job gives up goes away without a reply.
    bool replied = false;
    places.mounts[0]->asker->AskChoice({QStringLiteral("?"), {QStringLiteral("A")}}, [&](int) { replied = true; });
    places.mounts[0]->asker->QuestionWithdrawn();
    QVERIFY(!form.question->isVisible());
    QVERIFY(!replied);
  }

  void failureShownWithAddressAndTriedAgain() {
    FakeNetPlaces places;
    TNetConnectForm form(places, {});
    form.show();
    QVERIFY(QTest::qWaitForWindowActive(&form));
    Type(form, QStringLiteral("smb://sever/share"));
    places.mounts[0]->Finish({2, QStringLiteral("Failed to retrieve share list from server: No such file")});
    QVERIFY(form.isVisible());
    QCOMPARE(form.state(), TNetConnectForm::csIdle);
    QVERIFY(form.status.showsFailure());
    QCOMPARE(form.status.text()->text(),
             QStringLiteral("Could not connect to smb://sever/share: Failed to retrieve share list from server: "
                            "No such file"));
    QVERIFY(!form.status.busyBar()->isVisible());
    QVERIFY(form.addressBox->isEnabled());
    QVERIFY(form.addressBox->hasFocus());
    QVERIFY(form.connectButton->isEnabled());

    Type(form, QStringLiteral("smb://server/share"));
    QCOMPARE(places.mounts.size(), std::size_t{2});
    QCOMPARE(places.mounts[1]->subject, QStringLiteral("smb://server/share"));
    places.mounts[1]->Finish({});
    QCOMPARE(form.outcome(), 0);

    // A bad address is shown at once and mounts nothing.
    TNetConnectForm again(places, {});
    again.show();
    Type(again, QStringLiteral("server/share"));
    QCOMPARE(places.mounts.size(), std::size_t{2});
    QVERIFY(again.status.showsFailure());
    QVERIFY(again.status.text()->text().contains(QLatin1String("server/share")));
  }

  void cancelStopsTheAttemptAndThenCloses() {
    FakeNetPlaces places;
    TNetConnectForm form(places, {});
    form.show();
    Type(form, QStringLiteral("ftp://host/"));
    QTest::mouseClick(form.cancelButton, Qt::LeftButton);
    QCOMPARE(places.mounts[0]->cancels, 1);
    QCOMPARE(form.state(), TNetConnectForm::csCancelling);
    QVERIFY(form.isVisible());
    places.mounts[0]->Finish({-1, QStringLiteral("Operation was cancelled")});
    QCOMPARE(form.state(), TNetConnectForm::csIdle);
    QVERIFY(!form.status.showsFailure());
    QVERIFY(form.isVisible());

    // Declining a question leaves the dialog waiting for the mount's end.
    Type(form, QStringLiteral("ftp://host/"));
    std::optional<TNetPasswordAnswer> answer{TNetPasswordAnswer{}};
    places.mounts[1]->asker->AskPassword({QStringLiteral("Password?"), {}, {}, false, false, true, false, false},
                                         [&](std::optional<TNetPasswordAnswer> given) { answer = given; });
    QTest::keyClick(&form, Qt::Key_Escape);  // Escape is Cancel
    QVERIFY(!answer.has_value());
    QVERIFY(form.isVisible());
    places.mounts[1]->Finish({-1, QStringLiteral("Password dialog cancelled")});

    QTest::mouseClick(form.cancelButton, Qt::LeftButton);  // idle: closes
    QVERIFY(!form.isVisible());
    QCOMPARE(form.outcome(), -1);
  }

  void closeBoxGivesTheMountUp() {
    FakeNetPlaces places;
    auto* form = new TNetConnectForm(places, {});
    form->show();
    Type(*form, QStringLiteral("davs://host/dav"));
    form->close();
    QVERIFY(!form->isVisible());
    QCOMPARE(form->outcome(), -1);
    QCOMPARE(places.mounts[0]->cancels, 1);
    QVERIFY(!places.mounts[0]->alive);
    delete form;
    places.mounts[0]->Finish({});  // too late: reaches nobody
  }

  void withoutTheServiceTheDialogSaysSo() {
    FakeNetPlaces places;
    places.service = {parvex::kNetNoService, QStringLiteral("GVfs is not running.")};
    TNetConnectDlg component;
    component.setPlaces(&places);
    bool said = false, connectOff = false;
    WhenOpen<TNetConnectForm>([&](TNetConnectForm& form) {
      said = form.status.showsFailure() && form.status.text()->text() == QLatin1String("GVfs is not running.");
      connectOff = !form.connectButton->isEnabled() && !form.addressBox->isEnabled();
      form.ConnectClick();  // does nothing
      form.CancelClick();
    });
    component.Execute();
    QVERIFY(said);
    QVERIFY(connectOff);
    QVERIFY(places.mounts.empty());
    QCOMPARE(component.Result(), parvex::kNetNoService);

    // A scheme without its backend is said when it is asked for.
    FakeNetPlaces partial;
    partial.schemeProblems[QStringLiteral("nfs")] = {parvex::kNetNoService, QStringLiteral("No nfs backend.")};
    TNetConnectForm form(partial, {});
    form.show();
    Type(form, QStringLiteral("nfs://host/export"));
    QVERIFY(partial.mounts.empty());
    QCOMPARE(form.status.text()->text(), QStringLiteral("No nfs backend."));
  }

  void executeKeepsTheResultAndRemembersAddresses() {
    FakeNetPlaces places;
    FakeNetInstalled installed(places);
    TNetConnectDlg::RememberedAddresses().clear();
    TNetConnectDlg component;
    auto connectTo = [&](const QString& address) {
      WhenOpen<TNetConnectForm>([&places, address](TNetConnectForm& form) {
        Type(form, address);
        places.mounts.back()->Finish({});
      });
      component.Execute();
    };
    connectTo(QStringLiteral("smb://a/one"));
    QCOMPARE(component.Result(), 0);
    connectTo(QStringLiteral("smb://b/two"));
    connectTo(QStringLiteral("smb://a/one"));
    QCOMPARE(TNetConnectDlg::RememberedAddresses(), (QStringList{"smb://a/one", "smb://b/two"}));

    QStringList offered;
    QString shownAtFirst = QStringLiteral("unset");
    WhenOpen<TNetConnectForm>([&](TNetConnectForm& form) {
      for (int i = 0; i < form.addressBox->count(); ++i) offered << form.addressBox->itemText(i);
      shownAtFirst = form.addressBox->currentText();
      form.reject();
    });
    component.Execute();
    QCOMPARE(offered, (QStringList{"smb://a/one", "smb://b/two"}));
    QVERIFY(shownAtFirst.isEmpty());
    QCOMPARE(component.Result(), -1);  // the next run overwrites the last result
  }

  void disconnectListsAndDisconnectsTheChosenOne() {
    FakeNetPlaces places;
    places.disks = {kShare, kNfs};
    TNetDisconnectForm form(places, false);
    form.show();
    QCOMPARE(places.diskListings, 1);
    QCOMPARE(places.printerListings, 0);
    QCOMPARE(form.list->headerItem()->text(0), QStringLiteral("Network Path"));
    QCOMPARE(form.list->topLevelItemCount(), 2);
    QCOMPARE(form.list->topLevelItem(1)->text(0), QStringLiteral("server:/export"));
    QCOMPARE(form.list->topLevelItem(1)->text(1), QStringLiteral("/mnt/export"));
    QCOMPARE(form.list->currentItem(), form.list->topLevelItem(0));

    form.list->setCurrentItem(form.list->topLevelItem(1));
    QTest::mouseClick(form.disconnectButton, Qt::LeftButton);
    QCOMPARE(places.disconnects.size(), std::size_t{1});
    QCOMPARE(places.disconnects[0]->subject, QStringLiteral("/mnt/export"));
    QVERIFY(form.working());
    QVERIFY(form.status.busyBar()->isVisible());
    QVERIFY(!form.disconnectButton->isEnabled());

    // Busy: the reason stays in the dialog, the list is read again, the choice kept.
    places.disconnects[0]->Finish({EBUSY, QStringLiteral("/mnt/export: target is busy")});
    QVERIFY(form.isVisible());
    QCOMPARE(places.diskListings, 2);
    QCOMPARE(form.status.text()->text(),
             QStringLiteral("Could not disconnect server:/export: /mnt/export: target is busy"));
    QCOMPARE(form.list->currentItem(), form.list->topLevelItem(1));
    QVERIFY(form.disconnectButton->isEnabled());

    // GIO asks whether to unmount although files are open: answered here.
    QTest::mouseClick(form.disconnectButton, Qt::LeftButton);
    int chosen = -2;
    places.disconnects[1]->asker->AskChoice(
        {QStringLiteral("Volume is busy"), {QStringLiteral("Unmount Anyway"), QStringLiteral("Cancel")}},
        [&](int choice) { chosen = choice; });
    QTest::mouseClick(form.question->choiceButtons()[0], Qt::LeftButton);
    QCOMPARE(chosen, 0);
    places.disconnects[1]->Finish({});
    QCOMPARE(form.outcome(), 0);
    QCOMPARE(form.result(), int(QDialog::Accepted));
  }

  void nothingToDisconnectAndListingProblems() {
    FakeNetPlaces places;
    TNetDisconnectForm empty(places, false);
    QVERIFY(!empty.disconnectButton->isEnabled());
    QVERIFY(empty.status.text()->text().contains(QLatin1String("no network connections")));
    QCOMPARE(empty.outcome(), -1);

    // Nothing could be read at all: the code of why is the result.
    places.listingProblem = {1282, QStringLiteral("The printing system (CUPS) does not answer: Bad file")};
    TNetDisConnectDlg component;
    component.setPlaces(&places);
    component.setResourceType(TNetDisConnectDlg::rtPrinter);
    QString shown;
    WhenOpen<TNetDisconnectForm>([&](TNetDisconnectForm& form) {
      shown = form.status.text()->text();
      form.reject();
    });
    component.Execute();
    QCOMPARE(places.printerListings, 1);
    QCOMPARE(places.diskListings, 1);  // the first dialog's, none more
    QCOMPARE(shown, places.listingProblem.message);
    QCOMPARE(component.Result(), 1282);
  }

  void printersListedAndRemoved() {
    FakeNetPlaces places;
    places.printers = {{TNetConnection::ncPrinter, "Office", "ipp://printer.local/ipp/print", "Office"}};
    TNetDisConnectDlg component;
    component.setPlaces(&places);
    component.setResourceType(TNetDisConnectDlg::rtPrinter);
    QString header, title;
    WhenOpen<TNetDisconnectForm>([&](TNetDisconnectForm& form) {
      header = form.list->headerItem()->text(0);
      title = form.windowTitle();
      form.DisconnectClick();
      places.disconnects[0]->Finish({1025, QStringLiteral("Forbidden")});
      if (form.status.text()->text() != QLatin1String("Could not disconnect Office: Forbidden")) return;
      form.DisconnectClick();
      places.disconnects[1]->Finish({});
    });
    component.Execute();
    QCOMPARE(header, QStringLiteral("Printer"));
    QVERIFY(title.contains(QLatin1String("Printer")));
    QCOMPARE(places.disconnects.size(), std::size_t{2});
    QCOMPARE(places.disconnects[0]->subject, QStringLiteral("Office"));
    QCOMPARE(component.Result(), 0);
  }
};

QTEST_MAIN(NetDlgsTest)
#include "NetDlgs_test.moc"
