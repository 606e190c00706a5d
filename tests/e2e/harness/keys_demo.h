// Helper for tests of the terminal layer through "panel_demo keys": starts
// the demo on a PtyTerm and checks the record that each input produces. The
// demo numbers its records (#0001, #0002, ...) and shows the newest on row 1,
// older ones below, so a test can tell a new record from an old one.
#pragma once

#include <cstdio>
#include <string>
#include <vector>

#include "harness/pty_term.h"

namespace pktest {

class KeysDemo {
public:
    explicit KeysDemo(int rows = 25, int cols = 80) : term(rows, cols) {}

    bool start(std::vector<std::string> env = {}) {
        return term.start({PK_PANEL_DEMO, "keys"}, std::move(env)) && term.waitFor("KEYS READY", 5000, 0);
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
