// The codec benchmark's data: three sets of this machine's own files (text and
// source code, shared libraries, already-compressed files), each gathered in a
// fixed order and cut into the engine's 32,773-byte blocks.
//
// A set is built from evenly spaced windows over the sorted list of candidate
// files, so that it samples the whole tree (every directory region) rather than
// its first few megabytes, while each window keeps neighbouring files together
// the way a real backup meets them.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <vector>

namespace parvex::bench {

using Bytes = std::vector<std::uint8_t>;

struct CandidateFile {
  std::string path;
  std::uint64_t size = 0;
};

// What one set is made of.
struct SetRecipe {
  std::string name;                // short name used in benchmark names ("text")
  std::vector<std::string> roots;  // directories searched recursively
  // Accepts a file by its name (regular files only; symbolic links never reach it).
  std::function<bool(const std::string& path)> acceptName;
  bool textOnly = false;           // drop files whose taken bytes contain a NUL
  bool fromMiddle = false;         // take a capped file's middle, not its start
  std::size_t perFileCap = 0;      // at most this many bytes of any one file
};

struct DataSet {
  std::string name;
  Bytes bytes;
  std::size_t files = 0;  // number of files that contributed
};

// Offered one file and the most it may contribute; returns the bytes it took
// (0 when it refused the file, which then counts for nothing).
using TakeFile = std::function<std::size_t(const CandidateFile& file, std::size_t limit)>;

// Walks `sorted` in `windowBytes`-sized windows spread evenly over the
// candidates' total contribution (each file counts for min(size, perFileCap)),
// offering files in order until `target` bytes were taken. Every file is offered
// at most once; if everything together is no more than `target`, every file is
// offered. Returns the bytes taken.
std::size_t SpreadWalk(const std::vector<CandidateFile>& sorted, std::size_t target,
                       std::size_t perFileCap, std::size_t windowBytes, const TakeFile& take);

// The candidates of a recipe: regular files below its roots that it accepts by
// name, sorted by path. Unreadable directories are skipped.
std::vector<CandidateFile> ListCandidates(const SetRecipe& recipe);

// Builds a set of about `target` bytes (less if the machine has less).
DataSet LoadSet(const SetRecipe& recipe, std::size_t target, std::size_t windowBytes);

// The three sets of the benchmark, in their fixed order.
std::vector<SetRecipe> StandardRecipes();

// Cuts data into consecutive blocks of blockSize bytes (the last may be shorter).
std::vector<std::span<const std::uint8_t>> SplitBlocks(const Bytes& data, std::size_t blockSize);

}  // namespace parvex::bench
