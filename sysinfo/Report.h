// The collector's properties written out for scripts: "name = value" lines or
// one JSON object, in their order of declaration, the drive properties once
// for each drive asked for.
#pragma once

#include <string>

#include "sysinfo/MSysInfo.h"

namespace parvex::sysinfo {

// `letters`: the drives to describe, each selected in turn (which reads it).
// Text: one "name = value" a line; control characters in values become "?".
std::string TextReport(TMSysInfo& info, const std::string& letters);

// JSON: one object; numbers and Booleans typed, Chars as one-letter texts,
// the drives' properties as objects in the array "drives" at their place.
std::string JsonReport(TMSysInfo& info, const std::string& letters);

// `text` as a JSON string literal; bytes that are not UTF-8 become U+FFFD.
std::string JsonString(const std::string& text);

}  // namespace parvex::sysinfo
