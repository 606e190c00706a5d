// The manual page names every command of the command table (with the
// letters that must be typed in bold), every key of the key table and of
// the label bar as a row of its KEYS table, and every label caption.
#include <gtest/gtest.h>

#include <string>

#include "display/key_labels.h"
#include "interact/command_table.h"
#include "interact/keyboard.h"
#include "temp_dir.h"

namespace pk {
namespace {

// The page's name of a key table key; empty for a key it has no name for.
std::string KeyName(uint16_t scanCode) {
    struct Named { uint16_t scanCode; const char* name; };
    static constexpr Named names[] = {
        {SCAN_UP, "Up"},       {SCAN_DOWN, "Down"},   {SCAN_PGUP, "PgUp"},     {SCAN_PGDN, "PgDn"},
        {SCAN_HOME, "Home"},   {SCAN_END, "End"},     {SCAN_LEFT, "Left"},     {SCAN_RIGHT, "Right"},
        {SCAN_INSERT, "Insert"}, {SCAN_DELETE, "Delete"},
    };
    for (int n = 1; n <= KEY_LABEL_COUNT; ++n)
        if (FunctionKeyScan(n) == scanCode) return std::string(1, 'F').append(std::to_string(n));
    for (const Named& named : names)
        if (named.scanCode == scanCode) return named.name;
    return "";
}

bool HasKeyRow(const std::string& page, const std::string& key) { return page.find("\n" + key + "|") != std::string::npos; }

TEST(ManualPage, NamesEveryCommandAndKey) {
    const std::string page = pktest::ReadAll(PK_MANUAL_PAGE);
    ASSERT_GT(page.size(), 1000u) << PK_MANUAL_PAGE;

    for (const Command& command : CommandTable()) {
        std::string name(command.name);
        std::string shown = "\\fB" + name.substr(0, command.minimum) + "\\fR" + name.substr(command.minimum);
        EXPECT_NE(page.find(shown), std::string::npos) << "command " << name << " as " << shown;
    }

    int rows = 0;
    for (KeyForms row = KeyTableRow(0); row.scanCode != 0; row = KeyTableRow(++rows)) {
        std::string key = KeyName(row.scanCode);
        ASSERT_FALSE(key.empty()) << "a key table key the page has no name for: scan code " << row.scanCode;
        EXPECT_TRUE(HasKeyRow(page, key)) << key;
        EXPECT_TRUE(!row.ctrl || HasKeyRow(page, "Ctrl+" + key)) << "Ctrl+" << key;
        EXPECT_TRUE(!row.alt || HasKeyRow(page, "Alt+" + key)) << "Alt+" << key;
    }
    EXPECT_GE(rows, KEY_LABEL_COUNT);

    // Keys the keyboard loop reads itself, and the label captions.
    for (const char* key : {"Enter", "Esc", "Backspace", "Ctrl+V", "Ctrl+C", "Ctrl+Z", "Wheel", "Shift+Wheel", "Click"})
        EXPECT_TRUE(HasKeyRow(page, key)) << key;
    for (const KeyLabel& label : KEY_LABELS) {
        if (static_cast<unsigned char>(label.caption[0]) >= 0x80 || label.caption[0] == '<') continue;  // arrows
        EXPECT_NE(page.find(std::string(label.caption)), std::string::npos) << label.caption;
    }
    EXPECT_NE(page.find("Page"), std::string::npos);
}

}  // namespace
}  // namespace pk
