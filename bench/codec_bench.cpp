// Codec benchmark: compression and decompression speed, and ratio, of our
// LZRW1-KH block codec against LZ4, zstd -1 and zlib -1, over 32,773-byte blocks
// (the engine's block size) of three sets of this machine's own files.
//
// Benchmarks are named <set>/<codec>/<compress|decompress>; bytes per second
// count uncompressed bytes in both directions, and the counter "ratio" is
// compressed bytes / original bytes for the whole set. The sets are loaded once,
// at start, in a fixed order; every codec's blocks are decoded and compared with
// the input once before they are timed, ours are also compared with the plain
// reference coder's blocks, and the program aborts on any difference.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "bench/Codecs.h"
#include "bench/Corpus.h"
#include "engine/LZRW1KH.h"
#include "tests/support/Lzrw1khReference.h"

namespace parvex::bench {
namespace {

constexpr std::size_t kBlockSize = kMaxBlockInput;
constexpr std::size_t kBlocksPerSet = 384;  // 12.0 MiB of input per set
constexpr std::size_t kWindowBytes = 256 * 1024;
constexpr std::size_t kSmallestUsefulSet = 1024 * 1024;

struct LoadedSet {
  DataSet data;
  std::vector<std::span<const std::uint8_t>> blocks;
};

// One codec's compressed form of one set, block by block.
struct EncodedSet {
  Bytes packed;
  std::vector<std::pair<std::size_t, std::size_t>> blocks;  // offset, length in packed
  double ratio = 0;
};

[[noreturn]] void Fail(const std::string& why) {
  std::fprintf(stderr, "codec_bench: %s\n", why.c_str());
  std::fflush(stderr);
  std::abort();
}

class Registry {
 public:
  Registry() : recipes_(StandardRecipes()), codecs_(MakeCodecs()) {
    sets_.resize(recipes_.size());
    encoded_.resize(recipes_.size() * codecs_.size());
  }

  const std::vector<SetRecipe>& recipes() const { return recipes_; }
  std::size_t codecCount() const { return codecs_.size(); }
  BlockCodec& codec(std::size_t i) { return *codecs_[i]; }

  const LoadedSet& Set(std::size_t i) {
    if (!sets_[i]) {
      auto set = std::make_unique<LoadedSet>();
      set->data = LoadSet(recipes_[i], kBlocksPerSet * kBlockSize, kWindowBytes);
      if (set->data.bytes.size() < kSmallestUsefulSet)
        Fail("set '" + recipes_[i].name + "' found only " + std::to_string(set->data.bytes.size()) +
             " bytes on this machine");
      set->blocks = SplitBlocks(set->data.bytes, kBlockSize);
      std::fprintf(stderr, "set %s: %zu files, %zu bytes, %zu blocks\n", recipes_[i].name.c_str(),
                   set->data.files, set->data.bytes.size(), set->blocks.size());
      sets_[i] = std::move(set);
    }
    return *sets_[i];
  }

  // Compresses the set with the codec and checks that every block decodes to
  // its input; aborts otherwise.
  const EncodedSet& Encoded(std::size_t setIndex, std::size_t codecIndex) {
    std::unique_ptr<EncodedSet>& slot = encoded_[setIndex * codecs_.size() + codecIndex];
    if (slot) return *slot;
    const LoadedSet& set = Set(setIndex);
    BlockCodec& c = codec(codecIndex);
    auto encoded = std::make_unique<EncodedSet>();
    Bytes scratch(c.Bound(kBlockSize));
    Bytes decoded(kBlockSize);
    const std::string where = recipes_[setIndex].name + "/" + c.Name();
    const bool checkAgainstReference = c.Name() == "lzrw1kh";
    try {
      for (std::size_t b = 0; b < set.blocks.size(); ++b) {
        const auto block = set.blocks[b];
        const std::size_t length = c.Compress(block.data(), block.size(), scratch.data(), scratch.size());
        if (length > scratch.size()) Fail(where + ": block " + std::to_string(b) + " overran its bound");
        if (checkAgainstReference) {
          const Bytes expected = test::ReferenceCompress(block.data(), block.size());
          if (expected.size() != length || std::memcmp(expected.data(), scratch.data(), length) != 0)
            Fail(where + ": block " + std::to_string(b) + " differs from the reference coder's");
        }
        const std::size_t got = c.Decompress(scratch.data(), length, decoded.data(), decoded.size());
        if (got != block.size() || std::memcmp(decoded.data(), block.data(), got) != 0)
          Fail(where + ": block " + std::to_string(b) + " does not decode to its input");
        encoded->blocks.emplace_back(encoded->packed.size(), length);
        encoded->packed.insert(encoded->packed.end(), scratch.begin(), scratch.begin() + length);
      }
    } catch (const std::exception& e) {
      Fail(where + ": " + e.what());
    }
    encoded->ratio = static_cast<double>(encoded->packed.size()) / static_cast<double>(set.data.bytes.size());
    slot = std::move(encoded);
    return *slot;
  }

