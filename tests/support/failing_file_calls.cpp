// The next definition of each call is looked up once, on first use, so that
// a sanitizer's own wrapper of it stays in the chain.
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

// True when this call is the one to fail; it disarms.
bool failsNow(FileCall call, int fd)
{
    if (fd <= 2 || armedCall.load() != int(call)) return false;
    if (callsToSkip.fetch_sub(1) > 0) return false;
    armedCall = -1;
    return true;
}

template <typename Function>
Function next(const char* name)
{
    return reinterpret_cast<Function>(::dlsym(RTLD_NEXT, name));
}

}  // namespace

void failFileCall(FileCall call, int skip, int error)
{
    callsToSkip = skip;
    failure = error;
    armedCall = int(call);
}

void stopFailingFileCalls() { armedCall = -1; }

}  // namespace testsupport

using testsupport::FileCall;

extern "C" ssize_t write(int fd, const void* data, size_t size)
{
    static const auto real = testsupport::next<ssize_t (*)(int, const void*, size_t)>("write");
    if (testsupport::failsNow(FileCall::Write, fd)) {
        errno = testsupport::failure;
        return -1;
    }
    return real(fd, data, size);
}

extern "C" int fsync(int fd)
{
    static const auto real = testsupport::next<int (*)(int)>("fsync");
    if (testsupport::failsNow(FileCall::Sync, fd)) {
        errno = testsupport::failure;
        return -1;
    }
    return real(fd);
}

extern "C" int close(int fd)
{
    static const auto real = testsupport::next<int (*)(int)>("close");
    const bool fails = testsupport::failsNow(FileCall::Close, fd);
    const int result = real(fd);
    if (!fails) return result;
    errno = testsupport::failure;
    return -1;
}
