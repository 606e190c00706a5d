// State and helpers shared by the panel library's own files: the one
// ConsoleState, the attribute table and the initialisation status.
#pragma once

#include <vector>

#include "panel/panel.h"

namespace pk::panel_detail {

struct PanelLibrary {
    ConsoleState state;
    uint8_t attributes[ATTRIBUTE_COUNT];
    int32_t status = -1;  // -1 uninitialised, 0 once fullinit succeeded
    bool opened = false;  // the console's open() has succeeded
    // Text the terminal pasted while the library read keys: no key for a
    // panel, so it is kept and handed back to the console afterwards.
    std::vector<InputRecord> heldPastes;
    bool resized = false;  // the key reader met a resize (see TakeResized)
};

PanelLibrary& Library();
inline ConsoleState& State() { return Library().state; }
inline Console& Con() { return *Library().state.console; }

// Keep the console's error code of a failed call in the ConsoleState.
void StoreError();
// Store the console's error code and give back the failure result.
template <class T>
T Failed(T result) {
    StoreError();
    return result;
}

// What the input step returns for a key reader that came back without a
// key: PNL_RESIZED after a resize, else 0 (a failed read).
uint32_t TakeResized();

// An input field is any field that is not protected.
inline bool IsInputField(const PanelField& f) { return (f.flags & FLD_PROTECTED) == 0; }

// Draw a field unless the step rule skips it: FLD_NODISPLAY while the panel
// is being displayed (step 1), FLD_NOECHO during input (step 2), width 0.
void DrawByStepRule(const PanelField& f);

// The input step of fullpanel: the editor for a panel with an input field,
// else a wait for an ending key.
uint32_t InputStep(uint32_t flags, int count, PanelField* panel);

}  // namespace pk::panel_detail
