// The breadth-first crawl queue: first in, first out, each entry carrying its depth.
#pragma once

#include <deque>

#include "websearch/QManager.h"

class BfsQ : public QManager {
public:
    // The seed is the first entry and the first visited URL; it keeps its depth.
    BfsQ(int32_t qlimit, const Url& seed);

    int32_t size() const override;
    bool isFull() const override;
    bool isEmpty() const override;
    Url& front() override;
    void pop() override;
    void push(const std::string& text, int32_t depth) override;
    void push(const std::string& text) override;
    void pushFront(const std::string& text, int32_t depth) override;

    std::deque<Url> queue;
};
