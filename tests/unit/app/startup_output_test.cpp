// Lines printed outside the screen: control bytes escaped as a backslash and
// three octal digits, well-formed UTF-8 kept whole, every other byte as it is.
#include "app/startup_output.h"

#include <gtest/gtest.h>

namespace {

TEST(StartupOutput, ControlBytesAreEscaped) {
    const struct { std::string text, shown; } cases[] = {
        {"File /a/b c.txt is empty.", "File /a/b c.txt is empty."},
        {"t\x1b]0;X\x07.txt", "t\\033]0;X\\007.txt"},  // a title change
        {std::string("\0\t\n\r\x1f\x7f", 6), "\\000\\011\\012\\015\\037\\177"},
        {"\x9b" "2J", "\\2332J"},                       // a lone C1 byte (CSI)
        {"caf\xc3\xa9 \xc2\x85 \xe2\x80\x9b \xf0\x9f\x98\x80", "caf\xc3\xa9 \xc2\x85 \xe2\x80\x9b \xf0\x9f\x98\x80"},
        {"\xc0\x80", "\xc0\\200"},                      // overlong
        {"\xed\xa0\x80", "\xed\xa0\\200"},              // a surrogate
        {"\xf4\x90\x80\x80", "\xf4\\220\\200\\200"},    // above U+10FFFF
        {"\xe2\x82", "\xe2\\202"},                      // cut short
        {"\xff\xa0\\", "\xff\xa0\\"},
    };
    for (const auto& c : cases) EXPECT_EQ(pk::EscapeControls(c.text), c.shown) << c.shown;
}

}  // namespace
