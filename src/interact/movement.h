// View movement shared by keys and commands: scroll by lines, bytes and
// columns, top, bottom, line numbers and offsets. Each returns 1 when the
// view moved and 0 after a beep, changing nothing.
#pragma once

#include <cstdint>

namespace pk {

int ScrollDown(uint32_t n);
int ScrollUp(uint32_t n);
int ScrollLeft(uint32_t n);
int ScrollRight(uint32_t n);
int GoTop();
int GoBottom();
int GoToLine(uint32_t n);
int GoToOffset(uint32_t v);
void SyncFindStart();

}  // namespace pk
