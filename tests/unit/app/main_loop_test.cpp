// The whole program on the in-memory console: the ways of ending (the
// terminal given back, or the last page left on it), the memory released and
// the settings written.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>
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

TEST(MainLoop, EachEndingGivesBackOrLeavesTheTerminal) {
    const struct { const char* typed; bool signal, leave; } cases[] = {
        {"quit\r", false, false},
        {"", true, false},   // SIGTERM/SIGHUP: as End
        {"", false, true},   // the input ended: as Z, the last page stays without its key line
    };
    for (const auto& c : cases) {
        Program p;
        std::string file = p.dir.write("a.txt", "text\n");
        p.console.text(c.typed);
        p.console.setEndRequested(c.signal);
        EXPECT_EQ(p.run({file}), 0) << c.typed;
        EXPECT_EQ(p.console.cursorSizes.front(), 12);
        EXPECT_EQ(p.console.leaveCalls, c.leave ? 1 : 0) << c.typed;
        EXPECT_EQ(p.console.restoreCalls, c.leave ? 0 : 1) << c.typed;
        EXPECT_TRUE(std::filesystem::exists(p.dir / "appdata/pk/pk.ini")) << c.typed;
        EXPECT_EQ(pk::program.viewCells, nullptr);
        EXPECT_EQ(pk::program.savedCells, nullptr);
        if (!c.leave) continue;
        EXPECT_TRUE(p.console.lastDropLastLine);
        EXPECT_EQ(p.console.rowText(24), std::string(80, ' '));
        EXPECT_EQ(p.console.cursor.x * 100 + p.console.cursor.y, 24);
    }
}

}  // namespace
