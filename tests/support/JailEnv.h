// The real file system seen from a scratch directory, as if it were the root:
// every absolute name the engine passes (after "." and ".." are taken
// lexically, ".." of the root being the root) lands below the jail, so that a
// test of restoring to stored paths can never write to the real "/", even
// when the code under test is wrong.
#pragma once

#include <string>

#include "platform/EnvWrapper.h"

namespace parvex::test {

class JailEnv : public platform::EnvWrapper {
 public:
  explicit JailEnv(std::string jail) : EnvWrapper(platform::Env::Default()), jail_(std::move(jail)) {}

  // The real name of `path` as seen inside the jail.
  std::string Real(const std::string& path) const;

  std::vector<platform::DirEntry> FindMatches(const std::string& p) override { return target()->FindMatches(Real(p)); }
  bool FileExists(const std::string& p) override { return target()->FileExists(Real(p)); }
  bool DirectoryExists(const std::string& p) override { return target()->DirectoryExists(Real(p)); }
  std::int64_t FileSize(const std::string& p) override { return target()->FileSize(Real(p)); }
  bool CreateDirectories(const std::string& p) override { return target()->CreateDirectories(Real(p)); }
  bool RemoveFile(const std::string& p) override { return target()->RemoveFile(Real(p)); }
  std::unique_ptr<platform::ReadableFile> OpenForReading(const std::string& p) override {
    return target()->OpenForReading(Real(p));
  }
  std::unique_ptr<platform::WritableFile> Create(const std::string& p) override { return target()->Create(Real(p)); }
  std::unique_ptr<platform::WritableFile> CreateVolume(const std::string& p) override {
    return target()->CreateVolume(Real(p));
  }
  platform::FileId GetFileId(const std::string& p) override { return target()->GetFileId(Real(p)); }
  platform::TargetStatus StatTarget(const std::string& root, const std::string& relative) override {
    return root.empty() ? target()->StatTarget("", Real(relative)) : target()->StatTarget(Real(root), relative);
  }
  std::string CreateTargetDirectories(const std::string& root, const std::string& directory) override {
    return root.empty() ? target()->CreateTargetDirectories("", Real(directory))
                        : target()->CreateTargetDirectories(Real(root), directory);
  }
  std::unique_ptr<platform::WritableFile> CreateTarget(const std::string& root, const std::string& relative) override {
    return root.empty() ? target()->CreateTarget("", Real(relative)) : target()->CreateTarget(Real(root), relative);
  }
  std::unique_ptr<platform::WritableFile> OpenForAppend(const std::string& p) override {
    return target()->OpenForAppend(Real(p));
  }
  std::int32_t GetDosFileTime(const std::string& p) override { return target()->GetDosFileTime(Real(p)); }
  bool SetDosFileTime(const std::string& p, std::uint32_t t) override { return target()->SetDosFileTime(Real(p), t); }
  bool HasArchiveAttribute(const std::string& p) override { return target()->HasArchiveAttribute(Real(p)); }
  void ClearArchiveAttribute(const std::string& p) override { target()->ClearArchiveAttribute(Real(p)); }
  std::int64_t FreeSpace(const std::string& d) override { return target()->FreeSpace(Real(d)); }
  bool IsRemovable(const std::string&) override { return false; }
  std::string CurrentDirectory() override { return "/"; }

 private:
  std::string jail_;
};

}  // namespace parvex::test
