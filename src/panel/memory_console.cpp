// The in-memory console: cell grid operations, the scripted input queue and
// the counters that tests read.
#include "panel/memory_console.h"

#include <algorithm>
#include <cctype>

namespace pk {

namespace {

// US-layout set-1 scan codes of the printable ASCII keys, by unshifted and
// shifted character.
struct KeyScan {
    char plain;
    char shifted;
    uint8_t scan;
};
constexpr KeyScan kKeyScans[] = {
    {'1', '!', 0x02}, {'2', '@', 0x03}, {'3', '#', 0x04}, {'4', '$', 0x05},
    {'5', '%', 0x06}, {'6', '^', 0x07}, {'7', '&', 0x08}, {'8', '*', 0x09},
    {'9', '(', 0x0A}, {'0', ')', 0x0B}, {'-', '_', 0x0C}, {'=', '+', 0x0D},
    {'q', 'Q', 0x10}, {'w', 'W', 0x11}, {'e', 'E', 0x12}, {'r', 'R', 0x13},
    {'t', 'T', 0x14}, {'y', 'Y', 0x15}, {'u', 'U', 0x16}, {'i', 'I', 0x17},
    {'o', 'O', 0x18}, {'p', 'P', 0x19}, {'[', '{', 0x1A}, {']', '}', 0x1B},
    {'a', 'A', 0x1E}, {'s', 'S', 0x1F}, {'d', 'D', 0x20}, {'f', 'F', 0x21},
    {'g', 'G', 0x22}, {'h', 'H', 0x23}, {'j', 'J', 0x24}, {'k', 'K', 0x25},
    {'l', 'L', 0x26}, {';', ':', 0x27}, {'\'', '"', 0x28}, {'`', '~', 0x29},
    {'\\', '|', 0x2B}, {'z', 'Z', 0x2C}, {'x', 'X', 0x2D}, {'c', 'C', 0x2E},
    {'v', 'V', 0x2F}, {'b', 'B', 0x30}, {'n', 'N', 0x31}, {'m', 'M', 0x32},
    {',', '<', 0x33}, {'.', '>', 0x34}, {'/', '?', 0x35}, {' ', ' ', 0x39},
    {'\r', '\r', 0x1C}, {'\x1b', '\x1b', 0x01}, {'\b', '\b', 0x0E}, {'\t', '\t', 0x0F},
    {'\n', '\n', 0x24},
};

bool IsShifted(uint8_t ch) {
    for (const KeyScan& k : kKeyScans) {
        if (uint8_t(k.shifted) == ch && k.plain != k.shifted) return true;
    }
    return false;
}

}  // namespace

uint16_t UsScanCode(uint8_t ch) {
    if (ch >= 1 && ch <= 26 && ch != '\b' && ch != '\t' && ch != '\n' && ch != '\r') {
        return UsScanCode(uint8_t('a' + ch - 1));  // Ctrl+letter
    }
    for (const KeyScan& k : kKeyScans) {
        if (uint8_t(k.plain) == ch || uint8_t(k.shifted) == ch) return k.scan;
    }
    return 0;
}

uint16_t VirtualKeyOf(uint8_t ch) {
    if (ch >= 'a' && ch <= 'z') return uint16_t(ch - 'a' + 'A');
    if ((ch >= 'A' && ch <= 'Z') || (ch >= '0' && ch <= '9') || ch == ' ') return ch;
    if (ch == '\r' || ch == '\x1b' || ch == '\b' || ch == '\t') return ch;
    if (ch == '\n') return 0x0D;
    return 0;
}

MemoryConsole::MemoryConsole(int c, int r)
    : cols(c), rows(r), cells(size_t(c) * size_t(r)),
      window{0, 0, int16_t(c - 1), int16_t(r - 1)} {}

bool MemoryConsole::fail(int code) {
    error = code;
    return false;
}

int MemoryConsole::open() {
    ++openCalls;
    if (failOpen != 0) error = failOpen;
    return failOpen;
}

bool MemoryConsole::queryScreen(ScreenInfo& info) {
    if (failQuery) return fail(failCode);
    info.bufferSize = {int16_t(cols), int16_t(rows)};
    info.cursor = cursor;
    info.attributes = 0x07;
    info.window = window;
    return true;
}

bool MemoryConsole::setWindow(const Rect& rect) {
    if (refuseWindow) return fail(failCode);
    if (rect.left < 0 || rect.top < 0 || rect.right < rect.left || rect.bottom < rect.top) {
        return fail(EINVAL);
    }
    // Like a terminal that accepts a resize request: the grid grows to hold
    // the window.
    if (rect.right >= cols || rect.bottom >= rows) {
        resize(std::max(cols, rect.right + 1), std::max(rows, rect.bottom + 1));
    }
    window = rect;
    return true;
}

bool MemoryConsole::readAttribute(Coord at, uint16_t& attr) {
    if (!inside(at.x, at.y)) return fail(EINVAL);
    attr = attrAt(at.x, at.y);
    return true;
}

bool MemoryConsole::getCursorInfo(int& size, bool& visible) {
    size = cursorSize;
    visible = cursorVisible;
    return true;
}

bool MemoryConsole::setCursorInfo(int size, bool visible) {
    if (size < 1 || size > 100) return fail(EINVAL);
    cursorSize = size;
    cursorVisible = visible;
    cursorSizes.push_back(size);
    return true;
}

bool MemoryConsole::setCursorPosition(Coord at) {
    if (!inside(at.x, at.y)) return fail(EINVAL);
    cursor = at;
    return true;
}

// How many of count cells from at fit on its line; -1 when at is off the grid.
int MemoryConsole::clippedCount(Coord at, int count) const {
    if (!inside(at.x, at.y) || count < 0) return -1;
    return std::min(count, cols - at.x);
}

bool MemoryConsole::writeChars(Coord at, const uint8_t* bytes, int count) {
    ++charWrites;
    if (failWrites) return fail(failCode);
    int n = clippedCount(at, count);
    if (n < 0) return fail(EINVAL);
    for (int i = 0; i < n; ++i) this->at(at.x + i, at.y).ch = bytes[i];
    return true;
}

bool MemoryConsole::writeAttrs(Coord at, const uint16_t* attrs, int count) {
    ++attrWrites;
    if (failWrites) return fail(failCode);
    int n = clippedCount(at, count);
    if (n < 0) return fail(EINVAL);
    for (int i = 0; i < n; ++i) this->at(at.x + i, at.y).attr = attrs[i];
    return true;
}

bool MemoryConsole::fillAttrs(uint16_t attr, int count) {
    if (failWrites) return fail(failCode);
    if (count < 0) return fail(EINVAL);
    size_t n = std::min(size_t(count), cells.size());
    for (size_t i = 0; i < n; ++i) cells[i].attr = attr;
    return true;
}

bool MemoryConsole::fillChars(uint8_t ch, int count) {
    if (failWrites) return fail(failCode);
    if (count < 0) return fail(EINVAL);
    size_t n = std::min(size_t(count), cells.size());
    for (size_t i = 0; i < n; ++i) cells[i].ch = ch;
    return true;
}

bool MemoryConsole::writeCells(const Cell* block, Coord blockSize, const Rect& target) {
    if (failWrites) return fail(failCode);
    for (int y = target.top; y <= target.bottom; ++y) {
        int by = y - target.top;
        if (by >= blockSize.y) break;
        for (int x = target.left; x <= target.right; ++x) {
            int bx = x - target.left;
            if (bx >= blockSize.x) break;
            if (inside(x, y)) at(x, y) = block[by * blockSize.x + bx];
        }
    }
    return true;
}

bool MemoryConsole::readCells(Cell* block, Coord blockSize, const Rect& source) {
    for (int y = source.top; y <= source.bottom; ++y) {
        int by = y - source.top;
        if (by >= blockSize.y) break;
        for (int x = source.left; x <= source.right; ++x) {
            int bx = x - source.left;
            if (bx >= blockSize.x) break;
            if (inside(x, y)) block[by * blockSize.x + bx] = at(x, y);
        }
    }
    return true;
}

bool MemoryConsole::readInput(InputRecord& record) {
    if (ending) return fail(EINTR);
    if (input.empty()) {
        input.swap(lateInput);
        scriptingLater = false;
    }
    if (failReads || input.empty()) return fail(failCode);
    record = input.front();
    input.pop_front();
    return true;
}

void MemoryConsole::flushInput() {
    std::erase_if(input, [](const InputRecord& r) { return r.eventType != PASTE_EVENT; });
}

bool MemoryConsole::pushInput(const InputRecord& record) {
    input.push_front(record);
    return true;
}

bool MemoryConsole::readClipboard(std::string& text) {
    ++clipboardReads;
    if (!clipboard) return false;
    text = *clipboard;
    return true;
}

void MemoryConsole::leaveScreen(bool dropLastLine) {
    ++leaveCalls;
    lastDropLastLine = dropLastLine;
}

void MemoryConsole::event(const InputRecord& record) {
    (scriptingLater ? lateInput : input).push_back(record);
}

void MemoryConsole::key(uint16_t scan, uint8_t ch, uint32_t state, uint16_t vk, uint16_t repeat) {
    InputRecord r;
    r.eventType = KEY_EVENT;
    r.keyDown = true;
    r.repeatCount = repeat;
    r.virtualKey = vk;
    r.scanCode = scan;
    r.ch = ch;
    r.controlState = state;
    event(r);
}

void MemoryConsole::keyUp(uint16_t scan, uint8_t ch, uint16_t vk) {
    InputRecord r;
    r.eventType = KEY_EVENT;
    r.repeatCount = 1;
    r.virtualKey = vk;
    r.scanCode = scan;
    r.ch = ch;
    event(r);
}

void MemoryConsole::text(std::string_view bytes) {
    for (char c : bytes) {
        uint8_t ch = uint8_t(c);
        uint32_t state = 0;
        if (ch >= 1 && ch <= 26 && ch != '\b' && ch != '\t' && ch != '\r') state = LEFT_CTRL_PRESSED;
        if (IsShifted(ch)) state = SHIFT_PRESSED;
        key(UsScanCode(ch), ch, state, VirtualKeyOf(ch));
    }
}

void MemoryConsole::mouse(int x, int y, uint32_t buttons, uint32_t flags) {
    InputRecord r;
    r.eventType = MOUSE_EVENT;
    r.position = {int16_t(x), int16_t(y)};
    r.buttonState = buttons;
    r.eventFlags = flags;
    event(r);
}

void MemoryConsole::paste(std::string_view bytes) {
    InputRecord r;
    r.eventType = PASTE_EVENT;
    r.text = std::string(bytes);
    event(r);
}

Cell MemoryConsole::cell(int x, int y) const {
    if (!inside(x, y)) return Cell{};
    return cells[size_t(y) * size_t(cols) + size_t(x)];
}

std::string MemoryConsole::rowText(int y) const {
    std::string s;
    if (y < 0 || y >= rows) return s;
    for (int x = 0; x < cols; ++x) s += char(cell(x, y).ch);
    return s;
}

uint16_t MemoryConsole::attrAt(int x, int y) const { return cell(x, y).attr; }

void MemoryConsole::resize(int newCols, int newRows) {
    std::vector<Cell> grown(size_t(newCols) * size_t(newRows));
    for (int y = 0; y < std::min(rows, newRows); ++y) {
        for (int x = 0; x < std::min(cols, newCols); ++x) {
            grown[size_t(y) * size_t(newCols) + size_t(x)] = cell(x, y);
        }
    }
    cells = std::move(grown);
    cols = newCols;
    rows = newRows;
    window = {0, 0, int16_t(newCols - 1), int16_t(newRows - 1)};
    cursor.x = int16_t(std::min<int>(cursor.x, newCols - 1));
    cursor.y = int16_t(std::min<int>(cursor.y, newRows - 1));
}

}  // namespace pk
