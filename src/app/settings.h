// The settings file: the find string and the tab setting between runs.
#pragma once

namespace pk {

void ReadSettings();
// 1 when the final write (of "tabs") succeeded, 0 when it failed.
int WriteSettings();

}  // namespace pk
