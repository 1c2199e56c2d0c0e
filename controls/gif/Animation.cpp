#include "controls/gif/Animation.h"

#include "controls/gif/GifWalker.h"

namespace gif {

struct Animation::Shared {
    std::shared_ptr<FrameSink> sink;
    std::vector<uint16_t> delays;
    Waiter waiter;                           // empty: wait on stopEvent
    platform::Event stopEvent{true, false};  // wakes the thread early to stop
    platform::Event finished{true, false};   // set by the thread as its last act
    std::atomic<bool> exit{false};
    std::atomic<bool> playing{false};
    std::atomic<size_t> current{0};
};

Animation::Animation(std::shared_ptr<FrameSink> sink, std::vector<uint16_t> delays)
    : m_sink(std::move(sink)), m_delays(std::move(delays)) {
    m_shared = freshShared();
}

Animation::~Animation() {
    Stop();
}

std::shared_ptr<Animation::Shared> Animation::freshShared() const {
    auto shared = std::make_shared<Shared>();
    shared->sink = m_sink;
    shared->delays = m_delays;
    shared->waiter = m_waiter;
    return shared;
}

void Animation::SetWaiter(Waiter waiter) {
    m_waiter = std::move(waiter);
    if (!m_thread.joinable()) {
        m_shared->waiter = m_waiter;
    }
}

bool Animation::Start(size_t first) {
    if (m_thread.joinable() || m_delays.size() < 2 || !m_sink) {
        return false;
    }
    m_shared->current = first < m_delays.size() ? first : 0;
    m_shared->playing = true;
    try {
        m_thread = std::thread(&Animation::run, m_shared);
    } catch (const std::system_error&) {
        m_shared->playing = false;
        return false;
    }
    return true;
}

void Animation::run(std::shared_ptr<Shared> s) {
    const size_t count = s->delays.size();
    s->sink->disposeFrame(s->current);
    while (!s->exit) {
        const size_t index = s->current;
        s->sink->showFrame(index);
        if (s->exit) {
            break;
        }
        const uint32_t ms = frameDelayMs(s->delays[index]);
        if (s->waiter) {
            s->waiter(ms, s->stopEvent);
        } else {
            s->stopEvent.wait(ms);
        }
        if (s->exit) {
            break;
        }
        s->sink->disposeFrame(index);
        size_t next = index + 1;
        if (next >= count) {
            next = 0;
            s->sink->restart();
        }
        s->current = next;
    }
    s->playing = false;
    s->finished.set();
}

bool Animation::Stop(uint32_t timeoutMs) {
    m_shared->playing = false;
    m_shared->exit = true;
    m_shared->stopEvent.set();
    bool ended = true;
    if (m_thread.joinable()) {
        if (m_shared->finished.wait(timeoutMs)) {
            m_thread.join();
        } else {
            // The thread keeps its own reference to the shared state and the sink.
            m_thread.detach();
            ended = false;
        }
    }
    const size_t current = m_shared->current;
    if (ended) {
        m_shared->stopEvent.reset();
        m_shared->finished.reset();
        m_shared->exit = false;
    } else {
        m_sink.reset();
        m_shared = freshShared();
        m_shared->current = current;
    }
    return ended;
}

bool Animation::IsPlaying() const {
    return m_shared->playing;
}

size_t Animation::CurrentFrame() const {
    return m_shared->current;
}

}  // namespace gif
