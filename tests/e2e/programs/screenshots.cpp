// Makes the README's screenshots from a real run: starts pk on the emulated
// terminal (80x24) with a small sample file, and writes its first screen
// and its hex view as text, trailing blanks cut, to OUT/first.txt and
// OUT/hex.txt. Usage: pk_screenshots PK-BINARY SAMPLE-FILE OUT-DIR
#include <fstream>
#include <iostream>
#include <string>

#include "harness/pty_term.h"

namespace {

// Waits for each of texts on its row (-1: anywhere), then saves the screen.
bool Shot(pktest::PtyTerm& t, std::initializer_list<std::pair<const char*, int>> texts, const std::string& path) {
    for (auto [text, row] : texts)
        if (!t.waitFor(text, 5000, row)) {
            std::cerr << "pk did not show '" << text << "':\n" << t.screenText();
            return false;
        }
    std::ofstream out(path);
    for (int row = 0; row < t.rows(); ++row) {
        std::string text = t.rowText(row);
        out << text.erase(text.find_last_not_of(' ') + 1) << '\n';
    }
    return bool(out);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 4) {
        std::cerr << "usage: pk_screenshots PK-BINARY SAMPLE-FILE OUT-DIR\n";
        return 2;
    }
    const std::string out = argv[3];
    pktest::PtyTerm t(24, 80);
    if (!t.start({argv[1], argv[2]}) || !Shot(t, {{"COMMAND ==>", 2}, {"Half", 23}, {"Line 1 of", 1}}, out + "/first.txt"))
        return 1;
    t.send("v\r");
    if (!Shot(t, {{"File size is", 1}, {"00000000", -1}}, out + "/hex.txt")) return 1;
    t.send("end\r");
    return t.exitCode(5000) == 0 ? 0 : 1;
}
