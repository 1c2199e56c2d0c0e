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
    // URLs a worker has taken and not finished yet (under lock): the crawl has run dry
    // only when the queue is empty and this is 0.
    int32_t inFlight = 0;
};

// Under the guard's lock: nothing is queued and no worker holds a URL.
bool crawlDrained(QueueGuard& guard);

// Held for the post-fetch part of a crawl cycle and for the end-of-cycle signal.
extern platform::CriticalSection g_crawlLock;
