// The folder search behind loading: the entries of a folder whose names
// match the last component of a full path (wildcards * and ?), in byte order
// of the name, each with what stat (following links) says of it.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace pk {

struct FolderMatch {
    std::string name;
    bool folder = false;
    bool regular = false;  // neither: a FIFO, device or socket
    uint64_t size = 0;
    uint64_t device = 0;
    uint64_t inode = 0;
};

enum SearchResult : int {
    SEARCH_OK = 0,
    SEARCH_FILE_NOT_FOUND = 2,  // the folder exists; nothing matches
    SEARCH_PATH_NOT_FOUND = 3,  // the folder part is missing or no folder
    SEARCH_FAILED = 4,          // anything else; error holds the errno
};

// * matches any run of bytes, ? any one byte, also where the name holds a *
// or ? itself; every other byte matches itself.
bool WildcardMatch(std::string_view pattern, std::string_view name);
bool HasWildcards(std::string_view name);
// The folder part of a full path: everything before its last "/" ("" for a
// name in the root).
std::string_view FolderPart(std::string_view fullPath);

SearchResult SearchFolder(const char* fullPath, std::vector<FolderMatch>& matches, uint32_t& error);

}  // namespace pk
