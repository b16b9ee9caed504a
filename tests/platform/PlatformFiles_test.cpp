// Reading and buffered writing through the platform layer, on real files:
// pieces of every size, patches inside and outside the write buffer, appends,
// and failures that must surface with the file's name.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstring>
#include <functional>
#include <random>

#include "platform/Platform.h"
#include "platform/PosixFiles.h"
#include "tests/platform/PlatformTestSupport.h"
#include "tests/support/TestFiles.h"

namespace parvex::platform {
namespace {

using test::Bytes;
using test::TempDir;

std::string Text(const Bytes& b) { return std::string(b.begin(), b.end()); }

std::string IoErrorMessage(const std::function<void()>& action) {
  try {
    action();
  } catch (const IoError& e) {
    return e.what();
  }
  return "(no IoError)";
}

TEST(PlatformReading, PiecesOfAnySizeGiveTheWholeFile) {
  TempDir dir;
  const Bytes data = test::RandomBytes(3 * kWriteBufferSize + 12345, 7);
  test::WriteFile(dir / "in", data);
  {
    auto file = Env::Default()->OpenForReading(dir / "in");
    std::uint8_t b = 0;
    for (std::size_t i = 0; i < 100000; ++i) {
      ASSERT_EQ(file->Read(&b, 1), 1u);
      ASSERT_EQ(b, data[i]);
    }
  }
  for (const std::size_t piece : {std::size_t{7}, std::size_t{32773}, kWriteBufferSize + 3, data.size() + 100}) {
    auto file = Env::Default()->OpenForReading(dir / "in");
    EXPECT_EQ(file->Size(), static_cast<std::int64_t>(data.size()));
    Bytes got;
    Bytes buffer(piece);
    for (;;) {
      const std::size_t n = file->Read(buffer.data(), piece);
      got.insert(got.end(), buffer.begin(), buffer.begin() + static_cast<std::ptrdiff_t>(n));
      if (n < piece) break;  // a short count means the end, never a pause
    }
    EXPECT_EQ(got, data) << "piece " << piece;
    EXPECT_EQ(file->Read(buffer.data(), piece), 0u);
  }
}

TEST(PlatformReading, SeekAndFailures) {
  TempDir dir;
  test::WriteFile(dir / "in", {'0', '1', '2', '3', '4', '5'});
  auto file = Env::Default()->OpenForReading(dir / "in");
  char buffer[8] = {};
  file->Seek(4);
  EXPECT_EQ(file->Read(buffer, 8), 2u);
  EXPECT_EQ(std::string(buffer, 2), "45");
  file->Seek(100);
  EXPECT_EQ(file->Read(buffer, 8), 0u);
  file->Seek(0);
  EXPECT_EQ(file->Read(buffer, 3), 3u);
  EXPECT_EQ(std::string(buffer, 3), "012");
  EXPECT_THROW(file->Seek(-1), IoError);
  EXPECT_EQ(Env::Default()->OpenForReading(dir / "in")->Size(), 6);

  EXPECT_EQ(IoErrorMessage([&] { Env::Default()->OpenForReading(dir / "missing"); }),
            dir / "missing" + ": No such file or directory");
  EXPECT_EQ(IoErrorMessage([&] { Env::Default()->OpenForReading(dir.path()); }), dir.path() + ": Is a directory");
}

TEST(PlatformReading, SizeAndTimeAsOpenedAndSizeByName) {
  TempDir dir;
  test::WriteFile(dir / "in", Bytes(1234, 'x'));
  ASSERT_TRUE(Env::Default()->SetDosFileTime(dir / "in", 0x56A47000));
  auto file = Env::Default()->OpenForReading(dir / "in");
  test::WriteFile(dir / "in", Bytes(99, 'y'));  // changes after the open do not count
  EXPECT_EQ(file->SizeAtOpen(), 1234);
  EXPECT_EQ(file->DosTimeAtOpen(), 0x56A47000);
  EXPECT_EQ(Env::Default()->FileSize(dir / "in"), 99);
  EXPECT_EQ(Env::Default()->FileSize(dir / "missing"), -1);
  EXPECT_EQ(Env::Default()->FileSize(dir.path()), -1);  // a directory is no file
}

TEST(PlatformWriting, SmallAndLargePiecesKeepTheirOrder) {
  TempDir dir;
  const Bytes data = test::RandomBytes(5 * kWriteBufferSize, 3);
  auto file = Env::Default()->Create(dir / "out");
  std::size_t at = 0;
  // Small pieces across a buffer boundary, then a piece bigger than the buffer
  // while the buffer holds data, then small ones again.
  for (const std::size_t piece : {std::size_t{4}, std::size_t{32778}, kWriteBufferSize - 5, std::size_t{9},
                                  2 * kWriteBufferSize + 1, std::size_t{0}, std::size_t{77}}) {
    file->Write(data.data() + at, piece);
    at += piece;
    EXPECT_EQ(file->Position(), static_cast<std::int64_t>(at));
  }
  file->Write(data.data() + at, data.size() - at);
  EXPECT_EQ(file->Position(), static_cast<std::int64_t>(data.size()));
  file->Close();
  file->Close();  // twice is harmless
  EXPECT_EQ(test::ReadFile(dir / "out"), data);
}

TEST(PlatformWriting, WriteAtInsideTheBufferAfterAFlushAndAcrossBoth) {
  TempDir dir;
  auto file = Env::Default()->Create(dir / "out");
  Bytes model(kWriteBufferSize, 'a');
  file->Write(model.data(), model.size());  // fills the buffer exactly
  const Bytes tail(10, 'b');
  file->Write(tail.data(), tail.size());  // flushes the first buffer, keeps these 10
  model.insert(model.end(), tail.begin(), tail.end());

  const auto patch = [&](std::int64_t offset, const std::string& text) {
    file->WriteAt(offset, text.data(), text.size());
    std::memcpy(model.data() + offset, text.data(), text.size());
  };
  patch(3, "DISK");                                              // on disk already
  patch(static_cast<std::int64_t>(kWriteBufferSize) + 2, "buf");  // still buffered
  patch(static_cast<std::int64_t>(kWriteBufferSize) - 4, "straddle");
  patch(static_cast<std::int64_t>(model.size()) - 1, "Z");        // the very last byte
  EXPECT_EQ(file->Position(), static_cast<std::int64_t>(model.size()));
  file->Close();
  EXPECT_EQ(test::ReadFile(dir / "out"), model);
}

TEST(PlatformWriting, RandomWritesAndPatchesMatchAModel) {
  TempDir dir;
  std::mt19937 rng(11);
  for (int round = 0; round < 4; ++round) {
    auto file = Env::Default()->Create(dir / "out");
    Bytes model;
    for (int step = 0; step < 60; ++step) {
      if (!model.empty() && rng() % 3 == 0) {
        const std::size_t offset = rng() % model.size();
        const std::size_t n = rng() % (model.size() - offset + 1);
        const Bytes piece = test::RandomBytes(n, static_cast<std::uint32_t>(rng()));
        file->WriteAt(static_cast<std::int64_t>(offset), piece.data(), n);
        std::copy(piece.begin(), piece.end(), model.begin() + static_cast<std::ptrdiff_t>(offset));
      } else {
        const std::size_t n = rng() % 8 == 0 ? rng() % (kWriteBufferSize + kWriteBufferSize / 2) : rng() % 40000;
        const Bytes piece = test::RandomBytes(n, static_cast<std::uint32_t>(rng()));
        file->Write(piece.data(), n);
        model.insert(model.end(), piece.begin(), piece.end());
      }
      ASSERT_EQ(file->Position(), static_cast<std::int64_t>(model.size()));
    }
    file->Close();
    ASSERT_EQ(test::ReadFile(dir / "out"), model) << "round " << round;
  }
}

TEST(PlatformWriting, WriteAtOutsideTheFileIsRefused) {
  TempDir dir;
  auto file = Env::Default()->Create(dir / "out");
  file->Write("abcdef", 6);
  EXPECT_THROW(file->WriteAt(4, "xyz", 3), IoError);
  EXPECT_THROW(file->WriteAt(-1, "x", 1), IoError);
  EXPECT_THROW(file->WriteAt(7, "", 0), IoError);
  file->WriteAt(6, "", 0);  // an empty patch at the end is fine
  file->Close();
  EXPECT_EQ(Text(test::ReadFile(dir / "out")), "abcdef");
  EXPECT_THROW(file->Write("x", 1), IoError);  // after Close
}

TEST(PlatformWriting, CreateReplacesAndAppendContinues) {
  TempDir dir;
  test::WriteFile(dir / "f", Bytes(100, 'x'));
  {
    auto file = Env::Default()->Create(dir / "f");
    EXPECT_EQ(file->Position(), 0);
    file->Write("abc", 3);
    file->Close();
  }
  EXPECT_EQ(Text(test::ReadFile(dir / "f")), "abc");
  {
    auto file = Env::Default()->OpenForAppend(dir / "f");
    EXPECT_EQ(file->Position(), 3);
    file->Write("def", 3);
    file->WriteAt(0, "X", 1);  // before the append started
    EXPECT_EQ(file->Position(), 6);
    file->Close();
  }
  EXPECT_EQ(Text(test::ReadFile(dir / "f")), "Xbcdef");
  EXPECT_EQ(IoErrorMessage([&] { Env::Default()->OpenForAppend(dir / "missing"); }),
            dir / "missing" + ": No such file or directory");
  EXPECT_EQ(IoErrorMessage([&] { Env::Default()->Create(dir / "nodir/f"); }),
            dir / "nodir/f" + ": No such file or directory");
}

TEST(PlatformWriting, DestructorFlushesWithoutClose) {
  TempDir dir;
  {
    auto file = Env::Default()->Create(dir / "f");
    file->Write("kept", 4);
  }
  EXPECT_EQ(Text(test::ReadFile(dir / "f")), "kept");
}

TEST(PlatformWriting, NewFilesFollowTheUmask) {
  TempDir dir;
  test::ScopedUmask mask(027);
  Env::Default()->Create(dir / "f")->Close();
  struct stat st {};
  ASSERT_EQ(stat((dir / "f").c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0640u);
}

TEST(PlatformWriting, FullDiskShowsUpAtCloseAtTheLatest) {
  const std::string expected = "/dev/full: No space left on device";
  {
    auto file = Env::Default()->Create("/dev/full");
    file->Write("buffered", 8);  // nothing reaches the device yet
    EXPECT_EQ(IoErrorMessage([&] { file->Close(); }), expected);
    EXPECT_NO_THROW(file->Close());
  }
  {
    auto file = Env::Default()->Create("/dev/full");
    const Bytes big(kWriteBufferSize + 1, 0);
    EXPECT_EQ(IoErrorMessage([&] { file->Write(big.data(), big.size()); }), expected);
    // A failed file stays failed: nothing later may pretend it is whole.
    EXPECT_EQ(IoErrorMessage([&] { file->Write("x", 1); }), expected);
    EXPECT_EQ(IoErrorMessage([&] { file->Close(); }), expected);
  }
  {
    auto file = Env::Default()->Create("/dev/full");
    file->Write("dropped", 7);
  }  // the destructor swallows the failure
}

}  // namespace
}  // namespace parvex::platform

namespace parvex::platform {
namespace {

TEST(PlatformRemoving, AFileGoesADirectoryStaysAMissingNameIsGoneAlready) {
  test::TempDir dir;
  test::WriteFile(dir / "f", {1});
  ASSERT_EQ(::mkdir((dir / "d").c_str(), 0777), 0);
  Env& env = *Env::Default();
  EXPECT_TRUE(env.RemoveFile(dir / "f"));
  EXPECT_FALSE(env.FileExists(dir / "f"));
  EXPECT_TRUE(env.RemoveFile(dir / "f"));
  EXPECT_FALSE(env.RemoveFile(dir / "d"));
  EXPECT_TRUE(env.DirectoryExists(dir / "d"));
}

}  // namespace
}  // namespace parvex::platform
