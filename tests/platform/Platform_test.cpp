// The platform layer's names, searches and times: path helpers, wildcard
// matching, directory search on real directories, existence and directory
// creation, MS-DOS times and file times, and the locale's date and time texts.
#include "platform/Platform.h"

#include <gtest/gtest.h>
#include <locale.h>
#include <fcntl.h>
#include <sys/stat.h>

#include <chrono>
#include <filesystem>
#include <limits>

#include "tests/platform/PlatformTestSupport.h"
#include "tests/support/TestFiles.h"

namespace parvex::platform {
namespace {

namespace fs = std::filesystem;
using test::ScopedEnvVar;
using test::TempDir;

std::uint32_t Dos(int year, int month, int day, int hour, int minute, int second) {
  return (static_cast<std::uint32_t>(year - 1980) << 25) | (static_cast<std::uint32_t>(month) << 21) |
         (static_cast<std::uint32_t>(day) << 16) | (static_cast<std::uint32_t>(hour) << 11) |
         (static_cast<std::uint32_t>(minute) << 5) | static_cast<std::uint32_t>(second / 2);
}

std::time_t Local(int year, int month, int day, int hour, int minute, int second) {
  struct tm t {};
  t.tm_year = year - 1900;
  t.tm_mon = month - 1;
  t.tm_mday = day;
  t.tm_hour = hour;
  t.tm_min = minute;
  t.tm_sec = second;
  t.tm_isdst = -1;
  return mktime(&t);
}

void Touch(const std::string& path) { test::WriteFile(path, {1, 2, 3}); }

TEST(PlatformPaths, SplitIntoDirectoryAndName) {
  EXPECT_EQ(DirectoryPart("/home/ann/report.doc"), "/home/ann/");
  EXPECT_EQ(NamePart("/home/ann/report.doc"), "report.doc");
  EXPECT_EQ(DirectoryPart("report.doc"), "");
  EXPECT_EQ(NamePart("report.doc"), "report.doc");
  EXPECT_EQ(DirectoryPart("/"), "/");
  EXPECT_EQ(NamePart("/"), "");
  EXPECT_EQ(DirectoryPart("out/"), "out/");
  EXPECT_EQ(NamePart("out/"), "");
  EXPECT_EQ(NamePart("/a.b/c"), "c");
}

TEST(PlatformPaths, MakeAbsoluteResolvesLexically) {
  EXPECT_EQ(MakeAbsolute("b.txt", "/x/y"), "/x/y/b.txt");
  EXPECT_EQ(MakeAbsolute("../b.txt", "/x/y"), "/x/b.txt");
  EXPECT_EQ(MakeAbsolute("/p//q/./r/../s", "/ignored"), "/p/q/s");
  EXPECT_EQ(MakeAbsolute("../../../../etc", "/x"), "/etc");
  EXPECT_EQ(MakeAbsolute("..", "/"), "/");
  EXPECT_EQ(MakeAbsolute("", "/x/y/"), "/x/y");
  EXPECT_EQ(MakeAbsolute("sub/", "/x"), "/x/sub");
  EXPECT_EQ(MakeAbsolute("a", "/x//y/"), "/x/y/a");
  EXPECT_EQ(MakeAbsolute("...", "/x"), "/x/...");  // only "." and ".." are special
  EXPECT_EQ(MakeAbsolute("f", ""), MakeAbsolute("f", CurrentDirectory()));
  EXPECT_EQ(MakeAbsolute("f", "rel"), CurrentDirectory() + "/rel/f");
}

TEST(PlatformPaths, CurrentDirectoryFollowsChdir) {
  TempDir dir;
  test::ScopedWorkingDirectory inside(dir.path());
  EXPECT_EQ(CurrentDirectory(), fs::canonical(dir.path()).string());
}

TEST(PlatformWildcards, MatchLikeTheShell) {
  struct Case {
    const char* pattern;
    const char* name;
    bool match;
  };
  const Case cases[] = {
      {"*", "", true},           {"*", ".hidden", true},       {"", "", true},
      {"", "a", false},          {"?", "", false},             {"?", "a", true},
      {"a?c", "abc", true},      {"a?c", "ac", false},         {"a?c", "abbc", false},
      {"*.txt", "a.txt", true},  {"*.txt", "a.TXT", false},    {"*.txt", "a.txt.bak", false},
      {"A*", "abc", false},      {"a*", "a", true},            {"**", "", true},
      {"*a*b*c", "xaxxbxc", true}, {"*a*b*c", "xaxcxb", false}, {"*x", "xxxy", false},
      {"*?*?", "ab", true},      {"*?*?", "a", false},         {"a*b?d", "aXbXbcd", true},
      {"r?sum?.doc", "r\xc3\xa9sum\xc3\xa9.doc", true},  // one '?' per UTF-8 character
      {"??", "\xc3\xa9", false},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(WildcardMatch(c.pattern, c.name), c.match) << '"' << c.pattern << "\" vs \"" << c.name << '"';
  }
}

TEST(PlatformWildcards, ManyStarsStayFast) {
  // A backtracking-by-recursion matcher takes exponential time here.
  const std::string name(20000, 'a');
  const auto start = std::chrono::steady_clock::now();
  EXPECT_FALSE(WildcardMatch("*a*a*a*a*a*a*a*a*a*a*a*b", name));
  EXPECT_TRUE(WildcardMatch("*a*a*a*a*a*a*a*a*a*a*a*", name));
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));
}

