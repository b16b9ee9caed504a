// Escaping of untrusted text for display.
#include "base/SafeText.h"

#include <algorithm>

namespace parvex {
namespace {

// The length of the valid UTF-8 character at text[at], or 0 when none starts
// there (overlong forms, surrogates and values past U+10FFFF are not valid).
std::size_t Utf8Length(std::string_view text, std::size_t at) {
  const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
  const unsigned char lead = byte(at);
  std::size_t length = 0;
  char32_t value = 0;
  if (lead >= 0xC2 && lead <= 0xDF) {
    length = 2, value = lead & 0x1F;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    length = 3, value = lead & 0x0F;
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    length = 4, value = lead & 0x07;
  } else {
    return 0;
  }
  if (at + length > text.size()) return 0;
  for (std::size_t i = 1; i < length; ++i) {
    if ((byte(at + i) & 0xC0) != 0x80) return 0;
    value = value << 6 | (byte(at + i) & 0x3F);
  }
  if ((length == 3 && value < 0x800) || (length == 4 && value < 0x10000) || value > 0x10FFFF ||
      (value >= 0xD800 && value <= 0xDFFF)) {
    return 0;
  }
  if (value >= 0x80 && value <= 0x9F) return 0;  // C1 controls (0x9B starts an escape sequence)
  return length;
}

void AppendEscape(std::string& out, unsigned char c) {
  switch (c) {
    case '\n': out += "\\n"; return;
    case '\t': out += "\\t"; return;
    case '\r': out += "\\r"; return;
    case '\a': out += "\\a"; return;
    case '\b': out += "\\b"; return;
    case '\f': out += "\\f"; return;
    case '\v': out += "\\v"; return;
    case '\\': out += "\\\\"; return;
    default: break;
  }
  out += '\\';
  out += static_cast<char>('0' + (c >> 6));
  out += static_cast<char>('0' + ((c >> 3) & 7));
  out += static_cast<char>('0' + (c & 7));
}

}  // namespace

std::string SafeText(std::string_view text, std::size_t maxBytes) {
  std::string out;
  out.reserve(maxBytes ? std::min(text.size(), maxBytes) + 3 : text.size());
  for (std::size_t at = 0; at < text.size();) {
    const std::size_t mark = out.size();
    const unsigned char c = static_cast<unsigned char>(text[at]);
    std::size_t used = 1;
    if (c >= 0x20 && c < 0x7F && c != '\\') {
      out += static_cast<char>(c);
    } else if (c >= 0x80 && (used = Utf8Length(text, at)) > 0) {
      out.append(text.substr(at, used));
    } else {
      used = 1;
      AppendEscape(out, c);
    }
    if (maxBytes != 0 && out.size() > maxBytes) {
      out.resize(mark);
      out += "...";
      return out;
    }
    at += used;
  }
  return out;
}

}  // namespace parvex
