// Target names from stored names: roots, drives and network names, and the
// names that are never restored.
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

bool IsNetworkName(const std::string& s) { return s.size() >= 2 && IsSeparator(s[0]) && IsSeparator(s[1]); }

// The stored name's components below its root: "X:\", "/", or "\\server\share\".
std::vector<std::string> ComponentsBelowRoot(const std::string& s) {
  std::size_t at = 0;
  if (HasDrive(s)) {
    at = 2;
  } else if (IsNetworkName(s)) {
    // Skip the server and the share.
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

bool Climbs(const std::string& s) {
  std::size_t start = 0;
  for (std::size_t at = 0; at <= s.size(); ++at) {
    if (at == s.size() || IsSeparator(s[at]) || s[at] == ':') {
      if (at - start == 2 && s.compare(start, 2, "..") == 0) return true;
      start = at + 1;
    }
  }
  return false;
}

// What follows the last '/', '\' or ':'.
std::string FileNamePart(const std::string& s) {
  const std::size_t cut = s.find_last_of("/\\:");
  return cut == std::string::npos ? s : s.substr(cut + 1);
}

std::string Joined(const std::vector<std::string>& parts) {
  std::string path;
  for (std::size_t i = 0; i < parts.size(); ++i) {
    if (i) path += '/';
    path += parts[i];
  }
  return path;
}

std::string WithoutTrailingSlashes(std::string dir) {
  while (dir.size() > 1 && dir.back() == '/') dir.pop_back();
  return dir;
}

TargetName PassOver(const std::string& stored, const std::string& why) {
  TargetName t;
  t.name = stored;
  t.warning = QuotedName(stored) + " passed over: " + why;
  return t;
}

TargetName Below(const std::string& root, const std::string& relative) {
  TargetName t;
  t.ok = true;
  t.root = root;
  t.relative = relative;
  t.name = root == "/" ? std::string() : root;
  t.name += '/';
  t.name += relative;
  return t;
}

}  // namespace

TargetName MakeTargetName(const std::string& stored, const std::string& destDir, bool fullPath) {
  if (stored.find('\0') != std::string::npos) return PassOver(stored, "the name holds a NUL byte");
  const std::string name = FileNamePart(stored);
  if (name.empty() || name == "." || name == "..") return PassOver(stored, "the name has no file-name part");
  if (Climbs(stored)) return PassOver(stored, "the name has a \"..\" component, which could lead anywhere");

  const std::string asked = "; choose a destination directory";
  if (destDir.empty()) {
    if (HasDrive(stored)) return PassOver(stored, "a Windows drive name has no place here" + asked);
    if (IsNetworkName(stored)) return PassOver(stored, "a Windows network name has no place here" + asked);
    if (!IsSeparator(stored[0])) return PassOver(stored, "the name is not a full path" + asked);
    TargetName t;
    t.ok = true;
    t.relative = '/';
    t.relative += Joined(ComponentsBelowRoot(stored));
    t.name = t.relative;
    return t;
  }

  const std::string root = WithoutTrailingSlashes(destDir);
  if (!fullPath) return Below(root, name);
  return Below(root, Joined(ComponentsBelowRoot(stored)));
}

TargetName PlaceTarget(const std::string& name, const std::string& destDir) {
  if (!destDir.empty()) {
    const std::string root = WithoutTrailingSlashes(destDir);
    const std::string prefix = root == "/" ? root : root + "/";
    if (name.size() > prefix.size() && name.compare(0, prefix.size(), prefix) == 0) {
      return Below(root, name.substr(prefix.size()));
    }
  }
  TargetName t;
  t.ok = true;
  t.name = name;
  t.relative = name;
  return t;
}

}  // namespace parvex
