// The profile (INI) text format of the settings file, as pure functions over
// the file's text: "[section]" lines, then "key=value" lines. Section and key
// names compare without regard to letter case; blanks around names and
// values are accepted; lines end in LF, CR LF or a lone CR, and new lines take
// the text's first line end; lines not touched stay as they are.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace pk {

// The value of key in the first section of that name, blanks trimmed.
std::optional<std::string> ProfileGet(std::string_view text, std::string_view section, std::string_view key);
// text with key set to value: replaced in place, else added at the end of the
// section, else added in a new section at the end.
std::string ProfileSet(std::string_view text, std::string_view section, std::string_view key,
                       std::string_view value);
// A decimal value (optional sign, leading digits), or fallback when missing;
// values beyond 32 bits saturate.
uint32_t ProfileInt(const std::optional<std::string>& value, uint32_t fallback);
// Bytes as upper-case hex digit pairs, then their sum modulo 256 as a pair.
std::string ProfileEncodeStruct(std::span<const uint8_t> bytes);
// The inverse for exactly out.size() bytes; false (out untouched) for a
// wrong length, a non-hex digit or a wrong checksum.
bool ProfileDecodeStruct(std::string_view value, std::span<uint8_t> out);

}  // namespace pk
