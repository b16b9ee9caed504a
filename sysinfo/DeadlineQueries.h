// Queries that may block for good (statvfs on a network file system whose
// server is gone, a print server that does not answer) run on worker threads;
// the caller waits for an answer no longer than a deadline counted from the
// query's start. A query that has not answered stays on record under its key:
// asking again while it hangs returns at once and starts no second thread for
// the same thing, so a dead drive costs one deadline, not one per look.
//
// Start() lets several queries run at the same time, so that looking at many
// dead drives one after another costs one deadline in all. An answer that came
// within its deadline stays fresh for a deadline after it came, so a caller
// that waits for Waiting() to end and then asks is never kept waiting; an
// answer that came late is old.
//
// Thread safety: the object is used from one thread; a worker shares only its
// own slot with it, and owns a share of that slot, so it may outlive the object.
#pragma once

#include <chrono>
#include <condition_variable>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <system_error>
#include <thread>
#include <utility>

namespace parvex::sysinfo {

template <typename Result>
class DeadlineQueries {
 public:
  using Clock = std::chrono::steady_clock;
  // Runs on a worker thread: must hold copies of everything it uses.
  using Query = std::function<std::optional<Result>()>;

  explicit DeadlineQueries(std::chrono::milliseconds deadline) : deadline_(deadline) {}
  DeadlineQueries(const DeadlineQueries&) = delete;
  DeadlineQueries& operator=(const DeadlineQueries&) = delete;

  // Starts `query` under `key` and returns at once, unless a query under that
  // key is running or answered less than a deadline ago.
  void Start(const std::string& key, Query query) {
    const auto found = slots_.find(key);
    if (found != slots_.end() && (!found->second->Done() || Recent(*found->second))) return;
    slots_[key] = Launch(std::move(query));
  }

  // The answer under `key`: of the query running there, or of one that
  // answered less than a deadline ago (each answer is handed out once), else of
  // `query`, started now. nullopt when the query failed or has not answered
  // within a deadline of its start.
  std::optional<Result> Get(const std::string& key, Query query) {
    std::shared_ptr<Slot> slot;
    if (const auto found = slots_.find(key); found != slots_.end()) {
      slot = found->second;
      const bool done = slot->Done();
      if (!done && !Recent(*slot)) return std::nullopt;  // still hanging: known not to answer
      if (done && !Recent(*slot)) slot.reset();          // an old answer: ask again
    }
    if (!slot) slot = slots_[key] = Launch(std::move(query));
    if (!slot->WaitUntil(slot->started + deadline_)) return std::nullopt;
    slots_.erase(key);
    return slot->Take();
  }

  // True while a query under `key` runs past its deadline.
  bool Hanging(const std::string& key) const {
    const auto found = slots_.find(key);
    return found != slots_.end() && !found->second->Done() && !Recent(*found->second);
  }

  // True while a query under `key` runs and its deadline has not passed: a
  // Get() now would wait.
  bool Waiting(const std::string& key) const {
    const auto found = slots_.find(key);
    return found != slots_.end() && !found->second->Done() && Recent(*found->second);
  }

 private:
  struct Slot {
    Clock::time_point started;
    Clock::time_point finished;  // when done
    std::mutex mutex;
    std::condition_variable answered;
    bool done = false;
    std::optional<Result> result;

    bool Done() {
      std::lock_guard lock(mutex);
      return done;
    }
    // The time it answered, while done; else nullopt.
    std::optional<Clock::time_point> Finished() {
      std::lock_guard lock(mutex);
      return done ? std::optional(finished) : std::nullopt;
    }
    void Finish(std::optional<Result> answer) {
      {
        std::lock_guard lock(mutex);
        result = std::move(answer);
        finished = Clock::now();
        done = true;
      }
      answered.notify_all();
    }
    bool WaitUntil(Clock::time_point until) {
      std::unique_lock lock(mutex);
      return answered.wait_until(lock, until, [this] { return done; });
    }
    std::optional<Result> Take() {
      std::lock_guard lock(mutex);
      return std::move(result);
    }
  };

  // Running: within its deadline. Answered: in time, and less than a deadline ago.
  bool Recent(Slot& slot) const {
    const auto now = Clock::now();
    const auto finished = slot.Finished();
    if (!finished) return now - slot.started < deadline_;
    return *finished - slot.started < deadline_ && now - *finished < deadline_;
  }

  static std::shared_ptr<Slot> Launch(Query query) {
    auto slot = std::make_shared<Slot>();
    slot->started = Clock::now();
    try {
      std::thread([slot, query = std::move(query)] {
        try {
          slot->Finish(query());
        } catch (...) {
          slot->Finish(std::nullopt);  // a failed query is one without an answer
        }
      }).detach();
    } catch (const std::system_error&) {
      slot->Finish(std::nullopt);  // no thread to be had: count it as not answering
    }
    return slot;
  }

  std::chrono::milliseconds deadline_;
  std::map<std::string, std::shared_ptr<Slot>> slots_;
};

}  // namespace parvex::sysinfo
