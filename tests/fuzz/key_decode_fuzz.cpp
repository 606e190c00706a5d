// Terminal key decoding on any bytes: every record is well formed; key
// strings of the shared key table typed one after another give their
// records one after another; a bracketed paste gives its text whole; bytes
// without Esc give one record each; the decoder fed one byte at a time with
// pauses anywhere stays sound.
#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>

#include "fuzz_check.h"
#include "key_cases.h"
#include "panel/input_decoder.h"

namespace {

using pkfuzz::Check;

using namespace pk;

void CheckWellFormed(const InputRecord& r, size_t inputSize) {
    if (r.eventType == KEY_EVENT) return Check(r.keyDown && r.repeatCount == 1 && r.text.empty(), "a key record is one press");
    if (r.eventType == MOUSE_EVENT) return Check(r.position.x >= 0 && r.position.y >= 0, "a mouse record is on the screen");
    Check(r.eventType == PASTE_EVENT && r.text.size() <= inputSize, "a paste holds typed bytes only");
}

std::vector<pktest::KeyRecord> Keys(const std::vector<InputRecord>& records) {
    std::vector<pktest::KeyRecord> keys;
    for (const InputRecord& r : records) {
        Check(r.eventType == KEY_EVENT, "a key record");
        keys.push_back({r.virtualKey, r.scanCode, r.ch, r.controlState});
    }
    return keys;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const std::vector<pktest::KeyCase> cases = pktest::KeyCases();
    size = std::min<size_t>(size, 512);  // typed bytes are matched against every key string
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    for (const InputRecord& r : DecodeTyped(bytes)) CheckWellFormed(r, size);

    // Keys typed faster than they are read: the table's cases in a row (a
    // lone Esc only last, since it joins what follows it).
    std::string typed;
    std::vector<pktest::KeyRecord> want;
    for (size_t i = 0; i < size; ++i) {
        const pktest::KeyCase& c = cases[data[i] % cases.size()];
        if (c.bytes == "\033" && i + 1 < size) continue;
        typed += c.bytes;
        want.insert(want.end(), c.records.begin(), c.records.end());
    }
    Check(Keys(DecodeTyped(typed)) == want, "keys in a row give their records in a row");

    // A paste is text, whatever it holds, up to its end marker; the text
    // holds no marker and is kept up to PASTE_KEPT bytes.
    std::string text = bytes;
    for (const std::string_view marker : {kPasteEnd, kPasteBegin})
        for (size_t at; (at = text.find(marker)) != std::string::npos;) text.erase(at, 1);
    std::vector<InputRecord> got = DecodeTyped(kPasteBegin + text + kPasteEnd);
    Check(got.size() == 1 && got[0].eventType == PASTE_EVENT && got[0].text == text.substr(0, pk::PASTE_KEPT),
          "a paste is its text");

    // Without Esc, every byte is a key of its own.
    std::string plain = bytes;
    std::erase(plain, '\033');
    std::vector<InputRecord> each;
    for (char c : plain) each.push_back(KeyFromByte(uint8_t(c)));
    Check(Keys(DecodeTyped(plain)) == Keys(each), "a byte without Esc is a key");

    // One byte at a time as a slow terminal gives them, with pauses (the
    // reader's wait running out) and clock jumps anywhere.
    FuzzedDataProvider in(data, size);
    InputDecoder decoder;
    std::deque<InputRecord> out;
    int64_t now = 0;
    while (in.remaining_bytes() > 0) {
        const uint8_t b = in.ConsumeIntegral<uint8_t>();
        if (b != 0xFF) decoder.feed({InputUnit::Char, std::string(1, char(b)), {}}, now += in.ConsumeIntegralInRange(0, 600), out);
        else if (!decoder.idle()) decoder.expire(out);
    }
    decoder.expire(out);
    Check(decoder.idle(), "a pause ends what is pending");
    for (const InputRecord& r : out) CheckWellFormed(r, size);
    return 0;
}
