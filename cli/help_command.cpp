// The help sub-command (see help_command.h).
#include "cli/help_command.h"

#include <CLI/CLI.hpp>

#include <iostream>

#include "base/SafeText.h"
#include "cli/commands.h"

namespace parvex::cli {

bool HelpOptions::Chosen() const { return command != nullptr && command->parsed(); }

HelpOptions& AddHelpCommand(CLI::App& app) {
  static HelpOptions options;
  app.footer(
      "Run 'parvex-cli help COMMAND' (or COMMAND --help) for the options of a command, and 'man parvex-cli'\n"
      "for the volume naming and examples.\n"
      "Exit status: 0 done, 1 error, 2 usage, 3 stopped by the user.");
  options.command = app.add_subcommand("help", "Show the options of a command");
  options.command->add_option("COMMAND", options.about, "The command to describe");
  return options;
}

int RunHelp(const CLI::App& app, const HelpOptions& options) {
  if (options.about.empty()) {
    std::cout << app.help();
    return kOk;
  }
  std::string names;
  for (const CLI::App* command : app.get_subcommands({})) {
    if (command->get_name() == options.about) {
      std::cout << command->help(app.get_name());
      return kOk;
    }
    names += (names.empty() ? "" : ", ") + command->get_name();
  }
  std::cerr << "parvex-cli: there is no command '" << ShownName(options.about) << "' (commands: " << names << ")\n";
  return kUsage;
}

}  // namespace parvex::cli
