#include "engine/restore_names.h"

#include <vector>

#include "base/SafeText.h"

namespace parvex {
namespace {

bool IsSeparator(char c) { return c == '/' || c == '\\'; }

bool HasDrive(const std::string& s) {
  return s.size() >= 2 && s[1] == ':' &&
         ((s[0] >= 'A' && s[0] <= 'Z') || (s[0] >= 'a' && s[0] <= 'z'));
}

// The stored name's components below its root: "X:\", "/", or "\\server\share\".
std::vector<std::string> ComponentsBelowRoot(const std::string& s) {
  std::size_t at = 0;
  if (HasDrive(s)) {
    at = 2;
  } else if (s.size() >= 2 && IsSeparator(s[0]) && IsSeparator(s[1])) {
    // A network name: skip the server and the share.
    at = 2;
    for (int part = 0; part < 2; ++part) {
      while (at < s.size() && !IsSeparator(s[at])) ++at;
      while (at < s.size() && IsSeparator(s[at])) ++at;
    }
  }
  std::vector<std::string> parts;
  std::string current;
  for (; at <= s.size(); ++at) {
    if (at == s.size() || IsSeparator(s[at])) {
      if (!current.empty() && current != ".") parts.push_back(current);
      current.clear();
    } else {
      current += s[at];
    }
  }
  return parts;
}

// What follows the last '/', '\' or ':'.
std::string FileNamePart(const std::string& s) {
  const std::size_t cut = s.find_last_of("/\\:");
  return cut == std::string::npos ? s : s.substr(cut + 1);
}

TargetName PassOver(const std::string& stored, const std::string& why) {
  std::string warning = "\"";
  warning += ShownName(stored);
  warning += "\" passed over: ";
  warning += why;
  return {false, stored, warning};
}

}  // namespace

TargetName MakeTargetName(const std::string& stored, const std::string& destDir, bool fullPath) {
  if (stored.find('\0') != std::string::npos) return PassOver(stored, "the name holds a NUL byte");
  const std::string name = FileNamePart(stored);
  if (name.empty() || name == "." || name == "..") return PassOver(stored, "the name has no file-name part");

  if (destDir.empty()) {
    if (HasDrive(stored)) {
      return PassOver(stored, "a Windows drive name has no place here; choose a destination directory");
    }
    std::string target = stored;
    for (char& c : target) {
      if (c == '\\') c = '/';
    }
    return {true, target, ""};
  }

  std::string target = destDir;
  if (target.back() != '/') target += '/';
  if (!fullPath) return {true, target + name, ""};
  const std::vector<std::string> parts = ComponentsBelowRoot(stored);
  for (const std::string& part : parts) {
    if (part == "..") return PassOver(stored, "the name climbs out of the destination directory");
  }
  for (std::size_t i = 0; i < parts.size(); ++i) target += (i ? "/" : "") + parts[i];
  return {true, target, ""};
}

}  // namespace parvex
