// The engine's decoder against the plain reference decoder: on valid blocks,
// damaged blocks and made-up item streams both must give the same bytes or
// both find the block corrupt, and the engine must never write past the
// output area it was given.
#include <gtest/gtest.h>

#include <random>

#include "engine/LZRW1KH.h"
#include "tests/support/Lzrw1khReference.h"
#include "tests/support/TestFiles.h"

namespace parvex {
namespace {

using test::Bytes;

constexpr std::uint8_t kCanary = 0xA5;

Bytes Compress(const Bytes& in) {
  Bytes out(in.size() + kCompressSlack);
  out.resize(CompressBlock(in.data(), out.data(), static_cast<std::uint16_t>(in.size())));
  return out;
}

// Decodes `block` (an exact-size buffer) with both decoders into an output area
// of `capacity` bytes; returns whether the engine decoded it.
bool ExpectSameDecoding(const Bytes& block, std::size_t capacity, const char* what) {
  Bytes out(capacity + 64, kCanary);
  std::optional<Bytes> got;
  try {
    const std::uint16_t n =
        DecompressBlock(block.data(), out.data(), static_cast<std::uint16_t>(block.size()), capacity);
    got = Bytes(out.begin(), out.begin() + n);
  } catch (const ECorruptBlock&) {
  }
  for (std::size_t i = capacity; i < out.size(); ++i) {
    if (out[i] != kCanary) {
      ADD_FAILURE() << what << ": wrote past the output area of " << capacity << " bytes, at " << i;
      break;
    }
  }
  const std::optional<Bytes> expected = test::ReferenceDecompress(block.data(), block.size(), capacity);
  if (got.has_value() != expected.has_value()) {
    ADD_FAILURE() << what << ", block of " << block.size() << " bytes, capacity " << capacity << ": "
                  << (got ? "decoded a block the reference finds corrupt" : "found corrupt a block the reference decodes");
  } else if (got && *got != *expected) {
    ADD_FAILURE() << what << ", block of " << block.size() << " bytes: the decoded bytes differ";
  }
  return got.has_value();
}

std::vector<Bytes> SampleInputs() {
  std::vector<Bytes> inputs;
  for (std::uint32_t seed = 1; seed <= 4; ++seed) {
    inputs.push_back(test::TextLike(kMaxBlockInput, seed));
    inputs.push_back(test::RunHeavy(kMaxBlockInput, seed));
    inputs.push_back(test::Periodic(kMaxBlockInput - seed, 1 + seed, seed));  // copies 2..5 back
    inputs.push_back(test::TextLike(600 * seed, seed + 10));
  }
  const Bytes lib = test::RealFiles("/usr/lib/x86_64-linux-gnu/libc.so.6", 4 * kMaxBlockInput);
  for (std::size_t at = 0; at + kMaxBlockInput <= lib.size(); at += kMaxBlockInput)
    inputs.emplace_back(lib.begin() + static_cast<std::ptrdiff_t>(at),
                        lib.begin() + static_cast<std::ptrdiff_t>(at + kMaxBlockInput));
  return inputs;
}

TEST(Lzrw1khDecoding, ValidBlocksAtEveryOutputAreaSize) {
  for (const Bytes& in : SampleInputs()) {
    const Bytes block = Compress(in);
    EXPECT_TRUE(ExpectSameDecoding(block, kMaxBlockInput, "valid block"));
    EXPECT_TRUE(ExpectSameDecoding(block, in.size(), "valid block, area of its size"));
    EXPECT_FALSE(ExpectSameDecoding(block, in.size() - 1, "valid block, area one byte short"));
    ExpectSameDecoding(block, in.size() / 2, "valid block, area of half its size");
  }
}

TEST(Lzrw1khDecoding, DamagedBlocks) {
  std::mt19937 rng(77);
  for (const Bytes& in : SampleInputs()) {
    const Bytes block = Compress(in);
    if (block[0] == kFlagStored) continue;
    for (int trial = 0; trial < 60; ++trial) {
      Bytes damaged = block;
      const int flips = 1 + static_cast<int>(rng() % 3);
      for (int f = 0; f < flips; ++f) {
        // Mostly early in the block, where offsets can reach before the output's start.
        const std::size_t at = 1 + (trial % 2 ? rng() % std::min<std::size_t>(400, block.size() - 1)
                                              : rng() % (block.size() - 1));
        damaged[at] ^= static_cast<std::uint8_t>(1u << (rng() % 8));
      }
      ExpectSameDecoding(damaged, kMaxBlockInput, "flipped bits");
      damaged.resize(1 + rng() % (damaged.size() - 1));
      ExpectSameDecoding(damaged, kMaxBlockInput, "flipped bits, then cut short");
    }
  }
}

// Blocks written item by item: literals, copies of every length from up to
// 4095 bytes back (now and then from before the start), and runs of every
// count; some blocks stop in the middle of an item.
Bytes MadeUpBlock(std::mt19937& rng) {
  Bytes block{kFlagCompressed};
  std::size_t produced = 0;
  const std::size_t items = rng() % 1500;
  std::size_t control = 0;
  for (std::size_t i = 0; i < items; ++i) {
    if (i % 16 == 0) {
      control = block.size();
      block.insert(block.end(), {0, 0});
    }
    const unsigned kind = rng() % 16;
    if (kind < 7) {
      block.push_back(static_cast<std::uint8_t>(rng()));
      produced += 1;
      continue;
    }
    block[control + (i % 16) / 8] |= static_cast<std::uint8_t>(0x80u >> (i % 8));
    if (kind == 15) {
      const std::size_t count = 16 + rng() % (rng() % 8 == 0 ? 4096 : 100);
      block.insert(block.end(), {0, static_cast<std::uint8_t>((count - 16) >> 8),
                                 static_cast<std::uint8_t>(count - 16), static_cast<std::uint8_t>(rng())});
      produced += count;
    } else {
      const std::size_t reach = std::min<std::size_t>(produced + (rng() % 50 == 0 ? 64 : 0), 4095);
      const std::size_t offset = reach == 0 ? 1 + rng() % 8 : 1 + rng() % reach;
      const std::size_t length = 3 + rng() % 16;
      const std::size_t key = (offset << 4) | (length - 3);
      block.insert(block.end(), {static_cast<std::uint8_t>(key >> 8), static_cast<std::uint8_t>(key)});
      produced += length;
    }
  }
  if (rng() % 4 == 0 && block.size() > 1) block.resize(1 + rng() % (block.size() - 1));
  return block;
}

TEST(Lzrw1khDecoding, MadeUpItemStreams) {
  std::mt19937 rng(2024);
  int decoded = 0, corrupt = 0;
  for (int trial = 0; trial < 1500; ++trial) {
    const Bytes block = MadeUpBlock(rng);
    if (block.size() > 0xFFFF) continue;
    const std::size_t capacity = trial % 3 == 0 ? 1 + rng() % kMaxBlockInput : kMaxBlockInput;
    (ExpectSameDecoding(block, capacity, "made-up items") ? decoded : corrupt) += 1;
  }
  // Both outcomes are well represented.
  EXPECT_GT(decoded, 200);
  EXPECT_GT(corrupt, 200);
}

}  // namespace
}  // namespace parvex
