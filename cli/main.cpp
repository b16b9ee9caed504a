// parvex-cli: split files into a volume set and join them again from a shell.
#include <CLI/CLI.hpp>

int main(int argc, char** argv) {
  CLI::App app{"Parvex: split files into compressed volume sets and join them again"};
  app.require_subcommand(1);
  CLI11_PARSE(app, argc, argv);
  return 0;
}
