#include <functional>

#include "platform/Clock.h"
#include "platform/Text.h"
#include "websearch/HttpSocketThread.h"
#include "websearch/WebConfig.h"
#include "websearch/WebSourceSetup.h"

namespace {

// A source's body between its set-up and its end. Whatever goes wrong in it (an option
// that cannot be applied, a semaphore that cannot be made, memory), the source still
// frees what it made and tells the dialog that it has ended.
int32_t runSource(SearchSink* sink, WebSource source, const std::function<void()>& body) {
    try {
        body();
    } catch (const Argv::Exception&) {
    } catch (const QManager::QException&) {
    } catch (...) {
    }
    sink->finish(source);
    return 0;
}

std::string utf8ToAnsi(const std::string& utf8) {
    return platform::utf8ToAnsi(utf8);
}

bool fetchBody(HttpClient& client, const std::string& url) {
    return client.fetch(Url(url)) && !client.parser.body.empty();
}

}  // namespace

void readFormSiteResults(HttpClient& client, SearchSink* sink, const FormSiteRow& row,
                         const std::string& term) {
    const std::string host = webConfig().formSiteHost;
    if (!fetchBody(client,
                   "http://" + host + row.pathPrefix + encodeTerm(term, TermPlace::kQuery))) {
        return;
    }
    for (const WebFind& find : readFormSiteItems(client.parser.body, row, host)) {
        sink->addResult(find);
    }
}

void runCrawl(WebSourceSetup& setup, SearchSink* sink, const std::function<bool()>& keepGoing) {
    const CrawlerArgv& o = setup.options;
    HttpSocketThread worker(o.output, *setup.workSem, *setup.cycleSem, setup.guard.get(), o.timeout,
                            setup.cookieJar.get(), setup.hostCache.get(), sink, o.filetype,
                            o.searchtext);
    if (!worker.start()) {
        return;
    }
    setup.workSem->release();
    platform::sleepMs(1);
    // The wait is bounded so that a worker that ended without a last signal, or a stop,
    // is seen within a step.
    while (keepGoing()) {
        if (setup.cycleSem->wait(100)) {
            if (crawlDrained(*setup.guard)) {
                break;
            }
            platform::sleepMs(1);
        } else if (!worker.isRunning()) {
            break;
        }
    }
    // worker's destructor stops it after the cycle in progress and waits for it.
}

int32_t runEngineSource(SearchSink* sink) {
    return runSource(sink, WebSource::kEngine, [sink] {
        const std::string term = sink->searchTerm();
        const WebConfig config = webConfig();
        const SearchText text =
            prepareSearchText(sink, engineUrlTemplate(config.engineHost), TermPlace::kQuery);
        WebSourceSetup setup;
        setup.open(webSourceOptions(text.s, text.u));
        readFormSiteResults(*setup.client, sink, kFreeForms, term);
        if (setup.queue) {
            runCrawl(setup, sink, [sink] { return sink->isRunning(WebSource::kEngine); });
        }
    });
}

int32_t runFormSource(SearchSink* sink) {
    return runSource(sink, WebSource::kForm, [sink] {
        // The form site is asked a little after the other sources; Stop does not shorten it.
        platform::sleepMs(webConfig().formWaitMs);
        const std::string term = sink->searchTerm();
        WebSourceSetup setup;
        setup.open(formSourceOptions());
        readFormSiteResults(*setup.client, sink, kCertifiedForms, term);
    });
}

int32_t runTorrentSource(SearchSink* sink) {
    return runSource(sink, WebSource::kTorrent, [sink] {
        const std::string term = sink->searchTerm();
        const WebConfig config = webConfig();
        const SearchText text =
            prepareSearchText(sink, torrentUrlTemplate(config.torrentHost), TermPlace::kPath);
        WebSourceSetup setup;
        setup.open(webSourceOptions(text.s, text.u));
        const std::string url = "http://" + config.torrentHost + "/search/all/" +
                                encodeTerm(platform::ansiToUtf8(term), TermPlace::kPath) +
                                "/c/d/1/?fmt=rss";
        if (!fetchBody(*setup.client, url)) {
            return;
        }
        for (const WebFind& find :
             readTorrentFeed(setup.client->parser.body, utf8ToAnsi, config.formSiteHost)) {
            sink->addResult(find);
        }
    });
}
