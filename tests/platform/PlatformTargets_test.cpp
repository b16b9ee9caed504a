// Where a restore writes: names resolved beneath a destination by openat2 and
// by the walk that follows no link (every case runs both ways), links in the
// file's place, links on the way out of the destination, pipes and
// directories in the way, the incomplete mark; and the locks of volumes.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>

#include "platform/Platform.h"
#include "platform/PosixTargets.h"
#include "tests/support/TestFiles.h"

namespace parvex::platform {
namespace {

namespace fs = std::filesystem;
using test::Bytes;

class PlatformTargets : public testing::TestWithParam<bool> {
 protected:
  void SetUp() override {
    detail::AllowOpenat2(GetParam());
    if (GetParam() && !detail::UsesOpenat2()) GTEST_SKIP() << "this kernel has no openat2";
    fs::create_directories(dest);
    fs::create_directories(outside);
    test::WriteFile(outside + "/target.txt", {'o', 'u', 't'});
    before = test::TreeState(outside);
  }
  void TearDown() override {
    detail::AllowOpenat2(true);
    EXPECT_EQ(test::TreeChanges(before, test::TreeState(outside)), std::vector<std::string>());
  }
  // The errno CreateTarget fails with; 0 when it succeeds (and writes "x").
  int CreateFails(const std::string& root, const std::string& relative) {
    try {
      auto file = env.CreateTarget(root, relative);
      file->Write("x", 1);
      file->Close();
      return 0;
    } catch (const IoError& e) {
      return e.Code();
    }
  }

