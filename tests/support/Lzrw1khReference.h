// A plain, slow LZRW1-KH compressor that follows the coder's rules step by step,
// with none of the engine's speed-ups. The tests, the round-trip fuzzer and the
// codec benchmark compare the engine's blocks with it byte for byte.
#pragma once

#include <cstdint>
#include <vector>

namespace parvex::test {

// The block the coder writes for source[0..sourceSize). sourceSize <= 32,773.
std::vector<std::uint8_t> ReferenceCompress(const std::uint8_t* source, std::size_t sourceSize);

}  // namespace parvex::test
