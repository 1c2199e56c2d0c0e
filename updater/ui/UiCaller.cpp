#include "updater/ui/UiCaller.h"

#include <QMetaObject>

namespace updater {

UiCaller::UiCaller(QObject* context) : m_context(context), m_state(std::make_shared<State>()) {}

bool UiCaller::call(std::function<void()> fn) {
    auto done = std::make_shared<bool>(false);  // guarded by m_state->mutex
    std::shared_ptr<State> state = m_state;
    std::unique_lock<std::mutex> lock(state->mutex);
    if (state->cancelled) {
        return false;
    }
    QMetaObject::invokeMethod(
        m_context,
        [state, done, fn = std::move(fn)] {
            {
                std::lock_guard<std::mutex> guard(state->mutex);
                if (state->cancelled) {
                    return;
                }
            }
            fn();
            std::lock_guard<std::mutex> guard(state->mutex);
            *done = true;
            state->cv.notify_all();
        },
        Qt::QueuedConnection);
    state->cv.wait(lock, [&] { return *done || state->cancelled; });
    return *done;
}

void UiCaller::post(std::function<void()> fn) {
    std::shared_ptr<State> state = m_state;
    std::lock_guard<std::mutex> lock(state->mutex);
    if (state->cancelled) {
        return;
    }
    QMetaObject::invokeMethod(
        m_context,
        [state, fn = std::move(fn)] {
            {
                std::lock_guard<std::mutex> guard(state->mutex);
                if (state->cancelled) {
                    return;
                }
            }
            fn();
        },
        Qt::QueuedConnection);
}

void UiCaller::cancel() {
    std::lock_guard<std::mutex> lock(m_state->mutex);
    m_state->cancelled = true;
    m_state->cv.notify_all();
}

}  // namespace updater
