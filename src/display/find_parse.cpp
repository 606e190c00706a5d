// The find command's parameter. A parameter that begins with a quote (or
// with r or R and a quote) is a quoted string: it ends at the next matching
// quote, a doubled quote standing for one, or at the end of the line when
// the closing quote is missing. Blank-separated keywords may follow it, in
// any order and either case. Any other parameter is the text itself, blanks
// and quotes included.
#include "display/find_parse.h"

#include <cstddef>

#include "panel/ascii.h"

namespace pk {

namespace {

bool IsQuote(char c) { return c == '"' || c == '\''; }
bool IsBlank(char c) { return c == ' ' || c == '\t'; }

bool SameWord(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (AsciiLower(uint8_t(a[i])) != uint8_t(b[i])) return false;
    return true;
}

// Takes one keyword; false for a word that is none, or a second direction
// that differs from the first.
bool TakeKeyword(std::string_view word, FindCommand& command, bool& directionGiven) {
    struct Keyword {
        const char* name;
        FindDirection direction;
    };
    static constexpr Keyword keywords[] = {
        {"next", FIND_NEXT}, {"prev", FIND_PREV}, {"first", FIND_FIRST}, {"last", FIND_LAST}};
    if (SameWord(word, "all")) {
        command.count = true;
        if (!directionGiven) command.direction = FIND_FIRST;
        return true;
    }
    for (const Keyword& k : keywords) {
        if (!SameWord(word, k.name)) continue;
        if (directionGiven && command.direction != k.direction) return false;
        command.direction = k.direction;
        directionGiven = true;
        return true;
    }
    return false;
}

}  // namespace

FindCommand ParseFindParameter(std::string_view p) {
    FindCommand command;
    size_t open = p.size() >= 2 && (p[0] == 'r' || p[0] == 'R') && IsQuote(p[1]) ? 1 : 0;
    if (p.empty() || !IsQuote(p[open])) {
        command.text = std::string(p);
        return command;
    }
    command.pattern = open == 1;
    const char quote = p[open];
    size_t i = open + 1;
    for (; i < p.size(); ++i) {
        if (p[i] != quote) {
            command.text.push_back(p[i]);
        } else if (i + 1 < p.size() && p[i + 1] == quote) {
            command.text.push_back(quote);
            ++i;
        } else {
            break;
        }
    }
    if (i >= p.size()) return command;  // no closing quote: the rest of the line
    std::string_view rest = p.substr(i + 1);
    if (!rest.empty() && !IsBlank(rest[0])) command.valid = false;
    bool directionGiven = false;
    while (command.valid) {
        size_t start = rest.find_first_not_of(" \t");
        if (start == std::string_view::npos) break;
        size_t end = rest.find_first_of(" \t", start);
        std::string_view word = rest.substr(start, end == std::string_view::npos ? rest.size() - start : end - start);
        command.valid = TakeKeyword(word, command, directionGiven);
        rest = rest.substr(start + word.size());
    }
    return command;
}

}  // namespace pk
