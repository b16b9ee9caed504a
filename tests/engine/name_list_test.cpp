// The compact name list gives back every name as it was added, and a backup of
// a very long list holds it in a fraction of what strings would take.
#include "engine/name_list.h"

#include <gtest/gtest.h>

#include "engine/backup.h"
#include "platform/EnvWrapper.h"
#include "tests/support/AllocationMeter.h"
#include "tests/support/TestFiles.h"

namespace parvex {
namespace {

std::vector<std::string> Read(const NameList& list) {
  std::vector<std::string> names;
  for (NameList::Cursor c(list); c.Next();) names.push_back(c.Name());
  return names;
}

TEST(NameList, GivesBackEveryNameInOrder) {
  const std::string data = "/data/";
  const std::string longer = data + std::string(20000, 'x');  // lengths that take three bytes to write
  const std::vector<std::string> names = {
      "/data/a/report.doc", "/data/a/report.doc",  // a duplicate stays
      "/data/a/report",                            // a prefix of the one before
      "/data/a/report.doc.bak", "/data/b", "",     // an empty name
      "relative", std::string("nul\0inside", 10), "\xE9t\xE9\xFF",
      longer, longer + "/more", data + longer.substr(7), "/"};
  NameList list;
  for (const std::string& name : names) list.Add(name);
  EXPECT_EQ(list.Size(), names.size());
  EXPECT_EQ(Read(list), names);
  EXPECT_EQ(Read(NameList(names)), names);
  EXPECT_EQ(Read(NameList{"b", "a"}), (std::vector<std::string>{"b", "a"}));
  EXPECT_TRUE(NameList().Empty());
  EXPECT_EQ(Read(NameList()), std::vector<std::string>{});

  // Cursors are independent of each other.
  NameList::Cursor first(list), second(list);
  ASSERT_TRUE(first.Next() && first.Next() && first.Next());
  ASSERT_TRUE(second.Next());
  EXPECT_EQ(second.Name(), names[0]);
  EXPECT_EQ(first.Name(), names[2]);
}

// Names of a tree, a hundred to a directory.
NameList TreeNames(std::size_t count, std::vector<std::string>* strings = nullptr) {
  NameList list;
  for (std::size_t i = 0; i < count; ++i) {
    const std::string name = "/home/someone/photos/2024/trip/d" + std::to_string(i / 100) + "/IMG_" +
                             std::to_string(100000 + i) + ".JPG";
    list.Add(name);
    if (strings) strings->push_back(name);
  }
  list.Compact();
  return list;
}

TEST(NameList, ATreeOfNamesTakesAFewBytesAName) {
  std::vector<std::string> strings;
  const NameList list = TreeNames(100000, &strings);
  EXPECT_EQ(Read(list), strings);
  EXPECT_LT(list.Bytes(), 100000u * 12);  // the names themselves are 50 bytes long
}

// The file system of a huge tree without the tree: every plain name is a file
// of 0 bytes that cannot be opened (so it is passed over when its turn comes).
class HugeTreeEnv : public platform::EnvWrapper {
 public:
  HugeTreeEnv() : EnvWrapper(platform::Env::Default()) {}
  std::vector<platform::DirEntry> FindMatches(const std::string& pattern) override {
    if (pattern.rfind("/home/", 0) != 0) return EnvWrapper::FindMatches(pattern);
    return {{platform::NamePart(pattern), false}};
  }
  std::int64_t FileSize(const std::string& path) override {
    return path.rfind("/home/", 0) == 0 ? 0 : EnvWrapper::FileSize(path);
  }
  std::unique_ptr<platform::ReadableFile> OpenForReading(const std::string& path) override {
    if (path.rfind("/home/", 0) == 0) throw platform::IoError(path + ": No such file or directory");
    return EnvWrapper::OpenForReading(path);
  }
  bool FileExists(const std::string& path) override {
    return path.rfind("/home/", 0) != 0 && EnvWrapper::FileExists(path);
  }
};

TEST(NameList, ABackupHoldsItsWorkingListOfAHundredThousandNamesCompactly) {
  test::TempDir dir;
  const NameList names = TreeNames(100000);
  HugeTreeEnv env;
  for (unsigned threads : {1u, 2u}) {
    TBackupFile bf(&env);
    bf.Threads = threads;
    test::AllocationMeter meter;
    const std::string set = dir / (std::to_string(threads) + ".PX");
    ASSERT_TRUE(bf.Backup(names, set).completed);
    EXPECT_EQ(bf.FileCount, 100000);
    // The volume's write buffer, the blocks read ahead, and the list: as
    // strings it would take 8 MB.
    EXPECT_LT(meter.Peak(), (4u << 20) + 100000u * 12) << threads;
  }
}

}  // namespace
}  // namespace parvex
