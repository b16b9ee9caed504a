// A file system for tests: the real one, with a drive whose free space shrinks
// as volumes and restored files are written, writes that fail after a budget,
// a fixed clock, and source files that end early.
#pragma once

#include <cstdint>
#include <limits>
#include <memory>
#include <set>
#include <string>

#include "platform/EnvWrapper.h"

namespace parvex::test {

class FaultEnv : public platform::EnvWrapper {
 public:
  FaultEnv() : EnvWrapper(platform::Env::Default()) {}

  // Free space reported for every directory: this, less the bytes written since.
  std::int64_t freeSpace = std::numeric_limits<std::int64_t>::max() / 4;
  // Writes fail with ENOSPC once this many bytes have been written (-1: never).
  std::int64_t failWritesAfter = -1;
  // Files whose reading stops after this many bytes, whatever their size says.
  std::set<std::string> shortFiles;
  std::int64_t shortAfter = 0;
  std::time_t now = 1700000000;  // 2023-11-14
  std::string workingDirectory;  // not empty: the Env's working directory

  std::int64_t written = 0;
  int freeSpaceLooks = 0;

  std::int64_t FreeSpace(const std::string&) override {
    ++freeSpaceLooks;
    return freeSpace - written;
  }
  std::time_t Now() override { return now; }
  std::string CurrentDirectory() override {
    return workingDirectory.empty() ? EnvWrapper::CurrentDirectory() : workingDirectory;
  }
  std::unique_ptr<platform::WritableFile> Create(const std::string& path) override;
  std::unique_ptr<platform::WritableFile> CreateVolume(const std::string& path) override;
  std::unique_ptr<platform::WritableFile> CreateTarget(const std::string& root, const std::string& relative) override;
  std::unique_ptr<platform::WritableFile> OpenForAppend(const std::string& path) override;
  std::unique_ptr<platform::ReadableFile> OpenForReading(const std::string& path) override;

  // Gives the drive `bytes` of free space from now on (a fresh disk).
  void InsertDisk(std::int64_t bytes) {
    freeSpace = bytes;
    written = 0;
  }
};

}  // namespace parvex::test
