#pragma once
// The message loop of the command-line programs and tests: a thread-safe queue whose messages
// run on whichever thread waits on it (the program's one user-interface thread).

#include "platform/MessageLoop.h"

#include <chrono>
#include <condition_variable>
#include <deque>
#include <mutex>

namespace lctune {

class PlainMessageLoop : public MessageLoop {
public:
    std::shared_ptr<NotificationTarget> createTarget() override;
    int32_t hook(NotificationTarget& target, NotificationTarget::Handler handler) override;
    void processPending() override;

    /// Any thread.
    void post(std::function<void()> message);
    /// Waits up to `timeout` for a message, then runs every waiting one. True if any ran.
    bool waitAndRun(std::chrono::milliseconds timeout);
    /// Runs messages until `done` holds or `timeout` passes; true if `done` held.
    bool runUntil(const std::function<bool()>& done, std::chrono::milliseconds timeout);
    size_t pendingCount() const;

private:
    mutable std::mutex mutex_;
    std::condition_variable cv_;
    std::deque<std::function<void()>> queue_;
};

} // namespace lctune
