// The sysinfo sub-command (see sysinfo_command.h). The command line has no
// screen, so the display figures are 0.
#include "cli/sysinfo_command.h"

#include <CLI/CLI.hpp>

#include <iostream>
#include <memory>

#include "cli/commands.h"
#include "sysinfo/MSysInfo.h"
#include "sysinfo/Report.h"

namespace parvex::cli {

bool SysinfoOptions::Chosen() const { return command != nullptr && command->parsed(); }

SysinfoOptions& AddSysinfoCommand(CLI::App& app) {
  static SysinfoOptions options;
  options.command = app.add_subcommand("sysinfo", "Print what the System Information window shows, one property a line");
  options.command->add_option("--drive", options.drive, "Only this drive (a letter; C is the root file system)");
  options.command->add_flag("--json", options.json, "One JSON object; the drives' properties in the array \"drives\"");
  options.command->add_option("--root", options.root, "Read the system's files below this directory instead of /");
  return options;
}

int RunSysinfo(const SysinfoOptions& options) {
  std::string letters;
  if (!options.drive.empty()) {
    const std::string& d = options.drive;
    const bool letter = (d.size() == 1 || (d.size() == 2 && d[1] == ':')) &&
                        ((d[0] >= 'A' && d[0] <= 'Z') || (d[0] >= 'a' && d[0] <= 'z'));
    if (!letter) {
      std::cerr << "parvex-cli: '" << d << "' is not a drive letter (A to Z)\n";
      return kUsage;
    }
    letters = std::string(1, static_cast<char>(d[0] & ~0x20));
  }
  sysinfo::Sources sources;
  sources.root = options.root;
  sysinfo::TMSysInfo info(std::move(sources));
  if (!letters.empty() && info.diAvailableDisks().find(letters) == std::string::npos) {
    std::cerr << "parvex-cli: there is no drive " << letters << ": here (drives: " << info.diAvailableDisks() << ")\n";
    return kError;
  }
  if (letters.empty()) {
    letters = info.diAvailableDisks();
    info.ProbeDrivesAhead();
  }
  std::cout << (options.json ? sysinfo::JsonReport(info, letters) : sysinfo::TextReport(info, letters));
  std::cout.flush();
  return std::cout ? kOk : kError;
}

}  // namespace parvex::cli
