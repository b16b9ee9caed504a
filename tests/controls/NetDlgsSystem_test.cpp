// Tests of the system side of the network dialogs: which mounts are network
// connections, how an unmount's complaint and GIO's errors become results,
// which printers are network printers, and the system's unmount for real on
// a directory that is not mounted.

#include <QTemporaryDir>
#include <QtTest>
#include <cerrno>

#include "controls/NetDlgsSystem.h"

using parvex::TNetConnection;
using parvex::TNetOutcome;
namespace netsystem = parvex::netsystem;

class NetDlgsSystemTest : public QObject {
  Q_OBJECT

 private slots:
  void networkMountsFromTheMountTable() {
    const std::string table =
        "21 1 8:1 / / rw,relatime - ext4 /dev/sda1 rw\n"
        "30 21 0:50 / /mnt/export rw - nfs4 server:/export rw,vers=4.2\n"
        "31 21 0:51 / /mnt/office\\040share rw - cifs //office/share rw\n"
        "32 21 0:52 / /home/ann/remote rw - fuse.sshfs ann@host:/home/ann rw\n"
        "33 21 0:53 / /run/user/1000/gvfs rw - fuse.gvfsd-fuse gvfsd-fuse rw\n"
        "34 21 0:54 / /tmp rw - tmpfs tmpfs rw\n"
        // A local file system mounted over the share hides it.
        "35 21 0:55 / /mnt/old rw - nfs old:/gone rw\n"
        "36 35 8:2 / /mnt/old rw - ext4 /dev/sda2 rw\n"
        "garbage line\n";
    const auto found = netsystem::KernelConnections(table);
    QCOMPARE(found.size(), std::size_t{3});
    QCOMPARE(found[0].kind, TNetConnection::ncKernel);
    QCOMPARE(found[0].remoteName, QStringLiteral("server:/export"));
    QCOMPARE(found[0].mountedAt, QStringLiteral("/mnt/export"));
    QCOMPARE(found[0].key, QStringLiteral("/mnt/export"));
    QCOMPARE(found[1].remoteName, QStringLiteral("//office/share"));
    QCOMPARE(found[1].mountedAt, QStringLiteral("/mnt/office share"));
    QCOMPARE(found[2].kind, TNetConnection::ncFuse);
    QCOMPARE(found[2].remoteName, QStringLiteral("ann@host:/home/ann"));
    QVERIFY(netsystem::KernelConnections("").empty());
  }

  void unmountComplaintsBecomeReasons() {
    TNetOutcome busy = netsystem::UnmountFailure(QStringLiteral("umount: /mnt/export: target is busy.\n"));
    QCOMPARE(busy.code, EBUSY);
    QCOMPARE(busy.message, QStringLiteral("/mnt/export: target is busy"));
    TNetOutcome denied = netsystem::UnmountFailure(QStringLiteral("umount: /mnt/export: must be superuser to unmount."));
    QCOMPARE(denied.code, EPERM);
    QCOMPARE(netsystem::UnmountFailure(QStringLiteral("fusermount3: failed to unmount /x: Operation not permitted")).code,
             EPERM);
    TNetOutcome named = netsystem::UnmountFailure(
        QStringLiteral("/usr/bin/fusermount3: failed to unmount /mnt/x: Device or resource busy"));
    QCOMPARE(named.code, EBUSY);
    QCOMPARE(named.message, QStringLiteral("failed to unmount /mnt/x: Device or resource busy"));
    TNetOutcome other = netsystem::UnmountFailure(QStringLiteral("fusermount3: entry for /x not found in /etc/mtab"));
    QCOMPARE(other.code, EIO);
    QCOMPARE(other.message, QStringLiteral("entry for /x not found in /etc/mtab"));
    // Said nothing, yet failed: still a failure, with words.
    TNetOutcome silent = netsystem::UnmountFailure(QString());
    QVERIFY(silent.code > 0);
    QVERIFY(!silent.message.isEmpty());
  }

  void gioErrorsNeverReadAsSuccess() {
    QCOMPARE(netsystem::GioResultCode(true, 19), -1);  // cancelled
    QCOMPARE(netsystem::GioResultCode(true, 30), -1);  // a question the user declined
    QCOMPARE(netsystem::GioResultCode(true, 17), 0);   // already mounted: the share is there
    QCOMPARE(netsystem::GioResultCode(true, 14), 14);  // permission denied keeps GIO's code
    QCOMPARE(netsystem::GioResultCode(true, 0), EIO);  // "failed" is 0 in GIO
    QCOMPARE(netsystem::GioResultCode(false, 0), EIO);
    QCOMPARE(netsystem::GioResultCode(false, 4), EIO);  // another domain's codes mean nothing here
  }

  void networkPrinters() {
    QVERIFY(netsystem::IsNetworkPrinter(0x0002, ""));  // a remote queue
    QVERIFY(netsystem::IsNetworkPrinter(0, "ipp://printer.local/ipp/print"));
    QVERIFY(netsystem::IsNetworkPrinter(0, "socket://10.0.0.5:9100"));
    QVERIFY(netsystem::IsNetworkPrinter(0, "dnssd://Office._ipp._tcp.local/"));
    QVERIFY(!netsystem::IsNetworkPrinter(0, "usb://HP/LaserJet"));
    QVERIFY(!netsystem::IsNetworkPrinter(0, "cups-pdf:/"));
    QVERIFY(!netsystem::IsNetworkPrinter(0, ""));
    // Seen on the network, never set up on this computer: nothing to remove.
    QVERIFY(!netsystem::IsNetworkPrinter(0x1000000 | 0x0002, "ipp://printer.local/ipp/print"));
  }

  void thisMachinesPrintersOrWhyNot() {
    // The real printing system: a list of network queues, or a reason with a code.
    TNetOutcome problem;
    const auto printers = netsystem::CupsConnections(&problem);
    QVERIFY(problem.code >= 0);
    if (problem.code > 0) {
      QVERIFY(printers.empty());
      QVERIFY(problem.message.startsWith(QLatin1String("The printing system (CUPS) does not answer: ")));
    }
    for (const TNetConnection& printer : printers) {
      QCOMPARE(printer.kind, TNetConnection::ncPrinter);
      QVERIFY(!printer.remoteName.isEmpty());
      QCOMPARE(printer.key, printer.remoteName);
    }
  }

  void theSystemsUnmountReportsItsFailure() {
    QTemporaryDir notMounted;
    QVERIFY(notMounted.isValid());
    std::optional<TNetOutcome> outcome;
    auto job = netsystem::SystemUnmount({TNetConnection::ncKernel, QStringLiteral("server:/export"),
                                         notMounted.path(), notMounted.path()},
                                        [&](TNetOutcome given) { outcome = given; });
    QTRY_VERIFY_WITH_TIMEOUT(outcome.has_value(), 10000);
    QVERIFY(outcome->code > 0);
    QVERIFY2(outcome->message.contains(notMounted.path()), qPrintable(outcome->message));
  }

  void anEndedJobReportsFromTheEventLoopUnlessGivenUp() {
    int calls = 0;
    auto job = netsystem::FinishLater({}, [&](TNetOutcome) { ++calls; });
    QCOMPARE(calls, 0);
    QTRY_COMPARE(calls, 1);
    auto dropped = netsystem::FinishLater({}, [&](TNetOutcome) { ++calls; });
    dropped.reset();
    QTest::qWait(20);
    QCOMPARE(calls, 1);
  }
};

QTEST_MAIN(NetDlgsSystemTest)
#include "NetDlgsSystem_test.moc"
