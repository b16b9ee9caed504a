// Backup: volumes checked byte for byte against hand-built expectations, volume
// changes, aborts, incremental runs, wildcard lists and the failure paths.
#include "engine/backup.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <unistd.h>

#include "engine/format.h"
#include "tests/support/FaultEnv.h"
#include "tests/support/SetBytes.h"
#include "tests/support/TestFiles.h"

namespace parvex {
namespace {

using test::Bytes;
using test::Put32;
using test::PutBlock;
using test::PutText;
namespace fs = std::filesystem;

std::uint32_t DosTimeOf(const std::string& path) {
  return static_cast<std::uint32_t>(platform::Env::Default()->GetDosFileTime(path));
}

struct Events {
  std::vector<std::pair<std::string, int>> progress;
  std::vector<int> disks;
  void Attach(TBackupFile& bf) {
    bf.OnProgress = [this](TBackupFile&, const std::string& name, TPercentage p, bool&) {
      progress.emplace_back(name, p);
    };
    bf.OnNeedDisk = [this](TBackupFile&, std::uint16_t disk, bool&) { disks.push_back(disk); };
  }
  void ExpectMonotonicEndingAt100() const {
    ASSERT_FALSE(progress.empty());
    for (std::size_t i = 1; i < progress.size(); ++i) EXPECT_GE(progress[i].second, progress[i - 1].second);
    EXPECT_EQ(progress.back(), (std::pair<std::string, int>("", 100)));
  }
};

class BackupTest : public testing::Test {
 protected:
  test::TempDir dir;
  test::FaultEnv env;
  TBackupFile bf{&env};
  Events events;
  void SetUp() override { events.Attach(bf); }
};

TEST_F(BackupTest, DefaultsAndProperties) {
  TBackupFile fresh;
  EXPECT_EQ(fresh.Version(), "1.30");
  fresh.SetVersion("9.99");
  EXPECT_EQ(fresh.Version(), "1.30");
  EXPECT_EQ(fresh.BackupMode(), bmAll);
  EXPECT_EQ(fresh.RestoreMode, rmAll);
  EXPECT_EQ(fresh.MaxSize, 0);
  EXPECT_FALSE(fresh.SetArchiveFlag || fresh.RestoreFullPath || fresh.SaveFileID || fresh.Busy());
  fresh.SetBackupMode(bmIncremental);
  EXPECT_TRUE(fresh.SetArchiveFlag);
  fresh.SetArchiveFlag = false;
  fresh.SetBackupMode(bmIncremental);  // unchanged value: no side effect
  EXPECT_FALSE(fresh.SetArchiveFlag);
}

TEST_F(BackupTest, EmptyListGivesHeaderAndEndRecord) {
  bf.BackupTitle = "nothing";
  ASSERT_TRUE(bf.Backup({}, dir / "E.PX").completed);
  Bytes expected;
  PutText(expected, "nothing");
  Put32(expected, 0);
  Put32(expected, 0);
  Put32(expected, 0);
  EXPECT_EQ(test::ReadFile(dir / "E.PX"), expected);
  EXPECT_EQ(bf.FileCount, 0);
  EXPECT_FALSE(bf.Busy());
  EXPECT_EQ(events.progress, (std::vector<std::pair<std::string, int>>{{"", 0}, {"", 100}}));
}

TEST_F(BackupTest, OneVolumeIsByteExact) {
  const Bytes small = test::TextLike(1000, 1);
  const Bytes twoBlocks = test::TextLike(format::kChunkSize + 1, 2);
  test::WriteFile(dir / "a.txt", small);
  test::WriteFile(dir / "b.txt", twoBlocks);
  test::WriteFile(dir / "empty", {});
  bf.BackupTitle = "My set";
  ASSERT_TRUE(bf.Backup({dir / "a.txt", dir / "b.txt", dir / "empty"}, dir / "S.PX").completed);

  Bytes expected;
  PutText(expected, "My set");
  Put32(expected, static_cast<std::uint32_t>(small.size() + twoBlocks.size()));
  Put32(expected, 3);
  PutText(expected, dir / "a.txt");
  Put32(expected, DosTimeOf(dir / "a.txt"));
  Bytes seg;
  PutBlock(seg, small);
  expected.insert(expected.end(), {'E', 'C', 'S', 0});
  Put32(expected, static_cast<std::uint32_t>(seg.size()));
  expected.insert(expected.end(), seg.begin(), seg.end());
  PutText(expected, dir / "b.txt");
  Put32(expected, DosTimeOf(dir / "b.txt"));
  seg.clear();
  PutBlock(seg, Bytes(twoBlocks.begin(), twoBlocks.begin() + format::kChunkSize));
  PutBlock(seg, Bytes(twoBlocks.end() - 1, twoBlocks.end()));
  expected.insert(expected.end(), {'E', 'C', 'S', 0});
  Put32(expected, static_cast<std::uint32_t>(seg.size()));
  expected.insert(expected.end(), seg.begin(), seg.end());
  PutText(expected, dir / "empty");
  Put32(expected, DosTimeOf(dir / "empty"));
  expected.insert(expected.end(), {'E', 'C', 'S', 0, 0, 0, 0, 0});  // empty file: empty segment
  Put32(expected, 0);
  EXPECT_EQ(test::ReadFile(dir / "S.PX"), expected);
  events.ExpectMonotonicEndingAt100();
  EXPECT_TRUE(events.disks.empty());
}

TEST_F(BackupTest, ThreeHundredThousandBytesOverThreeVolumes) {
  // A 20-character name, as in the classic example.
  char name[32];
  std::snprintf(name, sizeof name, "/tmp/pvx%08d.bin", static_cast<int>(getpid() % 100000000));
  ASSERT_EQ(std::string(name).size(), 20u);
  const Bytes data = test::RandomBytes(300000, 5);
  test::WriteFile(name, data);
  bf.MaxSize = 102400;
  const TBackupResult result = bf.Backup({name}, dir / "X.PX");
  fs::remove(name);
  ASSERT_TRUE(result.completed);
  EXPECT_EQ(fs::file_size(dir / "X.PX"), 131176u);
  EXPECT_EQ(fs::file_size(dir / "X.002"), 131136u);
  EXPECT_EQ(fs::file_size(dir / "X.003"), 8u + 32778u + 5048u + 4u);
  // What was written comes back from the backup itself.
  ASSERT_EQ(result.volumes.size(), 3u);
  for (unsigned k = 1; k <= 3; ++k) {
    EXPECT_EQ(result.volumes[k - 1].name, format::VolumeName(dir / "X.PX", k));
    EXPECT_EQ(result.volumes[k - 1].size, static_cast<std::int64_t>(fs::file_size(result.volumes[k - 1].name)));
  }
  EXPECT_EQ(result.filesStored, 1);
  EXPECT_EQ(result.bytesIn, 300000);
  EXPECT_EQ(events.disks, (std::vector<int>{2, 3}));
  const Bytes first = test::ReadFile(dir / "X.PX");
  Bytes tail;
  PutText(tail, "NEXT:DISK002");
  EXPECT_TRUE(std::equal(tail.begin(), tail.end(), first.end() - 16));
  const Bytes third = test::ReadFile(dir / "X.003");
  EXPECT_EQ(Bytes(third.begin(), third.begin() + 4), (Bytes{'E', 'C', 'S', 0}));
  events.ExpectMonotonicEndingAt100();
}

TEST_F(BackupTest, VolumeFullRightAfterAFileRecordGivesAnEmptySegment) {
  test::WriteFile(dir / "one", test::RandomBytes(100, 1));
  test::WriteFile(dir / "two", test::RandomBytes(100, 2));
  // Before the first block the volume holds 28 + the name; after it 133 + the name.
  bf.MaxSize = static_cast<std::int32_t>(100 + 28 + (dir / "one").size() + 50);
  ASSERT_TRUE(bf.Backup({dir / "one", dir / "two"}, dir / "V.PX").completed);
  const Bytes v1 = test::ReadFile(dir / "V.PX");
  // ... record "two", time, then ECS with length 0, then NEXT:DISK002.
  Bytes tail;
  PutText(tail, dir / "two");
  Put32(tail, DosTimeOf(dir / "two"));
  tail.insert(tail.end(), {'E', 'C', 'S', 0, 0, 0, 0, 0});
  PutText(tail, "NEXT:DISK002");
  ASSERT_GE(v1.size(), tail.size());
  EXPECT_TRUE(std::equal(tail.begin(), tail.end(), v1.end() - static_cast<std::ptrdiff_t>(tail.size())));
  EXPECT_EQ(events.disks, (std::vector<int>{2}));
}

TEST_F(BackupTest, AbortFromProgressCompletesTheSegmentWithoutEndRecord) {
  test::WriteFile(dir / "big", test::TextLike(200000, 3));
  test::WriteFile(dir / "next", test::TextLike(100, 4));
  int calls = 0;
  bf.OnProgress = [&](TBackupFile&, const std::string& name, TPercentage p, bool& go) {
    events.progress.emplace_back(name, p);
    if (++calls == 2) go = false;  // the first block's report
  };
  EXPECT_FALSE(bf.Backup({dir / "big", dir / "next"}, dir / "A.PX").completed);
  EXPECT_FALSE(bf.Busy());
  const Bytes v = test::ReadFile(dir / "A.PX");
  // header, record, time, segment with exactly one block; nothing after it.
  const std::size_t segAt = 4 + 0 + 8 + 4 + (dir / "big").size() + 4;
  ASSERT_GT(v.size(), segAt + 8);
  const std::uint32_t segLength = format::DecodeFixed32(&v[segAt + 4]);
  const std::uint32_t blockLength = format::DecodeFixed32(&v[segAt + 8]);
  EXPECT_EQ(segLength, 4 + blockLength);
  EXPECT_EQ(v.size(), segAt + 8 + segLength);
  EXPECT_EQ(events.progress.back(), (std::pair<std::string, int>("", 100)));
}

TEST_F(BackupTest, DeclinedDiskStillWritesTheRefusedVolumesIdFile) {
  test::WriteFile(dir / "f", test::RandomBytes(100000, 6));
  bf.MaxSize = 40000;
  bf.SaveFileID = true;
  bf.OnNeedDisk = [&](TBackupFile&, std::uint16_t disk, bool& go) {
    events.disks.push_back(disk);
    go = false;
  };
  EXPECT_FALSE(bf.Backup({dir / "f"}, dir / "D.PX").completed);
  EXPECT_EQ(events.disks, (std::vector<int>{2}));
  EXPECT_FALSE(fs::exists(dir / "D.002"));
  const std::string date = platform::ShortDateText(env.now), time = platform::LongTimeText(env.now);
  const Bytes id1 = test::ReadFile(dir / "FILE001.ID");
  std::string line = dir / "f";
  line.resize(std::max<std::size_t>(45, line.size()), ' ');
  const std::string expected1 = "DISK:1\r\nDATE:" + date + "\r\nTIME:" + time + "\r\n" + line + " 100000\r\n";
  EXPECT_EQ(std::string(id1.begin(), id1.end()), expected1);
  const Bytes id2 = test::ReadFile(dir / "FILE002.ID");
  EXPECT_EQ(std::string(id2.begin(), id2.end()), "DISK:2\r\nDATE:" + date + "\r\nTIME:" + time + "\r\n");
  const Bytes v = test::ReadFile(dir / "D.PX");
  Bytes tail;
  PutText(tail, "NEXT:DISK002");
  EXPECT_TRUE(std::equal(tail.begin(), tail.end(), v.end() - 16));
}

TEST_F(BackupTest, IdFilesListTheFilesWhoseRecordBeginsOnEachVolume) {
  test::WriteFile(dir / "a", test::RandomBytes(50000, 1));
  test::WriteFile(dir / "b", test::RandomBytes(10, 2));
  bf.MaxSize = 30000;  // one block per volume: "a" ends on volume 2
  bf.SaveFileID = true;
  ASSERT_TRUE(bf.Backup({dir / "a", dir / "b"}, dir / "I.PX").completed);
  const Bytes id1 = test::ReadFile(dir / "FILE001.ID");
  const Bytes id2 = test::ReadFile(dir / "FILE002.ID");
  const std::string s1(id1.begin(), id1.end()), s2(id2.begin(), id2.end());
  EXPECT_NE(s1.find(dir / "a"), std::string::npos);
  EXPECT_EQ(s1.find(dir / "b"), std::string::npos);
  EXPECT_NE(s2.find(dir / "b"), std::string::npos);
  EXPECT_EQ(s2.rfind("DISK:2\r\n", 0), 0u);
}

TEST_F(BackupTest, WildcardsDirectoriesAndMissingFiles) {
  test::WriteFile(dir / "x1.dat", test::TextLike(10, 1));
  test::WriteFile(dir / "x2.dat", test::TextLike(20, 2));
  test::WriteFile(dir / ".hidden.dat", test::TextLike(30, 3));
  fs::create_directory(dir / "xdir.dat");
  ASSERT_TRUE(bf.Backup({dir / "*.dat", dir / "missing.txt", dir / "x?.dat"}, dir / "W.PX").completed);
  // *.dat: .hidden.dat, x1.dat, x2.dat, xdir.dat; x?.dat: x1.dat, x2.dat
  EXPECT_EQ(bf.FileCount, 6);
  EXPECT_EQ(bf.TotalSize, 30 + 10 + 20 + 10 + 20);
  const Bytes v = test::ReadFile(dir / "W.PX");
  EXPECT_EQ(format::DecodeFixed32(&v[4]), 90u);
  EXPECT_EQ(format::DecodeFixed32(&v[8]), 6u);
}

TEST_F(BackupTest, LiteralNamesAreTheOneFileEach) {
  // Names that hold wildcard characters, beside names such a pattern would match.
  test::WriteFile(dir / "a?c", test::TextLike(10, 1));
  test::WriteFile(dir / "abc", test::TextLike(20, 2));
  test::WriteFile(dir / "*", test::TextLike(40, 3));
  bf.LiteralNames = true;
  ASSERT_TRUE(bf.Backup({dir / "a?c", dir / "*"}, dir / "L.PX").completed);
  EXPECT_EQ(bf.FileCount, 2);
  EXPECT_EQ(bf.TotalSize, 10 + 40);
  // The same list as patterns takes every match.
  bf.LiteralNames = false;
  ASSERT_TRUE(bf.Backup({dir / "a?c", dir / "*"}, dir / "P.PX").completed);
  EXPECT_EQ(bf.FileCount, 2 + 4);  // a?c, abc; then *, L.PX, a?c, abc
  // Incremental runs still take only the files that have the attribute.
  env.ClearArchiveAttribute(dir / "abc");
  if (env.HasArchiveAttribute(dir / "abc")) GTEST_SKIP() << "no user extended attributes here";
  bf.LiteralNames = true;
  bf.SetBackupMode(bmIncremental);
  ASSERT_TRUE(bf.Backup({dir / "abc", dir / "a?c"}, dir / "I.PX").completed);
  EXPECT_EQ(bf.FileCount, 1);
}

TEST_F(BackupTest, IncrementalRunStoresNothingTheSecondTime) {
  fs::create_directory(dir / "in");
  test::WriteFile(dir / "in/i1", test::TextLike(100, 1));
  env.ClearArchiveAttribute(dir / "in/i1");
  if (env.HasArchiveAttribute(dir / "in/i1")) GTEST_SKIP() << "no user extended attributes here";
  test::WriteFile(dir / "in/i1", test::TextLike(120, 9));  // changed: has the attribute again
  test::WriteFile(dir / "in/i2", test::TextLike(100, 2));
  bf.SetBackupMode(bmIncremental);
  ASSERT_TRUE(bf.Backup({dir / "in/i*"}, dir / "inc1.PX").completed);
  EXPECT_EQ(bf.FileCount, 2);
  ASSERT_TRUE(bf.Backup({dir / "in/i*"}, dir / "inc2.PX").completed);
  EXPECT_EQ(bf.FileCount, 0);
  EXPECT_EQ(fs::file_size(dir / "inc2.PX"), 16u);
}

TEST_F(BackupTest, FullDiskMovesTheFileToTheNextDisk) {
  test::WriteFile(dir / "f", test::RandomBytes(200000, 7));
  env.InsertDisk(100000);
  bf.OnNeedDisk = [&](TBackupFile&, std::uint16_t disk, bool&) {
    events.disks.push_back(disk);
    env.InsertDisk(1000000);  // the user puts in an empty disk
  };
  ASSERT_TRUE(bf.Backup({dir / "f"}, dir / "F.PX").completed);
  EXPECT_EQ(events.disks, (std::vector<int>{2}));
  EXPECT_LE(fs::file_size(dir / "F.PX"), 100000u - 10240u);
  EXPECT_GT(fs::file_size(dir / "F.PX"), 40000u);  // blocks went on the first disk too
}

TEST_F(BackupTest, LargeDiskIsAskedRarelyButFillsToTheSamePoint) {
  // 40 MB that do not compress on a 30 MB disk: the drive is asked now and
  // then while there is plenty of room, and at every block near the end, so
  // the first volume ends where it would with a look before every block.
  test::WriteFile(dir / "f", test::RandomBytes(40 << 20, 9));
  env.InsertDisk(30 << 20);
  bf.OnNeedDisk = [&](TBackupFile&, std::uint16_t disk, bool&) {
    events.disks.push_back(disk);
    env.InsertDisk(30 << 20);
  };
  ASSERT_TRUE(bf.Backup({dir / "f"}, dir / "L.PX").completed);
  const std::int64_t first = static_cast<std::int64_t>(fs::file_size(dir / "L.PX"));
  const std::int64_t room = (30 << 20) - 10240;
  EXPECT_LE(first, room);
  EXPECT_GT(first + 32778 + 16, room - 32778);  // no further block would have fitted
  EXPECT_EQ(events.disks, (std::vector<int>{2}));
  EXPECT_LT(env.freeSpaceLooks, 1280 / 4);  // 1,280 blocks
}

TEST_F(BackupTest, FullDiskWithoutANewOneStopsWithAnError) {
  test::WriteFile(dir / "f", test::RandomBytes(200000, 7));
  env.InsertDisk(100000);
  try {
    bf.Backup({dir / "f"}, dir / "G.PX");
    FAIL() << "no error";
  } catch (const EArchiveError& e) {
    EXPECT_EQ(e.Fixed(), kCannotWriteArchive);
    EXPECT_NE(e.Detail().find("full"), std::string::npos) << e.what();
    EXPECT_NE(e.Detail().find(dir.path()), std::string::npos) << e.what();
  }
  EXPECT_EQ(events.disks, (std::vector<int>{2}));
  EXPECT_FALSE(fs::exists(dir / "G.003"));
  EXPECT_FALSE(bf.Busy());
}

TEST_F(BackupTest, TooSmallVolumeSizesAreRefusedBeforeWriting) {
  test::WriteFile(dir / "f", test::RandomBytes(10, 1));
  for (std::int32_t size : {-1, 1, 100, 108}) {
    bf.MaxSize = size;
    EXPECT_THROW(bf.Backup({dir / "f"}, dir / "T.PX"), Exception) << size;
    EXPECT_FALSE(fs::exists(dir / "T.PX"));
    EXPECT_FALSE(bf.Busy());
  }
  bf.MaxSize = 109;
  test::WriteFile(dir / "g", test::RandomBytes(100000, 2));
  EXPECT_TRUE(bf.Backup({dir / "g"}, dir / "T.PX").completed);
}

TEST_F(BackupTest, NeverWritesAVolumeOverAnEarlierOne) {
  test::WriteFile(dir / "f", test::RandomBytes(100000, 1));
  bf.MaxSize = 40000;
  try {
    bf.Backup({dir / "f"}, dir / "Y.002");
    FAIL() << "no error";
  } catch (const EArchiveError& e) {
    EXPECT_EQ(e.Fixed(), kCannotWriteArchive);
    EXPECT_NE(e.Detail().find("Y.002"), std::string::npos);
  }
  // The first volume is intact up to its continuation record.
  const Bytes v = test::ReadFile(dir / "Y.002");
  Bytes tail;
  PutText(tail, "NEXT:DISK002");
  EXPECT_TRUE(std::equal(tail.begin(), tail.end(), v.end() - 16));
}

TEST_F(BackupTest, SourceThatEndsEarlyStoresWhatItHeld) {
  const Bytes data = test::TextLike(100000, 8);
  test::WriteFile(dir / "s", data);
  env.shortFiles = {dir / "s"};
  env.shortAfter = 50000;
  ASSERT_TRUE(bf.Backup({dir / "s"}, dir / "R.PX").completed);
  TBackupFile reader;
  ASSERT_EQ(reader.Restore(dir / "R.PX", dir / "out").created, 1);
  EXPECT_EQ(test::ReadFile(dir / "out/s"), Bytes(data.begin(), data.begin() + 50000));
}

TEST_F(BackupTest, WriteFailureIsReportedAsSuch) {
  test::WriteFile(dir / "f", test::RandomBytes(300000, 3));
  env.failWritesAfter = 70000;
  try {
    bf.Backup({dir / "f"}, dir / "W.PX");
    FAIL() << "no error";
  } catch (const EArchiveError& e) {
    EXPECT_EQ(e.Fixed(), kCannotWriteArchive);
    EXPECT_NE(e.Detail().find("No space left on device"), std::string::npos);
  }
  EXPECT_FALSE(bf.Busy());
}

TEST_F(BackupTest, UnreadableSourceNamesTheFile) {
  test::WriteFile(dir / "secret", test::RandomBytes(10, 3));
  fs::permissions(dir / "secret", fs::perms::none);
  if (access((dir / "secret").c_str(), R_OK) == 0) GTEST_SKIP() << "running with permission to read anything";
  try {
    bf.Backup({dir / "secret"}, dir / "U.PX");
    FAIL() << "no error";
  } catch (const EArchiveError& e) {
    EXPECT_EQ(e.Fixed(), kCannotReadFile);
    EXPECT_NE(e.Detail().find("secret"), std::string::npos);
  }
  EXPECT_FALSE(bf.Busy());
}

TEST_F(BackupTest, RelativeNamesAreTakenAgainstTheEnvsWorkingDirectory) {
  fs::create_directories(dir / "work/in");
  test::WriteFile(dir / "work/in/a", test::TextLike(100, 1));
  env.workingDirectory = dir / "work";
  // The first volume against the working directory; the entries, as ever,
  // against the first volume's directory.
  const TBackupResult result = bf.Backup({"a"}, "in/SET.PX");
  ASSERT_TRUE(result.completed);
  ASSERT_EQ(result.volumes.size(), 1u);
  EXPECT_EQ(result.volumes[0].name, dir / "work/in/SET.PX");
  EXPECT_EQ(bf.AbsoluteName("../x/./y"), dir / "x/y");
  TBackupFile reader(&env);
  EXPECT_EQ(reader.ReadArchiveTitle("in/SET.PX"), "");
  EXPECT_EQ(reader.Restore("in/SET.PX", "out").created, 1);
  EXPECT_EQ(test::ReadFile(dir / "work/out/a"), test::TextLike(100, 1));
}

// Three digits name volumes 2 to 1001 (.002 ... .999, .000, .001): a set of
// 1,001 volumes is written and read back whole; one that would need a 1,002nd
// stops with the reason rather than overwrite volume 2.
TEST_F(BackupTest, ASetOfAThousandAndOneVolumesAndNoMore) {
  // At the smallest volume size every further volume holds one block.
  bf.MaxSize = static_cast<std::int32_t>(format::kMinMaxSize);
  for (const std::size_t chunks : {1000u, 1001u}) {
    SCOPED_TRACE(chunks);
    const Bytes data = test::Periodic(chunks * format::kChunkSize, 61, 3);
    test::WriteFile(dir / "big", data);
    const std::string set = dir / ("s" + std::to_string(chunks) + "/V.PX");
    fs::create_directories(platform::DirectoryPart(set));
    if (chunks == 1000) {
      const TBackupResult result = bf.Backup({dir / "big"}, set);
      ASSERT_TRUE(result.completed);
      ASSERT_EQ(result.volumes.size(), 1001u);
      EXPECT_EQ(result.volumes[999].name, platform::DirectoryPart(set) + "V.000");
      EXPECT_EQ(result.volumes[1000].name, platform::DirectoryPart(set) + "V.001");
      TBackupFile reader;
      const TRestoreResult restored = reader.Restore(set, dir / "out");
      EXPECT_TRUE(restored.setCompleted);
      EXPECT_EQ(restored.volumes, 1001u);
      EXPECT_EQ(test::ReadFile(dir / "out/big"), data);
    } else {
      try {
        bf.Backup({dir / "big"}, set);
        ADD_FAILURE() << "no error";
      } catch (const EArchiveError& e) {
        EXPECT_EQ(std::string(e.what()), "Cannot write to archive: volume 1002 would be named " +
                                             platform::DirectoryPart(set) + "V.002, like volume 2 of this set; "
                                             "use a larger volume size");
      }
    }
  }
}

TEST(FormatTest, VolumeSizeLimits) {
  using format::VolumeSizeCheck;
  EXPECT_EQ(format::CheckVolumeSize(0), VolumeSizeCheck::kOk);
  EXPECT_EQ(format::CheckVolumeSize(-1), VolumeSizeCheck::kNegative);
  EXPECT_EQ(format::CheckVolumeSize(108), VolumeSizeCheck::kTooSmall);
  EXPECT_EQ(format::CheckVolumeSize(109), VolumeSizeCheck::kOk);
  EXPECT_EQ(format::CheckVolumeSize(0x7FFFFFFF), VolumeSizeCheck::kOk);
  EXPECT_EQ(format::CheckVolumeSize(0x80000000LL), VolumeSizeCheck::kTooLarge);
}

TEST(FormatTest, VolumeNamesAndPercentages) {
  EXPECT_EQ(format::VolumeName("/s/DOCS.PX", 1), "/s/DOCS.PX");
  EXPECT_EQ(format::VolumeName("/s/DOCS.PX", 2), "/s/DOCS.002");
  EXPECT_EQ(format::VolumeName("/s/DOCS.PX", 10), "/s/DOCS.010");
  EXPECT_EQ(format::VolumeName("/s/DOCS.PX", 123), "/s/DOCS.123");
  EXPECT_EQ(format::VolumeName("/s/DOCS.PX", 1000), "/s/DOCS.000");
  EXPECT_EQ(format::VolumeName("/s.d/DOCS", 2), "/s.d/DOCS.002");
  EXPECT_EQ(format::VolumeName("/s/a.b.c", 3), "/s/a.b.003");
  EXPECT_EQ(format::DiskIdFileLine(std::string(50, 'n'), 7), std::string(50, 'n') + " 7");
  EXPECT_EQ(format::Percentage(0, 0), 100);
  EXPECT_EQ(format::Percentage(1, 3), 33);
  EXPECT_EQ(format::Percentage(std::int64_t{1} << 62, (std::int64_t{1} << 62) + 1), 99);
  EXPECT_EQ(format::Percentage(5, 4), 100);
}

}  // namespace
}  // namespace parvex
