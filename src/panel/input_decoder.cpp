// Terminal input units as console records (see input_decoder.h).
#include "panel/input_decoder.h"

#include <algorithm>

#include "panel/utf8.h"

namespace pk {

namespace {

constexpr int kSequenceWaitMs = 25;   // the next byte of an escape sequence
constexpr int kMouseWaitMs = 100;     // the rest of a mouse report
constexpr int kPasteWaitMs = 1000;    // a paste whose end marker never comes ends here
constexpr size_t kMaxMouseReport = 32;  // longer parameters make no report: dropped
constexpr size_t kMaxKeyString = 16;    // no key string is longer

// Parameter and intermediate bytes of an escape sequence, and its final byte.
bool IsParameter(const InputUnit& u) {
    return u.kind == InputUnit::Char && u.bytes.size() == 1 && u.bytes[0] >= 0x20 && u.bytes[0] <= 0x3F;
}
bool IsFinal(const InputUnit& u) {
    return u.kind == InputUnit::Char && u.bytes.size() == 1 && u.bytes[0] >= 0x40 && u.bytes[0] <= 0x7E;
}

void PushBytes(std::string_view bytes, uint32_t extraState, std::deque<InputRecord>& out) {
    for (char b : bytes) {
        out.push_back(KeyFromByte(static_cast<uint8_t>(b)));
        out.back().controlState |= extraState;
    }
}

}  // namespace

int InputDecoder::waitMs() const {
    switch (state_) {
        case State::Sequence: return parameters_ == 0 ? 0 : kSequenceWaitMs;
        case State::Mouse: return kMouseWaitMs;
        case State::Paste: return kPasteWaitMs;
        case State::Idle:
        case State::AfterEscape: break;
    }
    return 0;
}

void InputDecoder::feed(const InputUnit& unit, int64_t nowMs, std::deque<InputRecord>& out) {
    switch (state_) {
        case State::Idle: return start(unit, 0, out);
        case State::AfterEscape: return afterEscape(unit, out);
        case State::Sequence: return sequence(unit, out);
        case State::Mouse: return mouse(unit, nowMs, out);
        case State::Paste: feedPaste(unit.bytes, out); return;
    }
}

void InputDecoder::expire(std::deque<InputRecord>& out) {
    if (state_ == State::AfterEscape) PushBytes("\033", 0, out);  // Esc alone
    if (state_ == State::Sequence && parameters_ == 0) PushBytes(pending_, LEFT_ALT_PRESSED, out);
    if (state_ == State::Paste) {
        keep(pending_);  // the start of a marker that never came is text
        pending_.clear();
        out.push_back(std::move(paste_));
    }
    state_ = State::Idle;  // a cut sequence or mouse report is dropped
}

void InputDecoder::start(const InputUnit& unit, uint32_t extraState, std::deque<InputRecord>& out) {
    switch (unit.kind) {
        case InputUnit::Char:
            if (unit.bytes == "\033") {
                state_ = State::AfterEscape;
                return;
            }
            return PushBytes(unit.bytes, extraState, out);
        case InputUnit::Key:
            if (unit.record.eventType != KEY_EVENT) return;  // a key pk has no record for
            out.push_back(unit.record);
            out.back().controlState |= extraState;
            return;
        case InputUnit::MouseReport:
            state_ = State::Mouse;
            pending_.clear();
            overlong_ = false;
            return;
        case InputUnit::PasteBegin:
            state_ = State::Paste;
            pending_.clear();
            paste_ = InputRecord{};
            paste_.eventType = PASTE_EVENT;
            return;
        case InputUnit::PasteEnd: return;  // an end without a beginning
    }
}

// After Esc: a key or character is that key with Alt; "[" or "O" starts a
// sequence (unless nothing follows: then it is Alt+[ or Alt+O).
void InputDecoder::afterEscape(const InputUnit& unit, std::deque<InputRecord>& out) {
    state_ = State::Idle;
    if (unit.kind != InputUnit::Char) return start(unit, LEFT_ALT_PRESSED, out);
    if (unit.bytes == "[" || unit.bytes == "O") {
        state_ = State::Sequence;
        pending_ = unit.bytes;
        parameters_ = 0;
        return;
    }
    PushBytes(unit.bytes, LEFT_ALT_PRESSED, out);
}

// A sequence that came byte by byte is read to its final byte: a key string
// (one the reader did not take whole) gives its key, any other sequence is
// dropped whole, however many parameter bytes it has. Anything else that
// arrives in it (a key string, Esc, another control byte) cuts it short and
// counts.
void InputDecoder::sequence(const InputUnit& unit, std::deque<InputRecord>& out) {
    if (IsParameter(unit)) {
        ++parameters_;
        if (pending_.size() <= kMaxKeyString) pending_ += unit.bytes;
        return;
    }
    state_ = State::Idle;
    if (!IsFinal(unit)) return start(unit, 0, out);
    InputRecord key;
    if (pending_.size() <= kMaxKeyString && DecodeKeySequence("\033" + pending_ + unit.bytes, key)) out.push_back(key);
}

// A mouse report ends at its final byte: M or m with parameters that make a
// report give it; any other, or parameters too long for one, drop it whole.
void InputDecoder::mouse(const InputUnit& unit, int64_t nowMs, std::deque<InputRecord>& out) {
    if (IsParameter(unit)) {
        if (pending_.size() < kMaxMouseReport) pending_ += unit.bytes;
        else overlong_ = true;
        return;
    }
    state_ = State::Idle;
    if (!IsFinal(unit)) return start(unit, 0, out);
    InputRecord report;
    if (overlong_ || !DecodeSgrMouse(pending_, unit.bytes[0], report)) return;
    clicks_.apply(report, nowMs);
    out.push_back(report);
}

void InputDecoder::keep(std::string_view text) {
    const size_t room = PASTE_KEPT - std::min(PASTE_KEPT, paste_.text.size());
    paste_.text.append(text.substr(0, room));
}

// Everything up to the end marker is text, also what looks like a key; a
// begin marker inside is dropped. pending_ holds the start of a marker cut
// by the end of the bytes. Past PASTE_KEPT bytes only the markers are looked
// for, one memchr at a time.
size_t InputDecoder::feedPaste(std::string_view bytes, std::deque<InputRecord>& out) {
    const size_t carried = pending_.size();
    std::string joined;
    std::string_view data = bytes;
    if (carried > 0) {
        joined = std::move(pending_) + std::string(bytes);
        data = joined;
        pending_.clear();
    }
    const std::string_view begin = kPasteBegin, end = kPasteEnd;
    for (size_t pos = 0; pos < data.size();) {
        const size_t esc = data.find('\033', pos);
        keep(data.substr(pos, esc - pos));
        if (esc == std::string_view::npos) break;
        const std::string_view rest = data.substr(esc);
        if (rest.starts_with(end)) {
            state_ = State::Idle;
            out.push_back(std::move(paste_));
            return esc + end.size() - carried;
        }
        if (rest.starts_with(begin)) {
            pos = esc + begin.size();
        } else if (end.starts_with(rest) || begin.starts_with(rest)) {
            pending_ = rest;
            break;
        } else {
            keep("\033");
            pos = esc + 1;
        }
    }
    return bytes.size();
}

namespace {

struct KnownString {
    std::string bytes;
    InputUnit::Kind kind;
};

const std::vector<KnownString>& KnownStrings() {
    static const std::vector<KnownString> known = [] {
        std::vector<KnownString> all = {{kMouseReportStart, InputUnit::MouseReport},
                                        {kPasteBegin, InputUnit::PasteBegin},
                                        {kPasteEnd, InputUnit::PasteEnd}};
        for (std::string& seq : XtermKeySequences()) all.push_back({std::move(seq), InputUnit::Key});
        return all;
    }();
    return known;
}

// The length of the UTF-8 character at the start of rest; 1 for any byte
// that does not start a well-formed one.
size_t CharLength(std::string_view rest) {
    const auto* bytes = reinterpret_cast<const uint8_t*>(rest.data());
    return std::max<size_t>(1, DecodeUtf8(bytes, static_cast<uint32_t>(std::min<size_t>(rest.size(), 4))).length);
}

}  // namespace

// The unit at the start of rest: the longest key string it starts with,
// else one character.
InputUnit NextTypedUnit(std::string_view rest) {
    const KnownString* best = nullptr;
    for (const KnownString& k : KnownStrings())
        if (rest.starts_with(k.bytes) && (!best || k.bytes.size() > best->bytes.size())) best = &k;
    InputUnit unit;
    if (!best) {
        unit.bytes = rest.substr(0, CharLength(rest));
        return unit;
    }
    unit.kind = best->kind;
    unit.bytes = best->bytes;
    if (unit.kind == InputUnit::Key) DecodeKeySequence(unit.bytes, unit.record);
    return unit;
}

size_t InputDecoder::feedBytes(std::string_view bytes, int64_t nowMs, std::deque<InputRecord>& out) {
    if (pasting()) return feedPaste(bytes, out);
    InputUnit unit = NextTypedUnit(bytes);
    feed(unit, nowMs, out);
    return unit.bytes.size();
}

std::vector<InputRecord> DecodeTyped(std::string_view bytes) {
    InputDecoder decoder;
    std::deque<InputRecord> out;
    while (!bytes.empty()) bytes.remove_prefix(decoder.feedBytes(bytes, 0, out));
    decoder.expire(out);
    return {std::make_move_iterator(out.begin()), std::make_move_iterator(out.end())};
}

}  // namespace pk
