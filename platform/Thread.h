// A thread that is created suspended, resumed, and waited for with a time-out.
// There is no forced end: threads are stopped by their own flags. The object may be
// destroyed at any time: a thread that still runs keeps its own state (shared) and
// frees it when it ends, so nothing it uses is freed under it.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>

#include "platform/Sync.h"

namespace platform {

class Thread {
public:
    using Proc = std::function<uint32_t()>;

    // Creates the thread suspended: proc runs only after resume(). Null when the
    // system can't create a thread.
    static std::unique_ptr<Thread> create(Proc proc);

    ~Thread();
    Thread(const Thread&) = delete;
    Thread& operator=(const Thread&) = delete;

    // Lets a suspended thread run; false when it was resumed before.
    bool resume();

    // True when the thread ended within the time-out (at once when it has ended);
    // false when the time-out ran out first. A thread never resumed does not end.
    bool wait(uint32_t timeoutMs = kInfinite);

    bool hasEnded() const;
    // The procedure's result; 0 until it has ended. An exception that escaped the
    // procedure ends the thread with 0xFFFFFFFF.
    uint32_t exitCode() const;

private:
    struct Control;
    explicit Thread(std::shared_ptr<Control> control);
    std::shared_ptr<Control> m_control;
};

}  // namespace platform
