// Hostile and damaged sets, read through the one set reader: continuation
// loops, lengths that claim gigabytes, a continuation that continues nothing,
// a flipped segment magic, files that are no set at all. Restore and the
// examination must meet each with the same error, never loop, never swell,
// and never write anything they were not asked to.
#include <gtest/gtest.h>

#include <filesystem>

#include "engine/backup.h"
#include "engine/examine.h"
#include "engine/format.h"
#include "tests/support/AllocationMeter.h"
#include "tests/support/SetBytes.h"
#include "tests/support/TestFiles.h"

namespace parvex {
namespace {

using test::Bytes;
using test::SetBytes;
namespace fs = std::filesystem;

// What a reading operation ended with: "ok" or the error's message.
template <typename F>
std::string Outcome(F&& operation) {
  try {
    operation();
    return "ok";
  } catch (const EArchiveError& e) {
    return e.what();
  }
}

class HostileSetTest : public testing::Test {
 protected:
  test::TempDir dir;

  // Writes volume k of the set whose first volume is `first` for each entry.
  std::string WriteSet(const std::string& first, const std::vector<Bytes>& volumes) {
    const std::string name = dir / first;
    for (std::size_t k = 0; k < volumes.size(); ++k) {
      test::WriteFile(format::VolumeName(name, static_cast<unsigned>(k + 1)), volumes[k]);
    }
    return name;
  }
  std::string Join(const std::string& archive, TBackupFile& bf) {
    return Outcome([&] { bf.Restore(archive, dir / "out"); });
  }
  std::string Join(const std::string& archive) {
    TBackupFile bf;
    return Join(archive, bf);
  }
  std::string Examine(const std::string& archive, bool verify) {
    InspectOptions options;
    options.verify = verify;
    return Outcome([&] { InspectSet(*platform::Env::Default(), archive, options); });
  }
  // Restore, list and test must all end with this message.
  void ExpectEveryReaderFails(const std::string& archive, const std::string& message) {
    EXPECT_EQ(Join(archive), message);
    EXPECT_EQ(Examine(archive, false), message);
    EXPECT_EQ(Examine(archive, true), message);
  }
  std::uintmax_t BytesBelow(const std::string& path) {
    std::uintmax_t total = 0;
    if (!fs::exists(path)) return 0;
    for (const auto& entry : fs::recursive_directory_iterator(path)) {
      if (entry.is_regular_file()) total += entry.file_size();
    }
    return total;
  }
};

const Bytes kData = test::TextLike(5000, 1);
// A file that spans volumes has whole chunks in every segment but its last.
const Bytes kChunk = test::TextLike(format::kChunkSize, 2);
const std::string kSegmentEnd = std::to_string(SetBytes().Segment(kChunk).bytes.size());

TEST_F(HostileSetTest, ContinuationLoopsOfEveryShapeEndWithAnErrorNamingBothVolumes) {
  const Bytes first = SetBytes().Header().File("/d/f").Segment(kChunk).Next("002").bytes;
  const Bytes middle = SetBytes().Segment(kChunk).bytes;
  // Volume 2 continuing on volume 2.
  std::string set = WriteSet("L.PX", {first, SetBytes(middle).Next("002").bytes});
  ExpectEveryReaderFails(set, "Cannot read archive: " + dir / "L.002" + ", offset " + kSegmentEnd +
                                  ": volume 2 continues on " + dir / "L.002" +
                                  ", which is volume 2 of this set and was read already");
  // 2 -> 3 -> 2.
  set = WriteSet("M.PX", {first, SetBytes(middle).Next("003").bytes, SetBytes(middle).Next("002").bytes});
  ExpectEveryReaderFails(set, "Cannot read archive: " + dir / "M.003" + ", offset " + kSegmentEnd +
                                  ": volume 3 continues on " + dir / "M.002" +
                                  ", which is volume 2 of this set and was read already");
  // Back to the first volume, by its own name.
  set = WriteSet("N.007", {SetBytes().Header().File("/d/f").Segment(kChunk).Next("007").bytes});
  EXPECT_NE(Join(set).find("volume 1 continues on " + dir / "N.007" + ", which is volume 1 of this set"),
            std::string::npos);
  // ... or by the name the next volume has after three digits wrapped.
  set = WriteSet("P.002", {SetBytes().Header().File("/d/f").Segment(kChunk).Next("002").bytes});
  EXPECT_NE(Join(set).find("volume 1 continues on volume 2, whose name " + dir / "P.002" + " is that of volume 1"),
            std::string::npos);
  // Skipping ahead: volumes are read in their order, one after the other.
  set = WriteSet("K.PX", {first, SetBytes(middle).Next("004").bytes});
  test::WriteFile(dir / "K.004", SetBytes().Segment(kData).End().bytes);
  ExpectEveryReaderFails(set, "Cannot read archive: " + dir / "K.002" + ", offset " + kSegmentEnd +
                                  ": volume 2 continues on " + dir / "K.004" + ", but the volume after it is volume 3 (" +
                                  dir / "K.003" + ")");
  // A continuation record without its three digits leads nowhere.
  set = WriteSet("J.PX", {SetBytes().Header().File("/d/f").Segment(kChunk).Text("NEXT:DISK2").bytes});
  ExpectEveryReaderFails(set, "Cannot read archive: " + set + ", offset " +
                                  std::to_string(SetBytes().Header().File("/d/f").Segment(kChunk).bytes.size()) +
                                  ": a continuation record without a volume number");
  EXPECT_LE(BytesBelow(dir / "out"), 3 * kChunk.size());
}

TEST_F(HostileSetTest, AChainThatWrapsPastNineHundredAndNinetyNineIsNotFollowedBack) {
  // Volumes .002 ... .999, .000 (volume 1000), .001 (volume 1001), each
  // continuing on the next; the next, volume 1002, would again be .002.
  std::vector<Bytes> volumes = {SetBytes().Header().File("/d/f").Segment(kChunk).Next("002").bytes};
  for (unsigned k = 2; k <= 1001; ++k) {
    volumes.push_back(SetBytes().Segment(kChunk).Next(format::VolumeDigits(k + 1)).bytes);
  }
  const std::string set = WriteSet("W.PX", volumes);
  const std::string message = "Cannot read archive: " + dir / "W.001" + ", offset " + kSegmentEnd +
                              ": volume 1001 continues on volume 1002, whose name " + dir / "W.002" +
                              " is that of volume 2, read already (three digits number no more than 999 volumes)";
  TBackupFile bf;
  int asked = 0;
  bf.AskForVolume = [&](const TVolumeRequest&) { return ++asked > 0; };  // always yes
  EXPECT_EQ(Join(set, bf), message);
  EXPECT_EQ(asked, 1000);
  EXPECT_EQ(Examine(set, true), message);
  EXPECT_EQ(BytesBelow(dir / "out"), 1001 * kChunk.size());  // each volume's data once
}

TEST_F(HostileSetTest, ClaimedLengthsAreBoundedWhateverTheVolumeHolds) {
  const std::int64_t huge = std::int64_t{3} << 30;  // sparse: no disk space is used
  const auto sparse = [&](const std::string& name, const Bytes& head) {
    test::WriteFile(dir / name, head);
    fs::resize_file(dir / name, static_cast<std::uintmax_t>(huge));
    return dir / name;
  };
  struct Case {
    std::string set;
    std::string message;
  };
  const Bytes named = SetBytes().Header().File("/d/a").Segment(kData).bytes;
  const Case cases[] = {
      {sparse("name.PX", SetBytes(named).U32(0x7FFFFFFF).bytes),
       "Cannot read archive: " + dir / "name.PX" + ", offset " + std::to_string(named.size()) +
           ": a record claims a name of 2147483647 bytes; no name is longer than 65536"},
      {sparse("title.PX", SetBytes().U32(0x7FFFFFFF).bytes),
       "Cannot read archive: " + dir / "title.PX" + " is not a Parvex volume set"},
      {sparse("segment.PX", SetBytes().Header().File("/d/a").SegmentHead(0x7FFFFFFF).bytes),
       "Cannot read archive: " + dir / "segment.PX" + ", offset 32: a block length of 0 does not fit its segment "
       "of /d/a"},
  };
  for (const Case& c : cases) {
    test::AllocationMeter meter;
    EXPECT_EQ(Join(c.set), c.message);
    EXPECT_EQ(Examine(c.set, false), c.message);
    EXPECT_EQ(Examine(c.set, true), c.message);
    EXPECT_EQ(Outcome([&] { TBackupFile().ReadArchiveTitle(c.set); }), c.set == cases[1].set ? c.message : "ok");
    EXPECT_LE(meter.Largest(), 1u << 20) << c.set;  // a target's write buffer
    EXPECT_LT(meter.Peak(), 4u << 20) << c.set;
  }
  // The limits themselves: a name of 64 KiB and a title of 1 MiB are read.
  const std::string longName(65536, 'n'), longTitle(1 << 20, 't');
  std::string set = WriteSet("limits.PX", {SetBytes().Header(longTitle).File(longName).Segment({}).End().bytes});
  EXPECT_EQ(TBackupFile().ReadArchiveTitle(set), longTitle);
  EXPECT_EQ(Examine(set, true), "ok");
  set = WriteSet("over.PX", {SetBytes().Header().File("/a").Segment({}).File(longName + "n").Segment({}).End().bytes});
  EXPECT_NE(Examine(set, true).find("a record claims a name of 65537 bytes"), std::string::npos);
  set = WriteSet("overtitle.PX", {SetBytes().Header(longTitle + "t").End().bytes});
  EXPECT_EQ(Examine(set, false), "Cannot read archive: " + set + " is not a Parvex volume set");
}

TEST_F(HostileSetTest, ALeadingContinuationNeverReachesTheFileOfAnEarlierOperation) {
  const std::string good = WriteSet("G.PX", {SetBytes().Header().File("/d/a").Segment(kData).End().bytes});
  // Header, then at once a continuation: the next volume's data would be
  // appended to whatever file the component wrote last.
  const std::string bad = WriteSet("B.PX", {SetBytes().Header().Next("002").bytes,
                                            SetBytes().Segment(test::RandomBytes(3000, 2)).End().bytes});
  TBackupFile bf;  // one component for every operation, as the window keeps it
  ASSERT_EQ(Join(good, bf), "ok");
  ASSERT_EQ(test::ReadFile(dir / "out/a"), kData);
  EXPECT_EQ(Join(bad, bf), "Cannot read archive: " + bad + " is not a Parvex volume set");
  EXPECT_EQ(test::ReadFile(dir / "out/a"), kData);
  EXPECT_EQ(BytesBelow(dir / "out"), kData.size());
  EXPECT_TRUE(bf.CurrentFile.empty());
  // After a passed-over first record, the continuation has no file to continue.
  const std::string later = WriteSet("C.PX", {SetBytes().Header().U32(0xFFFFFFFF).Next("002").bytes});
  EXPECT_NE(Join(later, bf).find("is not a Parvex volume set"), std::string::npos);
}

TEST_F(HostileSetTest, AFlippedSegmentMagicCreatesNoFile) {
  SetBytes set = SetBytes().Header().File("/d/a").Segment(kData).End();
  set.bytes[24] ^= 0x01;  // "ECS" becomes "DCS"
  const std::string archive = WriteSet("F.PX", {set.bytes});
  ExpectEveryReaderFails(archive, "Invalid archive type: " + archive + ", offset 24: no segment begins here "
                                  "for the data of /d/a");
  EXPECT_FALSE(fs::exists(dir / "out/a"));
  // An empty file without a segment, as older versions wrote it, is still
  // read when a valid record follows; garbage after it is not taken for one.
  const std::string old = WriteSet("O.PX", {SetBytes().Header().File("/d/e").File("/d/f").Segment(kData).End().bytes});
  EXPECT_EQ(Join(old), "ok");
  EXPECT_EQ(fs::file_size(dir / "out/e"), 0u);
  EXPECT_EQ(test::ReadFile(dir / "out/f"), kData);
  const std::string garbage = WriteSet("R.PX", {SetBytes().Header().File("/d/g").U32(0x41414141).U32(7).bytes});
  ExpectEveryReaderFails(garbage, "Invalid archive type: " + garbage + ", offset 24: no segment begins here for "
                                  "the data of /d/g");
  EXPECT_FALSE(fs::exists(dir / "out/g"));
}

TEST_F(HostileSetTest, OnNeedDiskIsRaisedAgainWhileTheVolumeIsAbsent) {
  const std::string set = WriteSet("D.PX", {SetBytes().Header().File("/d/a").Segment(kChunk).Next("002").bytes,
                                            SetBytes().Segment(kData).End().bytes});
  fs::rename(dir / "D.002", dir / "D.002.away");
  {
    TBackupFile bf;
    std::vector<int> disks;
    bf.OnNeedDisk = [&](TBackupFile&, std::uint16_t disk, bool&) {
      disks.push_back(disk);
      if (disks.size() == 2) fs::rename(dir / "D.002.away", dir / "D.002");  // brought on the second call
    };
    EXPECT_EQ(Join(set, bf), "ok");
    EXPECT_EQ(disks, (std::vector<int>{2, 2}));
    EXPECT_EQ(test::ReadFile(dir / "out/a").size(), kChunk.size() + kData.size());
  }
  fs::rename(dir / "D.002", dir / "D.002.away");
  {
    TBackupFile bf;  // a handler that neither stops nor brings the volume is not asked for ever
    int calls = 0;
    bf.OnNeedDisk = [&](TBackupFile&, std::uint16_t, bool&) { ++calls; };
    EXPECT_EQ(Join(set, bf), "Cannot read archive: volume 2 is missing: " + dir / "D.002" +
                                 " not found (asked for 100 times)");
    EXPECT_EQ(calls, kMaxVolumeRequests);
    EXPECT_FALSE(bf.Busy());
  }
  {
    TBackupFile bf;  // after OnNeedDisk, the presentation's question; its Cancel stops in order
    std::vector<std::string> asked;
    bf.OnNeedDisk = [&](TBackupFile&, std::uint16_t disk, bool&) { asked.push_back("need " + std::to_string(disk)); };
    bf.AskForVolume = [&](const TVolumeRequest& r) {
      asked.push_back("ask " + std::to_string(r.volume) + (r.present ? " present" : " absent"));
      return false;
    };
    TRestoreResult result;
    EXPECT_EQ(Outcome([&] { result = bf.Restore(set, dir / "out2"); }), "ok");
    EXPECT_EQ(asked, (std::vector<std::string>{"need 2", "ask 2 absent"}));
    EXPECT_TRUE(result.stopped);
    EXPECT_EQ(result.incomplete, (std::vector<std::string>{dir / "out2/a"}));
  }
}

TEST_F(HostileSetTest, AFileThatIsNoSetSaysSo) {
  const std::vector<std::pair<std::string, Bytes>> files = {
      {"notes.txt", {'H', 'e', 'l', 'l', 'o', ',', ' ', 'w', 'o', 'r', 'l', 'd', '\n'}},
      {"picture.png", {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n', 0, 0, 0, 13, 'I', 'H', 'D', 'R', 0, 0, 1, 0}},
      {"empty", {}},
      {"short.PX", {0, 0, 0, 0, 0, 0}},
      // A plausible header, but what follows is neither a file record nor the end record.
      {"record.PX", SetBytes().Header("t").U32(0x7FFFFFF0).bytes},
      {"continuation.PX", SetBytes().Header("t").Next("002").bytes},
  };
  for (const auto& [name, bytes] : files) {
    test::WriteFile(dir / name, bytes);
    const std::string message = "Cannot read archive: " + dir / name + " is not a Parvex volume set";
    ExpectEveryReaderFails(dir / name, message);
    EXPECT_EQ(Outcome([&] { TBackupFile().ReadArchiveTitle(dir / name); }), message);
  }
  EXPECT_FALSE(fs::exists(dir / "out"));
  // A set stopped before its first file reached the disk is a set.
  test::WriteFile(dir / "header.PX", SetBytes().Header("only").bytes);
  EXPECT_EQ(TBackupFile().ReadArchiveTitle(dir / "header.PX"), "only");
}

TEST_F(HostileSetTest, NamesInWarningsAndErrorsAreShownSafelyAndShort) {
  // A name that would fake a line of output and send escape sequences, and
  // one of 20,000 bytes holding a NUL: both are passed over with a warning.
  const std::string fake = "/x\n/../../etc/passwd \033[2J\a";
  const std::string escaped = "/x\\n/../../etc/passwd \\033[2J\\a";
  const std::string longName = "/d/" + std::string(10000, 'x') + std::string(1, '\0') + std::string(10000, '\x80');
  const std::string set = WriteSet("S.PX", {SetBytes().Header().File(fake).Segment(kData).File(longName)
                                                .Segment(kData).File("/d/ok").Segment(kData).End().bytes});
  TBackupFile bf;
  std::vector<std::string> warnings;
  bf.Warning = [&](const std::string& w) { warnings.push_back(w); };
  bf.RestoreFullPath = true;
  EXPECT_EQ(Join(set, bf), "ok");
  ASSERT_EQ(warnings.size(), 2u);
  for (const std::string& w : warnings) {
    EXPECT_LT(w.size(), 400u);
    EXPECT_EQ(w.find_first_of(std::string("\n\033\a\0", 4)), std::string::npos) << w;
  }
  EXPECT_EQ(warnings[0].rfind("\"" + escaped + "\" passed over", 0), 0u) << warnings[0];
  EXPECT_EQ(warnings[1].rfind("\"/d/xxxx", 0), 0u) << warnings[1];
  EXPECT_EQ(test::ReadFile(dir / "out/d/ok"), kData);
  // A fault names the file the same way.
  SetBytes flipped = SetBytes().Header().File(fake).Segment(kData).End();
  flipped.bytes[4 + 8 + 4 + fake.size() + 4] = 'X';
  const std::string bad = WriteSet("T.PX", {flipped.bytes});
  EXPECT_EQ(Join(bad), "Invalid archive type: " + bad + ", offset " + std::to_string(4 + 8 + 4 + fake.size() + 4) +
                           ": no segment begins here for the data of " + escaped);
  // The examination hands out the stored bytes; whoever prints them escapes them.
  InspectOptions options;
  std::vector<std::string> names;
  options.onFile = [&](const StoredFile& f) { names.push_back(f.name); };
  InspectSet(*platform::Env::Default(), set, options);
  EXPECT_EQ(names, (std::vector<std::string>{fake, longName, "/d/ok"}));
}

}  // namespace
}  // namespace parvex
