// Compresses arbitrary blocks and decodes them again: the bytes must come back,
// the block must stay within input + 1 bytes, and the shared table, a
// compressor's own table and the plain reference coder must all write the same
// block.
#include <cstdint>
#include <cstring>
#include <vector>

#include "engine/LZRW1KH.h"
#include "tests/support/Lzrw1khReference.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size > parvex::kMaxBlockInput) size = parvex::kMaxBlockInput;
  static parvex::LzrwCompressor own;
  std::vector<std::uint8_t> in(data, data + size);
  std::vector<std::uint8_t> a(size + parvex::kCompressSlack), b(size + parvex::kCompressSlack);
  const auto na = parvex::CompressBlock(in.data(), a.data(), static_cast<std::uint16_t>(size));
  const auto nb = own.Compress(in.data(), b.data(), static_cast<std::uint16_t>(size));
  if (na != nb || std::memcmp(a.data(), b.data(), na) != 0) __builtin_trap();
  if (na > size + 1) __builtin_trap();
  const std::vector<std::uint8_t> expected = parvex::test::ReferenceCompress(in.data(), size);
  if (expected.size() != na || std::memcmp(expected.data(), a.data(), na) != 0) __builtin_trap();
  std::vector<std::uint8_t> out(parvex::kMaxBlockInput);
  const auto n = parvex::DecompressBlock(a.data(), out.data(), na);
  if (n != size || std::memcmp(out.data(), in.data(), size) != 0) __builtin_trap();
  return 0;
}
