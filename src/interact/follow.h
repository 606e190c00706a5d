// Following files while pk shows them: taking up what the background count
// and arriving input bring, noticing a file that changed on disk, the watch
// mode that keeps the view at a growing file's end, and the "wait..." for
// the count that Esc or Ctrl+C abandons.
#pragma once

#include <cstdint>

#include "files/file_change.h"

namespace pk {

struct FollowState {
    bool watching = false;  // the current file's view follows its end
};

extern FollowState follow;

void ResetFollow();
// How often the keyboard loop should look at the files while it waits for a
// key, in milliseconds.
int TickInterval();
// Takes up what changed in the current file since the last look and sets
// the message that says so. True when the data area must be drawn again.
bool FollowChanges();
// The watch command: the current file follows its end from now on.
uint32_t StartWatching();
void StopWatching();
// The count waiter of the screen (SetCountWaiter): "wait..." in the message
// field until the count has what need asks; Esc or Ctrl+C abandons it.
bool WaitForCount(FileEntry& entry, CountNeed need);

}  // namespace pk
