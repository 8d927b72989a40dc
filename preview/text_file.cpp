// Files are read whole and checked before any reader sees them, so a reader's
// messages only ever quote text.
#include "text_file.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <sstream>

namespace preview {
namespace {

constexpr std::size_t kMaxTextBytes = 1 << 20;

[[noreturn]] void refuse(const std::string& path, int line, const std::string& why)
{
    throw TextFileError(printable(path) + ":" + std::to_string(line) + ": " + why);
}

// Length of the UTF-8 sequence starting at text[i], or 0 when it is not one.
std::size_t utf8Length(const std::string& text, std::size_t i)
{
    const auto lead = static_cast<unsigned char>(text[i]);
    const std::size_t length = lead < 0x80                   ? 1
                               : lead >= 0xC2 && lead < 0xE0 ? 2
                               : lead >= 0xE0 && lead < 0xF0 ? 3
                               : lead >= 0xF0 && lead < 0xF5 ? 4
                                                             : 0;
    if (length == 0 || i + length > text.size()) return 0;
    for (std::size_t k = 1; k < length; ++k)
        if ((static_cast<unsigned char>(text[i + k]) & 0xC0) != 0x80) return 0;
    return length;
}

}  // namespace

std::string printable(std::string_view text)
{
    std::string out;
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte >= 0x20 && byte < 0x7f) {
            out += c;
        } else {
            char escaped[5];
            std::snprintf(escaped, sizeof escaped, "\\x%02X", byte);
            out += escaped;
        }
    }
    return out;
}

std::string readTextFile(const std::string& path)
{
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0) refuse(path, 0, "cannot read it (" + std::string(std::strerror(errno)) + ")");
    if (!S_ISREG(info.st_mode)) refuse(path, 0, "expected a text file, found a folder or device");
    if (static_cast<std::size_t>(info.st_size) > kMaxTextBytes)
        refuse(path, 0, "expected a text file of at most " + std::to_string(kMaxTextBytes) + " bytes");
    std::ifstream file(path, std::ios::binary);
    std::ostringstream content;
    if (!file || !(content << file.rdbuf()) || content.str().size() > kMaxTextBytes) {
        if (info.st_size != 0) refuse(path, 0, "cannot read it");
    }
    std::string text = content.str();
    int line = 1;
    for (std::size_t i = 0; i < text.size();) {
        const auto byte = static_cast<unsigned char>(text[i]);
        if (byte == '\n') ++line;
        const bool control = (byte < 0x20 && byte != '\n' && byte != '\r' && byte != '\t') || byte == 0x7f;
        const std::size_t length = utf8Length(text, i);
        if (control || length == 0) refuse(path, line, "expected text, found the byte " + printable(text.substr(i, 1)));
        i += length;
    }
    return text;
}

}  // namespace preview
