// The JSON form of list and test (see inspect_json.h).
#include "cli/inspect_json.h"

#include <algorithm>
#include <cstdio>
#include <iostream>

#include "base/SafeText.h"
#include "cli/set_progress.h"
#include "engine/backup.h"
#include "engine/examine.h"
#include "engine/format.h"
#include "engine/set_files.h"
#include "sysinfo/Report.h"

namespace parvex::cli {
namespace {

using sysinfo::JsonString;

std::string IsoTime(std::uint32_t t) {
  char text[32];
  std::snprintf(text, sizeof text, "%04u-%02u-%02uT%02u:%02u:%02u", (t >> 25) + 1980, (t >> 21) & 15,
                (t >> 16) & 31, (t >> 11) & 31, (t >> 5) & 63, (t & 31) * 2);
  return text;
}

std::string FileObject(const StoredFile& f) {
  std::string volumes;
  for (unsigned v = f.firstVolume; v <= f.lastVolume; ++v) volumes += (v == f.firstVolume ? "" : ", ") + std::to_string(v);
  return "{\"name\": " + JsonString(f.name) + ", \"size\": " + std::to_string(f.size) + ", \"time\": " +
         JsonString(IsoTime(f.dosTime)) + ", \"volumes\": [" + volumes + "], \"complete\": " +
         (f.complete ? "true" : "false") + "}";
}

std::string VolumesArray(const std::string& first, unsigned count) {
  std::string out = "[";
  for (unsigned k = 1; k <= count; ++k) {
    const std::string name = format::VolumeName(first, k);
    const std::int64_t size = platform::Env::Default()->FileSize(name);
    out += std::string(k == 1 ? "" : ",") + "\n    {\"number\": " + std::to_string(k) + ", \"name\": " +
           JsonString(name) + ", \"size\": " + (size < 0 ? std::string("null") : std::to_string(size)) + "}";
  }
  return out + (count > 0 ? "\n  ]" : "]");
}

std::string FaultObject(const std::string& message, const std::string& detail, const std::string& first) {
  const FaultPlace place = PlaceOf(detail, first);
  const auto number = [](std::int64_t n) { return n < 0 ? std::string("null") : std::to_string(n); };
  return "{\"message\": " + JsonString(message) + ", \"volume\": " + number(place.volume ? place.volume : -1) +
         ", \"volumeName\": " + (place.volume ? JsonString(format::VolumeName(first, place.volume)) : "null") +
         ", \"offset\": " + number(place.offset) + "}";
}

}  // namespace

FaultPlace PlaceOf(const std::string& detail, const std::string& firstVolume) {
  FaultPlace place;
  std::size_t matched = 0;
  for (unsigned k = 1; k <= setfiles::kLastDistinctVolume; ++k) {
    const std::string name = ShownName(format::VolumeName(firstVolume, k));
    if (name.size() > matched && detail.compare(0, name.size(), name) == 0 &&
        (detail.size() == name.size() || detail[name.size()] == ',' || detail[name.size()] == ' ' ||
         detail[name.size()] == ':')) {
      place.volume = k;
      matched = name.size();
    }
  }
  static const std::string kOffset = ", offset ";
  if (place.volume != 0 && detail.compare(matched, kOffset.size(), kOffset) == 0) {
    std::size_t at = matched + kOffset.size();
    std::int64_t offset = 0;
    bool digits = false;
    for (; at < detail.size() && detail[at] >= '0' && detail[at] <= '9'; ++at, digits = true)
      offset = offset * 10 + (detail[at] - '0');
    if (digits) place.offset = offset;
  }
  // "volume 3 is missing: ..."
  static const std::string kVolume = "volume ";
  if (place.volume == 0 && detail.compare(0, kVolume.size(), kVolume) == 0) {
    unsigned k = 0;
    for (std::size_t at = kVolume.size(); at < detail.size() && detail[at] >= '0' && detail[at] <= '9'; ++at)
      k = k * 10 + static_cast<unsigned>(detail[at] - '0');
    if (k <= setfiles::kLastDistinctVolume) place.volume = k;
  }
  return place;
}

int RunInspectJson(const InspectCommandOptions& o, bool verify) {
  const std::string first = TBackupFile().AbsoluteName(o.archive);
  SetProgress progress(first, !o.quiet && StderrIsTerminal(), !verify);
  InspectOptions options = ReadingOptions(o, progress, verify);
  // Counted here too: a fault leaves no SetInfo, and the document still
  // describes what was read up to it.
  unsigned volumesSeen = 1;
  std::int64_t files = 0, dataBytes = 0, bytesRead = 0;
  const auto reading = options.progress;
  options.progress = [&](std::int64_t bytes) { return reading(bytesRead = bytes); };
  std::string comment = "null";
  try {
    if (platform::Env::Default()->FileExists(first)) comment = JsonString(TBackupFile().ReadArchiveTitle(first));
  } catch (const Exception&) {
    // The reading below says what is wrong with the set.
  }
  std::cout << "{\n  \"archive\": " << JsonString(first) << ",\n  \"comment\": " << comment << ",\n  \"files\": [";
  options.onFile = [&](const StoredFile& f) {
    std::cout << (files++ > 0 ? ",\n    " : "\n    ") << FileObject(f);
    dataBytes += f.size;
    volumesSeen = std::max(volumesSeen, f.lastVolume);
  };

  SetInfo info;
  std::string fault = "null";
  int status = kOk;
  try {
    info = InspectSet(*platform::Env::Default(), o.archive, options);
    bytesRead = info.storedBytes;
    if (verify && info.ending == SetEnd::kCut) {
      const std::string message = "the set was not completed: " + info.endNote;
      fault = FaultObject(message, info.endNote, first);
      std::cerr << "parvex-cli: " << message << "\n";
      status = kError;
    }
    if (info.ending == SetEnd::kStopped) status = kStopped;
  } catch (const Exception& e) {
    const auto* archiveError = dynamic_cast<const EArchiveError*>(&e);
    const std::string detail = archiveError ? archiveError->Detail() : e.what();
    fault = FaultObject(e.what(), detail, first);
    info.volumes = std::max(volumesSeen, PlaceOf(detail, first).volume);
    std::cerr << "parvex-cli: " << e.what() << "\n";
    status = kError;
  }
  progress.Finish();
  const bool completed = info.ending == SetEnd::kCompleted && status != kError;
  std::cout << (files > 0 ? "\n  ],\n" : "],\n") << "  \"volumes\": " << VolumesArray(first, info.volumes)
            << ",\n  \"fileCount\": " << files << ",\n  \"dataBytes\": " << dataBytes
            << ",\n  \"storedBytes\": " << bytesRead << ",\n  \"verified\": " << (verify ? "true" : "false")
            << ",\n  \"completed\": " << (completed ? "true" : "false")
            << ",\n  \"stopped\": " << (info.ending == SetEnd::kStopped ? "true" : "false")
            << ",\n  \"endNote\": " << (info.endNote.empty() ? std::string("null") : JsonString(info.endNote))
            << ",\n  \"fault\": " << fault << "\n}\n";
  std::cout.flush();
  return std::cout ? status : kError;
}

}  // namespace parvex::cli
