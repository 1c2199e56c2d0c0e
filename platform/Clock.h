// Sleep in milliseconds and the current time.
#pragma once

#include <chrono>
#include <cstdint>
#include <thread>

namespace platform {

inline void sleepMs(uint32_t ms) {
    std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

// Whole seconds since 1 January 1970 (UTC).
inline int64_t nowSeconds() {
    return std::chrono::duration_cast<std::chrono::seconds>(
               std::chrono::system_clock::now().time_since_epoch())
        .count();
}

// A monotonic clock in milliseconds, for deadlines and measured waits.
inline int64_t steadyMs() {
    return std::chrono::duration_cast<std::chrono::milliseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

}  // namespace platform
