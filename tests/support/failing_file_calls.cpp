// The C library's own definitions are looked up once, on first use, as the
// next ones after these, so that a sanitizer's wrappers stay in the chain.
#include "failing_file_calls.h"

#include <dlfcn.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>

namespace testsupport {
namespace {

std::atomic<int> armedCall{-1};
std::atomic<int> callsToSkip{0};
std::atomic<int> failure{0};

}  // namespace

void failFileCall(FileCall call, int skip, int error)
{
    callsToSkip = skip;
    failure = error;
    armedCall = int(call);
}

void stopFailingFileCalls() { armedCall = -1; }

// True, with errno set, when this call is the one to fail; it disarms.
bool failsNow(FileCall call, int fd)
{
    if (fd <= 2 || armedCall.load() != int(call) || callsToSkip.fetch_sub(1) > 0) return false;
    armedCall = -1;
    errno = failure;
    return true;
}

template <typename Function>
Function next(const char* name)
{
    return reinterpret_cast<Function>(::dlsym(RTLD_NEXT, name));
}

}  // namespace testsupport

using testsupport::FileCall;

extern "C" ssize_t write(int fd, const void* data, size_t size)
{
    static const auto real = testsupport::next<ssize_t (*)(int, const void*, size_t)>("write");
    return testsupport::failsNow(FileCall::Write, fd) ? -1 : real(fd, data, size);
}

extern "C" int fsync(int fd)
{
    static const auto real = testsupport::next<int (*)(int)>("fsync");
    return testsupport::failsNow(FileCall::Sync, fd) ? -1 : real(fd);
}

// The descriptor is closed either way, as a close that reports an error does.
extern "C" int close(int fd)
{
    static const auto real = testsupport::next<int (*)(int)>("close");
    const int result = real(fd);
    return testsupport::failsNow(FileCall::Close, fd) ? -1 : result;
}
