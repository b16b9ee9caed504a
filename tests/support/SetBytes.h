// Volume bytes built field by field, for tests that craft sets by hand:
// damaged ones, hostile ones, and the exact bytes a backup must write.
#pragma once

#include <cstdint>
#include <string>

#include "tests/support/TestFiles.h"

namespace parvex::test {

void Put32(Bytes& b, std::uint32_t v);
void PutText(Bytes& b, const std::string& s);
// One block record: the length, then `data` compressed as the backup does.
void PutBlock(Bytes& b, const Bytes& data);

class SetBytes {
 public:
  SetBytes() = default;
  explicit SetBytes(const Bytes& start) : bytes(start) {}
  SetBytes& U32(std::uint32_t v) { return Put32(bytes, v), *this; }
  SetBytes& Text(const std::string& s) { return PutText(bytes, s), *this; }
  SetBytes& Raw(const Bytes& b) { return bytes.insert(bytes.end(), b.begin(), b.end()), *this; }
  SetBytes& Header(const std::string& title = "", std::uint32_t total = 0, std::uint32_t count = 0) {
    return Text(title).U32(total).U32(count);
  }
  SetBytes& File(const std::string& name, std::uint32_t dosTime = 0x56A47000) { return Text(name).U32(dosTime); }
  // A segment holding one block record per chunk of `data` (none when empty).
  SetBytes& Segment(const Bytes& data);
  SetBytes& SegmentHead(std::uint32_t length) { return Raw({'E', 'C', 'S', 0}).U32(length); }
  SetBytes& Next(const std::string& digits) { return Text("NEXT:DISK" + digits); }
  SetBytes& End() { return U32(0); }
  Bytes bytes;
};

}  // namespace parvex::test
