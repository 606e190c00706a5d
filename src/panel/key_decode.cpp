// Records of bytes, key strings and SGR mouse reports (see key_decode.h).
#include "panel/key_decode.h"

#include <algorithm>
#include <array>
#include <charconv>

#include "panel/ascii.h"

namespace pk {

namespace {

struct NamedKey {
    uint16_t vk;
    uint16_t scan;
};
constexpr NamedKey kHome{VKEY_HOME, SCAN_HOME}, kUp{VKEY_UP, SCAN_UP}, kPgUp{VKEY_PGUP, SCAN_PGUP},
    kLeft{VKEY_LEFT, SCAN_LEFT}, kRight{VKEY_RIGHT, SCAN_RIGHT}, kEnd{VKEY_END, SCAN_END},
    kDown{VKEY_DOWN, SCAN_DOWN}, kPgDn{VKEY_PGDN, SCAN_PGDN}, kInsert{VKEY_INSERT, SCAN_INSERT},
    kDelete{VKEY_DELETE, SCAN_DELETE}, kReturn{VKEY_RETURN, SCAN_RETURN}, kTab{VKEY_TAB, SCAN_TAB},
    kBack{VKEY_BACK, SCAN_BACK}, kEscape{VKEY_ESCAPE, SCAN_ESCAPE};

constexpr NamedKey kF[12] = {{VKEY_F1, SCAN_F1}, {VKEY_F2, SCAN_F2},   {VKEY_F3, SCAN_F3},
                             {VKEY_F4, SCAN_F4}, {VKEY_F5, SCAN_F5},   {VKEY_F6, SCAN_F6},
                             {VKEY_F7, SCAN_F7}, {VKEY_F8, SCAN_F8},   {VKEY_F9, SCAN_F9},
                             {VKEY_F10, SCAN_F10}, {VKEY_F11, SCAN_F11}, {VKEY_F12, SCAN_F12}};

// Control bytes with keys of their own; Ctrl+J is the only line feed.
struct ByteKey {
    uint8_t byte;
    NamedKey key;
    uint8_t ch;
    uint32_t state;
};
constexpr ByteKey kByteKeys[] = {
    {'\r', kReturn, '\r', 0},  {'\n', {'J', SCAN_J}, '\n', LEFT_CTRL_PRESSED},
    {'\b', kBack, '\b', 0},    {0x7F, kBack, '\b', 0},
    {'\t', kTab, '\t', 0},     {0x1B, kEscape, 0x1B, 0},
};

// Keys named by the final byte of "\e[1;mX" or "\eOX".
struct FinalKey {
    char final;
    NamedKey key;
};
constexpr FinalKey kFinalKeys[] = {{'A', kUp},   {'B', kDown}, {'C', kRight}, {'D', kLeft},
                                   {'H', kHome}, {'F', kEnd},  {'P', kF[0]},  {'Q', kF[1]},
                                   {'R', kF[2]}, {'S', kF[3]}};

// Keys named by the number of "\e[n;m~".
struct TildeKey {
    int number;
    NamedKey key;
};
constexpr TildeKey kTildeKeys[] = {
    {1, kHome},   {2, kInsert}, {3, kDelete}, {4, kEnd},    {5, kPgUp},   {6, kPgDn},
    {7, kHome},   {8, kEnd},    {11, kF[0]},  {12, kF[1]},  {13, kF[2]},  {14, kF[3]},
    {15, kF[4]},  {17, kF[5]},  {18, kF[6]},  {19, kF[7]},  {20, kF[8]},  {21, kF[9]},
    {23, kF[10]}, {24, kF[11]}};

// US-layout set-1 scan codes of printable ASCII, row by row of the keyboard.
struct ScanRow {
    std::string_view plain;
    std::string_view shifted;
    uint8_t first;
};
constexpr ScanRow kScanRows[] = {{"1234567890-=", "!@#$%^&*()_+", SCAN_1},
                                 {"qwertyuiop[]", "QWERTYUIOP{}", SCAN_Q},
                                 {"asdfghjkl;'`", "ASDFGHJKL:\"~", SCAN_A},
                                 {"\\", "|", SCAN_BACKSLASH},
                                 {"zxcvbnm,./", "ZXCVBNM<>?", SCAN_Z},
                                 {" ", " ", SCAN_SPACE}};
constexpr std::array<uint8_t, 128> kAsciiScan = [] {
    std::array<uint8_t, 128> t{};
    for (const ScanRow& row : kScanRows)
        for (size_t i = 0; i < row.plain.size(); ++i) {
            t[static_cast<uint8_t>(row.plain[i])] = static_cast<uint8_t>(row.first + i);
            t[static_cast<uint8_t>(row.shifted[i])] = static_cast<uint8_t>(row.first + i);
        }
    return t;
}();

InputRecord Named(NamedKey k, uint32_t state, uint8_t ch = 0) { return MakeKey(k.vk, k.scan, ch, state); }

// Parses "n;n;n" (empty fields count as 0). False on any other character.
bool ParseNumbers(std::string_view text, std::vector<int>& nums) {
    nums.clear();
    size_t i = 0;
    while (i <= text.size()) {
        size_t end = text.find(';', i);
        if (end == std::string_view::npos) end = text.size();
        int n = 0;
        if (end > i) {
            auto [p, ec] = std::from_chars(text.data() + i, text.data() + end, n);
            if (ec != std::errc() || p != text.data() + end) return false;
        }
        nums.push_back(n);
        i = end + 1;
    }
    return true;
}

bool FromFinal(char final, uint32_t state, InputRecord& out) {
    for (const FinalKey& f : kFinalKeys)
        if (f.final == final) return out = Named(f.key, state), true;
    return false;
}

bool FromTilde(int number, uint32_t state, InputRecord& out) {
    for (const TildeKey& t : kTildeKeys)
        if (t.number == number) return out = Named(t.key, state), true;
    return false;
}

// A character key with modifiers as extended key reports give it
// ("\e[13;5u", "\e[27;5;13~"): Ctrl+Enter types 10, as a console does.
bool FromCharCode(int code, int modifier, InputRecord& out) {
    uint32_t state = StateFromXtermModifier(modifier);
    bool ctrl = state & LEFT_CTRL_PRESSED;
    if (code == '\r') return out = Named(kReturn, state, ctrl ? '\n' : '\r'), true;
    if (code == '\t') return out = Named(kTab, state, ctrl ? 0 : '\t'), true;
    if (code == 27 || code == 127 || (code >= 0x20 && code < 0x7F)) {
        out = KeyFromByte(static_cast<uint8_t>(code));
        out.controlState |= state;
        if (ctrl && code >= 'a' && code <= 'z') out.ch = static_cast<uint8_t>(code & 0x1F);
        return true;
    }
    return false;
}

bool DecodeCsi(std::string_view body, InputRecord& out) {
    if (body.size() == 2 && body[0] == '[' && body[1] >= 'A' && body[1] <= 'E')
        return out = Named(kF[body[1] - 'A'], 0), true;  // Linux console F1-F5
    if (body.empty()) return false;
    char final = body.back();
    std::vector<int> nums;
    if (!ParseNumbers(body.substr(0, body.size() - 1), nums)) return false;
    int modifier = nums.size() > 1 ? nums[1] : 1;
    switch (final) {
        case '~':
            if (nums[0] == 27 && nums.size() == 3) return FromCharCode(nums[2], nums[1], out);
            return FromTilde(nums[0], StateFromXtermModifier(modifier), out);
        case 'u':
            return FromCharCode(nums[0], modifier, out);
        case 'Z':
            return out = Named(kTab, SHIFT_PRESSED, '\t'), true;
        default:
            if (nums[0] > 1) return false;
            return FromFinal(final, StateFromXtermModifier(modifier), out);
    }
}

bool DecodeSs3(std::string_view body, InputRecord& out) {
    if (body.empty()) return false;
    char final = body.back();
    std::vector<int> nums;
    if (!ParseNumbers(body.substr(0, body.size() - 1), nums)) return false;
    uint32_t state = StateFromXtermModifier(nums[0]);  // "\eO2P" on some terminals
    if (final == 'M') return out = Named(kReturn, state, '\r'), true;
    return FromFinal(final, state, out);
}

}  // namespace

InputRecord MakeKey(uint16_t virtualKey, uint16_t scanCode, uint8_t ch, uint32_t state) {
    InputRecord r;
    r.eventType = KEY_EVENT;
    r.keyDown = true;
    r.repeatCount = 1;
    r.virtualKey = virtualKey;
    r.scanCode = scanCode;
    r.ch = ch;
    r.controlState = state;
    return r;
}

InputRecord KeyFromByte(uint8_t b) {
    for (const ByteKey& k : kByteKeys)
        if (k.byte == b) return Named(k.key, k.state, k.ch);
    if (b >= 1 && b <= 26) {
        uint8_t letter = static_cast<uint8_t>('A' + b - 1);
        return MakeKey(letter, kAsciiScan[letter], b, LEFT_CTRL_PRESSED);
    }
    if (b == 0 || (b >= 28 && b <= 31)) return MakeKey(0, 0, b, LEFT_CTRL_PRESSED);
    if (b >= 0x80) return MakeKey(0, 0, b, 0);
    bool hasVk = (b >= 'a' && b <= 'z') || (b >= 'A' && b <= 'Z') || (b >= '0' && b <= '9');
    return MakeKey(hasVk ? AsciiUpper(b) : 0, kAsciiScan[b], b, 0);
}

uint32_t StateFromXtermModifier(int modifier) {
    if (modifier < 2) return 0;
    int bits = modifier - 1;
    uint32_t state = 0;
    if (bits & 1) state |= SHIFT_PRESSED;
    if (bits & (2 | 8)) state |= LEFT_ALT_PRESSED;
    if (bits & 4) state |= LEFT_CTRL_PRESSED;
    return state;
}

bool DecodeKeySequence(std::string_view seq, InputRecord& out) {
    if (seq.size() == 1) return out = KeyFromByte(static_cast<uint8_t>(seq[0])), true;
    if (seq.size() < 3 || seq[0] != 0x1B) return false;
    if (seq[1] == '[') return DecodeCsi(seq.substr(2), out);
    if (seq[1] == 'O') return DecodeSs3(seq.substr(2), out);
    return false;
}

std::vector<std::string> XtermKeySequences() {
    std::vector<std::string> seqs = {"\033[Z", "\033OM", "\033[13;5u", "\033[27;5;13~"};
    for (const FinalKey& f : kFinalKeys) {
        seqs.push_back(std::string("\033[") + f.final);
        seqs.push_back(std::string("\033O") + f.final);
        for (int m = 2; m <= 8; ++m) seqs.push_back("\033[1;" + std::to_string(m) + f.final);
    }
    for (const TildeKey& t : kTildeKeys) {
        std::string n = std::to_string(t.number);
        seqs.push_back("\033[" + n + "~");
        for (int m = 2; m <= 8; ++m) seqs.push_back("\033[" + n + ";" + std::to_string(m) + "~");
    }
    return seqs;
}

bool DecodeSgrMouse(std::string_view params, char final, InputRecord& out) {
    // Bits of an SGR report's first number: the button (0 left, 1 middle,
    // 2 right, 3 none) in the low two, then the modifiers, motion and wheel.
    constexpr int kShift = 4, kAlt = 8, kCtrl = 16, kMotion = 32, kWheel = 64, kExtra = 128;
    constexpr uint32_t kWheelForward = 120u << 16, kWheelBack = static_cast<uint32_t>(-120) << 16;
    std::vector<int> nums;
    if ((final != 'M' && final != 'm') || !ParseNumbers(params, nums) || nums.size() != 3)
        return false;
    int b = nums[0];
    bool press = final == 'M';
    if (b & kExtra || nums[1] < 1 || nums[2] < 1) return false;
    out = InputRecord{};
    out.eventType = MOUSE_EVENT;
    out.position.x = static_cast<int16_t>(std::min(nums[1] - 1, 0x7FFF));
    out.position.y = static_cast<int16_t>(std::min(nums[2] - 1, 0x7FFF));
    if (b & kShift) out.controlState |= SHIFT_PRESSED;
    if (b & kAlt) out.controlState |= LEFT_ALT_PRESSED;
    if (b & kCtrl) out.controlState |= LEFT_CTRL_PRESSED;
    if (b & kWheel) {
        if (!press) return false;
        bool back = (b & 1) ? !(b & 2) : (b & 2);  // 64 up +, 65 down -, 66 left -, 67 right +
        out.eventFlags = (b & 2) ? MOUSE_HWHEELED : MOUSE_WHEELED;
        out.buttonState = back ? kWheelBack : kWheelForward;
        return true;
    }
    constexpr uint32_t kButtons[4] = {FROM_LEFT_1ST_BUTTON_PRESSED, FROM_LEFT_2ND_BUTTON_PRESSED,
                                      RIGHTMOST_BUTTON_PRESSED, 0};
    uint32_t button = kButtons[b & 3];
    if (b & kMotion) {
        out.eventFlags = MOUSE_MOVED;
        out.buttonState = button;
        return true;
    }
    if (press && button == 0) return false;
    out.buttonState = press ? button : 0;
    return true;
}

void ClickTracker::apply(InputRecord& mouse, int64_t nowMs) {
    if (mouse.eventType != MOUSE_EVENT || mouse.eventFlags != 0 || mouse.buttonState == 0) return;
    bool same = armed && at.x == mouse.position.x && at.y == mouse.position.y &&
                button == mouse.buttonState && nowMs - timeMs <= 500 && nowMs >= timeMs;
    if (same) {
        mouse.eventFlags |= DOUBLE_CLICK;
        armed = false;
        return;
    }
    armed = true;
    at = mouse.position;
    button = mouse.buttonState;
    timeMs = nowMs;
}

}  // namespace pk
