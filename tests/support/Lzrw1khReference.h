// A plain, slow LZRW1-KH compressor and decoder that follow the codec's rules
// step by step, with none of the engine's speed-ups. The tests, the fuzzers and
// the codec benchmark compare the engine with them byte for byte.
#pragma once

#include <cstdint>
#include <optional>
#include <vector>

namespace parvex::test {

// The block the coder writes for source[0..sourceSize). sourceSize <= 32,773.
std::vector<std::uint8_t> ReferenceCompress(const std::uint8_t* source, std::size_t sourceSize);

// The bytes block[0..blockSize) decodes to, item by item, or nothing where the
// block is corrupt: empty, cut inside a control word or an item, a copy from
// before the start of the output, or an output longer than
// min(capacity, 65,535) bytes.
std::optional<std::vector<std::uint8_t>> ReferenceDecompress(const std::uint8_t* block, std::size_t blockSize,
                                                             std::size_t capacity);

}  // namespace parvex::test