class PlatformFindMatches : public ::testing::Test {
 protected:
  void SetUp() override {
    for (const char* name : {"b.txt", "a.txt", ".hidden.txt", "c.TXT", "a1", "a22", "B", "_", "\xc3\xa9"}) {
      Touch(dir / name);
    }
    fs::create_directory(dir / "sub.txt");
    fs::create_directory_symlink(dir / "sub.txt", dir / "link.txt");
    fs::create_symlink(dir / "gone", dir / "dead.txt");
  }

  std::vector<std::string> Names(const std::string& pattern) {
    std::vector<std::string> names;
    for (const auto& e : env->FindMatches(pattern)) names.push_back(e.name + (e.isDirectory ? "/" : ""));
    return names;
  }

  TempDir dir;
  Env* env = Env::Default();
};

TEST_F(PlatformFindMatches, StarFindsEveryKindOfEntrySortedAndFlagged) {
  EXPECT_EQ(Names(dir / "*.txt"), (std::vector<std::string>{".hidden.txt", "a.txt", "b.txt", "dead.txt",
                                                             "link.txt/", "sub.txt/"}));
  const auto all = Names(dir / "*");
  EXPECT_EQ(all.size(), 12u);  // never "." or ".."
  EXPECT_TRUE(std::is_sorted(all.begin(), all.end()));
  EXPECT_EQ(Names(dir / "*").front(), ".hidden.txt");
  EXPECT_EQ(Names(dir / "*").back(), "\xc3\xa9");  // bytes above 0x7F sort last
}

TEST_F(PlatformFindMatches, QuestionMarkAndSeveralStars) {
  EXPECT_EQ(Names(dir / "a?"), (std::vector<std::string>{"a1"}));
  EXPECT_EQ(Names(dir / "a*"), (std::vector<std::string>{"a.txt", "a1", "a22"}));
  EXPECT_EQ(Names(dir / "*.*t*"), (std::vector<std::string>{".hidden.txt", "a.txt", "b.txt", "dead.txt",
                                                            "link.txt/", "sub.txt/"}));
  EXPECT_EQ(Names(dir / "*.TXT"), (std::vector<std::string>{"c.TXT"}));
  EXPECT_EQ(Names(dir / "?"), (std::vector<std::string>{"B", "_", "\xc3\xa9"}));
}

TEST_F(PlatformFindMatches, PlainNamesAndEdgeCases) {
  EXPECT_EQ(Names(dir / "a.txt"), (std::vector<std::string>{"a.txt"}));
  EXPECT_EQ(Names(dir / "sub.txt"), (std::vector<std::string>{"sub.txt/"}));
  EXPECT_EQ(Names(dir / "dead.txt"), (std::vector<std::string>{"dead.txt"}));
  EXPECT_TRUE(Names(dir / "A.TXT").empty());
  EXPECT_TRUE(Names(dir / "missing").empty());
  EXPECT_TRUE(Names(dir / ".").empty());
  EXPECT_TRUE(Names(dir / "..").empty());
  EXPECT_TRUE(Names(dir.path() + "/").empty());
  EXPECT_TRUE(Names(dir / "nodir/*").empty());
  EXPECT_TRUE(Names(dir / "a.txt/*").empty());
  EXPECT_TRUE(Names("").empty());
}

