// Stand-ins until the web sources exist: each ends at once, so a whole search runs.
#include "websearch/Sources.h"

uint32_t EngineSourceProc(SearchHandle handle) {
    handle.finish();
    return 0;
}

uint32_t TorrentSourceProc(SearchHandle handle) {
    handle.finish();
    return 0;
}

uint32_t FormSourceProc(SearchHandle handle) {
    handle.finish();
    return 0;
}
