// The base of every error the program raises: an exception that carries a
// message text meant for the user.
#pragma once

#include <stdexcept>
#include <string>

namespace parvex {

class Exception : public std::runtime_error {
 public:
  explicit Exception(const std::string& message) : std::runtime_error(message) {}
  std::string Message() const { return what(); }
};

}  // namespace parvex
