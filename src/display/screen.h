// The main screen: the title, status and key-label panels, the routines that
// fill and redraw their variable fields, and the switch between text and hex
// view.
#pragma once

#include "panel/panel.h"

namespace pk {

extern PanelField TitlePanel[];
extern PanelField StatusPanel[];
extern PanelField KeysPanel[];
constexpr int KEYS_FIELD_COUNT = 24;

void ShowFileName();
void ShowStatus();
void ShowScrollAmount();
void ToggleView();

}  // namespace pk
