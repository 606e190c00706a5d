// The settings file: the find string and the tab setting between runs.
#pragma once

namespace pk {

// Forget the values read at start-up (start of a run).
void ResetStoredSettings();
void ReadSettings();
// Writes what this run changed; 1 when the settings file was written, 0 when
// it could not be (or is no regular file: it is then left as it is).
int WriteSettings();

}  // namespace pk
