// Terminal input units as console records (see input_decoder.h).
#include "panel/input_decoder.h"

#include <algorithm>

#include "panel/utf8.h"

namespace pk {

namespace {

constexpr int kSequenceWaitMs = 25;   // the next byte of an escape sequence
constexpr int kMouseWaitMs = 100;     // the rest of a mouse report
constexpr int kPasteWaitMs = 1000;    // a paste whose end marker never comes ends here
constexpr size_t kMaxPaste = 1 << 20;
constexpr int kMaxParameters = 64;    // of an escape sequence nobody bound
constexpr size_t kMaxMouseReport = 32;

// Parameter and intermediate bytes of an escape sequence; its final byte
// is any other.
bool IsParameter(const InputUnit& u) {
    return u.kind == InputUnit::Char && u.bytes.size() == 1 && u.bytes[0] >= 0x20 && u.bytes[0] <= 0x3F;
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
        case State::Paste: return paste(unit, out);
    }
}

void InputDecoder::expire(std::deque<InputRecord>& out) {
    if (state_ == State::AfterEscape) PushBytes("\033", 0, out);  // Esc alone
    if (state_ == State::Sequence && parameters_ == 0) PushBytes(pending_, LEFT_ALT_PRESSED, out);
    if (state_ == State::Paste) out.push_back(std::move(paste_));
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
            return;
        case InputUnit::PasteBegin:
            state_ = State::Paste;
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

// A sequence nobody bound is read to its final byte and dropped whole; a
// key string arriving in it is a key of its own.
void InputDecoder::sequence(const InputUnit& unit, std::deque<InputRecord>& out) {
    if (IsParameter(unit) && parameters_ < kMaxParameters) {
        ++parameters_;
        return;
    }
    state_ = State::Idle;
    if (unit.kind != InputUnit::Char) start(unit, 0, out);
}

void InputDecoder::mouse(const InputUnit& unit, int64_t nowMs, std::deque<InputRecord>& out) {
    if (unit.kind != InputUnit::Char) {
        state_ = State::Idle;
        return start(unit, 0, out);
    }
    if (unit.bytes == "M" || unit.bytes == "m") {
        state_ = State::Idle;
        InputRecord report;
        if (!DecodeSgrMouse(pending_, unit.bytes[0], report)) return;
        clicks_.apply(report, nowMs);
        out.push_back(report);
        return;
    }
    pending_ += unit.bytes;
    if (pending_.size() >= kMaxMouseReport) state_ = State::Idle;  // no report is this long
}

// Everything up to the end marker is text, also what looks like a key.
void InputDecoder::paste(const InputUnit& unit, std::deque<InputRecord>& out) {
    if (unit.kind == InputUnit::PasteEnd) {
        state_ = State::Idle;
        out.push_back(std::move(paste_));
        return;
    }
    if (paste_.text.size() + unit.bytes.size() <= kMaxPaste) paste_.text += unit.bytes;
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

// The unit at the start of rest: the longest key string it starts with,
// else one character.
InputUnit NextUnit(std::string_view rest) {
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

}  // namespace

std::vector<InputRecord> DecodeTyped(std::string_view bytes) {
    InputDecoder decoder;
    std::deque<InputRecord> out;
    while (!bytes.empty()) {
        InputUnit unit = NextUnit(bytes);
        bytes.remove_prefix(unit.bytes.size());
        decoder.feed(unit, 0, out);
    }
    decoder.expire(out);
    return {std::make_move_iterator(out.begin()), std::make_move_iterator(out.end())};
}

}  // namespace pk
