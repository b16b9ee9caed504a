// TBI_Timer: a timer whose ticks come from a worker thread of its own. The
// worker (bi_t_thread) sleeps for the interval, then has DoTimer run on the
// timer's thread (the user-interface thread) and waits until it has run; so
// ticks never overlap and none queue up while that thread is busy. The worker
// is parked, not sleeping in a loop, while the timer is disabled, has an
// interval of 0 or has no handler.
//
// Thread-safety: create, use and destroy a TBI_Timer on the user-interface
// thread. Destroying it (also from inside its own OnTimer handler) stops the
// worker first; no handler call happens afterwards.
#pragma once

#include <QObject>
#include <QPointer>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>

namespace parvex {

class bi_t_thread;

class TBI_Timer : public QObject {
  Q_OBJECT
  Q_PROPERTY(bool Enabled READ enabled WRITE setEnabled NOTIFY changed)
  Q_PROPERTY(uint Interval READ interval WRITE setInterval NOTIFY changed)
  Q_PROPERTY(TThreadPriority ThreadPriority READ threadPriority WRITE setThreadPriority NOTIFY changed)

 public:
  // Priorities a worker thread may run at. On Linux: tpIdle is the idle
  // scheduling class; the others are nice values around the process's own
  // (+10, +5, 0, -5, -10, -20). Raising a thread above the process needs the
  // privilege to do so; without it the thread keeps the priority it has.
  enum TThreadPriority { tpIdle, tpLowest, tpLower, tpNormal, tpHigher, tpHighest, tpTimeCritical };
  Q_ENUM(TThreadPriority)

  // The tick handler; the timer is the sender.
  using TNotifyEvent = std::function<void(TBI_Timer* Sender)>;

  // Enabled, 1000 ms, normal priority, no handler; the worker waits parked.
  explicit TBI_Timer(QObject* owner = nullptr);
  ~TBI_Timer() override;
  TBI_Timer(const TBI_Timer&) = delete;
  TBI_Timer& operator=(const TBI_Timer&) = delete;

  bool enabled() const { return enabled_; }
  void setEnabled(bool enabled);
  // Milliseconds between ticks; 0 stops them. A change takes effect from the
  // sleep that starts when the worker resumes (every change resumes it).
  std::uint32_t interval() const { return interval_; }
  void setInterval(std::uint32_t interval);
  TThreadPriority threadPriority() const { return threadPriority_; }
  // Only stored: the worker takes it when it is next resumed.
  void setThreadPriority(TThreadPriority priority);

  bool hasOnTimer() const { return static_cast<bool>(onTimer_); }
  // Stores the handler (an empty one stops the ticks) and re-arms the timer.
  // With a context, the handler belongs to it: when the context is destroyed
  // while its handler is still set, the handler goes and the ticks stop.
  void setOnTimer(TNotifyEvent handler, const QObject* context = nullptr);
  const QObject* onTimerContext() const { return onTimerContext_; }

  // Whether the worker is running its sleep-and-tick loop now.
  bool ticking() const;
  const bi_t_thread* WorkerThread() const { return worker_.get(); }

 signals:
  void changed();

 protected:
  // A tick, on the user-interface thread: calls OnTimer when enabled and set.
  virtual void DoTimer();

 private:
  friend class bi_t_thread;
  void UpdateTimer();

  bool enabled_ = true;
  std::uint32_t interval_ = 1000;
  TNotifyEvent onTimer_;
  QPointer<const QObject> onTimerContext_;
  QMetaObject::Connection contextWatch_;
  TThreadPriority threadPriority_ = tpNormal;
  std::unique_ptr<bi_t_thread> worker_;
};


// The worker. It is created parked; Resume() starts a fresh sleep of the
// given interval, Suspend() parks it again (an interrupted sleep delivers
// nothing). Destroying it stops and joins the thread, also while a tick waits
// for the user-interface thread.
class bi_t_thread {
 public:
  // REQUIRES: timer lives on the user-interface thread, which runs its ticks.
  bi_t_thread(TBI_Timer* timer, TBI_Timer::TThreadPriority priority);
  ~bi_t_thread();
  bi_t_thread(const bi_t_thread&) = delete;
  bi_t_thread& operator=(const bi_t_thread&) = delete;

  void Suspend();
  // Applies the priority to the thread, then lets it sleep `interval` ms and tick.
  void Resume(TBI_Timer::TThreadPriority priority, std::uint32_t interval);
  bool Suspended() const;
  // After this no tick is delivered, even one already on its way.
  void Stop();

  // The thread's id with the system, and the processor time it has used.
  int threadId() const { return threadId_; }
  std::chrono::nanoseconds cpuTime() const;
  // The priority last applied to the thread.
  TBI_Timer::TThreadPriority Priority() const;

 private:
  struct Shared;
  void Execute();

  TBI_Timer* FTimer;  // not owned
  std::shared_ptr<Shared> shared_;
  int threadId_ = 0;
  std::thread thread_;
};

}  // namespace parvex
