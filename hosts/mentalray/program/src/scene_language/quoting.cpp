#include "scene_language/quoting.h"

namespace mrhost {

// Bytes that a terminal shows as themselves; any other byte of a file (other
// encodings, control bytes) is shown as \xNN so that a message stays one
// printable line.
static bool isPrintable(char c) { return c >= ' ' && c <= '~'; }

std::string printable(std::string_view text)
{
    static const char kHex[] = "0123456789abcdef";
    std::string result;
    result.reserve(text.size());
    for (const char c : text) {
        if (isPrintable(c) && c != '\\') {
            result += c;
        } else {
            const auto byte = static_cast<unsigned char>(c);
            result += {'\\', 'x', kHex[byte >> 4], kHex[byte & 15]};
        }
    }
    return result;
}

std::string shortened(std::string_view text)
{
    constexpr std::size_t kQuoted = 40;
    return text.size() <= kQuoted ? printable(text) : printable(text.substr(0, kQuoted)) + "...";
}

}  // namespace mrhost
