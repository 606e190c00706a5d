// The three fixed panels of the main screen: the title with the file name
// and the "COMMAND ==>" label, the message and status fields, and the
// function-key labels. Only the texts of the run-time fields change.
#include "display/screen.h"
#include "display/screen_fields.h"

namespace pk {

namespace {

constexpr uint16_t P = FLD_PROTECTED;
constexpr uint16_t PL = FLD_PROTECTED | FLD_LAST;

// Colour indexes of the attribute table.
constexpr uint16_t NORMAL = 1;
constexpr uint16_t BRIGHT = 2;
constexpr uint16_t REVERSE = 3;

uint8_t peekraText[] = "Peekra";
uint8_t commandText[] = "COMMAND ==>";

// Key numbers and labels, F1 to F12. The F11 and F12 labels are "<" and a
// horizontal line, and a horizontal line and ">": arrows in code page 437.
uint8_t keyText[KEYS_FIELD_COUNT][7] = {
    "1", "Help", "2", "Half", "3", "End", "4", "Top", "5", "RFind", "6", "RCmd",
    "7", "Left", "8", "Right", "9", "Bottom", "10", "Next", "11", {60, 196}, "12", {196, 62},
};

}  // namespace

uint8_t titleNameText[TITLE_NAME_WIDTH];
uint8_t messageFieldText[MESSAGE_FIELD_WIDTH];

PanelField TitlePanel[] = {
    {0, P, BRIGHT, 1, 1, 6, 0, 6, peekraText},
    {1, P, NORMAL, 1, 8, TITLE_NAME_WIDTH, 0, TITLE_NAME_WIDTH, titleNameText},
    {0, PL, BRIGHT, 3, 1, 11, 0, 11, commandText},
};

PanelField StatusPanel[] = {
    {1, P, BRIGHT, 2, 1, MESSAGE_FIELD_WIDTH, 0, MESSAGE_FIELD_WIDTH, messageFieldText},
    {2, PL, NORMAL, 2, 23, STATUS_FIELD_WIDTH, 0, STATUS_FIELD_WIDTH,
     reinterpret_cast<uint8_t*>(display.statusText)},
};

// Row 0 here; start-up puts every field on the screen's last row. A mouse
// click on field i means key F(i / 2 + 1), so the order is fixed.
PanelField KeysPanel[KEYS_FIELD_COUNT] = {
    {0, P, BRIGHT, 0, 1, 1, 0, 1, keyText[0]},     {0, P, REVERSE, 0, 2, 4, 0, 4, keyText[1]},
    {0, P, BRIGHT, 0, 8, 1, 0, 1, keyText[2]},     {1, P, REVERSE, 0, 9, 4, 0, 4, keyText[3]},
    {0, P, BRIGHT, 0, 15, 1, 0, 1, keyText[4]},    {0, P, REVERSE, 0, 16, 3, 0, 3, keyText[5]},
    {0, P, BRIGHT, 0, 21, 1, 0, 1, keyText[6]},    {0, P, REVERSE, 0, 22, 3, 0, 3, keyText[7]},
    {0, P, BRIGHT, 0, 27, 1, 0, 1, keyText[8]},    {0, P, REVERSE, 0, 28, 5, 0, 5, keyText[9]},
    {0, P, BRIGHT, 0, 35, 1, 0, 1, keyText[10]},   {0, P, REVERSE, 0, 36, 4, 0, 4, keyText[11]},
    {0, P, BRIGHT, 0, 42, 1, 0, 1, keyText[12]},   {0, P, REVERSE, 0, 43, 4, 0, 4, keyText[13]},
    {0, P, BRIGHT, 0, 49, 1, 0, 1, keyText[14]},   {0, P, REVERSE, 0, 50, 5, 0, 5, keyText[15]},
    {0, P, BRIGHT, 0, 57, 1, 0, 1, keyText[16]},   {0, P, REVERSE, 0, 58, 6, 0, 6, keyText[17]},
    {0, P, BRIGHT, 0, 65, 2, 0, 2, keyText[18]},   {0, P, REVERSE, 0, 67, 4, 0, 4, keyText[19]},
    {0, P, BRIGHT, 0, 72, 2, 0, 2, keyText[20]},   {0, P, REVERSE, 0, 74, 2, 0, 2, keyText[21]},
    {0, P, BRIGHT, 0, 77, 2, 0, 2, keyText[22]},   {0, PL, REVERSE, 0, 79, 2, 0, 2, keyText[23]},
};

}  // namespace pk
