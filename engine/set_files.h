// The files a volume set occupies on disk, beyond what the format says: the
// further volumes that follow on from a first volume, and the old ones that a
// new set written over the same first volume leaves behind. Both presentations
// use it when the user agrees to replace an existing set.
//
// Thread safety: none of its own; the Env's rules apply.
#pragma once

#include <string>
#include <vector>

#include "platform/Platform.h"

namespace parvex::setfiles {

// The highest volume number whose name is distinct: volume 1000 would be
// named like volume 1000 % 1000 ("000").
inline constexpr unsigned kLastDistinctVolume = 999;

// The further volumes of the set whose first volume is `firstVolume`, in
// order: NAME.002, NAME.003, ... for as long as each one exists as a file.
// The first number without a file ends the set; a name further on belongs
// to some other set and is never listed. Empty when NAME.002 is absent.
std::vector<std::string> FurtherVolumes(platform::Env& env, const std::string& firstVolume);

// After a new set of `volumes` volumes (1 = the first volume alone) has been
// written over the first volume of an old set: removes the old set's further
// volumes that the new set did not overwrite. `oldFurther` is what
// FurtherVolumes gave before the new set was written (its entry i is volume
// i + 2). Returns the names that could not be removed; empty when all went.
std::vector<std::string> RemoveStaleVolumes(platform::Env& env, const std::vector<std::string>& oldFurther,
                                            unsigned volumes);

}  // namespace parvex::setfiles
