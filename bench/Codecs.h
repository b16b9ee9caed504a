// The codecs the benchmark compares, behind one block interface: ours
// (LZRW1-KH), LZ4, zstd level 1 and zlib level 1. Each object keeps whatever
// state its library can reuse between blocks (contexts, streams, tables), so the
// loop measures coding, not set-up.
//
// Thread safety: one object per thread.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

namespace parvex::bench {

// Raised when a library reports an error for a block.
class CodecError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

class BlockCodec {
 public:
  virtual ~BlockCodec() = default;
  BlockCodec() = default;
  BlockCodec(const BlockCodec&) = delete;
  BlockCodec& operator=(const BlockCodec&) = delete;

  // Short name used in benchmark names ("lzrw1kh", "lz4", "zstd1", "zlib1").
  virtual std::string Name() const = 0;
  // The output capacity Compress needs for `inputSize` bytes.
  virtual std::size_t Bound(std::size_t inputSize) const = 0;
  // Compresses src[0..n) into dst (capacity >= Bound(n)); returns the length.
  // REQUIRES: n <= 32,773 (the engine's block size).
  virtual std::size_t Compress(const std::uint8_t* src, std::size_t n, std::uint8_t* dst,
                               std::size_t capacity) = 0;
  // Decodes one compressed block into dst; returns the decoded length. Throws
  // CodecError for a block the library rejects.
  virtual std::size_t Decompress(const std::uint8_t* src, std::size_t n, std::uint8_t* dst,
                                 std::size_t capacity) = 0;
};

// Ours first, then LZ4, zstd -1 and zlib -1 (the order of the report).
std::vector<std::unique_ptr<BlockCodec>> MakeCodecs();

}  // namespace parvex::bench
