// Print destinations through libcups, and the choice among them.
#include "sysinfo/Printers.h"

#include <cups/cups.h>

#include <algorithm>

namespace parvex::sysinfo {

std::string ChoosePrinter(const std::vector<PrinterDestination>& destinations) {
  if (destinations.empty()) return "?";
  const auto chosen = std::find_if(destinations.begin(), destinations.end(),
                                   [](const PrinterDestination& d) { return d.isDefault; });
  const PrinterDestination& printer = chosen != destinations.end() ? *chosen : destinations.front();
  if (!printer.description.empty()) return printer.description;
  return printer.name.empty() ? "?" : printer.name;
}

std::optional<std::vector<PrinterDestination>> CupsDestinations() {
  cups_dest_t* dests = nullptr;
  const int count = cupsGetDests2(CUPS_HTTP_DEFAULT, &dests);
  std::vector<PrinterDestination> found;
  for (int i = 0; i < count; ++i) {
    const cups_dest_t& dest = dests[i];
    PrinterDestination printer;
    printer.name = dest.name != nullptr ? dest.name : "";
    if (dest.instance != nullptr) printer.name += std::string("/") + dest.instance;
    const char* info = cupsGetOption("printer-info", dest.num_options, dest.options);
    printer.description = info != nullptr ? info : "";
    printer.isDefault = dest.is_default != 0;
    found.push_back(std::move(printer));
  }
  cupsFreeDests(count, dests);
  return found;
}

}  // namespace parvex::sysinfo
