#include "platform/PlainMessageLoop.h"

namespace lctune {

std::shared_ptr<NotificationTarget> PlainMessageLoop::createTarget() {
    return std::make_shared<NotificationTarget>([this](std::function<void()> m) { post(std::move(m)); });
}

int32_t PlainMessageLoop::hook(NotificationTarget& target, NotificationTarget::Handler handler) {
    target.setHandler(std::move(handler));
    return 0;
}

void PlainMessageLoop::post(std::function<void()> message) {
    {
        std::lock_guard lock(mutex_);
        queue_.push_back(std::move(message));
    }
    cv_.notify_all();
}

void PlainMessageLoop::processPending() {
    // Only what is waiting now: a message that posts another does not keep this call running.
    std::deque<std::function<void()>> batch;
    {
        std::lock_guard lock(mutex_);
        batch.swap(queue_);
    }
    for (auto& message : batch)
        message();
}

bool PlainMessageLoop::waitAndRun(std::chrono::milliseconds timeout) {
    {
        std::unique_lock lock(mutex_);
        if (!cv_.wait_for(lock, timeout, [this] { return !queue_.empty(); })) return false;
    }
    processPending();
    return true;
}

bool PlainMessageLoop::runUntil(const std::function<bool()>& done, std::chrono::milliseconds timeout) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (!done()) {
        const auto now = std::chrono::steady_clock::now();
        if (now >= deadline) return false;
        waitAndRun(std::min(std::chrono::duration_cast<std::chrono::milliseconds>(deadline - now) +
                                std::chrono::milliseconds(1),
                            std::chrono::milliseconds(20)));
    }
    return true;
}

size_t PlainMessageLoop::pendingCount() const {
    std::lock_guard lock(mutex_);
    return queue_.size();
}

} // namespace lctune
