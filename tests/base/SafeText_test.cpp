// Untrusted text for display: controls, DEL, C1 controls and broken UTF-8 are
// escaped as `ls -b` escapes them, valid UTF-8 stays, and a cut never splits a
// character or an escape.
#include "base/SafeText.h"

#include <gtest/gtest.h>

namespace parvex {
namespace {

TEST(SafeText, EscapesWhatCouldDriveTheTerminal) {
  EXPECT_EQ(SafeText("plain name.txt"), "plain name.txt");
  EXPECT_EQ(SafeText("a\nb\tc\rd"), "a\\nb\\tc\\rd");
  EXPECT_EQ(SafeText("\033[2J\a\b\f\v"), "\\033[2J\\a\\b\\f\\v");
  EXPECT_EQ(SafeText(std::string("x\0y", 3)), "x\\000y");
  EXPECT_EQ(SafeText("back\\slash"), "back\\\\slash");
  EXPECT_EQ(SafeText("\x7F"), "\\177");
  EXPECT_EQ(SafeText("\xC2\x9B" "31m"), "\\302\\23331m");  // C1 CSI, as UTF-8
}

TEST(SafeText, KeepsValidUtf8AndEscapesBrokenSequences) {
  EXPECT_EQ(SafeText("Größe ünd Maß € 𝄞"), "Größe ünd Maß € 𝄞");
  EXPECT_EQ(SafeText("\xFF\xFE"), "\\377\\376");
  EXPECT_EQ(SafeText("caf\xC3"), "caf\\303");         // cut off
  EXPECT_EQ(SafeText("\xC0\xAF"), "\\300\\257");      // overlong "/"
  EXPECT_EQ(SafeText("\xED\xA0\x80"), "\\355\\240\\200");  // a surrogate
  EXPECT_EQ(SafeText("\xF4\x90\x80\x80"), "\\364\\220\\200\\200");  // past U+10FFFF
  EXPECT_EQ(SafeText("\xE0\x80\xAF"), "\\340\\200\\257");  // overlong three bytes
}

TEST(SafeText, CutsAtCharacterBoundaries) {
  EXPECT_EQ(SafeText(std::string(300, 'x'), 10), std::string(10, 'x') + "...");
  EXPECT_EQ(SafeText("abcdefgh\n", 9), "abcdefgh...");  // the escape does not fit whole
  EXPECT_EQ(SafeText("abcdefgh\xC3\xA9", 9), "abcdefgh...");
  EXPECT_EQ(SafeText("abc", 3), "abc");
  EXPECT_EQ(ShownName(std::string(20000, '\x80')).size(), kShownNameLimit + 3);  // 64 escapes, then "..."
}

}  // namespace
}  // namespace parvex
