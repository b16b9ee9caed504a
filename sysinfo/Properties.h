// The collector's properties by name, in their order of declaration, for
// those that list them all (the command line's report, stored descriptions).
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "sysinfo/Values.h"

namespace parvex::sysinfo {

// Text, a signed or unsigned number, a Boolean, or a Char.
using PropertyValue = std::variant<std::string, std::int64_t, std::uint64_t, bool, char>;

struct PropertyInfo {
  std::string_view name;
  bool perDrive;  // belongs to the selected drive (diSign ... diMediaType, diMountPoint)
  bool extra;     // shown beyond the published properties (cpuModelName, diMountPoint)
  PropertyValue (*get)(const SysInfoValues&);
};

// Every property: the published ones in their order, the extras after the
// last one of their group (cpuModelName after cpuVendorID, diMountPoint after
// diMediaType).
const std::vector<PropertyInfo>& Properties();

// The property named `name`, or nullptr.
const PropertyInfo* FindProperty(std::string_view name);

}  // namespace parvex::sysinfo