  Env& env = *Env::Default();
  test::TempDir dir;
  const std::string dest = dir / "dest";
  const std::string outside = dir / "outside";
  std::vector<std::string> before;
};

TEST_P(PlatformTargets, PlainNamesAreMadeWrittenAndDated) {
  EXPECT_EQ(env.StatTarget(dest, "a/b/f").kind, TargetKind::kAbsent);
  EXPECT_EQ(env.CreateTargetDirectories(dest, "a/b"), "");
  auto file = env.CreateTarget(dest, "a/b/f");
  file->Write("data", 4);
  EXPECT_TRUE(file->SetDosTime(0x56A47000));
  file->Close();
  EXPECT_EQ(test::ReadFile(dest + "/a/b/f"), (Bytes{'d', 'a', 't', 'a'}));
  const TargetStatus status = env.StatTarget(dest, "a/b/f");
  EXPECT_EQ(status.kind, TargetKind::kFile);
  EXPECT_EQ(status.dosTime, 0x56A47000);  // the flush before the time did not undo it
  EXPECT_EQ(status.id, env.GetFileId(dest + "/a/b/f"));
  EXPECT_EQ(env.StatTarget(dest, "a").kind, TargetKind::kDirectory);
  // A destination named through a link of the user's own is followed.
  fs::create_directory_symlink(dest, dir / "dest-link");
  EXPECT_EQ(CreateFails(dir / "dest-link", "a/b/g"), 0);
  EXPECT_TRUE(fs::exists(dest + "/a/b/g"));
}

TEST_P(PlatformTargets, NoWriteThroughALinkInTheFilesPlace) {
  fs::create_symlink(outside + "/target.txt", dest + "/target.txt");
  fs::create_symlink(outside + "/new.txt", dest + "/dangling.txt");
  for (const char* name : {"target.txt", "dangling.txt"}) {
    EXPECT_EQ(env.StatTarget(dest, name).kind, TargetKind::kLink) << name;
    EXPECT_EQ(CreateFails(dest, name), ELOOP) << name;
    EXPECT_EQ(CreateFails("", dest + "/" + name), ELOOP) << name;  // nor without a destination
  }
  EXPECT_TRUE(fs::is_symlink(dest + "/target.txt"));
}

TEST_P(PlatformTargets, NoLinkLeadsOutOfTheDestination) {
  fs::create_directory_symlink(outside, dest + "/abs");
  fs::create_directory_symlink("../outside", dest + "/rel");
  fs::create_directories(dest + "/deep");
  fs::create_directory_symlink("../../outside", dest + "/deep/up");
  for (const std::string link : {"abs", "rel", "deep/up"}) {
    SCOPED_TRACE(link);
    const TargetStatus status = env.StatTarget(dest, link + "/b/f.txt");
    EXPECT_EQ(status.kind, TargetKind::kUnreachable);
    EXPECT_NE(status.why.find(dest + "/" + link + " is a symbolic link"), std::string::npos) << status.why;
    const std::string why = env.CreateTargetDirectories(dest, link + "/b");
    EXPECT_NE(why.find(dest + "/" + link + " is a symbolic link"), std::string::npos) << why;
    const int error = CreateFails(dest, link + "/target.txt");
    EXPECT_TRUE(error == EXDEV || error == ELOOP) << error;
  }
  EXPECT_EQ(CreateFails(dest, "../outside/new.txt"), EXDEV);
  EXPECT_EQ(env.StatTarget(dest, "a/../../outside/x").kind, TargetKind::kUnreachable);
}

TEST_P(PlatformTargets, LinksThatStayInsideAreFollowedOnlyByOpenat2) {
  fs::create_directories(dest + "/real");
  fs::create_directory_symlink("real", dest + "/in");
  const int error = CreateFails(dest, "in/f");
  if (GetParam()) {
    EXPECT_EQ(error, 0);
    EXPECT_TRUE(fs::exists(dest + "/real/f"));
  } else {
    EXPECT_EQ(error, ELOOP);  // the walk follows no link at all
    EXPECT_FALSE(fs::exists(dest + "/real/f"));
  }
}

TEST_P(PlatformTargets, WithoutADestinationTheStoredDirectoriesAreFollowed) {
  fs::create_directories(dir / "realdir");
  fs::create_directory_symlink(dir / "realdir", dir / "linkdir");
  EXPECT_EQ(env.CreateTargetDirectories("", dir / "linkdir/new/deeper"), "");
  EXPECT_EQ(CreateFails("", dir / "linkdir/new/deeper/f"), 0);
  EXPECT_TRUE(fs::exists(dir / "realdir/new/deeper/f"));
  EXPECT_EQ(env.StatTarget("", dir / "linkdir/new/deeper/f").kind, TargetKind::kFile);
}

TEST_P(PlatformTargets, WhatStandsInTheWay) {
  // A pipe in the file's place: neither written nor waited on.
  ASSERT_EQ(::mkfifo((dest + "/pipe").c_str(), 0600), 0);
  EXPECT_EQ(env.StatTarget(dest, "pipe").kind, TargetKind::kOther);
  EXPECT_NE(CreateFails(dest, "pipe"), 0);
  // A directory there, or a file where a directory should be.
  fs::create_directories(dest + "/folder");
  EXPECT_EQ(CreateFails(dest, "folder"), EISDIR);
  test::WriteFile(dest + "/plain", {1});
  const TargetStatus status = env.StatTarget(dest, "plain/x");
  EXPECT_EQ(status.kind, TargetKind::kUnreachable);
  EXPECT_EQ(status.why, dest + "/plain is not a directory");
  EXPECT_EQ(env.CreateTargetDirectories(dest, "plain/sub"), dest + "/plain is not a directory");
  EXPECT_EQ(env.CreateTargetDirectories("", dest + "/plain/sub"), dest + "/plain is not a directory");
  // A name too long for the file system.
  EXPECT_EQ(CreateFails(dest, std::string(300, 'n')), ENAMETOOLONG);
  // A destination that cannot be made, and one that is not there yet.
  EXPECT_NE(env.CreateTargetDirectories("", "/proc/parvex-no-such/x"), "");
  EXPECT_EQ(env.StatTarget(dir / "not-yet", "f").kind, TargetKind::kAbsent);
  EXPECT_EQ(env.CreateTargetDirectories(dir / "not-yet", "a"), "");
  EXPECT_TRUE(fs::is_directory(dir / "not-yet/a"));
}

TEST_P(PlatformTargets, IncompleteMarkFitsUntilTheFileChangesAndGoesWithANewFile) {
  if (!test::UserXattrsWork(dest)) GTEST_SKIP() << "no user extended attributes here";
  auto file = env.CreateTarget(dest, "part");
  file->Write("half", 4);
  file->MarkIncomplete();
  file->Close();
  EXPECT_TRUE(env.StatTarget(dest, "part").markedIncomplete);
  // Changed afterwards (by the user, say): the mark no longer fits.
  test::WriteFile(dest + "/part", {'e', 'd', 'i', 't'});
  EXPECT_FALSE(env.StatTarget(dest, "part").markedIncomplete);
  // Marked again, then restored whole: a new file carries no mark.
  file = env.CreateTarget(dest, "part");
  file->MarkIncomplete();
  file->Close();
  ASSERT_TRUE(env.StatTarget(dest, "part").markedIncomplete);
  file = env.CreateTarget(dest, "part");
  file->Write("whole", 5);
  file->SetDosTime(0x56A47000);
  file->Close();
  EXPECT_FALSE(env.StatTarget(dest, "part").markedIncomplete);
}

INSTANTIATE_TEST_SUITE_P(Resolution, PlatformTargets, testing::Values(true, false),
                         [](const testing::TestParamInfo<bool>& info) { return info.param ? "Openat2" : "Walk"; });

TEST(PlatformLocks, AVolumeInUseIsNeitherEmptiedNorWritten) {
  test::TempDir dir;
  Env& env = *Env::Default();
  const std::string name = dir / "S.PX";
  auto first = env.CreateVolume(name);
  first->Write("first", 5);
  first->Close();  // written out; the lock goes with the close ...
  first = env.CreateVolume(name);
  first->Write("again", 5);
  std::unique_ptr<FileLock> held = first->HoldLock();  // ... unless it is held
  ASSERT_NE(held, nullptr);
  first->Close();
  try {
    env.CreateVolume(name);
    FAIL() << "a second writer was let in";
  } catch (const IoError& e) {
    EXPECT_EQ(e.Code(), EWOULDBLOCK);
    EXPECT_NE(std::string(e.what()).find(name + ": in use by another program"), std::string::npos) << e.what();
  }
  EXPECT_EQ(test::ReadFile(name), (Bytes{'a', 'g', 'a', 'i', 'n'}));  // not emptied by the refused one
  auto reader = env.OpenForReading(name);
  EXPECT_FALSE(reader->LockShared());
  held.reset();
  EXPECT_TRUE(reader->LockShared());
  // A reader's shared lock keeps a writer out in turn, and a second reader not.
  EXPECT_THROW(env.CreateVolume(name), IoError);
  EXPECT_TRUE(env.OpenForReading(name)->LockShared());
  reader.reset();
  EXPECT_NO_THROW(env.CreateVolume(name));
  EXPECT_EQ(fs::file_size(name), 0u);
}

TEST(PlatformReading, ChangesSinceOpeningAreSeen) {
  test::TempDir dir;
  test::WriteFile(dir / "f", test::TextLike(1000, 1));
  auto file = Env::Default()->OpenForReading(dir / "f");
  EXPECT_FALSE(file->ChangedSinceOpen());
  EXPECT_EQ(file->Id(), Env::Default()->GetFileId(dir / "f"));
  test::WriteFile(dir / "f", test::TextLike(1000, 2));  // same size, written again
  const struct timespec old[2] = {{1000000000, 0}, {1000000000, 0}};
  ::utimensat(AT_FDCWD, (dir / "f").c_str(), old, 0);
  EXPECT_TRUE(file->ChangedSinceOpen());
  EXPECT_FALSE(Env::Default()->GetFileId(dir / "none").Valid());
}

}  // namespace
}  // namespace parvex::platform
