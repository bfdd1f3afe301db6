// Runs a piece of a test in a child process, so that a fault which blocks (a FIFO waited
// on) or runs away (a device read without end) ends the child, never the test program.
#pragma once
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <functional>

// The child runs fn and ends with its result (0..124); it is ended after `seconds` and,
// outside sanitizer builds (whose shadow memory needs a large address space), may not take
// more than 2 GiB. Returns fn's result, or -1 when the child did not end by itself.
inline int InChild(unsigned seconds, const std::function<int()>& fn) {
    const pid_t pid = ::fork();
    if (pid < 0) return -1;
    if (pid == 0) {
        ::alarm(seconds);
#if !defined(__SANITIZE_ADDRESS__)
        const rlimit memory{rlim_t(2) << 30, rlim_t(2) << 30};
        ::setrlimit(RLIMIT_AS, &memory);
#endif
        int result = 125;
        try {
            result = fn();
        } catch (...) {
        }
        ::_exit(result);
    }
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0)
        if (errno != EINTR) return -1;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}
