#include <gtest/gtest.h>

#include "tools/EscapedText.h"

namespace tavelin {
namespace {

TEST(EscapedText, WritesControlsAndBrokenBytesEscapedAndKeepsTheRest) {
    // ESC opening a colour, DEL, a line break and NUL.
    EXPECT_EQ(escapedText(std::string("a\x1b[31mb\x7f\n\0c", 11)), "a\\x1b[31mb\\x7f\\x0a\\x00c");
    // The C1 control CSI as UTF-8, and as a lone byte that starts no sequence.
    EXPECT_EQ(escapedText("\xc2\x9b[1m \x9b"), "\\xc2\\x9b[1m \\x9b");
    // A sequence cut short at the end, and an overlong form of '/'.
    EXPECT_EQ(escapedText("ok\xe2\x9c"), "ok\\xe2\\x9c");
    EXPECT_EQ(escapedText("\xc0\xaf"), "\\xc0\\xaf");
    // Letters of other scripts, the first character after the C1 range, four-byte characters, blanks and
    // backslashes stay; a tab is a control.
    EXPECT_EQ(escapedText("zsh — 80×24 \xc2\xa0 Привет ✓ 🍎 a\\b\t"),
              "zsh — 80×24 \xc2\xa0 Привет ✓ 🍎 a\\b\\x09");
}

}  // namespace
}  // namespace tavelin
