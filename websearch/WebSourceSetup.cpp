#include "websearch/WebSourceSetup.h"

#include "platform/Text.h"
#include "websearch/WebConfig.h"

WebSourceSetup::WebSourceSetup() = default;

WebSourceSetup::~WebSourceSetup() {
    close();
}

void WebSourceSetup::open(const std::vector<std::string>& optionList) {
    for (const std::string& option : optionList) {
        options.apply(option);
    }
    workSem = std::make_unique<platform::Semaphore>(0, options.sock);
    cycleSem = std::make_unique<platform::Semaphore>(0, options.sock);
    if (!workSem->isValid() || !cycleSem->isValid()) {
        throw Kestrin::SyncException(kErrorSemaphore);
    }
    if (options.queueKind == 0) {
        queue = std::make_unique<BfsQ>(options.qlimit, options.seed);
    }
    guard = std::make_unique<QueueGuard>();
    guard->queue = queue.get();
    cookieJar = std::make_unique<CookieJar>();
    hostCache = std::make_unique<HostCache>();
    client = std::make_unique<HttpClient>(cookieJar.get(), hostCache.get(), options.timeout);
}

void WebSourceSetup::close() {
    client.reset();
    hostCache.reset();
    cookieJar.reset();
    guard.reset();
    queue.reset();
    cycleSem.reset();
    workSem.reset();
}

std::vector<std::string> formSourceOptions() {
    // "-searchtext:문서" in code page 949.
    return {"-qlimit:100000",
            "-timeout:2",
            "-sock:1",
            "-seed:",
            "-output:",
            "-filetype:.doc",
            "-searchtext:\xB9\xAE\xBC\xAD"};
}

std::vector<std::string> webSourceOptions(const std::string& s, const std::string& u) {
    return {"-qlimit:100000",
            "-timeout:2",
            "-sock:1",
            "-seed:" + u,
            "-output:" + webOutputDir(),
            std::string("-filetype:.") + "doc",
            "-searchtext:" + s};
}

SearchText prepareSearchText(SearchSink* sink, const std::string& urlTemplate, TermPlace place) {
    const std::string text = platform::toAnsi(sink->editText());
    SearchText out;
    out.s = text;
    for (char& c : out.s) {
        if (c == ' ') {
            c = '+';
        }
    }
    out.u = urlTemplate;
    const size_t at = out.u.find("%s");
    if (at != std::string::npos) {
        out.u.replace(at, 2, encodeTerm(text, place, true));
    }
    return out;
}

std::string engineUrlTemplate(const std::string& engineHost) {
    return "http://" + engineHost +
           "/search?q=%s&hl=ko&newwindow=1&biw=1920&bih=914&prmd=imvnsulaz&ei="
           "Qm7dLw2RpXt9HsYc4KjNbA&sa=N&start=0";
}

std::string torrentUrlTemplate(const std::string& torrentHost) {
    return "http://" + torrentHost + "/search/all/%s/c/d/1/?fmt=rss";
}
