// Path helpers and wildcard matching: pure string work on '/'-separated names,
// plus the process's current directory.
#include <unistd.h>

#include <cerrno>
#include <string_view>
#include <vector>

#include "platform/Platform.h"

namespace parvex::platform {
namespace {

bool IsUtf8Continuation(unsigned char c) { return (c & 0xC0) == 0x80; }

// How many bytes of `name` from `at` one '?' takes: a whole UTF-8 character when
// one starts there (so "r?sum?" finds "résumé"), else a single byte.
std::size_t CharacterLength(const std::string& name, std::size_t at) {
  std::size_t end = at + 1;
  if (static_cast<unsigned char>(name[at]) >= 0xC0) {
    while (end < name.size() && end - at < 4 && IsUtf8Continuation(static_cast<unsigned char>(name[end]))) ++end;
  }
  return end - at;
}

}  // namespace

std::string DirectoryPart(const std::string& path) {
  const auto slash = path.rfind('/');
  return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

std::string NamePart(const std::string& path) {
  const auto slash = path.rfind('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string CurrentDirectory() {
  std::string buffer(256, '\0');
  for (;;) {
    if (::getcwd(buffer.data(), buffer.size()) != nullptr) {
      buffer.resize(std::char_traits<char>::length(buffer.c_str()));
      return buffer;
    }
    if (errno != ERANGE || buffer.size() > (std::size_t{1} << 20)) return std::string();
    buffer.resize(buffer.size() * 2);
  }
}

std::string MakeAbsolute(const std::string& path, const std::string& base) {
  std::string joined;
  if (!path.empty() && path[0] == '/') {
    joined = path;
  } else {
    std::string root = base;
    if (root.empty() || root[0] != '/') {
      const std::string cwd = CurrentDirectory();
      root = root.empty() ? cwd : cwd + "/" + root;
    }
    joined = root + "/" + path;
  }

  std::vector<std::string_view> parts;
  std::string_view rest(joined);
  while (!rest.empty()) {
    const auto slash = rest.find('/');
    const std::string_view part = rest.substr(0, slash);
    rest = slash == std::string_view::npos ? std::string_view() : rest.substr(slash + 1);
    if (part.empty() || part == ".") continue;
    if (part == "..") {
      if (!parts.empty()) parts.pop_back();  // ".." of the root is the root
      continue;
    }
    parts.push_back(part);
  }

  if (parts.empty()) return "/";
  std::string result;
  for (const auto part : parts) {
    result += '/';
    result += part;
  }
  return result;
}

bool WildcardMatch(const std::string& pattern, const std::string& name) {
  // Greedy scan that remembers only the last '*': on a mismatch that '*' takes
  // one more byte and the scan resumes after it. Earlier stars never need to be
  // revisited, so the cost stays within pattern length times name length.
  std::size_t p = 0;
  std::size_t s = 0;
  std::size_t starP = std::string::npos;
  std::size_t starS = 0;
  while (s < name.size()) {
    if (p < pattern.size() && pattern[p] == '*') {
      starP = p++;
      starS = s;
    } else if (p < pattern.size() && pattern[p] == '?') {
      ++p;
      s += CharacterLength(name, s);
    } else if (p < pattern.size() && pattern[p] == name[s]) {
      ++p;
      ++s;
    } else if (starP != std::string::npos) {
      p = starP + 1;
      s = ++starS;
    } else {
      return false;
    }
  }
  while (p < pattern.size() && pattern[p] == '*') ++p;
  return p == pattern.size();
}

}  // namespace parvex::platform
