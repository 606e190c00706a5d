// Key table and decoding of terminal key sequences and SGR mouse reports
// into console records (see terminal_keys.h).
#include "panel/terminal_keys.h"

#include <algorithm>
#include <array>
#include <charconv>

namespace pk {

namespace {

constexpr uint16_t VK_BACK = 0x08;
constexpr uint16_t VK_TAB = 0x09;
constexpr uint16_t VK_RETURN = 0x0D;
constexpr uint16_t VK_ESCAPE = 0x1B;

struct NamedKey {
    uint16_t vk;
    uint16_t scan;
};
constexpr NamedKey kHome{0x24, 0x47}, kUp{0x26, 0x48}, kPgUp{0x21, 0x49}, kLeft{0x25, 0x4B},
    kRight{0x27, 0x4D}, kEnd{0x23, 0x4F}, kDown{0x28, 0x50}, kPgDn{0x22, 0x51},
    kInsert{VKEY_INSERT, SCAN_INSERT}, kDelete{0x2E, 0x53};
constexpr NamedKey kF[12] = {{0x70, 0x3B}, {0x71, 0x3C}, {0x72, 0x3D}, {0x73, 0x3E},
                             {0x74, 0x3F}, {0x75, 0x40}, {0x76, 0x41}, {0x77, 0x42},
                             {0x78, 0x43}, {0x79, 0x44}, {0x7A, 0x57}, {0x7B, 0x58}};

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
constexpr ScanRow kScanRows[] = {{"1234567890-=", "!@#$%^&*()_+", 0x02},
                                 {"qwertyuiop[]", "QWERTYUIOP{}", 0x10},
                                 {"asdfghjkl;'`", "ASDFGHJKL:\"~", 0x1E},
                                 {"\\", "|", 0x2B},
                                 {"zxcvbnm,./", "ZXCVBNM<>?", 0x2C},
                                 {" ", " ", 0x39}};
constexpr std::array<uint8_t, 128> kAsciiScan = [] {
    std::array<uint8_t, 128> t{};
    for (const ScanRow& row : kScanRows)
        for (size_t i = 0; i < row.plain.size(); ++i) {
            t[static_cast<uint8_t>(row.plain[i])] = static_cast<uint8_t>(row.first + i);
            t[static_cast<uint8_t>(row.shifted[i])] = static_cast<uint8_t>(row.first + i);
        }
    return t;
}();

InputRecord Named(NamedKey k, uint32_t state) { return MakeKey(k.vk, k.scan, 0, state); }

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
    if (code == 13) return out = MakeKey(VK_RETURN, 0x1C, ctrl ? 10 : 13, state), true;
    if (code == 9) return out = MakeKey(VK_TAB, 0x0F, ctrl ? 0 : 9, state), true;
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
            return out = MakeKey(VK_TAB, 0x0F, 9, SHIFT_PRESSED), true;
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
    if (final == 'M') return out = MakeKey(VK_RETURN, 0x1C, 13, state), true;
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
    switch (b) {
        case 13: return MakeKey(VK_RETURN, 0x1C, 13, 0);
        case 10: return MakeKey('J', 0x24, 10, LEFT_CTRL_PRESSED);
        case 8:
        case 0x7F: return MakeKey(VK_BACK, 0x0E, 8, 0);
        case 9: return MakeKey(VK_TAB, 0x0F, 9, 0);
        case 27: return MakeKey(VK_ESCAPE, 0x01, 27, 0);
        default: break;
    }
    if (b >= 1 && b <= 26) {
        char letter = static_cast<char>('A' + b - 1);
        return MakeKey(static_cast<uint16_t>(letter), kAsciiScan[static_cast<uint8_t>(letter)], b,
                       LEFT_CTRL_PRESSED);
    }
    if (b == 0 || (b >= 28 && b <= 31)) return MakeKey(0, 0, b, LEFT_CTRL_PRESSED);
    if (b >= 0x80) return MakeKey(0, 0, b, 0);
    uint16_t vk = 0;
    if (b >= 'a' && b <= 'z') vk = static_cast<uint16_t>(b - 'a' + 'A');
    if ((b >= 'A' && b <= 'Z') || (b >= '0' && b <= '9')) vk = b;
    return MakeKey(vk, kAsciiScan[b], b, 0);
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
    std::vector<int> nums;
    if ((final != 'M' && final != 'm') || !ParseNumbers(params, nums) || nums.size() != 3)
        return false;
    int b = nums[0];
    bool press = final == 'M';
    if (b & 128 || nums[1] < 1 || nums[2] < 1) return false;
    out = InputRecord{};
    out.eventType = MOUSE_EVENT;
    out.position.x = static_cast<int16_t>(std::min(nums[1] - 1, 0x7FFF));
    out.position.y = static_cast<int16_t>(std::min(nums[2] - 1, 0x7FFF));
    if (b & 4) out.controlState |= SHIFT_PRESSED;
    if (b & 8) out.controlState |= LEFT_ALT_PRESSED;
    if (b & 16) out.controlState |= LEFT_CTRL_PRESSED;
    if (b & 64) {
        if (!press) return false;
        bool negative = (b & 1) ? !(b & 2) : (b & 2);  // 64 up +, 65 down -, 66 left -, 67 right +
        out.eventFlags = (b & 2) ? MOUSE_HWHEELED : MOUSE_WHEELED;
        out.buttonState = negative ? 0xFF880000u : 0x00780000u;
        return true;
    }
    constexpr uint32_t kButtons[4] = {FROM_LEFT_1ST_BUTTON_PRESSED, FROM_LEFT_2ND_BUTTON_PRESSED,
                                      RIGHTMOST_BUTTON_PRESSED, 0};
    uint32_t button = kButtons[b & 3];
    if (b & 32) {
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
