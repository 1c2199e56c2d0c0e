// Calls from a worker thread onto the window thread: a blocking call that waits for
// its function to have run there, and a posted one that does not wait. Once cancelled
// (by the window side, before it goes away), pending and later calls return at once
// without running, so a worker never waits for a window that is gone.
#pragma once

#include <QObject>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>

namespace updater {

class UiCaller {
public:
    explicit UiCaller(QObject* context);

    // From a worker: runs fn on the context's thread and waits. False when cancelled.
    bool call(std::function<void()> fn);
    // From a worker: queues fn for the context's thread.
    void post(std::function<void()> fn);
    // On the context's thread.
    void cancel();

private:
    struct State {
        std::mutex mutex;
        std::condition_variable cv;
        bool cancelled = false;  // guarded by mutex
    };
    QObject* m_context;
    std::shared_ptr<State> m_state;
};

}  // namespace updater
