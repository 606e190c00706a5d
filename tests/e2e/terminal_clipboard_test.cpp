// Ctrl+V's clipboard read through the terminal console: the tools are tried
// in order, only when on PATH, each within a time limit, and none is left
// behind as a process.
#include <gtest/gtest.h>

#include <map>

#include "harness/keys_demo.h"

namespace {

TEST(TerminalClipboard, ToolsAreTriedInOrder) {
    struct Case {
        std::map<std::string, std::string> stubs;  // tool, script body; a tool not named fails
        std::vector<std::string> env;
        std::string shown;
    };
    const Case cases[] = {
        {{}, {}, "CLIP none"},
        {{{"wl-paste", "[ \"$1\" = --no-newline ] && printf 'from wl'"}, {"xclip", "printf 'from xclip'"}}, {}, "CLIP ok [from wl]"},
        {{{"wl-paste", "printf 'partial'; exit 1"}, {"xclip", "exit 0"}, {"xsel", "[ \"$1\" = -ob ] && printf 'from xsel'"}},
         {},
         "CLIP ok [from xsel]"},  // failing and empty tools are skipped
        {{{"wl-paste", "sleep 30"}, {"xclip", "printf 'after the hang'"}}, {}, "CLIP ok [after the hang]"},
        {{{"xclip", "read line; printf 'got[%s]' \"$line\""}}, {}, "CLIP ok [got[]]"},  // stdin gives nothing
        {{{"tmux", "printf 'tmux buffer'"}}, {}, "CLIP none"},  // tmux only inside tmux
        {{{"tmux", "[ \"$1 $2\" = 'save-buffer -' ] && printf 'tmux buffer'"}}, {"TMUX=/tmp/fake,1,0"}, "CLIP ok [tmux buffer]"},
    };
    for (const Case& c : cases) {
        pktest::KeysDemo d;
        for (const char* tool : {"wl-paste", "xclip", "xsel", "tmux"})  // the machine's own tools must not answer
            d.term.addStub(tool, c.stubs.count(tool) ? c.stubs.at(tool) : "exit 1");
        ASSERT_TRUE(d.start(c.env)) << c.shown;
        EXPECT_TRUE(d.expect("\x16", {pktest::KeyText('V', pk::SCAN_V, 0x16, pk::LEFT_CTRL_PRESSED)})) << c.shown;
        EXPECT_TRUE(d.term.waitFor(c.shown + " kids=none", 5000, 24)) << c.shown << "\n" << d.term.screenText();
    }
}

}  // namespace
