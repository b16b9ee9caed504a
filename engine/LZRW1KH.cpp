// LZRW1-KH block codec. The compressor's output must stay byte-identical to the
// classic coder: one hash probe per position, the run test before the match test,
// positions kept as signed 16-bit numbers in the table.
#include "engine/LZRW1KH.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <new>

namespace parvex {
namespace {

constexpr std::size_t kWindow = 4096;     // copy offsets are 1..4095
constexpr std::size_t kMinMatch = 3;
constexpr std::size_t kMaxMatch = 18;
constexpr std::size_t kMinRun = 16;
constexpr std::size_t kMaxRun = 4095;      // the coder never writes longer runs
constexpr std::size_t kGroupItems = 16;

std::unique_ptr<std::uint16_t[]> AllocateTable() {
  std::unique_ptr<std::uint16_t[]> table(new (std::nothrow) std::uint16_t[kHashSlots]);
  if (!table) throw ELzrw1KHCompressor("LZRW1KH : no memory for HASH table");
  return table;
}

// Room for the hash slot of every position of a block.
std::unique_ptr<std::uint16_t[]> AllocateSlots() {
  std::unique_ptr<std::uint16_t[]> slots(new (std::nothrow) std::uint16_t[kMaxBlockInput]);
  if (!slots) throw ELzrw1KHCompressor("LZRW1KH : no memory for HASH table");
  return slots;
}

// The hash slot of every position that has two bytes after it, in one pass
// without dependences (the compiler vectorises it), so that the hash is off the
// per-item critical path. 16-bit arithmetic is enough: only bits 4..15 of the
// product reach the slot, and (a << 8) ^ (b << 4) ^ c fits in 16 bits.
void ComputeSlots(const std::uint8_t* s, std::size_t n, std::uint16_t* slots) {
  for (std::size_t i = 0; i + 2 < n; ++i) {
    const auto v = static_cast<std::uint16_t>((s[i] << 8) ^ (s[i + 1] << 4) ^ s[i + 2]);
    slots[i] = static_cast<std::uint16_t>(static_cast<std::uint16_t>(v * 40543u) >> 4);
  }
}

inline std::uint64_t Load8(const std::uint8_t* p) {
  std::uint64_t word;
  std::memcpy(&word, p, 8);
  return word;
}

inline void Copy8(std::uint8_t* to, const std::uint8_t* from) { std::memcpy(to, from, 8); }

// The number of equal leading bytes of a and b, up to 24; both must have 24
// readable bytes.
inline std::size_t CommonPrefix24(const std::uint8_t* a, const std::uint8_t* b) {
  for (std::size_t i = 0; i < 24; i += 8) {
    const std::uint64_t diff = Load8(a + i) ^ Load8(b + i);
    if (diff != 0) return i + static_cast<std::size_t>(std::countr_zero(diff)) / 8;
  }
  return 24;
}

inline std::size_t RunLength(const std::uint8_t* s, std::size_t x, std::size_t n) {
  const std::size_t limit = std::min(n - x, kMaxRun);
  const std::uint8_t value = s[x];
  std::size_t size = 1;
  while (size < limit && s[x + size] == value) ++size;
  return size;
}

// Tries the one candidate in x's hash slot; the slot always ends up holding x.
// REQUIRES: x + 2 < n.
inline bool FindMatch(const std::uint8_t* s, std::size_t x, std::size_t n, std::uint16_t* table,
                      unsigned slot, std::size_t& size, std::size_t& pos) {
  const std::uint16_t stored = table[slot];
  table[slot] = static_cast<std::uint16_t>(x);
  if (stored == kHashEmpty) return false;
  // A position of 32,768 or more reads back negative and is never in reach.
  const long cand = static_cast<std::int16_t>(stored);
  if (static_cast<long>(x) - cand >= static_cast<long>(kWindow)) return false;
  const std::size_t limit = std::min(n - x, kMaxMatch);
  std::size_t len = 0;
  if (std::endian::native == std::endian::little && n - x >= 24) {
    len = std::min(CommonPrefix24(s + x, s + cand), kMaxMatch);
  } else {
    while (len < limit && s[x + len] == s[static_cast<std::size_t>(cand) + len]) ++len;
  }
  if (len < kMinMatch) return false;
  size = len;
  pos = static_cast<std::size_t>(cand);
  return true;
}

std::uint16_t CompressWithTable(std::uint16_t* table, std::uint16_t* slots, const std::uint8_t* s,
                                std::uint8_t* dest, std::uint16_t sourceSize) {
  const std::size_t n = sourceSize;
  std::fill_n(table, kHashSlots, kHashEmpty);
  ComputeSlots(s, n, slots);
  dest[0] = kFlagCompressed;
  std::size_t x = 0, y = 3, z = 1, bit = 0;
  std::uint16_t command = 0;

  while (x < n && y <= n) {
    if (bit >= kGroupItems) {
      dest[z] = static_cast<std::uint8_t>(command >> 8);
      dest[z + 1] = static_cast<std::uint8_t>(command);
      z = y;
      bit = 0;
      y += 2;
    }
    if (n - x < kMinMatch) {
      // The last two positions can hold neither a run nor a match.
      dest[y++] = s[x++];
      command = static_cast<std::uint16_t>(command << 1);
      ++bit;
      continue;
    }
    std::size_t size = s[x + 1] == s[x] ? RunLength(s, x, n) : 1;
    std::size_t pos = 0;
    if (size >= kMinRun) {
      const std::size_t field = size - kMinRun;
      dest[y] = 0;
      dest[y + 1] = static_cast<std::uint8_t>(field >> 8);
      dest[y + 2] = static_cast<std::uint8_t>(field);
      dest[y + 3] = s[x];
      y += 4;
      x += size;
      command = static_cast<std::uint16_t>((command << 1) | 1u);
    } else if (FindMatch(s, x, n, table, slots[x], size, pos)) {
      const std::size_t key = ((x - pos) << 4) + (size - kMinMatch);
      dest[y] = static_cast<std::uint8_t>(key >> 8);
      dest[y + 1] = static_cast<std::uint8_t>(key);
      y += 2;
      x += size;
      command = static_cast<std::uint16_t>((command << 1) | 1u);
    } else {
      dest[y++] = s[x++];
      command = static_cast<std::uint16_t>(command << 1);
    }
    ++bit;
  }
  // Align the last group's bits to the top; with no items at all this gives 0.
  command = static_cast<std::uint16_t>(static_cast<std::uint32_t>(command) << (16 - bit));
  dest[z] = static_cast<std::uint8_t>(command >> 8);
  dest[z + 1] = static_cast<std::uint8_t>(command);

  if (y > n) {
    if (n != 0) std::memcpy(dest + 1, s, n);
    dest[0] = kFlagStored;
    return static_cast<std::uint16_t>(n + 1);
  }
  return static_cast<std::uint16_t>(y);
}

[[noreturn]] void Corrupt(const char* what) {
  throw ECorruptBlock(std::string("Corrupt compressed block: ") + what);
}

std::unique_ptr<std::uint16_t[]>& DefaultTable() {
  static std::unique_ptr<std::uint16_t[]> table;
  return table;
}

std::unique_ptr<std::uint16_t[]>& DefaultSlots() {
  static std::unique_ptr<std::uint16_t[]> slots;
  return slots;
}

}  // namespace

LzrwCompressor::LzrwCompressor() : table_(AllocateTable()), slots_(AllocateSlots()) {}

std::uint16_t LzrwCompressor::Compress(const std::uint8_t* source, std::uint8_t* dest,
                                       std::uint16_t sourceSize) {
  return CompressWithTable(table_.get(), slots_.get(), source, dest, sourceSize);
}

std::uint16_t DecompressBlock(const std::uint8_t* source, std::uint8_t* dest,
                              std::uint16_t sourceSize, std::size_t destCapacity) {
  const std::size_t n = sourceSize;
  const std::size_t cap = std::min<std::size_t>(destCapacity, 0xFFFF);
  if (n == 0) Corrupt("the block is empty");
  if (source[0] == kFlagStored) {
    if (n - 1 > cap) Corrupt("stored data longer than the output area");
    if (n > 1) std::memcpy(dest, source + 1, n - 1);
    return static_cast<std::uint16_t>(n - 1);
  }
  if (n < 3) Corrupt("the block ends inside its first control word");

  std::size_t x = 3, y = 0;
  unsigned command = (unsigned{source[1]} << 8) | source[2];
  unsigned bit = 16;
  while (x < n) {
    if (bit == 0) {
      if (n - x < 3) Corrupt("the block ends inside a control word or after it");
      command = (unsigned{source[x]} << 8) | source[x + 1];
      bit = 16;
      x += 2;
    }
    if ((command & 0x8000u) == 0) {
      // A stretch of literals: as many as the control word's leading zero bits,
      // up to the group's end and the block's end; copied 16 bytes at a time
      // where the block and the output area have room for that.
      std::size_t k = std::min<std::size_t>(std::countl_zero(static_cast<std::uint16_t>(command)), bit);
      k = std::min(k, n - x);
      if (k > cap - y) Corrupt("the output would be longer than the output area");
      if (n - x >= 16 && cap - y >= 16) {
        Copy8(dest + y, source + x);
        Copy8(dest + y + 8, source + x + 8);
      } else {
        std::memcpy(dest + y, source + x, k);
      }
      x += k;
      y += k;
      command <<= k;
      bit -= static_cast<unsigned>(k);
      continue;
    } else {
      if (n - x < 2) Corrupt("the block ends inside a code item");
      const std::size_t offset = (std::size_t{source[x]} << 4) | (source[x + 1] >> 4);
      if (offset == 0) {
        if (n - x < 4) Corrupt("the block ends inside a run code");
        const std::size_t count = (std::size_t{source[x + 1]} << 8) + source[x + 2] + kMinRun;
        if (count > cap - y) Corrupt("a run would pass the end of the output area");
        std::memset(dest + y, source[x + 3], count);
        x += 4;
        y += count;
      } else {
        const std::size_t length = (source[x + 1] & 0x0Fu) + kMinMatch;
        if (offset > y) Corrupt("a copy reaches before the start of the output");
        if (length > cap - y) Corrupt("a copy would pass the end of the output area");
        // Forward byte copy: an offset below the length repeats the pattern.
        const std::uint8_t* from = dest + (y - offset);
        if (offset >= 8 && cap - y >= 24) {
          // Three whole words; with the source 8 or more bytes back, each word
          // reads only bytes written before it. Bytes past the copy are
          // overwritten by what follows.
          Copy8(dest + y, from);
          Copy8(dest + y + 8, from + 8);
          Copy8(dest + y + 16, from + 16);
        } else {
          for (std::size_t k = 0; k < length; ++k) dest[y + k] = from[k];
        }
        x += 2;
        y += length;
      }
    }
    command <<= 1;
    --bit;
  }
  return static_cast<std::uint16_t>(y);
}

void CodecStartup() {
  if (!DefaultTable()) DefaultTable() = AllocateTable();
  if (!DefaultSlots()) DefaultSlots() = AllocateSlots();
}

void CodecShutdown() {
  DefaultTable().reset();
  DefaultSlots().reset();
}

std::uint16_t* HashTable() {
  CodecStartup();
  return DefaultTable().get();
}

std::uint16_t CompressBlock(const std::uint8_t* source, std::uint8_t* dest,
                            std::uint16_t sourceSize) {
  std::uint16_t* table = HashTable();
  return CompressWithTable(table, DefaultSlots().get(), source, dest, sourceSize);
}

}  // namespace parvex
