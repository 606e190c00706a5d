// The three fixed panels of the main screen: the title with the file name
// and the "COMMAND ==>" label, the message and status fields, and the
// function-key labels built from the label table. Only the texts of the
// run-time fields change.
#include <array>

#include "display/key_labels.h"
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
// Panel rows and columns count from 1; the command window follows the label.
constexpr uint16_t COMMAND_LABEL_ROW = ScreenLayout{}.commandRow + 1;
constexpr uint16_t COMMAND_LABEL_WIDTH = sizeof commandText - 1;
static_assert(ScreenLayout{}.commandColumn == COMMAND_LABEL_WIDTH + 1, "one blank between label and window");

// The text of every key-label field: the number, then the caption.
using KeyTexts = std::array<std::array<uint8_t, 7>, KEYS_FIELD_COUNT>;

constexpr KeyTexts MakeKeyTexts() {
    KeyTexts texts{};
    for (int key = 0; key < KEY_LABEL_COUNT; ++key) {
        std::array<uint8_t, 7>& number = texts[size_t(2 * key)];
        int n = KeyNumber(key);
        if (n >= 10) number[0] = uint8_t('0' + n / 10);
        number[n >= 10 ? 1 : 0] = uint8_t('0' + n % 10);
        std::string_view caption = KEY_LABELS[key].caption;
        for (size_t i = 0; i < caption.size(); ++i) texts[size_t(2 * key + 1)][i] = uint8_t(caption[i]);
    }
    return texts;
}

constinit KeyTexts keyTexts = MakeKeyTexts();

// Field i is key i / 2's number (bright) or caption (reversed). The F2
// caption is field number 1, which ShowScrollAmount fills; the last field
// ends the panel.
constexpr PanelField KeyField(int field) {
    const int key = field / 2;
    const bool caption = field % 2 != 0;
    const uint16_t number = caption && KeyNumber(key) == 2 ? 1 : 0;
    const uint16_t flags = field == KEYS_FIELD_COUNT - 1 ? PL : P;
    const uint16_t column = caption ? CaptionColumn(key) : NumberColumn(key);
    const uint16_t width = caption ? CaptionWidth(key) : NumberWidth(key);
    return PanelField{number, flags, caption ? REVERSE : BRIGHT, 0, column, width, 0, width, keyTexts[size_t(field)].data()};
}

constexpr std::array<PanelField, KEYS_FIELD_COUNT> MakeKeyFields() {
    std::array<PanelField, KEYS_FIELD_COUNT> fields{};
    for (int i = 0; i < KEYS_FIELD_COUNT; ++i) fields[size_t(i)] = KeyField(i);
    return fields;
}

// Row 0 here; start-up puts every field on the screen's last row.
constinit std::array<PanelField, KEYS_FIELD_COUNT> keyFields = MakeKeyFields();

}  // namespace

uint8_t titleNameText[TITLE_NAME_WIDTH];
uint8_t messageFieldText[MESSAGE_SIZE];

PanelField TitlePanel[] = {
    {0, P, BRIGHT, 1, 1, 6, 0, 6, peekraText},
    {1, P, NORMAL, 1, 8, TITLE_NAME_WIDTH, 0, TITLE_NAME_WIDTH, titleNameText},
    {0, PL, BRIGHT, COMMAND_LABEL_ROW, 1, COMMAND_LABEL_WIDTH, 0, COMMAND_LABEL_WIDTH, commandText},
};

PanelField StatusPanel[] = {
    {1, P, BRIGHT, 2, 1, MESSAGE_FIELD_WIDTH, 0, MESSAGE_FIELD_WIDTH, messageFieldText},
    {2, PL, NORMAL, 2, 23, STATUS_FIELD_WIDTH, 0, STATUS_FIELD_WIDTH,
     reinterpret_cast<uint8_t*>(display.statusText)},
};

PanelField* const KeysPanel = keyFields.data();

}  // namespace pk
