// The whole program on the in-memory console. End, F3, Z and the ending
// signals are proved end to end; input that ends on its own (no signal) is
// only reachable here: it ends as Z does, the last page left, the memory
// released and the settings written. And lines printed outside the screen:
// control bytes escaped as a backslash and three octal digits, well-formed
// UTF-8 kept whole, every other byte as it is.
#include "app/main_loop.h"
#include "app/startup_output.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <tuple>

#include "files/program_state.h"
#include "panel/memory_console.h"
#include "panel/panel.h"
#include "temp_dir.h"

namespace {

TEST(MainLoop, InputThatEndsLeavesTheLastPageAndReleasesTheScreens) {
    pktest::TempDir dir;
    setenv("APPDATA", dir.mkdir("appdata").c_str(), 1);
    std::string file = dir.write("a.txt", "text\n");
    char* argv[] = {const_cast<char*>("pk"), file.data(), nullptr};
    pk::MemoryConsole console(80, 25);
    pk::fullconsole(&console);
    EXPECT_EQ(pk::MainLoop(2, argv), 0);
    EXPECT_EQ(console.cursorSizes.front(), 12);
    EXPECT_EQ(std::tuple(console.leaveCalls, console.restoreCalls, console.lastDropLastLine), std::tuple(1, 0, true));
    EXPECT_TRUE(std::filesystem::exists(dir / "appdata/pk/pk.ini"));
    EXPECT_EQ(pk::program.viewCells, nullptr);
    EXPECT_EQ(pk::program.savedCells, nullptr);
    EXPECT_EQ(console.rowText(24), std::string(80, ' '));
    EXPECT_EQ(console.cursor.x * 100 + console.cursor.y, 24);
    pk::ResetProgramState();
    unsetenv("APPDATA");
}

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
