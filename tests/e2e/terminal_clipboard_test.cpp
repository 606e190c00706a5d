// Ctrl+V's clipboard read through the terminal console: the tools are tried
// in order, only when on PATH, with their own arguments, within one second
// in all, and none is left behind as a process.
#include <gtest/gtest.h>

#include <map>

#include "harness/keys_demo.h"

namespace {

// Each tool's arguments as "count:arguments"; a stub called otherwise fails.
const std::map<std::string, std::string> kArguments = {
    {"wl-paste", "1:--no-newline"}, {"xclip", "3:-o -selection clipboard"}, {"xsel", "1:-ob"}, {"tmux", "2:save-buffer -"}};

TEST(TerminalClipboard, ToolsAreTriedInOrderWithinOneSecondInAll) {
    // stubs: tool and script body; a tool not named fails
    struct Case { std::map<std::string, std::string> stubs; std::vector<std::string> env; std::string shown; };
    const Case cases[] = {
        {{}, {}, "CLIP none"},
        {{{"wl-paste", "printf 'from wl'"}, {"xclip", "printf 'from xclip'"}}, {}, "CLIP ok [from wl]"},
        {{{"wl-paste", "printf 'partial'; exit 1"}, {"xclip", "exit 0"}, {"xsel", "printf 'from xsel'"}},
         {},
         "CLIP ok [from xsel]"},  // failing and empty tools are skipped
        {{{"xclip", "read line; printf 'got[%s]' \"$line\""}}, {}, "CLIP ok [got[]]"},  // stdin gives nothing
        {{{"wl-paste", "sleep 30"}, {"xclip", "printf 'too late'"}}, {}, "CLIP none"},  // the hang took the second
        {{{"tmux", "printf 'tmux buffer'"}}, {}, "CLIP none"},  // tmux only inside tmux
        {{{"tmux", "printf 'tmux buffer'"}}, {"TMUX=/tmp/fake,1,0"}, "CLIP ok [tmux buffer]"},
    };
    for (const Case& c : cases) {
        pktest::KeysDemo d;
        for (const auto& [tool, arguments] : kArguments)  // the machine's own tools must not answer
            d.term.addStub(tool, c.stubs.count(tool) ? "[ \"$#:$*\" = '" + arguments + "' ] || exit 9; " + c.stubs.at(tool)
                                                     : "exit 1");
        ASSERT_TRUE(d.start(c.env)) << c.shown;
        EXPECT_TRUE(d.expect("\x16", {pktest::KeyText('V', pk::SCAN_V, 0x16, pk::LEFT_CTRL_PRESSED)})) << c.shown;
        EXPECT_TRUE(d.term.waitFor(c.shown + " kids=none", 5000, 24)) << c.shown << "\n" << d.term.screenText();
    }
}

}  // namespace
