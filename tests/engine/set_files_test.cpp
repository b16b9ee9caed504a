// The further volumes of a set on disk: which ones follow on from a first
// volume, and which ones a shorter new set leaves to be removed.
#include "engine/set_files.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "platform/EnvWrapper.h"
#include "tests/support/TestFiles.h"

namespace parvex {
namespace {

using test::TempDir;
using test::WriteFile;

void Touch(const std::string& path) { WriteFile(path, {1, 2, 3}); }

// The real file system, except that some files refuse to go.
class StubbornEnv : public platform::EnvWrapper {
 public:
  StubbornEnv() : EnvWrapper(platform::Env::Default()) {}
  std::string stubborn;
  std::vector<std::string> removed;
  bool RemoveFile(const std::string& path) override {
    removed.push_back(path);
    if (path == stubborn) return false;
    return EnvWrapper::RemoveFile(path);
  }
};

TEST(SetFiles, FurtherVolumesFollowOnUntilTheFirstGap) {
  TempDir dir;
  platform::Env& env = *platform::Env::Default();
  Touch(dir / "NL.PX");
  EXPECT_TRUE(setfiles::FurtherVolumes(env, dir / "NL.PX").empty());
  for (const char* name : {"NL.002", "NL.003", "NL.005", "NL.PX.002", "nl.004"}) Touch(dir / name);
  // NL.004 is missing (nl.004 is another name), so NL.005 belongs to no set of NL.PX.
  EXPECT_EQ(setfiles::FurtherVolumes(env, dir / "NL.PX"),
            (std::vector<std::string>{dir / "NL.002", dir / "NL.003"}));
  // A first volume named SET.PX.PX numbers its volumes SET.PX.002 ...
  EXPECT_EQ(setfiles::FurtherVolumes(env, dir / "NL.PX.PX"), (std::vector<std::string>{dir / "NL.PX.002"}));
  // A directory is no volume, and a name without an extension gets one.
  std::filesystem::create_directory(dir / "D.002");
  EXPECT_TRUE(setfiles::FurtherVolumes(env, dir / "D.PX").empty());
  Touch(dir / "plain.002");
  EXPECT_EQ(setfiles::FurtherVolumes(env, dir / "plain"), (std::vector<std::string>{dir / "plain.002"}));
}

TEST(SetFiles, TheRunStopsAtTheLastDistinctVolumeNumber) {
  TempDir dir;
  for (unsigned k = 2; k <= 999; ++k) Touch(dir / ("S." + std::string(k < 10 ? "00" : k < 100 ? "0" : "") +
                                                   std::to_string(k)));
  Touch(dir / "S.000");  // volume 1000 would be named so
  const auto further = setfiles::FurtherVolumes(*platform::Env::Default(), dir / "S.PX");
  ASSERT_EQ(further.size(), 998u);
  EXPECT_EQ(further.back(), dir / "S.999");
}

TEST(SetFiles, OnlyVolumesBeyondTheNewSetAreRemoved) {
  for (unsigned volumes : {0u, 1u, 2u, 3u, 4u, 9u}) {
    TempDir dir;
    StubbornEnv env;
    for (const char* name : {"NL.PX", "NL.002", "NL.003", "NL.004", "NL.006"}) Touch(dir / name);
    const auto further = setfiles::FurtherVolumes(env, dir / "NL.PX");
    ASSERT_EQ(further.size(), 3u);
    EXPECT_TRUE(setfiles::RemoveStaleVolumes(env, further, volumes).empty());
    const unsigned kept = std::max(volumes, 1u);  // the first volume is the new set's
    for (unsigned k = 2; k <= 4; ++k)
      EXPECT_EQ(std::filesystem::exists(dir / ("NL.00" + std::to_string(k))), k <= kept) << volumes << " " << k;
    EXPECT_TRUE(std::filesystem::exists(dir / "NL.PX"));
    EXPECT_TRUE(std::filesystem::exists(dir / "NL.006"));  // never part of the old set
  }
}

TEST(SetFiles, AVolumeThatCannotBeRemovedIsNamedAndTheRestStillGo) {
  TempDir dir;
  StubbornEnv env;
  for (const char* name : {"NL.PX", "NL.002", "NL.003", "NL.004"}) Touch(dir / name);
  const auto further = setfiles::FurtherVolumes(env, dir / "NL.PX");
  env.stubborn = dir / "NL.003";
  EXPECT_EQ(setfiles::RemoveStaleVolumes(env, further, 1), (std::vector<std::string>{dir / "NL.003"}));
  EXPECT_EQ(env.removed.size(), 3u);
  EXPECT_FALSE(std::filesystem::exists(dir / "NL.002"));
  EXPECT_FALSE(std::filesystem::exists(dir / "NL.004"));
  // A volume that vanished meanwhile counts as removed.
  std::filesystem::remove(dir / "NL.003");
  EXPECT_TRUE(setfiles::RemoveStaleVolumes(*platform::Env::Default(), further, 1).empty());
}

}  // namespace
}  // namespace parvex
