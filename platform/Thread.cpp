#include "platform/Thread.h"

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <system_error>
#include <thread>

namespace platform {

struct Thread::Control {
    std::mutex mutex;
    std::condition_variable cv;
    bool resumed = false;    // guarded by mutex
    bool abandoned = false;  // guarded by mutex: destroyed before resume, never run
    bool ended = false;      // guarded by mutex
    uint32_t exitCode = 0;   // guarded by mutex
    Proc proc;               // touched only by the thread once started
    std::thread thread;      // joined or detached by the owner's destructor
};

std::unique_ptr<Thread> Thread::create(Proc proc) {
    auto control = std::make_shared<Control>();
    control->proc = std::move(proc);
    try {
        // The thread holds its own reference: it outlives the Thread object if need be.
        control->thread = std::thread([control] {
            std::unique_lock<std::mutex> lock(control->mutex);
            control->cv.wait(lock, [&] { return control->resumed || control->abandoned; });
            if (control->abandoned && !control->resumed) {
                return;
            }
            lock.unlock();
            uint32_t code = 0xFFFFFFFFu;
            try {
                code = control->proc();
            } catch (...) {
                // A thread never lets an exception escape.
            }
            control->proc = nullptr;
            lock.lock();
            control->exitCode = code;
            control->ended = true;
            control->cv.notify_all();
        });
    } catch (const std::system_error&) {
        return nullptr;
    }
    return std::unique_ptr<Thread>(new Thread(std::move(control)));
}

Thread::Thread(std::shared_ptr<Control> control) : m_control(std::move(control)) {}

Thread::~Thread() {
    bool joinable = false;
    {
        std::lock_guard<std::mutex> lock(m_control->mutex);
        if (!m_control->resumed) {
            m_control->abandoned = true;
            m_control->cv.notify_all();
            joinable = true;  // it ends at once without running the procedure
        } else {
            joinable = m_control->ended;
        }
    }
    if (joinable) {
        m_control->thread.join();
    } else {
        m_control->thread.detach();
    }
}

bool Thread::resume() {
    std::lock_guard<std::mutex> lock(m_control->mutex);
    if (m_control->resumed) {
        return false;
    }
    m_control->resumed = true;
    m_control->cv.notify_all();
    return true;
}

bool Thread::wait(uint32_t timeoutMs) {
    std::unique_lock<std::mutex> lock(m_control->mutex);
    auto ended = [this] { return m_control->ended; };
    if (timeoutMs == kInfinite) {
        m_control->cv.wait(lock, ended);
        return true;
    }
    return m_control->cv.wait_for(lock, std::chrono::milliseconds(timeoutMs), ended);
}

bool Thread::hasEnded() const {
    std::lock_guard<std::mutex> lock(m_control->mutex);
    return m_control->ended;
}

uint32_t Thread::exitCode() const {
    std::lock_guard<std::mutex> lock(m_control->mutex);
    return m_control->exitCode;
}

}  // namespace platform
