// A backup writes only its own set and reads nothing it writes: the set's own
// volumes are left out of its list (by device and inode, under any name), a
// second writer or a reader of the same set is kept out by the locks, an
// older set's stale volumes are removed however the backup ends, a source that
// changes while it is stored is said to have changed, and thread counts are
// bounded.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <utility>

#include "base/SafeText.h"
#include "engine/backup.h"
#include "engine/examine.h"
#include "engine/format.h"
#include "tests/support/FaultEnv.h"
#include "tests/support/TestFiles.h"

namespace parvex {
namespace {

using test::Bytes;
namespace fs = std::filesystem;

class BackupSafetyTest : public testing::Test {
 protected:
  test::TempDir dir;
  std::vector<std::string> warnings;

  void Listen(TBackupFile& bf) { bf.Warning = [this](const std::string& w) { warnings.push_back(w); }; }
  static void Verify(const std::string& archive) {
    InspectOptions verify;
    verify.verify = true;
    EXPECT_TRUE(InspectSet(*platform::Env::Default(), archive, verify).complete());
  }
  static std::vector<std::string> Volumes(const std::string& first) {
    std::vector<std::string> names;
    for (unsigned k = 1; k < 20; ++k)
      if (fs::exists(format::VolumeName(first, k))) names.push_back(fs::path(format::VolumeName(first, k)).filename());
    return names;
  }
};

TEST_F(BackupSafetyTest, ASetNeverStoresItsOwnVolumes) {
  const std::string w = dir / "w";
  fs::create_directories(w);
  test::WriteFile(w + "/a", test::TextLike(5000, 1));
  test::WriteFile(w + "/b", test::RandomBytes(70000, 2));
  TBackupFile first;
  first.MaxSize = 40000;
  first.SaveFileID = true;
  ASSERT_TRUE(first.Backup({w + "/*"}, w + "/S.PX").completed);
  ASSERT_TRUE(fs::exists(w + "/S.002") && fs::exists(w + "/FILE001.ID"));
  fs::create_hard_link(w + "/S.PX", w + "/alias");
  fs::create_symlink("S.002", w + "/link");

  // The same command again: the list now holds the set, under four names.
  for (const unsigned threads : {1u, 4u}) {
    SCOPED_TRACE(threads);
    warnings.clear();
    TBackupFile again;
    Listen(again);
    again.MaxSize = 40000;
    again.SaveFileID = true;
    again.Threads = threads;
    const TBackupResult result = again.Backup({w + "/*"}, w + "/S.PX");
    ASSERT_TRUE(result.completed);
    const std::vector<std::string> own = {w + "/FILE001.ID", w + "/FILE002.ID", w + "/FILE003.ID", w + "/S.002",
                                          w + "/S.003", w + "/S.PX", w + "/alias", w + "/link"};
    std::vector<std::string> leftOut = result.leftOut;
    std::sort(leftOut.begin(), leftOut.end());
    std::vector<std::string> present;
    for (const std::string& name : own)
      if (fs::exists(name) || fs::is_symlink(name)) present.push_back(name);
    EXPECT_EQ(leftOut, present);
    EXPECT_EQ(result.filesStored, 2);
    EXPECT_EQ(warnings.size(), leftOut.size());
    EXPECT_NE(warnings[0].find("left out: it is a file this split writes"), std::string::npos) << warnings[0];
    Verify(w + "/S.PX");
  }
  // Joined back to the stored paths, it writes its two files and leaves the set whole.
  const Bytes volume = test::ReadFile(w + "/S.PX");
  TBackupFile join;
  EXPECT_EQ(join.Restore(w + "/S.PX", "").created, 2);
  EXPECT_EQ(test::ReadFile(w + "/S.PX"), volume);
  EXPECT_EQ(test::ReadFile(w + "/b"), test::RandomBytes(70000, 2));
}

TEST_F(BackupSafetyTest, ASecondWriterAndAReaderAreKeptOutWhileASetIsWritten) {
  test::WriteFile(dir / "big", test::RandomBytes(120000, 3));
  test::WriteFile(dir / "small", test::TextLike(100, 4));
  const std::string archive = dir / "C.PX";
  TBackupFile writer;
  writer.MaxSize = 30000;  // a block a volume
  int checks = 0;
  writer.OnNeedDisk = [&](TBackupFile&, std::uint16_t disk, bool&) {
    const Bytes held = test::ReadFile(archive);
    TBackupFile second;
    second.RemoveOldVolumes = true;
    try {
      second.Backup({dir / "small"}, archive);
      ADD_FAILURE() << "a second split was let in";
    } catch (const EArchiveError& e) {
      EXPECT_EQ(std::string(e.what()), "Cannot write to archive: " + archive +
                                           ": in use by another program (a split or join of this set is running); "
                                           "nothing was written");
    }
    EXPECT_EQ(test::ReadFile(archive), held);
    EXPECT_TRUE(disk < 3 || fs::exists(dir / "C.002"));  // the refused one removed nothing
    TBackupFile reader;
    try {
      reader.Restore(archive, dir / "out");
      ADD_FAILURE() << "a join read the set being written";
    } catch (const EArchiveError& e) {
      EXPECT_NE(std::string(e.what()).find(archive + ": being written by another program"), std::string::npos)
          << e.what();
    }
    EXPECT_THROW(InspectSet(*platform::Env::Default(), archive, {}), EArchiveError);
    EXPECT_FALSE(fs::exists(dir / "out"));
    ++checks;
  };
  const TBackupResult written = writer.Backup({dir / "big", dir / "small"}, archive);
  ASSERT_TRUE(written.completed);
  EXPECT_EQ(checks + 1, static_cast<int>(written.volumes.size()));
  EXPECT_EQ(checks, 3);
  Verify(archive);
  // Once it is done, both may go ahead.
  TBackupFile join;
  EXPECT_EQ(join.Restore(archive, dir / "out").created, 2);
  EXPECT_EQ(test::ReadFile(dir / "out/big"), test::RandomBytes(120000, 3));
}

// On removable media the next disk takes the first one's place: its lock, and
// the open file that holds it, end with it, so that the disk can be ejected.
TEST_F(BackupSafetyTest, TheFirstVolumeIsHeldToTheEndExceptOnRemovableMedia) {
  test::WriteFile(dir / "big", test::RandomBytes(70000, 10));
  for (const bool removable : {false, true}) {
    class MediaEnv : public platform::EnvWrapper {
     public:
      explicit MediaEnv(bool removable) : EnvWrapper(platform::Env::Default()), removable_(removable) {}
      bool IsRemovable(const std::string&) override { return removable_; }

     private:
      bool removable_;
    } env(removable);
    TBackupFile bf(&env);
    bf.MaxSize = 30000;
    std::vector<bool> readable;
    bf.OnNeedDisk = [&](TBackupFile&, std::uint16_t, bool&) {
      readable.push_back(platform::Env::Default()->OpenForReading(dir / "M.PX")->LockShared());
    };
    ASSERT_TRUE(bf.Backup({dir / "big"}, dir / "M.PX").completed);
    EXPECT_EQ(readable, std::vector<bool>(2, removable)) << removable;
  }
}

TEST_F(BackupSafetyTest, AVolumeBeingReadIsNotWrittenOver) {
  test::WriteFile(dir / "big", test::RandomBytes(100000, 5));
  test::WriteFile(dir / "V.002", {'o', 'l', 'd'});
  auto reading = platform::Env::Default()->OpenForReading(dir / "V.002");
  ASSERT_TRUE(reading->LockShared());
  TBackupFile bf;
  bf.MaxSize = 40000;
  try {
    bf.Backup({dir / "big"}, dir / "V.PX");
    FAIL() << "the volume being read was written over";
  } catch (const EArchiveError& e) {
    EXPECT_EQ(std::string(e.what()), "Cannot write to archive: " + dir / "V.002" +
                                         ": in use by another program (a split or join of this set is running)");
  }
  EXPECT_EQ(test::ReadFile(dir / "V.002"), (Bytes{'o', 'l', 'd'}));
  EXPECT_EQ(bf.LastBackup().volumes.size(), 1u);
}

TEST_F(BackupSafetyTest, AnOlderSetsStaleVolumesGoHoweverTheBackupEnds) {
  test::WriteFile(dir / "big", test::RandomBytes(130000, 6));
  test::WriteFile(dir / "small", test::TextLike(100, 7));
  const std::string archive = dir / "O.PX";
  const auto oldSet = [&] {
    fs::remove(dir / "O.006");
    TBackupFile old;
    old.MaxSize = 30000;
    ASSERT_TRUE(old.Backup({dir / "big"}, archive).completed);
    ASSERT_EQ(Volumes(archive), (std::vector<std::string>{"O.PX", "O.002", "O.003", "O.004"}));
    test::WriteFile(dir / "O.006", {6});  // after a gap: some other set's
  };
  // Completed: the new set's one volume stays, 002 to 004 go, 006 stays.
  oldSet();
  TBackupFile bf;
  bf.RemoveOldVolumes = true;
  ASSERT_TRUE(bf.Backup({dir / "small"}, archive).completed);
  EXPECT_EQ(Volumes(archive), (std::vector<std::string>{"O.PX", "O.006"}));
  // Without being asked, the engine leaves them (the window and the command line ask).
  oldSet();
  TBackupFile keep;
  keep.Backup({dir / "small"}, archive);
  EXPECT_EQ(Volumes(archive).size(), 5u);
  // Failed while writing its second volume: the old third and fourth go all the same.
  oldSet();
  test::FaultEnv full;
  full.failWritesAfter = 40000;
  TBackupFile failing(&full);
  failing.MaxSize = 30000;
  failing.RemoveOldVolumes = true;
  EXPECT_THROW(failing.Backup({dir / "big"}, archive), EArchiveError);
  EXPECT_EQ(Volumes(archive), (std::vector<std::string>{"O.PX", "O.002", "O.006"}));
  // Stopped at the prompt for its third volume: no old third volume can be taken for it.
  oldSet();
  TBackupFile declined;
  declined.MaxSize = 30000;
  declined.RemoveOldVolumes = true;
  declined.OnNeedDisk = [](TBackupFile&, std::uint16_t disk, bool& go) { go = disk < 3; };
  EXPECT_FALSE(declined.Backup({dir / "big"}, archive).completed);
  EXPECT_EQ(Volumes(archive), (std::vector<std::string>{"O.PX", "O.002", "O.006"}));
  // One that cannot be removed is named.
  oldSet();
  class Stubborn : public platform::EnvWrapper {
   public:
    Stubborn() : EnvWrapper(platform::Env::Default()) {}
    bool RemoveFile(const std::string& path) override { return !path.ends_with(".003") && EnvWrapper::RemoveFile(path); }
  } stubborn;
  TBackupFile stuck(&stubborn);
  Listen(stuck);
  stuck.RemoveOldVolumes = true;
  stuck.Backup({dir / "small"}, archive);
  ASSERT_EQ(warnings.size(), 1u);
  EXPECT_EQ(warnings[0], QuotedName(dir / "O.003") + " of the replaced set could not be removed: remove it by hand, "
                         "or a join may take it for a volume of the new set");
}

TEST_F(BackupSafetyTest, ASourceThatChangesWhileStoredIsNamed) {
  const Bytes data = test::RandomBytes(3 * format::kChunkSize + 500, 8);
  test::WriteFile(dir / "shrinks", data);
  test::WriteFile(dir / "grows", data);
  test::WriteFile(dir / "still", data);
  for (const unsigned threads : {1u, 4u}) {
    SCOPED_TRACE(threads);
    warnings.clear();
    test::FaultEnv env;
    env.shortFiles = {dir / "shrinks"};
    env.shortAfter = 40000;
    TBackupFile bf(&env);
    Listen(bf);
    bf.Threads = threads;
    bool grown = false;
    bf.OnProgress = [&](TBackupFile&, const std::string& name, TPercentage, bool&) {
      // Appended to once its first block is stored. Threads that read ahead
      // may have read it whole by then, so it grows only for one thread.
      if (threads == 1 && name.ends_with("/grows") && !std::exchange(grown, true)) {
        const Bytes more(100, 'm');
        std::FILE* f = std::fopen((dir / "grows").c_str(), "ab");
        std::fwrite(more.data(), 1, more.size(), f);
        std::fclose(f);
      }
    };
    const TBackupResult result = bf.Backup({dir / "shrinks", dir / "grows", dir / "still"}, dir / "G.PX");
    ASSERT_TRUE(result.completed);
    std::vector<std::string> changed = {dir / "shrinks"};
    if (threads == 1) changed.push_back(dir / "grows");
    EXPECT_EQ(result.changed, changed);
    EXPECT_EQ(warnings.size(), changed.size());
    EXPECT_EQ(warnings[0], QuotedName(dir / "shrinks") + " changed while being stored: the set holds the 40000 bytes "
                           "read of it, which may not be what the file holds now");
    Verify(dir / "G.PX");
    TBackupFile join;
    ASSERT_EQ(join.Restore(dir / "G.PX", dir / "out").Complete(), 3);
    EXPECT_EQ(test::ReadFile(dir / "out/shrinks"), Bytes(data.begin(), data.begin() + 40000));
    EXPECT_EQ(test::ReadFile(dir / "out/grows"), data);  // as far as its size at opening
    EXPECT_EQ(test::ReadFile(dir / "out/still"), data);
    test::WriteFile(dir / "grows", data);
  }
}

TEST_F(BackupSafetyTest, ThreadCountsAreBounded) {
  test::WriteFile(dir / "f", test::TextLike(100, 9));
  TBackupFile bf;
  bf.Threads = TBackupFile::MaxThreads() + 1;
  EXPECT_GE(TBackupFile::MaxThreads(), 4u);
  EXPECT_LE(TBackupFile::MaxThreads(), 256u);
  EXPECT_THROW(bf.Backup({dir / "f"}, dir / "T.PX"), Exception);
  EXPECT_FALSE(fs::exists(dir / "T.PX"));
  bf.Threads = 100000;
  EXPECT_THROW(bf.Restore(dir / "T.PX", dir / "out"), Exception);
  bf.Threads = TBackupFile::MaxThreads();
  EXPECT_TRUE(bf.Backup({dir / "f"}, dir / "T.PX").completed);
}

}  // namespace
}  // namespace parvex
