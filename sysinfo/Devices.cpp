// Display, monitor and mouse (see Devices.h).
#include "sysinfo/Devices.h"

#include <algorithm>
#include <cstdint>
#include <vector>

#include "sysinfo/TextFiles.h"

namespace parvex::sysinfo {
namespace {

constexpr std::size_t kEdidBlock = 128;
constexpr std::size_t kFirstDescriptor = 54;
constexpr std::size_t kDescriptorSize = 18;
constexpr unsigned char kMonitorNameTag = 0xFC;

// "card0", "card1": the cards themselves, in number order (their connectors
// are "card0-HDMI-A-1" and so on).
std::vector<std::string> Cards(const std::string& drm) {
  std::vector<std::string> cards;
  for (const auto& name : DirectoryNames(drm)) {
    std::size_t used = 0;
    if (StartsWith(name, "card") && name.size() > 4) {
      LeadingNumber(std::string_view(name).substr(4), &used);
      if (used == name.size() - 4) cards.push_back(name);
    }
  }
  std::sort(cards.begin(), cards.end(), [](const std::string& a, const std::string& b) {
    return LeadingNumber(std::string_view(a).substr(4)) < LeadingNumber(std::string_view(b).substr(4));
  });
  return cards;
}

// The vendor's and the device's names in a pci.ids text ("" when not listed).
std::pair<std::string, std::string> PciNames(const std::string& ids, const std::string& vendor,
                                             const std::string& device) {
  const std::string vendorLine = vendor + "  ";
  std::size_t at = StartsWith(ids, vendorLine) ? 0 : ids.find("\n" + vendorLine);
  if (at == std::string::npos) return {};
  if (at != 0) ++at;
  const auto end = ids.find('\n', at);
  std::pair<std::string, std::string> names;
  names.first = std::string(Trim(std::string_view(ids).substr(at + vendorLine.size(), end - at - vendorLine.size())));
  // Device lines follow, indented by one tab; the vendor's list ends at the next unindented line.
  for (std::size_t line = end; line != std::string::npos && line + 1 < ids.size();) {
    const std::size_t start = line + 1;
    const std::size_t next = ids.find('\n', start);
    const std::string_view text = std::string_view(ids).substr(start, next - start);
    if (!text.empty() && text[0] != '\t' && text[0] != '#') break;
    if (StartsWith(text, "\t" + device + "  ")) {
      names.second = std::string(Trim(text.substr(device.size() + 3)));
      break;
    }
    line = next;
  }
  return names;
}

// A sysfs id such as "0x8086" as pci.ids writes it ("8086").
std::string PciId(const std::string& path) {
  const auto value = ParseHex(ReadLine(path).value_or(""));
  if (!value || *value > 0xFFFF) return std::string();
  static const char kDigits[] = "0123456789abcdef";
  std::string id(4, '0');
  for (int i = 3, v = static_cast<int>(*value); i >= 0; --i, v >>= 4) id[static_cast<std::size_t>(i)] = kDigits[v & 15];
  return id;
}

}  // namespace

std::string DisplayDevice(const std::string& root) {
  const std::string drm = Under(root, "/sys/class/drm");
  for (const auto& card : Cards(drm)) {
    const std::string device = drm + "/" + card + "/device";
    const std::string driver = BaseName(LinkTarget(device + "/driver"));
    if (driver.empty()) continue;
    const std::string vendor = PciId(device + "/vendor");
    const std::string product = PciId(device + "/device");
    if (vendor.empty()) return driver;
    std::optional<std::string> ids = ReadText(Under(root, "/usr/share/misc/pci.ids"));
    if (!ids) ids = ReadText(Under(root, "/usr/share/hwdata/pci.ids"));
    const auto [vendorName, productName] = PciNames(ids.value_or(""), vendor, product);
    std::string text = vendorName;
    if (!productName.empty()) text += (text.empty() ? "" : " ") + productName;
    return text.empty() ? driver : driver + ": " + text;
  }
  return "?";
}

std::string MonitorNameFromEdid(std::string_view edid) {
  static constexpr unsigned char kHeader[8] = {0x00, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x00};
  if (edid.size() < kEdidBlock || !std::equal(kHeader, kHeader + 8, edid.begin(), [](unsigned char a, char b) {
        return a == static_cast<unsigned char>(b);
      })) {
    return std::string();
  }
  const auto byte = [&](std::size_t at) { return static_cast<unsigned char>(edid[at]); };
  for (std::size_t d = kFirstDescriptor; d + kDescriptorSize <= kEdidBlock - 1; d += kDescriptorSize) {
    if (byte(d) != 0 || byte(d + 1) != 0 || byte(d + 2) != 0 || byte(d + 3) != kMonitorNameTag) continue;
    std::string name;
    for (std::size_t i = d + 5; i < d + kDescriptorSize && byte(i) != 0x0A; ++i) {
      name += byte(i) >= 0x20 && byte(i) < 0x7F ? static_cast<char>(byte(i)) : '?';
    }
    name = std::string(Trim(name));
    if (!name.empty()) return name;
  }
  // The maker: three letters of five bits each, 1 = A; the product code: little-endian.
  const unsigned maker = (byte(8) << 8) | byte(9);
  std::string text;
  for (int shift = 10; shift >= 0; shift -= 5) {
    const unsigned letter = (maker >> shift) & 31;
    text += letter >= 1 && letter <= 26 ? static_cast<char>('@' + letter) : '?';
  }
  static const char kDigits[] = "0123456789ABCDEF";
  const unsigned product = byte(10) | (byte(11) << 8);
  text += ' ';
  for (int shift = 12; shift >= 0; shift -= 4) text += kDigits[(product >> shift) & 15];
  return text;
}

std::string MonitorName(const std::string& root) {
  const std::string drm = Under(root, "/sys/class/drm");
  for (const auto& card : Cards(drm)) {
    for (const auto& name : DirectoryNames(drm)) {
      if (!StartsWith(name, card + "-")) continue;
      if (ReadLine(drm + "/" + name + "/status").value_or("") != "connected") continue;
      const std::string monitor = MonitorNameFromEdid(ReadText(drm + "/" + name + "/edid", 32768).value_or(""));
      if (!monitor.empty()) return monitor;
    }
  }
  return "?";
}

std::string MouseName(const std::string& root) {
  // Blocks of "X: ..." lines, one per device: N: Name="..." and H: Handlers=mouse0 event3.
  const std::string devices = ReadText(Under(root, "/proc/bus/input/devices")).value_or("");
  std::string name;
  for (const auto line : Lines(devices)) {
    if (Trim(line).empty()) {
      name.clear();
    } else if (StartsWith(line, "N: Name=")) {
      name = std::string(Trim(line.substr(8)));
      if (name.size() >= 2 && name.front() == '"' && name.back() == '"') name = name.substr(1, name.size() - 2);
    } else if (StartsWith(line, "H: Handlers=")) {
      std::string_view handlers = line.substr(12);
      while (!handlers.empty()) {
        const auto blank = handlers.find(' ');
        const auto handler = handlers.substr(0, blank);
        std::size_t used = 0;
        if (StartsWith(handler, "mouse") && handler.size() > 5) LeadingNumber(handler.substr(5), &used);
        if (used > 0 && used == handler.size() - 5) return name.empty() ? "?" : name;
        if (blank == std::string_view::npos) break;
        handlers.remove_prefix(blank + 1);
      }
    }
  }
  return "?";
}

}  // namespace parvex::sysinfo
