// An Env that passes every call on to another one, and files that pass every
// call on to other files; tests derive from them and override the calls they
// want to fail or fake.
#pragma once

#include <memory>
#include <utility>

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
  std::unique_ptr<WritableFile> CreateVolume(const std::string& p) override { return target_->CreateVolume(p); }
  FileId GetFileId(const std::string& p) override { return target_->GetFileId(p); }
  TargetStatus StatTarget(const std::string& root, const std::string& relative) override {
    return target_->StatTarget(root, relative);
  }
  std::string CreateTargetDirectories(const std::string& root, const std::string& directory) override {
    return target_->CreateTargetDirectories(root, directory);
  }
  std::unique_ptr<WritableFile> CreateTarget(const std::string& root, const std::string& relative) override {
    return target_->CreateTarget(root, relative);
  }
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

class ReadableFileWrapper : public ReadableFile {
 public:
  explicit ReadableFileWrapper(std::unique_ptr<ReadableFile> inner) : inner_(std::move(inner)) {}
  ReadableFile& inner() const { return *inner_; }

  std::size_t Read(void* buffer, std::size_t n) override { return inner_->Read(buffer, n); }
  void Seek(std::int64_t offset) override { inner_->Seek(offset); }
  std::int64_t Size() override { return inner_->Size(); }
  std::int64_t SizeAtOpen() const override { return inner_->SizeAtOpen(); }
  std::int32_t DosTimeAtOpen() const override { return inner_->DosTimeAtOpen(); }
  FileId Id() const override { return inner_->Id(); }
  bool ChangedSinceOpen() override { return inner_->ChangedSinceOpen(); }
  bool LockShared() override { return inner_->LockShared(); }

 private:
  std::unique_ptr<ReadableFile> inner_;
};

class WritableFileWrapper : public WritableFile {
 public:
  explicit WritableFileWrapper(std::unique_ptr<WritableFile> inner) : inner_(std::move(inner)) {}
  WritableFile& inner() const { return *inner_; }

  void Write(const void* data, std::size_t n) override { inner_->Write(data, n); }
  void WriteAt(std::int64_t offset, const void* data, std::size_t n) override { inner_->WriteAt(offset, data, n); }
  std::int64_t Position() const override { return inner_->Position(); }
  std::size_t Pending() const override { return inner_->Pending(); }
  void SetFlushListener(std::function<void()> listener) override { inner_->SetFlushListener(std::move(listener)); }
  FileId Id() const override { return inner_->Id(); }
  std::unique_ptr<FileLock> HoldLock() override { return inner_->HoldLock(); }
  bool SetDosTime(std::uint32_t dosTime) override { return inner_->SetDosTime(dosTime); }
  std::int64_t MarkIncomplete() override { return inner_->MarkIncomplete(); }
  void Close() override { inner_->Close(); }

 private:
  std::unique_ptr<WritableFile> inner_;
};

}  // namespace parvex::platform
