// LZRW1-KH block decoder. Every item is checked against the block and the
// output area, so a corrupt block raises ECorruptBlock and never touches
// memory outside either.
//
// Most groups of 16 items take a straight path: one loop turn per code item,
// with the literals in front of it counted from the control bits and copied 16
// bytes at a time, and copies made word by word. Bytes written past an item
// are overwritten by the items that follow. A group goes this way only when
// all its items lie inside the block and the output area has room for 16
// items of the longest copy; run codes and copies from fewer than 8 bytes back
// leave the straight path one by one, and everything else (the block's first
// and last groups, a run that leaves too little room) goes item by item.
#include <algorithm>
#include <array>
#include <bit>
#include <cstring>
#include <string>

#include "engine/LZRW1KH.h"

namespace parvex {
namespace {

constexpr std::size_t kMinMatch = 3;
constexpr std::size_t kMinRun = 16;
constexpr std::size_t kGroupItems = 16;
// The straight path needs, after a group's control word, every item's bytes
// (at most 4 each) and the 16 bytes copied ahead of the last literals...
constexpr std::size_t kGroupInput = kGroupItems * 4 + 16;
// ...and room in the output area for 16 copies of 18 bytes, each written as
// 24, and the 16 literal bytes copied ahead behind them.
constexpr std::size_t kGroupOutput = kGroupItems * 18 + 16;
// Copies closer than this repeat bytes the word copies would not have written yet.
constexpr std::size_t kWordReach = 8;

[[noreturn]] void Corrupt(const char* what) {
  throw ECorruptBlock(std::string("Corrupt compressed block: ") + what);
}

inline void Copy8(std::uint8_t* to, const std::uint8_t* from) { std::memcpy(to, from, 8); }
inline void Copy16(std::uint8_t* to, const std::uint8_t* from) { std::memcpy(to, from, 16); }

inline unsigned Load16BigEndian(const std::uint8_t* p) { return (unsigned{p[0]} << 8) | p[1]; }

// Each byte with its bits in reverse order.
constexpr std::array<std::uint8_t, 256> kReversed = [] {
  std::array<std::uint8_t, 256> table{};
  for (unsigned i = 0; i < 256; ++i) {
    for (unsigned b = 0; b < 8; ++b) table[i] |= static_cast<std::uint8_t>(((i >> b) & 1u) << (7 - b));
  }
  return table;
}();

// The number of trailing zero bits of a non-zero word (the stop bit keeps it so).
inline std::size_t TrailingZeros(std::uint32_t bits) {
#if defined(__GNUC__)
  return static_cast<std::size_t>(__builtin_ctz(bits));
#else
  return static_cast<std::size_t>(std::countr_zero(bits));
#endif
}

// The 16 control bits in reverse order: the group's first item (bit 15) at bit 0.
inline std::uint32_t ReverseControl(unsigned bits) {
  return (std::uint32_t{kReversed[bits & 0xFFu]} << 8) | kReversed[(bits >> 8) & 0xFFu];
}

inline bool StraightFits(std::size_t n, std::size_t cap, std::size_t x, std::size_t y) {
  return n - x >= kGroupInput && cap - y >= kGroupOutput;
}

// The straight path through one group: one loop turn per code item. Returns
// false when a run left too little room for the rest of the group, with bit
// and command set to what is left of it (bits from bit 15 down).
//
// Past the first 4,096 output bytes (kFar) no offset can reach before the
// output's start, and only run codes and copies from fewer than 8 bytes back
// (offset < 8, the item's word < 0x80) leave the straight path. Before that,
// offset - 8 > y - 8 (unsigned, y >= 8) also catches an offset past y.
template <bool kFar>
bool DecodeGroup(const std::uint8_t* source, std::uint8_t* dest, std::size_t cap, std::size_t& x,
                 std::size_t& y, unsigned& command, unsigned& bit) {
  // The control bits in reverse, item i at bit i and a stop bit at 16, so that
  // the literals before the next code item are a trailing-zero count.
  std::uint32_t codes = ReverseControl(command) | (1u << kGroupItems);
  const std::uint8_t* in = source + x;
  std::uint8_t* out = dest + y;
  std::size_t used = 0;
  for (;;) {
    const std::size_t next = TrailingZeros(codes);
    const std::size_t literals = next - used;
    Copy16(out, in);
    in += literals;
    out += literals;
    if (next == kGroupItems) break;
    used = next + 1;
    codes &= codes - 1;
    const unsigned word = Load16BigEndian(in);
    const std::size_t offset = word >> 4;
    const bool special = kFar ? word < (kWordReach << 4)
                              : offset - kWordReach > static_cast<std::size_t>(out - dest) - kWordReach;
    if (special) [[unlikely]] {
      const std::size_t at = static_cast<std::size_t>(out - dest);
      if (offset > at) Corrupt("a copy reaches before the start of the output");
      if (offset == 0) {
        const std::size_t count = (std::size_t{in[1]} << 8) + in[2] + kMinRun;
        if (count > cap - at) Corrupt("a run would pass the end of the output area");
        std::memset(out, in[3], count);
        in += 4;
        out += count;
        if (cap - (at + count) < kGroupOutput) {
          // The rest of the group goes item by item.
          x = static_cast<std::size_t>(in - source);
          y = at + count;
          bit = static_cast<unsigned>(kGroupItems - used);
          command = ReverseControl(codes >> used);
          return false;
        }
      } else {
        const std::size_t length = (word & 0x0Fu) + kMinMatch;
        const std::uint8_t* from = out - offset;
        for (std::size_t k = 0; k < length; ++k) out[k] = from[k];
        in += 2;
        out += length;
      }
      continue;
    }
    // Three words; with the source 8 or more bytes back, each reads only
    // bytes written before it.
    const std::uint8_t* from = out - offset;
    Copy8(out, from);
    Copy8(out + 8, from + 8);
    Copy8(out + 16, from + 16);
    in += 2;
    out += (word & 0x0Fu) + kMinMatch;
  }
  x = static_cast<std::size_t>(in - source);
  y = static_cast<std::size_t>(out - dest);
  bit = 0;
  return true;
}

// The straight path from a group whose control word (command) was just read,
// through as many groups as fit. Leaves either at a group's end (bit 0) or
// inside a group (see DecodeGroup). REQUIRES: StraightFits(n, cap, x, y), y >= 8.
void DecodeStraight(const std::uint8_t* source, std::uint8_t* dest, std::size_t n, std::size_t cap,
                    std::size_t& x, std::size_t& y, unsigned& command, unsigned& bit) {
  for (;;) {
    const bool whole = y >= 4096 ? DecodeGroup<true>(source, dest, cap, x, y, command, bit)
                                 : DecodeGroup<false>(source, dest, cap, x, y, command, bit);
    if (!whole || !StraightFits(n, cap, x + 2, y)) return;
    command = Load16BigEndian(source + x);
    bit = kGroupItems;
    x += 2;
  }
}

}  // namespace

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
  unsigned command = Load16BigEndian(source + 1);
  unsigned bit = 16;
  while (x < n) {
    if (bit == 0) {
      if (n - x < 3) Corrupt("the block ends inside a control word or after it");
      command = Load16BigEndian(source + x);
      bit = 16;
      x += 2;
    }
    if (bit == kGroupItems && y >= kWordReach && StraightFits(n, cap, x, y)) {
      DecodeStraight(source, dest, n, cap, x, y, command, bit);
      continue;
    }
    if ((command & 0x8000u) == 0) {
      // A stretch of literals: as many as the control word's leading zero bits,
      // up to the group's end and the block's end.
      std::size_t k = std::min<std::size_t>(std::countl_zero((command << 16) | 0x8000u), bit);
      k = std::min(k, n - x);
      if (k > cap - y) Corrupt("the output would be longer than the output area");
      std::memcpy(dest + y, source + x, k);
      x += k;
      y += k;
      command <<= k;
      bit -= static_cast<unsigned>(k);
      continue;
    }
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
      for (std::size_t k = 0; k < length; ++k) dest[y + k] = from[k];
      x += 2;
      y += length;
    }
    command <<= 1;
    --bit;
  }
  return static_cast<std::uint16_t>(y);
}

}  // namespace parvex
