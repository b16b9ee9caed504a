// The program under a real Wayland compositor: sway, headless, in a runtime
// directory of the test's own. A virtual pointer moves and clicks as a user
// would; the compositor's window list tells where the windows are, and its
// screenshots what shows. The main window must be cut to its shape and move
// when dragged, its hot-spots must work, and the Split & Join window must move
// by its caption bar. Screenshots stay in the test's working directory.
//
// Needs sway, grim, swaymsg and Qt's Wayland platform. Without them the test
// is skipped, except under CI (CI=true), where that is a failure.

#include <QDir>
#include <QFile>
#include <QImage>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLibraryInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>
#include <memory>
#include <sys/stat.h>
#include <unistd.h>

#include "tests/wayland/VirtualPointer.h"

namespace {

constexpr int kScreenWidth = 1280;
constexpr int kScreenHeight = 900;
const QColor kDesktop(0x20, 0x40, 0x60);
// The unprivileged user sway runs as when the test runs as root (sway
// refuses to run as root).
constexpr uid_t kNobody = 65534;

QString Missing() {
  QStringList missing;
  for (const char* tool : {"sway", "swaymsg", "grim"})
    if (QStandardPaths::findExecutable(tool).isEmpty()) missing << tool;
  const QString plugins = QLibraryInfo::path(QLibraryInfo::PluginsPath) + "/platforms";
  if (QDir(plugins).entryList({"libqwayland-generic.so"}).isEmpty()) missing << "qt6-wayland";
  if (QStandardPaths::findExecutable("setpriv").isEmpty() && ::getuid() == 0) missing << "setpriv";
  return missing.join(", ");
}

bool Near(const QColor& a, const QColor& b, int tolerance = 6) {
  return qAbs(a.red() - b.red()) <= tolerance && qAbs(a.green() - b.green()) <= tolerance &&
         qAbs(a.blue() - b.blue()) <= tolerance;
}

}  // namespace

class WaylandTest : public QObject {
  Q_OBJECT

  QTemporaryDir runtime_;
  QProcess sway_;
  QProcess parvex_;
  QString display_;
  QString ipc_;
  std::unique_ptr<wltest::VirtualPointer> pointer_;

  QProcessEnvironment ClientEnvironment() const {
    QProcessEnvironment env;
    env.insert("PATH", qEnvironmentVariable("PATH", "/usr/bin:/bin"));
    env.insert("HOME", runtime_.path());
    env.insert("XDG_RUNTIME_DIR", runtime_.path());
    env.insert("WAYLAND_DISPLAY", display_);
    env.insert("SWAYSOCK", ipc_);
    env.insert("QT_QPA_PLATFORM", "wayland");
    return env;
  }

  QByteArray Run(const QString& program, const QStringList& args) {
    QProcess process;
    process.setProcessEnvironment(ClientEnvironment());
    process.start(program, args);
    if (!process.waitForFinished(10000)) return QByteArray();
    return process.readAllStandardOutput();
  }

  // The rectangle of the window with this title on the screen; empty when
  // there is none.
  QRect WindowRect(const QString& title) {
    const QJsonDocument tree = QJsonDocument::fromJson(Run("swaymsg", {"-t", "get_tree"}));
    QRect found;
    std::function<void(const QJsonObject&)> walk = [&](const QJsonObject& node) {
      if (node.value("name").toString() == title &&
          (node.value("type") == "floating_con" || node.value("type") == "con")) {
        const QJsonObject r = node.value("rect").toObject();
        found = QRect(r.value("x").toInt(), r.value("y").toInt(), r.value("width").toInt(), r.value("height").toInt());
      }
      for (const char* key : {"nodes", "floating_nodes"})
        for (const QJsonValue& child : node.value(key).toArray()) walk(child.toObject());
    };
    walk(tree.object());
    return found;
  }

  QImage Screenshot(const QString& name) {
    const QString file = QDir::current().filePath(name);
    Run("grim", {file});
    return QImage(file).convertToFormat(QImage::Format_RGB32);
  }

  void Click(QPoint at, wltest::VirtualPointer::Button button = wltest::VirtualPointer::kLeft) {
    pointer_->moveTo(at.x(), at.y());
    QTest::qWait(150);
    pointer_->press(button);
    QTest::qWait(100);
    pointer_->release(button);
  }

  // Presses at `from`, moves in steps by `by`, lets go.
  void Drag(QPoint from, QPoint by) {
    pointer_->moveTo(from.x(), from.y());
    QTest::qWait(200);
    pointer_->press();
    QTest::qWait(200);
    for (int step = 1; step <= 8; ++step) {
      const QPoint at = from + by * step / 8;
      pointer_->moveTo(at.x(), at.y());
      QTest::qWait(40);
    }
    QTest::qWait(150);
    pointer_->release();
  }

