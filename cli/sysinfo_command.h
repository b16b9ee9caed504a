// parvex-cli sysinfo: every property of the system information collector, as
// "name = value" lines or one JSON object, for scripts and machines without a
// display.
#pragma once

#include <string>

namespace CLI {
class App;
}

namespace parvex::cli {

struct SysinfoOptions {
  CLI::App* command = nullptr;
  std::string drive;  // one letter; empty: every drive
  bool json = false;
  std::string root = "/";

  bool Chosen() const;
};

// Adds the sub-command to `app` (once); the options live as long as the program.
SysinfoOptions& AddSysinfoCommand(CLI::App& app);

// Returns the exit status: 0 done, 1 no such drive, 2 a bad letter.
int RunSysinfo(const SysinfoOptions& options);

}  // namespace parvex::cli
