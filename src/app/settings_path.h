// Where the settings file lives: the first usable of $APPDATA/pk,
// $XDG_CONFIG_HOME/pk and $HOME/.config/pk; with none of them usable, no
// settings file at all (the settings hold for this run only).
#pragma once

#include <cstdint>

namespace pk {

// Creates path and its missing parents. An existing folder is no failure;
// anything else (an existing non-folder included) is, with its errno.
bool MakeFolders(const char* path, uint32_t& error);
// Settles program.settingsPath, creating the settings folder. Without a
// usable folder it stays empty, after one line on standard error saying why.
void SetSettingsPath();

}  // namespace pk
