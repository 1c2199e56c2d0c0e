#include "websearch/QManager.h"

#include "websearch/WebConfig.h"

namespace {

bool isResultWrapper(const std::string& path) {
    static constexpr char kWrapper[] = "/url";
    if (path.size() < 4) {
        return false;
    }
    for (size_t i = 0; i < 4; ++i) {
        char c = path[i];
        if (c >= 'A' && c <= 'Z') {
            c = static_cast<char>(c - 'A' + 'a');
        }
        if (c != kWrapper[i]) {
            return false;
        }
    }
    return true;
}

}  // namespace

QManager::QManager(int32_t qlimit) : qlimit(qlimit) {}

QManager::~QManager() = default;

void QManager::addLinks(const Url& base, const std::vector<std::string>& links) {
    const WebConfig config = webConfig();
    const bool enginePage = isEngineHost(config, base.host);
    const int32_t depth = base.depth + 1;
    for (const std::string& link : links) {
        if (visited.size() >= visitedLimit) {
            return;
        }
        const Url candidate(resolveUrl(base, Url(link)).compose(kPartAll));
        if (visited.count(candidate) != 0) {
            continue;
        }
        visited.insert(candidate);
        if (!enginePage) {
            push(candidate.compose(kPartAll), depth);
            continue;
        }
        if (!isResultWrapper(candidate.path)) {
            continue;
        }
        const std::string target = candidate.queryValue("q=");
        if (target.compare(0, 4, "http") != 0) {
            continue;
        }
        // The engine lists a document under several wrappers: the unwrapped target is
        // seen once like any other URL.
        const Url unwrapped(target, depth);
        if (visited.insert(unwrapped).second) {
            push(target, depth);
        }
    }
}
