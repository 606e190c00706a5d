// Reading the system clipboard for the terminal console: the clipboard
// tools wl-paste, xclip, xsel and (inside tmux) tmux's paste buffer, each
// tried in turn if it is on PATH, one second in all.
#pragma once

#include <string>

namespace pk {

// The first non-empty text a tool gives with exit status 0; false when none.
bool ReadSystemClipboard(std::string& text);

}  // namespace pk
