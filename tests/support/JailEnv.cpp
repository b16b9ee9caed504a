#include "tests/support/JailEnv.h"

namespace parvex::test {

std::string JailEnv::Real(const std::string& path) const {
  if (path.empty()) return path;
  const std::string inside = platform::MakeAbsolute(path, "/");
  return inside == "/" ? jail_ : jail_ + inside;
}

}  // namespace parvex::test
