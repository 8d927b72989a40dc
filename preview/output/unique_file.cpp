// The random suffix comes from the kernel (getrandom), never from the
// process id or a clock, which others can predict.
#include "unique_file.h"

#include <fcntl.h>
#include <sys/random.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <filesystem>
#include <system_error>

namespace preview {

std::string unpredictableName(const std::string& stem)
{
    std::uint64_t bits = 0;
    if (::getrandom(&bits, sizeof bits, 0) != ssize_t(sizeof bits))
        throw std::system_error(errno, std::generic_category(), "no random numbers for a file name");
    static const char kHex[] = "0123456789abcdef";
    std::string name = stem + ".";
    for (int shift = 60; shift >= 0; shift -= 4) name += kHex[(bits >> shift) & 15];
    return name;
}

UniqueFile createUniqueFile(const std::string& folder, const std::string& stem)
{
    // A clash is all but impossible by chance; a few more tries cover it.
    constexpr int kTries = 8;
    for (int attempt = 0; attempt < kTries; ++attempt) {
        const std::string path = (std::filesystem::path(folder) / unpredictableName(stem)).string();
        const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
        if (fd >= 0) return {fd, path};
        if (errno != EEXIST) throw std::system_error(errno, std::generic_category(), path);
    }
    throw std::system_error(EEXIST, std::generic_category(), folder);
}

}  // namespace preview
