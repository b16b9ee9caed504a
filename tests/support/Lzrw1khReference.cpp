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

}  // namespace parvex::test
