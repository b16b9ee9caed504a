// The thread count changes nothing but the time: for 1, 2 and 8 threads the
// same inputs give the same volumes, byte for byte, and the same events with
// the same arguments, in the same order - stops and failures included.
#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>

#include "engine/backup.h"
#include "engine/format.h"
#include "tests/support/FaultEnv.h"
#include "tests/support/TestFiles.h"

namespace parvex {
namespace {

using test::Bytes;
namespace fs = std::filesystem;

struct Scenario {
  std::int32_t maxSize = 0;
  int abortAtProgress = -1;     // clear Continue in the n-th progress event
  int declineDisk = -1;         // clear Continue when this disk is asked for
  std::int64_t diskSize = -1;   // a fresh disk of this size at the start and at every request
  std::int64_t shortAfter = -1; // the third file ends early
  int restoreAbortAt = -1;
};

struct Outcome {
  std::string events;
  std::vector<Bytes> volumes;
  std::string result;
  std::map<std::string, Bytes> restored;
  std::string restoreEvents;
};

// Messages name the run's own directory; take it out before comparing.
std::string WithoutDir(std::string text, const std::string& dir) {
  for (std::size_t at; (at = text.find(dir)) != std::string::npos;) text.replace(at, dir.size(), "OUT");
  return text;
}

class ThreadsTest : public testing::Test {
 protected:
  test::TempDir dir;
  std::vector<std::string> files;

  void SetUp() override {
    fs::create_directories(dir / "src");
    const std::vector<Bytes> contents = {
        test::TextLike(100000, 1), {}, test::RandomBytes(150000, 2), test::RunHeavy(70000, 3),
        test::TextLike(format::kChunkSize, 4), test::TextLike(10, 5), test::Periodic(90000, 77, 6)};
    for (std::size_t i = 0; i < contents.size(); ++i) {
      files.push_back(dir / ("src/f" + std::to_string(i)));
      test::WriteFile(files.back(), contents[i]);
    }
    for (int i = 0; i < 30; ++i) {
      files.push_back(dir / ("src/small" + std::to_string(i)));
      test::WriteFile(files.back(), test::TextLike(static_cast<std::size_t>(i) * 301, i));
    }
  }

  Outcome Run(const Scenario& sc, unsigned threads) {
    const std::string out = dir / ("t" + std::to_string(threads));
    fs::create_directories(out);
    test::FaultEnv env;
    if (sc.diskSize >= 0) env.InsertDisk(sc.diskSize);
    if (sc.shortAfter >= 0) {
      env.shortFiles = {files[2]};
      env.shortAfter = sc.shortAfter;
    }
    TBackupFile bf(&env);
    bf.Threads = threads;
    bf.MaxSize = sc.maxSize;
    bf.SaveFileID = true;
    std::ostringstream log;
    int progress = 0;
    bf.OnProgress = [&](TBackupFile& s, const std::string& name, TPercentage p, bool& go) {
      log << "P " << name.substr(name.find_last_of('/') + 1) << " " << int(p) << " " << s.Processed << "\n";
      if (++progress == sc.abortAtProgress) go = false;
    };
    bf.OnNeedDisk = [&](TBackupFile&, std::uint16_t disk, bool& go) {
      log << "D " << disk << "\n";
      if (disk == sc.declineDisk) go = false;
      if (sc.diskSize >= 0) env.InsertDisk(sc.diskSize);
    };
    bf.ProcessMessages = [&] { log << "M\n"; };
    Outcome o;
    try {
      o.result = bf.Backup(files, out + "/SET.PX").completed ? "complete" : "stopped";
    } catch (const EArchiveError& e) {
      o.result = std::string("error: ") + e.what();
    }
    o.events = log.str();
    for (unsigned k = 1; fs::exists(format::VolumeName(out + "/SET.PX", k)); ++k) {
      o.volumes.push_back(test::ReadFile(format::VolumeName(out + "/SET.PX", k)));
    }
    for (unsigned k = 1; fs::exists(out + "/" + format::DiskIdFileName(k)); ++k) {
      o.volumes.push_back(test::ReadFile(out + "/" + format::DiskIdFileName(k)));
    }

    // Restore what was written, with the same thread count.
    TBackupFile rf;
    rf.Threads = threads;
    std::ostringstream rlog;
    int rprogress = 0;
    rf.OnProgress = [&](TBackupFile& s, const std::string& name, TPercentage p, bool& go) {
      rlog << "P " << name.substr(name.find_last_of('/') + 1) << " " << int(p) << " " << s.Processed << "\n";
      if (++rprogress == sc.restoreAbortAt) go = false;
    };
    rf.OnNeedDisk = [&](TBackupFile&, std::uint16_t disk, bool&) { rlog << "D " << disk << "\n"; };
    try {
      rlog << "count " << rf.Restore(out + "/SET.PX", out + "/restored").created << "\n";
    } catch (const EArchiveError& e) {
      rlog << "error " << e.what() << "\n";
    }
    o.restoreEvents = WithoutDir(rlog.str(), out);
    o.result = WithoutDir(o.result, out);
    if (fs::exists(out + "/restored")) {
      for (const auto& entry : fs::directory_iterator(out + "/restored")) {
        o.restored[entry.path().filename().string()] = test::ReadFile(entry.path().string());
      }
    }
    return o;
  }

  void ExpectSameForEveryThreadCount(const Scenario& sc) {
    const Outcome one = Run(sc, 1);
    for (unsigned threads : {2u, 8u}) {
      const Outcome many = Run(sc, threads);
      EXPECT_EQ(many.result, one.result) << threads;
      EXPECT_EQ(many.events, one.events) << threads;
      EXPECT_EQ(many.volumes, one.volumes) << threads;
      EXPECT_EQ(many.restoreEvents, one.restoreEvents) << threads;
      EXPECT_EQ(many.restored, one.restored) << threads;
    }
  }
};

TEST_F(ThreadsTest, OneVolume) {
  ExpectSameForEveryThreadCount({});
}

TEST_F(ThreadsTest, ManyVolumes) {
  Scenario sc;
  sc.maxSize = 50000;
  ExpectSameForEveryThreadCount(sc);
}

TEST_F(ThreadsTest, StopsFromProgressDuringBackupAndRestore) {
  for (int at : {1, 2, 5, 17}) {
    Scenario sc;
    sc.maxSize = 60000;
    sc.abortAtProgress = at;
    sc.restoreAbortAt = at + 1;
    ExpectSameForEveryThreadCount(sc);
  }
}

TEST_F(ThreadsTest, DeclinedDisk) {
  Scenario sc;
  sc.maxSize = 40000;
  sc.declineDisk = 4;
  ExpectSameForEveryThreadCount(sc);
}

TEST_F(ThreadsTest, FullDisksAndAFileThatEndsEarly) {
  Scenario sc;
  sc.diskSize = 90000;
  sc.shortAfter = 40000;
  ExpectSameForEveryThreadCount(sc);
  sc.diskSize = 30000;  // too small for a single block: an error, at the same point
  ExpectSameForEveryThreadCount(sc);
}

}  // namespace
}  // namespace parvex
