// The settings file's rules on any text: a key set reads back, every other
// key reads as before, every other line stays, setting it again changes
// nothing; binary values round trip through hex with their checksum, and a
// value that decodes is the encoding of what it gave.
#include <fuzzer/FuzzedDataProvider.h>

#include <string>
#include <vector>

#include "fuzz_check.h"
#include "app/profile.h"
#include "panel/ascii.h"

namespace {

using pkfuzz::Check;

// Lines without their ends (LF, CR LF or a lone CR).
std::vector<std::string_view> Lines(std::string_view text) {
    std::vector<std::string_view> lines;
    while (!text.empty()) {
        size_t end = std::min(text.find_first_of("\r\n"), text.size());
        lines.push_back(text.substr(0, end));
        end += text.substr(end).starts_with("\r\n") ? 2 : end < text.size() ? 1 : 0;
        text.remove_prefix(end);
    }
    return lines;
}

// Lines of a that b keeps in the same order (longest common subsequence).
size_t Kept(const std::vector<std::string_view>& a, const std::vector<std::string_view>& b) {
    std::vector<size_t> row(b.size() + 1, 0), next(b.size() + 1, 0);
    for (size_t i = a.size(); i-- > 0; std::swap(row, next))
        for (size_t j = b.size(); j-- > 0;) next[j] = a[i] == b[j] ? row[j + 1] + 1 : std::max(row[j], next[j + 1]);
    return row[0];
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const char* const kSections[] = {"common", "x"};
    static const char* const kKeys[] = {"tabs", "flen", "find", "a"};
    FuzzedDataProvider in(data, size);
    const char *section = in.PickValueInArray(kSections), *key = in.PickValueInArray(kKeys);
    std::string value = in.ConsumeRandomLengthString(12);
    std::erase_if(value, [](char c) { return !pk::IsHexDigit(c); });
    std::string text = in.ConsumeRandomLengthString(400);

    std::string once = pk::ProfileSet(text, section, key, value);
    Check(pk::ProfileGet(once, section, key) == value, "a key set reads back");
    Check(pk::ProfileSet(once, section, key, value) == once, "setting it again changes nothing");
    for (const char* s : kSections)
        for (const char* k : kKeys)
            if (std::string_view(s) != section || std::string_view(k) != key)
                Check(pk::ProfileGet(once, s, k) == pk::ProfileGet(text, s, k), "other keys read as before");
    // In place: at most the key's own line goes, at most it and a section
    // line come.
    auto before = Lines(text), after = Lines(once);
    size_t kept = Kept(before, after);
    Check(kept + 1 >= before.size() && kept + 2 >= after.size(), "other lines stay");

    // Hex with a checksum.
    std::string bytes = in.ConsumeRandomLengthString(250);
    std::span<const uint8_t> raw(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
    std::string encoded = pk::ProfileEncodeStruct(raw);
    for (char& c : encoded) c = in.ConsumeBool() ? pk::AsciiLower(c) : c;
    std::vector<uint8_t> decoded(bytes.size(), 0x55);
    Check(pk::ProfileDecodeStruct(encoded, decoded) && std::equal(decoded.begin(), decoded.end(), raw.begin()),
          "hex round trip");
    std::string any = in.ConsumeRemainingBytesAsString();
    std::vector<uint8_t> out(any.size() / 2 > 0 ? any.size() / 2 - 1 : 0, 0x55);
    if (pk::ProfileDecodeStruct(any, out)) {
        for (char& c : any) c = char(pk::AsciiUpper(uint8_t(c)));
        Check(pk::ProfileEncodeStruct(out) == any, "a value that decodes is its encoding");
    } else {
        Check(std::all_of(out.begin(), out.end(), [](uint8_t b) { return b == 0x55; }), "a refused value writes nothing");
    }
    return 0;
}
