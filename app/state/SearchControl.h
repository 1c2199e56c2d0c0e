// Starting and stopping the four workers of a search, without a window: the thread
// slots, StartSearch's worker steps, StopSearch and ReleaseSlot. The dialog calls these
// on its own thread; the worker procedures are handed in, so tests run fake workers.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "app/state/SearchState.h"
#include "platform/Thread.h"

using WorkerProc = std::function<uint32_t(SearchHandle)>;

// Makes a suspended thread; null when the system can't.
using ThreadFactory = std::function<std::unique_ptr<platform::Thread>(platform::Thread::Proc)>;

// The procedures of the four workers, and how their threads are made (empty:
// platform::Thread::create; a test hands in one that fails).
struct WorkerProcs {
    WorkerProc engine;
    WorkerProc local;
    WorkerProc torrent;
    WorkerProc form;
    ThreadFactory makeThread = nullptr;
};

// The thread slots, owned by the dialog; touched only on the dialog's thread.
extern std::unique_ptr<platform::Thread> g_engineThread;
extern std::unique_ptr<platform::Thread> g_localThread;
extern std::unique_ptr<platform::Thread> g_torrentThread;
extern std::unique_ptr<platform::Thread> g_formThread;

// How long StopSearch waits for each worker.
inline constexpr uint32_t kStopWaitMs = 10000;

// Waits for the slot's thread up to timeoutMs, then empties the slot. True when the
// slot was empty or the wait ran out; false when the thread ended within the wait.
// A thread that outlives the wait keeps running on its own state.
bool ReleaseSlot(std::unique_ptr<platform::Thread>& slot, uint32_t timeoutMs = kStopWaitMs);

// Begins a new search in state with narrowTerm and starts the workers in order (engine,
// local unless excluded, torrent, form), each flag set before its thread exists.
// False when a thread couldn't be created: the start stops at that worker and the flags
// set so far stay set.
bool StartSearchWorkers(const std::shared_ptr<SearchState>& state, const std::string& narrowTerm,
                        bool excludeLocal, const WorkerProcs& procs);

// Clears all four flags, releases the slots in order (each wait up to waitMs), and posts
// SEARCH_EVENT_DONE itself when no worker ended within its wait.
void StopSearchWorkers(SearchState& state, uint32_t waitMs = kStopWaitMs);

// Any of the four flags set: a click on the search button asks to stop.
bool AnyWorkerRunning();
// The engine, local or torrent flag set: the searching display stays.
bool SearchDisplayRunning();
