// Small readers for the kernel's and the system's text files: whole files,
// "key: value" records, trimmed lines, sorted directory listings, and the
// joining of a root directory with an absolute path.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace parvex::sysinfo {

// `path` (absolute) as seen below `root`: Under("/", "/proc") is "/proc",
// Under("/tmp/fake", "/proc") is "/tmp/fake/proc".
std::string Under(const std::string& root, const std::string& path);

// The whole file, at most `limit` bytes; nullopt when it cannot be opened or
// read. Works for /proc and /sys files, which report no size.
std::optional<std::string> ReadText(const std::string& path, std::size_t limit = 8u << 20);

// The file's first line without its line end and surrounding blanks; nullopt
// as for ReadText.
std::optional<std::string> ReadLine(const std::string& path);

std::string_view Trim(std::string_view text);

// The lines of `text`, without their line ends.
std::vector<std::string_view> Lines(std::string_view text);

// The value of the first line "key<sep>value" of `text` whose key (blanks
// around it ignored) is `key`, trimmed; nullopt when no line has that key.
std::optional<std::string> FieldValue(std::string_view text, std::string_view key, char separator);

// Names in the directory (without . and ..), in byte order; empty when it
// cannot be read.
std::vector<std::string> DirectoryNames(const std::string& path);

bool Exists(const std::string& path);

// The target a symbolic link names, as written; "" when it is not a link.
std::string LinkTarget(const std::string& path);

// The last component of a path ("sdb1" for "../../sdb1").
std::string BaseName(std::string_view path);

// The resolved absolute path, "" when some component does not exist.
std::string RealPath(const std::string& path);

// Leading decimal digits as a number (0 when none); `used` gets their count.
std::uint64_t LeadingNumber(std::string_view text, std::size_t* used = nullptr);

// Hexadecimal digits, "0x" allowed in front; nullopt when there are none or
// anything else follows.
std::optional<std::uint64_t> ParseHex(std::string_view text);

bool StartsWith(std::string_view text, std::string_view prefix);

}  // namespace parvex::sysinfo
