// The real file system of a Linux machine as an Env. Env::Default() hands out
// one process-wide instance; tests derive from it to change a single answer
// (a full disk, a fixed clock) and keep the rest real.
#pragma once

#include "platform/Platform.h"

namespace parvex::platform {

class PosixEnv : public Env {
 public:
  std::vector<DirEntry> FindMatches(const std::string& pattern) override;
  bool FileExists(const std::string& path) override;
  std::int64_t FileSize(const std::string& path) override;
  bool DirectoryExists(const std::string& path) override;
  bool CreateDirectories(const std::string& path) override;
  bool RemoveFile(const std::string& path) override;
  std::unique_ptr<ReadableFile> OpenForReading(const std::string& path) override;
  std::unique_ptr<WritableFile> Create(const std::string& path) override;
  std::unique_ptr<WritableFile> CreateVolume(const std::string& path) override;
  FileId GetFileId(const std::string& path) override;
  TargetStatus StatTarget(const std::string& root, const std::string& relative) override;
  std::string CreateTargetDirectories(const std::string& root, const std::string& directory) override;
  std::unique_ptr<WritableFile> CreateTarget(const std::string& root, const std::string& relative) override;
  std::unique_ptr<WritableFile> OpenForAppend(const std::string& path) override;
  std::int32_t GetDosFileTime(const std::string& path) override;
  bool SetDosFileTime(const std::string& path, std::uint32_t dosTime) override;
  bool HasArchiveAttribute(const std::string& path) override;
  void ClearArchiveAttribute(const std::string& path) override;
  std::int64_t FreeSpace(const std::string& directory) override;
  bool IsRemovable(const std::string& path) override;
  std::time_t Now() override;
  std::string CurrentDirectory() override;
};

}  // namespace parvex::platform
