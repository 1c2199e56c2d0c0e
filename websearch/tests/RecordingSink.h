// A search sink for tests: records results, status lines and ends, thread-safely, and
// lets a test set the search term, the search box text and the running flags.
#pragma once

#include <atomic>
#include <condition_variable>
#include <mutex>
#include <string>
#include <vector>

#include "platform/Clock.h"
#include "websearch/SearchSink.h"

class RecordingSink : public SearchSink {
public:
    void addResult(const WebFind& find) override {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_results.push_back(find);
    }
    void setWebStatus(const std::string& text) override {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_status.push_back(text);
    }
    bool isRunning(WebSource source) override { return m_running[index(source)].load(); }
    void finish(WebSource source) override {
        m_running[index(source)] = false;
        std::lock_guard<std::mutex> lock(m_mutex);
        m_finished.push_back(source);
        m_changed.notify_all();
    }
    std::string searchTerm() override {
        std::lock_guard<std::mutex> lock(m_mutex);
        return m_term;
    }
    std::u16string editText() override {
        std::lock_guard<std::mutex> lock(m_mutex);
        return m_editText;
    }

    void setTerm(const std::string& term, const std::u16string& editText) {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_term = term;
        m_editText = editText;
    }
    void setRunning(WebSource source, bool running) { m_running[index(source)] = running; }

    std::vector<WebFind> results() const {
        std::lock_guard<std::mutex> lock(m_mutex);
        return m_results;
    }
    // "target name type location" per result.
    std::vector<std::string> resultLines() const {
        std::vector<std::string> out;
        for (const WebFind& f : results()) {
            out.push_back(f.target + " " + f.name + " " + f.type + " " + f.location);
        }
        return out;
    }
    std::vector<std::string> status() const {
        std::lock_guard<std::mutex> lock(m_mutex);
        return m_status;
    }
    std::vector<WebSource> finished() const {
        std::lock_guard<std::mutex> lock(m_mutex);
        return m_finished;
    }

private:
    static size_t index(WebSource s) { return static_cast<size_t>(s); }

    mutable std::mutex m_mutex;
    std::condition_variable m_changed;
    std::vector<WebFind> m_results;     // guarded by m_mutex
    std::vector<std::string> m_status;  // guarded by m_mutex
    std::vector<WebSource> m_finished;  // guarded by m_mutex
    std::string m_term;                 // guarded by m_mutex
    std::u16string m_editText;          // guarded by m_mutex
    std::atomic<bool> m_running[3] = {true, true, true};
};
