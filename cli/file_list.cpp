// The split's file list (see file_list.h): the names on the command line
// checked and, with -r, folders walked with lstat so that a link is never
// taken for what it points to unless -L asks for it.
#include "cli/file_list.h"

#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <iostream>
#include <string>
#include <utility>
#include <vector>

#include "base/SafeText.h"
#include "cli/commands.h"
#include "engine/backup.h"

namespace parvex::cli {
namespace {

void Warn(const std::string& name, const std::string& what) {
  std::cerr << "parvex-cli: warning: " << ShownName(name) << " " << what << "\n";
}

int Refuse(int status, const std::string& name, const std::string& what) {
  std::cerr << "parvex-cli: " << ShownName(name) << what << "\n";
  return status;
}

bool HasWildcard(const std::string& name) { return name.find_first_of("*?") != std::string::npos; }

// "a FIFO" and so on, for what is neither a regular file, a folder nor a link.
std::string KindOf(mode_t mode) {
  switch (mode & S_IFMT) {
    case S_IFIFO: return "a FIFO";
    case S_IFSOCK: return "a socket";
    case S_IFCHR: return "a character device";
    case S_IFBLK: return "a block device";
    default: return "not a regular file";
  }
}

void WarnSpecial(const std::string& name, mode_t mode) {
  Warn(name, "is " + KindOf(mode) + ", passed over: only regular files are stored");
}

std::string Joined(const std::string& directory, const std::string& name) {
  return directory.empty() || directory.back() == '/' ? directory + name : directory + "/" + name;
}

// One folder named with -r, walked depth first.
class TreeWalk {
 public:
  // The set's own volumes are left out by the backup itself, which knows every
  // volume it writes.
  TreeWalk(const FileListOptions& options, std::vector<std::string>& files) : options_(options), files_(files) {}

  // Adds the regular files below `directory` (whose status is `st`), each
  // folder's entries in byte order. Returns 0 or the exit status of a failure.
  int Walk(const std::string& directory, const struct stat& st) {
    if (std::find(above_.begin(), above_.end(), std::pair{st.st_dev, st.st_ino}) != above_.end()) {
      Warn(directory, "leads back to a folder above it, passed over");
      return kOk;
    }
    std::vector<std::string> names;
    if (const int status = ReadFolder(directory, names); status != kOk) return status;
    if (names.empty()) Warn(directory, "is an empty folder, not stored: a set holds files only");
    above_.emplace_back(st.st_dev, st.st_ino);
    for (const std::string& name : names) {
      if (const int status = Visit(Joined(directory, name)); status != kOk) return status;
    }
    above_.pop_back();
    return kOk;
  }

  // One entry met in a tree, not followed if it is a link (unless -L).
  int Visit(const std::string& path) {
    struct stat st {};
    if (::lstat(path.c_str(), &st) != 0) return kOk;  // gone since the folder was read
    if (S_ISLNK(st.st_mode)) {
      if (!options_.dereference) {
        Warn(path, "is a symbolic link, passed over (-L stores what it points to)");
        return kOk;
      }
      if (::stat(path.c_str(), &st) != 0) {
        Warn(path, "is a symbolic link to nothing, passed over");
        return kOk;
      }
    }
    return Take(path, st);
  }

  // A name the command line gave or matched, whatever it is (a link is followed).
  int Take(const std::string& path, const struct stat& st) {
    if (S_ISDIR(st.st_mode)) return Walk(path, st);
    if (!S_ISREG(st.st_mode)) {
      WarnSpecial(path, st.st_mode);
      return kOk;
    }
    // Found now rather than half-way through the set.
    if (::access(path.c_str(), R_OK) != 0) {
      return Refuse(kError, path, std::string(": cannot read the file: ") + std::strerror(errno));
    }
    files_.push_back(path);
    return kOk;
  }

 private:
  int ReadFolder(const std::string& directory, std::vector<std::string>& names) {
    DIR* dir = ::opendir(directory.c_str());
    if (dir == nullptr) {
      return Refuse(kError, directory, std::string(": cannot read the folder: ") + std::strerror(errno));
    }
    errno = 0;
    while (const dirent* entry = ::readdir(dir)) {
      const std::string name = entry->d_name;
      if (name != "." && name != "..") names.push_back(name);
    }
    const int error = errno;
    ::closedir(dir);
    if (error != 0) return Refuse(kError, directory, std::string(": cannot read the folder: ") + std::strerror(error));
    std::sort(names.begin(), names.end());
    return kOk;
  }

  const FileListOptions& options_;
  std::vector<std::string>& files_;
  std::vector<std::pair<dev_t, ino_t>> above_;  // the folders on the way down
};

}  // namespace

int CollectFiles(const NameList& entries, const FileListOptions& options, TBackupFile& bf, NameList& files) {
  platform::Env& env = *platform::Env::Default();
  bf.LiteralNames = options.recursive;
  const std::string shellDirectory = env.CurrentDirectory();  // asked once, not once a name
  for (NameList::Cursor cursor(entries); cursor.Next();) {
    const std::string& entry = cursor.Name();
    const std::string absolute = platform::MakeAbsolute(entry, shellDirectory);
    const std::vector<platform::DirEntry> matches = env.FindMatches(absolute);
    if (matches.empty()) return Refuse(kError, entry, ": no such file");
    const bool pattern = HasWildcard(platform::NamePart(absolute));
    const std::string directory = platform::DirectoryPart(absolute);
    std::vector<std::string> below;  // this entry's files, with -r
    TreeWalk walk(options, below);
    for (const platform::DirEntry& match : matches) {
      const std::string path = directory + match.name;
      struct stat st {};
      if (::stat(path.c_str(), &st) != 0) {
        Warn(path, "is a symbolic link to nothing, passed over");
        continue;
      }
      if (options.recursive) {
        if (const int status = walk.Take(path, st); status != kOk) return status;
      } else if (S_ISDIR(st.st_mode)) {
        if (!pattern) return Refuse(kUsage, entry, " is a folder: give -r to store the files below it");
        Warn(path, "is a folder, passed over (-r stores the files below it)");
      } else if (!S_ISREG(st.st_mode)) {
        WarnSpecial(path, st.st_mode);
      }
    }
    if (!options.recursive) {
      files.Add(absolute);  // the engine expands the wildcards itself
      continue;
    }
    std::sort(below.begin(), below.end());
    for (const std::string& name : below) files.Add(name);
  }
  files.Compact();
  return kOk;
}

}  // namespace parvex::cli
