// Reading and replacing keys in profile text, and the hex-with-checksum
// encoding of binary values.
#include "app/profile.h"

#include <vector>

#include "panel/ascii.h"

namespace pk {

namespace {

struct Line {
    size_t begin;    // first byte of the line
    size_t textEnd;  // before its line end
    size_t end;      // after its line end
};

// Where the line end at text[at] (CR or LF) ends: a CR LF is one line end.
size_t LineEndAt(std::string_view text, size_t at) {
    return text[at] == '\r' && at + 1 < text.size() && text[at + 1] == '\n' ? at + 2 : at + 1;
}

// Lines end in LF, CR LF or a lone CR, for reading and writing alike.
std::vector<Line> SplitLines(std::string_view text) {
    std::vector<Line> lines;
    size_t begin = 0;
    while (begin < text.size()) {
        size_t stop = text.find_first_of("\r\n", begin);
        if (stop == std::string_view::npos) {
            lines.push_back({begin, text.size(), text.size()});
            break;
        }
        lines.push_back({begin, stop, LineEndAt(text, stop)});
        begin = lines.back().end;
    }
    return lines;
}

std::string_view Trim(std::string_view s) {
    size_t b = s.find_first_not_of(" \t");
    if (b == std::string_view::npos) return {};
    size_t e = s.find_last_not_of(" \t");
    return s.substr(b, e - b + 1);
}

bool SameName(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i) {
        if (AsciiLower(a[i]) != AsciiLower(b[i])) return false;
    }
    return true;
}

// The name of a "[name]" line, or nullopt for any other line.
std::optional<std::string_view> SectionName(std::string_view line) {
    line = Trim(line);
    if (line.size() < 2 || line.front() != '[') return std::nullopt;
    size_t close = line.find(']');
    if (close == std::string_view::npos) return std::nullopt;
    return Trim(line.substr(1, close - 1));
}

// The key of a "key=value" line (comments and other lines: none).
std::optional<std::string_view> KeyName(std::string_view line) {
    std::string_view t = Trim(line);
    if (t.empty() || t.front() == ';' || t.front() == '[') return std::nullopt;
    size_t eq = line.find('=');
    if (eq == std::string_view::npos) return std::nullopt;
    return Trim(line.substr(0, eq));
}

// Where a key stands: its line, the last line of its section worth keeping
// the key before, and whether the section exists.
struct KeyPlace {
    bool section = false;
    std::optional<size_t> keyLine;
    size_t lastContent = 0;  // index of the section's last non-blank line
};

KeyPlace FindKey(std::string_view text, const std::vector<Line>& lines, std::string_view section,
                 std::string_view key) {
    KeyPlace place;
    bool inside = false;
    for (size_t i = 0; i < lines.size(); ++i) {
        std::string_view line = text.substr(lines[i].begin, lines[i].textEnd - lines[i].begin);
        if (auto name = SectionName(line)) {
            if (place.section && inside) break;  // only the first such section counts
            inside = SameName(*name, section);
            if (inside) {
                place.section = true;
                place.lastContent = i;
            }
            continue;
        }
        if (!inside) continue;
        if (!Trim(line).empty()) place.lastContent = i;
        auto name = KeyName(line);
        if (name && SameName(*name, key)) {
            place.keyLine = i;
            return place;
        }
    }
    return place;
}

// The text's first line end, which new lines take; LF for a text without one.
std::string LineEndOf(std::string_view text) {
    size_t stop = text.find_first_of("\r\n");
    if (stop == std::string_view::npos) return "\n";
    return std::string(text.substr(stop, LineEndAt(text, stop) - stop));
}

}  // namespace

std::optional<std::string> ProfileGet(std::string_view text, std::string_view section, std::string_view key) {
    std::vector<Line> lines = SplitLines(text);
    KeyPlace place = FindKey(text, lines, section, key);
    if (!place.keyLine) return std::nullopt;
    const Line& l = lines[*place.keyLine];
    std::string_view line = text.substr(l.begin, l.textEnd - l.begin);
    return std::string(Trim(line.substr(line.find('=') + 1)));
}

std::string ProfileSet(std::string_view text, std::string_view section, std::string_view key,
                       std::string_view value) {
    std::vector<Line> lines = SplitLines(text);
    KeyPlace place = FindKey(text, lines, section, key);
    std::string eol = LineEndOf(text);
    std::string keyLine = std::string(key) + "=" + std::string(value);
    std::string out;
    if (place.keyLine) {
        const Line& l = lines[*place.keyLine];
        out.append(text.substr(0, l.begin)).append(keyLine).append(text.substr(l.textEnd));
        return out;
    }
    if (place.section) {
        const Line& l = lines[place.lastContent];
        bool ended = l.end > l.textEnd;
        if (ended) eol = std::string(text.substr(l.textEnd, l.end - l.textEnd));  // the section's own
        out.append(text.substr(0, l.end));
        if (!ended) out.append(eol);
        out.append(keyLine).append(eol).append(text.substr(l.end));
        return out;
    }
    out.append(text);
    if (!out.empty() && out.back() != '\n' && out.back() != '\r') out.append(eol);
    out.append("[").append(section).append("]").append(eol).append(keyLine).append(eol);
    return out;
}

uint32_t ProfileInt(const std::optional<std::string>& value, uint32_t fallback) {
    if (!value) return fallback;
    std::string_view v = *value;
    bool negative = !v.empty() && v.front() == '-';
    if (!v.empty() && (v.front() == '-' || v.front() == '+')) v.remove_prefix(1);
    uint64_t n = 0;
    for (char c : v) {
        if (c < '0' || c > '9') break;
        n = n * 10 + static_cast<uint64_t>(c - '0');
        if (n > UINT32_MAX) n = UINT32_MAX;
    }
    return negative ? static_cast<uint32_t>(0u - static_cast<uint32_t>(n)) : static_cast<uint32_t>(n);
}

std::string ProfileEncodeStruct(std::span<const uint8_t> bytes) {
    std::string out;
    uint8_t sum = 0;
    auto put = [&](uint8_t b) {
        out.push_back(kHexDigits[b >> 4]);
        out.push_back(kHexDigits[b & 15]);
    };
    for (uint8_t b : bytes) {
        put(b);
        sum = static_cast<uint8_t>(sum + b);
    }
    put(sum);
    return out;
}

bool ProfileDecodeStruct(std::string_view value, std::span<uint8_t> out) {
    if (value.size() != 2 * (out.size() + 1)) return false;
    std::vector<uint8_t> bytes;
    uint8_t sum = 0;
    for (size_t i = 0; i < value.size(); i += 2) {
        int hi = HexValue(value[i]), lo = HexValue(value[i + 1]);
        if (hi < 0 || lo < 0) return false;
        bytes.push_back(static_cast<uint8_t>(hi * 16 + lo));
    }
    for (size_t i = 0; i < out.size(); ++i) sum = static_cast<uint8_t>(sum + bytes[i]);
    if (sum != bytes.back()) return false;
    std::copy(bytes.begin(), bytes.end() - 1, out.begin());
    return true;
}

}  // namespace pk
