// Wall-clock and CPU time of the waits a test measures.
#pragma once
#include <sys/resource.h>

#include <chrono>
#include <functional>
#include <thread>

using Clock = std::chrono::steady_clock;

inline long MsSince(Clock::time_point t) {
    return long(std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - t).count());
}

// CPU time this thread has used, ms.
inline long ThreadCpuMs() {
    rusage u{};
    getrusage(RUSAGE_THREAD, &u);
    return long(u.ru_utime.tv_sec * 1000 + u.ru_utime.tv_usec / 1000 + u.ru_stime.tv_sec * 1000 +
                u.ru_stime.tv_usec / 1000);
}

// Polls pred every few milliseconds until it holds or timeoutMs has passed; whether it held.
inline bool WaitUntil(const std::function<bool()>& pred, int timeoutMs = 10000) {
    const auto end = Clock::now() + std::chrono::milliseconds(timeoutMs);
    while (!pred()) {
        if (Clock::now() >= end) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    return true;
}
