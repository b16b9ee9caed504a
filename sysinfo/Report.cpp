// Text and JSON reports of the collector (see Report.h).
#include "sysinfo/Report.h"

#include <cstdio>

namespace parvex::sysinfo {
namespace {

std::string PlainText(const PropertyValue& value) {
  struct Visitor {
    std::string operator()(const std::string& text) const {
      std::string out = text;
      for (char& c : out) {
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) c = '?';
      }
      return out;
    }
    std::string operator()(std::int64_t number) const { return std::to_string(number); }
    std::string operator()(std::uint64_t number) const { return std::to_string(number); }
    std::string operator()(bool flag) const { return flag ? "true" : "false"; }
    std::string operator()(char letter) const { return (*this)(std::string(1, letter)); }
  };
  return std::visit(Visitor{}, value);
}

std::string JsonValue(const PropertyValue& value) {
  if (const auto* text = std::get_if<std::string>(&value)) return JsonString(*text);
  if (const auto* letter = std::get_if<char>(&value)) return JsonString(std::string(1, *letter));
  return PlainText(value);
}

// Length of the well-formed UTF-8 sequence at `at`, 0 when there is none.
std::size_t Utf8Length(const std::string& s, std::size_t at) {
  const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(s[i]); };
  const unsigned char lead = byte(at);
  std::size_t length;
  unsigned min;
  unsigned code;
  if (lead < 0x80) return 1;
  if (lead >= 0xC2 && lead <= 0xDF) length = 2, min = 0x80, code = lead & 0x1F;
  else if (lead >= 0xE0 && lead <= 0xEF) length = 3, min = 0x800, code = lead & 0x0F;
  else if (lead >= 0xF0 && lead <= 0xF4) length = 4, min = 0x10000, code = lead & 0x07;
  else return 0;
  if (at + length > s.size()) return 0;
  for (std::size_t i = 1; i < length; ++i) {
    if ((byte(at + i) & 0xC0) != 0x80) return 0;
    code = (code << 6) | (byte(at + i) & 0x3F);
  }
  if (code < min || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) return 0;
  return length;
}

// Writes the report: properties up to the drive group, the group once per
// letter, then the rest. `field` writes one property, `drives` opens and
// closes the group and each drive in it.
template <typename Field, typename Group>
void Walk(TMSysInfo& info, const std::string& letters, Field field, Group group) {
  const auto& properties = Properties();
  for (std::size_t i = 0; i < properties.size(); ++i) {
    if (!properties[i].perDrive) {
      field(properties[i], info.Property(properties[i].name));
      continue;
    }
    std::size_t end = i;
    while (end < properties.size() && properties[end].perDrive) ++end;
    group(-1);
    for (std::size_t d = 0; d < letters.size(); ++d) {
      info.setDiSign(letters[d]);
      group(static_cast<int>(d));
      for (std::size_t p = i; p < end; ++p) field(properties[p], info.Property(properties[p].name));
    }
    group(-2);
    i = end - 1;
  }
}

}  // namespace

std::string JsonString(const std::string& text) {
  std::string out = "\"";
  for (std::size_t i = 0; i < text.size();) {
    const unsigned char c = static_cast<unsigned char>(text[i]);
    const std::size_t length = Utf8Length(text, i);
    if (length == 0) {
      out += "\\ufffd";
      ++i;
      continue;
    }
    if (c == '"' || c == '\\') {
      out += '\\';
      out += static_cast<char>(c);
    } else if (c < 0x20 || c == 0x7F) {
      char escaped[8];
      std::snprintf(escaped, sizeof escaped, "\\u%04x", c);
      out += escaped;
    } else {
      out.append(text, i, length);
    }
    i += length;
  }
  return out + "\"";
}

std::string TextReport(TMSysInfo& info, const std::string& letters) {
  std::string out;
  Walk(
      info, letters,
      [&](const PropertyInfo& property, const PropertyValue& value) {
        out += std::string(property.name) + " = " + PlainText(value) + "\n";
      },
      [](int) {});
  return out;
}

std::string JsonReport(TMSysInfo& info, const std::string& letters) {
  std::string out = "{";
  std::string indent = "\n  ";
  bool first = true;  // no comma before the first member of an object
  Walk(
      info, letters,
      [&](const PropertyInfo& property, const PropertyValue& value) {
        out += (first ? "" : ",") + indent + JsonString(std::string(property.name)) + ": " + JsonValue(value);
        first = false;
      },
      [&](int drive) {
        if (drive == -1) {
          out += std::string(first ? "" : ",") + "\n  \"drives\": [";
          first = true;
        } else if (drive == -2) {
          out += first ? "]" : "\n    }\n  ]";
          indent = "\n  ";
          first = false;
        } else {
          out += std::string(drive == 0 ? "" : "\n    },") + "\n    {";
          indent = "\n      ";
          first = true;
        }
      });
  return out + "\n}\n";
}

}  // namespace parvex::sysinfo
