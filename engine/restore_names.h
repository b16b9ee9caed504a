// Where a stored name is restored to. Stored names come from sets made on
// Linux ("/home/ann/a.txt") or on Windows ("C:\DATA\A.TXT", "\\server\share\x"):
// both '\' and '/' separate, a leading "X:" is a drive. A name with a ".."
// component is never restored (our writer never stores one); with a
// destination directory no target may leave it, and without one only a full
// POSIX name has a place to go back to.
#pragma once

#include <string>

namespace parvex {

struct TargetName {
  bool ok = false;       // false: pass the file over
  std::string name;      // the target (or the stored name, when passed over)
  std::string root;      // the destination directory, without a trailing '/'; "" without one
  std::string relative;  // below root; without a destination the absolute name itself
  std::string warning;   // why it is passed over, for the user
};

// destDir: "" (back to the stored path) or an absolute directory, with or
// without a trailing '/'. fullPath: keep the stored directories below destDir.
TargetName MakeTargetName(const std::string& stored, const std::string& destDir, bool fullPath);

// A name chosen for a target (by OnRestoreFile) split the same way: below
// destDir when it lies there, else an absolute name of its own.
TargetName PlaceTarget(const std::string& name, const std::string& destDir);

}  // namespace parvex
