// Pure parts of loading: forming full paths, wildcard matching and the
// message texts of every load result.
#include <gtest/gtest.h>

#include <cerrno>
#include <string>

#include "files/file_table.h"
#include "files/folder_search.h"
#include "files/full_path.h"

namespace {

// Each name typed against a current folder (or the error of finding it):
// the full path, or "" and the error when none can be formed. (Buffers of
// every small size between guard bytes: names_fuzz.)
TEST(FullPath, FoldsComponentsWithoutLookingAtDisk) {
    const std::string fits(pk::NAME_SIZE - 3, 'y'), tooLong(pk::NAME_SIZE, 'x');
    struct Case { std::string typed; const char* cwd; uint32_t cwdError; std::string full; uint32_t error; } cases[] = {
        {"a.txt", "/home/u", 0, "/home/u/a.txt", 0},
        {"../../../a", "/home/u", 0, "/a", 0},
        {"/x//./y/../z/", "/ignored", 0, "/x/z", 0},
        {"..", "/", 0, "/", 0},
        {"no/such/../link", "/w", 0, "/w/no/link", 0},
        {"", "/w", 0, "", ENOENT},
        {"a", nullptr, EACCES, "", EACCES},  // relative, with no current folder
        {"/a", nullptr, EACCES, "/a", 0},
        {tooLong, "/w", 0, "", ENAMETOOLONG},
        {fits, "/w", 0, "", ENAMETOOLONG},  // too long once joined
        {"/" + fits, "/w", 0, "/" + fits, 0},
    };
    for (const Case& c : cases) {
        char out[pk::NAME_SIZE];
        uint32_t error = 0;
        size_t n = pk::FormFullPath(c.typed.c_str(), c.cwd, c.cwdError, out, sizeof out, error);
        EXPECT_EQ(std::string(out, n), c.full) << c.typed;
        EXPECT_EQ(n == 0 ? error : 0u, c.error) << c.typed;
    }
}

TEST(FolderSearch, WildcardsAreStarAndQuestionMarkOnly) {
    struct Case { const char *pattern, *name; bool match; } cases[] = {
        {"*", ".hidden", true},        {"*.txt", "a.txt.bak", false}, {"?.txt", "ab.txt", false},
        {"a*b*c", "abcbc", true},      {"a*b*c", "aXbYcZ", false},    {"[ab].txt", "a.txt", false},
        {"[ab].txt", "[ab].txt", true}, {"a\\*", "a\\xyz", true},     {"**", "", true},
        {"?", "", false},              {"a", "A", false},             {"*aa*aa", "aaaaa", true},
        {"a*", "a*b.txt", true},       {"*b", "*xb", true},           {"*?", "*", true},  // a * in the name
    };
    for (const Case& c : cases) EXPECT_EQ(pk::WildcardMatch(c.pattern, c.name), c.match) << c.pattern << " " << c.name;
    EXPECT_TRUE(pk::HasWildcards("a?") && pk::HasWildcards("a*") && !pk::HasWildcards("a[1]\\"));
    EXPECT_EQ(pk::FolderPart("/a/b/c"), "/a/b");
    EXPECT_EQ(pk::FolderPart("/c"), "");
}

TEST(LoadMessages, EveryResultHasBothWordings) {
    struct Case { pk::LoadResult result; uint32_t error; const char *longText, *shortText; } cases[] = {
        {pk::LOAD_PATH_ERROR, 36, "Cannot resolve path, rc = 36 (File name too long), file = t*.x.", "Path error 36"},
        {pk::LOAD_IS_FOLDER, 0, "/f/t*.x is a folder.", "No filename"},
        {pk::LOAD_EMPTY, 0, "File /f/t*.x is empty.", "File is empty"},
        {pk::LOAD_PATH_NOT_FOUND, 0, "Path /f/t*.x not found.", "Path not found"},
        {pk::LOAD_NOT_FOUND, 0, "File /f/t*.x not found.", "File not found."},
        {pk::LOAD_SEARCH_ERROR, 40, "Cannot list folder, rc = 40 (Too many levels of symbolic links), file /f/t*.x.", "List error 40"},
        {pk::LOAD_SEARCH_NEXT_ERROR, 5, "Cannot read folder, rc = 5 (Input/output error), file /f/t*.x.", "List error 5"},
        {pk::LOAD_NO_MEMORY, 12, "Memory allocation error, system return code 12 (Cannot allocate memory)", "Insufficient memory"},
        {pk::LOAD_OPEN_ERROR, 13, "Error opening t*.x, rc = 13 (Permission denied)", "File open error"},
        {pk::LOAD_OPEN_ERROR, 32, "Error opening t*.x, sharing violation", "File open error"},
        {pk::LOAD_READ_ERROR, 0, "Error reading t*.x, rc = 0", "File read error"},
        {pk::LOAD_TABLE_FULL, 0, "Cannot load file, file table full.", "File table full"},
        {pk::LOAD_TOO_LARGE, 0, "Sorry, file is too large for pk to load.", "File too large"},
        {pk::LOAD_INPUT_IS_TERMINAL, 0, "Standard input is a terminal: pipe data to pk (command | pk) or name a file.",
         "Input is a terminal"},
        {pk::LOAD_OK, 0, "", ""},
    };
    for (const Case& c : cases) {
        char out[200];
        pk::LongLoadMessage(out, sizeof out, c.result, "t*.x", "/f/t*.x", c.error);
        EXPECT_STREQ(out, c.longText);
        pk::ShortLoadMessage(out, sizeof out, c.result, c.error);
        EXPECT_STREQ(out, c.shortText);
        EXPECT_LE(strlen(out), 21u);
    }
    // A message buffer too small is cut, never overrun.
    char tiny[6] = {1, 1, 1, 1, 1, 1};
    pk::LongLoadMessage(tiny, 5, pk::LOAD_TOO_LARGE, "", "", 0);
    EXPECT_STREQ(tiny, "Sorr");
    EXPECT_EQ(tiny[5], 1);
}

}  // namespace
