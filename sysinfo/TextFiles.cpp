// Plain POSIX reads of small text files; /proc files are read until the end
// because they report a size of 0.
#include "sysinfo/TextFiles.h"

#include <dirent.h>
#include <fcntl.h>
#include <stdlib.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>

namespace parvex::sysinfo {

std::string Under(const std::string& root, const std::string& path) {
  std::string base = root;
  while (!base.empty() && base.back() == '/') base.pop_back();
  return base + path;
}

std::optional<std::string> ReadText(const std::string& path, std::size_t limit) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return std::nullopt;
  std::string text;
  char buffer[16384];
  while (text.size() < limit) {
    const ssize_t n = ::read(fd, buffer, std::min(sizeof buffer, limit - text.size()));
    if (n < 0) {
      if (errno == EINTR) continue;
      ::close(fd);
      return std::nullopt;
    }
    if (n == 0) break;
    text.append(buffer, static_cast<std::size_t>(n));
  }
  ::close(fd);
  return text;
}

std::optional<std::string> ReadLine(const std::string& path) {
  auto text = ReadText(path, 64 * 1024);
  if (!text) return std::nullopt;
  const auto end = text->find('\n');
  return std::string(Trim(std::string_view(*text).substr(0, end)));
}

std::string_view Trim(std::string_view text) {
  constexpr std::string_view kBlanks = " \t\r\n";
  const auto first = text.find_first_not_of(kBlanks);
  if (first == std::string_view::npos) return {};
  const auto last = text.find_last_not_of(kBlanks);
  return text.substr(first, last - first + 1);
}

std::vector<std::string_view> Lines(std::string_view text) {
  std::vector<std::string_view> lines;
  while (!text.empty()) {
    const auto end = text.find('\n');
    lines.push_back(text.substr(0, end));
    if (end == std::string_view::npos) break;
    text.remove_prefix(end + 1);
  }
  return lines;
}

std::optional<std::string> FieldValue(std::string_view text, std::string_view key, char separator) {
  for (const auto line : Lines(text)) {
    const auto at = line.find(separator);
    if (at == std::string_view::npos || Trim(line.substr(0, at)) != key) continue;
    return std::string(Trim(line.substr(at + 1)));
  }
  return std::nullopt;
}

std::vector<std::string> DirectoryNames(const std::string& path) {
  std::vector<std::string> names;
  DIR* dir = ::opendir(path.c_str());
  if (dir == nullptr) return names;
  while (const dirent* entry = ::readdir(dir)) {
    const std::string_view name = entry->d_name;
    if (name != "." && name != "..") names.emplace_back(name);
  }
  ::closedir(dir);
  std::sort(names.begin(), names.end());
  return names;
}

bool Exists(const std::string& path) { return ::access(path.c_str(), F_OK) == 0; }

std::string LinkTarget(const std::string& path) {
  char buffer[4096];
  const ssize_t n = ::readlink(path.c_str(), buffer, sizeof buffer);
  if (n <= 0 || static_cast<std::size_t>(n) >= sizeof buffer) return std::string();
  return std::string(buffer, static_cast<std::size_t>(n));
}

std::string BaseName(std::string_view path) {
  while (path.size() > 1 && path.back() == '/') path.remove_suffix(1);
  const auto slash = path.rfind('/');
  return std::string(slash == std::string_view::npos ? path : path.substr(slash + 1));
}

std::string RealPath(const std::string& path) {
  char* resolved = ::realpath(path.c_str(), nullptr);
  if (resolved == nullptr) return std::string();
  std::string result(resolved);
  ::free(resolved);
  return result;
}

std::uint64_t LeadingNumber(std::string_view text, std::size_t* used) {
  std::uint64_t value = 0;
  std::size_t i = 0;
  for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
    if (value > (UINT64_MAX - 9) / 10) break;  // absurdly long: stop before wrapping
    value = value * 10 + static_cast<std::uint64_t>(text[i] - '0');
  }
  if (used != nullptr) *used = i;
  return value;
}

std::optional<std::uint64_t> ParseHex(std::string_view text) {
  if (StartsWith(text, "0x") || StartsWith(text, "0X")) text.remove_prefix(2);
  if (text.empty() || text.size() > 16) return std::nullopt;
  std::uint64_t value = 0;
  for (const char c : text) {
    int digit;
    if (c >= '0' && c <= '9') digit = c - '0';
    else if (c >= 'a' && c <= 'f') digit = c - 'a' + 10;
    else if (c >= 'A' && c <= 'F') digit = c - 'A' + 10;
    else return std::nullopt;
    value = value * 16 + static_cast<std::uint64_t>(digit);
  }
  return value;
}

bool StartsWith(std::string_view text, std::string_view prefix) {
  return text.substr(0, prefix.size()) == prefix;
}

}  // namespace parvex::sysinfo