 private slots:
  void initTestCase() {
    const QString missing = Missing();
    if (!missing.isEmpty()) {
      if (qEnvironmentVariable("CI") == "true") QFAIL(qPrintable("missing for the Wayland test: " + missing));
      QSKIP(qPrintable("missing for the Wayland test: " + missing));
    }
    QVERIFY(runtime_.isValid());
    const QString config = runtime_.filePath("sway.config");
    {
      QFile file(config);
      QVERIFY(file.open(QIODevice::WriteOnly));
      file.write("output HEADLESS-1 resolution 1280x900 position 0 0 bg #204060 solid_color\n"
                 "xwayland disable\n"
                 "default_border none\n"
                 "default_floating_border none\n"
                 "for_window [app_id=\".*\"] floating enable\n"
                 "focus_follows_mouse no\n");
    }
    QStringList command{"sway", "-c", config};
    if (::getuid() == 0) {
      QVERIFY(::chown(QFile::encodeName(runtime_.path()).constData(), kNobody, kNobody) == 0);
      QVERIFY(::chown(QFile::encodeName(config).constData(), kNobody, kNobody) == 0);
      command = QStringList{"--reuid=65534", "--regid=65534", "--clear-groups"} + command;
      command.prepend("setpriv");
    }
    ::chmod(QFile::encodeName(runtime_.path()).constData(), 0700);
    QProcessEnvironment env;
    env.insert("PATH", qEnvironmentVariable("PATH", "/usr/bin:/bin"));
    env.insert("HOME", runtime_.path());
    env.insert("XDG_RUNTIME_DIR", runtime_.path());
    env.insert("WLR_BACKENDS", "headless");
    env.insert("WLR_RENDERER", "pixman");
    env.insert("WLR_LIBINPUT_NO_DEVICES", "1");
    sway_.setProcessEnvironment(env);
    sway_.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    sway_.setStandardOutputFile(QProcess::nullDevice());
    sway_.start(command.takeFirst(), command);
    QVERIFY(sway_.waitForStarted());
    // The compositor is up once both of its sockets are there.
    QVERIFY2(QTest::qWaitFor(
                 [&] {
                   const QDir dir(runtime_.path());
                   const QStringList wl = dir.entryList({"wayland-*"}, QDir::System);
                   const QStringList ipc = dir.entryList({"sway-ipc.*"}, QDir::System);
                   for (const QString& name : wl)
                     if (!name.endsWith(".lock")) display_ = name;
                   if (!ipc.isEmpty()) ipc_ = dir.filePath(ipc.first());
                   return !display_.isEmpty() && !ipc_.isEmpty();
                 },
                 10000),
             "sway did not start");
    pointer_ = std::make_unique<wltest::VirtualPointer>(runtime_.path().toStdString(), display_.toStdString(),
                                                        kScreenWidth, kScreenHeight);
    QVERIFY2(pointer_->ok(), pointer_->error().c_str());

    parvex_.setProcessEnvironment(ClientEnvironment());
    parvex_.setProcessChannelMode(QProcess::ForwardedChannels);
    parvex_.start(QCoreApplication::applicationDirPath() + "/parvex", {});
    QVERIFY(parvex_.waitForStarted());
    QVERIFY2(QTest::qWaitFor([&] { return !WindowRect("Parvex").isEmpty(); }, 10000), "no main window");
    QTest::qWait(500);  // its first frame
  }

  void cleanupTestCase() {
    pointer_.reset();
    for (QProcess* p : {&parvex_, &sway_}) {
      if (p->state() == QProcess::NotRunning) continue;
      p->terminate();
      if (!p->waitForFinished(5000)) p->kill();
      p->waitForFinished(2000);
    }
  }

  void theMainWindowShowsCutToItsShape() {
    const QRect main = WindowRect("Parvex");
    QCOMPARE(main.size(), QSize(440, 270));
    const QImage shot = Screenshot("wayland-main.png");
    QVERIFY(!shot.isNull());
    // Outside the outline (a corner, the hole in the ring) the desktop shows.
    for (const QPoint& outside : {QPoint(2, 2), QPoint(194, 172), QPoint(436, 266)}) {
      const QColor seen = shot.pixelColor(main.topLeft() + outside);
      QVERIFY2(Near(seen, kDesktop), qPrintable(QString("at %1,%2: %3").arg(outside.x()).arg(outside.y()).arg(seen.name())));
    }
    // On the ring the picture shows, and nowhere its green key.
    const QColor ring = shot.pixelColor(main.topLeft() + QPoint(370, 165));
    QVERIFY(!Near(ring, kDesktop, 20));
    int green = 0;
    for (int y = main.top(); y <= main.bottom(); ++y)
      for (int x = main.left(); x <= main.right(); ++x) green += shot.pixel(x, y) == qRgb(0, 255, 0);
    QCOMPARE(green, 0);
  }

