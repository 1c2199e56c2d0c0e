// The dialog's entry points of the three web sources: each adapts its search handle to
// the sink the web search writes through, then runs the source.
#include "websearch/SearchSink.h"
#include "websearch/Sources.h"
#include "websearch/WebSourceSetup.h"

namespace {

// Results, status and the end go through the handle, which keeps the locking and
// posting protocol and ignores a search that is no longer current.
class HandleSink : public SearchSink {
public:
    explicit HandleSink(SearchHandle handle) : m_handle(std::move(handle)) {}

    void addResult(const WebFind& find) override {
        SearchResult result;
        result.name = find.name;
        result.type = find.type;
        result.target = find.target;
        result.location = find.location;
        AddResult(m_handle, result);
    }
    void setWebStatus(const std::string& text) override { m_handle.setWebStatus(text); }
    bool isRunning(WebSource) override { return m_handle.isRunning(); }
    void finish(WebSource) override { m_handle.finish(); }
    std::string searchTerm() override { return m_handle.searchTerm(); }
    std::u16string editText() override { return m_handle.editText(); }

private:
    SearchHandle m_handle;
};

}  // namespace

uint32_t EngineSourceProc(SearchHandle handle) {
    HandleSink sink(std::move(handle));
    return static_cast<uint32_t>(runEngineSource(&sink));
}

uint32_t TorrentSourceProc(SearchHandle handle) {
    HandleSink sink(std::move(handle));
    return static_cast<uint32_t>(runTorrentSource(&sink));
}

uint32_t FormSourceProc(SearchHandle handle) {
    HandleSink sink(std::move(handle));
    return static_cast<uint32_t>(runFormSource(&sink));
}
