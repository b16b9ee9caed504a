// The examination: the set reader's items counted into files and sizes.
#include "engine/examine.h"

#include <algorithm>
#include <thread>

#include "base/SafeText.h"

namespace parvex {

SetInfo InspectSet(platform::Env& env, const std::string& archiveName, const InspectOptions& options) {
  const std::string archive = platform::MakeAbsolute(archiveName, env.CurrentDirectory());
  if (!env.FileExists(archive)) throw EArchiveError(kCannotReadArchive, ShownName(archive) + ": no such file");
  SetReaderOptions readerOptions;
  readerOptions.threads = options.threads ? options.threads : std::max(1u, std::thread::hardware_concurrency());
  readerOptions.askForVolume = options.askForVolume;
  SetReader reader(env, archive, std::move(readerOptions));
  const SetHeader& header = reader.Open();
  SetInfo info;
  info.title = header.title;
  info.headerTotalSize = header.totalSize;
  info.fileCount = header.fileCount;

  StoredFile file;
  bool open = false;
  const auto report = [&](bool complete) {
    if (!open) return;
    file.complete = complete;
    info.dataBytes += file.size;
    if (options.onFile) options.onFile(file);
    open = false;
  };
  bool stopped = false;
  for (SetReader::Item item; !stopped && (item = reader.Next()) != SetReader::Item::kEnd;) {
    switch (item) {
      case SetReader::Item::kFile:
        report(true);
        file = StoredFile{reader.File().name, reader.File().dosTime, 0, reader.Volumes(), reader.Volumes(), true};
        open = true;
        ++info.files;
        reader.DecodeCurrentFile(options.verify);
        break;
      case SetReader::Item::kVolume:
        file.lastVolume = reader.Volumes();
        break;
      case SetReader::Item::kBlock:
        file.size += static_cast<std::int64_t>(reader.Block().size);
        stopped = options.progress && !options.progress(reader.BytesRead());
        break;
      case SetReader::Item::kEnd:
        break;
    }
  }
  report(reader.CurrentFileComplete());
  info.volumes = reader.Volumes();
  info.storedBytes = reader.BytesRead();
  info.ending = stopped ? SetEnd::kStopped : reader.Ending();
  info.endNote = stopped ? std::string() : reader.EndNote();
  return info;
}

}  // namespace parvex
