// The crawl worker: takes one URL at a time from the source's queue, fetches it, shows it
// in the web status line, reports it when its path names a document, and hands the page's
// links back to the queue. Paced by its source through two semaphores; stopped by its
// flag, never ended forcibly.
#pragma once

#include <cstdint>
#include <string>

#include "http/CookieJar.h"
#include "http/HostCache.h"
#include "http/HttpClient.h"
#include "http/LinkExtractor.h"
#include "platform/Sync.h"
#include "websearch/FsPath.h"
#include "websearch/KestrinThread.h"
#include "websearch/QueueGuard.h"
#include "websearch/SearchSink.h"

// "[웹] " in code page 949: the start of the web status line.
inline constexpr const char* kWebStatusPrefix = "[\xC0\xA5] ";
// Links of pages at this depth or deeper are not followed.
inline constexpr int32_t kMaxLinkDepth = 3;
// A page with this many links or more adds none of them.
inline constexpr size_t kMaxPageLinks = 300;

// The path names a document: it holds one of the searched extensions, case-sensitively.
bool isDocumentPath(const std::string& path);
// The name (after the last '/') and type (after the name's last '.') of a document path.
void documentNameAndType(const std::string& path, std::string& name, std::string& type);

class HttpSocketThread : public Kestrin::Thread {
public:
    HttpSocketThread(const FsPath& output, platform::Semaphore& workSem,
                     platform::Semaphore& cycleSem, QueueGuard* queueGuard, int32_t timeout,
                     CookieJar* cookieJar, HostCache* hostCache, SearchSink* dialog,
                     const FsPath& filetype, const FsPath& searchtext);
    // Clears the flag, wakes the worker and waits for the cycle in progress to end.
    ~HttpSocketThread() override;

    // Asks the worker to stop after its cycle in progress; does not wait.
    void requestStop();

protected:
    int32_t run() override;

private:
    // Under the guard lock: copies and removes the first URL and counts it in flight;
    // raises QManager::QException when the queue is empty.
    Url takeNext();
    // Fetches and processes one URL (everything of a cycle but its pacing).
    void crawlOne(HttpClient& client, LinkExtractor& extractor, const Url& current,
                  std::string& previous);
    // The end of a cycle: the current URL is done, further cycles may start, the source is
    // told.
    void signalCycle();
    // Sleeps up to ms, cut short when the worker is asked to stop.
    void pause(uint32_t ms);

    platform::Semaphore& m_workSem;
    platform::Semaphore& m_cycleSem;
    QueueGuard* m_queueGuard;
    CookieJar* m_cookieJar;
    HostCache* m_hostCache;
    int32_t m_timeout;
    SearchSink* m_dialog;
    // Kept from the options; the document test does not consult them.
    FsPath m_output, m_filetype, m_searchtext;
};