TEST_F(PlatformFindMatches, PatternWithoutDirectorySearchesTheWorkingDirectory) {
  test::ScopedWorkingDirectory inside(dir.path());
  EXPECT_EQ(Names("a*"), (std::vector<std::string>{"a.txt", "a1", "a22"}));
  EXPECT_EQ(Names("sub.txt/../b.*"), (std::vector<std::string>{"b.txt"}));
}

TEST(PlatformFileSystem, ExistenceFollowsLinks) {
  TempDir dir;
  Env* env = Env::Default();
  Touch(dir / "f");
  fs::create_directory(dir / "d");
  fs::create_symlink(dir / "f", dir / "lf");
  fs::create_directory_symlink(dir / "d", dir / "ld");
  fs::create_symlink(dir / "gone", dir / "dead");

  EXPECT_TRUE(env->FileExists(dir / "f"));
  EXPECT_TRUE(env->FileExists(dir / "lf"));
  EXPECT_FALSE(env->FileExists(dir / "d"));
  EXPECT_FALSE(env->FileExists(dir / "dead"));
  EXPECT_FALSE(env->FileExists(dir / "missing"));
  EXPECT_FALSE(env->FileExists(""));
  EXPECT_FALSE(env->FileExists("/dev/null"));

  EXPECT_TRUE(env->DirectoryExists(dir / "d"));
  EXPECT_TRUE(env->DirectoryExists(dir / "ld"));
  EXPECT_FALSE(env->DirectoryExists(dir / "f"));
  EXPECT_FALSE(env->DirectoryExists(dir / "missing"));
}

TEST(PlatformFileSystem, CreateDirectoriesMakesEveryParent) {
  TempDir dir;
  Env* env = Env::Default();
  EXPECT_TRUE(env->CreateDirectories(dir / "a/b/c"));
  EXPECT_TRUE(fs::is_directory(dir / "a/b/c"));
  EXPECT_TRUE(env->CreateDirectories(dir / "a/b/c"));  // already there
  EXPECT_TRUE(env->CreateDirectories(dir / "x//y/./z/"));
  EXPECT_TRUE(fs::is_directory(dir / "x/y/z"));
  EXPECT_TRUE(env->CreateDirectories(dir / "a/../q"));
  EXPECT_TRUE(fs::is_directory(dir / "q"));

  Touch(dir / "file");
  EXPECT_FALSE(env->CreateDirectories(dir / "file"));
  EXPECT_FALSE(env->CreateDirectories(dir / "file/sub"));
  EXPECT_FALSE(env->CreateDirectories(""));
  EXPECT_TRUE(env->CreateDirectories("/"));
}

TEST(PlatformDosTime, PacksLocalTimeInTwoSecondSteps) {
  ScopedEnvVar tz("TZ", "UTC");
  const std::time_t t = Local(2026, 8, 12, 14, 5, 9);
  EXPECT_EQ(ToDosTime(t), Dos(2026, 8, 12, 14, 5, 8));  // 9 s rounds down to 8
  EXPECT_EQ(FromDosTime(ToDosTime(t)), t - 1);
  EXPECT_EQ(FromDosTime(ToDosTime(t - 1)), t - 1);
  EXPECT_EQ(ToDosTime(Local(2000, 2, 29, 23, 59, 59)), Dos(2000, 2, 29, 23, 59, 58));
  EXPECT_EQ(FromDosTime(Dos(1980, 1, 1, 0, 0, 0)), Local(1980, 1, 1, 0, 0, 0));
}

TEST(PlatformDosTime, ClampsToTheRepresentableYears) {
  ScopedEnvVar tz("TZ", "UTC");
  constexpr std::uint32_t kEarliest = 0x00210000;
  constexpr std::uint32_t kLatest = 0xFF9FBF7D;
  EXPECT_EQ(Dos(2107, 12, 31, 23, 59, 58), kLatest);
  EXPECT_EQ(ToDosTime(0), kEarliest);
  EXPECT_EQ(ToDosTime(Local(1980, 1, 1, 0, 0, 0) - 1), kEarliest);
  EXPECT_EQ(ToDosTime(Local(1980, 1, 1, 0, 0, 1)), kEarliest);
  EXPECT_EQ(ToDosTime(Local(2107, 12, 31, 23, 59, 59)), kLatest);
  EXPECT_EQ(ToDosTime(Local(2108, 1, 1, 0, 0, 0)), kLatest);
  EXPECT_EQ(ToDosTime(std::numeric_limits<std::time_t>::max()), kLatest);
  EXPECT_EQ(ToDosTime(std::numeric_limits<std::time_t>::min()), kEarliest);
  EXPECT_EQ(FromDosTime(kLatest), Local(2107, 12, 31, 23, 59, 58));
}

