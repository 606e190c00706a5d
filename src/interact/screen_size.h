// Following a change of the screen's size while pk runs.
#pragma once

namespace pk {

// Takes the console's present size as if pk had started with it: the
// layout, both cell blocks at the new size, and every file's view position
// kept (a view showing the last page moved by the bottom rule). Drawing is
// left to the caller. False, with the old layout kept, when there is no
// memory for the new cell blocks.
bool FollowScreenSize();

}  // namespace pk
