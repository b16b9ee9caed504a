// A fixed set of worker threads that run one batch of independent jobs at a
// time: Run(n, job) calls job(0) ... job(n - 1) spread over the workers and the
// calling thread, and returns when all are done. Start hands a batch to the
// workers and returns at once, so that the caller can go on with other work;
// Wait then takes what is left of it and returns when all is done. Used to
// decode blocks.
#pragma once

#include <condition_variable>
#include <cstddef>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

namespace parvex {

class WorkPool {
 public:
  explicit WorkPool(unsigned threads);  // threads - 1 workers; the caller is one
  ~WorkPool();
  WorkPool(const WorkPool&) = delete;
  WorkPool& operator=(const WorkPool&) = delete;

  // REQUIRES: job does not throw; no batch is started and not yet waited for.
  void Run(std::size_t n, std::function<void(std::size_t)> job);
  void Start(std::size_t n, std::function<void(std::size_t)> job);
  // Returns at once when no batch was started.
  void Wait();

 private:
  void Work();
  void Drain();

  std::mutex mutex_;
  std::condition_variable changed_;
  std::function<void(std::size_t)> job_;
  bool started_ = false;  // a batch is running or waits to be waited for
  std::size_t next_ = 0, count_ = 0, done_ = 0;
  std::size_t generation_ = 0;
  bool stopping_ = false;
  std::vector<std::thread> workers_;
};

}  // namespace parvex