 private:
  std::vector<SetRecipe> recipes_;
  std::vector<std::unique_ptr<BlockCodec>> codecs_;
  std::vector<std::unique_ptr<LoadedSet>> sets_;
  std::vector<std::unique_ptr<EncodedSet>> encoded_;
};

Registry& TheRegistry() {
  static Registry registry;
  return registry;
}

void Report(benchmark::State& state, const LoadedSet& set, const EncodedSet& encoded) {
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) *
                          static_cast<std::int64_t>(set.data.bytes.size()));
  state.counters["ratio"] = encoded.ratio;
  state.counters["set_bytes"] = static_cast<double>(set.data.bytes.size());
  state.counters["files"] = static_cast<double>(set.data.files);
}

void CompressSet(benchmark::State& state, std::size_t setIndex, std::size_t codecIndex) {
  Registry& registry = TheRegistry();
  const LoadedSet& set = registry.Set(setIndex);
  const EncodedSet& encoded = registry.Encoded(setIndex, codecIndex);
  BlockCodec& codec = registry.codec(codecIndex);
  Bytes out(codec.Bound(kBlockSize));
  for (auto _ : state) {
    std::size_t total = 0;
    for (const auto block : set.blocks) total += codec.Compress(block.data(), block.size(), out.data(), out.size());
    benchmark::DoNotOptimize(total);
    benchmark::ClobberMemory();
  }
  Report(state, set, encoded);
}

void DecompressSet(benchmark::State& state, std::size_t setIndex, std::size_t codecIndex) {
  Registry& registry = TheRegistry();
  const LoadedSet& set = registry.Set(setIndex);
  const EncodedSet& encoded = registry.Encoded(setIndex, codecIndex);
  BlockCodec& codec = registry.codec(codecIndex);
  Bytes out(kBlockSize);
  const std::uint8_t* packed = encoded.packed.data();
  for (auto _ : state) {
    std::size_t total = 0;
    for (const auto& [offset, length] : encoded.blocks)
      total += codec.Decompress(packed + offset, length, out.data(), out.size());
    benchmark::DoNotOptimize(total);
    benchmark::ClobberMemory();
  }
  Report(state, set, encoded);
}

void LoadAndRegisterAll() {
  Registry& registry = TheRegistry();
  // Every set is read before anything is timed, in the same order on every run,
  // whatever order the benchmarks then run in.
  for (std::size_t s = 0; s < registry.recipes().size(); ++s) registry.Set(s);
  for (std::size_t s = 0; s < registry.recipes().size(); ++s) {
    for (std::size_t c = 0; c < registry.codecCount(); ++c) {
      const std::string base = registry.recipes()[s].name + "/" + registry.codec(c).Name() + "/";
      benchmark::RegisterBenchmark((base + "compress").c_str(), CompressSet, s, c)->Unit(benchmark::kMillisecond);
      benchmark::RegisterBenchmark((base + "decompress").c_str(), DecompressSet, s, c)->Unit(benchmark::kMillisecond);
    }
  }
}

}  // namespace
}  // namespace parvex::bench

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  parvex::bench::LoadAndRegisterAll();
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
