#include "tests/support/SetBytes.h"

#include <algorithm>

#include "engine/format.h"
#include "engine/LZRW1KH.h"

namespace parvex::test {

void Put32(Bytes& b, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) b.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
}

void PutText(Bytes& b, const std::string& s) {
  Put32(b, static_cast<std::uint32_t>(s.size()));
  b.insert(b.end(), s.begin(), s.end());
}

void PutBlock(Bytes& b, const Bytes& data) {
  Bytes block(data.size() + kCompressSlack);
  LzrwCompressor c;
  block.resize(c.Compress(data.data(), block.data(), static_cast<std::uint16_t>(data.size())));
  Put32(b, static_cast<std::uint32_t>(block.size()));
  b.insert(b.end(), block.begin(), block.end());
}

SetBytes& SetBytes::Segment(const Bytes& data) {
  Bytes records;
  for (std::size_t at = 0; at < data.size(); at += format::kChunkSize) {
    const std::size_t n = std::min(format::kChunkSize, data.size() - at);
    PutBlock(records, Bytes(data.begin() + static_cast<std::ptrdiff_t>(at),
                            data.begin() + static_cast<std::ptrdiff_t>(at + n)));
  }
  SegmentHead(static_cast<std::uint32_t>(records.size()));
  return Raw(records);
}

}  // namespace parvex::test
