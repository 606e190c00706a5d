// Reading the find command's parameter: an unquoted text as it stands, or a
// quoted string (a regular expression with r or R before its quote) followed
// by keywords that say where to look and whether to count.
#pragma once

#include <string>
#include <string_view>

namespace pk {

enum FindDirection : int {
    FIND_NEXT = 0,   // forward from the current start
    FIND_PREV = 1,   // backward from the current start
    FIND_FIRST = 2,  // the first hit in the file
    FIND_LAST = 3,   // the last hit in the file
};

struct FindCommand {
    bool valid = true;   // false: an unknown or conflicting keyword
    std::string text;    // what to look for
    bool pattern = false;
    FindDirection direction = FIND_NEXT;
    bool count = false;  // "all": every hit counted
};

FindCommand ParseFindParameter(std::string_view parameter);

}  // namespace pk
