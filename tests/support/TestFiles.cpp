#include "tests/support/TestFiles.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <random>
#include <stdexcept>

#include <stdlib.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace parvex::test {

TempDir::TempDir() {
  std::string pattern = (fs::temp_directory_path() / "parvex-test-XXXXXX").string();
  if (!mkdtemp(pattern.data())) throw std::runtime_error("mkdtemp failed");
  path_ = pattern;
}

TempDir::~TempDir() {
  std::error_code ec;
  fs::permissions(path_, fs::perms::owner_all, fs::perm_options::add, ec);
  fs::remove_all(path_, ec);
}

Bytes RandomBytes(std::size_t n, std::uint32_t seed) {
  std::mt19937 rng(seed);
  Bytes out(n);
  for (auto& b : out) b = static_cast<std::uint8_t>(rng());
  return out;
}

Bytes TextLike(std::size_t n, std::uint32_t seed) {
  static const char* kWords[] = {"the ", "split ", "volume ", "of ", "a ", "file\n", "disk ",
                                 "join ", "compress ", "block ", "and ", "record, ", "int ",
                                 "return ", "{\n  ", "}\n", "archive ", "(x, y) "};
  std::mt19937 rng(seed);
  Bytes out;
  out.reserve(n + 16);
  while (out.size() < n) {
    const char* w = kWords[rng() % std::size(kWords)];
    out.insert(out.end(), w, w + std::char_traits<char>::length(w));
  }
  out.resize(n);
  return out;
}

Bytes RunHeavy(std::size_t n, std::uint32_t seed) {
  std::mt19937 rng(seed);
  Bytes out;
  out.reserve(n);
  while (out.size() < n) {
    const std::size_t len = std::min<std::size_t>(1 + rng() % 6000, n - out.size());
    out.insert(out.end(), len, static_cast<std::uint8_t>(rng() % 4));
  }
  return out;
}

Bytes Periodic(std::size_t n, std::size_t period, std::uint32_t seed) {
  const Bytes unit = RandomBytes(period, seed);
  Bytes out(n);
  for (std::size_t i = 0; i < n; ++i) out[i] = unit[i % period];
  return out;
}

void WriteFile(const std::string& path, const Bytes& data) {
  std::ofstream f(path, std::ios::binary | std::ios::trunc);
  f.write(reinterpret_cast<const char*>(data.data()), static_cast<std::streamsize>(data.size()));
  if (!f) throw std::runtime_error("cannot write " + path);
}

Bytes ReadFile(const std::string& path) {
  std::ifstream f(path, std::ios::binary);
  if (!f) throw std::runtime_error("cannot read " + path);
  return Bytes((std::istreambuf_iterator<char>(f)), std::istreambuf_iterator<char>());
}

bool UserXattrsWork(const std::string& dir) {
  const std::string probe = dir + "/xattr-probe";
  WriteFile(probe, {});
  const bool ok = setxattr(probe.c_str(), "user.parvex.probe", "1", 1, 0) == 0;
  fs::remove(probe);
  return ok;
}

std::vector<std::string> TreeState(const std::string& root, const std::string& skip) {
  std::vector<std::string> lines;
  const auto describe = [&](const std::string& path) {
    struct stat st {};
    if (::lstat(path.c_str(), &st) != 0) return;
    std::string line = path + " ";
    if (S_ISLNK(st.st_mode)) {
      std::error_code ec;
      line += "link -> " + fs::read_symlink(path, ec).string();
    } else if (S_ISDIR(st.st_mode)) {
      line += "dir";
    } else {
      const Bytes data = S_ISREG(st.st_mode) ? ReadFile(path) : Bytes();
      line += "file " + std::to_string(st.st_size) + " hash " +
              std::to_string(std::hash<std::string>()(std::string(data.begin(), data.end())));
    }
    line += " mtime " + std::to_string(st.st_mtim.tv_sec) + "." + std::to_string(st.st_mtim.tv_nsec);
    lines.push_back(line);
  };
  describe(root);
  std::error_code ec;
  for (fs::recursive_directory_iterator it(root, ec), end; it != end; it.increment(ec)) {
    if (ec) break;
    if (it->path().string() == skip) {
      it.disable_recursion_pending();
      continue;
    }
    describe(it->path().string());
  }
  std::sort(lines.begin(), lines.end());
  return lines;
}

std::vector<std::string> TreeChanges(const std::vector<std::string>& before, const std::vector<std::string>& after) {
  std::vector<std::string> gone, added, changes;
  std::set_difference(before.begin(), before.end(), after.begin(), after.end(), std::back_inserter(gone));
  std::set_difference(after.begin(), after.end(), before.begin(), before.end(), std::back_inserter(added));
  for (const std::string& line : gone) changes.push_back("- " + line);
  for (const std::string& line : added) changes.push_back("+ " + line);
  return changes;
}

Bytes RealFiles(const std::string& root, std::size_t maxBytes) {
  std::vector<fs::path> files;
  std::error_code ec;
  if (fs::is_regular_file(root, ec)) files.push_back(root);
  for (fs::recursive_directory_iterator it(root, fs::directory_options::skip_permission_denied, ec), end;
       it != end; it.increment(ec)) {
    if (ec) break;
    if (it->is_regular_file(ec) && !it->is_symlink(ec)) files.push_back(it->path());
  }
  std::sort(files.begin(), files.end());
  Bytes out;
  for (const auto& p : files) {
    if (out.size() >= maxBytes) break;
    try {
      Bytes b = ReadFile(p.string());
      out.insert(out.end(), b.begin(), b.begin() + static_cast<std::ptrdiff_t>(
                                            std::min(b.size(), maxBytes - out.size())));
    } catch (const std::exception&) {
    }
  }
  return out;
}

}  // namespace parvex::test
