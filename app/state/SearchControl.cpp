#include "app/state/SearchControl.h"

std::unique_ptr<platform::Thread> g_engineThread;
std::unique_ptr<platform::Thread> g_localThread;
std::unique_ptr<platform::Thread> g_torrentThread;
std::unique_ptr<platform::Thread> g_formThread;

bool ReleaseSlot(std::unique_ptr<platform::Thread>& slot, uint32_t timeoutMs) {
    if (!slot) {
        return true;
    }
    const bool ended = slot->wait(timeoutMs);
    slot.reset();
    return !ended;
}

namespace {

bool startWorker(const std::shared_ptr<SearchState>& state, uint32_t generation,
                 SearchWorker worker, const WorkerProc& proc, const ThreadFactory& make,
                 std::unique_ptr<platform::Thread>& slot) {
    {
        platform::ScopedLock lock(g_searchLock);
        RunningFlag(worker) = true;
    }
    // A left-over thread of an earlier search has ended (all flags were clear).
    ReleaseSlot(slot);
    SearchHandle handle(state, generation, worker);
    platform::Thread::Proc run = [proc, handle] { return proc(handle); };
    slot = make ? make(std::move(run)) : platform::Thread::create(std::move(run));
    if (!slot) {
        return false;
    }
    slot->resume();
    return true;
}

}  // namespace

bool StartSearchWorkers(const std::shared_ptr<SearchState>& state, const std::string& narrowTerm,
                        bool excludeLocal, const WorkerProcs& procs) {
    const uint32_t generation = state->beginSearch(narrowTerm);
    if (!startWorker(state, generation, SearchWorker::Engine, procs.engine, procs.makeThread,
                     g_engineThread)) {
        return false;
    }
    if (excludeLocal) {
        platform::ScopedLock lock(g_searchLock);
        g_localRunning = false;
    } else if (!startWorker(state, generation, SearchWorker::Local, procs.local, procs.makeThread,
                            g_localThread)) {
        return false;
    }
    if (!startWorker(state, generation, SearchWorker::Torrent, procs.torrent, procs.makeThread,
                     g_torrentThread)) {
        return false;
    }
    return startWorker(state, generation, SearchWorker::Form, procs.form, procs.makeThread,
                       g_formThread);
}

void StopSearchWorkers(SearchState& state, uint32_t waitMs) {
    {
        platform::ScopedLock lock(g_searchLock);
        g_engineRunning = g_localRunning = g_torrentRunning = g_formRunning = false;
    }
    // No lock is held while waiting: the workers need it to end.
    bool allTimedOut = ReleaseSlot(g_engineThread, waitMs);
    allTimedOut = ReleaseSlot(g_localThread, waitMs) && allTimedOut;
    allTimedOut = ReleaseSlot(g_torrentThread, waitMs) && allTimedOut;
    allTimedOut = ReleaseSlot(g_formThread, waitMs) && allTimedOut;
    if (allTimedOut) {
        state.post(SEARCH_EVENT_DONE, 0);
    }
}

bool AnyWorkerRunning() {
    platform::ScopedLock lock(g_searchLock);
    return g_engineRunning || g_localRunning || g_torrentRunning || g_formRunning;
}

bool SearchDisplayRunning() {
    platform::ScopedLock lock(g_searchLock);
    return g_engineRunning || g_localRunning || g_torrentRunning;
}
