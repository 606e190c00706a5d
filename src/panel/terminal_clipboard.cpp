// Clipboard tools run as child processes (see terminal_clipboard.h), one
// after another within one second in all: a tool that fails, gives nothing
// or runs out of time moves on to the next while time is left.
#include "panel/terminal_clipboard.h"

#include <cstdlib>
#include <vector>

#include "panel/process.h"

namespace pk {

namespace {

constexpr auto kLimit = std::chrono::seconds(1);
constexpr size_t kMaxBytes = 1 << 20;

// A tool's program and arguments; unused places stay null.
struct Tool {
    const char* argv[4];
    bool onlyInTmux;
};
constexpr Tool kTools[] = {{{"wl-paste", "--no-newline"}, false},
                           {{"xclip", "-o", "-selection", "clipboard"}, false},
                           {{"xsel", "-ob"}, false},
                           {{"tmux", "save-buffer", "-"}, true}};

bool RunTool(const Tool& tool, Deadline until, std::string& text) {
    std::string path;
    if (!FindProgram(tool.argv[0], path)) return false;
    std::vector<std::string> argv;
    for (const char* arg : tool.argv)
        if (arg != nullptr) argv.push_back(arg);
    std::string out;
    if (RunForOutput(path, argv, until, kMaxBytes, out) != 0 || out.empty()) return false;
    text = std::move(out);
    return true;
}

}  // namespace

bool ReadSystemClipboard(std::string& text) {
    const Deadline until = std::chrono::steady_clock::now() + kLimit;
    const bool inTmux = getenv("TMUX") != nullptr;
    for (const Tool& tool : kTools) {
        if (std::chrono::steady_clock::now() >= until) break;
        if (tool.onlyInTmux && !inTmux) continue;
        if (RunTool(tool, until, text)) return true;
    }
    return false;
}

}  // namespace pk
