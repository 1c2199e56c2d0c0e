#include "websearch/KestrinThread.h"

#include <system_error>

namespace Kestrin {

Thread::Thread() = default;

Thread::~Thread() {
    join();
}

bool Thread::start() {
    if (m_handle.joinable()) {
        return false;
    }
    m_running = true;
    m_finished.reset();
    try {
        m_handle = std::thread(&Thread::threadEntry, this);
    } catch (const std::system_error&) {
        m_running = false;
        m_finished.set();
        return false;
    }
    return true;
}

bool Thread::wait(uint32_t timeoutMs) {
    return m_finished.wait(timeoutMs);
}

void Thread::join() {
    if (m_handle.joinable() && m_handle.get_id() != std::this_thread::get_id()) {
        m_handle.join();
    }
}

void Thread::threadEntry(Thread* self) {
    try {
        self->run();
    } catch (...) {
        // A thread never lets an exception escape; the body has ended either way.
    }
    self->m_running = false;
    self->m_finished.set();
}

}  // namespace Kestrin
