// LZRW1-KH block codec: a greedy Lempel-Ziv coder with a single-candidate hash
// table, a 4 KB window, 16-bit control words and a run code for long runs of
// one byte. One block holds at most 32,773 input bytes; blocks are independent.
//
// Block layout (multi-byte numbers big-endian):
//   [0]    flag: 0x80 stored (input follows unchanged), anything else compressed
//   [1..2] first control word (compressed form), then items; a further control
//          word precedes every further group of 16 items.
//   literal: 1 byte       copy: 2 bytes, offset 1..4095 (12 bits), length-3 (4 bits)
//   run: 00, (count-16)>>8, (count-16)&0xFF, byte   (count 16..4111)
//
// Thread safety: an LzrwCompressor owns its hash table, so several threads may
// compress at once with one compressor each. The free functions CompressBlock
// and DecompressBlock use the process-wide default table (HashTable) and must be
// called from one thread at a time. DecompressBlock keeps no state.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

#include "base/Exception.h"

namespace parvex {

// Largest input of one block (the engine's chunk size).
inline constexpr std::size_t kMaxBlockInput = 32773;
// The compressed form may run this far past the input before the coder falls
// back to the stored form: CompressBlock's output buffer needs input + 6 bytes.
inline constexpr std::size_t kCompressSlack = 6;
// Largest block CompressBlock produces: flag byte + a stored block of 32,773 bytes.
inline constexpr std::size_t kMaxBlockSize = kMaxBlockInput + 1;

inline constexpr std::uint8_t kFlagCompressed = 0x40;
inline constexpr std::uint8_t kFlagStored = 0x80;

inline constexpr std::size_t kHashSlots = 4096;
inline constexpr std::uint16_t kHashEmpty = 0xFFFF;

// Raised when the codec cannot get memory for its hash table.
class ELzrw1KHCompressor : public Exception {
 public:
  using Exception::Exception;
};

// Raised by DecompressBlock for a block that is not a valid encoding.
class ECorruptBlock : public Exception {
 public:
  using Exception::Exception;
};

// A compressor with a hash table of its own (4096 16-bit entries, each a
// position in the coder's own encoding) and room for per-block working data.
class LzrwCompressor {
 public:
  LzrwCompressor();  // throws ELzrw1KHCompressor when the table cannot be allocated
  LzrwCompressor(const LzrwCompressor&) = delete;
  LzrwCompressor& operator=(const LzrwCompressor&) = delete;

  // Compresses source[0..sourceSize) into dest and returns the block's length.
  // REQUIRES: sourceSize <= kMaxBlockInput; dest holds sourceSize + kCompressSlack
  // bytes. Never reads outside source. The result is at most sourceSize + 1.
  std::uint16_t Compress(const std::uint8_t* source, std::uint8_t* dest,
                         std::uint16_t sourceSize);

 private:
  std::unique_ptr<std::uint16_t[]> table_;
  std::unique_ptr<std::uint16_t[]> slots_;  // each position's hash slot, per block
};

// Decodes one block of sourceSize bytes into dest and returns the number of
// decoded bytes. Never reads outside source[0..sourceSize) and never writes
// outside dest[0..destCapacity). Throws ECorruptBlock ("Corrupt compressed
// block: ...") for an empty block, an offset before the start of the output, an
// output longer than destCapacity, or a block that ends inside an item.
std::uint16_t DecompressBlock(const std::uint8_t* source, std::uint8_t* dest,
                              std::uint16_t sourceSize,
                              std::size_t destCapacity = kMaxBlockInput);

// The process-wide default table and the function form that uses it.
// HashTable is created by CodecStartup (or on first use) and freed by CodecShutdown.
void CodecStartup();
void CodecShutdown();
std::uint16_t* HashTable();
std::uint16_t CompressBlock(const std::uint8_t* source, std::uint8_t* dest,
                            std::uint16_t sourceSize);

}  // namespace parvex
