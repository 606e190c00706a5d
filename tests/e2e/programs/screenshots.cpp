// Makes the README's screenshots from a real run: starts pk on the emulated
// terminal (80x24) with a small sample file, and writes its first screen
// and its hex view as text, trailing blanks cut, to OUT/first.txt and
// OUT/hex.txt. Usage: pk_screenshots PK-BINARY SAMPLE-FILE OUT-DIR
#include <fstream>
#include <iostream>
#include <string>
#include <utility>
#include <vector>

#include "harness/pty_term.h"

int main(int argc, char** argv) {
    if (argc != 4) {
        std::cerr << "usage: pk_screenshots PK-BINARY SAMPLE-FILE OUT-DIR\n";
        return 2;
    }
    // The keys, then the texts the screen must show (row -1: anywhere) before it is saved.
    const struct { const char* keys; std::vector<std::pair<const char*, int>> texts; const char* file; } shots[] = {
        {"", {{"COMMAND ==>", 2}, {"Half", 23}, {"Line 1 of", 1}}, "/first.txt"},
        {"v\r", {{"File size is", 1}, {"00000000", -1}}, "/hex.txt"}};
    pktest::PtyTerm t(24, 80);
    if (!t.start({argv[1], argv[2]})) return 1;
    for (const auto& shot : shots) {
        t.send(shot.keys);
        for (auto [text, row] : shot.texts)
            if (!t.waitFor(text, 5000, row)) return std::cerr << "pk did not show '" << text << "':\n" << t.screenText(), 1;
        std::ofstream out(argv[3] + std::string(shot.file));
        for (int row = 0; row < t.rows(); ++row) {
            std::string text = t.rowText(row);
            out << text.erase(text.find_last_not_of(' ') + 1) << '\n';
        }
        if (!out) return 1;
    }
    t.send("end\r");
    return t.exitCode(5000) == 0 ? 0 : 1;
}
