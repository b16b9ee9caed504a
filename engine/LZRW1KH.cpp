// LZRW1-KH block codec. The compressor's output must stay byte-identical to the
// classic coder: one hash probe per position not covered by an item, the run
// test before the match test, a position of 32,768 or more never a match source.
// How it gets there faster (a bulk loop, slots computed up front, entries that
// carry their reach) must never show in a block; the tests hold every block
// against a plain coder.
#include "engine/LZRW1KH.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <new>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

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

// The table holds a position p as p + kWindow, so that one comparison tells
// whether an entry is within reach of position x: entry > x exactly when
// x - p < 4096. A position of 32,768 or more is kept as 0, never in reach, as
// it reads back negative in the classic table and never serves.
//
// The table starts filled with the entry of the block's first probed position
// p0 rather than with "empty", so that every entry names a readable position
// and the bulk loop can compare bytes before it tests the reach. That changes
// nothing: up to p0 nothing probes the table; at p0 the entry is the one p0
// leaves anyway; after p0 a stale entry names p0, and three bytes equal to
// p0's would have p0's slot, whose entry is no longer stale.
inline std::uint16_t Entry(std::size_t x) {
  return x < 32768 ? static_cast<std::uint16_t>(x + kWindow) : 0;
}

// Bit 15 of a precomputed slot: a run of 16 or more may start at the
// position (its byte equals bytes 1, 8 and 15 after it). Rare outside runs.
constexpr std::uint16_t kRunFlag = 0x8000;
constexpr std::uint16_t kSlotMask = 0x0FFF;

inline std::uint16_t Slot(const std::uint8_t* s, std::size_t i) {
  const auto v = static_cast<std::uint16_t>((s[i] << 8) ^ (s[i + 1] << 4) ^ s[i + 2]);
  return static_cast<std::uint16_t>(static_cast<std::uint16_t>(v * 40543u) >> 4);
}

// The hash slot of every position that has two bytes after it, and the run
// flag where 15 bytes follow, in passes without dependences (the compiler
// vectorises them), so that neither is on the per-item path. 16-bit arithmetic
// is enough: only bits 4..15 of the product reach the slot.
void ComputeSlots(const std::uint8_t* s, std::size_t n, std::uint16_t* slots) {
  std::size_t i = 0;
  for (; i + 15 < n; ++i) {
    const bool run = (s[i] == s[i + 1]) & (s[i] == s[i + 8]) & (s[i] == s[i + 15]);
    slots[i] = static_cast<std::uint16_t>(Slot(s, i) | (run ? kRunFlag : 0));
  }
  for (; i + 2 < n; ++i) slots[i] = Slot(s, i);
}

inline std::uint32_t Load4(const std::uint8_t* p) {
  std::uint32_t word;
  std::memcpy(&word, p, 4);
  return word;
}

// Non-zero unless the first three bytes at a and b agree (four bytes readable at each).
inline std::uint32_t Differ3(const std::uint8_t* a, const std::uint8_t* b) {
  const std::uint32_t diff = Load4(a) ^ Load4(b);
  if constexpr (std::endian::native == std::endian::little) return diff << 8;
  return diff >> 8;
}

// The number of equal leading bytes of a and b, up to 18; 32 bytes readable at each.
inline std::size_t CommonPrefix18(const std::uint8_t* a, const std::uint8_t* b) {
  std::uint32_t same;
#if defined(__SSE2__)
  const __m128i lo = _mm_cmpeq_epi8(_mm_loadu_si128(reinterpret_cast<const __m128i*>(a)),
                                    _mm_loadu_si128(reinterpret_cast<const __m128i*>(b)));
  const __m128i hi = _mm_cmpeq_epi8(_mm_loadu_si128(reinterpret_cast<const __m128i*>(a + 16)),
                                    _mm_loadu_si128(reinterpret_cast<const __m128i*>(b + 16)));
  same = static_cast<std::uint32_t>(_mm_movemask_epi8(lo)) |
         (static_cast<std::uint32_t>(_mm_movemask_epi8(hi)) << 16);
#else
  same = 0;
  for (unsigned i = 0; i < kMaxMatch; ++i) same |= static_cast<std::uint32_t>(a[i] == b[i]) << i;
#endif
  return static_cast<std::size_t>(std::countr_one(same & ((std::uint32_t{1} << kMaxMatch) - 1)));
}

