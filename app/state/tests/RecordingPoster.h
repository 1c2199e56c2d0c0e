// A poster that keeps every event, for tests that run workers without a window.
#pragma once

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <utility>
#include <vector>

#include "app/state/SearchState.h"

class RecordingPoster : public SearchEventPoster {
public:
    bool postSearchEvent(uint32_t code, int64_t param) override {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_events.emplace_back(code, param);
        m_cv.notify_all();
        return true;
    }

    std::vector<std::pair<uint32_t, int64_t>> events() const {
        std::lock_guard<std::mutex> lock(m_mutex);
        return m_events;
    }

    size_t count(uint32_t code) const {
        std::lock_guard<std::mutex> lock(m_mutex);
        size_t n = 0;
        for (const auto& e : m_events) {
            n += e.first == code;
        }
        return n;
    }

    // Waits until `code` was posted at least n times; false when the deadline passed.
    bool waitFor(uint32_t code, size_t n, int timeoutMs = 10000) const {
        std::unique_lock<std::mutex> lock(m_mutex);
        return m_cv.wait_for(lock, std::chrono::milliseconds(timeoutMs), [&] {
            size_t k = 0;
            for (const auto& e : m_events) {
                k += e.first == code;
            }
            return k >= n;
        });
    }

private:
    mutable std::mutex m_mutex;
    mutable std::condition_variable m_cv;
    std::vector<std::pair<uint32_t, int64_t>> m_events;  // guarded by m_mutex
};
