#include "tests/support/FaultEnv.h"

#include <algorithm>

namespace parvex::test {
namespace {

class CountingFile : public platform::WritableFile {
 public:
  CountingFile(FaultEnv& env, std::string path, std::unique_ptr<platform::WritableFile> inner)
      : env_(env), path_(std::move(path)), inner_(std::move(inner)) {}
  void Write(const void* data, std::size_t n) override {
    Charge(n);
    inner_->Write(data, n);
  }
  void WriteAt(std::int64_t offset, const void* data, std::size_t n) override { inner_->WriteAt(offset, data, n); }
  std::int64_t Position() const override { return inner_->Position(); }
  std::size_t Pending() const override { return 0; }  // charged when written
  void SetFlushListener(std::function<void()> listener) override { inner_->SetFlushListener(std::move(listener)); }
  void Close() override { inner_->Close(); }

 private:
  void Charge(std::size_t n) {
    if (env_.failWritesAfter >= 0 && env_.written + static_cast<std::int64_t>(n) > env_.failWritesAfter) {
      throw platform::IoError(path_ + ": No space left on device");
    }
    env_.written += static_cast<std::int64_t>(n);
  }
  FaultEnv& env_;
  std::string path_;
  std::unique_ptr<platform::WritableFile> inner_;
};

class ShortFile : public platform::ReadableFile {
 public:
  ShortFile(std::unique_ptr<platform::ReadableFile> inner, std::int64_t limit)
      : inner_(std::move(inner)), left_(limit) {}
  std::size_t Read(void* buffer, std::size_t n) override {
    const std::size_t want = static_cast<std::size_t>(std::min<std::int64_t>(left_, static_cast<std::int64_t>(n)));
    const std::size_t got = want ? inner_->Read(buffer, want) : 0;
    left_ -= static_cast<std::int64_t>(got);
    return got;
  }
  void Seek(std::int64_t offset) override { inner_->Seek(offset); }
  std::int64_t Size() override { return inner_->Size(); }
  std::int64_t SizeAtOpen() const override { return inner_->SizeAtOpen(); }
  std::int32_t DosTimeAtOpen() const override { return inner_->DosTimeAtOpen(); }

 private:
  std::unique_ptr<platform::ReadableFile> inner_;
  std::int64_t left_;
};

}  // namespace

std::unique_ptr<platform::WritableFile> FaultEnv::Create(const std::string& path) {
  return std::make_unique<CountingFile>(*this, path, target()->Create(path));
}

std::unique_ptr<platform::WritableFile> FaultEnv::OpenForAppend(const std::string& path) {
  return std::make_unique<CountingFile>(*this, path, target()->OpenForAppend(path));
}

std::unique_ptr<platform::ReadableFile> FaultEnv::OpenForReading(const std::string& path) {
  auto file = target()->OpenForReading(path);
  if (shortFiles.count(path)) return std::make_unique<ShortFile>(std::move(file), shortAfter);
  return file;
}

}  // namespace parvex::test
