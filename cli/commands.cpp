// split, join, title, list and test: one engine, answered from a shell. What
// the engine reads from a set (names, titles) is printed through SafeText, so
// that no stored name can fake a line or drive the terminal.
#include "cli/commands.h"

#include <cstdio>
#include <fstream>
#include <iostream>
#include <limits>

#include "base/SafeText.h"
#include "cli/file_list.h"
#include "cli/inspect_json.h"
#include "cli/set_progress.h"
#include "cli/terminal.h"
#include "engine/backup.h"
#include "engine/examine.h"
#include "engine/format.h"

namespace parvex::cli {
namespace {

int Fail(const std::string& message) {
  std::cerr << "parvex-cli: " << message << "\n";
  return kError;
}

// An error of the engine; a segment that salvage can read gets the hint.
int FailWith(const Exception& e) {
  if (dynamic_cast<const EUnfinishedSegment*>(&e)) {
    return Fail(std::string(e.what()) + "; join --salvage restores what its blocks hold");
  }
  return Fail(e.what());
}

std::string DosTimeText(std::uint32_t t) {
  char text[32];
  std::snprintf(text, sizeof text, "%04u-%02u-%02u %02u:%02u:%02u", (t >> 25) + 1980, (t >> 21) & 15, (t >> 16) & 31,
                (t >> 11) & 31, (t >> 5) & 63, (t & 31) * 2);
  return text;
}

std::string Plural(std::int64_t n, const char* one, const char* many) {
  return std::to_string(n) + " " + (n == 1 ? one : many);
}

}  // namespace

// Asks on the terminal for a further volume that is absent, unless told not to
// (then an absent volume is an error). One that is there is read without a question.
TVolumeAsker VolumeAsker(bool noPrompt, ProgressLine* progress) {
  if (noPrompt || !StdinIsTerminal()) return nullptr;
  return [progress](const TVolumeRequest& request) {
    if (request.present) return true;
    if (progress) progress->Finish();
    return AskToContinue("Please insert disk " + std::to_string(request.volume) + " (" +
                         ShownName(request.fileName) + " not found). Enter to retry, q to stop: ");
  };
}

namespace {

int CheckThreads(unsigned threads) {
  if (threads <= TBackupFile::MaxThreads()) return kOk;
  return Fail("--threads " + std::to_string(threads) + ": at most " + std::to_string(TBackupFile::MaxThreads()) +
              " on this machine (0 = one per core)"),
         kUsage;
}

void PrintWarning(ProgressLine& progress, const std::string& text) {
  progress.Finish();
  std::cerr << "parvex-cli: warning: " << text << "\n";
}

// After a failed join: what was restored whole before it.
void ListRestored(const TRestoreResult& result) {
  if (result.Complete() <= 0) return;
  std::cout << "Restored " << Plural(result.Complete(), "file", "files") << " before the error:\n";
  for (const std::string& name : result.restored) std::cout << "  " << SafeText(name) << "\n";
  const std::size_t more = static_cast<std::size_t>(result.Complete()) - result.restored.size();
  if (more > 0) std::cout << "  ... and " << more << " more\n";
}

}  // namespace

void ReadListedNames(std::istream& list, NameList& names) {
  for (std::string line; std::getline(list, line);) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    const std::size_t first = line.find_first_not_of(" \t");
    if (first == std::string::npos) continue;
    const std::size_t last = line.find_last_not_of(" \t");
    names.Add(std::string_view(line).substr(first, last - first + 1));
  }
}

bool ParseSize(const std::string& text, long long& bytes) {
  if (text.empty()) return false;
  std::size_t used = 0;
  long long value = 0;
  try {
    value = std::stoll(text, &used);
  } catch (const std::exception&) {
    return false;
  }
  if (value < 0) return false;
  long long unit = 1;
  const std::string suffix = text.substr(used);
  if (suffix == "K" || suffix == "k") unit = 1024;
  else if (suffix == "M" || suffix == "m") unit = 1024 * 1024;
  else if (suffix == "G" || suffix == "g") unit = 1024 * 1024 * 1024;
  else if (!suffix.empty()) return false;
  if (value > std::numeric_limits<long long>::max() / unit) return false;
  bytes = value * unit;
  return true;
}

