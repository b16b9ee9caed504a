// The engine's compressor against the plain reference coder: the same block,
// byte for byte, for every kind of input, including the choice between the
// compressed and the stored form. Inputs are exact-size buffers, so a read past
// the end shows up under the sanitizers.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>

#include "engine/LZRW1KH.h"
#include "tests/support/Lzrw1khReference.h"
#include "tests/support/TestFiles.h"

namespace parvex {
namespace {

using test::Bytes;

// Compresses with a compressor of its own table and with the reference; on a
// difference, reports where the blocks part. Returns the block.
Bytes ExpectSameBlock(const Bytes& in, const char* what) {
  static LzrwCompressor own;
  Bytes out(in.size() + kCompressSlack);
  const std::uint16_t n = own.Compress(in.data(), out.data(), static_cast<std::uint16_t>(in.size()));
  out.resize(n);
  const Bytes expected = test::ReferenceCompress(in.data(), in.size());
  if (out != expected) {
    const auto diff = std::mismatch(out.begin(), out.end(), expected.begin(), expected.end());
    ADD_FAILURE() << what << ", size " << in.size() << ": blocks of " << out.size() << " and "
                  << expected.size() << " bytes part at byte " << (diff.first - out.begin());
  }
  return out;
}

// Random bytes (from an alphabet of `symbols`) with repeats copied in from up to
// `reach` bytes back, one per `every` bytes on average: from nearly
// incompressible to well compressible.
Bytes Mixed(std::size_t n, std::uint32_t every, std::size_t reach, std::uint32_t seed,
            unsigned symbols = 256) {
  std::mt19937 rng(seed);
  Bytes out(n);
  for (std::size_t i = 0; i < n; ++i) {
    if (i > 0 && rng() % every == 0) {
      const std::size_t back = 1 + rng() % std::min(reach, i);
      const std::size_t len = std::min<std::size_t>(3 + rng() % 20, n - i);
      for (std::size_t k = 0; k < len; ++k, ++i) out[i] = out[i - back];
      --i;
    } else {
      out[i] = static_cast<std::uint8_t>(rng() % symbols);
    }
  }
  return out;
}

TEST(Lzrw1khIdentity, EveryShortLengthOfEveryKind) {
  for (std::size_t n = 0; n <= 600; ++n) {
    const auto seed = static_cast<std::uint32_t>(n);
    ExpectSameBlock(test::RandomBytes(n, seed), "random");
    ExpectSameBlock(test::TextLike(n, seed), "text");
    ExpectSameBlock(test::RunHeavy(n, seed), "runs");
    ExpectSameBlock(test::Periodic(n, 1 + n % 7, seed), "periodic");
    ExpectSameBlock(Bytes(n, static_cast<std::uint8_t>(n)), "all-same");
    ExpectSameBlock(Mixed(n, 2 + n % 11, 4200, seed, n % 3 == 0 ? 4 : 256), "mixed");
  }
}

TEST(Lzrw1khIdentity, LengthsUpToTheLargestBlock) {
  std::vector<std::size_t> sizes;
  for (std::size_t n = 601; n <= kMaxBlockInput; n += 389) sizes.push_back(n);
  for (std::size_t n = 32700; n <= kMaxBlockInput; ++n) sizes.push_back(n);
  for (std::size_t edge : {4095u, 4111u, 8192u, 16384u, 32767u}) {
    for (std::size_t n = edge - 3; n <= edge + 3; ++n) sizes.push_back(n);
  }
  for (std::size_t n : sizes) {
    const auto seed = static_cast<std::uint32_t>(n);
    ExpectSameBlock(test::RandomBytes(n, seed), "random");
    ExpectSameBlock(test::TextLike(n, seed), "text");
    ExpectSameBlock(test::RunHeavy(n, seed), "runs");
    ExpectSameBlock(Mixed(n, 3 + n % 13, 1 + n % 5000, seed, n % 3 == 0 ? 4 : 256), "mixed");
  }
}

TEST(Lzrw1khIdentity, RunsOfOneByteAtEveryInterestingLength) {
  std::vector<std::size_t> lengths;
  for (std::size_t n = 0; n <= 70; ++n) lengths.push_back(n);
  for (std::size_t edge : {4095u, 4096u, 4111u, 8190u, 12285u, 32767u, 32773u}) {
    for (std::size_t n = edge - 18; n <= std::min<std::size_t>(edge + 18, kMaxBlockInput); ++n)
      lengths.push_back(n);
  }
  for (std::size_t n : lengths) {
    ExpectSameBlock(Bytes(n, 0x00), "zeros");
    ExpectSameBlock(Bytes(n, 0xFF), "0xFF bytes");
    // A run behind a literal, and a run cut by a different byte.
    Bytes in(n, 'r');
    if (n > 0) in[0] = 'x';
    ExpectSameBlock(in, "run after a literal");
    if (n > 1) in[n / 2] = 'y';
    ExpectSameBlock(in, "run with a byte in its middle");
  }
}

TEST(Lzrw1khIdentity, ShortMatchesAtTheWindowsEdges) {
  // A repeat of 3..19 bytes at offsets around the window's ends and the 16-bit
  // position limit, over a random background, some at the very end of the block.
  for (std::size_t offset : {1u, 2u, 3u, 4u, 15u, 16u, 17u, 18u, 19u, 4094u, 4095u, 4096u, 4097u}) {
    for (std::size_t length : {3u, 4u, 17u, 18u, 19u}) {
      for (std::size_t at : {offset, offset + 1, std::size_t{5000}, std::size_t{32760}, std::size_t{32765}}) {
        for (std::size_t n : {at + length, at + length + 1, at + length + 40, std::size_t{kMaxBlockInput}}) {
          if (at < offset || n > kMaxBlockInput || at + length > n) continue;
          Bytes in = test::RandomBytes(n, static_cast<std::uint32_t>(offset * 131 + length * 7 + at + n));
          for (std::size_t k = 0; k < length; ++k) in[at + k] = in[at - offset + k];
          ExpectSameBlock(in, "planted repeat");
        }
      }
    }
  }
}

TEST(Lzrw1khIdentity, BlocksOnTheEdgeBetweenCompressedAndStored) {
  // Repeat densities around the point where the compressed form is as long as
  // the input; both forms must come out on exactly the same inputs.
  int stored = 0, compressed = 0, near = 0;
  for (std::uint32_t seed = 0; seed < 600; ++seed) {
    const std::size_t n = seed % 4 == 0 ? kMaxBlockInput : 100 + seed * 53 % 32000;
    const Bytes block = ExpectSameBlock(Mixed(n, 40 + seed % 100, 4096, seed * 7 + 1), "near the edge");
    (block[0] == kFlagStored ? stored : compressed) += 1;
    if (block[0] != kFlagStored && block.size() + 64 > n) ++near;
  }
  EXPECT_GT(stored, 50);
  EXPECT_GT(compressed, 50);
  EXPECT_GT(near, 10);
}

TEST(Lzrw1khIdentity, BlocksOfThisMachinesFiles) {
  const Bytes text = test::RealFiles("/usr/include", 3 << 20);
  const Bytes bin = test::RealFiles("/usr/lib/x86_64-linux-gnu/libc.so.6", 2 << 20);
  const Bytes packed = test::RealFiles("/usr/share/doc", 8 << 20);
  for (const Bytes* set : {&text, &bin, &packed}) {
    for (std::size_t at = 0; at < set->size(); at += kMaxBlockInput) {
      const std::size_t len = std::min(kMaxBlockInput, set->size() - at);
      ExpectSameBlock(Bytes(set->begin() + static_cast<std::ptrdiff_t>(at),
                            set->begin() + static_cast<std::ptrdiff_t>(at + len)),
                      "real files");
    }
  }
}

}  // namespace
}  // namespace parvex
