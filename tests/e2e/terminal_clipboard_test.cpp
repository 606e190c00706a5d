// Ctrl+V's clipboard read through the terminal console: the tools are tried
// in order, only when on PATH, each within a time limit, and none is left
// behind as a process.
#include <gtest/gtest.h>

#include "harness/keys_demo.h"

namespace {

using pktest::KeysDemo;

struct ClipCase {
    const char* name;
    std::vector<std::pair<std::string, std::string>> stubs;  // name, script body
    std::vector<std::string> env;
    std::string shown;
};

TEST(TerminalClipboard, ToolsAreTriedInOrder) {
    const ClipCase cases[] = {
        {"no tool at all", {}, {}, "CLIP none kids=none"},
        {"wl-paste first, with its option",
         {{"wl-paste", "[ \"$1\" = --no-newline ] && printf 'from wl'"}, {"xclip", "printf 'from xclip'"}},
         {},
         "CLIP ok [from wl] kids=none"},
        {"failing and empty tools are skipped",
         {{"wl-paste", "printf 'partial'; exit 1"}, {"xclip", "exit 0"}, {"xsel", "[ \"$1\" = -ob ] && printf 'from xsel'"}},
         {},
         "CLIP ok [from xsel] kids=none"},
        {"a tool that hangs is stopped after a second",
         {{"wl-paste", "sleep 30"}, {"xclip", "printf 'after the hang'"}},
         {},
         "CLIP ok [after the hang] kids=none"},
        {"a tool that reads stdin gets nothing", {{"xclip", "read line; printf 'got[%s]' \"$line\""}}, {},
         "CLIP ok [got[]] kids=none"},
        {"tmux only inside tmux", {{"tmux", "printf 'tmux buffer'"}}, {}, "CLIP none kids=none"},
        {"tmux's buffer inside tmux",
         {{"tmux", "[ \"$1 $2\" = 'save-buffer -' ] && printf 'tmux buffer'"}},
         {"TMUX=/tmp/fake,1,0"},
         "CLIP ok [tmux buffer] kids=none"},
    };
    for (const ClipCase& c : cases) {
        KeysDemo d;
        for (const auto& [name, body] : c.stubs) d.term.addStub(name, body);
        // The machine's own tools must not answer: the stub folder holds a
        // failing stand-in for each tool the case does not name.
        for (const char* tool : {"wl-paste", "xclip", "xsel", "tmux"}) {
            bool named = false;
            for (const auto& s : c.stubs) named = named || s.first == tool;
            if (!named) d.term.addStub(tool, "exit 1");
        }
        ASSERT_TRUE(d.start(c.env)) << c.name;
        EXPECT_TRUE(d.expect("\x16", {"KEY vk=56 sc=2F ch=16 st=0008"})) << c.name;
        EXPECT_TRUE(d.term.waitFor(c.shown, 5000, 24)) << c.name << "\n" << d.term.screenText();
    }
}

}  // namespace
