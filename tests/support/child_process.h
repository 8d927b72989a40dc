// Runs a piece of a test in a forked child, for what would end or mark the
// test process itself: resource limits, signals. The child's answer comes
// back as text over a pipe.
#pragma once

#include <sys/wait.h>
#include <unistd.h>

#include <functional>
#include <string>

namespace testsupport {

// The text `body` returns in the child, or, when the child ends any other
// way (a signal, an abort), a description of how it ended.
inline std::string runInChild(const std::function<std::string()>& body)
{
    int ends[2];
    if (::pipe(ends) != 0) return "no pipe";
    const pid_t child = ::fork();
    if (child < 0) return "no child";
    if (child == 0) {
        ::close(ends[0]);
        const std::string text = body();
        (void)!::write(ends[1], text.data(), text.size());
        ::_exit(0);
    }
    ::close(ends[1]);
    std::string text;
    char buffer[512];
    for (ssize_t n; (n = ::read(ends[0], buffer, sizeof buffer)) > 0;) text.append(buffer, std::size_t(n));
    ::close(ends[0]);
    int status = 0;
    ::waitpid(child, &status, 0);
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0)
        return "the child ended with status " + std::to_string(status) + " after: " + text;
    return text;
}

}  // namespace testsupport
