// Scoped changes of process state for the platform tests: an environment
// variable (TZ, LC_ALL), the working directory, the umask.
#pragma once

#include <stdlib.h>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

#include <optional>
#include <string>

namespace parvex::test {

class ScopedEnvVar {
 public:
  ScopedEnvVar(const char* name, const char* value) : name_(name) {
    if (const char* old = ::getenv(name)) old_ = old;
    ::setenv(name, value, 1);
    ::tzset();
  }
  ~ScopedEnvVar() {
    if (old_) {
      ::setenv(name_.c_str(), old_->c_str(), 1);
    } else {
      ::unsetenv(name_.c_str());
    }
    ::tzset();
  }
  ScopedEnvVar(const ScopedEnvVar&) = delete;
  ScopedEnvVar& operator=(const ScopedEnvVar&) = delete;

 private:
  std::string name_;
  std::optional<std::string> old_;
};

class ScopedWorkingDirectory {
 public:
  explicit ScopedWorkingDirectory(const std::string& path) {
    char buffer[4096];
    if (::getcwd(buffer, sizeof buffer)) old_ = buffer;
    if (::chdir(path.c_str()) != 0) old_.clear();
  }
  ~ScopedWorkingDirectory() {
    if (!old_.empty() && ::chdir(old_.c_str()) != 0) {
      // Nothing sensible is left to do in a destructor.
    }
  }
  ScopedWorkingDirectory(const ScopedWorkingDirectory&) = delete;
  ScopedWorkingDirectory& operator=(const ScopedWorkingDirectory&) = delete;

 private:
  std::string old_;
};

class ScopedUmask {
 public:
  explicit ScopedUmask(mode_t mask) : old_(::umask(mask)) {}
  ~ScopedUmask() { ::umask(old_); }
  ScopedUmask(const ScopedUmask&) = delete;
  ScopedUmask& operator=(const ScopedUmask&) = delete;

 private:
  mode_t old_;
};

}  // namespace parvex::test
