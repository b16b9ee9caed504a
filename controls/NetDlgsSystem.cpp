// The system's network places: GVfs's mounts, the kernel's network file
// systems from the mount table with the system's unmount, and printers.
#include "controls/NetDlgsSystem.h"

#include <QCoreApplication>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTimer>
#include <cerrno>
#include <map>

#include "sysinfo/Drives.h"

namespace parvex {
namespace netsystem {
namespace {

class FinishedJob final : public TNetJob {
 public:
  FinishedJob(TNetOutcome outcome, TNetDone done) : alive_(std::make_shared<bool>(true)) {
    QTimer::singleShot(0, QCoreApplication::instance(), [alive = alive_, outcome, done = std::move(done)] {
      if (*alive) done(outcome);
    });
  }
  ~FinishedJob() override { *alive_ = false; }
  FinishedJob(const FinishedJob&) = delete;
  FinishedJob& operator=(const FinishedJob&) = delete;
  void Cancel() override {}

 private:
  std::shared_ptr<bool> alive_;
};

// The system's unmount, running. Cancelling leaves it to finish: an unmount
// half done helps nobody, and it ends by itself.
class UnmountJob final : public TNetJob {
 public:
  UnmountJob(const QString& program, const QStringList& arguments, TNetDone done) : done_(std::move(done)) {
    QObject::connect(&process_, &QProcess::finished, [this](int exitCode, QProcess::ExitStatus status) {
      if (status == QProcess::NormalExit && exitCode == 0) return Finish({});
      Finish(UnmountFailure(QString::fromLocal8Bit(process_.readAllStandardError())));
    });
    QObject::connect(&process_, &QProcess::errorOccurred, [this, program](QProcess::ProcessError error) {
      if (error == QProcess::FailedToStart)
        Finish({ENOENT, QStringLiteral("the system's %1 could not be started").arg(program)});
    });
    process_.setProcessChannelMode(QProcess::SeparateChannels);
    process_.start(program, arguments);
  }
  ~UnmountJob() override {
    done_ = nullptr;
    process_.disconnect();
    if (process_.state() != QProcess::NotRunning) {
      // Left to finish on its own, without anyone waiting for it.
      process_.waitForFinished(2000);
    }
  }
  UnmountJob(const UnmountJob&) = delete;
  UnmountJob& operator=(const UnmountJob&) = delete;
  void Cancel() override {}

 private:
  void Finish(TNetOutcome outcome) {
    TNetDone done = std::move(done_);
    done_ = nullptr;
    if (done) done(std::move(outcome));
  }

  QProcess process_;
  TNetDone done_;
};

class SystemPlaces final : public TNetPlaces {
 public:
  TNetOutcome ConnectProblem(const QString& scheme) override { return GvfsProblem(scheme); }

  std::unique_ptr<TNetJob> Mount(const QString& address, TNetAsker& asker, TNetDone done) override {
    return GvfsMount(address, asker, std::move(done));
  }

  std::vector<TNetConnection> DiskConnections(TNetOutcome* problem) override {
    std::vector<TNetConnection> found;
    // GVfs's mounts need a running GVfs; the kernel's are there either way.
    if (GvfsProblem(QString()).code == 0) found = GvfsConnections();
    QFile table(QStringLiteral("/proc/self/mountinfo"));
    if (table.open(QIODevice::ReadOnly)) {
      const QByteArray text = table.readAll();
      for (TNetConnection& kernel : KernelConnections(std::string_view(text.constData(), text.size())))
        found.push_back(std::move(kernel));
    } else if (problem != nullptr) {
      *problem = {EIO, QStringLiteral("The mount table cannot be read: %1").arg(table.errorString())};
    }
    return found;
  }

  std::vector<TNetConnection> PrinterConnections(TNetOutcome* problem) override {
    return CupsConnections(problem);
  }

  std::unique_ptr<TNetJob> Disconnect(const TNetConnection& connection, TNetAsker& asker, TNetDone done) override {
    switch (connection.kind) {
      case TNetConnection::ncGvfs: return GvfsUnmount(connection, asker, std::move(done));
      case TNetConnection::ncKernel:
      case TNetConnection::ncFuse: return SystemUnmount(connection, std::move(done));
      case TNetConnection::ncPrinter: return CupsRemove(connection, std::move(done));
    }
    return FinishLater({EINVAL, QStringLiteral("unknown kind of connection")}, std::move(done));
  }
};

}  // namespace

std::unique_ptr<TNetJob> FinishLater(TNetOutcome outcome, TNetDone done) {
  return std::make_unique<FinishedJob>(std::move(outcome), std::move(done));
}

std::vector<TNetConnection> KernelConnections(std::string_view mountInfo) {
  // Of mounts stacked on one directory only the topmost can be reached.
  std::map<std::string, sysinfo::MountEntry> visible;
  std::vector<std::string> order;
  for (auto& mount : sysinfo::ParseMountInfo(mountInfo)) {
    if (visible.count(mount.mountPoint) == 0) order.push_back(mount.mountPoint);
    visible[mount.mountPoint] = std::move(mount);
  }
  std::vector<TNetConnection> found;
  for (const std::string& point : order) {
    const sysinfo::MountEntry& mount = visible[point];
    if (!sysinfo::IsNetworkFileSystem(mount.fileSystem)) continue;
    const bool fuse = mount.fileSystem.rfind("fuse.", 0) == 0;
    found.push_back({fuse ? TNetConnection::ncFuse : TNetConnection::ncKernel, QString::fromStdString(mount.source),
                     QString::fromStdString(mount.mountPoint), QString::fromStdString(mount.mountPoint)});
  }
  return found;
}

TNetOutcome UnmountFailure(const QString& complaint) {
  QString message = complaint.trimmed();
  // "umount: /mnt/share: target is busy." reads "/mnt/share: target is busy.",
  // whether the program named itself with its path or without.
  static const QRegularExpression program(QStringLiteral("^(\\S*/)?(umount|fusermount3?): "));
  message.remove(program);
  while (message.endsWith(QLatin1Char('.'))) message.chop(1);
  if (message.isEmpty()) message = QStringLiteral("the system's unmount failed");
  const QString lower = message.toLower();
  int code = EIO;
  if (lower.contains(QLatin1String("busy"))) {
    code = EBUSY;
  } else if (lower.contains(QLatin1String("not permitted")) || lower.contains(QLatin1String("superuser")) ||
             lower.contains(QLatin1String("permission denied")) || lower.contains(QLatin1String("not allowed"))) {
    code = EPERM;
  }
  return {code, message};
}

std::unique_ptr<TNetJob> SystemUnmount(const TNetConnection& connection, TNetDone done) {
  if (connection.kind == TNetConnection::ncFuse) {
    QString fusermount = QStandardPaths::findExecutable(QStringLiteral("fusermount3"));
    if (fusermount.isEmpty()) fusermount = QStringLiteral("fusermount");
    return std::make_unique<UnmountJob>(fusermount, QStringList{QStringLiteral("-u"), connection.key},
                                        std::move(done));
  }
  return std::make_unique<UnmountJob>(QStringLiteral("umount"), QStringList{connection.key}, std::move(done));
}

}  // namespace netsystem

TNetPlaces& SystemNetPlaces() {
  static netsystem::SystemPlaces places;
  return places;
}

}  // namespace parvex
