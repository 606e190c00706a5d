// Helper for tests of the terminal layer through "panel_demo keys": starts
// the demo on a PtyTerm and checks the record that each input produces. The
// demo numbers its records (#0001, #0002, ...) and shows the newest on row 1,
// older ones below, so a test can tell a new record from an old one.
#pragma once

#include <cstdio>
#include <string>
#include <vector>

#include "harness/pty_term.h"
#include "panel/keys.h"

namespace pktest {

// A key record as the demo shows it ("KEY vk=70 sc=3B ch=00 st=0000"), or
// its start up to the first field given as -1.
inline std::string KeyText(int vk, int scan = -1, int ch = -1, long state = -1) {
    char buf[64];
    int n = snprintf(buf, sizeof buf, "KEY vk=%02X", vk);
    if (scan >= 0) n += snprintf(buf + n, sizeof buf - size_t(n), " sc=%02X", scan);
    if (scan >= 0 && ch >= 0) n += snprintf(buf + n, sizeof buf - size_t(n), " ch=%02X", ch);
    if (scan >= 0 && ch >= 0 && state >= 0) snprintf(buf + n, sizeof buf - size_t(n), " st=%04lX", state);
    return buf;
}

class KeysDemo {
public:
    explicit KeysDemo(int rows = 25, int cols = 80) : term(rows, cols) {}

    bool start(std::vector<std::string> env = {}) {
        return term.start({PK_PANEL_DEMO, "keys"}, std::move(env)) && term.waitFor("KEYS READY", 5000, 0);
    }
    // F10 plain, with Shift and with Ctrl end the demo.
    static bool endsOn(uint16_t vk, uint32_t state) {
        return vk == pk::VKEY_F10 && (state == 0 || state == pk::SHIFT_PRESSED || state == pk::LEFT_CTRL_PRESSED);
    }
    // A record's line as the demo shows it.
    static std::string numbered(unsigned number, const std::string& text) {
        char num[16];
        snprintf(num, sizeof num, "#%04u ", number);
        return num + text;
    }
    // Sends bytes and waits until the records `texts` (oldest first) are
    // shown as the next ones.
    bool expect(const std::string& bytes, const std::vector<std::string>& texts) {
        term.send(bytes);
        return shows(texts);
    }
    bool shows(const std::vector<std::string>& texts) {
        int n = static_cast<int>(texts.size());
        count += static_cast<unsigned>(n);
        for (int i = 0; i < n; ++i)
            if (!term.waitFor(numbered(count - static_cast<unsigned>(n - 1 - i), texts[i]), 3000, n - i))
                return false;
        return true;
    }

    PtyTerm term;
    unsigned count = 0;
};

}  // namespace pktest
