#include "websearch/HttpSocketThread.h"

#include <algorithm>

#include "platform/Clock.h"
#include "websearch/WebConfig.h"

namespace {

// Tested in this order; the first hit suffices.
constexpr const char* kDocumentExtensions[] = {".doc", ".hwp", ".ppt", ".xls", ".zip",
                                               ".rar", ".alz", ".txt", ".pdf", ".torrent"};

}  // namespace

bool isDocumentPath(const std::string& path) {
    return std::any_of(std::begin(kDocumentExtensions), std::end(kDocumentExtensions),
                       [&](const char* ext) { return path.find(ext) != std::string::npos; });
}

void documentNameAndType(const std::string& path, std::string& name, std::string& type) {
    const size_t slash = path.rfind('/');
    name = slash == std::string::npos ? path : path.substr(slash + 1);
    const size_t dot = name.rfind('.');
    type = dot == std::string::npos ? name : name.substr(dot + 1);
}

HttpSocketThread::HttpSocketThread(const FsPath& output, platform::Semaphore& workSem,
                                   platform::Semaphore& cycleSem, QueueGuard* queueGuard,
                                   int32_t timeout, CookieJar* cookieJar, HostCache* hostCache,
                                   SearchSink* dialog, const FsPath& filetype,
                                   const FsPath& searchtext)
    : m_workSem(workSem),
      m_cycleSem(cycleSem),
      m_queueGuard(queueGuard),
      m_cookieJar(cookieJar),
      m_hostCache(hostCache),
      m_timeout(timeout),
      m_dialog(dialog),
      m_output(output),
      m_filetype(filetype),
      m_searchtext(searchtext) {}

HttpSocketThread::~HttpSocketThread() {
    requestStop();
    join();
}

void HttpSocketThread::requestStop() {
    m_running = false;
    // Wake a worker waiting for its next cycle; it tests the flag after every wait.
    while (m_workSem.release()) {
    }
}

int32_t HttpSocketThread::run() {
    HttpClient client(m_cookieJar, m_hostCache, m_timeout);
    LinkExtractor extractor;
    std::string previous;
    try {
        Url current = takeNext();
        while (m_running) {
            platform::sleepMs(1);
            m_workSem.wait();
            if (!m_running || current.compose(kPartAll).empty()) {
                break;
            }
            crawlOne(client, extractor, current, previous);
            signalCycle();
            current = takeNext();
        }
    } catch (const QManager::QException&) {
        // The queue ran dry: the usual end of a crawl.
        return 0;
    }
    // Stopped while holding a URL: it is given up, not done.
    platform::ScopedLock lock(m_queueGuard->lock);
    --m_queueGuard->inFlight;
    return 0;
}

Url HttpSocketThread::takeNext() {
    platform::ScopedLock lock(m_queueGuard->lock);
    Url next = m_queueGuard->queue->front();
    m_queueGuard->queue->pop();
    ++m_queueGuard->inFlight;
    return next;
}

void HttpSocketThread::crawlOne(HttpClient& client, LinkExtractor& extractor, const Url& current,
                                std::string& previous) {
    const WebConfig config = webConfig();
    if (isEngineHost(config, current.host)) {
        // The engine is asked gently, and only for its result page (the seed).
        pause(config.enginePageWaitMs);
        if (current.depth > 0 || !m_running) {
            return;
        }
    }
    if (!client.fetch(current)) {
        return;
    }
    platform::ScopedLock crawl(g_crawlLock);
    const std::string text = current.compose(kPartAll);
    if (text != previous && !text.empty()) {
        m_dialog->setWebStatus(kWebStatusPrefix + text);
    }
    previous = text;
    if (isDocumentPath(current.path)) {
        WebFind find;
        documentNameAndType(current.path, find.name, find.type);
        find.target = text;
        find.location = current.host;
        m_dialog->addResult(find);
    }
    const std::string& body = client.parser.body;
    extractor.extract(body.data(), body.size());
    bool full = false;
    {
        platform::ScopedLock lock(m_queueGuard->lock);
        full = m_queueGuard->queue->isFull();
    }
    if (!full && current.depth < kMaxLinkDepth && extractor.links.size() < kMaxPageLinks) {
        platform::ScopedLock lock(m_queueGuard->lock);
        m_queueGuard->queue->addLinks(current, extractor.links);
    }
}

void HttpSocketThread::signalCycle() {
    platform::ScopedLock crawl(g_crawlLock);
    int32_t queued = 0;
    {
        platform::ScopedLock lock(m_queueGuard->lock);
        --m_queueGuard->inFlight;
        queued = m_queueGuard->queue->size();
    }
    for (int32_t i = 0; i < queued && m_workSem.release(); ++i) {
    }
    m_cycleSem.release();
}

void HttpSocketThread::pause(uint32_t ms) {
    const int64_t deadline = platform::steadyMs() + ms;
    while (m_running && platform::steadyMs() < deadline) {
        platform::sleepMs(
            static_cast<uint32_t>(std::min<int64_t>(10, deadline - platform::steadyMs())));
    }
}
