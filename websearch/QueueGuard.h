// The crawl queue shared by a web source and its crawl workers, with the one lock under
// which every queue operation is made; and the process-wide lock that serialises the
// processing of fetched pages across all workers.
//
// Lock order: g_crawlLock, then g_searchLock or a QueueGuard lock (never both of those).
#pragma once

#include "platform/Sync.h"
#include "websearch/QManager.h"

struct QueueGuard {
    platform::CriticalSection lock;
    QManager* queue = nullptr;  // owned by the source; every use under lock
};

// Held for the post-fetch part of a crawl cycle and for the end-of-cycle signal.
extern platform::CriticalSection g_crawlLock;
