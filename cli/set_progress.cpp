#include "cli/set_progress.h"

#include <algorithm>

#include "engine/set_files.h"

namespace parvex::cli {
namespace {

bool Draws(bool enabled, bool manyVolumesOnly, std::size_t volumes) {
  return enabled && (!manyVolumesOnly || volumes > 1);
}

}  // namespace

SetProgress::SetProgress(const std::string& firstVolume, bool enabled, bool manyVolumesOnly)
    : volumes_(enabled ? std::vector<std::string>{firstVolume} : std::vector<std::string>{}),
      line_(false) {
  if (!enabled) return;
  platform::Env& env = *platform::Env::Default();
  for (std::string& name : setfiles::FurtherVolumes(env, firstVolume)) volumes_.push_back(std::move(name));
  std::int64_t end = 0;
  for (const std::string& name : volumes_) ends_.push_back(end += std::max<std::int64_t>(0, env.FileSize(name)));
  line_ = ProgressLine(Draws(enabled, manyVolumesOnly, volumes_.size()));
}

void SetProgress::Update(std::int64_t bytesRead) {
  if (ends_.empty()) return;
  // Volumes brought one by one (floppies) are not all on disk now: the share
  // stays below 100 until the reading is done.
  const std::int64_t total = std::max<std::int64_t>(1, ends_.back());
  const int percent = static_cast<int>(std::min<std::int64_t>(99, bytesRead * 100 / total));
  const auto volume = std::upper_bound(ends_.begin(), ends_.end(), bytesRead) - ends_.begin();
  const std::string& name = volumes_[std::min<std::size_t>(static_cast<std::size_t>(volume), volumes_.size() - 1)];
  line_.Update(percent, name, bytesRead);
}

InspectOptions ReadingOptions(const InspectCommandOptions& command, SetProgress& progress, bool verify) {
  InspectOptions options;
  options.verify = verify;
  options.threads = verify ? 0 : 1;
  options.askForVolume = VolumeAsker(command.noPrompt, progress.Line());
  options.progress = [&progress](std::int64_t bytesRead) {
    progress.Update(bytesRead);
    return !Interrupted();
  };
  return options;
}

}  // namespace parvex::cli
