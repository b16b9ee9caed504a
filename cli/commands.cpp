// split, join, title, list and test: one engine, answered from a shell.
#include "cli/commands.h"

#include <cstdio>
#include <fstream>
#include <iostream>
#include <limits>

#include "cli/terminal.h"
#include "engine/backup.h"
#include "engine/format.h"
#include "engine/examine.h"

namespace parvex::cli {
namespace {

int Fail(const std::string& message) {
  std::cerr << "parvex-cli: " << message << "\n";
  return kError;
}

std::string Absolute(const std::string& path) {
  static const std::string here = platform::CurrentDirectory();
  return platform::MakeAbsolute(path, here);
}

std::string DosTimeText(std::uint32_t t) {
  char text[32];
  std::snprintf(text, sizeof text, "%04u-%02u-%02u %02u:%02u:%02u", (t >> 25) + 1980, (t >> 21) & 15, (t >> 16) & 31,
                (t >> 11) & 31, (t >> 5) & 63, (t & 31) * 2);
  return text;
}

// Asks on the terminal for a volume that is absent, unless told not to.
std::function<bool(unsigned, const std::string&)> VolumeAsker(bool noPrompt) {
  if (noPrompt || !StdinIsTerminal()) return nullptr;
  return [](unsigned volume, const std::string& name) {
    return AskToContinue("Please insert disk " + std::to_string(volume) + " (" + name +
                         " not found). Enter to retry, q to stop: ");
  };
}

}  // namespace

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
  long long maxSize = 0;
  if (!ParseSize(o.volumeSize, maxSize)) return Fail("'" + o.volumeSize + "' is not a volume size"), kUsage;
  if (maxSize > std::numeric_limits<std::int32_t>::max()) {
    return Fail("a volume may hold at most 2 GiB - 1 bytes (use 0 for no limit)"), kUsage;
  }
  std::vector<std::string> entries = o.files;
  if (!o.filesFrom.empty()) {
    std::ifstream list(o.filesFrom);
    if (!list) return Fail(o.filesFrom + ": cannot read the list of files");
    for (std::string line; std::getline(list, line);) {
      if (!line.empty()) entries.push_back(line);
    }
  }
  if (entries.empty()) return Fail("no files to store"), kUsage;
  std::vector<std::string> files;
  for (const std::string& entry : entries) {
    files.push_back(Absolute(entry));
    if (platform::Env::Default()->FindMatches(files.back()).empty()) return Fail(entry + ": no such file");
  }

  TBackupFile bf;
  bf.Threads = o.threads;
  bf.BackupTitle = o.title;
  bf.MaxSize = static_cast<std::int32_t>(maxSize);
  bf.SaveFileID = o.idFiles;
  if (o.incremental) bf.SetBackupMode(bmIncremental);
  if (o.clearArchiveFlag) bf.SetArchiveFlag = true;
  ProgressLine progress(!o.quiet && StderrIsTerminal());
  bf.OnProgress = [&](TBackupFile& sender, const std::string& name, TPercentage percent, bool&) {
    progress.Update(percent, name, sender.Processed);
  };
  bf.OnNeedDisk = [&](TBackupFile&, std::uint16_t disk, bool& go) {
    if (!o.pause) return;
    progress.Finish();
    go = AskToContinue("Insert disk " + std::to_string(disk) + " and press Enter (q to stop): ");
  };
  bf.ProcessMessages = [&] {
    if (Interrupted()) bf.Abort();
  };

  const std::string archive = Absolute(o.archive);
  bool complete = false;
  try {
    complete = bf.Backup(files, archive);
  } catch (const Exception& e) {
    progress.Finish();
    return Fail(e.what());
  }
  progress.Finish();
  std::int64_t out = 0;
  unsigned volumes = 0;
  for (unsigned k = 1;; ++k) {
    const std::string name = format::VolumeName(archive, k);
    if (!platform::Env::Default()->FileExists(name)) break;
    auto file = platform::Env::Default()->OpenForReading(name);
    out += file->Size();
    volumes = k;
    if (k > 1 && k % 1000 == 0) break;  // volume numbers wrap after 999
  }
  std::cout << (complete ? "Wrote " : "Stopped after writing ") << volumes << (volumes == 1 ? " volume" : " volumes")
            << " (" << archive << (volumes > 1 ? " ... " + format::VolumeName(archive, volumes) : "") << "): "
            << bf.FileCount << " entries, " << HumanSize(bf.Processed) << " in, " << HumanSize(out) << " out\n";
  return complete ? kOk : kStopped;
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
  if (!known) return Fail("unknown mode '" + o.mode + "'"), kUsage;
  const std::string archive = Absolute(o.archive);
  if (!platform::Env::Default()->FileExists(archive)) return Fail(o.archive + ": no such file");

