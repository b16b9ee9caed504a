// Restore and the title reader: round trips of real files through Backup, the
// restore modes, target names, prompts for further volumes, and damaged or
// hostile sets, which must end with a clear error and never write elsewhere.
#include <gtest/gtest.h>

#include <filesystem>

#include "engine/backup.h"
#include "engine/format.h"
#include "engine/restore_names.h"
#include "tests/support/FaultEnv.h"
#include "tests/support/TestFiles.h"

namespace parvex {
namespace {

using test::Bytes;
namespace fs = std::filesystem;

class RestoreTest : public testing::Test {
 protected:
  test::TempDir dir;
  std::vector<std::string> warnings;
  std::vector<int> disks;

  void Split(const std::vector<std::string>& files, const std::string& archive, std::int32_t maxSize = 0) {
    TBackupFile bf;
    bf.MaxSize = maxSize;
    bf.BackupTitle = "round trip";
    ASSERT_TRUE(bf.Backup(files, archive).completed);
  }
  void Listen(TBackupFile& bf) {
    bf.Warning = [this](const std::string& w) { warnings.push_back(w); };
    bf.OnNeedDisk = [this](TBackupFile&, std::uint16_t d, bool&) { disks.push_back(d); };
  }
  std::int32_t Join(const std::string& archive, const std::string& dest, TRestoreMode mode = rmAll,
                    bool fullPath = false) {
    TBackupFile bf;
    Listen(bf);
    bf.RestoreMode = mode;
    bf.RestoreFullPath = fullPath;
    return bf.Restore(archive, dest).created;
  }
};

TEST_F(RestoreTest, RoundTripOfManyKindsOfFilesWithTheirTimes) {
  fs::create_directories(dir / "src/sub dir");
  std::vector<std::pair<std::string, Bytes>> files = {
      {"src/empty", {}},
      {"src/one byte", {42}},
      {"src/sub dir/Größe ünd Maß.txt", test::TextLike(5000, 1)},
      {"src/exact", test::TextLike(format::kChunkSize, 2)},
      {"src/exact+1", test::TextLike(format::kChunkSize + 1, 3)},
      {"src/large.bin", test::RealFiles("/usr/lib/x86_64-linux-gnu/libc.so.6", 1 << 20)},
      {"src/runs", test::RunHeavy(300000, 4)},
  };
  for (int i = 0; i < 40; ++i) files.push_back({"src/small" + std::to_string(i), test::TextLike(i * 37, i)});
  std::vector<std::string> names;
  for (auto& [name, data] : files) {
    test::WriteFile(dir / name, data);
    names.push_back(dir / name);
  }
  platform::Env* env = platform::Env::Default();
  env->SetDosFileTime(dir / "src/runs", 0x56A47000);  // 2023-05-04 14:00:00

  for (std::int32_t maxSize : {0, 150000}) {
    const std::string archive = dir / ("set" + std::to_string(maxSize) + ".PX");
    Split(names, archive, maxSize);
    const std::string out = dir / ("out" + std::to_string(maxSize));
    disks.clear();
    EXPECT_EQ(Join(archive, out, rmAll, false), static_cast<std::int32_t>(files.size()));
    for (auto& [name, data] : files) {
      const std::string target = out + "/" + fs::path(name).filename().string();
      EXPECT_EQ(test::ReadFile(target), data) << name;
      EXPECT_EQ(env->GetDosFileTime(target), env->GetDosFileTime(dir / name)) << name;
    }
    if (maxSize) {
      EXPECT_GE(disks.size(), 3u);
    }
    EXPECT_TRUE(warnings.empty());
  }
}

TEST_F(RestoreTest, FullPathKeepsTheStoredDirectoriesBelowTheDestination) {
  fs::create_directories(dir / "a/b");
  test::WriteFile(dir / "a/b/f.txt", test::TextLike(100, 1));
  Split({dir / "a/b/f.txt"}, dir / "P.PX");
  EXPECT_EQ(Join(dir / "P.PX", dir / "out/", rmAll, true), 1);
  EXPECT_EQ(test::ReadFile(dir / ("out" + dir.path() + "/a/b/f.txt")), test::TextLike(100, 1));
}

TEST_F(RestoreTest, EmptyDestinationRestoresToTheStoredPath) {
  fs::create_directories(dir / "a");
  test::WriteFile(dir / "a/f", test::TextLike(100, 1));
  Split({dir / "a/f"}, dir / "Q.PX");
  fs::remove_all(dir / "a");
  EXPECT_EQ(Join(dir / "Q.PX", ""), 1);
  EXPECT_EQ(test::ReadFile(dir / "a/f"), test::TextLike(100, 1));
}

TEST_F(RestoreTest, RestoreModesCompareTheStoredTimeWithTheTarget) {
  platform::Env* env = platform::Env::Default();
  test::WriteFile(dir / "f", test::TextLike(100, 1));
  const std::uint32_t t = 0x56A47000;
  env->SetDosFileTime(dir / "f", t);
  Split({dir / "f"}, dir / "M.PX");
  struct Case {
    TRestoreMode mode;
    std::int64_t targetTime;  // -1: no target
    bool restored;
  };
  const std::uint32_t older = t - 0x20, newer = t + 0x20;
  const Case cases[] = {
      {rmAll, -1, true},          {rmAll, newer, true},           {rmNoOverwrite, -1, true},
      {rmNoOverwrite, older, false}, {rmNewer, -1, true},         {rmNewer, older, true},
      {rmNewer, t, false},        {rmNewer, newer, false},        {rmExisting, -1, false},
      {rmExisting, newer, true},  {rmExistingNewer, -1, false},   {rmExistingNewer, older, true},
      {rmExistingNewer, t, false},
  };
  int i = 0;
  for (const Case& c : cases) {
    const std::string out = dir.path() + "/m" + std::to_string(i++);
    fs::create_directories(out);
    if (c.targetTime >= 0) {
      test::WriteFile(out + "/f", {1, 2, 3});
      env->SetDosFileTime(out + "/f", static_cast<std::uint32_t>(c.targetTime));
    }
    EXPECT_EQ(Join(dir / "M.PX", out, c.mode), c.restored ? 1 : 0) << i;
    EXPECT_EQ(fs::exists(out + "/f") && test::ReadFile(out + "/f").size() == 100, c.restored) << i;
  }
}

TEST_F(RestoreTest, OnRestoreFileRenamesAcrossVolumesAndSkips) {
  const Bytes big = test::RandomBytes(120000, 1);
  test::WriteFile(dir / "big", big);
  test::WriteFile(dir / "small", test::TextLike(10, 2));
  Split({dir / "big", dir / "small"}, dir / "R.PX", 30000);  // one block per volume
  TBackupFile bf;
  Listen(bf);
  bf.OnRestoreFile = [&](TBackupFile&, std::string& name, bool& doIt) {
    if (name.ends_with("/big")) {
      name = dir / "renamed/big.copy";
    } else {
      doIt = false;
    }
  };
  EXPECT_EQ(bf.Restore(dir / "R.PX", dir / "out").created, 1);
  EXPECT_EQ(test::ReadFile(dir / "renamed/big.copy"), big);
  EXPECT_FALSE(fs::exists(dir / "out/small"));
  EXPECT_EQ(disks, (std::vector<int>{2, 3, 4}));
}

TEST_F(RestoreTest, RestoreReportsWhatItDid) {
  for (const char* name : {"a", "b", "c"}) test::WriteFile(dir / name, test::TextLike(40000, name[0]));
  Split({dir / "a", dir / "b", dir / "c"}, dir / "T.PX", 30000);
  fs::create_directories(dir / "out");
  test::WriteFile(dir / "out/b", {1});
  TBackupFile bf;
  Listen(bf);
  bf.RestoreMode = rmNoOverwrite;
  const TRestoreResult result = bf.Restore(dir / "T.PX", dir / "out");
  EXPECT_EQ(result.created, 2);
  EXPECT_EQ(result.passedOver, 1);
  EXPECT_TRUE(result.incomplete.empty());
  EXPECT_TRUE(result.setCompleted);
  EXPECT_FALSE(result.stopped || result.salvaged);
  EXPECT_EQ(result.volumes, disks.size() + 1);
  EXPECT_EQ(test::ReadFile(dir / "out/b"), Bytes{1});
}

TEST_F(RestoreTest, PassedOverFileSpanningVolumesStillAsksForThem) {
  test::WriteFile(dir / "big", test::RandomBytes(120000, 1));
  Split({dir / "big"}, dir / "S.PX", 30000);
  std::vector<int> progress;
  TBackupFile bf;
  Listen(bf);
  bf.RestoreMode = rmExisting;
  bf.OnProgress = [&](TBackupFile&, const std::string&, TPercentage p, bool&) { progress.push_back(p); };
  EXPECT_EQ(bf.Restore(dir / "S.PX", dir / "out").created, 0);
  EXPECT_EQ(disks, (std::vector<int>{2, 3, 4}));
  EXPECT_FALSE(fs::exists(dir / "out/big"));
  for (std::size_t i = 1; i < progress.size(); ++i) EXPECT_GE(progress[i], progress[i - 1]);
  ASSERT_GE(progress.size(), 2u);
  EXPECT_EQ(progress[progress.size() - 2], 100);  // the last block brings it to 100 exactly
  EXPECT_EQ(progress.back(), 100);
}

TEST_F(RestoreTest, DeclinedPromptEndsInOrder) {
  test::WriteFile(dir / "a", test::TextLike(100, 1));
  test::WriteFile(dir / "big", test::RandomBytes(120000, 1));
  Split({dir / "a", dir / "big"}, dir / "D.PX", 40000);
  TBackupFile bf;
  std::vector<std::string> prompts;
  bf.AskForVolume = [&](const TVolumeRequest& request) {
    prompts.push_back(std::to_string(request.volume) + " " + request.fileName);
    return false;
  };
  int lastPercent = -1;
  bf.OnProgress = [&](TBackupFile&, const std::string& name, TPercentage p, bool&) {
    if (name.empty()) lastPercent = p;
  };
  EXPECT_EQ(bf.Restore(dir / "D.PX", dir / "out").created, 2);
  EXPECT_EQ(prompts, (std::vector<std::string>{"2 " + dir / "D.002"}));
  EXPECT_EQ(lastPercent, 100);
  EXPECT_FALSE(bf.Busy());
}

TEST_F(RestoreTest, MissingVolumeIsAskedForAgainOrIsAnError) {
  test::WriteFile(dir / "big", test::RandomBytes(80000, 1));
  Split({dir / "big"}, dir / "V.PX", 40000);
  fs::rename(dir / "V.002", dir / "V.002.away");
  {
    TBackupFile bf;  // nobody to ask
    try {
      bf.Restore(dir / "V.PX", dir / "out1");
      FAIL();
    } catch (const EArchiveError& e) {
      EXPECT_NE(std::string(e.what()).find(dir / "V.002"), std::string::npos) << e.what();
    }
    EXPECT_FALSE(bf.Busy());
    // What was restored so far stays.
    EXPECT_TRUE(fs::exists(dir / "out1/big"));
  }
  {
    TBackupFile bf;  // a handler that neither stops nor brings the volume
    bf.OnNeedDisk = [](TBackupFile&, std::uint16_t, bool&) {};
    EXPECT_THROW(bf.Restore(dir / "V.PX", dir / "out2"), EArchiveError);
  }
  {
    TBackupFile bf;  // the user fetches the disk after the second prompt
    int asked = 0;
    bf.AskForVolume = [&](const TVolumeRequest&) {
      if (++asked == 3) fs::rename(dir / "V.002.away", dir / "V.002");
      return true;
    };
    EXPECT_EQ(bf.Restore(dir / "V.PX", dir / "out3").created, 1);
    EXPECT_EQ(asked, 3);
    EXPECT_EQ(test::ReadFile(dir / "out3/big"), test::RandomBytes(80000, 1));
  }
}

TEST_F(RestoreTest, AbortedSetIsRestoredUpToItsEnd) {
  test::WriteFile(dir / "a", test::TextLike(1000, 1));
  test::WriteFile(dir / "b", test::TextLike(100000, 2));
  TBackupFile bf;
  int blocks = 0;
  bf.OnProgress = [&](TBackupFile&, const std::string& name, TPercentage, bool& go) {
    if (!name.empty() && ++blocks == 2) go = false;
  };
  ASSERT_FALSE(bf.Backup({dir / "a", dir / "b"}, dir / "A.PX").completed);
  EXPECT_EQ(Join(dir / "A.PX", dir / "out"), 2);
  EXPECT_EQ(test::ReadFile(dir / "out/a"), test::TextLike(1000, 1));
  EXPECT_EQ(test::ReadFile(dir / "out/b").size(), format::kChunkSize);
  // Its last block was a whole chunk: the file may have gone on.
  ASSERT_EQ(warnings.size(), 2u);
  EXPECT_EQ(warnings[0], "\"" + dir / "out/b" + "\" is incomplete: only its first 32773 bytes were restored");
  EXPECT_NE(warnings[1].find("end record"), std::string::npos);
}

TEST_F(RestoreTest, EmptyFileWithoutSegmentFromOlderSets) {
  // Record "e" with its time and no segment, then record "f" with one block.
  Bytes v;
  auto put32 = [&](std::uint32_t x) { for (int i = 0; i < 4; ++i) v.push_back(static_cast<std::uint8_t>(x >> (8 * i))); };
  auto text = [&](const std::string& s) { put32(static_cast<std::uint32_t>(s.size())); v.insert(v.end(), s.begin(), s.end()); };
  text("");
  put32(3);
  put32(2);
  text("C:\\DATA\\E.TXT");
  put32(0x56A47000);
  text("C:\\DATA\\F.TXT");
  put32(0x56A47000);
  v.insert(v.end(), {'E', 'C', 'S', 0});
  put32(8);
  put32(4);
  v.insert(v.end(), {0x80, 'a', 'b', 'c'});
  put32(0);
  test::WriteFile(dir / "old.PX", v);
  EXPECT_EQ(Join(dir / "old.PX", dir / "out"), 2);
  EXPECT_EQ(test::ReadFile(dir / "out/E.TXT").size(), 0u);
  EXPECT_EQ(test::ReadFile(dir / "out/F.TXT"), (Bytes{'a', 'b', 'c'}));
  // Without a destination, a drive name is refused with a warning.
  warnings.clear();
  EXPECT_EQ(Join(dir / "old.PX", ""), 0);
  EXPECT_EQ(warnings.size(), 2u);
}

TEST_F(RestoreTest, TitleReader) {
  TBackupFile bf;
  EXPECT_EQ(bf.ReadArchiveTitle(dir / "none.PX"), "");
  test::WriteFile(dir / "t.PX", {3, 0, 0, 0, 'a', 'b', 'c', 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0});
  EXPECT_EQ(bf.ReadArchiveTitle(dir / "t.PX"), "abc");
  test::WriteFile(dir / "v.PX", {3, 0, 0, 0, 'a', 'b', 'c'});  // no header after the title
  EXPECT_THROW(bf.ReadArchiveTitle(dir / "v.PX"), EArchiveError);
  test::WriteFile(dir / "u.PX", {0xFF, 0xFF, 0xFF, 0x7F, 'a'});
  EXPECT_THROW(bf.ReadArchiveTitle(dir / "u.PX"), EArchiveError);
  test::WriteFile(dir / "w.PX", {1, 0});
  EXPECT_THROW(bf.ReadArchiveTitle(dir / "w.PX"), EArchiveError);
  EXPECT_EQ(bf.Restore(dir / "none.PX", dir / "out").created, 0);
}

// Every truncation of a small set and many byte flips end with either a result
// or an EArchiveError; nothing is written outside the destination.
TEST_F(RestoreTest, DamagedSetsFailCleanly) {
  fs::create_directories(dir / "src");
  test::WriteFile(dir / "src/a", test::TextLike(3000, 1));
  test::WriteFile(dir / "src/b", test::RunHeavy(40000, 2));
  Split({dir / "src/a", dir / "src/b"}, dir / "C.PX");
  const Bytes good = test::ReadFile(dir / "C.PX");
  auto attempt = [&](const Bytes& bytes) {
    test::WriteFile(dir / "bad.PX", bytes);
    TBackupFile bf;
    bf.RestoreFullPath = true;
    try {
      bf.Restore(dir / "bad.PX", dir / "dest");
    } catch (const EArchiveError&) {
    }
    EXPECT_FALSE(bf.Busy());
  };
  for (std::size_t len = 0; len < good.size(); len += (len < 200 ? 1 : 97)) {
    attempt(Bytes(good.begin(), good.begin() + static_cast<std::ptrdiff_t>(len)));
  }
  for (std::size_t i = 0; i < good.size(); i += (i < 300 ? 1 : 131)) {
    for (std::uint8_t flip : {0x01, 0x80, 0xFF}) {
      Bytes b = good;
      b[i] ^= flip;
      attempt(b);
    }
  }
  for (const auto& entry : fs::directory_iterator(dir.path())) {
    const std::string name = entry.path().filename().string();
    EXPECT_TRUE(name == "src" || name == "dest" || name == "C.PX" || name == "bad.PX") << name;
  }
}

TEST_F(RestoreTest, ClaimedLengthsAreCheckedBeforeAnythingIsAllocated) {
  Bytes v = {0, 0, 0, 0, 10, 0, 0, 0, 1, 0, 0, 0};
  v.insert(v.end(), {1, 0, 0, 0, 'a', 0, 0, 0x21, 0, 'E', 'C', 'S', 0, 0, 0, 0, 0});  // file "a", empty segment
  v.insert(v.end(), {0xF0, 0xFF, 0xFF, 0x7F});  // a record of 2 GiB at offset 29
  test::WriteFile(dir / "h.PX", v);
  TBackupFile bf;
  try {
    bf.Restore(dir / "h.PX", dir / "out");
    FAIL();
  } catch (const EArchiveError& e) {
    EXPECT_EQ(e.Fixed(), kCannotReadArchive);
    EXPECT_NE(e.Detail().find("offset 29"), std::string::npos) << e.what();
  }
}

TEST(TargetNames, LinuxAndWindowsNames) {
  auto target = [](const std::string& s, const std::string& d, bool full) {
    const TargetName t = MakeTargetName(s, d, full);
    return t.ok ? t.name : "(skip)";
  };
  EXPECT_EQ(target("C:\\DATA\\A.TXT", "/r", false), "/r/A.TXT");
  EXPECT_EQ(target("C:\\DATA\\A.TXT", "/r/", true), "/r/DATA/A.TXT");
  EXPECT_EQ(target("C:A.TXT", "/r", false), "/r/A.TXT");
  EXPECT_EQ(target("/home/ann/a b.txt", "/r", true), "/r/home/ann/a b.txt");
  EXPECT_EQ(target("\\\\server\\share\\dir\\x", "/r", true), "/r/dir/x");
  EXPECT_EQ(target("/home/ann/x", "", false), "/home/ann/x");
  EXPECT_EQ(target("C:\\DATA\\A.TXT", "", true), "(skip)");
  EXPECT_EQ(target("/a/../../etc/passwd", "/r", true), "(skip)");
  EXPECT_EQ(target("..\\..\\evil", "/r", true), "(skip)");
  EXPECT_EQ(target("/a/../../etc/passwd", "/r", false), "(skip)");  // in every mode
  EXPECT_EQ(target("/a/../../etc/passwd", "", false), "(skip)");
  EXPECT_EQ(target("C:..\\evil", "/r", false), "(skip)");
  EXPECT_EQ(target("\\\\server\\share\\dir\\B.TXT", "", false), "(skip)");
  EXPECT_EQ(target("relative/x", "", false), "(skip)");
  EXPECT_EQ(target("\\DATA\\A.TXT", "", false), "/DATA/A.TXT");
  EXPECT_EQ(target("/home//ann/./x", "", false), "/home/ann/x");
  EXPECT_EQ(target("/a/..b/c", "/r", true), "/r/a/..b/c");  // a name that merely starts with dots
  EXPECT_NE(MakeTargetName("\\\\server\\share\\x", "", false).warning.find("choose a destination directory"),
            std::string::npos);
  EXPECT_EQ(target("/a/dir/", "/r", false), "(skip)");
  EXPECT_EQ(target(std::string("/a/b\0c", 6), "/r", false), "(skip)");
  EXPECT_FALSE(MakeTargetName("/x/..", "/r", false).warning.empty());
}

}  // namespace
}  // namespace parvex
