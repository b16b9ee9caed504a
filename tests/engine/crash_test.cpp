// Sets that survive a crash: a split killed at any moment leaves volumes from
// which every block that reached the disk is read back, the bytes of a
// completed set stay exactly what they were, and sets left unfinished by older
// versions are read as far as salvage can take them.
//
// A kill is taken as what it leaves on disk: the volumes as the file system
// holds them at a moment of the writing (everything handed to it, nothing of
// the write buffer), copied aside while the split goes on.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <map>
#include <set>

#include "engine/backup.h"
#include "engine/examine.h"
#include "engine/format.h"
#include "platform/EnvWrapper.h"
#include "tests/support/SetBytes.h"
#include "tests/support/TestFiles.h"

namespace parvex {
namespace {

using test::Bytes;
using test::SetBytes;
namespace fs = std::filesystem;

// The real file system, telling of every moment at which a volume changes on
// disk (created, buffer flushed before and after the engine's own listener,
// closed), and of the end of every stored block record as it is written.
class WatchedEnv : public platform::EnvWrapper {
 public:
  WatchedEnv() : EnvWrapper(platform::Env::Default()) {}
  struct Block {
    std::int64_t end;    // offset just past its record
    std::int64_t input;  // bytes of the file it holds
  };
  std::map<std::string, std::vector<Block>> blocks;  // per volume, in order
  std::function<void(const std::string& path)> moment;

  std::unique_ptr<platform::WritableFile> CreateVolume(const std::string& path) override;
};

class WatchedFile : public platform::WritableFileWrapper {
 public:
  WatchedFile(WatchedEnv& env, std::string path, std::unique_ptr<platform::WritableFile> inner)
      : WritableFileWrapper(std::move(inner)), env_(env), path_(std::move(path)) {}
  void Write(const void* data, std::size_t n) override {
    // Random data is stored: a block is its length, the flag 0x80, the chunk.
    const auto* bytes = static_cast<const std::uint8_t*>(data);
    const bool block = lastLength_ == n && n >= 2 && bytes[0] == kFlagStored;
    lastLength_ = n == 4 ? format::DecodeFixed32(bytes) : 0;
    inner().Write(data, n);
    if (block) env_.blocks[path_].push_back({inner().Position(), static_cast<std::int64_t>(n) - 1});
  }
  void SetFlushListener(std::function<void()> listener) override {
    inner().SetFlushListener([this, listener] {
      Moment();  // killed before the segment's length was brought up to date
      listener();
      Moment();
    });
  }
  void Close() override {
    inner().Close();
    Moment();
  }
  void Moment() {
    if (env_.moment) env_.moment(path_);
  }

 private:
  WatchedEnv& env_;
  std::string path_;
  std::uint32_t lastLength_ = 0;
};

std::unique_ptr<platform::WritableFile> WatchedEnv::CreateVolume(const std::string& path) {
  auto file = std::make_unique<WatchedFile>(*this, path, target()->CreateVolume(path));
  file->Moment();  // a volume created, nothing written yet
  return file;
}

class CrashTest : public testing::Test {
 protected:
  test::TempDir dir;
  std::vector<std::string> sources;
  std::vector<Bytes> contents;

