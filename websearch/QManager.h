// The crawl queue's common part: the queue limit, the set of URLs already seen, and the
// turning of a fetched page's links into new entries one level deeper. No lock of its
// own: every call is made under the QueueGuard lock.
#pragma once

#include <cstddef>
#include <cstdint>
#include <set>
#include <string>
#include <vector>

#include "http/Url.h"

inline constexpr const char* kErrorQueueEmpty = "Q is empty!!!";

class QManager {
public:
    struct QException {
        std::string message;
    };

    // More URLs than this are never recorded: it bounds the visited set and, since every
    // push passes through it, the queue too, whatever the queue limit says.
    static constexpr size_t kVisitedLimit = 1000000;

    explicit QManager(int32_t qlimit);
    virtual ~QManager();

    virtual int32_t size() const = 0;
    // qlimit < size, both as unsigned 32-bit numbers (a negative limit never fills).
    virtual bool isFull() const = 0;
    virtual bool isEmpty() const = 0;
    // The first entry; raises QException "Q is empty!!!" when there is none.
    virtual Url& front() = 0;
    virtual void pop() = 0;
    virtual void push(const std::string& text, int32_t depth) = 0;
    virtual void push(const std::string& text) = 0;
    virtual void pushFront(const std::string& text, int32_t depth) = 0;

    // Resolves each link against base and queues the unseen ones at base depth + 1; on a
    // result page of the search engine only its "/url?q=" targets are queued.
    void addLinks(const Url& base, const std::vector<std::string>& links);

    int32_t qlimit;
    std::set<Url> visited;
    size_t visitedLimit = kVisitedLimit;
};
