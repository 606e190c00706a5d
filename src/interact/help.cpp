// The help screen: a framed box of 31 protected fields drawn over the
// viewer's screen until a key ends it, after which the screen and the cursor
// are put back exactly as they were. A resize meanwhile draws the box again
// on the new screen and, at the end, the viewer's screen at the new size.
#include "interact/help.h"

#include <cstdlib>
#include <cstring>
#include <string_view>

#include "display/screen.h"
#include "files/program_state.h"
#include "interact/screen_size.h"
#include "panel/panel.h"

namespace pk {

namespace {

constexpr uint8_t TOP_LEFT = 0xC9;
constexpr uint8_t TOP_RIGHT = 0xBB;
constexpr uint8_t BOTTOM_LEFT = 0xC8;
constexpr uint8_t BOTTOM_RIGHT = 0xBC;
constexpr uint8_t HORIZONTAL = 0xCD;
constexpr uint8_t VERTICAL = 0xBA;
constexpr uint8_t LEFT_TEE = 0xCC;
constexpr uint8_t RIGHT_TEE = 0xB9;

constexpr int BOX_WIDTH = 80;
constexpr int HELP_LINE_WIDTH = 78;
constexpr int HELP_LINE_COUNT = 20;
constexpr int HELP_FIELD_COUNT = 31;
constexpr int NOTICE_WIDTH = 31;
constexpr uint16_t GREY = 1;
constexpr uint16_t BRIGHT = 2;
constexpr uint32_t HELP_FLAGS = PNL_DISPLAY | PNL_CLEAR | PNL_ENTEREND | PNL_INPUT | PNL_ESCEND | PNL_ANYKEYEND;

constexpr std::string_view NOTICE = "Written by the pk developers";
constexpr std::string_view TITLE = "Help for Linux Peekra " PK_VERSION "    ";
constexpr std::string_view PROMPT = "<Press any key to end help>";

constexpr std::string_view HELP_LINES[HELP_LINE_COUNT] = {
    "  F sss....         :Find first occurrence of string sss....                  ",
    "  /sss....          :Find first occurrence of string sss....                  ",
    "  'hxhxhx....       :Find first occurrence of hex string hxhx....             ",
    "  Tabs on | off     :Expand/don't expand tabs (initial value is off)          ",
    "                    :Case u = disregard case on finds (initial value)         ",
    "  Case u | m | ?    :Case m = exact case on finds                             ",
    "                    :Case ? = show current case setting                       ",
    "  Down  nnnnn       :Scroll down nnnnn lines                                  ",
    "  Up    nnnnn       :Scroll up nnnnn lines                                    ",
    "  Left  nnnnn       :Scroll left nnnnn columns                                ",
    "  Right nnnnn       :Scroll right nnnnn columns                               ",
    "  nnnn              :Go to line nnnn, or hex offset nnnn in hex view (even E0)",
    "  View              :Change view from text to hex or hex to text              ",
    "  Xlat prt | off    :Translate characters for PrtSc (hex display only)        ",
    "  Xlat a|e|u|raw    :Data as bytes, from EBCDIC, as UTF-8, or raw (compressed)",
    "  ?                 :Retrieve last command                                    ",
    "  =                 :Execute last command                                     ",
    "  End/Quit/Z        :End File View and return to the shell                    ",
    "  Only the first character of most commands is required. Words naming a       ",
    "  program or shell builtin run in your shell, in a window of their own.       ",
};

constexpr bool AllHelpLinesFit() {
    for (std::string_view line : HELP_LINES) {
        if (line.size() != HELP_LINE_WIDTH) return false;
    }
    return true;
}
static_assert(AllHelpLinesFit(), "every help line is 78 characters");
static_assert(TITLE.size() == 33 && PROMPT.size() == 27 && NOTICE.size() <= NOTICE_WIDTH);

// The bytes every field shows.
struct HelpTexts {
    uint8_t topLeft[23];
    uint8_t notice[NOTICE_WIDTH];
    uint8_t topRight[24];
    uint8_t bar[1];
    uint8_t title[33];
    uint8_t titleEnd[2];
    uint8_t divider[BOX_WIDTH];
    uint8_t lines[HELP_LINE_COUNT][BOX_WIDTH];
    uint8_t promptBar[1];
    uint8_t prompt[27];
    uint8_t promptEnd[4];
    uint8_t bottom[BOX_WIDTH];
};

HelpTexts texts;
PanelField helpPanel[HELP_FIELD_COUNT];

void Fill(uint8_t* target, std::string_view text) { std::memcpy(target, text.data(), text.size()); }

// A frame line: its first byte, the middle filled with one byte, its last.
void FrameLine(uint8_t* target, int width, uint8_t first, uint8_t middle, uint8_t last) {
    std::memset(target, middle, static_cast<size_t>(width));
    target[0] = first;
    target[width - 1] = last;
}

void BuildTexts() {
    FrameLine(texts.topLeft, 23, TOP_LEFT, HORIZONTAL, HORIZONTAL);
    std::memset(texts.notice, ' ', NOTICE_WIDTH);
    Fill(texts.notice, NOTICE);
    FrameLine(texts.topRight, 24, HORIZONTAL, HORIZONTAL, TOP_RIGHT);
    texts.bar[0] = VERTICAL;
    Fill(texts.title, TITLE);
    texts.titleEnd[0] = ' ';
    texts.titleEnd[1] = VERTICAL;
    FrameLine(texts.divider, BOX_WIDTH, LEFT_TEE, HORIZONTAL, RIGHT_TEE);
    for (int i = 0; i < HELP_LINE_COUNT; ++i) {
        FrameLine(texts.lines[i], BOX_WIDTH, VERTICAL, ' ', VERTICAL);
        Fill(texts.lines[i] + 1, HELP_LINES[i]);
    }
    texts.promptBar[0] = VERTICAL;
    Fill(texts.prompt, PROMPT);
    FrameLine(texts.promptEnd, 4, ' ', ' ', VERTICAL);
    FrameLine(texts.bottom, BOX_WIDTH, BOTTOM_LEFT, HORIZONTAL, BOTTOM_RIGHT);
}

PanelField Field(uint16_t row, uint16_t column, uint16_t width, uint16_t colour, uint8_t* text) {
    return PanelField{0, FLD_PROTECTED, colour, row, column, width, 0, width, text};
}

void BuildPanel() {
    int n = 0;
    helpPanel[n++] = Field(1, 1, 23, GREY, texts.topLeft);
    helpPanel[n++] = Field(1, 25, NOTICE_WIDTH, GREY, texts.notice);
    helpPanel[n++] = Field(1, 57, 24, GREY, texts.topRight);
    helpPanel[n++] = Field(2, 1, 1, GREY, texts.bar);
    helpPanel[n++] = Field(2, 25, 33, BRIGHT, texts.title);
    helpPanel[n++] = Field(2, 79, 2, GREY, texts.titleEnd);
    helpPanel[n++] = Field(3, 1, BOX_WIDTH, GREY, texts.divider);
    for (int i = 0; i < HELP_LINE_COUNT; ++i) {
        helpPanel[n++] = Field(static_cast<uint16_t>(4 + i), 1, BOX_WIDTH, GREY, texts.lines[i]);
    }
    helpPanel[n++] = Field(24, 1, 1, GREY, texts.promptBar);
    helpPanel[n++] = Field(24, 50, 27, BRIGHT, texts.prompt);
    helpPanel[n++] = Field(24, 77, 4, GREY, texts.promptEnd);
    helpPanel[n++] = Field(25, 1, BOX_WIDTH, GREY, texts.bottom);
    helpPanel[n - 1].flags = FLD_PROTECTED | FLD_LAST;
}

PanelField* HelpPanel() {
    static bool built = false;
    if (!built) {
        BuildTexts();
        BuildPanel();
        built = true;
    }
    return helpPanel;
}

}  // namespace

void ShowHelp() {
    Console* console = fullconsole();
    Coord size{static_cast<int16_t>(program.screenWidth), static_cast<int16_t>(program.screenHeight)};
    Rect screen{0, 0, static_cast<int16_t>(size.x - 1), static_cast<int16_t>(size.y - 1)};
    size_t cellCount = static_cast<size_t>(program.screenWidth) * program.screenHeight;
    Cell* saved = static_cast<Cell*>(std::calloc(cellCount, sizeof(Cell)));
    ScreenInfo info;
    bool haveCursor = false;
    if (saved != nullptr) {
        console->readCells(saved, size, screen);
        haveCursor = console->queryScreen(info);
    }
    bool resized = false;
    while (fullpanel(HELP_FLAGS, HelpPanel()) == PNL_RESIZED) {
        FollowScreenSize();
        resized = true;
    }
    if (resized) {
        DrawMainScreen();  // the copy has the old size
    } else if (saved != nullptr) {
        console->writeCells(saved, size, screen);
        if (haveCursor) console->setCursorPosition(info.cursor);
    }
    std::free(saved);
}

}  // namespace pk
