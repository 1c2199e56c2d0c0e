// The animation thread of the busy picture: shows frame after frame with their delays,
// for ever, until stopped. What a frame looks like is the sink's business; the thread
// only decides when. Everything the thread touches lives in state it shares, so a Stop
// that gives up waiting leaves that state to the thread instead of freeing it.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <thread>
#include <vector>

#include "platform/Sync.h"

namespace gif {

// Where frames are composed. Called on the animation thread only.
class FrameSink {
public:
    virtual ~FrameSink() = default;
    // Draws frame `index` (after saving what lies under it when its disposal asks so)
    // and invalidates the picture.
    virtual void showFrame(size_t index) = 0;
    // Undoes frame `index` as its disposal method says.
    virtual void disposeFrame(size_t index) = 0;
    // Clears the whole picture before the animation starts over at frame 0.
    virtual void restart() = 0;
};

class Animation {
public:
    // How long Stop waits for the thread by default.
    static constexpr uint32_t kStopTimeoutMs = 5000;

    // delays: the stored delay of each frame, in hundredths of a second.
    Animation(std::shared_ptr<FrameSink> sink, std::vector<uint16_t> delays);
    ~Animation();
    Animation(const Animation&) = delete;
    Animation& operator=(const Animation&) = delete;

    // Starts the thread at frame `first`; false when it runs already, there are fewer
    // than two frames, or the thread can't be created.
    bool Start(size_t first = 0);

    // Ends the thread, waiting at most timeoutMs. True when no thread ran or it ended in
    // time; false when the wait ran out: the thread is then left to end by itself with
    // the sink and state it holds, and this object lets go of the sink (Start fails from
    // then on), since the sink is still in use.
    bool Stop(uint32_t timeoutMs = kStopTimeoutMs);

    bool IsPlaying() const;
    size_t CurrentFrame() const;

    // Test seam: replaces the wait between frames. Gets the delay in milliseconds and the
    // stop event, and returns once the delay is over or the event is set. Set before Start.
    using Waiter = std::function<void(uint32_t ms, platform::Event& stop)>;
    void SetWaiter(Waiter waiter);

private:
    struct Shared;
    static void run(std::shared_ptr<Shared> shared);
    std::shared_ptr<Shared> freshShared() const;

    std::shared_ptr<FrameSink> m_sink;
    std::vector<uint16_t> m_delays;
    Waiter m_waiter;
    std::shared_ptr<Shared> m_shared;
    std::thread m_thread;
};

}  // namespace gif
