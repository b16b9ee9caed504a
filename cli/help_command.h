// parvex-cli help [COMMAND]: the options of one command (as COMMAND --help
// shows them), or the program's own help; and the footer every help text ends
// with.
#pragma once

#include <string>

namespace CLI {
class App;
}

namespace parvex::cli {

struct HelpOptions {
  CLI::App* command = nullptr;
  std::string about;  // the command asked about; empty: the program

  bool Chosen() const;
};

// Adds the sub-command to `app` (once) and the footer to the program's help;
// the options live as long as the program.
HelpOptions& AddHelpCommand(CLI::App& app);

// Returns the exit status: 0 done, 2 no such command.
int RunHelp(const CLI::App& app, const HelpOptions& options);

}  // namespace parvex::cli