  void MakeSources(const std::vector<std::size_t>& sizes) {
    fs::create_directories(dir / "src");
    for (std::size_t i = 0; i < sizes.size(); ++i) {
      sources.push_back(dir / ("src/f" + std::to_string(i)));
      contents.push_back(test::RandomBytes(sizes[i], static_cast<std::uint32_t>(i + 1)));
      test::WriteFile(sources.back(), contents.back());
    }
  }
  // The bytes of every volume that exists below `set`, in volume order.
  static std::int64_t VolumeBytes(const std::string& first) {
    std::int64_t total = 0;
    for (unsigned k = 1; fs::exists(format::VolumeName(first, k)); ++k) {
      total += static_cast<std::int64_t>(fs::file_size(format::VolumeName(first, k)));
    }
    return total;
  }
};

TEST_F(CrashTest, ACompletedSetIsByteForByteWhatItWasThoughItsLengthWasPatchedOnTheWay) {
  MakeSources({3 << 20});  // one segment across three flushes of the write buffer
  WatchedEnv env;
  int flushes = 0;
  env.moment = [&](const std::string&) { ++flushes; };
  TBackupFile bf(&env);
  bf.Threads = 1;
  ASSERT_TRUE(bf.Backup(sources, dir / "C.PX").completed);
  EXPECT_GE(flushes, 2 + 2 * 3);  // created, closed, and before and after each flush
  const Bytes expected = SetBytes()
                             .Header("", 3 << 20, 1)
                             .File(sources[0], static_cast<std::uint32_t>(env.GetDosFileTime(sources[0])))
                             .Segment(contents[0])
                             .End()
                             .bytes;
  EXPECT_EQ(test::ReadFile(dir / "C.PX"), expected);
}

// A volume whose buffer goes to disk before every write, so that a flush falls
// inside every segment head, every record and every block record.
class FlushEveryWriteEnv : public platform::EnvWrapper {
 public:
  FlushEveryWriteEnv() : EnvWrapper(platform::Env::Default()) {}
  std::unique_ptr<platform::WritableFile> CreateVolume(const std::string& path) override {
    class File : public platform::WritableFileWrapper {
     public:
      using WritableFileWrapper::WritableFileWrapper;
      void Write(const void* data, std::size_t n) override {
        if (listener_) listener_();
        inner().Write(data, n);
      }
      void SetFlushListener(std::function<void()> listener) override { listener_ = std::move(listener); }

     private:
      std::function<void()> listener_;
    };
    return std::make_unique<File>(target()->CreateVolume(path));
  }
};

TEST_F(CrashTest, AFlushAtAnyWriteLeavesTheSameSet) {
  MakeSources({100000, 0, 3, 250000, 40000});
  const auto split = [&](platform::Env& env, const std::string& first) {
    TBackupFile bf(&env);
    bf.Threads = 1;
    bf.MaxSize = 150000;
    bf.BackupTitle = "flushes";
    ASSERT_TRUE(bf.Backup(sources, first).completed);
  };
  FlushEveryWriteEnv flushing;
  fs::create_directories(dir / "plain");
  fs::create_directories(dir / "flushed");
  split(*platform::Env::Default(), dir / "plain/P.PX");
  split(flushing, dir / "flushed/P.PX");
  unsigned k = 1;
  for (; fs::exists(format::VolumeName(dir / "plain/P.PX", k)); ++k) {
    EXPECT_EQ(test::ReadFile(format::VolumeName(dir / "flushed/P.PX", k)),
              test::ReadFile(format::VolumeName(dir / "plain/P.PX", k)))
        << k;
  }
  EXPECT_GE(k, 4u);
  EXPECT_FALSE(fs::exists(format::VolumeName(dir / "flushed/P.PX", k)));
}

TEST_F(CrashTest, ASplitKilledAtTwentyPointsLeavesEveryBlockOnDiskReadable) {
  MakeSources({1500000, 40000, 900000, 4600000, 0, 1700000});
  const std::string first = dir / "set/K.PX";
  fs::create_directories(dir / "set");
  const auto split = [&](WatchedEnv& env) {
    TBackupFile bf(&env);
    bf.Threads = 1;  // the same moments on every run
    bf.MaxSize = 2500000;
    ASSERT_TRUE(bf.Backup(sources, first).completed);
  };
  WatchedEnv counting;
  int moments = 0;
  counting.moment = [&](const std::string&) { ++moments; };
  split(counting);
  ASSERT_GE(moments, 20);

  // Twenty moments spread over the whole split; at each, what is on disk is
  // copied aside, and at every other one the open volume also loses the tail
  // of its last write, as a kill in the middle of a write can leave it.
  struct Snapshot {
    std::string dir;
    std::int64_t onDisk = 0;
  };
  std::vector<Snapshot> snapshots;
  std::map<std::string, std::int64_t> lastSize;
  fs::remove_all(dir / "set");
  fs::create_directories(dir / "set");
  WatchedEnv watched;
  int moment = 0;
  watched.moment = [&](const std::string& open) {
    ++moment;
    const std::int64_t before = lastSize.count(open) ? lastSize[open] : 0;
    lastSize[open] = static_cast<std::int64_t>(fs::file_size(open));
    if ((moment - 1) % std::max(1, moments / 20) != 0 && moment != moments) return;
    Snapshot s{dir / ("kill" + std::to_string(moment)), 0};
    fs::create_directories(s.dir);
    for (const auto& entry : fs::directory_iterator(dir / "set")) {
      fs::copy_file(entry.path(), s.dir + "/" + entry.path().filename().string());
    }
    const std::string copy = s.dir + "/" + fs::path(open).filename().string();
    if (snapshots.size() % 2 == 1 && lastSize[open] > before && moment != moments) {
      fs::resize_file(copy, static_cast<std::uintmax_t>(before + (lastSize[open] - before) * 2 / 3));
    }
    snapshots.push_back(s);
  };
  split(watched);
  ASSERT_GE(snapshots.size(), 20u);

  for (const Snapshot& s : snapshots) {
    const std::string volume1 = s.dir + "/K.PX";
    // What the kill left: the bytes of every block record wholly on disk.
    std::int64_t written = 0;
    for (unsigned k = 1; fs::exists(format::VolumeName(volume1, k)); ++k) {
      const std::int64_t size = static_cast<std::int64_t>(fs::file_size(format::VolumeName(volume1, k)));
      for (const WatchedEnv::Block& b : watched.blocks[format::VolumeName(first, k)]) {
        if (b.end <= size) written += b.input;
      }
    }
    const std::int64_t onDisk = VolumeBytes(volume1);
    SCOPED_TRACE(s.dir);
    // Nothing on disk at all (the first volume created, its buffer not yet
    // flushed) is no set, and says so.
    if (fs::file_size(volume1) < 12) {
      EXPECT_THROW(InspectSet(*platform::Env::Default(), volume1, {}), EArchiveError);
      continue;
    }
    InspectOptions verify;
    verify.verify = true;
    SetInfo info;
    ASSERT_NO_THROW(info = InspectSet(*platform::Env::Default(), volume1, verify));
    EXPECT_EQ(info.dataBytes, written);
    TBackupFile bf;
    std::vector<std::string> warnings;
    bf.Warning = [&](const std::string& w) { warnings.push_back(w); };
    TRestoreResult result;
    ASSERT_NO_THROW(result = bf.Restore(volume1, s.dir + "/out"));
    std::int64_t restored = 0;
    for (std::size_t i = 0; i < sources.size(); ++i) {
      const std::string target = s.dir + "/out/f" + std::to_string(i);
      if (!fs::exists(target)) continue;
      const Bytes got = test::ReadFile(target);
      ASSERT_LE(got.size(), contents[i].size());
      EXPECT_TRUE(std::equal(got.begin(), got.end(), contents[i].begin())) << target;
      restored += static_cast<std::int64_t>(got.size());
    }
    EXPECT_EQ(restored, written);
    std::printf("kill at moment %s: %lld bytes of volumes on disk, %lld bytes of files in whole blocks, %lld restored%s\n",
                fs::path(s.dir).filename().c_str(), static_cast<long long>(onDisk), static_cast<long long>(written),
                static_cast<long long>(restored), result.setCompleted ? " (the completed set)" : "");
    if (!result.setCompleted) {
      EXPECT_EQ(info.ending, SetEnd::kCut);
      // Each incomplete file named, then the set's end.
      ASSERT_EQ(warnings.size(), 1u + result.incomplete.size());
      for (std::size_t i = 0; i < result.incomplete.size(); ++i)
        EXPECT_NE(warnings[i].find(result.incomplete[i] + "\" is incomplete"), std::string::npos) << warnings[i];
      EXPECT_NE(warnings.back().find("not completed"), std::string::npos);
    }
  }
}

TEST_F(CrashTest, BlocksAfterTheRecordedLengthOfTheLastSegmentAreItsContinuation) {
  const Bytes a = test::RandomBytes(format::kChunkSize * 3, 7);
  Bytes blocks;
  for (int i = 0; i < 3; ++i) {
    test::PutBlock(blocks, Bytes(a.begin() + i * format::kChunkSize, a.begin() + (i + 1) * format::kChunkSize));
  }
  const std::size_t record = blocks.size() / 3;
  for (const std::uint32_t recorded : {0u, static_cast<std::uint32_t>(record)}) {
    // The recorded length covers none or one of three blocks; the volume ends
    // inside a fourth.
    SetBytes set = SetBytes().Header().File("/d/a").SegmentHead(recorded).Raw(blocks);
    set.bytes.insert(set.bytes.end(), blocks.begin(), blocks.begin() + 100);
    test::WriteFile(dir / "T.PX", set.bytes);
    InspectOptions verify;
    verify.verify = true;
    const SetInfo info = InspectSet(*platform::Env::Default(), dir / "T.PX", verify);
    EXPECT_EQ(info.dataBytes, static_cast<std::int64_t>(a.size()));
    EXPECT_EQ(info.ending, SetEnd::kCut);
    EXPECT_EQ(info.endNote, dir / "T.PX" + ", offset " + std::to_string(32 + recorded) +
                                ": blocks of /d/a follow the recorded length of its segment (the split was stopped "
                                "before it could record them); its blocks were read up to offset " +
                                std::to_string(32 + blocks.size()) + ", where the volume ends inside a block record");
    TBackupFile bf;
    const TRestoreResult result = bf.Restore(dir / "T.PX", dir / "out");
    EXPECT_EQ(test::ReadFile(dir / "out/a"), a);
    EXPECT_EQ(result.incomplete, (std::vector<std::string>{dir / "out/a"}));  // whole chunks: it may go on
  }
}

TEST_F(CrashTest, SalvageReadsAnUnfinishedSegmentAsFarAsItsBlocksGo) {
  const Bytes a = test::RandomBytes(format::kChunkSize * 2, 8);
  Bytes blocks;
  test::PutBlock(blocks, Bytes(a.begin(), a.begin() + format::kChunkSize));
  test::PutBlock(blocks, Bytes(a.begin() + format::kChunkSize, a.end()));
  const Bytes garbage(5000, 'G');
  struct Case {
    std::uint32_t recorded;  // what the segment head claims
    std::string fault;
  };
  const Case cases[] = {
      {10 << 20, "Cannot read archive: " + dir / "U.PX" + ", offset 24: the segment of /d/a claims 10485760 bytes, "
                 "but the volume holds only " + std::to_string(blocks.size() + garbage.size()) + " after its head"},
      {0, "Cannot read archive: " + dir / "U.PX" + ", offset 32: the segment of /d/a has length 0, but blocks follow "
          "it and then neither a record nor the end of the volume (a set left unfinished by an older version?)"},
  };
  for (const Case& c : cases) {
    test::WriteFile(dir / "U.PX", SetBytes().Header().File("/d/a").SegmentHead(c.recorded).Raw(blocks).Raw(garbage).bytes);
    InspectOptions verify;
    verify.verify = true;
    try {
      InspectSet(*platform::Env::Default(), dir / "U.PX", verify);
      ADD_FAILURE() << "no error";
    } catch (const EUnfinishedSegment& e) {
      EXPECT_EQ(std::string(e.what()), c.fault);
    }
    TBackupFile plain;
    EXPECT_THROW(plain.Restore(dir / "U.PX", dir / "plain"), EUnfinishedSegment);
    TBackupFile bf;
    bf.Salvage = true;
    std::vector<std::string> warnings;
    bf.Warning = [&](const std::string& w) { warnings.push_back(w); };
    fs::remove_all(dir / "out");
    const TRestoreResult result = bf.Restore(dir / "U.PX", dir / "out");
    EXPECT_TRUE(result.salvaged);
    EXPECT_EQ(test::ReadFile(dir / "out/a"), a);
    ASSERT_EQ(warnings.size(), 2u);
    EXPECT_EQ(warnings[0], "\"" + dir / "out/a" + "\" is incomplete: only its first " +
                               std::to_string(a.size()) + " bytes were restored");
    EXPECT_EQ(warnings[1], dir / "U.PX" + ", offset " + std::to_string(32 + blocks.size()) +
                               ": salvage stopped here: no block begins here; the blocks before it were restored");
  }
}

}  // namespace
}  // namespace parvex
