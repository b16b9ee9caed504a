// What the collector learns other than from files below its root directory:
// the screen, the printers, the file-system queries of the drives and the
// user. Each comes through one small seam, so that tests hand in fixed values
// and the program the real ones (the Qt screen lives outside this library).
#pragma once

#include <sys/types.h>

#include <chrono>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace parvex::sysinfo {

struct ScreenFacts {
  int width = 0;   // pixels
  int height = 0;  // pixels
  int depth = 0;   // bits per pixel
};
using ScreenQuery = std::function<ScreenFacts()>;

struct PrinterDestination {
  std::string name;         // queue name, "/instance" appended for an instance
  std::string description;  // the queue's "printer-info"; may be empty
  bool isDefault = false;
};
// nullopt when the print system could not be asked. May block; it runs on a
// worker thread, so it must not refer to anything that can go away first.
using PrinterQuery = std::function<std::optional<std::vector<PrinterDestination>>()>;

// What statvfs and stat say about a mounted directory.
struct FileSystemStats {
  std::uint64_t blocks = 0;        // f_blocks, counted in fragments
  std::uint64_t available = 0;     // f_bavail: free to an ordinary user
  std::uint64_t fragmentSize = 0;  // f_frsize
  std::uint64_t device = 0;        // st_dev of the directory
};
// nullopt when the directory cannot be read. May block for good (a network
// drive that does not answer): drives other than fixed and RAM disks are asked
// on a worker thread, so it must not refer to anything that can go away first.
using FileSystemQuery = std::function<std::optional<FileSystemStats>(const std::string& path)>;

struct Sources {
  std::string root = "/";       // every file is read below this directory
  ScreenQuery screen;           // unset: no screen, the display figures are 0
  PrinterQuery printers;        // unset: CUPS
  FileSystemQuery fileSystem;   // unset: statvfs and stat
  std::optional<uid_t> user;    // unset: the real user of the process
  // How long a drive or the print system may take to answer.
  std::chrono::milliseconds deadline{2000};
};

// statvfs and stat of `path`.
std::optional<FileSystemStats> StatFileSystem(const std::string& path);

// The CUPS destinations as cupsGetDests2 lists them (user defaults included).
std::optional<std::vector<PrinterDestination>> CupsDestinations();

}  // namespace parvex::sysinfo