  bf.Threads = o.threads;
  bf.RestoreFullPath = o.fullPath;
  ProgressLine progress(!o.quiet && StderrIsTerminal());
  bool declined = false;
  std::vector<std::string> warnings;
  bf.OnProgress = [&](TBackupFile& sender, const std::string& name, TPercentage percent, bool&) {
    progress.Update(percent, name, sender.Processed);
  };
  bf.OnNeedDisk = [](TBackupFile&, std::uint16_t, bool&) {};  // further volumes are looked for by name
  if (!o.noPrompt && StdinIsTerminal()) {
    bf.Prompt = [&](const std::string& text) {
      progress.Finish();
      const bool go = AskToContinue(text + " (Enter to retry, q to stop): ");
      declined = !go;
      return go;
    };
  }
  bf.Warning = [&](const std::string& text) {
    progress.Finish();
    std::cerr << "parvex-cli: warning: " << text << "\n";
  };
  bf.ProcessMessages = [&] {
    if (Interrupted()) bf.Abort();
  };
  std::int32_t count = 0;
  try {
    count = bf.Restore(archive, o.dest.empty() ? "" : Absolute(o.dest));
  } catch (const Exception& e) {
    progress.Finish();
    return Fail(e.what());
  }
  progress.Finish();
  const bool stopped = declined || Interrupted();
  std::cout << (stopped ? "Stopped after restoring " : "Restored ") << count << (count == 1 ? " file" : " files")
            << "\n";
  return stopped ? kStopped : kOk;
}

int RunTitle(const std::string& archive) {
  if (!platform::Env::Default()->FileExists(archive)) return Fail(archive + ": no such file");
  try {
    TBackupFile bf;
    std::cout << bf.ReadArchiveTitle(archive) << "\n";
  } catch (const Exception& e) {
    return Fail(e.what());
  }
  return kOk;
}

int RunList(const std::string& archive, bool noPrompt) {
  InspectOptions options;
  options.missingVolume = VolumeAsker(noPrompt);
  SetInfo info;
  try {
    info = InspectSet(*platform::Env::Default(), Absolute(archive), options);
  } catch (const Exception& e) {
    return Fail(e.what());
  }
  std::int64_t total = 0;
  for (const StoredFile& f : info.files) {
    const std::string volumes = f.firstVolume == f.lastVolume
                                    ? std::to_string(f.firstVolume)
                                    : std::to_string(f.firstVolume) + "-" + std::to_string(f.lastVolume);
    std::printf("%14lld  %s  %-7s  %s\n", static_cast<long long>(f.size), DosTimeText(f.dosTime).c_str(),
                volumes.c_str(), f.name.c_str());
    total += f.size;
  }
  std::printf("%14lld  %zu files in %u volumes (%lld bytes stored)%s\n", static_cast<long long>(total),
              info.files.size(), info.volumes, static_cast<long long>(info.storedBytes),
              info.complete ? "" : "; the set has no end record");
  return kOk;
}

int RunTest(const std::string& archive, bool noPrompt) {
  InspectOptions options;
  options.verify = true;
  options.missingVolume = VolumeAsker(noPrompt);
  try {
    const SetInfo info = InspectSet(*platform::Env::Default(), Absolute(archive), options);
    if (!info.complete) {
      return Fail("the set ends without its end record after " + std::to_string(info.volumes) +
                  " volumes (it was not completed, or a volume is missing)");
    }
    std::cout << "OK: " << info.files.size() << " files in " << info.volumes << " volumes\n";
  } catch (const Exception& e) {
    return Fail(e.what());
  }
  return kOk;
}

}  // namespace parvex::cli
