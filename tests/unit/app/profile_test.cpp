// The profile text format: finding and replacing keys, numbers, and the
// hex-with-checksum encoding of binary values.
#include "app/profile.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

TEST(Profile, GetFindsKeysOfTheFirstMatchingSection) {
    const std::string text =
        "; tabs=9 in a comment\n[other]\ntabs=7\n[ COMMON ]\r\n  Tabs  =  5  \r\nfind=\r\nnovalue\n[common]\nflen=3\n";
    struct Case { const char *section, *key; std::optional<std::string> value; } cases[] = {
        {"Common", "TABS", "5"},          {"common", "find", ""},          {"common", "flen", std::nullopt},
        {"common", "novalue", std::nullopt}, {"other", "tabs", "7"},      {"missing", "tabs", std::nullopt},
    };
    for (const Case& c : cases) EXPECT_EQ(pk::ProfileGet(text, c.section, c.key), c.value) << c.section << c.key;
}

TEST(Profile, SetReplacesInPlaceOrAdds) {
    struct Case { const char *before, *key, *after; } cases[] = {
        {"", "tabs", "[common]\ntabs=1\n"},
        {"[x]\na=1", "tabs", "[x]\na=1\n[common]\ntabs=1\n"},  // no line end before
        {"[Common]\r\n TABS = 0 \r\n[x]\r\n", "tabs", "[Common]\r\ntabs=1\r\n[x]\r\n"},
        {"[common]\nflen=2\n\n[x]\ny=1\n", "tabs", "[common]\nflen=2\ntabs=1\n\n[x]\ny=1\n"},
        {"[common]\n;tabs=0\n", "tabs", "[common]\n;tabs=0\ntabs=1\n"},
        {"[x]\ntabs=0\n[common]\n", "tabs", "[x]\ntabs=0\n[common]\ntabs=1\n"},
        {"[common]\rtabs=0\r", "tabs", "[common]\rtabs=1\r"},  // lone CR line ends
        {"[common]\r\ntabs=0\r", "flen", "[common]\r\ntabs=0\rflen=1\r"},
        {"[x]\ra=1\r", "tabs", "[x]\ra=1\r[common]\rtabs=1\r"},
    };
    // A key set reads back, and setting it again changes nothing.
    for (const Case& c : cases) {
        std::string once = pk::ProfileSet(c.before, "common", c.key, "1");
        EXPECT_EQ(once, c.after) << c.before;
        EXPECT_EQ(pk::ProfileGet(once, "common", c.key), "1") << c.before;
        EXPECT_EQ(pk::ProfileSet(once, "common", c.key, "1"), once) << c.before;
    }
}

TEST(Profile, Numbers) {
    struct Case { std::optional<std::string> value; uint32_t result; } cases[] = {
        {std::nullopt, 77}, {"", 0}, {"12abc", 12}, {"abc", 0}, {"-1", 0xFFFFFFFFu}, {"+4", 4}, {"65539", 65539},
    };
    for (const Case& c : cases) EXPECT_EQ(pk::ProfileInt(c.value, 77), c.result) << c.value.value_or("(none)");
}

TEST(Profile, StructEncodingRoundTripsAndChecks) {
    const std::vector<uint8_t> bytes = {0x00, 'a', 0xFF};
    EXPECT_EQ(pk::ProfileEncodeStruct(bytes), "0061FF60");
    std::vector<uint8_t> out(3, 0x55);
    EXPECT_TRUE(pk::ProfileDecodeStruct("0061ff60", out));
    EXPECT_EQ(out, bytes);
    const char* bad[] = {"0061FF61", "0061FF", "0061FF6000", "0G61FF60", ""};
    for (const char* value : bad) {
        std::vector<uint8_t> untouched(3, 0x55);
        EXPECT_FALSE(pk::ProfileDecodeStruct(value, untouched)) << value;
        EXPECT_EQ(untouched, std::vector<uint8_t>(3, 0x55)) << value;
    }
}

}  // namespace
