// The command line end to end with the built pk: no argument, help options
// and texts that only look like them, --version, loading failures with their
// long messages, an unusable settings folder, and the settings file a whole
// run leaves behind.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <string>

#include "harness/process.h"
#include "harness/pty_term.h"
#include "temp_dir.h"

namespace {

using pktest::RunResult;

const std::string kUsage =
    " \n"
    "Peekra Version 1.3.3.0\n"
    "Written for viewing files whole, read-only, in a terminal.\n"
    " \n"
    "Peekra is a program used to view disk files, in either text or\n"
    "hexadecimal format. Command syntax:\n"
    " \n"
    "        pk  [d:][path]filename[.ext]\n";

RunResult Pk(std::vector<std::string> args, const pktest::TempDir& dir, std::vector<std::string> env = {}) {
    args.insert(args.begin(), PK_BINARY);
    env.push_back("APPDATA=" + dir.path() + "/appdata");
    return pktest::Run(args, env, dir.path());
}

TEST(StartUp, NoArgumentHelpAndVersion) {
    pktest::TempDir dir;
    RunResult none = Pk({}, dir);
    EXPECT_EQ(none.out, "\nPlease include a filename on the command line.\n");
    EXPECT_EQ(none.exitCode, 2);
    // The settings folder was settled first; nothing was written after the
    // failed start.
    EXPECT_TRUE(std::filesystem::is_directory(dir / "appdata/pk"));
    EXPECT_FALSE(std::filesystem::exists(dir / "appdata/pk/pk.ini"));

    for (const char* option : {"?", "/?", "-?", "/h", "-h", "/H", "-H", "--help"}) {
        RunResult r = Pk({option, "other.txt"}, dir);
        EXPECT_EQ(r.out, kUsage) << option;
        EXPECT_EQ(r.exitCode, 0) << option;
    }
    RunResult version = Pk({"--version"}, dir);
    EXPECT_EQ(version.out, "Peekra Version 1.3.3.0\n");
    EXPECT_EQ(version.exitCode, 0);
}

TEST(StartUp, LookalikesAndLaterHelpOptionsAreFileNames) {
    pktest::TempDir dir;
    dir.write("other.txt", "x\n");
    for (const char* text : {"/help", "/HELP", "-?x", "--HELP", "h"}) {
        RunResult r = Pk({text}, dir);
        std::string full = text[0] == '/' ? std::string(text) : dir.path() + "/" + text;
        EXPECT_EQ(r.out, "File " + full + " not found.\n") << text;
        EXPECT_EQ(r.exitCode, 2) << text;
    }
    // other.txt loads, then "/h" is a name in the root folder.
    RunResult later = Pk({"other.txt", "/h"}, dir);
    EXPECT_EQ(later.out, "File /h not found.\n");
    EXPECT_EQ(later.exitCode, 2);
}

TEST(StartUp, FirstFailingArgumentEndsStartUp) {
    pktest::TempDir dir;
    dir.write("a.txt", "a\n");
    dir.write("empty.txt", "");
    struct Case {
        std::vector<std::string> args;
        std::string out;
    } cases[] = {
        {{"a.txt", "missing.txt", "nowhere/x"}, "File " + (dir / "missing.txt") + " not found.\n"},
        {{"nowhere/x", "a.txt"}, "Path " + (dir / "nowhere/x") + " not found.\n"},
        {{"a.txt", "empty.txt"}, "File " + (dir / "empty.txt") + " is empty.\n"},
        {{"/dev/null"}, "Error opening /dev/null, rc = 19\n"},
    };
    for (const Case& c : cases) {
        RunResult r = Pk(c.args, dir);
        EXPECT_EQ(r.out, c.out) << c.args[0];
        EXPECT_EQ(r.exitCode, 2) << c.args[0];
    }
    // A name longer than the system's path limit is refused, not cut.
    std::string longName(PATH_MAX + 10, 'n');
    RunResult tooLong = Pk({longName}, dir);
    EXPECT_EQ(tooLong.out, "GetFullPathName error, rc = 36, file = " + longName + ".\n");
    EXPECT_EQ(tooLong.exitCode, 2);
}

TEST(StartUp, UnusableSettingsFolderFallsBackToTheProgramsFolder) {
    pktest::TempDir dir;
    std::string plain = dir.write("plain.txt", "not a folder");
    RunResult r = pktest::Run({PK_BINARY}, {"APPDATA=" + plain}, dir.path());
    EXPECT_EQ(r.out, "Could not create application data folder " + plain +
                         "/pk, system return code 20\n"
                         "\nPlease include a filename on the command line.\n");
    EXPECT_EQ(r.exitCode, 2);
    // Without APPDATA, the XDG folder is used and created with its parents.
    RunResult xdg = pktest::Run({PK_BINARY, "--version"}, {"APPDATA", "XDG_CONFIG_HOME=" + dir.path() + "/x/y"}, dir.path());
    EXPECT_EQ(xdg.out, "Peekra Version 1.3.3.0\n");
    EXPECT_TRUE(std::filesystem::is_directory(dir / "x/y/pk"));

    // A whole run then keeps its settings beside the program.
    std::string besideProgram = std::filesystem::path(PK_BINARY).parent_path().string() + "/pk.ini";
    bool existed = std::filesystem::exists(besideProgram);
    dir.write("a.txt", "shown\n");
    pktest::PtyTerm t(25, 80);
    ASSERT_TRUE(t.start({PK_BINARY, "a.txt"}, {"APPDATA=" + plain}, dir.path()));
    ASSERT_TRUE(t.waitFor("shown", 10000)) << t.screenText();
    t.send("end\r");
    EXPECT_EQ(t.exitCode(10000), 0);
    EXPECT_NE(pktest::ReadAll(besideProgram).find("[common]"), std::string::npos);
    if (!existed) std::filesystem::remove(besideProgram);
}

// A whole run: two files load, the second is shown, and quitting writes the
// settings file with the section and the tab setting.
TEST(StartUp, WholeRunWritesTheSettingsFile) {
    pktest::TempDir dir;
    dir.write("a.txt", "first file\n");
    std::string b = dir.write("b.txt", "second file\n");
    pktest::PtyTerm t(25, 80);
    std::string appdata = dir / "appdata";
    ASSERT_TRUE(t.start({PK_BINARY, "a.txt", "b.txt"}, {"APPDATA=" + appdata}, dir.path()));
    ASSERT_TRUE(t.waitFor("second file", 10000)) << t.screenText();
    EXPECT_NE(t.screenText().find(b), std::string::npos) << t.screenText();
    t.send("end\r");
    EXPECT_EQ(t.exitCode(10000), 0);
    EXPECT_EQ(pktest::ReadAll(appdata + "/pk/pk.ini"), "[common]\ntabs=0\n");

    // A second run keeps what is there and finds its own keys.
    std::ofstream(appdata + "/pk/pk.ini", std::ios::trunc) << "; mine\n[common]\ntabs=5\nflen=1\nfind=7878\n";
    pktest::PtyTerm again(25, 80);
    ASSERT_TRUE(again.start({PK_BINARY, "a.txt"}, {"APPDATA=" + appdata}, dir.path()));
    ASSERT_TRUE(again.waitFor("first file", 10000)) << again.screenText();
    again.send("end\r");
    EXPECT_EQ(again.exitCode(10000), 0);
    EXPECT_EQ(pktest::ReadAll(appdata + "/pk/pk.ini"), "; mine\n[common]\ntabs=1\nflen=1\nfind=7878\n");
}

}  // namespace
