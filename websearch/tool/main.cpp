// trawlix-crawl: the web crawl on its own, for scripting and for checking it. Arguments
// are crawl option strings (-name:value); one worker crawls breadth-first from the seed,
// paced as the search-engine source paces it, until the queue runs dry or Ctrl-C. Each
// document found is one line on standard output (target, name, type, location; tabs;
// UTF-8); the web status line goes to standard error.
#include <csignal>
#include <cstdio>
#include <string>
#include <vector>

#include "platform/Text.h"
#include "websearch/SearchSink.h"
#include "websearch/WebSourceSetup.h"

namespace {

volatile std::sig_atomic_t g_interrupted = 0;

void onInterrupt(int) {
    g_interrupted = 1;
}

class ConsoleSink : public SearchSink {
public:
    void addResult(const WebFind& find) override {
        const std::string line =
            platform::ansiToUtf8(find.target) + "\t" + platform::ansiToUtf8(find.name) + "\t" +
            platform::ansiToUtf8(find.type) + "\t" + platform::ansiToUtf8(find.location) + "\n";
        std::fputs(line.c_str(), stdout);
        std::fflush(stdout);
    }
    void setWebStatus(const std::string& text) override {
        std::fputs((platform::ansiToUtf8(text) + "\n").c_str(), stderr);
    }
    bool isRunning(WebSource) override { return g_interrupted == 0; }
    void finish(WebSource) override {}
    std::string searchTerm() override { return {}; }
    std::u16string editText() override { return {}; }
};

}  // namespace

int main(int argc, char** argv) {
    // The engine source's pacing values first; the caller's options override them.
    std::vector<std::string> options = {"-qlimit:100000", "-timeout:2", "-sock:1"};
    for (int i = 1; i < argc; ++i) {
        options.emplace_back(argv[i]);
    }
    WebSourceSetup setup;
    try {
        setup.open(options);
    } catch (const Argv::Exception& e) {
        std::fprintf(stderr, "%s\n", e.message.c_str());
        return 2;
    } catch (const Kestrin::SyncException& e) {
        std::fprintf(stderr, "%s\n", e.message.c_str());
        return 2;
    }
    if (!setup.queue) {
        return 0;
    }
    std::signal(SIGINT, onInterrupt);
    std::signal(SIGPIPE, SIG_IGN);
    ConsoleSink sink;
    runCrawl(setup, &sink, [] { return g_interrupted == 0; });
    return 0;
}
