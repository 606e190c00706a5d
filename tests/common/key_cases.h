// What a terminal sends for each key, and the key records pk makes of it.
// One table serves the decoder's unit test and the end-to-end key test, so
// the two cannot drift apart. The bytes of one case arrive together.
#pragma once

#include <cctype>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "panel/keys.h"

namespace pktest {

// A key-down record with repeat count 1.
struct KeyRecord {
    uint16_t vk, scan;
    uint8_t ch;
    uint32_t state;
    bool operator==(const KeyRecord&) const = default;
};

struct KeyCase { std::string bytes; std::vector<KeyRecord> records; };

// xterm's forms of a key: id is the final letter (SS3 or CSI) or the number
// before '~'; modifier 1 is the plain key.
inline std::string XtermKey(const std::string& id, int modifier, bool ss3) {
    std::string m = std::to_string(modifier);
    if (!std::isalpha(static_cast<unsigned char>(id[0]))) return "\033[" + id + (modifier > 1 ? ";" + m : "") + "~";
    return modifier > 1 ? "\033[1;" + m + id : (ss3 ? "\033O" : "\033[") + id;
}

inline std::vector<KeyCase> KeyCases() {
    using namespace pk;
    struct Named { const char* id; uint16_t vk, scan; };
    const std::pair<int, uint32_t> mods[] = {
        {2, SHIFT_PRESSED}, {5, LEFT_CTRL_PRESSED}, {3, LEFT_ALT_PRESSED},  {6, SHIFT_PRESSED | LEFT_CTRL_PRESSED},
        {7, LEFT_CTRL_PRESSED | LEFT_ALT_PRESSED},  {4, SHIFT_PRESSED | LEFT_ALT_PRESSED}};
    const Named fkeys[] = {{"P", VKEY_F1, SCAN_F1},    {"Q", VKEY_F2, SCAN_F2},    {"R", VKEY_F3, SCAN_F3},
                           {"S", VKEY_F4, SCAN_F4},    {"15", VKEY_F5, SCAN_F5},   {"17", VKEY_F6, SCAN_F6},
                           {"18", VKEY_F7, SCAN_F7},   {"19", VKEY_F8, SCAN_F8},   {"20", VKEY_F9, SCAN_F9},
                           {"21", VKEY_F10, SCAN_F10}, {"23", VKEY_F11, SCAN_F11}, {"24", VKEY_F12, SCAN_F12}};
    const Named nav[] = {{"H", VKEY_HOME, SCAN_HOME},   {"A", VKEY_UP, SCAN_UP},         {"5", VKEY_PGUP, SCAN_PGUP},
                         {"D", VKEY_LEFT, SCAN_LEFT},   {"C", VKEY_RIGHT, SCAN_RIGHT},   {"F", VKEY_END, SCAN_END},
                         {"B", VKEY_DOWN, SCAN_DOWN},   {"6", VKEY_PGDN, SCAN_PGDN},     {"2", VKEY_INSERT, SCAN_INSERT},
                         {"3", VKEY_DELETE, SCAN_DELETE}};
    std::vector<KeyCase> cases;
    for (const Named& k : fkeys) {
        cases.push_back({XtermKey(k.id, 1, true), {{k.vk, k.scan, 0, 0}}});
        for (auto [m, st] : mods) cases.push_back({XtermKey(k.id, m, true), {{k.vk, k.scan, 0, st}}});
    }
    for (const Named& k : nav) {
        if (std::isalpha(static_cast<unsigned char>(k.id[0])))
            cases.push_back({XtermKey(k.id, 1, true), {{k.vk, k.scan, 0, 0}}});  // application mode
        cases.push_back({XtermKey(k.id, 1, false), {{k.vk, k.scan, 0, 0}}});
        for (int i = 0; i < 4; ++i) cases.push_back({XtermKey(k.id, mods[i].first, false), {{k.vk, k.scan, 0, mods[i].second}}});
    }
    const KeyCase others[] = {
        {"\033[1~", {{VKEY_HOME, SCAN_HOME, 0, 0}}},  // Home and End as tmux sends them
        {"\033[4~", {{VKEY_END, SCAN_END, 0, 0}}},
        {"\r", {{VKEY_RETURN, SCAN_RETURN, '\r', 0}}},
        {"\033[13;5u", {{VKEY_RETURN, SCAN_RETURN, '\n', LEFT_CTRL_PRESSED}}},  // Ctrl+Enter (CSI u, modifyOtherKeys)
        {"\033[27;5;13~", {{VKEY_RETURN, SCAN_RETURN, '\n', LEFT_CTRL_PRESSED}}},
        {"\n", {{'J', SCAN_J, '\n', LEFT_CTRL_PRESSED}}},
        {"\x7f", {{VKEY_BACK, SCAN_BACK, '\b', 0}}},  // Backspace as DEL and as ^H
        {"\b", {{VKEY_BACK, SCAN_BACK, '\b', 0}}},
        {"\t", {{VKEY_TAB, SCAN_TAB, '\t', 0}}},
        {"\033[Z", {{VKEY_TAB, SCAN_TAB, '\t', SHIFT_PRESSED}}},
        {"\x16", {{'V', SCAN_V, 0x16, LEFT_CTRL_PRESSED}}},  // Ctrl+V, Ctrl+C, Ctrl+Space
        {"\x03", {{'C', SCAN_C, 0x03, LEFT_CTRL_PRESSED}}},
        {std::string(1, '\0'), {{0, 0, 0, LEFT_CTRL_PRESSED}}},
        {"a", {{'A', SCAN_A, 'a', 0}}},
        {"A", {{'A', SCAN_A, 'A', 0}}},  // no Shift: a terminal cannot tell it from Caps Lock
        {"/", {{0, SCAN_SLASH, '/', 0}}},
        {"\033v", {{'V', SCAN_V, 'v', LEFT_ALT_PRESSED}}},            // Alt+v
        {"\033\033OA", {{VKEY_UP, SCAN_UP, 0, LEFT_ALT_PRESSED}}},    // Alt+Up with an Esc prefix
        {"\033", {{VKEY_ESCAPE, SCAN_ESCAPE, 0x1B, 0}}},              // Esc alone
        {"\xc3\xa9", {{0, 0, 0xC3, 0}, {0, 0, 0xA9, 0}}},             // UTF-8: one record a byte
        {"\033[99;5Xq", {{'Q', SCAN_Q, 'q', 0}}},                     // an unknown sequence is dropped whole
    };
    cases.insert(cases.end(), std::begin(others), std::end(others));
    return cases;
}

}  // namespace pktest
