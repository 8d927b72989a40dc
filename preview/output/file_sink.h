// Writing a whole file through its descriptor, keeping the system's reason
// for the first failure, so that a message can name what went wrong (say
// "No space left on device") about the file the user asked for.
#pragma once

#include <cstddef>

namespace preview {

class FileSink {
public:
    explicit FileSink(int fd) : fd_(fd) {}
    ~FileSink();
    FileSink(const FileSink&) = delete;
    FileSink& operator=(const FileSink&) = delete;

    // Writes all of `data`, resuming after signals; false (errno kept) once
    // any write has failed.
    bool write(const char* data, std::size_t size);
    // Flushes to the device and closes; false (errno kept) when either fails.
    bool finish();

    int fd() const { return fd_; }
    int error() const { return error_; }

private:
    int fd_;
    int error_ = 0;
};

}  // namespace preview
