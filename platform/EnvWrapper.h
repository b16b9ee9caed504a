// An Env that passes every call on to another one; tests derive from it and
// override the calls they want to fail or fake.
#pragma once

#include "platform/Platform.h"

namespace parvex::platform {

class EnvWrapper : public Env {
 public:
  explicit EnvWrapper(Env* target) : target_(target) {}
  Env* target() const { return target_; }

  std::vector<DirEntry> FindMatches(const std::string& p) override { return target_->FindMatches(p); }
  bool FileExists(const std::string& p) override { return target_->FileExists(p); }
  bool DirectoryExists(const std::string& p) override { return target_->DirectoryExists(p); }
  std::int64_t FileSize(const std::string& p) override { return target_->FileSize(p); }
  bool CreateDirectories(const std::string& p) override { return target_->CreateDirectories(p); }
  bool RemoveFile(const std::string& p) override { return target_->RemoveFile(p); }
  std::unique_ptr<ReadableFile> OpenForReading(const std::string& p) override { return target_->OpenForReading(p); }
  std::unique_ptr<WritableFile> Create(const std::string& p) override { return target_->Create(p); }
  std::unique_ptr<WritableFile> OpenForAppend(const std::string& p) override { return target_->OpenForAppend(p); }
  std::int32_t GetDosFileTime(const std::string& p) override { return target_->GetDosFileTime(p); }
  bool SetDosFileTime(const std::string& p, std::uint32_t t) override { return target_->SetDosFileTime(p, t); }
  bool HasArchiveAttribute(const std::string& p) override { return target_->HasArchiveAttribute(p); }
  void ClearArchiveAttribute(const std::string& p) override { target_->ClearArchiveAttribute(p); }
  std::int64_t FreeSpace(const std::string& d) override { return target_->FreeSpace(d); }
  bool IsRemovable(const std::string& p) override { return target_->IsRemovable(p); }
  std::time_t Now() override { return target_->Now(); }
  std::string CurrentDirectory() override { return target_->CurrentDirectory(); }

 private:
  Env* target_;
};

}  // namespace parvex::platform
