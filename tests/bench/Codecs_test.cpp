// The benchmark's codec adapters: every codec round-trips the block shapes the
// benchmark feeds it, stays within its bound, reuses its state without carrying
// anything from one block to the next, and reports an output area that is too
// small instead of writing past it.
#include "bench/Codecs.h"

#include <gtest/gtest.h>

#include "engine/LZRW1KH.h"
#include "tests/support/TestFiles.h"

namespace parvex::bench {
namespace {

using test::Bytes;

Bytes Compress(BlockCodec& codec, const Bytes& in) {
  Bytes out(codec.Bound(in.size()));
  out.resize(codec.Compress(in.data(), in.size(), out.data(), out.size()));
  return out;
}

std::vector<Bytes> SampleBlocks() {
  return {Bytes{},
          Bytes{'x'},
          test::TextLike(kMaxBlockInput, 1),
          test::RandomBytes(kMaxBlockInput, 2),
          test::RunHeavy(kMaxBlockInput, 3),
          test::Periodic(kMaxBlockInput, 7, 4),
          test::TextLike(1000, 5)};
}

TEST(BenchCodecs, AreOursThenTheThreeOthersUnderDistinctNames) {
  const auto codecs = MakeCodecs();
  ASSERT_EQ(codecs.size(), 4u);
  EXPECT_EQ(codecs[0]->Name(), "lzrw1kh");
  EXPECT_EQ(codecs[1]->Name(), "lz4");
  EXPECT_EQ(codecs[2]->Name(), "zstd1");
  EXPECT_EQ(codecs[3]->Name(), "zlib1");
}

TEST(BenchCodecs, RoundTripEveryBlockShapeWithinTheirBound) {
  for (const auto& codec : MakeCodecs()) {
    for (const Bytes& in : SampleBlocks()) {
      const Bytes block = Compress(*codec, in);
      ASSERT_LE(block.size(), codec->Bound(in.size())) << codec->Name();
      Bytes out(kMaxBlockInput);
      const std::size_t n = codec->Decompress(block.data(), block.size(), out.data(), out.size());
      out.resize(n);
      EXPECT_EQ(out, in) << codec->Name() << ", " << in.size() << " bytes";
    }
  }
}

TEST(BenchCodecs, OursGivesTheEnginesBlocksByteForByte) {
  auto codecs = MakeCodecs();
  for (const Bytes& in : SampleBlocks()) {
    Bytes expected(in.size() + kCompressSlack);
    expected.resize(CompressBlock(in.data(), expected.data(), static_cast<std::uint16_t>(in.size())));
    EXPECT_EQ(Compress(*codecs[0], in), expected);
  }
}

TEST(BenchCodecs, ReusedStateGivesTheSameBlocksAsFreshState) {
  const Bytes first = test::TextLike(kMaxBlockInput, 11);
  const Bytes second = test::TextLike(kMaxBlockInput, 12);
  auto reused = MakeCodecs();
  auto fresh = MakeCodecs();
  for (std::size_t i = 0; i < reused.size(); ++i) {
    Compress(*reused[i], first);
    EXPECT_EQ(Compress(*reused[i], second), Compress(*fresh[i], second)) << reused[i]->Name();
  }
}

TEST(BenchCodecs, ReportATooSmallOutputAreaWithoutWritingPastIt) {
  const Bytes in = test::TextLike(kMaxBlockInput, 21);
  for (const auto& codec : MakeCodecs()) {
    const Bytes block = Compress(*codec, in);
    const std::size_t area = in.size() - 100;
    Bytes out(area + 1, 0xA5);  // the last byte is a canary
    EXPECT_THROW(codec->Decompress(block.data(), block.size(), out.data(), area), CodecError)
        << codec->Name();
    EXPECT_EQ(out[area], 0xA5) << codec->Name();
  }
}

TEST(BenchCodecs, RejectAMangledBlock) {
  const Bytes in = test::TextLike(kMaxBlockInput, 31);
  for (const auto& codec : MakeCodecs()) {
    Bytes block = Compress(*codec, in);
    // Cut the block to its first third: none of the formats can end there
    // cleanly with the whole input, and zstd, zlib and LZ4 know the length.
    block.resize(block.size() / 3);
    Bytes out(kMaxBlockInput);
    std::size_t n = 0;
    try {
      n = codec->Decompress(block.data(), block.size(), out.data(), out.size());
    } catch (const CodecError&) {
      continue;
    }
    // Our blocks carry no length: a cut at an item boundary decodes to a prefix.
    EXPECT_EQ(codec->Name(), "lzrw1kh");
    EXPECT_LT(n, in.size());
    EXPECT_TRUE(std::equal(out.begin(), out.begin() + static_cast<std::ptrdiff_t>(n), in.begin()));
  }
}

}  // namespace
}  // namespace parvex::bench