  void theMainWindowMovesWhenDragged() {
    const QRect before = WindowRect("Parvex");
    Drag(before.topLeft() + QPoint(370, 165), QPoint(-120, 80));
    QVERIFY2(QTest::qWaitFor([&] { return WindowRect("Parvex").topLeft() == before.topLeft() + QPoint(-120, 80); },
                             5000),
             qPrintable(QString("at %1,%2").arg(WindowRect("Parvex").x()).arg(WindowRect("Parvex").y())));
  }

  void aHotSpotsHintShowsAsABalloonBelowThePointer() {
    const QRect main = WindowRect("Parvex");
    const QPoint exit = main.topLeft() + QPoint(297, 128);
    pointer_->moveTo(exit.x() - 3, exit.y() - 3);
    QTest::qWait(100);
    pointer_->moveTo(exit.x(), exit.y());
    // The maroon ellipse 18 pixels below the pointer, once the hint's pause is over.
    const QColor maroon(128, 0, 0);
    QImage shot;
    const bool shown = QTest::qWaitFor(
        [&] {
          shot = Screenshot("wayland-hint.png");
          int found = 0;
          for (int y = exit.y() + 18; y < exit.y() + 60; ++y)
            for (int x = exit.x(); x < exit.x() + 60; ++x) found += Near(shot.pixelColor(x, y), maroon, 4);
          return found > 100;
        },
        4000);
    QVERIFY2(shown, "no balloon");
    pointer_->moveTo(main.left() + 370, main.top() + 165);  // off the hot-spot: the hint goes
  }

  void theSplitAndJoinHotSpotOpensItsWindowWhichMovesByItsCaption() {
    const QRect main = WindowRect("Parvex");
    Click(main.topLeft() + QPoint(67, 178));
    // The title the window system shows has one ampersand.
    QVERIFY2(QTest::qWaitFor([&] { return !WindowRect("Join & Split").isEmpty(); }, 5000), "no Split & Join window");
    QTest::qWait(500);
    const QRect form = WindowRect("Join & Split");
    QCOMPARE(form.width(), 670);
    const QImage shot = Screenshot("wayland-splitjoin.png");
    // The caption bar: blue at its left end.
    const QColor bar = shot.pixelColor(form.topLeft() + QPoint(40, 6));
    QVERIFY2(bar.blue() > 150 && bar.red() < 100, qPrintable(bar.name()));
    // A right click on the bar opens the window menu there: a light box that
    // covers the bar and the tabs below it, and goes with a click elsewhere.
    const QPoint menuAt = form.topLeft() + QPoint(150, 8);
    const QPoint probe = menuAt + QPoint(140, 18);  // right of "Move", between two items
    const QColor before = shot.pixelColor(probe);
    Click(menuAt, wltest::VirtualPointer::kRight);
    QColor menu;
    QVERIFY2(QTest::qWaitFor(
                 [&] {
                   menu = Screenshot("wayland-menu.png").pixelColor(probe);
                   return menu.lightness() > 200 && !Near(menu, before, 4);
                 },
                 3000),
             qPrintable("no window menu: " + menu.name() + " where it was " + before.name()));
    Click(form.topLeft() + QPoint(400, 300));
    QVERIFY(QTest::qWaitFor([&] { return Near(Screenshot("wayland-nomenu.png").pixelColor(probe), before, 4); }, 3000));
    Drag(form.topLeft() + QPoint(200, 8), QPoint(60, 50));
    QVERIFY2(QTest::qWaitFor([&] { return WindowRect("Join & Split").topLeft() == form.topLeft() + QPoint(60, 50); },
                             5000),
             qPrintable(QString("at %1,%2").arg(WindowRect("Join & Split").x()).arg(WindowRect("Join & Split").y())));
    // Its close button.
    const QRect moved = WindowRect("Join & Split");
    Click(moved.topLeft() + QPoint(moved.width() - 14, 10));
    QVERIFY2(QTest::qWaitFor([&] { return WindowRect("Join & Split").isEmpty(); }, 5000), "still open");
  }

  void theExitHotSpotEndsTheProgram() {
    QTest::qWait(300);
    const QRect main = WindowRect("Parvex");
    Click(main.topLeft() + QPoint(297, 128));
    QVERIFY2(parvex_.waitForFinished(5000), "still running");
    QCOMPARE(parvex_.exitStatus(), QProcess::NormalExit);
    QCOMPARE(parvex_.exitCode(), 0);
  }
};

QTEST_GUILESS_MAIN(WaylandTest)
#include "Wayland_test.moc"
