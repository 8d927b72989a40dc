#include "file_sink.h"

#include <unistd.h>

#include <cerrno>

namespace preview {

FileSink::~FileSink()
{
    if (fd_ >= 0) ::close(fd_);
}

bool FileSink::write(const char* data, std::size_t size)
{
    while (size > 0 && error_ == 0) {
        const ssize_t written = ::write(fd_, data, size);
        if (written < 0 && errno == EINTR) continue;
        if (written <= 0) {
            error_ = written < 0 ? errno : EIO;
            break;
        }
        data += written;
        size -= std::size_t(written);
    }
    return error_ == 0;
}

bool FileSink::finish()
{
    if (error_ == 0 && ::fsync(fd_) != 0 && errno != EINVAL) error_ = errno;
    if (::close(fd_) != 0 && error_ == 0) error_ = errno;
    fd_ = -1;
    return error_ == 0;
}

}  // namespace preview
