// The longest run of plain bytes that every match of a regular expression
// must contain, found by a cautious reading of the pattern: the search scans
// for it with the vector needle scan before running the pattern.
#pragma once

#include <string>
#include <string_view>

namespace pk {

// A run of bytes every match contains, or "" when the reading cannot be sure
// of one. With fold (a caseless pattern) only ASCII bytes are taken, since
// the scan folds ASCII letters only; with utf8 also k and s stay out, which
// a caseless UTF pattern matches by the Kelvin sign and the long s.
std::string RequiredLiteral(std::string_view pattern, bool fold, bool utf8);

}  // namespace pk
