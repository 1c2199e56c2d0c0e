#include "app/state/SearchState.h"

#include <utility>

platform::CriticalSection g_searchLock;
bool g_engineRunning = false;
bool g_localRunning = false;
bool g_torrentRunning = false;
bool g_formRunning = false;
uint32_t g_searchGeneration = 0;

bool& RunningFlag(SearchWorker worker) {
    switch (worker) {
        case SearchWorker::Engine:
            return g_engineRunning;
        case SearchWorker::Local:
            return g_localRunning;
        case SearchWorker::Torrent:
            return g_torrentRunning;
        case SearchWorker::Form:
            break;
    }
    return g_formRunning;
}

SearchState::SearchState(std::shared_ptr<SearchEventPoster> poster) : m_poster(std::move(poster)) {}

uint32_t SearchState::beginSearch(const std::string& narrowTerm) {
    platform::ScopedLock lock(g_searchLock);
    m_results.clear();
    m_searchTerm = narrowTerm;
    // Never 0, so a zeroed parameter can't pass for a live search.
    if (++g_searchGeneration == 0) {
        ++g_searchGeneration;
    }
    m_generation = g_searchGeneration;
    return m_generation;
}

void SearchState::close() {
    std::shared_ptr<SearchEventPoster> gone;
    {
        platform::ScopedLock lock(g_searchLock);
        if (m_generation != 0 && m_generation == g_searchGeneration) {
            if (++g_searchGeneration == 0) {
                ++g_searchGeneration;
            }
        }
        m_generation = 0;
        gone = std::move(m_poster);
    }
    // The poster is released outside the lock: its destructor may do window work.
}

bool SearchState::post(uint32_t code, int64_t param) {
    platform::ScopedLock lock(g_searchLock);
    return postLocked(code, param);
}

bool SearchState::postLocked(uint32_t code, int64_t param) {
    return m_poster && m_poster->postSearchEvent(code, param);
}

bool SearchState::isCurrentLocked(uint32_t generation) const {
    return generation != 0 && generation == m_generation && generation == g_searchGeneration;
}

void SearchState::setEditText(const std::u16string& text) {
    std::lock_guard<std::mutex> lock(m_editMutex);
    m_editText = text;
}

std::u16string SearchState::editText() const {
    std::lock_guard<std::mutex> lock(m_editMutex);
    return m_editText;
}

uint32_t SearchState::generation() const {
    platform::ScopedLock lock(g_searchLock);
    return m_generation;
}

SearchHandle::SearchHandle(std::shared_ptr<SearchState> state, uint32_t generation,
                           SearchWorker worker)
    : m_state(std::move(state)), m_generation(generation), m_worker(worker) {
    platform::ScopedLock lock(g_searchLock);
    if (m_state->isCurrentLocked(m_generation)) {
        m_searchTerm = m_state->m_searchTerm;
    }
}

std::u16string SearchHandle::editText() const {
    return m_state->editText();
}

bool SearchHandle::isRunning() const {
    platform::ScopedLock lock(g_searchLock);
    return m_state->isCurrentLocked(m_generation) && RunningFlag(m_worker);
}

bool SearchHandle::isCurrent() const {
    platform::ScopedLock lock(g_searchLock);
    return m_state->isCurrentLocked(m_generation);
}

void SearchHandle::setLocalStatus(const std::string& narrow) const {
    platform::ScopedLock lock(g_searchLock);
    if (m_state->isCurrentLocked(m_generation)) {
        m_state->m_localStatus = narrow;
        m_state->postLocked(SEARCH_EVENT_LOCAL_STATUS, 0);
    }
}

void SearchHandle::setWebStatus(const std::string& narrow) const {
    platform::ScopedLock lock(g_searchLock);
    if (m_state->isCurrentLocked(m_generation)) {
        m_state->m_webStatus = narrow;
        m_state->postLocked(SEARCH_EVENT_WEB_STATUS, 0);
    }
}

void SearchHandle::finish() const {
    platform::ScopedLock lock(g_searchLock);
    if (m_state->isCurrentLocked(m_generation)) {
        RunningFlag(m_worker) = false;
        m_state->postLocked(SEARCH_EVENT_DONE, 0);
    }
}

int32_t AddResult(const SearchHandle& handle, const SearchResult& result) {
    SearchState& state = *handle.m_state;
    int32_t key = 0;
    {
        platform::ScopedLock lock(g_searchLock);
        if (!state.isCurrentLocked(handle.m_generation)) {
            return -1;
        }
        if (!state.m_results.empty()) {
            key = state.m_results.rbegin()->first + 1;
        }
        state.m_results.emplace(key, result);
    }
    // Posting after the lock: as designed, and it never waits anyway.
    state.post(SEARCH_EVENT_RESULT, ResultEventParam(handle.m_generation, key));
    return key;
}
