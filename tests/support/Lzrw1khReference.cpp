// The coder written the simple way: one item per loop turn, the run test before
// the hash probe, a table of signed 16-bit positions with 0xFFFF for empty.
#include "tests/support/Lzrw1khReference.h"

#include <array>

namespace parvex::test {
namespace {

struct Coder {
  const std::uint8_t* s;
  std::size_t n;
  std::array<std::int16_t, 4096> table;

  // Bytes past the end read as zero; they never change a block.
  unsigned At(std::size_t i) const { return i < n ? s[i] : 0u; }

  unsigned Slot(std::size_t x) const {
    const std::uint32_t key = (((At(x) << 4) ^ At(x + 1)) << 4) ^ At(x + 2);
    return ((key * 40543u) >> 4) & 0x0FFFu;
  }

  bool FindMatch(std::size_t x, std::size_t& size, std::size_t& pos) {
    const unsigned slot = Slot(x);
    const long cand = table[slot];
    bool found = false;
    if (cand != -1 && static_cast<long>(x) - cand < 4096) {
      size = 0;
      while (size < 18 && x + size < n && s[x + size] == s[static_cast<std::size_t>(cand) + size]) ++size;
      found = size >= 3;
      pos = static_cast<std::size_t>(cand);
    }
    table[slot] = static_cast<std::int16_t>(static_cast<std::uint16_t>(x));
    return found;
  }
};

}  // namespace

std::vector<std::uint8_t> ReferenceCompress(const std::uint8_t* source, std::size_t sourceSize) {
  Coder c{source, sourceSize, {}};
  c.table.fill(-1);
  const std::size_t n = sourceSize;
  std::vector<std::uint8_t> dest(n + 6, 0);
  dest[0] = 0x40;
  std::size_t x = 0, y = 3, z = 1, bit = 0;
  std::uint16_t command = 0;
  while (x < n && y <= n) {
    if (bit > 15) {
      dest[z] = static_cast<std::uint8_t>(command >> 8);
      dest[z + 1] = static_cast<std::uint8_t>(command);
      z = y;
      bit = 0;
      y += 2;
    }
    std::size_t size = 1, pos = 0;
    while (x + size < n && source[x + size] == source[x] && size < 4095) ++size;
    if (size >= 16) {
      dest[y] = 0;
      dest[y + 1] = static_cast<std::uint8_t>((size - 16) >> 8);
      dest[y + 2] = static_cast<std::uint8_t>(size - 16);
      dest[y + 3] = source[x];
      y += 4;
      x += size;
      command = static_cast<std::uint16_t>(command * 2 + 1);
    } else if (c.FindMatch(x, size, pos)) {
      const std::size_t key = ((x - pos) << 4) + (size - 3);
      dest[y] = static_cast<std::uint8_t>(key >> 8);
      dest[y + 1] = static_cast<std::uint8_t>(key);
      y += 2;
      x += size;
      command = static_cast<std::uint16_t>(command * 2 + 1);
    } else {
      dest[y] = source[x];
      y += 1;
      x += 1;
      command = static_cast<std::uint16_t>(command * 2);
    }
    ++bit;
  }
  command = static_cast<std::uint16_t>(command << (16 - bit));
  dest[z] = static_cast<std::uint8_t>(command >> 8);
  dest[z + 1] = static_cast<std::uint8_t>(command);
  if (y > n) {
    dest.assign(source, source + n);
    dest.insert(dest.begin(), 0x80);
    return dest;
  }
  dest.resize(y);
  return dest;
}

std::optional<std::vector<std::uint8_t>> ReferenceDecompress(const std::uint8_t* block, std::size_t n,
                                                             std::size_t capacity) {
  const std::size_t cap = capacity < 0xFFFF ? capacity : 0xFFFF;
  std::vector<std::uint8_t> out;
  if (n == 0) return std::nullopt;
  if (block[0] == 0x80) {
    if (n - 1 > cap) return std::nullopt;
    return std::vector<std::uint8_t>(block + 1, block + n);
  }
  if (n < 3) return std::nullopt;
  std::size_t x = 3;
  unsigned command = (unsigned{block[1]} << 8) | block[2];
  unsigned bit = 16;
  while (x < n) {
    if (bit == 0) {
      if (n - x < 3) return std::nullopt;  // a control word with no item after it
      command = (unsigned{block[x]} << 8) | block[x + 1];
      bit = 16;
      x += 2;
    }
    if ((command & 0x8000u) == 0) {
      if (out.size() + 1 > cap) return std::nullopt;
      out.push_back(block[x]);
      x += 1;
    } else {
      if (n - x < 2) return std::nullopt;
      const std::size_t offset = (std::size_t{block[x]} << 4) | (block[x + 1] >> 4);
      if (offset == 0) {
        if (n - x < 4) return std::nullopt;
        const std::size_t count = (std::size_t{block[x + 1]} << 8) + block[x + 2] + 16;
        if (out.size() + count > cap) return std::nullopt;
        out.insert(out.end(), count, block[x + 3]);
        x += 4;
      } else {
        const std::size_t length = (block[x + 1] & 0x0Fu) + 3;
        if (offset > out.size() || out.size() + length > cap) return std::nullopt;
        for (std::size_t k = 0; k < length; ++k) out.push_back(out[out.size() - offset]);
        x += 2;
      }
    }
    command <<= 1;
    --bit;
  }
  return out;
}

}  // namespace parvex::test
