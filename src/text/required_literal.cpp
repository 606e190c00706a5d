// Reads a pattern as a sequence of atoms at its top level: plain bytes (and
// escaped punctuation) join the current run; anything else (classes, dots,
// anchors, escapes with letters, groups) ends it. A quantifier drops the byte
// it repeats from the run when it allows zero of it, and ends the run in any
// case. A top-level "|", an option setting "(?" or a byte the scan could not
// fold like the pattern gives no literal at all.
#include "text/required_literal.h"

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <cstring>

namespace pk {

namespace {

bool IsPlain(unsigned char c) { return std::string_view("\\^$.[|()?*+{").find(char(c)) == std::string_view::npos; }

// The index after the character class that starts at i ("[").
size_t SkipClass(std::string_view p, size_t i) {
    ++i;
    if (i < p.size() && p[i] == '^') ++i;
    if (i < p.size() && p[i] == ']') ++i;  // a leading "]" is a member
    while (i < p.size() && p[i] != ']') {
        if (p[i] == '\\') ++i;
        else if (p.substr(i, 2) == "[:") {
            size_t close = p.find(":]", i + 2);
            if (close != std::string_view::npos) i = close + 1;
        }
        ++i;
    }
    return i + 1;
}

// The index after the group that starts at i ("(").
size_t SkipGroup(std::string_view p, size_t i) {
    int depth = 0;
    while (i < p.size()) {
        if (p[i] == '\\') i += 2;
        else if (p[i] == '[') i = SkipClass(p, i);
        else {
            depth += p[i] == '(' ? 1 : p[i] == ')' ? -1 : 0;
            ++i;
            if (depth == 0) return i;
        }
    }
    return i;
}

// At i a quantifier ("?", "*", "+", "{n...}"): its length (with a lazy or
// possessive mark) and whether it allows zero repeats; length 0 when none.
size_t Quantifier(std::string_view p, size_t i, bool& zero) {
    if (i >= p.size()) return 0;
    size_t n = 0;
    if (p[i] == '?' || p[i] == '*' || p[i] == '+') {
        zero = p[i] != '+';
        n = 1;
    } else if (p[i] == '{') {
        size_t close = p.find('}', i);
        if (close == std::string_view::npos) return 0;
        std::string_view body = p.substr(i + 1, close - i - 1);
        if (body.empty() || body.find_first_not_of("0123456789, ") != std::string_view::npos) return 0;
        // No lower bound, or one of zeros only ("{0,3}", "{,3}", "{00}").
        std::string_view low = body.substr(0, body.find(','));
        zero = low.find_first_not_of("0 ") == std::string_view::npos;
        n = close - i + 1;
    }
    if (n != 0 && i + n < p.size() && (p[i + n] == '?' || p[i + n] == '+')) ++n;
    return n;
}

// Length of the escape with a letter or digit that starts at i (a
// backslash), arguments included: \cX, \x41, \x{263A}, \pL, \p{Lu},
// \k<name>, \12; 0 for \Q, whose quoted text this reading does not follow.
size_t EscapeLength(std::string_view p, size_t i) {
    if (i + 1 >= p.size()) return p.size() - i;
    char e = p[i + 1];
    size_t at = i + 2;
    auto bracketed = [&](size_t from) {
        static constexpr std::string_view open = "{<'", close = "}>'";
        size_t k = open.find(from < p.size() ? p[from] : ' ');
        if (k == std::string_view::npos) return from;
        size_t end = p.find(close[k], from + 1);
        return end == std::string_view::npos ? p.size() : end + 1;
    };
    auto digits = [&](size_t from, size_t most, const char* set) {
        size_t end = from;
        while (end < p.size() && end - from < most && p[end] != '\0' && std::strchr(set, p[end]) != nullptr) ++end;
        return end;
    };
    switch (e) {
        case 'Q': return 0;
        case 'c': return std::min(p.size(), at + 1) - i;
        case 'x': at = at < p.size() && p[at] == '{' ? bracketed(at) : digits(at, 2, "0123456789abcdefABCDEF"); break;
        case 'o': case 'N': case 'p': case 'P': case 'k': at = bracketed(at); break;
        case 'g': at = at < p.size() && std::strchr("{<'", p[at]) && p[at] != '\0' ? bracketed(at) : digits(digits(at, 1, "+-"), SIZE_MAX, "0123456789"); break;
        default:
            if (e >= '0' && e <= '9') at = digits(at, e == '0' ? 2 : SIZE_MAX, e == '0' ? "01234567" : "0123456789");
    }
    // A one-letter property (\pL) takes its letter.
    if ((e == 'p' || e == 'P') && at == i + 2 && at < p.size()) ++at;
    return at - i;
}

bool Foldable(unsigned char c, bool fold, bool utf8) {
    if (!fold) return true;
    int lower = std::tolower(c);
    return c < 0x80 && !(utf8 && (lower == 'k' || lower == 's'));
}

}  // namespace

std::string RequiredLiteral(std::string_view p, bool fold, bool utf8) {
    if (p.find("(?") != std::string_view::npos || p.find("(*") != std::string_view::npos) return "";
    std::string best, run;
    auto endRun = [&] {
        if (run.size() > best.size()) best = run;
        run.clear();
    };
    size_t i = 0;
    while (i < p.size()) {
        unsigned char c = static_cast<unsigned char>(p[i]);
        size_t next = i + 1;
        bool literal = false;
        if (c == '|') return "";
        if (IsPlain(c)) {
            literal = true;
        } else if (c == '\\' && i + 1 < p.size() && !std::isalnum(static_cast<unsigned char>(p[i + 1]))) {
            c = static_cast<unsigned char>(p[i + 1]);
            literal = true;
            next = i + 2;
        } else if (c == '\\') {
            size_t n = EscapeLength(p, i);
            if (n == 0) return "";
            next = i + n;
        } else if (c == '[') {
            next = SkipClass(p, i);
        } else if (c == '(') {
            next = SkipGroup(p, i);
        }
        bool zero = false;
        size_t q = Quantifier(p, next, zero);
        bool kept = literal && Foldable(c, fold, utf8);
        // A UTF-8 character is repeated whole: the bytes before its last
        // go with it.
        if (kept && q != 0 && zero && utf8 && c >= 0x80)
            while (!run.empty() && static_cast<unsigned char>(run.back()) >= 0x80) run.pop_back();
        if (kept && !(q != 0 && zero)) run.push_back(char(c));
        if (!kept || q != 0) endRun();
        i = next + q;
    }
    endRun();
    return best;
}

}  // namespace pk
