// Without a terminal to show a screen on (cron, CI, ssh without a
// terminal), pk copies what it was given to standard output: the
// files its names loaded, read again from their paths, and standard input,
// streamed as it arrives. Compressed data is copied decompressed.
#pragma once

#include <vector>

#include "files/file_table.h"

namespace pk {

// In a copy list, standard input's place among the loaded slots.
constexpr int COPY_STANDARD_INPUT = -1;

enum CopyResult : int {
    COPY_DONE = 0,
    COPY_FAILED = 1,   // a read or the output failed; the reason went to standard error
    COPY_NOTHING = 2,  // only an empty standard input was given
};

// Whether there is a terminal to show a screen on: the controlling
// terminal opens. Standard output may go anywhere.
bool TerminalOpens();
// Puts standard input into the copy list (once): LOAD_OK, or, with a
// terminal as standard input, LOAD_INPUT_IS_TERMINAL after its message.
LoadResult StandardInputForCopy(std::vector<int>& copy);
// Writes each entry of the list to standard output in order: a slot's file
// from its path in blocks, standard input as it arrives (an empty one says
// so on standard error).
CopyResult CopyToOutput(const std::vector<int>& copy);

}  // namespace pk
