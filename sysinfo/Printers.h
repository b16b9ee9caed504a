// The printer the collector names: the default print destination, else the
// first one; its description, else its name.
#pragma once

#include <string>
#include <vector>

#include "sysinfo/Sources.h"

namespace parvex::sysinfo {

// "?" when there is no destination.
std::string ChoosePrinter(const std::vector<PrinterDestination>& destinations);

}  // namespace parvex::sysinfo
