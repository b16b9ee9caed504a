// Finding the further volumes of a set and removing the stale ones.
#include "engine/set_files.h"

#include "engine/format.h"

namespace parvex::setfiles {

std::vector<std::string> FurtherVolumes(platform::Env& env, const std::string& firstVolume) {
  std::vector<std::string> further;
  for (unsigned k = 2; k <= kLastDistinctVolume; ++k) {
    std::string name = format::VolumeName(firstVolume, k);
    if (!env.FileExists(name)) break;
    further.push_back(std::move(name));
  }
  return further;
}

std::vector<std::string> RemoveStaleVolumes(platform::Env& env, const std::vector<std::string>& oldFurther,
                                            unsigned volumes) {
  std::vector<std::string> left;
  // Entry i is volume i + 2; the new set wrote volumes 1 .. volumes.
  for (std::size_t i = volumes < 2 ? 0 : volumes - 1; i < oldFurther.size(); ++i)
    if (!env.RemoveFile(oldFurther[i])) left.push_back(oldFurther[i]);
  return left;
}

}  // namespace parvex::setfiles
