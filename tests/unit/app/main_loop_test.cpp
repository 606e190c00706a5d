// The whole program on the in-memory console: ending when the input ends,
// the memory released and the settings written.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <tuple>
#include <vector>

#include "app/main_loop.h"
#include "files/program_state.h"
#include "panel/memory_console.h"
#include "panel/panel.h"
#include "temp_dir.h"

namespace {

struct Program {
    Program() : console(80, 25) {
        dir.mkdir("appdata");
        setenv("APPDATA", (dir / "appdata").c_str(), 1);
    }
    ~Program() {
        pk::ResetProgramState();
        unsetenv("APPDATA");
    }
    int run(std::vector<std::string> args) {
        std::vector<char*> argv{name.data()};
        for (std::string& a : args) argv.push_back(a.data());
        argv.push_back(nullptr);
        pk::fullconsole(&console);
        return pk::MainLoop(int(argv.size()) - 1, argv.data());
    }
    std::string name = "pk";
    pktest::TempDir dir;
    pk::MemoryConsole console;
};

// End, F3, Z and the ending signals are proved end to end; the input that
// ends on its own (no signal) is only reachable here: it ends as Z does.
TEST(MainLoop, InputThatEndsLeavesTheLastPageAndReleasesTheScreens) {
    Program p;
    std::string file = p.dir.write("a.txt", "text\n");
    EXPECT_EQ(p.run({file}), 0);
    EXPECT_EQ(p.console.cursorSizes.front(), 12);
    EXPECT_EQ(std::tuple(p.console.leaveCalls, p.console.restoreCalls, p.console.lastDropLastLine), std::tuple(1, 0, true));
    EXPECT_TRUE(std::filesystem::exists(p.dir / "appdata/pk/pk.ini"));
    EXPECT_EQ(pk::program.viewCells, nullptr);
    EXPECT_EQ(pk::program.savedCells, nullptr);
    EXPECT_EQ(p.console.rowText(24), std::string(80, ' '));
    EXPECT_EQ(p.console.cursor.x * 100 + p.console.cursor.y, 24);
}

}  // namespace
