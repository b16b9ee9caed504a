// What the command line needs of the terminal: a progress line on stderr, the
// Ctrl-C flag, and questions answered on the controlling terminal.
#pragma once

#include <chrono>
#include <cstdint>
#include <string>

namespace parvex::cli {

// Ctrl-C, SIGTERM and SIGHUP ask the running operation to stop, so that a set
// being written stays readable; a second one ends the program.
void InstallInterruptHandler();
bool Interrupted();

bool StderrIsTerminal();
bool StdinIsTerminal();

// Asks on the terminal: prints `question`, reads a line; true unless the answer
// starts with q or Q, or there is no terminal (end of input).
bool AskToContinue(const std::string& question);

// "12.3 MB" style sizes.
std::string HumanSize(std::int64_t bytes);

// A one-line progress display: percent, current file, MB/s. Draws only when
// enabled, at most ten times a second; Finish clears the line.
class ProgressLine {
 public:
  explicit ProgressLine(bool enabled);
  void Update(int percent, const std::string& file, std::int64_t bytesDone);
  void Finish();

 private:
  bool enabled_;
  bool drawn_ = false;
  bool drawnOnce_ = false;
  std::chrono::steady_clock::time_point start_;
  std::chrono::steady_clock::time_point last_;
};

}  // namespace parvex::cli
