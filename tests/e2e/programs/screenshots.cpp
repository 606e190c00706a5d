// Makes the README's screenshots from a real run: starts pk on the emulated
// terminal (80x24) with a small sample file, and writes its first screen
// and its hex view as text, trailing blanks cut, to OUT/first.txt and
// OUT/hex.txt. Usage: pk_screenshots PK-BINARY SAMPLE-FILE OUT-DIR
#include <fstream>
#include <iostream>
#include <string>

#include "harness/pty_term.h"

namespace {

bool Save(const pktest::PtyTerm& t, const std::string& path) {
    std::ofstream out(path);
    for (int row = 0; row < t.rows(); ++row) {
        std::string text = t.rowText(row);
        text.erase(text.find_last_not_of(' ') + 1);
        out << text << '\n';
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
    if (!t.start({argv[1], argv[2]}) || !t.waitFor("COMMAND ==>", 5000, 2) || !t.waitFor("Half", 5000, 23) ||
        !t.waitFor("Line 1 of", 5000, 1)) {
        std::cerr << "pk did not show its first screen:\n" << t.screenText() << '\n';
        return 1;
    }
    if (!Save(t, out + "/first.txt")) return 1;
    t.send("v\r");
    if (!t.waitFor("File size is", 5000, 1) || !t.waitFor("00000000", 5000)) {
        std::cerr << "pk did not show the hex view:\n" << t.screenText() << '\n';
        return 1;
    }
    if (!Save(t, out + "/hex.txt")) return 1;
    t.send("end\r");
    return t.exitCode(5000) == 0 ? 0 : 1;
}
