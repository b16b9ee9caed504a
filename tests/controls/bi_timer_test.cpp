// TBI_Timer: when ticks come and on which thread, the parked worker (no ticks
// and no processor time), when a priority takes effect, and destruction with a
// tick on its way or running, which must neither tick afterwards nor hang.
#include <sched.h>
#include <sys/resource.h>

#include <QElapsedTimer>
#include <QSignalSpy>
#include <QThread>
#include <QtTest>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <thread>

#include "controls/bi_timer.h"

using parvex::bi_t_thread;
using parvex::TBI_Timer;
using namespace std::chrono_literals;

namespace {

// Ends the test program if the test it guards has not finished in time: a
// hang is a failure, not a wait for the test runner's limit.
class Watchdog {
 public:
  explicit Watchdog(std::chrono::seconds limit)
      : thread_([this, limit] {
          std::unique_lock lock(mutex_);
          if (!done_cv_.wait_for(lock, limit, [this] { return done_; })) {
            fprintf(stderr, "watchdog: the test hung\n");
            std::abort();
          }
        }) {}
  ~Watchdog() {
    {
      std::lock_guard lock(mutex_);
      done_ = true;
    }
    done_cv_.notify_all();
    thread_.join();
  }

 private:
  std::mutex mutex_;
  std::condition_variable done_cv_;
  bool done_ = false;
  std::thread thread_;
};

// Lets the user-interface thread run for a while.
void Spin(std::chrono::milliseconds duration) {
  QElapsedTimer clock;
  clock.start();
  while (clock.elapsed() < duration.count()) {
    QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    QThread::msleep(1);
  }
}

// Blocks the user-interface thread without processing anything.
void Block(std::chrono::milliseconds duration) { std::this_thread::sleep_for(duration); }

struct Ticks {
  std::atomic<int> count{0};
  bool offThread = false;
  TBI_Timer* sender = nullptr;
  TBI_Timer::TNotifyEvent handler() {
    return [this](TBI_Timer* timer) {
      sender = timer;
      if (QThread::currentThread() != QCoreApplication::instance()->thread()) offThread = true;
      ++count;
    };
  }
};

std::chrono::milliseconds WorkerCpu(const TBI_Timer& timer) {
  return std::chrono::duration_cast<std::chrono::milliseconds>(timer.WorkerThread()->cpuTime());
}

}  // namespace

class BiTimerTest : public QObject {
  Q_OBJECT

 private slots:
  void firstTickAboutOneIntervalAfterOnTimerIsSet() {
    Watchdog watchdog(20s);
    TBI_Timer timer;
    QVERIFY(timer.enabled());
    QCOMPARE(timer.interval(), 1000u);
    QCOMPARE(timer.threadPriority(), TBI_Timer::tpNormal);
    QVERIFY(!timer.ticking());  // no handler yet: parked
    Spin(300ms);  // the interval counts from the handler, not from creation
    Ticks ticks;
    QElapsedTimer clock;
    clock.start();
    timer.setOnTimer(ticks.handler());
    QVERIFY(timer.ticking());
    QTRY_VERIFY_WITH_TIMEOUT(ticks.count > 0, 5000);
    const qint64 first = clock.elapsed();
    QVERIFY2(first >= 990 && first < 3000, qPrintable(QString::number(first)));
    QVERIFY(!ticks.offThread);
    QCOMPARE(ticks.sender, &timer);
  }

  void ticksNeitherOverlapNorQueueUp() {
    Watchdog watchdog(20s);
    TBI_Timer timer;
    timer.setInterval(20);
    Ticks ticks;
    timer.setOnTimer(ticks.handler());
    Block(300ms);  // fifteen intervals with the user-interface thread busy
    QCoreApplication::processEvents();
    QVERIFY2(ticks.count <= 2, qPrintable(QString::number(ticks.count)));
    QTRY_VERIFY_WITH_TIMEOUT(ticks.count >= 4, 5000);
  }

  void disabledOrIntervalZeroParksTheWorker() {
    Watchdog watchdog(30s);
    for (bool byInterval : {false, true}) {
      TBI_Timer timer;
      timer.setInterval(5);
      Ticks ticks;
      timer.setOnTimer(ticks.handler());
      QTRY_VERIFY_WITH_TIMEOUT(ticks.count >= 3, 5000);
      if (byInterval)
        timer.setInterval(0);
      else
        timer.setEnabled(false);
      QVERIFY(!timer.ticking());
      Spin(20ms);  // a tick already on its way may still arrive when only Interval is 0
      const int seen = ticks.count;
      const auto before = WorkerCpu(timer);
      Spin(1000ms);
      QCOMPARE(int(ticks.count), seen);
      const auto used = WorkerCpu(timer) - before;
      QVERIFY2(used < 10ms, qPrintable(QString::number(used.count())));
      // And back.
      if (byInterval)
        timer.setInterval(5);
      else
        timer.setEnabled(true);
      QVERIFY(timer.ticking());
      QTRY_VERIFY_WITH_TIMEOUT(ticks.count > seen, 5000);
    }
  }

