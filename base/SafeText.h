// Untrusted text (names and titles read from a volume set) made safe to show
// on a terminal or in a message: nothing in it can end a line, move the cursor
// or send an escape sequence.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace parvex {

// `text` with every control character, DEL, C1 control and byte that is not
// part of valid UTF-8 written as an escape, the way `ls -b` does: \n \t \r \a
// \b \f \v by letter, every other one as three octal digits (\033, \377), and
// a backslash as \\. Valid UTF-8 characters stay as they are. When the result
// would be longer than maxBytes, it is cut at a character boundary and "..."
// is added (maxBytes = 0: no limit).
std::string SafeText(std::string_view text, std::size_t maxBytes = 0);

// The limit for names shown inside messages and warnings.
inline constexpr std::size_t kShownNameLimit = 256;

// SafeText(text, kShownNameLimit): a name as messages show it.
inline std::string ShownName(std::string_view text) { return SafeText(text, kShownNameLimit); }

// ShownName in double quotes, as warnings name a file.
inline std::string QuotedName(std::string_view text) {
  std::string quoted(1, '"');  // appended, not added: GCC 12 warns wrongly about "\"" + s
  quoted += ShownName(text);
  quoted += '"';
  return quoted;
}

}  // namespace parvex
