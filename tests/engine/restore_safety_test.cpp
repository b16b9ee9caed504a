// A restore writes only where the user said: every shape of symbolic link in
// the destination, with and without full paths and in every mode, leaves the
// file system outside it exactly as it was; names with "..", network and
// relative names without a destination are passed over (in a jail, so that a
// wrong restore could never reach the real "/"); a destination that cannot be
// made is an error; a volume of the set is never written over.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>

#include "base/SafeText.h"
#include "engine/backup.h"
#include "platform/PosixTargets.h"
#include "tests/support/FaultEnv.h"
#include "tests/support/JailEnv.h"
#include "tests/support/SetBytes.h"
#include "tests/support/TestFiles.h"

namespace parvex {
namespace {

using test::Bytes;
using test::SetBytes;
namespace fs = std::filesystem;

const Bytes kEvil = {'e', 'v', 'i', 'l'};

class RestoreSafetyTest : public testing::Test {
 protected:
  test::TempDir dir;
  const std::string dest = dir / "dest";
  const std::string outside = dir / "outside";
  std::vector<std::string> warnings;

  void WriteSet(const std::string& path, const std::vector<std::string>& names) {
    SetBytes set;
    set.Header();
    for (const std::string& name : names) set.File(name).Segment(kEvil);
    test::WriteFile(path, set.End().bytes);
  }
  TRestoreResult Join(platform::Env& env, const std::string& archive, const std::string& to, bool fullPath,
                      TRestoreMode mode = rmAll) {
    TBackupFile bf(&env);
    bf.RestoreFullPath = fullPath;
    bf.RestoreMode = mode;
    bf.Warning = [this](const std::string& w) { warnings.push_back(w); };
    return bf.Restore(archive, to);
  }
  bool Warned(const std::string& text) const {
    for (const std::string& w : warnings)
      if (w.find(text) != std::string::npos) return true;
    return false;
  }
};

// Each shape: what the destination holds, and the stored name it meets.
TEST_F(RestoreSafetyTest, NoShapeOfLinkLeadsARestoreOutOfTheDestination) {
  const std::vector<std::string> names = {"/sub/evil.txt", "/target.txt", "/dangling.txt", "/mid/b/c/deep.txt",
                                          "/up/rel.txt", "/flat/rel-dangling.txt"};
  WriteSet(dir / "L.PX", names);
  test::FaultEnv env;
  for (const bool openat2 : {true, false}) {
    platform::detail::AllowOpenat2(openat2);
    for (const bool fullPath : {false, true}) {
      for (const TRestoreMode mode : {rmAll, rmNewer, rmExisting, rmNoOverwrite}) {
        SCOPED_TRACE(std::string(openat2 ? "openat2" : "walk") + (fullPath ? ", full path" : ", flat") + ", mode " +
                     std::to_string(mode));
        fs::remove_all(dest);
        fs::remove_all(outside);
        fs::create_directories(dest);
        fs::create_directories(outside + "/keep");
        test::WriteFile(outside + "/target.txt", {'m', 'i', 'n', 'e'});
        fs::create_directory_symlink(outside, dest + "/sub");
        fs::create_symlink(outside + "/target.txt", dest + "/target.txt");
        fs::create_symlink(outside + "/dangling.txt", dest + "/dangling.txt");
        fs::create_directory_symlink(outside, dest + "/mid");
        fs::create_directory_symlink("../outside", dest + "/up");
        fs::create_symlink("../outside/rel-dangling.txt", dest + "/rel-dangling.txt");
        // Everything but the destination, and the links in it.
        const std::vector<std::string> before = test::TreeState(dir.path(), dest);
        const std::vector<std::string> links = test::TreeState(dest);
        warnings.clear();
        const TRestoreResult result = Join(env, dir / "L.PX", dest, fullPath, mode);
        EXPECT_EQ(test::TreeChanges(before, test::TreeState(dir.path(), dest)), std::vector<std::string>());
        for (const std::string& link : links) {
          if (link.find(" link -> ") == std::string::npos) continue;
          const std::vector<std::string> now = test::TreeState(dest);
          EXPECT_NE(std::find(now.begin(), now.end(), link), now.end()) << link;
        }
        if (mode != rmNoOverwrite) {
          EXPECT_TRUE(Warned(QuotedName(dest + "/target.txt") + " passed over: it is a symbolic link"));
          // Flat: the three links in the files' places. Full: the two file
          // links and the three directory links on the way, which a mode that
          // wants existing files finds no file behind.
          EXPECT_EQ(result.refused, !fullPath ? 3 : mode == rmExisting ? 2 : 5);
        }
        // Where no link stands, the file is restored.
        if (!fullPath && mode != rmExisting) {
          EXPECT_EQ(test::ReadFile(dest + "/deep.txt"), kEvil);
          EXPECT_EQ(test::ReadFile(dest + "/evil.txt"), kEvil);
        }
      }
    }
  }
  platform::detail::AllowOpenat2(true);
}

// A link put in the file's place after the restore has looked, as an attacker
// racing it would: the creation itself refuses it.
TEST_F(RestoreSafetyTest, ALinkPutThereAfterTheLookIsStillRefused) {
  class RacingEnv : public platform::EnvWrapper {
   public:
    RacingEnv(std::string victim, std::string outside)
        : EnvWrapper(platform::Env::Default()), victim_(std::move(victim)), outside_(std::move(outside)) {}
    std::string CreateTargetDirectories(const std::string& root, const std::string& directory) override {
      const std::string why = EnvWrapper::CreateTargetDirectories(root, directory);
      fs::create_symlink(outside_ + "/target.txt", victim_);
      return why;
    }

   private:
    std::string victim_, outside_;
  };
  WriteSet(dir / "R.PX", {"/d/target.txt"});
  fs::create_directories(outside);
  test::WriteFile(outside + "/target.txt", {'m', 'i', 'n', 'e'});
  const std::vector<std::string> before = test::TreeState(outside);
  RacingEnv env(dest + "/target.txt", outside);
  const TRestoreResult result = Join(env, dir / "R.PX", dest, false);
  EXPECT_EQ(result.created, 0);
  EXPECT_EQ(result.refused, 1);
  EXPECT_TRUE(Warned("it is a symbolic link, and a restore never writes through one"));
  EXPECT_EQ(test::TreeChanges(before, test::TreeState(outside)), std::vector<std::string>());
}

TEST_F(RestoreSafetyTest, WithoutADestinationOnlyFullPosixNamesAreRestored) {
  const std::string jail = dir / "root";
  fs::create_directories(jail);
  test::JailEnv env(jail);
  WriteSet(jail + "/S.PX", {"\\\\server\\share\\dir\\B.TXT", "/x/../../evil", "C:\\DATA\\A.TXT", "relative/r.txt",
                            "/x/ok.txt", "..\\up.txt"});
  fs::create_directories(jail + "/x");
  const std::vector<std::string> before = test::TreeState(jail);
  const TRestoreResult result = Join(env, "/S.PX", "", false);
  EXPECT_EQ(result.created, 1);
  EXPECT_EQ(result.refused, 5);
  EXPECT_EQ(test::ReadFile(jail + "/x/ok.txt"), kEvil);
  std::vector<std::string> changes = test::TreeChanges(before, test::TreeState(jail));
  // Only the one file, and its directory's time.
  ASSERT_EQ(changes.size(), 3u) << testing::PrintToString(changes);
  EXPECT_NE(changes[2].find("+ " + jail + "/x/ok.txt file"), std::string::npos) << changes[2];
  EXPECT_TRUE(Warned("\"\\\\\\\\server\\\\share\\\\dir\\\\B.TXT\" passed over: a Windows network name has no place "
                     "here; choose a destination directory"));
  EXPECT_TRUE(Warned("\"/x/../../evil\" passed over: the name has a \"..\" component"));
  EXPECT_TRUE(Warned("\"relative/r.txt\" passed over: the name is not a full path; choose a destination"));
  // With a destination the same names stay below it, except the one with "..".
  warnings.clear();
  const TRestoreResult flat = Join(env, "/S.PX", "/d", true);
  EXPECT_EQ(flat.created, 4);
  EXPECT_EQ(test::ReadFile(jail + "/d/dir/B.TXT"), kEvil);
  EXPECT_EQ(test::ReadFile(jail + "/d/relative/r.txt"), kEvil);
  EXPECT_EQ(warnings.size(), 2u);
}

TEST_F(RestoreSafetyTest, ADestinationThatCannotBeMadeIsAnError) {
  WriteSet(dir / "D.PX", {"/a.txt"});
  test::WriteFile(dir / "plain", {1});
  std::vector<std::string> dests = {dir / "plain/x", "/proc/parvex-no-such/x"};
  if (::geteuid() != 0) {  // root may write anywhere
    fs::create_directories(dir / "locked");
    fs::permissions(dir / "locked", fs::perms::owner_read | fs::perms::owner_exec);
    dests.push_back(dir / "locked/x");
  }
  for (const std::string& to : dests) {
    TBackupFile bf;
    try {
      bf.Restore(dir / "D.PX", to);
      ADD_FAILURE() << to << ": no error";
    } catch (const EArchiveError& e) {
      EXPECT_EQ(e.Fixed(), kCannotReadFile);
      EXPECT_NE(e.Detail().find("the destination directory " + to + " cannot be created: "), std::string::npos)
          << e.what();
    }
    EXPECT_EQ(bf.LastRestore().created, 0);
    EXPECT_FALSE(bf.Busy());
  }
  // A mode that restores nothing needs no destination.
  TBackupFile bf;
  bf.RestoreMode = rmExisting;
  EXPECT_EQ(bf.Restore(dir / "D.PX", dir / "plain/x").created, 0);
}

TEST_F(RestoreSafetyTest, PassOversThatUsedToBeSilentAreWarnedOf) {
  // A file stored as /sub, then /sub/x.txt: the second has no directory to go to.
  WriteSet(dir / "P.PX", {"/sub", "/sub/x.txt", "/" + std::string(300, 'n'), "/fine.txt"});
  const TRestoreResult result = Join(*platform::Env::Default(), dir / "P.PX", dest, true);
  EXPECT_EQ(result.created, 2);
  EXPECT_EQ(result.refused, 2);
  EXPECT_TRUE(Warned(QuotedName(dest + "/sub/x.txt") + " passed over: " + dest + "/sub is not a directory"));
  EXPECT_TRUE(Warned("File name too long"));
  EXPECT_EQ(test::ReadFile(dest + "/fine.txt"), kEvil);
}

TEST_F(RestoreSafetyTest, AVolumeOfTheSetIsNeverWrittenOver) {
  // An older set that stored its own volumes, joined back into its folder.
  fs::create_directories(dir / "set");
  WriteSet(dir / "set/S.PX", {"/old/S.PX", "/old/S.002", "/old/a.txt"});
  test::WriteFile(dir / "set/S.002", {1, 2, 3});  // a volume of the set, on disk
  const Bytes first = test::ReadFile(dir / "set/S.PX");
  const TRestoreResult result = Join(*platform::Env::Default(), dir / "set/S.PX", dir / "set", false);
  EXPECT_EQ(result.created, 1);
  EXPECT_EQ(test::ReadFile(dir / "set/S.PX"), first);
  EXPECT_EQ(test::ReadFile(dir / "set/S.002"), (Bytes{1, 2, 3}));
  for (const char* volume : {"set/S.PX", "set/S.002"})
    EXPECT_TRUE(Warned(QuotedName(dir / volume) + " passed over: it is a volume of the set being restored"));
}

TEST_F(RestoreSafetyTest, AFailingTargetEndsTheRestoreAndTheFilesBeforeItAreListed) {
  WriteSet(dir / "F.PX", {"/a.txt", "/b.txt", "/folder", "/c.txt"});
  fs::create_directories(dest + "/folder");
  TBackupFile bf;
  try {
    bf.Restore(dir / "F.PX", dest);
    FAIL() << "no error";
  } catch (const EArchiveError& e) {
    EXPECT_EQ(std::string(e.what()), "Cannot read file: " + dest + "/folder: Is a directory");
  }
  EXPECT_EQ(bf.LastRestore().restored, (std::vector<std::string>{dest + "/a.txt", dest + "/b.txt"}));
  EXPECT_EQ(bf.LastRestore().Complete(), 2);
  EXPECT_FALSE(fs::exists(dest + "/c.txt"));
}

// MS-DOS date-time of a day at noon.
std::uint32_t Noon(int year, int month, int day) {
  return static_cast<std::uint32_t>((year - 1980) << 25 | month << 21 | day << 16 | 12 << 11);
}

TEST_F(RestoreSafetyTest, NewerComparesTimesAsDatesAcross2044) {
  struct Case {
    std::uint32_t stored, target;
    bool restored;
  };
  const Case cases[] = {
      {Noon(2050, 1, 1), Noon(2030, 1, 1), true},  {Noon(2030, 1, 1), Noon(2050, 1, 1), false},
      {Noon(2044, 1, 1), Noon(2043, 12, 31), true}, {Noon(2043, 12, 31), Noon(2044, 1, 1), false},
      {Noon(2100, 6, 1), Noon(2044, 1, 1), true},  {Noon(2044, 1, 1), Noon(2100, 6, 1), false},
      {Noon(2100, 6, 1), Noon(2100, 6, 1), false},
  };
  platform::Env& env = *platform::Env::Default();
  int i = 0;
  for (const Case& c : cases) {
    SCOPED_TRACE(i);
    const std::string out = dir / std::to_string(i++);
    fs::create_directories(out);
    test::WriteFile(dir / "T.PX", SetBytes().Header().File("/t.txt", c.stored).Segment(kEvil).End().bytes);
    test::WriteFile(out + "/t.txt", {'o', 'l', 'd'});
    ASSERT_TRUE(env.SetDosFileTime(out + "/t.txt", c.target));
    ASSERT_EQ(static_cast<std::uint32_t>(env.GetDosFileTime(out + "/t.txt")), c.target);
    for (const TRestoreMode mode : {rmNewer, rmExistingNewer}) {
      EXPECT_EQ(Join(env, dir / "T.PX", out, false, mode).created, c.restored ? 1 : 0);
      test::WriteFile(out + "/t.txt", {'o', 'l', 'd'});
      env.SetDosFileTime(out + "/t.txt", c.target);
    }
  }
}

}  // namespace
}  // namespace parvex
