#include "engine/work_pool.h"

namespace parvex {

WorkPool::WorkPool(unsigned threads) {
  for (unsigned i = 1; i < threads; ++i) workers_.emplace_back([this] { Work(); });
}

WorkPool::~WorkPool() {
  {
    std::lock_guard lock(mutex_);
    stopping_ = true;
  }
  changed_.notify_all();
  for (std::thread& worker : workers_) worker.join();
}

void WorkPool::Run(std::size_t n, std::function<void(std::size_t)> job) {
  Start(n, std::move(job));
  Wait();
}

void WorkPool::Start(std::size_t n, std::function<void(std::size_t)> job) {
  if (n == 0) return;
  {
    std::lock_guard lock(mutex_);
    job_ = std::move(job);
    next_ = 0;
    count_ = n;
    done_ = 0;
    started_ = true;
    ++generation_;
  }
  if (!workers_.empty()) changed_.notify_all();
}

void WorkPool::Wait() {
  if (!started_) return;
  Drain();
  std::unique_lock lock(mutex_);
  changed_.wait(lock, [&] { return done_ == count_; });
  started_ = false;
  job_ = nullptr;
}

// Takes jobs of the current batch until none is left.
void WorkPool::Drain() {
  for (;;) {
    std::size_t index;
    {
      std::lock_guard lock(mutex_);
      if (!started_ || next_ == count_) return;
      index = next_++;
    }
    job_(index);  // stays set until the batch is waited for
    bool last;
    {
      std::lock_guard lock(mutex_);
      last = ++done_ == count_;
    }
    if (last) changed_.notify_all();
  }
}

void WorkPool::Work() {
  std::size_t seen = 0;
  for (;;) {
    {
      std::unique_lock lock(mutex_);
      changed_.wait(lock, [&] { return stopping_ || (generation_ != seen && started_ && next_ < count_); });
      if (stopping_) return;
      seen = generation_;
    }
    Drain();
  }
}

}  // namespace parvex