int RunSplit(const SplitOptions& o) {
  if (const int status = CheckThreads(o.threads); status != kOk) return status;
  long long maxSize = 0;
  if (!ParseSize(o.volumeSize, maxSize)) return Fail(std::string("'") + ShownName(o.volumeSize) + "' is not a volume size"), kUsage;
  switch (format::CheckVolumeSize(maxSize)) {
    case format::VolumeSizeCheck::kOk: break;
    case format::VolumeSizeCheck::kNegative:
    case format::VolumeSizeCheck::kTooSmall:
      return Fail("a volume must hold at least " + std::to_string(format::kMinMaxSize) +
                  " bytes (use 0 for no limit)"), kUsage;
    case format::VolumeSizeCheck::kTooLarge:
      return Fail("a volume may hold at most 2 GiB - 1 bytes (use 0 for no limit)"), kUsage;
  }
  // The list of a large tree is held compactly (a NameList).
  NameList entries(o.files);
  if (!o.filesFrom.empty()) {
    std::ifstream list(o.filesFrom);
    if (!list) return Fail(ShownName(o.filesFrom) + ": cannot read the list of files");
    ReadListedNames(list, entries);
  }
  if (entries.Empty()) return Fail("no files to store"), kUsage;
  entries.Compact();

  TBackupFile bf;
  const bool replacing = platform::Env::Default()->FileExists(bf.AbsoluteName(o.archive));
  if (replacing && !o.overwrite) {
    return Fail(ShownName(o.archive) + " already exists: give --overwrite to replace that set (its further " +
                "volumes that the new set does not reach are removed)");
  }
  NameList files;  // names are taken against the shell's directory
  if (const int status = CollectFiles(entries, {o.recursive, o.dereference}, bf, files);
      status != kOk)
    return status;
  bf.Threads = o.threads;
  bf.BackupTitle = o.title;
  bf.MaxSize = static_cast<std::int32_t>(maxSize);
  bf.SaveFileID = o.idFiles;
  if (o.incremental) bf.SetBackupMode(bmIncremental);
  if (o.clearArchiveFlag) bf.SetArchiveFlag = true;
  bf.RemoveOldVolumes = replacing;
  ProgressLine progress(!o.quiet && StderrIsTerminal());
  bf.Warning = [&](const std::string& text) { PrintWarning(progress, text); };
  bf.OnProgress = [&](TBackupFile& sender, const std::string& name, TPercentage percent, bool&) {
    progress.Update(percent, name, sender.Processed);
  };
  bf.AskForVolume = [&](const TVolumeRequest& request) {
    if (!o.pause) return true;
    progress.Finish();
    return AskToContinue("Insert disk " + std::to_string(request.volume) + " for " + ShownName(request.fileName) +
                         " and press Enter (q to stop): ");
  };
  bf.ProcessMessages = [&] {
    if (Interrupted()) bf.Abort();
  };

  TBackupResult result;
  try {
    result = bf.Backup(files, o.archive);
  } catch (const Exception& e) {
    progress.Finish();
    return FailWith(e);
  }
  progress.Finish();
  std::int64_t out = 0;
  for (const TVolumeWritten& volume : result.volumes) out += volume.size;
  const std::size_t n = result.volumes.size();
  std::cout << (result.completed ? "Wrote " : "Stopped after writing ") << Plural(static_cast<std::int64_t>(n), "volume", "volumes");
  if (n > 0) {
    std::cout << " (" << ShownName(result.volumes.front().name)
              << (n > 1 ? " ... " + ShownName(result.volumes.back().name) : std::string()) << ")";
  }
  std::cout << ": " << Plural(bf.FileCount, "entry", "entries") << ", " << HumanSize(result.bytesIn) << " in, "
            << HumanSize(out) << " out";
  if (!result.changed.empty()) std::cout << "; " << Plural(static_cast<std::int64_t>(result.changed.size()), "file", "files")
                                         << " changed while being stored";
  std::cout << "\n";
  if (!result.completed) return kStopped;
  return result.changed.empty() ? kOk : kError;  // as GNU tar does for a file that changed as it was read
}

