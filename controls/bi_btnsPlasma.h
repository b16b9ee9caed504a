// The plasma texture of the plasma button: a 151 x 151 height map made by
// recursive midpoint displacement, shown through a 237-colour gradient between
// two colours as a 150 x 150 picture.
//
// Thread-safety: the functions are pure apart from the generator they are given;
// the seed source is meant for the user-interface thread.
#pragma once

#include <QImage>
#include <QRgb>
#include <array>
#include <cstdint>
#include <functional>

#include "controls/bi_procs.h"

namespace parvex::plasma {

constexpr int kMapSize = 151;      // cells 0..150 on each axis
constexpr int kTextureSize = 150;  // the picture shows cells 0..149
constexpr int kGradientSize = 237;  // entries 0..236

// The runtime's random generator: a 32-bit linear congruential sequence
// (seed = seed x 134775813 + 1), an integer below n from the high bits of the
// product, a real number in [0, 1) as seed / 2^32.
class TRandom {
 public:
  explicit TRandom(std::uint32_t seed = 0) : seed_(seed) {}
  void setSeed(std::uint32_t seed) { seed_ = seed; }
  std::uint32_t seed() const { return seed_; }
  // 0 .. n - 1 (n > 0).
  int below(int n);
  double real();

 private:
  std::uint32_t seed_;
};

// The milliseconds since local midnight: the seed each new texture starts from.
std::uint32_t TimeOfDaySeed();
// Replaces the seed source (an empty function restores the clock). Tests use it
// to know the sequence a button's texture comes from.
void SetSeedSource(std::function<std::uint32_t()> source);
// The seed from the current source.
std::uint32_t NextSeed();

using Gradient = std::array<QRgb, kGradientSize>;
// Entry 0 is Light, entry 236 Dark; each channel in between moves by the
// fraction (Dark - Light) x i / 236, rounded to the nearest integer, halves to
// the even one. Both colours are resolved first (system colours too).
Gradient MakeGradient(TColor light, TColor dark);

// Cells addressed (x, y), 0 meaning "not set yet" while the map is built.
struct HeightMap {
  std::array<std::uint8_t, kMapSize * kMapSize> cells{};
  std::uint8_t& at(int x, int y) { return cells[std::size_t(x) * kMapSize + std::size_t(y)]; }
  std::uint8_t at(int x, int y) const { return cells[std::size_t(x) * kMapSize + std::size_t(y)]; }
};

// The corners (0, 150), (150, 150), (150, 0), (0, 0) get random heights 0..235
// in that order, then Subdivide(0, 0, 150, 150) fills the rest: edge midpoints
// displaced by (r - 0.5) x distance x 8 around the mean of their ends and kept
// within 1..236, centres the mean of their four corners; each square's four
// quarters in turn.
HeightMap MakeHeightMap(TRandom& random);

// The picture: pixel (x, y) shows cell (x, y) (x to the right, y downwards);
// the map's last row and column stay unseen. A height v from 1 to 236 shows
// gradient entry v - 1; height 0 (a corner drawn as 0, or a centre whose corners
// average below 1) shows entry 0, like height 1. 32-bit RGB.
QImage MakeTexture(const HeightMap& map, const Gradient& gradient);

}  // namespace parvex::plasma
