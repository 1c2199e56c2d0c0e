// The search state that the dialog owns and every search worker writes: the running
// flags, the result map, the two status lines, the search term, and the posting of
// UM_SEARCH_EVENT. It has no window in it, so a worker runs and is tested without one.
//
// How a worker uses it: it is started with a SearchHandle (a copy it owns) and calls
//   handle.isRunning()          - its own flag; false once stopped or once stale
//   handle.searchTerm()         - m_searchTerm (narrow, code page 949) of its search
//   handle.editText()           - the search box text at the moment of the call
//   AddResult(handle, result)   - the one way to add a result
//   handle.setLocalStatus(s) / handle.setWebStatus(s)
//   handle.finish()             - last act: clears its flag, posts SEARCH_EVENT_DONE
//
// Every search has a generation. A handle only writes while its generation is the
// current one (checked under g_searchLock), so a worker that outlived StopSearch's wait
// can never clear a flag of, add results to, or post rows into a later search, nor
// reach a dialog that is gone (closing the state ends the generation).
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <string>

#include "platform/Sync.h"

// One find. All strings are narrow (code page 949).
struct SearchResult {
    std::string name;      // list column 0
    std::string type;      // list column 1
    std::string target;    // what a double-click opens (full local path or URL)
    std::string location;  // list column 2
    int32_t reserved = 0;  // always 0
    // The exact bytes of a local path as the file system holds them (UTF-8 or not),
    // for opening a file whose name has no code page 949 form. Empty: open `target`.
    std::string exactTarget;
};

// The window message workers post to the dialog; wParam is the code.
inline constexpr uint32_t UM_SEARCH_EVENT = 2025;
inline constexpr uint32_t SEARCH_EVENT_RESULT = 1;        // lParam: see ResultEventParam
inline constexpr uint32_t SEARCH_EVENT_DONE = 2;          // lParam: 0
inline constexpr uint32_t SEARCH_EVENT_LOCAL_STATUS = 3;  // lParam: 0
inline constexpr uint32_t SEARCH_EVENT_WEB_STATUS = 4;    // lParam: 0

// A SEARCH_EVENT_RESULT carries the key and the generation it was added in, so a
// message of an earlier search still queued when the next one starts adds no row.
inline int64_t ResultEventParam(uint32_t generation, int32_t key) {
    return static_cast<int64_t>((static_cast<uint64_t>(generation) << 32) |
                                static_cast<uint32_t>(key));
}
inline int32_t ResultEventKey(int64_t param) {
    return static_cast<int32_t>(static_cast<uint32_t>(param));
}
inline uint32_t ResultEventGeneration(int64_t param) {
    return static_cast<uint32_t>(static_cast<uint64_t>(param) >> 32);
}

// Where the state posts its messages: the dialog's window. Posting never waits and
// fails quietly (false) once the window is gone.
class SearchEventPoster {
public:
    virtual ~SearchEventPoster() = default;
    virtual bool postSearchEvent(uint32_t code, int64_t param) = 0;
};

// The four workers of a search, in the order StartSearch starts them.
enum class SearchWorker { Engine = 0, Local = 1, Torrent = 2, Form = 3 };
inline constexpr int kSearchWorkerCount = 4;

class SearchHandle;

// Process-wide search globals. g_searchLock guards the four flags, the generation and
// every SearchState's m_results, m_localStatus and m_webStatus.
extern platform::CriticalSection g_searchLock;
extern bool g_engineRunning;   // guarded by g_searchLock
extern bool g_localRunning;    // guarded by g_searchLock
extern bool g_torrentRunning;  // guarded by g_searchLock
extern bool g_formRunning;     // guarded by g_searchLock
// The current search; 0 before the first. Guarded by g_searchLock.
extern uint32_t g_searchGeneration;

// The running flag of a worker. Caller holds g_searchLock.
bool& RunningFlag(SearchWorker worker);

// The Qt-free part of the dialog. Shared (shared_ptr) by the dialog and every handle,
// so a late worker never touches freed memory.
class SearchState {
public:
    explicit SearchState(std::shared_ptr<SearchEventPoster> poster);

    // Dialog side (the dialog's thread).

    // Starts a new generation: empties m_results, stores the term, and returns the
    // generation for the handles of the new search. Flags are left to the caller.
    uint32_t beginSearch(const std::string& narrowTerm);
    // The dialog is going away: ends the generation and forgets the poster, so nothing
    // posts to the window or writes here any more.
    void close();
    // Posts from the dialog itself (StopSearch's SEARCH_EVENT_DONE); false when closed.
    bool post(uint32_t code, int64_t param);

    // The search box text, kept current by the dialog (it calls setEditText on every
    // change), so workers read it without the dialog's thread.
    void setEditText(const std::u16string& text);
    std::u16string editText() const;

    // The generation of this state's current search (0 when closed or never started).
    uint32_t generation() const;

    // Shared fields, all guarded by g_searchLock.
    std::map<int32_t, SearchResult> m_results;
    std::string m_localStatus;
    std::string m_webStatus;
    // Written only by beginSearch, on the dialog's thread, before the search's workers
    // exist; a worker reads its own copy through SearchHandle::searchTerm().
    std::string m_searchTerm;

private:
    friend class SearchHandle;
    friend int32_t AddResult(const SearchHandle& handle, const SearchResult& result);

    // Caller holds g_searchLock.
    bool isCurrentLocked(uint32_t generation) const;
    bool postLocked(uint32_t code, int64_t param);

    std::shared_ptr<SearchEventPoster> m_poster;  // guarded by g_searchLock
    uint32_t m_generation = 0;                    // guarded by g_searchLock
    mutable std::mutex m_editMutex;
    std::u16string m_editText;  // guarded by m_editMutex
};

// What one worker of one search holds. Cheap to copy; crawl threads under a source
// get copies of their source's handle.
class SearchHandle {
public:
    SearchHandle(std::shared_ptr<SearchState> state, uint32_t generation, SearchWorker worker);

    SearchWorker worker() const { return m_worker; }
    uint32_t generation() const { return m_generation; }

    // m_searchTerm of this handle's search (narrow, code page 949).
    const std::string& searchTerm() const { return m_searchTerm; }
    // The search box text now (wide).
    std::u16string editText() const;

    // The worker's own flag, read under g_searchLock; false once the search is stale.
    bool isRunning() const;
    // True while this handle's search is the current one.
    bool isCurrent() const;

    // Rewrites m_localStatus / m_webStatus and posts the matching event, under the lock.
    // Nothing happens once the search is stale.
    void setLocalStatus(const std::string& narrow) const;
    void setWebStatus(const std::string& narrow) const;

    // The end of every source: clears the worker's own flag, then posts
    // SEARCH_EVENT_DONE. Nothing happens once the search is stale.
    void finish() const;

    SearchState& state() const { return *m_state; }

private:
    friend int32_t AddResult(const SearchHandle& handle, const SearchResult& result);

    std::shared_ptr<SearchState> m_state;
    uint32_t m_generation;
    SearchWorker m_worker;
    std::string m_searchTerm;
};

// Adds a copy of result under the next key (largest key + 1, 0 when empty) and posts
// SEARCH_EVENT_RESULT. Returns the key, or -1 when the handle's search is stale.
int32_t AddResult(const SearchHandle& handle, const SearchResult& result);
