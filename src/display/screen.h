// The main screen: the title, status and key-label panels, the routines that
// fill and redraw their variable fields, and the switch between text and hex
// view.
#pragma once

#include "display/key_labels.h"
#include "panel/panel.h"

namespace pk {

extern PanelField TitlePanel[];
extern PanelField StatusPanel[];
// KEYS_FIELD_COUNT fields: each key's number and caption (key_labels.h).
extern PanelField* const KeysPanel;

void ShowFileName();
void ShowStatus();
void ShowScrollAmount();
void ToggleView();

}  // namespace pk
