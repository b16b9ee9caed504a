// Reads a whole volume set made of arbitrary bytes: the input is cut into
// volumes at each "--PXVOL--" marker. Restore (plain and salvaging), the title
// reader and the examination must end with a result or an EArchiveError;
// nothing may be written outside the destination directory, a restore may not
// write more than the most a set of that size can hold (so no volume is read
// twice), and no run may hold more than 64 MB of memory, whatever the set claims.
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>

#include <unistd.h>

#include "engine/backup.h"
#include "engine/format.h"
#include "engine/examine.h"
#include "tests/support/AllocationMeter.h"

namespace fs = std::filesystem;

namespace {

// Never destroyed, so that the clean-up at exit can still use it.
const fs::path& WorkDir() {
  static const fs::path* dir = [] {
    std::string pattern = (fs::temp_directory_path() / "parvex-fuzz-XXXXXX").string();
    if (!mkdtemp(pattern.data())) std::abort();
    auto* path = new fs::path(pattern);
    std::atexit([] {
      std::error_code ec;
      fs::remove_all(WorkDir(), ec);
    });
    return path;
  }();
  return *dir;
}

// The most one byte of a set can decode to: a block record of 39 bytes (its
// length, the flag, a control word and eight run codes) holds a whole chunk.
constexpr std::uintmax_t kMostDecodedPerByte = 32773 / 39 + 1;
constexpr std::size_t kMemoryCeiling = std::size_t{64} << 20;

std::uintmax_t BytesBelow(const fs::path& dir) {
  std::uintmax_t total = 0;
  for (const auto& entry : fs::recursive_directory_iterator(dir)) {
    if (entry.is_regular_file()) total += entry.file_size();
  }
  return total;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const fs::path dir = WorkDir();
  const fs::path sets = dir / "set";
  const fs::path dest = dir / "dest";
  fs::remove_all(sets);
  fs::remove_all(dest);
  fs::create_directories(sets);
  fs::create_directories(dest);

  const std::string_view input(reinterpret_cast<const char*>(data), size);
  constexpr std::string_view kMarker = "--PXVOL--";
  const std::string first = (sets / "F.PX").string();
  std::size_t at = 0;
  for (unsigned volume = 1; volume < 20; ++volume) {
    const std::size_t next = input.find(kMarker, at);
    const std::string_view piece = input.substr(at, next == std::string_view::npos ? std::string_view::npos : next - at);
    std::ofstream(parvex::format::VolumeName(first, volume), std::ios::binary)
        .write(piece.data(), static_cast<std::streamsize>(piece.size()));
    if (next == std::string_view::npos) break;
    at = next + kMarker.size();
  }

  parvex::test::AllocationMeter meter;
  for (int run = 0; run < 3; ++run) {
    fs::remove_all(dest);
    fs::create_directories(dest);
    parvex::TBackupFile bf;
    bf.RestoreFullPath = run == 1;
    bf.Salvage = run == 2;
    bf.Threads = 2;
    int asked = 0;
    bf.AskForVolume = [&](const parvex::TVolumeRequest&) { return ++asked < 3; };
    try {
      bf.Restore(first, dest.string());
    } catch (const parvex::EArchiveError&) {
    }
    if (bf.Busy()) std::abort();
    if (BytesBelow(dest) > kMostDecodedPerByte * size + 1024) std::abort();
  }
  try {
    parvex::TBackupFile().ReadArchiveTitle(first);
  } catch (const parvex::EArchiveError&) {
  }
  for (bool verify : {false, true}) {
    parvex::InspectOptions options;
    options.verify = verify;
    try {
      parvex::InspectSet(*parvex::platform::Env::Default(), first, options);
    } catch (const parvex::EArchiveError&) {
    }
  }
  if (meter.Peak() > kMemoryCeiling) std::abort();
  // Nothing but the volumes and the destination may exist in the work dir.
  for (const auto& entry : fs::directory_iterator(dir)) {
    if (entry.path() != sets && entry.path() != dest) std::abort();
  }
  return 0;
}
