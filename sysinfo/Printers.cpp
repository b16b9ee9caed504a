// Print destinations through libcups, and the choice among them. libcups is
// loaded on the first query rather than with the program: it brings some
// twenty libraries and about 5 MB of memory that the command line's split and
// join never need.
#include "sysinfo/Printers.h"

#include <cups/cups.h>
#include <dlfcn.h>

#include <algorithm>

namespace parvex::sysinfo {
namespace {

struct Cups {
  decltype(&cupsGetDests2) getDests = nullptr;
  decltype(&cupsGetOption) getOption = nullptr;
  decltype(&cupsFreeDests) freeDests = nullptr;
};

// The library's functions, or null when it cannot be loaded.
const Cups* LoadCups() {
  static const Cups* const loaded = []() -> const Cups* {
    void* library = ::dlopen("libcups.so.2", RTLD_NOW | RTLD_LOCAL);
    if (library == nullptr) return nullptr;
    static Cups cups;
    cups.getDests = reinterpret_cast<decltype(&cupsGetDests2)>(::dlsym(library, "cupsGetDests2"));
    cups.getOption = reinterpret_cast<decltype(&cupsGetOption)>(::dlsym(library, "cupsGetOption"));
    cups.freeDests = reinterpret_cast<decltype(&cupsFreeDests)>(::dlsym(library, "cupsFreeDests"));
    if (!cups.getDests || !cups.getOption || !cups.freeDests) return nullptr;
    return &cups;
  }();
  return loaded;
}

}  // namespace

std::string ChoosePrinter(const std::vector<PrinterDestination>& destinations) {
  if (destinations.empty()) return "?";
  const auto chosen = std::find_if(destinations.begin(), destinations.end(),
                                   [](const PrinterDestination& d) { return d.isDefault; });
  const PrinterDestination& printer = chosen != destinations.end() ? *chosen : destinations.front();
  if (!printer.description.empty()) return printer.description;
  return printer.name.empty() ? "?" : printer.name;
}

std::optional<std::vector<PrinterDestination>> CupsDestinations() {
  const Cups* cups = LoadCups();
  if (cups == nullptr) return std::nullopt;
  cups_dest_t* dests = nullptr;
  const int count = cups->getDests(CUPS_HTTP_DEFAULT, &dests);
  std::vector<PrinterDestination> found;
  for (int i = 0; i < count; ++i) {
    const cups_dest_t& dest = dests[i];
    PrinterDestination printer;
    printer.name = dest.name != nullptr ? dest.name : "";
    if (dest.instance != nullptr) printer.name += std::string("/") + dest.instance;
    const char* info = cups->getOption("printer-info", dest.num_options, dest.options);
    printer.description = info != nullptr ? info : "";
    printer.isDefault = dest.is_default != 0;
    found.push_back(std::move(printer));
  }
  cups->freeDests(count, dests);
  return found;
}

}  // namespace parvex::sysinfo
