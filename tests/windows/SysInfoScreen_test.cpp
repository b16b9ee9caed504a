// The collector's screen figures from Qt: device pixels on a scaled screen.
// The offscreen platform's screen is 800 x 800 pixels at 32 bits; this test
// runs it at a scale factor of 2, where Qt lays windows out on 400 x 400.

#include <QApplication>
#include <QScreen>
#include <QtTest>

#include "sysinfo/MSysInfo.h"
#include "windows/SysInfoScreen.h"

class SysInfoScreenTest : public QObject {
  Q_OBJECT

 private slots:
  void collectorCountsDevicePixels() {
    QCOMPARE(QGuiApplication::primaryScreen()->geometry().width(), 400);  // the premise of the test
    parvex::sysinfo::Sources sources;
    sources.screen = parvex::PrimaryScreenQuery();
    sources.printers = [] { return std::optional(std::vector<parvex::sysinfo::PrinterDestination>{}); };
    const parvex::sysinfo::TMSysInfo info(std::move(sources));
    QCOMPARE(info.dsScreenWidth(), 800);
    QCOMPARE(info.dsScreenHeight(), 800);
    QCOMPARE(info.dsResolution(), 32);
  }
};

int main(int argc, char** argv) {
  qputenv("QT_SCALE_FACTOR", "2");
  QApplication app(argc, argv);
  SysInfoScreenTest test;
  return QTest::qExec(&test, argc, argv);
}

#include "SysInfoScreen_test.moc"
