// A small program for the end-to-end tests that drives the real terminal
// console and the panel library.
//   panel_demo keys   shows every input record it reads on row 1 (and the
//                     ones before it below), until F10 or a failed read.
//                     F10 restores the screen, Shift+F10 leaves it without
//                     its last line, Ctrl+F10 leaves it whole; Ctrl+X exits
//                     at once (the console's exit handler restores the
//                     terminal); Ctrl+G beeps; Ctrl+V shows the clipboard
//                     on the last row; Insert switches the cursor between
//                     underline and block; F9 discards pending input.
//   panel_demo panel  a panel with protected and input fields, run through
//                     fullpanel; prints the result and the input fields'
//                     texts on standard output once the terminal is back.
//   panel_demo bytes  a field holding ESC, BEL, CSI and OSC bytes, shown
//                     until a key is pressed.
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include <sys/wait.h>
#include <unistd.h>

#include "panel/panel.h"
#include "panel/terminal_console.h"

namespace {

using namespace pk;

void Show(Console* c, int row, const std::string& text, uint16_t attr = 0x07) {
    Coord at{0, static_cast<int16_t>(row)};
    std::vector<uint16_t> attrs(80, attr);
    std::string line = text;
    line.resize(80, ' ');
    c->writeChars(at, reinterpret_cast<const uint8_t*>(line.data()), 80);
    c->writeAttrs(at, attrs.data(), 80);
}

std::string Describe(const InputRecord& r) {
    char buf[400];
    if (r.eventType == KEY_EVENT) {
        snprintf(buf, sizeof buf, "KEY vk=%02X sc=%02X ch=%02X st=%04X", r.virtualKey, r.scanCode,
                 r.ch, static_cast<unsigned>(r.controlState));
    } else if (r.eventType == MOUSE_EVENT) {
        snprintf(buf, sizeof buf, "MOUSE x=%d y=%d b=%08X f=%X st=%04X", r.position.x,
                 r.position.y, static_cast<unsigned>(r.buttonState),
                 static_cast<unsigned>(r.eventFlags), static_cast<unsigned>(r.controlState));
    } else if (r.eventType == PASTE_EVENT) {
        std::string shown;
        for (unsigned char b : r.text)
            shown += b < 0x20 || b == 0x7F ? "<" + std::to_string(b) + ">" : std::string(1, static_cast<char>(b));
        snprintf(buf, sizeof buf, "PASTE %zu [%s]", r.text.size(), shown.c_str());
    } else {
        snprintf(buf, sizeof buf, "EVENT %u", r.eventType);
    }
    return buf;
}

bool IsF10(const InputRecord& r, uint32_t state) {
    return r.eventType == KEY_EVENT && r.virtualKey == VKEY_F10 && r.controlState == state;
}

// The clipboard's text on the given row, and whether any child process of
// the demo is left (running or unreaped) afterwards.
void ShowClipboard(Console* c, int row) {
    std::string text;
    bool ok = c->readClipboard(text);
    bool noChildren = waitpid(-1, nullptr, WNOHANG) < 0 && errno == ECHILD;
    Show(c, row, std::string(ok ? "CLIP ok [" + text + "]" : "CLIP none") +
                     (noChildren ? " kids=none" : " kids=some"));
}

int KeysMode(Console* c) {
    ScreenInfo info;
    c->queryScreen(info);
    c->setCursorInfo(10, true);
    c->setCursorPosition({0, 0});
    Show(c, 0, "KEYS READY " + std::to_string(info.bufferSize.x) + "x" +
                   std::to_string(info.bufferSize.y) + " pid=" + std::to_string(getpid()), 0x1F);
    Show(c, info.bufferSize.y - 1, "BOTTOM LINE");
    std::vector<std::string> history;
    unsigned count = 0;
    bool big = false;
    for (;;) {
        InputRecord r;
        if (!c->readInput(r)) {
            int error = c->lastError();
            bool ending = c->endRequested();
            c->restoreScreen();
            printf("keys: read failed, error %d, end requested %d\n", error, ending ? 1 : 0);
            return ending ? 4 : 3;
        }
        char num[16];
        snprintf(num, sizeof num, "#%04u ", ++count);
        history.insert(history.begin(), num + Describe(r));
        if (history.size() > static_cast<size_t>(info.bufferSize.y - 2)) history.pop_back();
        for (size_t i = 0; i < history.size(); ++i) Show(c, static_cast<int>(i) + 1, history[i]);
        if (IsF10(r, 0)) return c->restoreScreen(), printf("keys: F10\n"), 0;
        // No newline after these, so the line stays where leaveScreen put the cursor.
        if (IsF10(r, SHIFT_PRESSED)) return c->leaveScreen(true), printf("keys: left"), 0;
        if (IsF10(r, LEFT_CTRL_PRESSED)) return c->leaveScreen(false), printf("keys: kept"), 0;
        if (r.eventType == KEY_EVENT && r.ch == 0x18) exit(5);  // Ctrl+X: no restore of its own
        if (r.eventType == KEY_EVENT && r.ch == 7) c->beep();
        if (r.eventType == KEY_EVENT && r.ch == 0x16) ShowClipboard(c, info.bufferSize.y - 1);
        if (r.eventType == KEY_EVENT && r.virtualKey == VKEY_INSERT && r.controlState == 0) {
            big = !big;
            c->setCursorInfo(big ? 60 : 10, true);
        }
        if (r.eventType == KEY_EVENT && r.virtualKey == VKEY_F9 && r.controlState == 0) c->flushInput();
    }
}

const uint8_t kAttributes[ATTRIBUTE_COUNT] = {0x07, 0x1F, 0x0E, 0x70, 0x4F, 0x0A,
                                              0x30, 0x0F, 0x00, 0x07, 0x07, 0x07, 0x07};

bool StartPanels(const char* mode) {
    if (!fullinit()) {
        printf("%s: fullinit failed\n", mode);
        return false;
    }
    fullattr(kAttributes);
    return true;
}

std::string FieldText(const PanelField& f) {
    return std::string(reinterpret_cast<const char*>(f.text), f.textLength);
}

int PanelMode(Console*) {
    static uint8_t title[] = "PANEL DEMO";
    static uint8_t nameLabel[] = "Name:";
    static uint8_t name[] = "abc                 ";  // 20 bytes of text
    static uint8_t codeLabel[] = "Code:";
    static uint8_t code[] = "        ";
    static uint8_t dark[] = "hidden";
    static uint8_t keys[] = "F1=Help  Enter=Done  Esc=Cancel";
    PanelField panel[] = {
        {1, FLD_PROTECTED, 1, 1, 1, 30, 0, 10, title},
        {2, FLD_PROTECTED, 2, 3, 1, 6, 0, 5, nameLabel},
        {3, FLD_CURSOR, 3, 3, 10, 20, 0, 20, name},
        {4, FLD_PROTECTED, 2, 5, 1, 6, 0, 5, codeLabel},
        {5, 0, 4, 5, 10, 8, 0, 8, code},
        {6, FLD_PROTECTED, 8, 7, 1, 6, 0, 6, dark},
        {7, FLD_PROTECTED | FLD_BOTTOM | FLD_LAST, 5, 0, 1, 80, 0, 31, keys},
    };
    if (!StartPanels("panel")) return 2;
    uint32_t result = fullpanel(PNL_DISPLAY | PNL_CLEAR | PNL_INPUT | PNL_ENTEREND | PNL_ESCEND, panel);
    TerminalConsole()->restoreScreen();
    printf("result=%u\nname=[%s]\ncode=[%s]\n", static_cast<unsigned>(result),
           FieldText(panel[2]).c_str(), FieldText(panel[4]).c_str());
    return 0;
}

int BytesMode(Console* c) {
    static uint8_t hostile[] =
        "A\x1b]0;pwned\x07" "B\x1b[?1049l" "C\x1b[31m" "D\x07" "E\x9b" "2J" "F\x1b" "c" "G";
    static uint8_t label[] = "BYTES SHOWN";
    PanelField panel[] = {
        {1, FLD_PROTECTED, 1, 1, 1, 20, 0, 11, label},
        {2, FLD_PROTECTED | FLD_LAST, 0, 3, 1, 40, 0, sizeof hostile - 1, hostile},
    };
    if (!StartPanels("bytes")) return 2;
    fullpanel(PNL_DISPLAY | PNL_CLEAR, panel);
    InputRecord r;
    c->readInput(r);
    c->restoreScreen();
    printf("bytes: done\n");
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    std::string mode = argc > 1 ? argv[1] : "keys";
    Console* c = TerminalConsole();
    fullconsole(c);
    if (int error = c->open()) {
        ScreenInfo info;
        bool sized = c->queryScreen(info);
        printf("open failed, error %d (%s), size %dx%d\n", error, strerror(error),
               sized ? info.bufferSize.x : 0, sized ? info.bufferSize.y : 0);
        return 2;
    }
    if (mode == "panel") return PanelMode(c);
    if (mode == "bytes") return BytesMode(c);
    return KeysMode(c);
}
