// Feeds arbitrary bytes to the block decoder: it must either decode or raise
// ECorruptBlock, never touch memory outside the block or its output area, and
// agree with the plain reference decoder on which blocks are corrupt and on
// the bytes of every other.
#include <cstdint>
#include <cstring>
#include <vector>

#include "engine/LZRW1KH.h"
#include "tests/support/Lzrw1khReference.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size > 0xFFFF) return 0;
  std::vector<std::uint8_t> block(data, data + size);  // exact size: reads past it are caught
  std::vector<std::uint8_t> out(parvex::kMaxBlockInput + 16, 0xA5);
  const auto expected = parvex::test::ReferenceDecompress(block.data(), size, parvex::kMaxBlockInput);
  try {
    const std::uint16_t n = parvex::DecompressBlock(block.data(), out.data(), static_cast<std::uint16_t>(size));
    if (n > parvex::kMaxBlockInput) __builtin_trap();
    if (!expected || expected->size() != n || std::memcmp(expected->data(), out.data(), n) != 0) __builtin_trap();
  } catch (const parvex::ECorruptBlock&) {
    if (expected) __builtin_trap();
  }
  for (std::size_t i = parvex::kMaxBlockInput; i < out.size(); ++i) {
    if (out[i] != 0xA5) __builtin_trap();  // canary after the output area
  }
  return 0;
}
