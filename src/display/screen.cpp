// The main screen's layout and drawing, its run-time fields (file name,
// message, status text, scroll amount) and the switch between text and hex
// view, which carries the view position and the last find hit over to the
// other view.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstring>

#include "display/screen.h"
#include "display/screen_fields.h"
#include "display/views.h"
#include "files/file_change.h"
#include "files/file_table.h"
#include "panel/utf8.h"

namespace pk {

namespace {

uint8_t pageText[] = "Page";
uint8_t halfText[] = "Half";

// Copies the text up to its NUL (at most `width` bytes) into a field buffer
// and blanks the rest, so no tail of an older, longer text shows.
void FillField(uint8_t* field, int width, const char* text, size_t length) {
    size_t n = length < size_t(width) ? length : size_t(width);
    std::memcpy(field, text, n);
    std::memset(field + n, ' ', size_t(width) - n);
}

// statusText for the current view, right-aligned in the status field.
void FormatStatus() {
    const FileEntry& entry = CurrentEntry();
    char text[STATUS_SIZE];
    // A count still under way is marked "+": there may be more.
    const char* more = entry.counting ? "+" : "";
    using Number = unsigned long long;
    if (display.hexView) {
        std::snprintf(text, sizeof text, "File size is %llu%s bytes", Number(entry.size), entry.streaming ? "+" : "");
    } else {
        std::snprintf(text, sizeof text, "Line %llu of %llu%s, Column %llu of %llu%s", Number(entry.view.line),
                      Number(entry.lineCount), more, Number(entry.view.column),
                      Number(WidestLine(entry, ShowingUtf8())), more);
    }
    size_t length = std::strlen(text);
    size_t pad = length < STATUS_FIELD_WIDTH ? STATUS_FIELD_WIDTH - length : 0;
    std::memset(display.statusText, ' ', pad);
    std::memcpy(display.statusText + pad, text, length + 1);
}

// The start of the last part of a name that fits in width cells as UTF-8.
size_t Utf8Tail(const uint8_t* name, uint64_t length, uint64_t width) {
    uint64_t cells = MeasureCells(name, length).raw;
    uint64_t start = 0;
    while (cells > width && start < length) {
        TextUnit unit = NextUnit(name, length, start);
        cells -= unit.width;
        start += unit.length;
    }
    return start;
}

}  // namespace

void SetScreenLayout(int width, int height) {
    const ScreenLayout layout = MakeScreenLayout(width, height);
    program.window = Rect{0, 0, int16_t(layout.width - 1), int16_t(layout.height - 1)};
    program.screenWidth = uint16_t(layout.width);
    program.screenHeight = uint16_t(layout.height);
    program.dataRows = layout.dataRows;
    program.hexPageBytes = uint16_t(program.dataRows * 16);
    for (int i = 0; i < KEYS_FIELD_COUNT; ++i) KeysPanel[i].row = uint16_t(layout.keyRow + 1);
}

ScreenLayout CurrentLayout() { return MakeScreenLayout(program.screenWidth, program.screenHeight); }

void DrawMainScreen() {
    fullpanel(PNL_CLEAR, TitlePanel);
    ShowFileName();
    ShowStatus();
    ShowScrollAmount();
    DrawDataView();
}

// The name as the title shows it: a compressed file's followed by its
// format, and "raw" while its raw bytes are shown.
const char* TitleName() {
    static char title[NAME_SIZE + 16];
    const FileEntry& entry = CurrentEntry();
    if (entry.format == nullptr) return entry.name;
    std::snprintf(title, sizeof title, "%s (%s%s)", entry.name, entry.format, entry.rawShown ? ", raw" : "");
    return title;
}

// The name's last 73 characters: bytes, or in UTF-8 the characters of its
// last 73 cells, laid out by the panel library straight from the name.
void ShowFileName() {
    PanelField* field = fullfind(TitlePanel, 1);
    if (field == nullptr) return;
    const char* name = TitleName();
    size_t length = strnlen(name, NAME_SIZE + 16);
    if (ShowingUtf8()) {
        const uint8_t* bytes = reinterpret_cast<const uint8_t*>(name);
        size_t start = Utf8Tail(bytes, length, TITLE_NAME_WIDTH);
        field->flags |= FLD_UTF8;
        field->text = const_cast<uint8_t*>(bytes + start);
        field->textLength = uint16_t(length - start);
    } else {
        const char* shown = length > TITLE_NAME_WIDTH ? name + (length - TITLE_NAME_WIDTH) : name;
        FillField(titleNameText, TITLE_NAME_WIDTH, shown, length - size_t(shown - name));
        field->flags &= uint16_t(~FLD_UTF8);
        field->text = titleNameText;
        field->textLength = TITLE_NAME_WIDTH;
    }
    fullpanel(PNL_DISPLAY, TitlePanel);
}

namespace {

// The message and status fields share row 2. A message longer than its
// field (a number of bytes in it) takes as many of the status text's
// leading blanks as it needs, keeping one blank before the text; the status
// field then starts right after it, so the column between them is drawn.
// The status text stays right-aligned at the row's right edge.
size_t MessageWidth(size_t messageLength) {
    if (messageLength <= MESSAGE_FIELD_WIDTH) return MESSAGE_FIELD_WIDTH;
    // The column between the fields and the blanks but one.
    size_t blanks = std::strspn(display.statusText, " ");
    return std::min(messageLength, MESSAGE_FIELD_WIDTH + blanks);
}

// The message's width as last laid out. When it took status columns, the
// column between the fields was drawn over and is blanked when they go back.
size_t shownWidth = MESSAGE_FIELD_WIDTH;

void LayOutStatusRow(PanelField& message, PanelField& status, size_t width) {
    size_t taken = width - MESSAGE_FIELD_WIDTH;  // status columns the message takes
    bool gapToBlank = taken == 0 && shownWidth > MESSAGE_FIELD_WIDTH;
    shownWidth = width;
    message.width = message.textLength = uint16_t(width + (gapToBlank ? 1 : 0));
    size_t gap = taken > 0 ? 1 : 0;  // the status field starts right after a wide message
    status.column = uint16_t(MESSAGE_FIELD_WIDTH + 2 + taken - gap);
    status.width = status.textLength = uint16_t(STATUS_FIELD_WIDTH - taken + gap);
    status.text = reinterpret_cast<uint8_t*>(display.statusText) + taken - gap;
}

}  // namespace

namespace {

// The status row with the counts as they are now; with refill the message
// field takes the message set now, else it keeps what it shows.
void ShowStatusRow(bool refill) {
    PanelField* message = fullfind(StatusPanel, 1);
    PanelField* status = fullfind(StatusPanel, 2);
    if (message == nullptr || status == nullptr) return;
    size_t length = strnlen(display.messageText, MESSAGE_SIZE);
    // A text longer than the field (very large numbers) is cut at its edge.
    FormatStatus();
    LayOutStatusRow(*message, *status, refill ? MessageWidth(length) : shownWidth);
    if (refill) FillField(messageFieldText, message->width, display.messageText, length);
    message->text = messageFieldText;
    fullpanel(PNL_DISPLAY, StatusPanel);
}

}  // namespace

void ShowStatus() { ShowStatusRow(true); }

void ShowCounts() { ShowStatusRow(false); }

void ShowScrollAmount() {
    PanelField* label = fullfind(KeysPanel, 1);
    if (label == nullptr) return;
    label->text = display.scrollPage ? pageText : halfText;
    fullpanel(PNL_DISPLAY, KeysPanel);
}

void ToggleView() {
    FileEntry& entry = CurrentEntry();
    // The text view's line of the offset needs the count that far.
    if (display.hexView && !AwaitCounted(entry, CountNeed{entry.view.offset + 1, 0})) return;
    const TextLines text = entry.lines();
    const bool foundShown = (entry.findFlags & FOUND_SHOWN) != 0;
    display.hexView = !display.hexView;
    if (display.hexView) {
        // The dump starts at the first byte of the line the text view last
        // drew in its top row, which need not be a multiple of 16.
        entry.view.offset = entry.cache.offset;
        if (foundShown)
            entry.found.offset =
                LineColumnToOffset(text, entry.cache, entry.found.line, entry.found.column);
    } else {
        // The conversion walks the lines: "wait..." is shown before it starts.
        SetMessage("wait...");
        ShowStatus();
        if (fullconsole() != nullptr) fullconsole()->updateScreen();
        entry.view.line = TopLineForOffset(text, entry.view.offset, entry.cache);
        if (foundShown)
            OffsetToLineColumn(text, entry.cache, entry.found.offset, entry.found.line,
                               entry.found.column);
        ClearMessage();
        ShowStatus();
    }
    ShowScrollAmount();
}

}  // namespace pk
