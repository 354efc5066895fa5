#pragma once
// The user-interface thread's message loop, as far as capture needs it: notification targets
// that other threads post to, and "let pending messages run".

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>

namespace lctune {

/// Receives notifications (a message number and one parameter) on the loop's thread. It exists
/// from its creation to its tear-down; notifications that are dispatched after the tear-down are
/// discarded, so nothing reaches a handler once its owner has let go of the target.
class NotificationTarget : public std::enable_shared_from_this<NotificationTarget> {
public:
    using Handler = std::function<void(uint32_t message, void* param)>;
    using Poster = std::function<void(std::function<void()>)>;

    explicit NotificationTarget(Poster poster) : poster_(std::move(poster)) {}
    virtual ~NotificationTarget() = default;

    /// Any thread. Queues the notification on the loop's thread.
    void post(uint32_t message, void* param);

    /// Loop thread only.
    void setHandler(Handler handler) { handler_ = std::move(handler); }
    void tearDown() {
        alive_ = false;
        handler_ = nullptr;
    }
    bool alive() const { return alive_; }

private:
    void dispatch(uint32_t message, void* param);

    Poster poster_;
    Handler handler_;
    std::atomic<bool> alive_{true};
};

class MessageLoop {
public:
    virtual ~MessageLoop() = default;
    /// A new target on this loop; null when none can be made.
    virtual std::shared_ptr<NotificationTarget> createTarget() = 0;
    /// Installs the handler that receives the target's notifications; 0 on success, otherwise the
    /// platform's error number.
    virtual int32_t hook(NotificationTarget& target, NotificationTarget::Handler handler) = 0;
    /// Runs the messages that are waiting, then returns. Loop thread only.
    virtual void processPending() = 0;
};

} // namespace lctune
