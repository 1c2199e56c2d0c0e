// The small thread base of the crawl: a thread object whose body is run(), started by its
// owner and stopped by its flag. There is no forced end: the owner clears the flag, wakes
// the body and joins; a derived class does that in its own destructor, before its members
// go away.
#pragma once

#include <atomic>
#include <cstdint>
#include <exception>
#include <string>
#include <thread>

#include "platform/Sync.h"

namespace Kestrin {

// A synchronisation object could not be made.
struct SyncException : std::exception {
    explicit SyncException(std::string text) : message(std::move(text)) {}
    const char* what() const noexcept override { return message.c_str(); }
    std::string message;
};

class Thread {
public:
    Thread();
    // Joins a thread that is still running (see the class note: derived classes stop
    // theirs first).
    virtual ~Thread();
    Thread(const Thread&) = delete;
    Thread& operator=(const Thread&) = delete;

    // Sets m_running, then creates the thread; false when it could not be created (the
    // flag is then cleared again).
    bool start();
    // Waits up to timeoutMs for run() to return; true when it has (or never started).
    bool wait(uint32_t timeoutMs);
    // Waits for the thread's end and releases it. Never from the thread itself.
    void join();
    bool isRunning() const { return m_running.load(); }

protected:
    virtual int32_t run() = 0;

    // True from just before the thread is created until run() returns or the owner asks
    // it to stop; written by the owner and the thread, hence atomic.
    std::atomic<bool> m_running{false};

private:
    static void threadEntry(Thread* self);

    std::thread m_handle;                    // owner's thread only
    platform::Event m_finished{true, true};  // set while no body runs
};

}  // namespace Kestrin