TEST(PlatformDosTime, DamagedFieldsStayWithinTheirDate) {
  ScopedEnvVar tz("TZ", "UTC");
  EXPECT_EQ(FromDosTime(0), Local(1980, 1, 1, 0, 0, 0));               // month 0, day 0
  EXPECT_EQ(FromDosTime(Dos(2001, 2, 31, 0, 0, 0)), Local(2001, 2, 28, 0, 0, 0));
  EXPECT_EQ(FromDosTime(Dos(2004, 2, 31, 0, 0, 0)), Local(2004, 2, 29, 0, 0, 0));
  EXPECT_EQ(FromDosTime(0x21FFFFFF), Local(1996, 12, 31, 23, 59, 58));  // month 15, hour 31, minute 63, 62 s
}

TEST(PlatformDosTime, SummerTimeRoundTripsInAZoneWithDaylightSaving) {
  ScopedEnvVar tz("TZ", "Europe/Amsterdam");
  for (const std::time_t t : {Local(2023, 7, 14, 12, 30, 10), Local(2023, 1, 14, 12, 30, 10),
                              Local(1995, 6, 1, 0, 0, 0), Local(2090, 8, 1, 23, 59, 58)}) {
    EXPECT_EQ(FromDosTime(ToDosTime(t)), t);
  }
  EXPECT_EQ(ToDosTime(Local(2023, 7, 14, 12, 30, 10)), Dos(2023, 7, 14, 12, 30, 10));
}

TEST(PlatformDosTime, FileTimesOnARealFile) {
  TempDir dir;
  Env* env = Env::Default();
  const std::string path = dir / "f";
  Touch(path);
  const std::uint32_t stamp = Dos(2001, 2, 3, 4, 5, 6);
  ASSERT_TRUE(env->SetDosFileTime(path, stamp));
  EXPECT_EQ(env->GetDosFileTime(path), static_cast<std::int32_t>(stamp));
  struct stat st {};
  ASSERT_EQ(stat(path.c_str(), &st), 0);
  EXPECT_EQ(st.st_mtim.tv_sec, FromDosTime(stamp));
  EXPECT_EQ(st.st_mtim.tv_nsec, 0);
  EXPECT_EQ(st.st_atim.tv_sec, FromDosTime(stamp));

  EXPECT_EQ(env->GetDosFileTime(dir / "missing"), -1);
  EXPECT_FALSE(env->SetDosFileTime(dir / "missing", stamp));

  // A time past 2043 sets the top bit; it still is a valid stamp, not "absent".
  ASSERT_TRUE(env->SetDosFileTime(path, Dos(2050, 1, 1, 0, 0, 0)));
  EXPECT_EQ(static_cast<std::uint32_t>(env->GetDosFileTime(path)), Dos(2050, 1, 1, 0, 0, 0));

  const struct timespec old[2] = {{0, 0}, {86400 * 365 * 3, 0}};  // 1973
  ASSERT_EQ(utimensat(AT_FDCWD, path.c_str(), old, 0), 0);
  EXPECT_EQ(static_cast<std::uint32_t>(env->GetDosFileTime(path)), 0x00210000u);
}

TEST(PlatformLocaleTexts, CLocaleDigits) {
  ScopedEnvVar tz("TZ", "UTC");
  ScopedEnvVar all("LC_ALL", "C");
  const std::string globalBefore = setlocale(LC_TIME, nullptr);
  const std::time_t t = Local(2026, 8, 12, 14, 5, 9);
  EXPECT_EQ(ShortDateText(t), "08/12/26");
  EXPECT_EQ(LongTimeText(t), "14:05:09");
  EXPECT_EQ(setlocale(LC_TIME, nullptr), globalBefore);
}

TEST(PlatformLocaleTexts, UnknownLocaleFallsBackToC) {
  ScopedEnvVar tz("TZ", "UTC");
  ScopedEnvVar all("LC_ALL", "xx_NOWHERE.UTF-8");
  const std::time_t t = Local(1999, 12, 31, 23, 59, 58);
  EXPECT_EQ(ShortDateText(t), "12/31/99");
  EXPECT_EQ(LongTimeText(t), "23:59:58");
}

}  // namespace
}  // namespace parvex::platform
