// The whole program on the in-memory console. End, F3, Z and the ending
// signals are proved end to end; input that ends on its own (no signal) is
// only reachable here: it ends as Z does, the last page left, the memory
// released and the settings written.
#include "app/main_loop.h"

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

}  // namespace
