// Helpers shared by the engine tests: a scratch directory removed afterwards,
// file contents of several kinds, and real files of this machine.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace parvex::test {

using Bytes = std::vector<std::uint8_t>;

// A fresh directory under the system's temporary directory, removed with all it
// holds when the object goes.
class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;
  const std::string& path() const { return path_; }
  // path() + "/" + name
  std::string operator/(const std::string& name) const { return path_ + "/" + name; }

 private:
  std::string path_;
};

Bytes RandomBytes(std::size_t n, std::uint32_t seed);
Bytes TextLike(std::size_t n, std::uint32_t seed);   // words from a small vocabulary
Bytes RunHeavy(std::size_t n, std::uint32_t seed);   // runs of 1..6000 equal bytes
Bytes Periodic(std::size_t n, std::size_t period, std::uint32_t seed);

void WriteFile(const std::string& path, const Bytes& data);
Bytes ReadFile(const std::string& path);

// Whether files in `dir` take user extended attributes.
bool UserXattrsWork(const std::string& dir);

// Every entry below `root` as a line "path kind size mtime target-or-hash",
// leaving out `skip` (a path below root) and all below it. What a test
// compares before and after a run to show that nothing there was created,
// changed, re-dated or removed.
std::vector<std::string> TreeState(const std::string& root, const std::string& skip = "");
// The lines that differ: "- line" gone from `before`, "+ line" new in `after`.
std::vector<std::string> TreeChanges(const std::vector<std::string>& before, const std::vector<std::string>& after);

// Up to `maxBytes` of real files found below `root` (regular files only, in a
// fixed order), concatenated.
Bytes RealFiles(const std::string& root, std::size_t maxBytes);

}  // namespace parvex::test
