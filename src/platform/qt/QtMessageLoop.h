#pragma once
// The message loop of the windowed program: notifications posted from any thread run on the Qt
// event loop of the thread that made the loop (the user-interface thread), in the order they were
// posted; "let pending messages run" is QCoreApplication::processEvents().

#include "platform/MessageLoop.h"

#include <memory>

namespace lctune {

class QtMessageLoop : public MessageLoop {
public:
    /// User-interface thread, after the QApplication exists.
    QtMessageLoop();
    /// Notifications still queued, and any posted later by a target that outlives the loop, are
    /// dropped.
    ~QtMessageLoop() override;
    QtMessageLoop(const QtMessageLoop&) = delete;
    QtMessageLoop& operator=(const QtMessageLoop&) = delete;

    /// Null when there is no Qt application to deliver to.
    std::shared_ptr<NotificationTarget> createTarget() override;
    int32_t hook(NotificationTarget& target, NotificationTarget::Handler handler) override;
    /// Runs the events that are waiting (timer ticks and notifications among them), then returns.
    /// User-interface thread only.
    void processPending() override;

private:
    class Relay;
    std::shared_ptr<Relay> relay_;
};

} // namespace lctune
