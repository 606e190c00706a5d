// The whole program on the in-memory console: start-up, the cycle, the two
// ways of ending, shutdown with its settings file and exit statuses.
#include <gtest/gtest.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "app/main_loop.h"
#include "display/display_state.h"
#include "files/state.h"
#include "panel/memory_console.h"
#include "temp_dir.h"

namespace {

using pktest::ReadAll;
using pktest::TempDir;

class Program {
public:
    explicit Program(int cols = 80, int rows = 25) : console(cols, rows) {
        setenv("APPDATA", (dir / "appdata").c_str(), 1);
        dir.mkdir("appdata");
    }
    ~Program() {
        pk::program = pk::ProgramState{};
        unsetenv("APPDATA");
    }

    int run(std::vector<std::string> args) {
        args.insert(args.begin(), "pk");
        std::vector<char*> argv;
        for (std::string& a : args) argv.push_back(a.data());
        argv.push_back(nullptr);
        pk::program.console = &console;
        testing::internal::CaptureStdout();
        int status = pk::MainLoop(int(args.size()), argv.data());
        std::fflush(stdout);
        out = testing::internal::GetCapturedStdout();
        return status;
    }
    std::string settingsFile() const { return dir / "appdata/pk/pk.ini"; }

    TempDir dir;
    pk::MemoryConsole console;
    std::string out;
};

TEST(MainLoop, EndGivesTheTerminalBackAndWritesTheSettings) {
    Program p;
    std::string file = p.dir.write("a.txt", "hello\nworld\n");
    p.console.text("end\r");
    EXPECT_EQ(p.run({file}), 0);
    EXPECT_EQ(p.console.restoreCalls, 1);
    EXPECT_EQ(p.console.leaveCalls, 0);
    EXPECT_NE(ReadAll(p.settingsFile()).find("tabs=0"), std::string::npos);

    EXPECT_EQ(p.console.rowText(0).substr(0, 6), "Peekra");
    EXPECT_EQ(p.console.rowText(0).substr(7, file.size()), file);
    EXPECT_EQ(p.console.rowText(2).substr(0, 11), "COMMAND ==>");
    EXPECT_EQ(p.console.rowText(3).substr(0, 5), "hello");
    EXPECT_EQ(p.console.rowText(24).substr(0, 5), "1Help");
    EXPECT_EQ(pk::program.dataRows, 21);
    EXPECT_EQ(pk::program.hexPageBytes, 336);
    EXPECT_EQ(pk::program.viewCells, nullptr);  // released
    EXPECT_EQ(pk::program.savedCells, nullptr);
    EXPECT_EQ(p.console.cursorSizes.front(), 12);
}

TEST(MainLoop, ZReadFailureAndSignalsEndTheirWays) {
    struct Case { const char* typed; bool signal; bool leave; };
    const Case cases[] = {
        {"z\r", false, true},   // the last page stays, without its key line
        {"", false, true},      // the input ended: as Z
        {"", true, false},      // SIGTERM/SIGHUP: as End
        {"quit\r", false, false},
    };
    for (const Case& c : cases) {
        Program p;
        std::string file = p.dir.write("a.txt", "text\n");
        p.console.text(c.typed);
        p.console.setEndRequested(c.signal);
        EXPECT_EQ(p.run({file}), 0) << c.typed;
        EXPECT_EQ(p.console.leaveCalls, c.leave ? 1 : 0) << c.typed;
        EXPECT_EQ(p.console.restoreCalls, c.leave ? 0 : 1) << c.typed;
        EXPECT_TRUE(std::filesystem::exists(p.settingsFile())) << c.typed;
        if (c.leave) {
            EXPECT_TRUE(p.console.lastDropLastLine);
            EXPECT_EQ(p.console.rowText(24).substr(0, 80), std::string(80, ' '));
            EXPECT_EQ(p.console.cursor.x, 0);
            EXPECT_EQ(p.console.cursor.y, 24);
        }
    }
}

TEST(MainLoop, TitleFollowsTheCurrentFile) {
    Program p;
    std::string longName = p.dir.write(std::string(60, 'd') + "/" + std::string(40, 'n') + ".txt", "x\n");
    std::string other = p.dir.write("b.txt", "y\n");
    p.console.key(0x44);  // F10: the next file, then its name on the next cycle
    p.console.text("end\r");
    EXPECT_EQ(p.run({other, longName}), 0);
    EXPECT_EQ(p.console.rowText(0).substr(7, other.size()), other);

    Program q;  // a long path shows its last 73 characters
    longName = q.dir.write(std::string(60, 'd') + "/" + std::string(40, 'n') + ".txt", "x\n");
    q.console.text("end\r");
    q.run({longName});
    EXPECT_EQ(q.console.rowText(0).substr(7, 73), longName.substr(longName.size() - 73));
}

TEST(MainLoop, FailedStartUpsExitTwoAndWriteNothing) {
    {
        Program p;
        p.dir.write("appdata/pk/pk.ini", "[common]\ntabs=1\n");
        EXPECT_EQ(p.run({}), 2);
        EXPECT_NE(p.out.find("Please include a filename on the command line."), std::string::npos);
        EXPECT_EQ(ReadAll(p.settingsFile()), "[common]\ntabs=1\n");
        EXPECT_EQ(p.console.openCalls, 0);
    }
    {
        Program p;
        EXPECT_EQ(p.run({p.dir / "missing.txt"}), 2);
        EXPECT_FALSE(std::filesystem::exists(p.settingsFile()));
    }
    {
        Program p;
        EXPECT_EQ(p.run({"--version"}), 0);
        EXPECT_EQ(p.run({"-?"}), 0);
    }
    {
        Program p;
        p.console.failOpen = ENOTTY;
        EXPECT_EQ(p.run({p.dir.write("a.txt", "a")}), 2);
        EXPECT_EQ(p.out, "fullinit error, rc = " + std::to_string(ENOTTY) + "\n");
    }
    {
        Program p(79, 20);  // too small, and it cannot grow
        p.console.refuseWindow = true;
        p.console.failCode = ERANGE;
        EXPECT_EQ(p.run({p.dir.write("a.txt", "a")}), 2);
        EXPECT_NE(p.out.find("at least 80 columns by 24 rows; it is 79 columns by 20 rows"), std::string::npos);
        EXPECT_NE(p.out.find("fullinit error, rc = " + std::to_string(ERANGE) + "\n"), std::string::npos);
    }
}

TEST(MainLoop, SettingsOutliveARunAndAFailedWriteGivesOne) {
    Program p;
    std::string file = p.dir.write("a.txt", "text\n");
    p.console.text("tabs\r");
    p.console.text("end\r");
    EXPECT_EQ(p.run({file}), 0);
    EXPECT_NE(ReadAll(p.settingsFile()).find("tabs=1"), std::string::npos);

    pk::settings.tabsOn = 0;
    p.console.text("end\r");
    EXPECT_EQ(p.run({file}), 0);
    EXPECT_EQ(pk::settings.tabsOn, 1u);  // read back at start-up

    std::filesystem::remove(p.settingsFile());
    std::filesystem::create_directory(p.settingsFile());  // cannot be replaced
    p.console.text("end\r");
    EXPECT_EQ(p.run({file}), 1);
}

}  // namespace
