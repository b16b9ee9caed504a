// The thread count changes nothing but the time: for 1, 2 and 8 threads the
// same inputs give the same volumes, byte for byte, and the same events with
// the same arguments, in the same order - stops and failures included.
#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>

#include "engine/backup.h"
#include "engine/examine.h"
#include "engine/format.h"
#include "tests/support/FaultEnv.h"
#include "tests/support/SetBytes.h"
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

// A damaged set is read alike by every thread count: the same blocks reach the
// files, the same fault ends the restore after the same block, and the check
// reports the same, whichever batch of blocks read ahead the damage lies in.
TEST(ThreadsReadTest, ADamagedSetIsReadAlikeByEveryThreadCount) {
  test::TempDir dir;
  constexpr int kBlocks = 40;
  const Bytes data = test::TextLike(kBlocks * format::kChunkSize, 9);
  const auto chunk = [&](int i) {
    return Bytes(data.begin() + static_cast<std::ptrdiff_t>(i * format::kChunkSize),
                 data.begin() + static_cast<std::ptrdiff_t>((i + 1) * format::kChunkSize));
  };
  enum class Damage { kUndecodable, kShortBlock, kLengthTooLong, kSalvage, kCutTail, kShrinks };
  struct Case {
    Damage damage;
    int at;  // the block it hits
  };
  std::vector<Case> cases;
  for (int at : {0, 1, 7, 8, 9, 16, 31, 32, 33, 39}) {
    for (Damage d : {Damage::kUndecodable, Damage::kShortBlock, Damage::kLengthTooLong, Damage::kSalvage,
                     Damage::kCutTail, Damage::kShrinks}) {
      cases.push_back({d, at});
    }
  }
  for (const Case& c : cases) {
    Bytes records;
    std::size_t before = 0;  // bytes of the block records before the damaged one
    for (int i = 0; i < kBlocks; ++i) {
      if (i == c.at) before = records.size();
      if (i == c.at && (c.damage == Damage::kUndecodable || c.damage == Damage::kSalvage)) {
        test::Put32(records, 5);  // a copy from before the start of the output
        records.insert(records.end(), {kFlagCompressed, 0x80, 0x00, 0x00, 0x10});
      } else if (i == c.at && c.damage == Damage::kShortBlock && i + 1 < kBlocks) {
        test::PutBlock(records, Bytes(data.begin(), data.begin() + 1000));
      } else if (i == c.at && c.damage == Damage::kLengthTooLong) {
        test::Put32(records, 1u << 20);
      } else {
        test::PutBlock(records, chunk(i));
      }
    }
    test::SetBytes set = test::SetBytes().Header("", static_cast<std::uint32_t>(data.size()), 1).File("/d/big");
    const std::size_t head = set.bytes.size() + 8;
    if (c.damage == Damage::kSalvage) {
      set.SegmentHead(0).Raw(records).Raw(Bytes(100, 'G'));
    } else if (c.damage == Damage::kCutTail) {
      set.SegmentHead(static_cast<std::uint32_t>(before)).Raw(records);  // killed: only `before` recorded
      set.bytes.resize(head + before + (c.at == 0 ? 0 : 2000));
    } else {
      set.SegmentHead(static_cast<std::uint32_t>(records.size())).Raw(records).End();
    }
    const std::string first = dir / "D.PX";
    test::WriteFile(first, set.bytes);

    std::map<unsigned, std::string> seen;
    for (unsigned threads : {1u, 2u, 8u}) {
      test::FaultEnv env;
      if (c.damage == Damage::kShrinks) {
        env.shortFiles = {first};
        env.shortAfter = static_cast<std::int64_t>(head + before + 10);
      }
      std::ostringstream log;
      TBackupFile bf(&env);
      bf.Threads = threads;
      bf.Salvage = c.damage == Damage::kSalvage;
      bf.OnProgress = [&](TBackupFile& s, const std::string&, TPercentage p, bool&) {
        log << int(p) << ":" << s.Processed << " ";
      };
      bf.Warning = [&](const std::string& w) { log << "\nwarning " << w; };
      const std::string out = dir / ("out" + std::to_string(threads));
      try {
        bf.Restore(first, out);
      } catch (const EArchiveError& e) {
        log << "\nerror " << e.what();
      }
      const Bytes restored = fs::exists(out + "/big") ? test::ReadFile(out + "/big") : Bytes();
      log << "\nrestored " << restored.size() << (std::equal(restored.begin(), restored.end(), data.begin()) ? " intact"
                                                                                                      : " WRONG");
      InspectOptions verify;
      verify.verify = true;
      verify.threads = threads;
      try {
        const SetInfo info = InspectSet(env, first, verify);
        log << "\ntest " << info.dataBytes << " " << static_cast<int>(info.ending) << " " << info.endNote;
      } catch (const EArchiveError& e) {
        log << "\ntest error " << e.what();
      }
      seen[threads] = WithoutDir(log.str(), out);
      fs::remove_all(out);
    }
    SCOPED_TRACE("damage " + std::to_string(static_cast<int>(c.damage)) + " at block " + std::to_string(c.at));
    EXPECT_EQ(seen[2], seen[1]);
    EXPECT_EQ(seen[8], seen[1]);
    if (c.damage != Damage::kShortBlock) {
      EXPECT_EQ(seen[1].find("WRONG"), std::string::npos) << seen[1];
    }
  }
}

}  // namespace
}  // namespace parvex