int RunJoin(const JoinOptions& o) {
  static const std::pair<const char*, TRestoreMode> kModes[] = {
      {"all", rmAll}, {"no-overwrite", rmNoOverwrite}, {"newer", rmNewer},
      {"existing", rmExisting}, {"existing-newer", rmExistingNewer}};
  TBackupFile bf;
  bool known = false;
  for (const auto& [name, mode] : kModes) {
    if (o.mode == name) {
      bf.RestoreMode = mode;
      known = true;
    }
  }
  if (!known) return Fail(std::string("unknown mode '") + ShownName(o.mode) + "'"), kUsage;
  if (const int status = CheckThreads(o.threads); status != kOk) return status;
  if (!platform::Env::Default()->FileExists(bf.AbsoluteName(o.archive))) {
    return Fail(ShownName(o.archive) + ": no such file");
  }

  bf.Threads = o.threads;
  bf.RestoreFullPath = o.fullPath;
  bf.Salvage = o.salvage;
  ProgressLine progress(!o.quiet && StderrIsTerminal());
  bf.OnProgress = [&](TBackupFile& sender, const std::string& name, TPercentage percent, bool&) {
    progress.Update(percent, name, sender.Processed);
  };
  bf.AskForVolume = VolumeAsker(o.noPrompt, &progress);
  bf.Warning = [&](const std::string& text) { PrintWarning(progress, text); };
  bf.ProcessMessages = [&] {
    if (Interrupted()) bf.Abort();
  };
  TRestoreResult result;
  try {
    result = bf.Restore(o.archive, o.dest);
  } catch (const Exception& e) {
    progress.Finish();
    const int status = FailWith(e);
    ListRestored(bf.LastRestore());
    return status;
  }
  progress.Finish();
  // Whole and incomplete files are counted apart: an incomplete one is no success.
  std::cout << (result.stopped ? "Stopped after restoring " : "Restored ") << Plural(result.Complete(), "file", "files");
  const auto incomplete = static_cast<std::int64_t>(result.incomplete.size());
  if (incomplete > 0) std::cout << " and " << Plural(incomplete, "incomplete file", "incomplete files");
  if (result.passedOver > 0) std::cout << ", passed over " << result.passedOver;
  if (result.refused > 0) std::cout << " (" << result.refused << " with a warning)";
  if (result.salvaged) std::cout << " (salvaged)";
  else if (!result.setCompleted && !result.stopped) std::cout << " from a set that was not completed";
  std::cout << "\n";
  if (result.stopped) return kStopped;
  return result.salvaged || !result.setCompleted || incomplete > 0 || result.refused > 0 ? kError : kOk;
}

int RunTitle(const std::string& archive) {
  try {
    TBackupFile bf;
    if (!platform::Env::Default()->FileExists(bf.AbsoluteName(archive))) return Fail(ShownName(archive) + ": no such file");
    std::cout << SafeText(bf.ReadArchiveTitle(archive)) << "\n";
  } catch (const Exception& e) {
    return FailWith(e);
  }
  return kOk;
}

int RunList(const InspectCommandOptions& o) {
  if (o.json) return RunInspectJson(o, false);
  SetProgress progress(TBackupFile().AbsoluteName(o.archive), !o.quiet && StderrIsTerminal(), true);
  InspectOptions options = ReadingOptions(o, progress, false);
  // Each file is printed as soon as it is known: a set of any size is listed
  // in the same memory.
  options.onFile = [&progress](const StoredFile& f) {
    progress.Finish();
    const std::string volumes = f.firstVolume == f.lastVolume
                                    ? std::to_string(f.firstVolume)
                                    : std::to_string(f.firstVolume) + "-" + std::to_string(f.lastVolume);
    std::printf("%14lld  %s  %-7s  %s%s\n", static_cast<long long>(f.size), DosTimeText(f.dosTime).c_str(),
                volumes.c_str(), SafeText(f.name).c_str(), f.complete ? "" : "  (may be incomplete)");
  };
  SetInfo info;
  try {
    info = InspectSet(*platform::Env::Default(), o.archive, options);
  } catch (const Exception& e) {
    progress.Finish();
    std::fflush(stdout);
    return FailWith(e);
  }
  progress.Finish();
  std::printf("%14lld  %s in %s (%lld bytes stored)", static_cast<long long>(info.dataBytes),
              Plural(info.files, "file", "files").c_str(), Plural(info.volumes, "volume", "volumes").c_str(),
              static_cast<long long>(info.storedBytes));
  if (info.ending == SetEnd::kCut) std::printf("; the set was not completed: %s", info.endNote.c_str());
  if (info.ending == SetEnd::kStopped) std::printf("; stopped");
  std::printf("\n");
  return info.ending == SetEnd::kStopped ? kStopped : kOk;
}

int RunTest(const InspectCommandOptions& o) {
  if (o.json) return RunInspectJson(o, true);
  SetProgress progress(TBackupFile().AbsoluteName(o.archive), !o.quiet && StderrIsTerminal(), false);
  InspectOptions options = ReadingOptions(o, progress, true);
  SetInfo info;
  try {
    info = InspectSet(*platform::Env::Default(), o.archive, options);
  } catch (const Exception& e) {
    progress.Finish();
    return FailWith(e);
  }
  progress.Finish();
  if (info.ending == SetEnd::kStopped) {
    return Fail("stopped after " + Plural(info.volumes, "volume", "volumes")), kStopped;
  }
  if (!info.complete()) {
    return Fail("the set was not completed: " + info.endNote + " (" + Plural(info.files, "file", "files") +
                " up to there; join restores them)");
  }
  std::cout << "OK: " << Plural(info.files, "file", "files") << " in " << Plural(info.volumes, "volume", "volumes")
            << "\n";
  return kOk;
}

}  // namespace parvex::cli
