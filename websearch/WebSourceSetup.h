// What one web source owns for its whole run: the applied crawl options, the two crawl
// semaphores, the breadth-first queue and its guard, a cookie jar, a host cache and one
// HTTP client. Nothing carries over from one source run to the next.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "http/CookieJar.h"
#include "http/HostCache.h"
#include "http/HttpClient.h"
#include "platform/Sync.h"
#include "websearch/BfsQ.h"
#include "websearch/CrawlerArgv.h"
#include "websearch/KestrinThread.h"
#include "websearch/QueueGuard.h"
#include "websearch/SearchSink.h"
#include "websearch/TermEncoding.h"

inline constexpr const char* kErrorSemaphore = "fail to create semaphore";

class WebSourceSetup {
public:
    WebSourceSetup();
    ~WebSourceSetup();
    WebSourceSetup(const WebSourceSetup&) = delete;
    WebSourceSetup& operator=(const WebSourceSetup&) = delete;

    // Applies the options in order and makes everything else; raises Argv::Exception or
    // Kestrin::SyncException (what was made so far is freed by close or the destructor).
    void open(const std::vector<std::string>& optionList);
    // Frees everything open made; never fails.
    void close();

    CrawlerArgv options;
    std::unique_ptr<platform::Semaphore> workSem;
    std::unique_ptr<platform::Semaphore> cycleSem;
    std::unique_ptr<BfsQ> queue;  // none unless queueKind is 0
    std::unique_ptr<QueueGuard> guard;
    std::unique_ptr<CookieJar> cookieJar;
    std::unique_ptr<HostCache> hostCache;
    std::unique_ptr<HttpClient> client;
};

// The option list of the form-site source.
std::vector<std::string> formSourceOptions();
// The option list of the engine and torrent sources, for search text s and seed u.
std::vector<std::string> webSourceOptions(const std::string& s, const std::string& u);

struct SearchText {
    std::string s;  // the search box text with every blank turned into '+'
    std::string u;  // the URL template with the text put into its one "%s"
};

// The engine's and the torrent index's text preparation, from the search box's text as it
// is now. The text goes into u encoded for its place, so the server receives it exactly.
SearchText prepareSearchText(SearchSink* sink, const std::string& urlTemplate, TermPlace place);

// Runs one crawl worker over the set-up's queue, paced cycle by cycle, until the crawl has
// run dry or keepGoing turns false; returns when the worker has ended.
void runCrawl(WebSourceSetup& setup, SearchSink* sink, const std::function<bool()>& keepGoing);

// Fetches one form-site search for term and publishes its items.
void readFormSiteResults(HttpClient& client, SearchSink* sink, const FormSiteRow& row,
                         const std::string& term);

// The three web sources, each a whole thread body: set-up, requests, teardown, and the
// end of the source (flag cleared, the dialog told) in every case. They return 0.
int32_t runEngineSource(SearchSink* sink);
int32_t runFormSource(SearchSink* sink);
int32_t runTorrentSource(SearchSink* sink);

// The engine's result-page template and the torrent feed's seed template, for a host.
std::string engineUrlTemplate(const std::string& engineHost);
std::string torrentUrlTemplate(const std::string& torrentHost);
