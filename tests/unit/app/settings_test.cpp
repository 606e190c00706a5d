// The settings file on disk: first run, round trips of the find string and
// the tab setting, foreign content kept, and a failed write losing nothing.
#include "app/settings.h"

#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <cstring>
#include <filesystem>

#include "files/state.h"
#include "temp_dir.h"

namespace {

using pktest::ReadAll;

class SettingsTest : public testing::Test {
protected:
    void SetUp() override {
        pk::settings = pk::Settings{};
        std::snprintf(pk::program.settingsPath, sizeof pk::program.settingsPath, "%s", path.c_str());
    }
    void SetFind(std::string_view bytes) {
        pk::settings.findLength = uint16_t(bytes.size());
        std::memcpy(pk::settings.findString, bytes.data(), bytes.size());
    }
    std::string Find() const {
        return std::string(reinterpret_cast<const char*>(pk::settings.findString), pk::settings.findLength);
    }
    void ReadFresh() {
        pk::settings = pk::Settings{};
        pk::ReadSettings();
    }

    pktest::TempDir dir;
    std::string path = dir / "pk.ini";
};

TEST_F(SettingsTest, FirstRunAndRoundTrips) {
    pk::ReadSettings();
    EXPECT_EQ(pk::settings.findLength, 0);
    EXPECT_EQ(pk::settings.tabsOn, 0u);
    EXPECT_EQ(pk::WriteSettings(), 1);
    EXPECT_EQ(ReadAll(path), "[common]\ntabs=0\n");

    // A find string holding a zero byte comes back unchanged.
    SetFind(std::string("a\0\xff", 3));
    pk::settings.tabsOn = 1;
    EXPECT_EQ(pk::WriteSettings(), 1);
    EXPECT_EQ(ReadAll(path), "[common]\ntabs=1\nflen=3\nfind=6100FF60\n");
    ReadFresh();
    EXPECT_EQ(Find(), std::string("a\0\xff", 3));
    EXPECT_EQ(pk::settings.tabsOn, 1u);

    // A run that never sets a find string keeps the stored one.
    pk::settings = pk::Settings{};
    EXPECT_EQ(pk::WriteSettings(), 1);
    EXPECT_EQ(ReadAll(path), "[common]\ntabs=0\nflen=3\nfind=6100FF60\n");
    ReadFresh();
    EXPECT_EQ(Find(), std::string("a\0\xff", 3));

    // The longest find string.
    SetFind(std::string(pk::FIND_MAX, '\x7f'));
    EXPECT_EQ(pk::WriteSettings(), 1);
    ReadFresh();
    EXPECT_EQ(Find(), std::string(pk::FIND_MAX, '\x7f'));
    EXPECT_FALSE(std::filesystem::exists(path + ".tmp"));
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 1) << "no temporary left";
}

TEST_F(SettingsTest, StoredValuesReadLeniently) {
    struct Case {
        const char* text;
        uint16_t findLength;
        std::string find;
        uint32_t tabs;
    } cases[] = {
        {"[common]\ntabs=5\n", 0, "", 1},
        {"[COMMON]\r\n Tabs = -1 \r\n FLEN = 2 \r\nfind = 616263C4\r\n", 2, "", 1},  // wrong length
        {"[common]\nflen=2\nfind=6162C3\n", 2, "ab", 0},
        {"[common]\nflen=2\nfind=6162C4\n", 2, std::string(2, '\0'), 0},  // wrong checksum
        {"[common]\nflen=2\n", 2, std::string(2, '\0'), 0},                // no find
        {"[common]\nflen=251\nfind=00\n", 0, "", 0},                       // beyond the buffer
        {"[common]\nflen=65538\nfind=6162C3\n", 2, "ab", 0},               // low 16 bits
        {"[other]\ntabs=1\nflen=2\nfind=6162C3\n", 0, "", 0},
        {"garbage\0\xff\n", 0, "", 0},
    };
    for (const Case& c : cases) {
        std::ofstream(path, std::ios::binary | std::ios::trunc) << c.text;
        std::memset(pk::settings.findString, 0x55, sizeof pk::settings.findString);
        pk::ReadSettings();
        EXPECT_EQ(pk::settings.findLength, c.findLength) << c.text;
        EXPECT_EQ(pk::settings.tabsOn, c.tabs) << c.text;
        if (c.find.size() == c.findLength) {
            EXPECT_EQ(Find(), c.find) << c.text;
        } else {
            EXPECT_EQ(pk::settings.findString[0], 0) << c.text;
        }
    }
    // "tabs" stored as 5 is written back as 1.
    std::ofstream(path, std::ios::trunc) << "[common]\ntabs=5\n";
    pk::ReadSettings();
    EXPECT_EQ(pk::WriteSettings(), 1);
    EXPECT_EQ(ReadAll(path), "[common]\ntabs=1\n");
}

TEST_F(SettingsTest, ForeignContentIsKeptAndKeysReplacedInPlace) {
    const std::string before =
        "; my settings\n[other]\nx=1\n[Common]\r\nTABS = 0\r\nfoo=bar\r\n\n[last]\nflen=9\n";
    std::ofstream(path, std::ios::binary) << before;
    SetFind("ab");
    pk::settings.tabsOn = 1;
    EXPECT_EQ(pk::WriteSettings(), 1);
    EXPECT_EQ(ReadAll(path),
              "; my settings\n[other]\nx=1\n[Common]\r\ntabs=1\r\nfoo=bar\r\nflen=2\r\nfind=6162C3\r\n\n[last]\nflen=9\n");
    // Through a link, the file linked to is replaced and the link stays.
    std::string target = dir.write("real/pk.ini", "[common]\ntabs=0\n");
    std::filesystem::remove(path);
    std::filesystem::create_symlink(target, path);
    pk::settings = pk::Settings{};
    pk::settings.tabsOn = 1;
    EXPECT_EQ(pk::WriteSettings(), 1);
    EXPECT_TRUE(std::filesystem::is_symlink(path));
    EXPECT_EQ(ReadAll(target), "[common]\ntabs=1\n");
}

TEST_F(SettingsTest, FailedWriteLeavesTheOldFileWhole) {
    const std::string old = "[common]\ntabs=1\nflen=1\nfind=7878\n";
    std::ofstream(path, std::ios::binary) << old;
    // A file size limit makes the new file's write fail part way.
    pid_t pid = fork();
    if (pid == 0) {
        signal(SIGXFSZ, SIG_IGN);
        struct rlimit limit = {40, 40};
        setrlimit(RLIMIT_FSIZE, &limit);
        pk::settings = pk::Settings{};
        pk::settings.findLength = pk::FIND_MAX;
        _exit(pk::WriteSettings() == 0 ? 0 : 1);
    }
    int status = 0;
    waitpid(pid, &status, 0);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    EXPECT_EQ(ReadAll(path), old);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 1) << "no temporary left";

    // A settings path whose folder is a regular file cannot be written.
    std::string file = dir.write("plain", "x");
    std::snprintf(pk::program.settingsPath, sizeof pk::program.settingsPath, "%s/pk.ini", file.c_str());
    EXPECT_EQ(pk::WriteSettings(), 0);
    pk::ReadSettings();
    EXPECT_EQ(pk::settings.tabsOn, 0u);
    EXPECT_EQ(ReadAll(file), "x");
}

}  // namespace
