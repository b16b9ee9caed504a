// parvex-cli: split files into a volume set and join them again from a shell.
#include <CLI/CLI.hpp>

#include "base/Version.h"
#include "cli/commands.h"
#include "cli/help_command.h"
#include "cli/sysinfo_command.h"
#include "cli/terminal.h"

int main(int argc, char** argv) {
  using namespace parvex::cli;
  CLI::App app{"Parvex: split files into compressed volume sets and join them again", "parvex-cli"};
  app.require_subcommand(1);
  app.set_version_flag("--version", std::string("parvex-cli ") + parvex::kProgramVersion, "Print the version and exit");

  SplitOptions split;
  auto* s = app.add_subcommand("split", "Store files into a volume set");
  s->add_option("ARCHIVE", split.archive, "Name of the first volume (used as given)")->required();
  s->add_option("FILE", split.files, "Files to store; * and ? work in the last component");
  s->add_option("-T,--files-from", split.filesFrom,
                "Read further names to store from this file, one a line (CRLF line ends are fine; blanks around "
                "a name are dropped: give a name that begins or ends with a blank as an argument, or put ? for it)");
  s->add_option("-t,--title", split.title, "Comment stored in the first volume");
  s->add_option("-s,--volume-size", split.volumeSize,
                "Size limit of a volume in bytes, or with a K, M or G suffix; 0 = no limit");
  s->add_flag("-i,--id-files", split.idFiles, "Write FILE001.ID ... beside the first volume");
  s->add_flag("--incremental", split.incremental, "Take only files that changed since they were last stored");
  s->add_flag("--clear-archive-flag", split.clearArchiveFlag, "Mark every stored file as stored");
  s->add_flag("--pause", split.pause, "Ask on the terminal before each further volume");
  s->add_flag("-q,--quiet", split.quiet, "No progress display");
  s->add_flag("--overwrite", split.overwrite,
              "Replace an existing set of that name, removing its further volumes the new set does not reach");
  s->add_option("--threads", split.threads, "Threads that compress; 0 = one per core, 1 = no extra threads");

  s->add_flag("-r,--recursive", split.recursive, "Store every file below each folder named, in byte order");
  s->add_flag("-L,--dereference", split.dereference,
              "With -r: store the files that symbolic links point to (otherwise links are passed over)");

  JoinOptions join;
  auto* j = app.add_subcommand("join", "Restore the files of a volume set");
  j->add_option("ARCHIVE", join.archive, "The first volume")->required();
  j->add_option("-d,--dest", join.dest, "Destination directory (default: each file's stored path)");
  j->add_flag("-f,--full-path", join.fullPath, "Keep the stored directories below the destination");
  j->add_option("-m,--mode", join.mode, "all | no-overwrite | newer | existing | existing-newer");
  j->add_flag("--no-prompt", join.noPrompt, "Never wait for a further volume: a missing one is an error");
  j->add_flag("-q,--quiet", join.quiet, "No progress display");
  j->add_flag("--salvage", join.salvage,
              "Read on past a segment left unfinished (length 0 or too long) as far as its blocks go");
  j->add_option("--threads", join.threads, "Threads that decode; 0 = one per core, 1 = no extra threads");

  std::string archive;
  auto* t = app.add_subcommand("title", "Print the set's comment");
  t->add_option("ARCHIVE", archive, "The first volume")->required();
  InspectCommandOptions inspect;
  auto* l = app.add_subcommand("list", "List the stored files");
  auto* v = app.add_subcommand("test", "Read and decode the whole set and check it");
  for (CLI::App* command : {l, v}) {
    command->add_option("ARCHIVE", inspect.archive, "The first volume")->required();
    command->add_flag("--no-prompt", inspect.noPrompt, "A missing volume is an error");
    command->add_flag("-q,--quiet", inspect.quiet, "No progress display");
    command->add_flag("--json", inspect.json, "One JSON document for scripts instead of the text");
  }

  const auto& sysinfo = AddSysinfoCommand(app);
  const auto& help = AddHelpCommand(app);

  try {
    app.parse(argc, argv);
  } catch (const CLI::ParseError& e) {
    const int code = app.exit(e);
    return code == 0 ? kOk : kUsage;
  }
  if (help.Chosen()) return RunHelp(app, help);
  if (sysinfo.Chosen()) return RunSysinfo(sysinfo);
  InstallInterruptHandler();
  if (*s) return RunSplit(split);
  if (*j) return RunJoin(join);
  if (*t) return RunTitle(archive);
  if (*l) return RunList(inspect);
  return RunTest(inspect);
}
