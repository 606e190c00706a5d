// The main screen: its layout for a screen size, the title, status and
// key-label panels, the routines that fill and redraw their variable fields,
// drawing all of it, and the switch between text and hex view.
#pragma once

#include "display/key_labels.h"
#include "display/screen_layout.h"
#include "panel/panel.h"

namespace pk {

extern PanelField TitlePanel[];
extern PanelField StatusPanel[];
// KEYS_FIELD_COUNT fields: each key's number and caption (key_labels.h).
extern PanelField* const KeysPanel;

// The geometry of a width x height screen: screenWidth, screenHeight,
// dataRows, hexPageBytes, the window, and the key labels on the last row.
void SetScreenLayout(int width, int height);
// The layout of the screen as it stands now (SetScreenLayout's size).
ScreenLayout CurrentLayout();
// The whole main screen, cleared and drawn for the current layout (not the
// command line, which the keyboard loop draws).
void DrawMainScreen();

void ShowFileName();
void ShowStatus();
// The status field again (the counts moved on), the message field as it
// was last shown.
void ShowCounts();
void ShowScrollAmount();
void ToggleView();

}  // namespace pk
