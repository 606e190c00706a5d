// The curses key codes the terminal console reads: every key string the
// terminal description knows, decoded by its bytes; the xterm key strings it
// lacks, bound to private codes; and the mouse and paste markers.
#include <cstdlib>

#include "panel/terminal_curses.h"
#include "panel/terminal_session.h"

namespace pk {

namespace {

constexpr int kFirstPrivateCode = 0x1000;  // above curses' own and run-time codes
// The codes of the description's extended keys follow curses' own ones
// without gaps; this many unbound codes in a row end them. (Each look-up
// walks every bound key, so the codes are not tried up to the private ones.)
constexpr int kCodesPastTheLast = 64;

int NewCode() {
    static int next = kFirstPrivateCode;
    for (;;) {
        char* bound = keybound(next, 0);
        if (!bound) return next++;
        free(bound);
        ++next;
    }
}

int Bind(const char* seq) {
    int code = NewCode();
    define_key(seq, code);
    return code;
}

}  // namespace

// At the first read: curses reads keys in keypad mode, whose table of the
// description's key strings (some 200 for xterm) it builds when the mode is
// first set, and the codes below are looked up in that table. Neither is
// needed for the first screen.
void BuildKeyMap(TerminalSession& s) {
    keypad(stdscr, TRUE);
    s.keys.clear();
    s.keysMapped = true;
    for (int code = KEY_MIN, unbound = 0; code < kFirstPrivateCode && unbound < kCodesPastTheLast; ++code) {
        char* seq = keybound(code, 0);
        unbound = seq || code <= KEY_MAX ? 0 : unbound + 1;
        if (!seq) continue;
        InputRecord r;
        if (DecodeKeySequence(seq, r)) s.keys[code] = r;
        free(seq);
    }
    // pk decodes SGR mouse reports itself, on every terminal description.
    if (key_defined(kMouseReportStart) > 0) define_key(kMouseReportStart, 0);
    s.mouseCode = Bind(kMouseReportStart);
    s.pasteBeginCode = key_defined(kPasteBegin) > 0 ? key_defined(kPasteBegin) : Bind(kPasteBegin);
    s.pasteEndCode = key_defined(kPasteEnd) > 0 ? key_defined(kPasteEnd) : Bind(kPasteEnd);
    for (const std::string& seq : XtermKeySequences()) {
        InputRecord r;
        if (key_defined(seq.c_str()) != 0 || !DecodeKeySequence(seq, r)) continue;
        s.keys[Bind(seq.c_str())] = r;
    }
}

std::string KeyCodeBytes(int code) {
    char* seq = keybound(code, 0);
    if (!seq) return "";
    std::string bytes = seq;
    free(seq);
    return bytes;
}

}  // namespace pk