  void noHandlerNoTicks() {
    Watchdog watchdog(20s);
    TBI_Timer timer;
    timer.setInterval(5);
    Ticks ticks;
    timer.setOnTimer(ticks.handler());
    QTRY_VERIFY_WITH_TIMEOUT(ticks.count >= 1, 5000);
    timer.setOnTimer(nullptr);
    QVERIFY(!timer.ticking());
    // A handler that belongs to an object goes with it.
    auto* owner = new QObject;
    timer.setOnTimer(ticks.handler(), owner);
    QVERIFY(timer.ticking());
    QCOMPARE(timer.onTimerContext(), owner);
    delete owner;
    QVERIFY(!timer.hasOnTimer());
    QVERIFY(!timer.ticking());
    QCOMPARE(timer.onTimerContext(), nullptr);
    // Replacing the handler inside a tick is allowed.
    int replaced = 0;
    timer.setOnTimer([&](TBI_Timer* sender) {
      sender->setOnTimer([&](TBI_Timer*) { ++replaced; });
    });
    QTRY_VERIFY_WITH_TIMEOUT(replaced >= 2, 5000);
  }

  void priorityTakesEffectOnResumptionOnly() {
    Watchdog watchdog(20s);
    TBI_Timer timer;
    timer.setInterval(30);
    Ticks ticks;
    timer.setOnTimer(ticks.handler());
    const int tid = timer.WorkerThread()->threadId();
    QVERIFY(tid > 0);
    const int base = getpriority(PRIO_PROCESS, 0);
    QCOMPARE(getpriority(PRIO_PROCESS, tid), base);
    timer.setThreadPriority(TBI_Timer::tpLowest);
    Spin(100ms);
    QCOMPARE(getpriority(PRIO_PROCESS, tid), base);  // only stored
    QCOMPARE(timer.WorkerThread()->Priority(), TBI_Timer::tpNormal);
    timer.setInterval(31);  // resumes the worker
    QCOMPARE(getpriority(PRIO_PROCESS, tid), std::min(base + 10, 19));
    QCOMPARE(timer.WorkerThread()->Priority(), TBI_Timer::tpLowest);
    timer.setThreadPriority(TBI_Timer::tpIdle);
    QVERIFY(sched_getscheduler(tid) != SCHED_IDLE);
    // Disabled, nothing resumes it; enabled again, it takes the new priority.
    timer.setEnabled(false);
    QVERIFY(sched_getscheduler(tid) != SCHED_IDLE);
    timer.setEnabled(true);
    QCOMPARE(sched_getscheduler(tid), SCHED_IDLE);
    const int seen = ticks.count;
    QTRY_VERIFY_WITH_TIMEOUT(ticks.count > seen, 5000);
  }

  void noTickAfterDestructionEvenWhenOnItsWay() {
    Watchdog watchdog(20s);
    Ticks gone, kept;
    auto* doomed = new TBI_Timer;
    TBI_Timer witness;
    for (TBI_Timer* t : {doomed, &witness}) t->setInterval(20);
    doomed->setOnTimer(gone.handler());
    witness.setOnTimer(kept.handler());
    // Both workers wake meanwhile and queue a tick.
    Block(200ms);
    delete doomed;
    Spin(200ms);
    QCOMPARE(int(gone.count), 0);
    QVERIFY(kept.count >= 1);
  }

  void destructionDuringATick() {
    Watchdog watchdog(20s);
    QPointer<TBI_Timer> timer = new TBI_Timer;
    timer->setInterval(10);
    int calls = 0;
    timer->setOnTimer([&](TBI_Timer* sender) {
      ++calls;
      delete sender;
    });
    QTRY_VERIFY_WITH_TIMEOUT(timer.isNull(), 5000);
    Spin(100ms);
    QCOMPARE(calls, 1);
    // A tick that blocks long enough for the next interval to pass, then
    // destroys its timer from a nested event loop.
    auto* nested = new TBI_Timer;
    nested->setInterval(5);
    int nestedCalls = 0;
    nested->setOnTimer([&](TBI_Timer* sender) {
      if (++nestedCalls > 1) return;
      Block(50ms);
      Spin(30ms);
      delete sender;
    });
    QTRY_COMPARE_WITH_TIMEOUT(nestedCalls, 1, 5000);
    Spin(100ms);
    QCOMPARE(nestedCalls, 1);
  }

  void destroyedWhileTheWorkerWaitsForTheUserInterface() {
    Watchdog watchdog(20s);
    // The worker is blocked on its tick while this thread, which would run it,
    // never gets to it before destroying the timer.
    for (int i = 0; i < 20; ++i) {
      auto* timer = new TBI_Timer;
      timer->setInterval(1);
      Ticks ticks;
      timer->setOnTimer(ticks.handler());
      Block(std::chrono::milliseconds(i % 4));
      delete timer;
      Spin(5ms);
      QCOMPARE(int(ticks.count), 0);
    }
  }
};

QTEST_MAIN(BiTimerTest)
#include "bi_timer_test.moc"