// The length of the run of s[x] at x, at most limit (>= 1).
inline std::size_t RunLength(const std::uint8_t* s, std::size_t x, std::size_t limit) {
  const std::uint8_t value = s[x];
  std::size_t size = 1;
#if defined(__SSE2__)
  const __m128i pattern = _mm_set1_epi8(static_cast<char>(value));
  while (size + 16 <= limit) {
    const auto same = static_cast<unsigned>(_mm_movemask_epi8(
        _mm_cmpeq_epi8(_mm_loadu_si128(reinterpret_cast<const __m128i*>(s + x + size)), pattern)));
    if (same != 0xFFFFu) return size + static_cast<std::size_t>(std::countr_one(same));
    size += 16;
  }
#endif
  while (size < limit && s[x + size] == value) ++size;
  return size;
}

// The first position the coder probes the table at: the first one after the
// runs that open the block.
std::size_t FirstProbe(const std::uint8_t* s, std::size_t n) {
  std::size_t x = 0;
  while (n - x >= kMinRun) {
    const std::size_t run = RunLength(s, x, std::min(n - x, kMaxRun));
    if (run < kMinRun) break;
    x += run;
  }
  return x;
}

// The coder's position in the block between two items.
struct CoderState {
  std::size_t x = 0;  // input position
  std::size_t y = 3;  // output position
  std::size_t z = 1;  // where the current group's control word goes
  std::size_t bit = 0;        // items in the current group
  std::uint32_t command = 0;  // control bits of the group so far, in the low bits
};

inline void StoreControl(std::uint8_t* dest, std::size_t z, std::uint32_t command) {
  dest[z] = static_cast<std::uint8_t>(command >> 8);
  dest[z + 1] = static_cast<std::uint8_t>(command);
}

inline std::size_t PutRun(std::uint8_t* dest, std::size_t y, std::size_t size, std::uint8_t value) {
  const std::size_t field = size - kMinRun;
  dest[y] = 0;
  dest[y + 1] = static_cast<std::uint8_t>(field >> 8);
  dest[y + 2] = static_cast<std::uint8_t>(field);
  dest[y + 3] = value;
  return y + 4;
}

inline std::size_t PutCopy(std::uint8_t* dest, std::size_t y, std::size_t offset, std::size_t size) {
  const std::size_t key = (offset << 4) + (size - kMinMatch);
  dest[y] = static_cast<std::uint8_t>(key >> 8);
  dest[y + 1] = static_cast<std::uint8_t>(key);
  return y + 2;
}

// Item by item with every test of the classic coder, for positions below
// xStop: the start of a block up to its first probe, a block too short for
// the bulk loop, and the end of every block.
void CompressCareful(const std::uint8_t* s, std::size_t n, std::size_t xStop, const std::uint16_t* slots,
                     std::uint16_t* table, std::uint8_t* dest, CoderState& st) {
  auto [x, y, z, bit, command] = st;
  while (x < xStop && y <= n) {
    if (bit == kGroupItems) {
      StoreControl(dest, z, command);
      z = y;
      y += 2;
      bit = 0;
    }
    ++bit;
    if (n - x < kMinMatch) {
      // The last two positions can hold neither a run nor a match.
      dest[y++] = s[x++];
      command <<= 1;
      continue;
    }
    const std::size_t run = s[x + 1] == s[x] ? RunLength(s, x, std::min(n - x, kMaxRun)) : 1;
    if (run >= kMinRun) {
      y = PutRun(dest, y, run, s[x]);
      x += run;
      command = (command << 1) | 1u;
      continue;
    }
    const unsigned slot = slots[x] & kSlotMask;
    const std::size_t entry = table[slot];
    table[slot] = Entry(x);
    // In reach, and not the first probe's own entry.
    if (entry > x && entry - kWindow < x) {
      const std::size_t cand = entry - kWindow;
      const std::size_t limit = std::min(n - x, kMaxMatch);
      std::size_t size = 0;
      while (size < limit && s[x + size] == s[cand + size]) ++size;
      if (size >= kMinMatch) {
        y = PutCopy(dest, y, x - cand, size);
        x += size;
        command = (command << 1) | 1u;
        continue;
      }
    }
    dest[y++] = s[x++];
    command <<= 1;
  }
  st = {x, y, z, bit, command};
}

