// A made-up network for the network dialogs' tests: every mount, unmount and
// listing is recorded, and the test decides what each running job does next
// (asks a question, ends with an outcome).
#pragma once

#include <map>
#include <memory>
#include <vector>

#include "controls/NetDlgsSeam.h"

namespace parvex::test {

class FakeNetPlaces;

// A job that waits for the test to end it.
struct FakeJobState {
  QString subject;  // the address mounted, or the key disconnected
  TNetAsker* asker = nullptr;
  TNetDone done;
  bool alive = true;      // false once the dialog has given the job up
  int cancels = 0;
  bool finished = false;

  // Ends the job as the system would, if it is still wanted.
  void Finish(TNetOutcome outcome) {
    finished = true;
    TNetDone notify = std::move(done);
    done = nullptr;
    if (alive && notify) notify(std::move(outcome));
  }
};

class FakeJob final : public TNetJob {
 public:
  explicit FakeJob(std::shared_ptr<FakeJobState> state) : state_(std::move(state)) {}
  ~FakeJob() override { state_->alive = false; }
  FakeJob(const FakeJob&) = delete;
  FakeJob& operator=(const FakeJob&) = delete;
  void Cancel() override { ++state_->cancels; }

 private:
  std::shared_ptr<FakeJobState> state_;
};

class FakeNetPlaces final : public TNetPlaces {
 public:
  TNetOutcome service;                          // what ConnectProblem("") says
  std::map<QString, TNetOutcome> schemeProblems;  // what ConnectProblem(scheme) says
  std::vector<TNetConnection> disks;
  std::vector<TNetConnection> printers;
  TNetOutcome listingProblem;

  int serviceChecks = 0;
  int diskListings = 0;
  int printerListings = 0;
  std::vector<std::shared_ptr<FakeJobState>> mounts;
  std::vector<std::shared_ptr<FakeJobState>> disconnects;

  TNetOutcome ConnectProblem(const QString& scheme) override {
    ++serviceChecks;
    if (scheme.isEmpty()) return service;
    const auto found = schemeProblems.find(scheme);
    return found != schemeProblems.end() ? found->second : TNetOutcome{};
  }

  std::unique_ptr<TNetJob> Mount(const QString& address, TNetAsker& asker, TNetDone done) override {
    return Start(mounts, address, asker, std::move(done));
  }

  std::vector<TNetConnection> DiskConnections(TNetOutcome* problem) override {
    ++diskListings;
    if (problem != nullptr) *problem = listingProblem;
    return disks;
  }

  std::vector<TNetConnection> PrinterConnections(TNetOutcome* problem) override {
    ++printerListings;
    if (problem != nullptr) *problem = listingProblem;
    return printers;
  }

  std::unique_ptr<TNetJob> Disconnect(const TNetConnection& connection, TNetAsker& asker, TNetDone done) override {
    return Start(disconnects, connection.key, asker, std::move(done));
  }

 private:
  static std::unique_ptr<TNetJob> Start(std::vector<std::shared_ptr<FakeJobState>>& jobs, const QString& subject,
                                        TNetAsker& asker, TNetDone done) {
    auto state = std::make_shared<FakeJobState>();
    state->subject = subject;
    state->asker = &asker;
    state->done = std::move(done);
    jobs.push_back(state);
    return std::make_unique<FakeJob>(state);
  }
};

// Installs the fake as every dialog's places for as long as it lives.
class FakeNetInstalled {
 public:
  explicit FakeNetInstalled(FakeNetPlaces& places) { TNetPlaces::SetDefault(&places); }
  ~FakeNetInstalled() { TNetPlaces::SetDefault(nullptr); }
  FakeNetInstalled(const FakeNetInstalled&) = delete;
  FakeNetInstalled& operator=(const FakeNetInstalled&) = delete;
};

}  // namespace parvex::test
