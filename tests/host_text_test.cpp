// How every message shows user text: each byte either passes as itself or
// becomes one \xNN escape, with the boundaries of printable ASCII and the
// backslash checked on both sides.
#include <hosttext/printable.h>

#include <gtest/gtest.h>

#include <string_view>

namespace {

using namespace std::string_view_literals;

struct Case {
    const char* what;
    std::string_view text;
    std::string_view shown;
};

TEST(Printable, EachByteIsItselfOrOneLowerCaseEscape)
{
    const Case cases[] = {
        {"empty", ""sv, ""sv},
        {"printable ASCII from space to tilde", " Az09~!\"'"sv, " Az09~!\"'"sv},
        {"the backslash, so an escape always stands for a byte", "a\\x41"sv, "a\\x5cx41"sv},
        {"the last byte below space, and NUL inside the text",
         "\x1f"
         "a\0b"sv,
         "\\x1fa\\x00b"sv},
        {"tab and line breaks", "\t\n\r"sv, "\\x09\\x0a\\x0d"sv},
        {"a terminal's escape sequence", "\x1b[2J"sv, "\\x1b[2J"sv},
        {"DEL, just above tilde", "~\x7f"sv, "~\\x7f"sv},
        {"each byte of a UTF-8 character, in lower-case hex", "caf\xc3\xa9"sv, "caf\\xc3\\xa9"sv},
        {"the highest byte", "\xff"sv, "\\xff"sv},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(hosttext::printable(c.text), c.shown) << c.what;
    }
}

}  // namespace
