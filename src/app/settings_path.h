// Where the settings file lives: the first usable of $APPDATA/pk,
// $XDG_CONFIG_HOME/pk and $HOME/.config/pk, else the program's own folder.
#pragma once

#include <cstddef>
#include <cstdint>

namespace pk {

// Creates path and its missing parents. An existing folder is no failure;
// anything else (an existing non-folder included) is, with its errno.
bool MakeFolders(const char* path, uint32_t& error);
// The folder of the running program (/proc/self/exe), else the current
// directory, else ".".
void ProgramFolder(char* out, size_t outSize);
// Settles program.settingsPath, creating the settings folder; prints the
// creation failure message once and falls back to the program's folder.
void SetSettingsPath();

}  // namespace pk
