// No incomplete file is passed off as whole: after every kind of cut (a stop,
// a full disk, a set without its end record, a volume not brought) the file
// being written keeps what was restored, is named and counted apart, and does
// not get the stored time; a later restore in a "newer" mode takes it again.
#include <gtest/gtest.h>

#include <filesystem>
#include <functional>

#include "engine/backup.h"
#include "engine/format.h"
#include "tests/support/FaultEnv.h"
#include "tests/support/TestFiles.h"

namespace parvex {
namespace {

using test::Bytes;
namespace fs = std::filesystem;

constexpr std::uint32_t kStored = 0x50A47000;  // 2020-05-04 14:00:00

class IncompleteTest : public testing::Test {
 protected:
  void SetUp() override {
    fs::create_directories(dir / "src");
    fs::create_directories(dir / "set");
    test::WriteFile(dir / "src/a", test::TextLike(1000, 1));
    test::WriteFile(dir / "src/b", test::RandomBytes(100000, 2));
    for (const char* name : {"src/a", "src/b"}) ASSERT_TRUE(env.SetDosFileTime(dir / name, kStored));
    TBackupFile bf;
    bf.MaxSize = 30000;  // one block of b a volume: four volumes
    ASSERT_TRUE(bf.Backup({dir / "src/a", dir / "src/b"}, set).completed);
    ASSERT_TRUE(fs::exists(dir / "set/S.004"));
  }

  // Restores with `prepare` setting the cut up; returns the warnings.
  std::vector<std::string> Cut(platform::Env& through, const std::function<void(TBackupFile&)>& prepare,
                               const std::string& archive, bool throws = false) {
    TBackupFile bf(&through);
    std::vector<std::string> warnings;
    bf.Warning = [&](const std::string& w) { warnings.push_back(w); };
    prepare(bf);
    if (throws) {
      EXPECT_THROW(bf.Restore(archive, out), EArchiveError);
    } else {
      EXPECT_NO_THROW(bf.Restore(archive, out));
    }
    result = bf.LastRestore();
    return warnings;
  }

  // What every cut leaves: a whole and dated, b partial, named, undated, marked.
  void ExpectBIncomplete(const std::vector<std::string>& warnings) {
    EXPECT_EQ(result.restored, std::vector<std::string>{out + "/a"});
    EXPECT_EQ(result.incomplete, std::vector<std::string>{out + "/b"});
    EXPECT_EQ(result.Complete(), 1);
    EXPECT_EQ(static_cast<std::uint32_t>(env.GetDosFileTime(out + "/a")), kStored);
    EXPECT_NE(static_cast<std::uint32_t>(env.GetDosFileTime(out + "/b")), kStored);
    const Bytes b = test::ReadFile(out + "/b"), source = test::ReadFile(dir / "src/b");
    ASSERT_LT(b.size(), source.size());
    EXPECT_TRUE(std::equal(b.begin(), b.end(), source.begin()));
    const std::string named = "\"" + out + "/b\" is incomplete: only its first " + std::to_string(b.size()) +
                              " bytes were restored";
    EXPECT_NE(std::find(warnings.begin(), warnings.end(), named), warnings.end()) << testing::PrintToString(warnings);
    if (marks) {
      EXPECT_TRUE(env.StatTarget(out, "b").markedIncomplete);
    }
  }

  // A restore of the whole set in a "newer" mode takes b again, and only b.
  void ExpectRepairedByNewer(TRestoreMode mode) {
    if (!marks) return;  // without the mark b looks newer than the stored copy
    TBackupFile bf;
    bf.RestoreMode = mode;
    const TRestoreResult repair = bf.Restore(set, out);
    EXPECT_EQ(repair.restored, std::vector<std::string>{out + "/b"});
    EXPECT_EQ(test::ReadFile(out + "/b"), test::ReadFile(dir / "src/b"));
    EXPECT_EQ(static_cast<std::uint32_t>(env.GetDosFileTime(out + "/b")), kStored);
    EXPECT_FALSE(env.StatTarget(out, "b").markedIncomplete);
    EXPECT_EQ(bf.Restore(set, out).created, 0);  // and then nothing is
  }

  test::TempDir dir;
  platform::Env& env = *platform::Env::Default();
  const std::string set = dir / "set/S.PX";
  const std::string out = dir / "out";
  const bool marks = test::UserXattrsWork(dir.path());
  TRestoreResult result;
};

TEST_F(IncompleteTest, StoppedByTheUser) {
  int blocks = 0;
  const auto warnings = Cut(env, [&](TBackupFile& bf) {
    bf.OnProgress = [&](TBackupFile& sender, const std::string& name, TPercentage, bool&) {
      if (name.ends_with("/b") && ++blocks == 2) sender.Abort();
    };
  }, set);
  EXPECT_TRUE(result.stopped);
  ExpectBIncomplete(warnings);
  ExpectRepairedByNewer(rmNewer);
}

TEST_F(IncompleteTest, DiskFull) {
  test::FaultEnv full;
  full.failWritesAfter = 1000 + 40000;
  const auto warnings = Cut(full, [](TBackupFile&) {}, set, /*throws=*/true);
  ExpectBIncomplete(warnings);
  ExpectRepairedByNewer(rmExistingNewer);
}

TEST_F(IncompleteTest, WithoutTheEndRecord) {
  // The last volume cut short, as a split killed while writing it leaves it.
  fs::create_directories(dir / "cut");
  for (const char* name : {"S.PX", "S.002", "S.003", "S.004"}) {
    fs::copy_file(dir / ("set/" + std::string(name)), dir / ("cut/" + std::string(name)));
  }
  fs::resize_file(dir / "cut/S.004", fs::file_size(dir / "cut/S.004") - 1000);
  const auto warnings = Cut(env, [](TBackupFile&) {}, dir / "cut/S.PX");
  EXPECT_FALSE(result.setCompleted || result.stopped);
  ExpectBIncomplete(warnings);
  ExpectRepairedByNewer(rmNewer);
}

TEST_F(IncompleteTest, AVolumeThatIsNotBrought) {
  fs::rename(dir / "set/S.002", dir / "S.002.away");
  const auto warnings = Cut(env, [](TBackupFile& bf) {
    bf.AskForVolume = [](const TVolumeRequest&) { return false; };
  }, set);
  EXPECT_TRUE(result.stopped);
  ExpectBIncomplete(warnings);
  fs::rename(dir / "S.002.away", dir / "set/S.002");
  ExpectRepairedByNewer(rmNewer);
}

// A mark is kept only while the file is what the restore left: a file the
// user changed since counts by its time again.
TEST_F(IncompleteTest, AChangedPartialFileIsJudgedByItsTime) {
  if (!marks) GTEST_SKIP() << "no user extended attributes here";
  fs::rename(dir / "set/S.002", dir / "S.002.away");
  Cut(env, [](TBackupFile& bf) { bf.AskForVolume = [](const TVolumeRequest&) { return false; }; }, set);
  fs::rename(dir / "S.002.away", dir / "set/S.002");
  ASSERT_TRUE(env.StatTarget(out, "b").markedIncomplete);
  test::WriteFile(out + "/b", {'m', 'i', 'n', 'e'});  // now, later than the stored time
  TBackupFile bf;
  bf.RestoreMode = rmNewer;
  EXPECT_EQ(bf.Restore(set, out).created, 0);
  EXPECT_EQ(test::ReadFile(out + "/b"), (Bytes{'m', 'i', 'n', 'e'}));
}

}  // namespace
}  // namespace parvex
