// Files are read whole and checked before any reader sees them, so a reader's
// messages only ever quote text.
#include "text_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstring>

namespace preview {
namespace {

constexpr std::size_t kMaxTextBytes = 1 << 20;

[[noreturn]] void refuse(const std::string& path, int line, const std::string& why)
{
    throw UsageError(printable(path) + ":" + std::to_string(line) + ": " + why);
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

std::string readTextFile(const std::string& path)
{
    // Opened without waiting (a FIFO would block until a writer came) and
    // checked through the descriptor, so the file read is the file checked.
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (fd < 0) refuse(path, 0, "cannot read it (" + std::string(std::strerror(errno)) + ")");
    struct stat info {};
    const int statError = ::fstat(fd, &info) == 0 ? 0 : errno;
    if (statError != 0 || !S_ISREG(info.st_mode) || std::uint64_t(info.st_size) > kMaxTextBytes) {
        ::close(fd);
        refuse(path, 0,
               statError != 0          ? "cannot read it (" + std::string(std::strerror(statError)) + ")"
               : S_ISDIR(info.st_mode) ? std::string("expected a text file, found a folder")
               : S_ISREG(info.st_mode) ? "expected a text file of at most " + std::to_string(kMaxTextBytes) + " bytes"
                                       : std::string("expected a text file, found a device, pipe or socket"));
    }
    // The size is not trusted (files under /proc report 0): the limit holds
    // for what is actually read.
    std::string text;
    char buffer[65536];
    for (;;) {
        const ssize_t got = ::read(fd, buffer, sizeof buffer);
        if (got < 0 && errno == EINTR) continue;
        if (got < 0) {
            const int error = errno;
            ::close(fd);
            refuse(path, 0, "cannot read it (" + std::string(std::strerror(error)) + ")");
        }
        if (got == 0) break;
        text.append(buffer, std::size_t(got));
        if (text.size() > kMaxTextBytes) {
            ::close(fd);
            refuse(path, 0, "expected a text file of at most " + std::to_string(kMaxTextBytes) + " bytes");
        }
    }
    ::close(fd);
    // A UTF-8 byte-order mark, which some editors write, is not part of the text.
    if (text.compare(0, 3, "\xEF\xBB\xBF") == 0) text.erase(0, 3);
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
