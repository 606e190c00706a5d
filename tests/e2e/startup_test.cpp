// The command line end to end with the built pk: no argument, help options
// and texts that only look like them, --version, loading failures with their
// long messages, an unusable settings folder, and the settings file whole
// runs leave behind.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <string>

#include "harness/process.h"
#include "harness/pty_term.h"
#include "temp_dir.h"

namespace {

const std::string kUsage =
    " \nPeekra Version 1.3.3.0\nWritten for viewing files whole, read-only, in a terminal.\n \n"
    "Peekra is a program used to view disk files, in either text or\nhexadecimal format. Command syntax:\n \n"
    "        pk  [d:][path]filename[.ext]\n";

// Runs pk on args in a pty until text shows, then ends it with "end";
// returns the exit status.
int RunAndEnd(std::vector<std::string> args, const std::string& appdata, const std::string& cwd,
              const std::string& text) {
    args.insert(args.begin(), PK_BINARY);
    pktest::PtyTerm t(25, 80);
    if (!t.start(args, {"APPDATA=" + appdata}, cwd)) return -1;
    EXPECT_TRUE(t.waitFor(text, 10000)) << t.screenText();
    t.send("end\r");
    return t.exitCode(10000);
}

// Each command line: standard output and exit status, with no terminal.
TEST(StartUp, CommandLines) {
    pktest::TempDir dir;
    dir.write("other.txt", "x\n");
    dir.write("a.txt", "a\n");
    dir.write("empty.txt", "");
    dir.write("t\x1b]0;X\x07.txt", "");
    const std::string longName(PATH_MAX + 10, 'n');
    struct Case {
        std::vector<std::string> args;
        std::string out;
        int exitCode;
    };
    std::vector<Case> cases = {
        {{}, "\nPlease include a filename on the command line.\n", 2},
        {{"--version"}, "Peekra Version 1.3.3.0\n", 0},
        {{"other.txt", "/h"}, "File /h not found.\n", 2},  // a later help option is a name
        {{"a.txt", "missing.txt", "nowhere/x"}, "File " + (dir / "missing.txt") + " not found.\n", 2},
        {{"nowhere/x", "a.txt"}, "Path " + (dir / "nowhere/x") + " not found.\n", 2},
        {{"a.txt", "empty.txt"}, "File " + (dir / "empty.txt") + " is empty.\n", 2},
        {{"t\x1b]0;X\x07.txt"}, "File " + (dir / "t\\033]0;X\\007.txt") + " is empty.\n", 2},  // no title set
        {{"/dev/null"}, "Error opening /dev/null, rc = 19\n", 2},
        {{longName}, "GetFullPathName error, rc = 36, file = " + longName + ".\n", 2},  // refused, not cut
    };
    for (const char* option : {"?", "/?", "-?", "/h", "-h", "/H", "-H", "--help"})
        cases.push_back({{option, "other.txt"}, kUsage, 0});
    for (const char* text : {"/help", "/HELP", "-?x", "--HELP", "h"})
        cases.push_back({{text}, "File " + (text[0] == '/' ? text : dir / text) + " not found.\n", 2});
    for (Case& c : cases) {
        std::string shown = c.args.empty() ? "(none)" : c.args[0];
        c.args.insert(c.args.begin(), PK_BINARY);
        pktest::RunResult r = pktest::Run(c.args, {"APPDATA=" + dir.path() + "/appdata"}, dir.path());
        EXPECT_EQ(r.out, c.out) << shown;
        EXPECT_EQ(r.exitCode, c.exitCode) << shown;
    }
    // The settings folder was settled first; nothing was written after a
    // failed start.
    EXPECT_TRUE(std::filesystem::is_directory(dir / "appdata/pk"));
    EXPECT_FALSE(std::filesystem::exists(dir / "appdata/pk/pk.ini"));
}

TEST(StartUp, UnusableSettingsFolderFallsBackToTheProgramsFolder) {
    pktest::TempDir dir;
    std::string plain = dir.write("plain.txt", "not a folder");
    pktest::RunResult r = pktest::Run({PK_BINARY}, {"APPDATA=" + plain}, dir.path());
    EXPECT_EQ(r.out, "Could not create application data folder " + plain +
                         "/pk, system return code 20\n\nPlease include a filename on the command line.\n");
    EXPECT_EQ(r.exitCode, 2);
    // Without APPDATA, the XDG folder is used and created with its parents.
    pktest::RunResult xdg =
        pktest::Run({PK_BINARY, "--version"}, {"APPDATA", "XDG_CONFIG_HOME=" + dir.path() + "/x/y"}, dir.path());
    EXPECT_EQ(xdg.out, "Peekra Version 1.3.3.0\n");
    EXPECT_TRUE(std::filesystem::is_directory(dir / "x/y/pk"));

    // A whole run then keeps its settings beside the program.
    std::string besideProgram = std::filesystem::path(PK_BINARY).parent_path().string() + "/pk.ini";
    bool existed = std::filesystem::exists(besideProgram);
    dir.write("a.txt", "shown\n");
    EXPECT_EQ(RunAndEnd({"a.txt"}, plain, dir.path(), "shown"), 0);
    EXPECT_NE(pktest::ReadAll(besideProgram).find("[common]"), std::string::npos);
    if (!existed) {
        std::filesystem::remove(besideProgram);
        std::filesystem::remove(besideProgram + ".lock");
    }
}

// Two files load and the second is shown; ending writes the settings file.
// A second run keeps what else is there and replaces its own keys in place.
TEST(StartUp, WholeRunsWriteTheSettingsFile) {
    pktest::TempDir dir;
    dir.write("a.txt", "first file\n");
    dir.write("b.txt", "second file\n");
    std::string appdata = dir / "appdata", ini = appdata + "/pk/pk.ini";
    EXPECT_EQ(RunAndEnd({"a.txt", "b.txt"}, appdata, dir.path(), dir / "b.txt"), 0);
    EXPECT_EQ(pktest::ReadAll(ini), "[common]\ntabs=0\n");
    std::ofstream(ini, std::ios::trunc) << "; mine\n[x]\ny=1\n[common]\ntabs=5\nflen=1\nfind=7878\n";
    EXPECT_EQ(RunAndEnd({"a.txt"}, appdata, dir.path(), "first file"), 0);
    EXPECT_EQ(pktest::ReadAll(ini), "; mine\n[x]\ny=1\n[common]\ntabs=1\nflen=1\nfind=7878\n");
}

}  // namespace
