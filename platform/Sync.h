// Critical sections, counting semaphores and events, with the semantics the search
// and update code was designed on: re-entrant locks, semaphores with a maximum count
// and waits with a time-out in milliseconds.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <mutex>

namespace platform {

// Wait without a time limit.
inline constexpr uint32_t kInfinite = 0xFFFFFFFFu;

// A lock that its owner may enter again; each enter needs its leave.
class CriticalSection {
public:
    void enter() { m_mutex.lock(); }
    void leave() { m_mutex.unlock(); }
    bool tryEnter() { return m_mutex.try_lock(); }

    // For std::lock_guard / std::unique_lock.
    void lock() { enter(); }
    void unlock() { leave(); }

private:
    std::recursive_mutex m_mutex;
};

// Holds a critical section for the life of the scope.
class ScopedLock {
public:
    explicit ScopedLock(CriticalSection& cs) : m_cs(cs) { m_cs.enter(); }
    ~ScopedLock() { m_cs.leave(); }
    ScopedLock(const ScopedLock&) = delete;
    ScopedLock& operator=(const ScopedLock&) = delete;

private:
    CriticalSection& m_cs;
};

// A counting semaphore with a maximum count.
class Semaphore {
public:
    // initial must lie in 0..maximum and maximum must be at least 1; isValid() tells.
    Semaphore(long initial, long maximum);

    bool isValid() const { return m_valid; }
    long maximum() const { return m_maximum; }

    // Adds count; fails and changes nothing when the count would pass the maximum.
    // previous (optional) receives the count before the release.
    bool release(long count = 1, long* previous = nullptr);

    // Takes one count; false when the time-out ran out first.
    bool wait(uint32_t timeoutMs = kInfinite);

    long count() const;

private:
    mutable std::mutex m_mutex;
    std::condition_variable m_cv;
    long m_count;  // guarded by m_mutex
    const long m_maximum;
    const bool m_valid;
};

// A manual- or auto-reset event.
class Event {
public:
    Event(bool manualReset, bool initiallySet);

    void set();
    void reset();

    // True when the event was (or became) set within the time-out; an auto-reset
    // event is reset by a successful wait. wait(0) tests without blocking.
    bool wait(uint32_t timeoutMs = kInfinite);

private:
    std::mutex m_mutex;
    std::condition_variable m_cv;
    bool m_set;  // guarded by m_mutex
    const bool m_manualReset;
};

}  // namespace platform
