// Where a stored name is restored to. Stored names come from sets made on
// Linux ("/home/ann/a.txt") or on Windows ("C:\DATA\A.TXT", "\\server\share\x"):
// both '\' and '/' separate, a leading "X:" is a drive. With a destination
// directory no target may leave it.
#pragma once

#include <string>

namespace parvex {

struct TargetName {
  bool ok = false;      // false: pass the file over
  std::string name;     // the target (or the stored name, when passed over)
  std::string warning;  // why it is passed over, for the user
};

// destDir: "" (back to the stored path) or a directory, with or without a
// trailing '/'. fullPath: keep the stored directories below destDir.
TargetName MakeTargetName(const std::string& stored, const std::string& destDir, bool fullPath);

}  // namespace parvex
