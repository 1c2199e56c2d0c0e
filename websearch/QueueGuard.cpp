#include "websearch/QueueGuard.h"

platform::CriticalSection g_crawlLock;

bool crawlDrained(QueueGuard& guard) {
    platform::ScopedLock lock(guard.lock);
    return (guard.queue == nullptr || guard.queue->isEmpty()) && guard.inFlight == 0;
}
