#include "tests/support/FaultEnv.h"

#include <algorithm>
#include <cerrno>

namespace parvex::test {
namespace {

class CountingFile : public platform::WritableFileWrapper {
 public:
  CountingFile(FaultEnv& env, std::string path, std::unique_ptr<platform::WritableFile> inner)
      : WritableFileWrapper(std::move(inner)), env_(env), path_(std::move(path)) {}
  void Write(const void* data, std::size_t n) override {
    Charge(n);
    inner().Write(data, n);
  }
  std::size_t Pending() const override { return 0; }  // charged when written

 private:
  void Charge(std::size_t n) {
    if (env_.failWritesAfter >= 0 && env_.written + static_cast<std::int64_t>(n) > env_.failWritesAfter) {
      throw platform::IoError(path_ + ": No space left on device", ENOSPC);
    }
    env_.written += static_cast<std::int64_t>(n);
  }
  FaultEnv& env_;
  std::string path_;
};

class ShortFile : public platform::ReadableFileWrapper {
 public:
  ShortFile(std::unique_ptr<platform::ReadableFile> inner, std::int64_t limit)
      : ReadableFileWrapper(std::move(inner)), left_(limit) {}
  std::size_t Read(void* buffer, std::size_t n) override {
    const std::size_t want = static_cast<std::size_t>(std::min<std::int64_t>(left_, static_cast<std::int64_t>(n)));
    const std::size_t got = want ? inner().Read(buffer, want) : 0;
    left_ -= static_cast<std::int64_t>(got);
    return got;
  }

 private:
  std::int64_t left_;
};

}  // namespace

std::unique_ptr<platform::WritableFile> FaultEnv::Create(const std::string& path) {
  return std::make_unique<CountingFile>(*this, path, target()->Create(path));
}

std::unique_ptr<platform::WritableFile> FaultEnv::CreateVolume(const std::string& path) {
  return std::make_unique<CountingFile>(*this, path, target()->CreateVolume(path));
}

std::unique_ptr<platform::WritableFile> FaultEnv::CreateTarget(const std::string& root, const std::string& relative) {
  auto file = target()->CreateTarget(root, relative);
  return std::make_unique<CountingFile>(*this, root + "/" + relative, std::move(file));
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
