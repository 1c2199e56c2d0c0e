#include "websearch/BfsQ.h"

BfsQ::BfsQ(int32_t qlimit, const Url& seed) : QManager(qlimit) {
    visited.insert(seed);
    queue.push_back(seed);
}

int32_t BfsQ::size() const {
    return static_cast<int32_t>(queue.size());
}

bool BfsQ::isFull() const {
    return static_cast<uint32_t>(qlimit) < static_cast<uint32_t>(size());
}

bool BfsQ::isEmpty() const {
    return queue.empty();
}

Url& BfsQ::front() {
    if (queue.empty()) {
        throw QException{kErrorQueueEmpty};
    }
    return queue.front();
}

void BfsQ::pop() {
    if (!queue.empty()) {
        queue.pop_front();
    }
}

void BfsQ::push(const std::string& text, int32_t depth) {
    queue.emplace_back(text, depth);
}

void BfsQ::push(const std::string& text) {
    push(text, 0);
}

void BfsQ::pushFront(const std::string& text, int32_t depth) {
    queue.emplace_front(text, depth);
}
