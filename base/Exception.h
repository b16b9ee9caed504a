// The errors the program raises, for every unit from the platform layer up:
// an exception that carries a message meant for the user, and the archive
// engine's error, which pairs one of the fixed messages with a detail naming
// the file or volume and the reason.
#pragma once

#include <stdexcept>
#include <string>

namespace parvex {

class Exception : public std::runtime_error {
 public:
  explicit Exception(const std::string& message) : std::runtime_error(message) {}
  std::string Message() const { return what(); }
};

// The engine's fixed messages.
inline constexpr const char* kCannotWriteArchive = "Cannot write to archive";
inline constexpr const char* kCannotReadFile = "Cannot read file";
inline constexpr const char* kCannotReadArchive = "Cannot read archive";
inline constexpr const char* kInvalidArchiveType = "Invalid archive type";

// "<fixed>: <detail>", or the fixed message alone when there is no detail.
class EArchiveError : public Exception {
 public:
  EArchiveError(const std::string& fixed, const std::string& detail)
      : Exception(detail.empty() ? fixed : fixed + ": " + detail), fixed_(fixed), detail_(detail) {}
  const std::string& Fixed() const { return fixed_; }
  const std::string& Detail() const { return detail_; }

 private:
  std::string fixed_;
  std::string detail_;
};

}  // namespace parvex
