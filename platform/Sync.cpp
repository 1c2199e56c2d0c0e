#include "platform/Sync.h"

#include <chrono>

namespace platform {

namespace {

// Waits on cv until ready() holds or the time-out runs out; kInfinite waits for ever.
template <class Ready>
bool waitFor(std::condition_variable& cv, std::unique_lock<std::mutex>& lock, uint32_t timeoutMs,
             Ready ready) {
    if (timeoutMs == kInfinite) {
        cv.wait(lock, ready);
        return true;
    }
    return cv.wait_for(lock, std::chrono::milliseconds(timeoutMs), ready);
}

}  // namespace

Semaphore::Semaphore(long initial, long maximum)
    : m_count(initial),
      m_maximum(maximum),
      m_valid(maximum >= 1 && initial >= 0 && initial <= maximum) {}

bool Semaphore::release(long count, long* previous) {
    if (!m_valid || count < 1) {
        return false;
    }
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        if (count > m_maximum - m_count) {
            return false;
        }
        if (previous) {
            *previous = m_count;
        }
        m_count += count;
        m_cv.notify_all();
    }
    return true;
}

bool Semaphore::wait(uint32_t timeoutMs) {
    std::unique_lock<std::mutex> lock(m_mutex);
    if (!waitFor(m_cv, lock, timeoutMs, [this] { return m_count > 0; })) {
        return false;
    }
    --m_count;
    return true;
}

long Semaphore::count() const {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_count;
}

Event::Event(bool manualReset, bool initiallySet)
    : m_set(initiallySet), m_manualReset(manualReset) {}

void Event::set() {
    // Signalled under the lock: a woken waiter may destroy the event at once.
    std::lock_guard<std::mutex> lock(m_mutex);
    m_set = true;
    m_cv.notify_all();
}

void Event::reset() {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_set = false;
}

bool Event::wait(uint32_t timeoutMs) {
    std::unique_lock<std::mutex> lock(m_mutex);
    if (!waitFor(m_cv, lock, timeoutMs, [this] { return m_set; })) {
        return false;
    }
    if (!m_manualReset) {
        m_set = false;
    }
    return true;
}

}  // namespace platform
