// Gathering the benchmark's sets: the evenly spread walk over the candidate
// files, the caps and windows it honours, and loading real files from a tree.
#include "bench/Corpus.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <functional>
#include <numeric>
#include <set>

#include "tests/support/TestFiles.h"

namespace parvex::bench {
namespace {

struct Offer {
  std::size_t index;
  std::size_t limit;
};

std::vector<CandidateFile> Files(std::size_t count, std::uint64_t size) {
  std::vector<CandidateFile> files;
  for (std::size_t i = 0; i < count; ++i) {
    char name[16];
    std::snprintf(name, sizeof name, "f%05zu", i);
    files.push_back({name, size});
  }
  return files;
}

// Runs SpreadWalk, recording every offer; `accept` decides whether a file is taken.
std::vector<Offer> Walk(const std::vector<CandidateFile>& files, std::size_t target, std::size_t cap,
                        std::size_t window, std::size_t* taken = nullptr,
                        const std::function<bool(std::size_t)>& accept = nullptr) {
  std::vector<Offer> offers;
  const std::size_t got = SpreadWalk(files, target, cap, window, [&](const CandidateFile& f, std::size_t limit) {
    const std::size_t index = static_cast<std::size_t>(std::stoul(f.path.substr(1)));
    offers.push_back({index, limit});
    return (!accept || accept(index)) ? limit : 0;
  });
  if (taken) *taken = got;
  return offers;
}

TEST(SpreadWalk, OffersEverythingInOrderWhenAllFitsTheTarget) {
  std::size_t taken = 0;
  const auto offers = Walk(Files(10, 100), 5000, 0, 300, &taken);
  ASSERT_EQ(offers.size(), 10u);
  for (std::size_t i = 0; i < offers.size(); ++i) {
    EXPECT_EQ(offers[i].index, i);
    EXPECT_EQ(offers[i].limit, 100u);
  }
  EXPECT_EQ(taken, 1000u);
}

TEST(SpreadWalk, TakesExactlyTheTargetFromWindowsAcrossTheWholeList) {
  std::size_t taken = 0;
  const auto offers = Walk(Files(1000, 1000), 20000, 0, 2500, &taken);
  EXPECT_EQ(taken, 20000u);
  std::set<std::size_t> seen;
  for (std::size_t i = 0; i < offers.size(); ++i) {
    EXPECT_TRUE(seen.insert(offers[i].index).second) << "file offered twice: " << offers[i].index;
    if (i > 0) {
      EXPECT_GT(offers[i].index, offers[i - 1].index);
    }
  }
  // Eight windows of 2.5 files each, 125 files apart: the first starts at the
  // beginning and the last in the final eighth of the list.
  EXPECT_EQ(offers.front().index, 0u);
  EXPECT_GE(offers.back().index, 875u);
  EXPECT_EQ(offers.size(), 24u);  // 3 files per window, the third cut to 500 bytes
  EXPECT_EQ(offers[2].limit, 500u);
}

TEST(SpreadWalk, HonoursThePerFileCapAndTheTargetInTheLastFile) {
  std::size_t taken = 0;
  const auto offers = Walk(Files(100, 1'000'000), 10'500, 1000, 4000, &taken);
  EXPECT_EQ(taken, 10'500u);
  for (const Offer& o : offers) EXPECT_LE(o.limit, 1000u);
  EXPECT_EQ(offers.back().limit, 500u);
}

TEST(SpreadWalk, RefusedFilesCountForNothingAndTheWindowMovesOn) {
  std::size_t taken = 0;
  const auto offers = Walk(Files(1000, 100), 10'000, 0, 1000, &taken,
                           [](std::size_t i) { return i % 3 != 0; });
  EXPECT_EQ(taken, 10'000u);
  std::size_t accepted = 0;
  for (const Offer& o : offers) accepted += o.index % 3 != 0;
  EXPECT_EQ(accepted, 100u);
}

TEST(SpreadWalk, AWindowThatRunsIntoTheNextNeverOffersAFileTwice) {
  // Windows start 10 files apart, but with every other file refused the first
  // one reaches file 19, past where the second should start.
  std::size_t taken = 0;
  const auto offers = Walk(Files(30, 100), 2500, 0, 1000, &taken, [](std::size_t i) { return i % 2 == 1; });
  std::set<std::size_t> seen;
  for (const Offer& o : offers) EXPECT_TRUE(seen.insert(o.index).second) << "file offered twice: " << o.index;
  EXPECT_EQ(offers.size(), 30u);
  EXPECT_EQ(taken, 1500u);
}

TEST(SpreadWalk, EmptyFilesAreNeverOfferedAndNothingIsNoTrouble) {
  std::vector<CandidateFile> files = Files(6, 0);
  files[3].size = 50;
  const auto offers = Walk(files, 1000, 0, 100);
  ASSERT_EQ(offers.size(), 1u);
  EXPECT_EQ(offers[0].index, 3u);
  EXPECT_TRUE(Walk({}, 1000, 0, 100).empty());
}

TEST(SplitBlocks, CutsWholeBlocksAndAShorterLastOne) {
  const Bytes data(10, 7);
  const auto blocks = SplitBlocks(data, 4);
  ASSERT_EQ(blocks.size(), 3u);
  EXPECT_EQ(blocks[0].size(), 4u);
  EXPECT_EQ(blocks[2].size(), 2u);
  EXPECT_EQ(blocks[2].data(), data.data() + 8);
  EXPECT_EQ(SplitBlocks(Bytes(8, 1), 4).size(), 2u);  // no empty tail block
  EXPECT_TRUE(SplitBlocks(Bytes{}, 4).empty());
}

TEST(LoadSet, ReadsAcceptedFilesInPathOrderAndSkipsLinksAndBinaryText) {
  test::TempDir dir;
  std::filesystem::create_directories(dir / "sub");
  test::WriteFile(dir / "b.txt", {'B', 'B'});
  test::WriteFile(dir / "sub/a.txt", {'S'});
  test::WriteFile(dir / "a.txt", {'A'});
  test::WriteFile(dir / "c.txt", {'C', 0, 'C'});  // a NUL: not text
  test::WriteFile(dir / "d.bin", {'D'});
  std::filesystem::create_symlink(dir / "a.txt", dir / "e.txt");

  SetRecipe recipe{"t", {dir.path()}, [](const std::string& p) { return p.ends_with(".txt"); },
                   /*textOnly=*/true, /*fromMiddle=*/false, /*perFileCap=*/0};
  const DataSet set = LoadSet(recipe, 1000, 100);
  EXPECT_EQ(set.bytes, (Bytes{'A', 'B', 'B', 'S'}));
  EXPECT_EQ(set.files, 3u);
  EXPECT_EQ(ListCandidates(recipe).size(), 4u);  // c.txt is refused only when read
}

TEST(LoadSet, TakesTheMiddleOfACappedFileWhenAsked) {
  test::TempDir dir;
  Bytes data(100);
  std::iota(data.begin(), data.end(), std::uint8_t{0});
  test::WriteFile(dir / "lib.so", data);
  SetRecipe recipe{"b", {dir.path()}, nullptr, /*textOnly=*/false, /*fromMiddle=*/true, /*perFileCap=*/10};
  EXPECT_EQ(LoadSet(recipe, 1000, 100).bytes, Bytes(data.begin() + 45, data.begin() + 55));
  recipe.fromMiddle = false;
  EXPECT_EQ(LoadSet(recipe, 1000, 100).bytes, Bytes(data.begin(), data.begin() + 10));
}

TEST(LoadSet, AMissingRootGivesAnEmptySet) {
  SetRecipe recipe{"none", {"/nonexistent/parvex-bench-root"}, nullptr, false, false, 0};
  EXPECT_TRUE(ListCandidates(recipe).empty());
  EXPECT_TRUE(LoadSet(recipe, 1000, 100).bytes.empty());
}

TEST(StandardRecipes, NameTheThreeSetsInTheirFixedOrder) {
  const auto recipes = StandardRecipes();
  ASSERT_EQ(recipes.size(), 3u);
  EXPECT_EQ(recipes[0].name, "text");
  EXPECT_EQ(recipes[1].name, "binaries");
  EXPECT_EQ(recipes[2].name, "compressed");
  EXPECT_FALSE(recipes[0].acceptName("/usr/share/doc/x/changelog.gz"));
  EXPECT_TRUE(recipes[0].acceptName("/usr/include/stdio.h"));
  EXPECT_TRUE(recipes[1].acceptName("/usr/lib/x86_64-linux-gnu/libz.so.1.2.13"));
  EXPECT_FALSE(recipes[1].acceptName("/usr/lib/x86_64-linux-gnu/libz.a"));
  EXPECT_TRUE(recipes[2].acceptName("/usr/share/man/man1/ls.1.gz"));
  EXPECT_FALSE(recipes[2].acceptName("/usr/share/doc/x/README"));
}

}  // namespace
}  // namespace parvex::bench
