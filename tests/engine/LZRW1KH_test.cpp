// The codec: worked examples byte for byte, the coder's edge cases, round trips
// over many kinds of data, and corrupt blocks that must fail cleanly.
#include "engine/LZRW1KH.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "tests/support/TestFiles.h"

namespace parvex {
namespace {

using test::Bytes;

Bytes Compress(const Bytes& in) {
  Bytes out(in.size() + kCompressSlack);
  const std::uint16_t n = CompressBlock(in.data(), out.data(), static_cast<std::uint16_t>(in.size()));
  out.resize(n);
  return out;
}

Bytes Decompress(const Bytes& block) {
  Bytes out(kMaxBlockInput);
  const std::uint16_t n = DecompressBlock(block.data(), out.data(), static_cast<std::uint16_t>(block.size()));
  out.resize(n);
  return out;
}

Bytes FromText(const std::string& s) { return Bytes(s.begin(), s.end()); }

void ExpectRoundTrip(const Bytes& in) {
  const Bytes block = Compress(in);
  ASSERT_LE(block.size(), in.size() + 1);
  ASSERT_EQ(Decompress(block), in) << "size " << in.size();
}

TEST(Lzrw1khExamples, MatchTheReferenceBlocks) {
  EXPECT_EQ(Compress({}), (Bytes{0x80}));
  EXPECT_EQ(Compress(FromText("a")), (Bytes{0x80, 0x61}));
  EXPECT_EQ(Compress(FromText("abcabcabcabc")),
            (Bytes{0x40, 0x10, 0x00, 0x61, 0x62, 0x63, 0x00, 0x36}));
  EXPECT_EQ(Compress(Bytes(20, 0x41)), (Bytes{0x40, 0x80, 0x00, 0x00, 0x00, 0x04, 0x41}));
  EXPECT_TRUE(Decompress({0x80}).empty());
  EXPECT_EQ(Decompress({0x40, 0x10, 0x00, 0x61, 0x62, 0x63, 0x00, 0x36}), FromText("abcabcabcabc"));
}

TEST(Lzrw1khEdges, ShortAndIncompressibleInputsAreStored) {
  EXPECT_EQ(Compress(FromText("ab")), (Bytes{0x80, 'a', 'b'}));
  const Bytes random = test::RandomBytes(1000, 7);
  const Bytes block = Compress(random);
  ASSERT_EQ(block.size(), 1001u);
  EXPECT_EQ(block[0], 0x80);
  EXPECT_TRUE(std::equal(random.begin(), random.end(), block.begin() + 1));
}

TEST(Lzrw1khEdges, CompressedFormAsLongAsTheInputIsKept) {
  // "aaaa": literal a, copy offset 1 length 3 -> 40 40 00 61 00 10 (6 bytes) > 4:
  // stored. Find inputs where the compressed form is exactly as long as the input
  // by searching small texts; the coder must keep the compressed form there.
  int found = 0;
  for (std::uint32_t seed = 0; seed < 4000 && found < 5; ++seed) {
    Bytes in = test::Periodic(8 + seed % 40, 1 + seed % 5, seed);
    for (std::size_t i = 0; i < in.size(); i += 3 + seed % 7) in[i] ^= static_cast<std::uint8_t>(seed);
    Bytes out(in.size() + kCompressSlack);
    const std::uint16_t n = CompressBlock(in.data(), out.data(), static_cast<std::uint16_t>(in.size()));
    if (out[0] == 0x40 && n == in.size()) {
      ++found;
      out.resize(n);
      EXPECT_EQ(Decompress(out), in);
    }
  }
  EXPECT_GT(found, 0);
}

TEST(Lzrw1khEdges, RunCodesStartAtSixteenAndStopAt4095) {
  // 15 equal bytes: literal, then copies through the hash table (offset 1).
  const Bytes fifteen = Compress(Bytes(15, 'z'));
  ASSERT_EQ(fifteen[0], 0x40);
  EXPECT_EQ(fifteen, (Bytes{0x40, 0x40, 0x00, 'z', 0x00, 0x1B}));  // literal, copy off 1 len 14
  EXPECT_EQ(Compress(Bytes(16, 'z')), (Bytes{0x40, 0x80, 0x00, 0x00, 0x00, 0x00, 'z'}));
  EXPECT_EQ(Compress(Bytes(4095, 'z')), (Bytes{0x40, 0x80, 0x00, 0x00, 0x0F, 0xEF, 'z'}));
  // 4096: a run of 4095, then one literal.
  EXPECT_EQ(Compress(Bytes(4096, 'z')), (Bytes{0x40, 0x80, 0x00, 0x00, 0x0F, 0xEF, 'z', 'z'}));
  // 5000: a run of 4095, then a run of 905.
  EXPECT_EQ(Compress(Bytes(5000, 'z')),
            (Bytes{0x40, 0xC0, 0x00, 0x00, 0x0F, 0xEF, 'z', 0x00, 0x03, 0x79, 'z'}));
  for (std::size_t n : {15u, 16u, 4095u, 4096u, 5000u, 32773u}) ExpectRoundTrip(Bytes(n, 'q'));
}

TEST(Lzrw1khEdges, SeventeenthItemGetsASecondControlWord) {
  // 17 distinct literals followed by a repeat, long enough to stay compressed.
  Bytes in;
  for (int i = 0; i < 17; ++i) in.push_back(static_cast<std::uint8_t>('A' + i));
  for (int i = 0; i < 40; ++i) in.push_back('#');
  const Bytes block = Compress(in);
  ASSERT_EQ(block[0], 0x40);
  EXPECT_EQ(block[1], 0x00);  // 16 literals
  EXPECT_EQ(block[2], 0x00);
  // Second control word stands where the output was when item 17 began: 3 + 16.
  EXPECT_EQ(block[19], 0x40);  // literal 'Q', then the run of 40 '#'
  EXPECT_EQ(block[20], 0x00);
  EXPECT_EQ(block[21], 'Q');
  EXPECT_EQ(block.size(), 26u);
  ExpectRoundTrip(in);
}

TEST(Lzrw1khEdges, ItemCountMultipleOfSixteenEndsWithoutEmptyControlWord) {
  // 32 items: 16 runs of 20 bytes and then 16 more: every item a run code.
  Bytes in;
  for (int i = 0; i < 32; ++i) in.insert(in.end(), 20, static_cast<std::uint8_t>(i));
  const Bytes block = Compress(in);
  ASSERT_EQ(block.size(), 1u + 2 + 16 * 4 + 2 + 16 * 4);
  EXPECT_EQ(block[1], 0xFF);
  EXPECT_EQ(block[2], 0xFF);
  EXPECT_EQ(block[67], 0xFF);
  EXPECT_EQ(block[68], 0xFF);
  ExpectRoundTrip(in);
}

TEST(Lzrw1khEdges, OverlappingCopyRepeatsThePattern) {
  // A literal and a copy of offset 1, length 18, decode to 19 equal bytes.
  const Bytes block{0x40, 0x40, 0x00, 'x', 0x00, 0x1F};
  EXPECT_EQ(Decompress(block), Bytes(19, 'x'));
  const Bytes pattern = FromText("ab" "ababababababababab");
  EXPECT_EQ(Decompress({0x40, 0x20, 0x00, 'a', 'b', 0x00, 0x2F}), pattern);
}

TEST(Lzrw1khEdges, PositionsFrom32768OnNeverServeAsMatchSource) {
  // "aaaaa" at 32,768: the position stored for its first byte reads back
  // negative, so the repeats stay literals. At 1000 they become a copy.
  Bytes in = test::TextLike(32768, 3);
  in.insert(in.end(), 5, 'a');
  const Bytes block = Compress(in);
  ASSERT_EQ(block[0], 0x40);
  EXPECT_EQ(Bytes(block.end() - 5, block.end()), Bytes(5, 'a'));
  ExpectRoundTrip(in);
  Bytes low = test::TextLike(1000, 3);
  low.insert(low.end(), 5, 'a');
  const Bytes lowBlock = Compress(low);
  EXPECT_EQ(Bytes(lowBlock.end() - 3, lowBlock.end()), (Bytes{'a', 0x00, 0x11}));  // literal, copy off 1 len 4
  ExpectRoundTrip(low);
}

TEST(Lzrw1khEdges, SlackBeyondTheInputDoesNotChangeTheOutput) {
  for (std::uint32_t seed = 0; seed < 50; ++seed) {
    const Bytes in = test::TextLike(3 + seed * 7, seed);
    Bytes padded = in;
    padded.push_back(in.back());
    padded.push_back(in[in.size() - 2]);
    Bytes a(in.size() + kCompressSlack), b(in.size() + kCompressSlack);
    const auto na = CompressBlock(in.data(), a.data(), static_cast<std::uint16_t>(in.size()));
    const auto nb = CompressBlock(padded.data(), b.data(), static_cast<std::uint16_t>(in.size()));
    ASSERT_EQ(na, nb);
    a.resize(na);
    b.resize(nb);
    EXPECT_EQ(a, b);
  }
}

TEST(Lzrw1khCompressor, OwnTableGivesTheSameBlocksAsTheDefault) {
  LzrwCompressor own;
  for (std::uint32_t seed = 0; seed < 20; ++seed) {
    const Bytes in = test::TextLike(kMaxBlockInput - seed * 999, seed);
    Bytes a(in.size() + kCompressSlack);
    const auto n = own.Compress(in.data(), a.data(), static_cast<std::uint16_t>(in.size()));
    a.resize(n);
    EXPECT_EQ(a, Compress(in));
  }
}

class Lzrw1khRoundTrip : public testing::TestWithParam<std::size_t> {};

TEST_P(Lzrw1khRoundTrip, EveryKindOfData) {
  const std::size_t n = GetParam();
  for (std::uint32_t seed = 1; seed <= 3; ++seed) {
    ExpectRoundTrip(test::RandomBytes(n, seed));
    ExpectRoundTrip(test::TextLike(n, seed));
    ExpectRoundTrip(test::RunHeavy(n, seed));
    ExpectRoundTrip(test::Periodic(n, seed * 3, seed));
  }
}

INSTANTIATE_TEST_SUITE_P(SmallSizes, Lzrw1khRoundTrip, testing::Range<std::size_t>(0, 41));
INSTANTIATE_TEST_SUITE_P(NearTheLimit, Lzrw1khRoundTrip,
                         testing::Values(32700, 32760, 32767, 32768, 32769, 32772, 32773));

TEST(Lzrw1khRealFiles, BlocksOfThisMachinesFilesRoundTrip) {
  const Bytes data = test::RealFiles("/usr/include", 2 << 20);
  const Bytes bin = test::RealFiles("/usr/lib/x86_64-linux-gnu/libc.so.6", 1 << 20);
  for (const Bytes* set : {&data, &bin}) {
    for (std::size_t at = 0; at < set->size(); at += kMaxBlockInput) {
      const std::size_t len = std::min(kMaxBlockInput, set->size() - at);
      ExpectRoundTrip(Bytes(set->begin() + static_cast<std::ptrdiff_t>(at),
                            set->begin() + static_cast<std::ptrdiff_t>(at + len)));
    }
  }
}

// Decoding: every malformed block raises ECorruptBlock and nothing is touched
// outside the block or the output area.
TEST(Lzrw1khCorrupt, MalformedBlocksRaiseTheError) {
  const std::vector<Bytes> bad = {
      {},                                   // empty
      {0x40},                               // no control word
      {0x40, 0x80},                         // half a control word
      {0x40, 0x80, 0x00, 0x00},             // code item cut short
      {0x40, 0x80, 0x00, 0x00, 0x00, 0x04}, // run code cut short
      {0x40, 0x80, 0x00, 0x00, 0x10},       // copy from offset 1 with no output yet
      {0x40, 0x40, 0x00, 'x', 0x10, 0x0F},  // copy from offset 256 after 1 byte
      {0x40, 0x00, 0x00, 'a', 'b', 'c', 'd', 'e', 'f', 'g', 'h', 'i', 'j', 'k', 'l', 'm', 'n', 'o', 'p',
       0x00},                               // ends inside the next control word
  };
  for (const Bytes& b : bad) {
    Bytes out(kMaxBlockInput);
    EXPECT_THROW(DecompressBlock(b.data(), out.data(), static_cast<std::uint16_t>(b.size())), ECorruptBlock)
        << testing::PrintToString(b);
  }
}

TEST(Lzrw1khCorrupt, OutputNeverPassesTheOutputArea) {
  // Runs of 4111 bytes, nine of them: 36,999 bytes > 32,773.
  Bytes block{0x40, 0xFF, 0x80};
  for (int i = 0; i < 9; ++i) block.insert(block.end(), {0x00, 0x0F, 0xFF, 0x55});
  Bytes out(kMaxBlockInput + 16, 0xEE);
  EXPECT_THROW(DecompressBlock(block.data(), out.data(), static_cast<std::uint16_t>(block.size())),
               ECorruptBlock);
  for (std::size_t i = kMaxBlockInput; i < out.size(); ++i) ASSERT_EQ(out[i], 0xEE) << i;
  // A stored block longer than the output area.
  Bytes stored(kMaxBlockInput + 2, 0x11);
  stored[0] = 0x80;
  EXPECT_THROW(DecompressBlock(stored.data(), out.data(), static_cast<std::uint16_t>(stored.size())),
               ECorruptBlock);
  // A small output area is honoured too.
  const Bytes twenty = Compress(Bytes(20, 'A'));
  EXPECT_THROW(DecompressBlock(twenty.data(), out.data(), static_cast<std::uint16_t>(twenty.size()), 19),
               ECorruptBlock);
}

TEST(Lzrw1khCorrupt, AnyFlagOtherThanStoredIsTakenAsCompressed) {
  Bytes block = Compress(FromText("abcabcabcabc"));
  block[0] = 0x13;
  EXPECT_EQ(Decompress(block), FromText("abcabcabcabc"));
}

TEST(Lzrw1khCorrupt, TruncationsAndByteFlipsNeverCrash) {
  const Bytes in = test::TextLike(5000, 9);
  const Bytes block = Compress(in);
  Bytes out(kMaxBlockInput);
  for (std::size_t len = 0; len < block.size(); ++len) {
    try {
      DecompressBlock(block.data(), out.data(), static_cast<std::uint16_t>(len));
    } catch (const ECorruptBlock&) {
    }
  }
  for (std::size_t i = 0; i < block.size(); ++i) {
    for (std::uint8_t flip : {0x01, 0x10, 0x80, 0xFF}) {
      Bytes b = block;
      b[i] ^= flip;
      try {
        DecompressBlock(b.data(), out.data(), static_cast<std::uint16_t>(b.size()));
      } catch (const ECorruptBlock&) {
      }
    }
  }
}

}  // namespace
}  // namespace parvex
