// TBI_Timer and its worker bi_t_thread. Suspension is a parked wait on a
// condition variable; a tick is a call queued onto the timer's thread that the
// worker waits for, on the same condition variable, so that stopping the
// worker also releases it from that wait (the user-interface thread may be
// destroying the timer, and joining the worker, while a tick is on its way).
#include "controls/bi_timer.h"

#include <pthread.h>
#include <sched.h>
#include <sys/resource.h>
#include <time.h>
#include <unistd.h>

#include <QMetaObject>
#include <algorithm>

namespace parvex {
namespace {

// Nice value of each priority, relative to the process's own.
int NiceOffset(TBI_Timer::TThreadPriority priority) {
  switch (priority) {
    case TBI_Timer::tpIdle:
    case TBI_Timer::tpNormal: return 0;
    case TBI_Timer::tpLowest: return 10;
    case TBI_Timer::tpLower: return 5;
    case TBI_Timer::tpHigher: return -5;
    case TBI_Timer::tpHighest: return -10;
    case TBI_Timer::tpTimeCritical: return -20;
  }
  return 0;
}

// Gives the thread `tid` of this process a priority. A change the system
// refuses (raising without the privilege) leaves the thread as it was.
void ApplyThreadPriority(int tid, TBI_Timer::TThreadPriority priority) {
  sched_param param{};
  if (priority == TBI_Timer::tpIdle) {
    sched_setscheduler(tid, SCHED_IDLE, &param);
    return;
  }
  if (sched_getscheduler(tid) == SCHED_IDLE && sched_setscheduler(tid, SCHED_OTHER, &param) != 0) return;
  const int base = getpriority(PRIO_PROCESS, static_cast<id_t>(getpid()));
  setpriority(PRIO_PROCESS, static_cast<id_t>(tid), std::clamp(base + NiceOffset(priority), -20, 19));
}

}  // namespace

// What the worker and the user-interface thread share; kept alive by each
// queued tick too, which may still run after the timer has gone.
struct bi_t_thread::Shared {
  std::mutex mutex;
  std::condition_variable wake;
  bool terminated = false;  // the thread is to end
  bool stopped = false;     // no tick is delivered any more
  bool suspended = true;
  std::uint64_t resumptions = 0;  // a new resumption restarts the sleep
  std::uint32_t interval = 1000;
  bool tickOnItsWay = false;  // queued or running on the user-interface thread
  TBI_Timer::TThreadPriority priority = TBI_Timer::tpNormal;
  int threadId = 0;
};

bi_t_thread::bi_t_thread(TBI_Timer* timer, TBI_Timer::TThreadPriority priority)
    : FTimer(timer), shared_(std::make_shared<Shared>()) {
  shared_->priority = priority;
  thread_ = std::thread([this] { Execute(); });
  std::unique_lock lock(shared_->mutex);
  shared_->wake.wait(lock, [this] { return shared_->threadId != 0; });
  threadId_ = shared_->threadId;
}

bi_t_thread::~bi_t_thread() {
  {
    std::lock_guard lock(shared_->mutex);
    shared_->terminated = true;
    shared_->stopped = true;
  }
  shared_->wake.notify_all();
  thread_.join();
}

void bi_t_thread::Suspend() {
  {
    std::lock_guard lock(shared_->mutex);
    shared_->suspended = true;
  }
  shared_->wake.notify_all();
}

void bi_t_thread::Resume(TBI_Timer::TThreadPriority priority, std::uint32_t interval) {
  ApplyThreadPriority(threadId_, priority);
  {
    std::lock_guard lock(shared_->mutex);
    shared_->priority = priority;
    shared_->interval = interval;
    shared_->suspended = false;
    ++shared_->resumptions;
  }
  shared_->wake.notify_all();
}

bool bi_t_thread::Suspended() const {
  std::lock_guard lock(shared_->mutex);
  return shared_->suspended;
}

void bi_t_thread::Stop() {
  {
    std::lock_guard lock(shared_->mutex);
    shared_->stopped = true;
  }
  shared_->wake.notify_all();
}

TBI_Timer::TThreadPriority bi_t_thread::Priority() const {
  std::lock_guard lock(shared_->mutex);
  return shared_->priority;
}

std::chrono::nanoseconds bi_t_thread::cpuTime() const {
  clockid_t clock;
  timespec used{};
  if (pthread_getcpuclockid(const_cast<std::thread&>(thread_).native_handle(), &clock) != 0 ||
      clock_gettime(clock, &used) != 0)
    return std::chrono::nanoseconds(0);
  return std::chrono::seconds(used.tv_sec) + std::chrono::nanoseconds(used.tv_nsec);
}

void bi_t_thread::Execute() {
  Shared& s = *shared_;
  std::unique_lock lock(s.mutex);
  s.threadId = static_cast<int>(gettid());
  ApplyThreadPriority(s.threadId, s.priority);
  s.wake.notify_all();
  while (!s.terminated) {
    s.wake.wait(lock, [&] { return s.terminated || !s.suspended; });
    if (s.terminated) break;
    const std::uint64_t resumption = s.resumptions;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(s.interval);
    // Parked or resumed again meanwhile: that sleep delivers nothing.
    if (s.wake.wait_until(lock, deadline,
                          [&] { return s.terminated || s.suspended || s.resumptions != resumption; }))
      continue;
    if (s.stopped) continue;
    s.tickOnItsWay = true;
    // Queued onto the timer's thread; gone with the timer if it is destroyed
    // first, and a no-op once stopped.
    QMetaObject::invokeMethod(
        FTimer,
        [timer = FTimer, shared = shared_] {
          bool deliver;
          {
            std::lock_guard guard(shared->mutex);
            deliver = !shared->stopped;
          }
          // The handler may destroy the timer; only the shared state is
          // touched afterwards.
          if (deliver) timer->DoTimer();
          {
            std::lock_guard guard(shared->mutex);
            shared->tickOnItsWay = false;
          }
          shared->wake.notify_all();
        },
        Qt::QueuedConnection);
    s.wake.wait(lock, [&] { return s.terminated || !s.tickOnItsWay; });
  }
}

TBI_Timer::TBI_Timer(QObject* owner) : QObject(owner) {
  worker_ = std::make_unique<bi_t_thread>(this, threadPriority_);
}

TBI_Timer::~TBI_Timer() {
  enabled_ = false;
  UpdateTimer();
  worker_->Stop();
  worker_.reset();
}

void TBI_Timer::setEnabled(bool enabled) {
  if (enabled == enabled_) return;
  enabled_ = enabled;
  UpdateTimer();
  emit changed();
}

void TBI_Timer::setInterval(std::uint32_t interval) {
  if (interval == interval_) return;
  interval_ = interval;
  UpdateTimer();
  emit changed();
}

void TBI_Timer::setThreadPriority(TThreadPriority priority) {
  if (priority == threadPriority_) return;
  threadPriority_ = priority;
  emit changed();
}

void TBI_Timer::setOnTimer(TNotifyEvent handler, const QObject* context) {
  if (contextWatch_) disconnect(contextWatch_);
  onTimer_ = std::move(handler);
  onTimerContext_ = onTimer_ ? context : nullptr;
  if (onTimerContext_)
    contextWatch_ = connect(context, &QObject::destroyed, this, [this] {
      onTimer_ = nullptr;
      onTimerContext_ = nullptr;
      UpdateTimer();
    });
  UpdateTimer();
}

bool TBI_Timer::ticking() const { return worker_ && !worker_->Suspended(); }

void TBI_Timer::DoTimer() {
  if (!enabled_ || !onTimer_) return;
  // A copy, so that the handler may replace itself.
  const TNotifyEvent handler = onTimer_;
  handler(this);
}

void TBI_Timer::UpdateTimer() {
  if (worker_ && !worker_->Suspended()) worker_->Suspend();
  if (!worker_) worker_ = std::make_unique<bi_t_thread>(this, threadPriority_);
  if (interval_ != 0 && enabled_ && onTimer_) worker_->Resume(threadPriority_, interval_);
}

}  // namespace parvex