// Reads stay inside the input for items that start this far before its end.
constexpr std::size_t kInputMargin = 32;
// A group may start while this much output room is left below the point where
// the coder gives up (y > n): 2 for its control word, 4 for each item, 16 for
// the literals copied ahead.
constexpr std::size_t kGroupRoom = 2 + kGroupItems * 4 + 16;
constexpr std::size_t kBulkMinimum = 128;

// The bulk of a block after its first probe: every item that starts at least
// kInputMargin bytes before the end, while a whole group fits below the point
// where the coder gives up. Nothing here can read or write past the buffers,
// so the careful loop's tests are made once per group. Literals are found by
// a scan that tests, per position, only the run flag and the candidate's
// first three bytes (every entry names a readable position); the candidate's
// reach is tested only where the bytes agree, so on data that does not
// compress the scan's branches are all but never taken. The 16 bytes after
// each item are copied ahead, which writes the literals that follow.
void CompressBulk(const std::uint8_t* s, std::size_t n, const std::uint16_t* slots, std::uint16_t* table,
                  std::uint8_t* dest, CoderState& st) {
  if (n < kBulkMinimum) return;
  const std::size_t xEnd = n - kInputMargin;
  const std::size_t yLimit = n - kGroupRoom;
  auto [x, y, z, bit, command] = st;
  if (y > yLimit) return;
  while (x < xEnd) {
    if (bit == kGroupItems) {
      if (y > yLimit) break;
      StoreControl(dest, z, command);
      z = y;
      y += 2;
      bit = 0;
    }
    std::memcpy(dest + y, s + x, 16);
    const std::size_t stop = std::min(xEnd, x + (kGroupItems - bit));
    std::size_t k = x;
    std::uint16_t h = 0;
    std::size_t entry = 0;
    for (; k < stop; ++k) {
      h = slots[k];
      if (h & kRunFlag) break;
      entry = table[h & kSlotMask];
      table[h & kSlotMask] = static_cast<std::uint16_t>(k + kWindow);
      // One branch for both tests, taken exactly where a copy starts.
      const auto far = static_cast<std::uint32_t>(entry <= k);
      if ((Differ3(s + k, s + (entry - kWindow)) | far) == 0) break;
    }
    const std::size_t literals = k - x;
    y += literals;
    bit += literals;
    command <<= literals;
    x = k;
    if (k == stop) continue;

    ++bit;
    if (h & kRunFlag) [[unlikely]] {
      const std::size_t run = RunLength(s, x, std::min(n - x, kMaxRun));
      if (run >= kMinRun) {
        y = PutRun(dest, y, run, s[x]);
        x += run;
        command = (command << 1) | 1u;
        continue;
      }
      entry = table[h & kSlotMask];
      table[h & kSlotMask] = static_cast<std::uint16_t>(x + kWindow);
      if (Differ3(s + x, s + (entry - kWindow)) != 0) entry = 0;
    }
    if (entry > x) {
      const std::size_t cand = entry - kWindow;
      const std::size_t size = CommonPrefix18(s + x, s + cand);
      y = PutCopy(dest, y, x - cand, size);
      x += size;
      command = (command << 1) | 1u;
    } else {
      dest[y++] = s[x++];
      command <<= 1;
    }
  }
  st = {x, y, z, bit, command};
}

std::uint16_t CompressWithTable(std::uint16_t* table, std::uint16_t* slots, const std::uint8_t* s,
                                std::uint8_t* dest, std::uint16_t sourceSize) {
  const std::size_t n = sourceSize;
  ComputeSlots(s, n, slots);
  const std::size_t first = FirstProbe(s, n);
  std::fill_n(table, kHashSlots, Entry(first));
  dest[0] = kFlagCompressed;
  CoderState st;
  CompressCareful(s, n, std::min(n, first + 1), slots, table, dest, st);
  CompressBulk(s, n, slots, table, dest, st);
  CompressCareful(s, n, n, slots, table, dest, st);
  // Align the last group's bits to the top; with no items at all this gives 0.
  StoreControl(dest, st.z, st.command << (kGroupItems - st.bit));

  if (st.y > n) {
    if (n != 0) std::memcpy(dest + 1, s, n);
    dest[0] = kFlagStored;
    return static_cast<std::uint16_t>(n + 1);
  }
  return static_cast<std::uint16_t>(st.y);
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
