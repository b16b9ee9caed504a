// Gathering the benchmark's data sets from the machine's own files.
#include "bench/Corpus.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string_view>

namespace parvex::bench {
namespace {

namespace fs = std::filesystem;

std::uint64_t Contribution(const CandidateFile& file, std::size_t perFileCap) {
  return perFileCap == 0 ? file.size : std::min<std::uint64_t>(file.size, perFileCap);
}

bool EndsWithAny(std::string_view name, std::span<const std::string_view> suffixes) {
  return std::any_of(suffixes.begin(), suffixes.end(),
                     [name](std::string_view s) { return name.ends_with(s); });
}

// Names that are never text, whatever their contents turn out to be.
constexpr std::array<std::string_view, 22> kNotText = {
    ".gz",  ".xz",  ".bz2", ".zst",  ".lz4",   ".zip", ".png", ".jpg",
    ".jpeg", ".gif", ".ico", ".pdf", ".woff", ".woff2", ".ttf", ".otf",
    ".svgz", ".mo", ".pyc", ".so",  ".a",     ".o"};
constexpr std::array<std::string_view, 2> kCompressed = {".gz", ".xz"};

bool IsSharedLibrary(const std::string& path) {
  const std::string name = fs::path(path).filename().string();
  return name.ends_with(".so") || name.find(".so.") != std::string::npos;
}

}  // namespace

std::size_t SpreadWalk(const std::vector<CandidateFile>& sorted, std::size_t target,
                       std::size_t perFileCap, std::size_t windowBytes, const TakeFile& take) {
  const std::size_t n = sorted.size();
  std::vector<std::uint64_t> prefix(n + 1, 0);
  for (std::size_t i = 0; i < n; ++i) prefix[i + 1] = prefix[i] + Contribution(sorted[i], perFileCap);
  const std::uint64_t total = prefix[n];

  std::size_t taken = 0;
  // Offers files from `i` on until the window is full; returns the next file.
  auto fill = [&](std::size_t i, std::uint64_t window) {
    std::uint64_t inWindow = 0;
    for (; i < n && inWindow < window && taken < target; ++i) {
      const std::uint64_t contribution = Contribution(sorted[i], perFileCap);
      if (contribution == 0) continue;
      const std::size_t limit = static_cast<std::size_t>(
          std::min({contribution, window - inWindow, std::uint64_t{target - taken}}));
      const std::size_t got = std::min(take(sorted[i], limit), limit);
      inWindow += got;
      taken += got;
    }
    return i;
  };

  if (total <= target || windowBytes == 0) {
    fill(0, total);
    return taken;
  }
  const std::uint64_t windows = (target + windowBytes - 1) / windowBytes;
  std::size_t next = 0;
  for (std::uint64_t w = 0; w < windows && taken < target && next < n; ++w) {
    // The window starts in the file that holds byte total * w / windows.
    const std::uint64_t start = total * w / windows;
    const auto holder = std::upper_bound(prefix.begin() + 1, prefix.end(), start);
    const std::size_t first = std::max(next, static_cast<std::size_t>(holder - (prefix.begin() + 1)));
    next = fill(first, windowBytes);
  }
  return taken;
}

std::vector<CandidateFile> ListCandidates(const SetRecipe& recipe) {
  std::vector<CandidateFile> files;
  for (const std::string& root : recipe.roots) {
    std::error_code ec;
    fs::recursive_directory_iterator it(root, fs::directory_options::skip_permission_denied, ec);
    for (; !ec && it != fs::recursive_directory_iterator(); it.increment(ec)) {
      const fs::directory_entry& entry = *it;
      std::error_code statError;
      if (entry.is_symlink(statError) || !entry.is_regular_file(statError)) continue;
      const std::string path = entry.path().string();
      if (recipe.acceptName && !recipe.acceptName(path)) continue;
      const std::uint64_t size = entry.file_size(statError);
      if (statError) continue;
      files.push_back({path, size});
    }
  }
  std::sort(files.begin(), files.end(),
            [](const CandidateFile& a, const CandidateFile& b) { return a.path < b.path; });
  return files;
}

DataSet LoadSet(const SetRecipe& recipe, std::size_t target, std::size_t windowBytes) {
  DataSet set;
  set.name = recipe.name;
  set.bytes.reserve(target);
  auto take = [&](const CandidateFile& file, std::size_t limit) -> std::size_t {
    std::ifstream in(file.path, std::ios::binary);
    if (!in) return 0;
    if (recipe.fromMiddle && file.size > limit) in.seekg(static_cast<std::streamoff>((file.size - limit) / 2));
    const std::size_t old = set.bytes.size();
    set.bytes.resize(old + limit);
    in.read(reinterpret_cast<char*>(set.bytes.data() + old), static_cast<std::streamsize>(limit));
    const std::size_t got = static_cast<std::size_t>(std::max<std::streamsize>(in.gcount(), 0));
    set.bytes.resize(old + got);
    if (recipe.textOnly && std::memchr(set.bytes.data() + old, 0, got) != nullptr) {
      set.bytes.resize(old);
      return 0;
    }
    if (got != 0) ++set.files;
    return got;
  };
  SpreadWalk(ListCandidates(recipe), target, recipe.perFileCap, windowBytes, take);
  return set;
}

std::vector<SetRecipe> StandardRecipes() {
  std::vector<SetRecipe> recipes;
  recipes.push_back({"text",
                     {"/usr/include", "/usr/share/doc"},
                     [](const std::string& path) { return !EndsWithAny(path, kNotText); },
                     /*textOnly=*/true, /*fromMiddle=*/false, /*perFileCap=*/256 * 1024});
  recipes.push_back({"binaries",
                     {"/usr/lib/x86_64-linux-gnu"},
                     IsSharedLibrary,
                     /*textOnly=*/false, /*fromMiddle=*/true, /*perFileCap=*/128 * 1024});
  recipes.push_back({"compressed",
                     {"/usr/share/doc", "/usr/share/man"},
                     [](const std::string& path) { return EndsWithAny(path, kCompressed); },
                     /*textOnly=*/false, /*fromMiddle=*/false, /*perFileCap=*/1024 * 1024});
  return recipes;
}

std::vector<std::span<const std::uint8_t>> SplitBlocks(const Bytes& data, std::size_t blockSize) {
  std::vector<std::span<const std::uint8_t>> blocks;
  for (std::size_t at = 0; at < data.size() && blockSize != 0; at += blockSize)
    blocks.emplace_back(data.data() + at, std::min(blockSize, data.size() - at));
  return blocks;
}

}  // namespace parvex::bench
