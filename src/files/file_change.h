// Noticing that a loaded file changed under pk (it grew, shrank, or its name
// now leads to another file) and taking the change up: following growth,
// covering bytes that are gone, reading the file again from its start.
#pragma once

#include "files/file_table.h"

namespace pk {

enum FileChange : int { CHANGE_NONE, CHANGE_GROWN, CHANGE_SHRUNK, CHANGE_REPLACED };

// How the entry's file differs from what was taken up: its size and, through
// its name, its identity. A stream never changes this way. A shrunk file's
// lost bytes are covered (they read as zeros) at once.
FileChange CheckFileChange(FileEntry& entry);
// Takes the change up: growth is mapped and counted on; a shrunk or replaced
// file is read again from its start under its name. False when that fails
// (the entry keeps what it showed).
bool TakeFileChange(FileEntry& entry, FileChange change);

// What an operation needs of the count: the lines of its first `bytes`
// bytes, and more than `lines` lines (0: no line count needed).
struct CountNeed {
    uint64_t bytes = 0;
    uint64_t lines = 0;
};
// Whether the count has what need asks, or will not go further.
bool CountedTo(const FileEntry& entry, CountNeed need);
// Waiting for the count: whoever shows the screen can install a waiter that
// lets the user abandon the wait. It returns false when the wait was
// abandoned; without a waiter the wait blocks until the count is there.
using CountWaiter = bool (*)(FileEntry& entry, CountNeed need);
void SetCountWaiter(CountWaiter waiter);
// Makes sure the entry's count has what need asks, waiting for the
// background count when needed. False: the user abandoned the wait.
bool AwaitCounted(FileEntry& entry, CountNeed need);
// The whole count of the bytes there are now.
CountNeed WholeCount(const FileEntry& entry);

}  // namespace pk
