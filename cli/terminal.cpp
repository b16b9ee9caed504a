#include "cli/terminal.h"

#include <csignal>
#include <cstdio>
#include <iostream>
#include <unistd.h>

#include "base/SafeText.h"

namespace parvex::cli {
namespace {

volatile std::sig_atomic_t gInterrupted = 0;

constexpr int kStopSignals[] = {SIGINT, SIGTERM, SIGHUP};

void OnInterrupt(int signal) {
  if (gInterrupted) {
    std::signal(signal, SIG_DFL);
    std::raise(signal);
  }
  gInterrupted = 1;
}

}  // namespace

void InstallInterruptHandler() {
  struct sigaction action = {};
  action.sa_handler = OnInterrupt;
  sigemptyset(&action.sa_mask);
  for (const int signal : kStopSignals) sigaddset(&action.sa_mask, signal);
  for (const int signal : kStopSignals) sigaction(signal, &action, nullptr);
}

bool Interrupted() { return gInterrupted != 0; }
bool StderrIsTerminal() { return isatty(STDERR_FILENO) == 1; }
bool StdinIsTerminal() { return isatty(STDIN_FILENO) == 1; }

bool AskToContinue(const std::string& question) {
  std::cerr << question << std::flush;
  std::string answer;
  if (!std::getline(std::cin, answer)) return false;
  return answer.empty() || (answer[0] != 'q' && answer[0] != 'Q');
}

std::string HumanSize(std::int64_t bytes) {
  char text[32];
  if (bytes < 1024) {
    std::snprintf(text, sizeof text, "%lld bytes", static_cast<long long>(bytes));
  } else if (bytes < 1024 * 1024) {
    std::snprintf(text, sizeof text, "%.1f KiB", static_cast<double>(bytes) / 1024);
  } else if (bytes < std::int64_t{1} << 30) {
    std::snprintf(text, sizeof text, "%.1f MiB", static_cast<double>(bytes) / (1024 * 1024));
  } else {
    std::snprintf(text, sizeof text, "%.2f GiB", static_cast<double>(bytes) / (1 << 30));
  }
  return text;
}

ProgressLine::ProgressLine(bool enabled)
    : enabled_(enabled), start_(std::chrono::steady_clock::now()), last_(start_) {}

void ProgressLine::Update(int percent, const std::string& file, std::int64_t bytesDone) {
  if (!enabled_) return;
  const auto now = std::chrono::steady_clock::now();
  // Cleared for a line of output or a question, it comes back at the same pace.
  if (drawnOnce_ && now - last_ < std::chrono::milliseconds(100) && percent < 100) return;
  last_ = now;
  const double seconds = std::chrono::duration<double>(now - start_).count();
  const double rate = seconds > 0 ? static_cast<double>(bytesDone) / seconds / (1024 * 1024) : 0;
  std::string name = SafeText(file);
  if (name.size() > 40) name = "..." + name.substr(name.size() - 37);
  const int width = 24;
  const int filled = percent * width / 100;
  std::fprintf(stderr, "\r[%s%s] %3d%% %7.1f MB/s  %-40s", std::string(static_cast<std::size_t>(filled), '#').c_str(),
               std::string(static_cast<std::size_t>(width - filled), '.').c_str(), percent, rate, name.c_str());
  std::fflush(stderr);
  drawn_ = true;
  drawnOnce_ = true;
}

void ProgressLine::Finish() {
  if (!drawn_) return;
  std::fprintf(stderr, "\r%*s\r", 100, "");
  std::fflush(stderr);
  drawn_ = false;
}

}  // namespace parvex::cli
