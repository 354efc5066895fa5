#include "platform/qt/QtMessageLoop.h"

#include <QCoreApplication>
#include <QMetaObject>
#include <QObject>

#include <mutex>

namespace lctune {

// Posts queued calls to a context object that lives on the user-interface thread. Targets hold the
// relay, not the loop, so a capture thread that posts after the loop is gone finds no receiver
// instead of a dangling one.
class QtMessageLoop::Relay {
public:
    explicit Relay(QObject* receiver) : receiver_(receiver) {}

    void post(std::function<void()> message) {
        std::lock_guard lock(mutex_);
        if (receiver_) QMetaObject::invokeMethod(receiver_, std::move(message), Qt::QueuedConnection);
    }

    /// Deleting the receiver also discards the calls still queued for it.
    void close() {
        std::lock_guard lock(mutex_);
        delete receiver_;
        receiver_ = nullptr;
    }

private:
    std::mutex mutex_;
    QObject* receiver_;
};

QtMessageLoop::QtMessageLoop() {
    if (!QCoreApplication::instance()) return;
    auto* receiver = new QObject;
    receiver->moveToThread(QCoreApplication::instance()->thread());
    relay_ = std::make_shared<Relay>(receiver);
}

QtMessageLoop::~QtMessageLoop() {
    if (relay_) relay_->close();
}

std::shared_ptr<NotificationTarget> QtMessageLoop::createTarget() {
    if (!relay_) return nullptr;
    return std::make_shared<NotificationTarget>(
        [relay = relay_](std::function<void()> message) { relay->post(std::move(message)); });
}

int32_t QtMessageLoop::hook(NotificationTarget& target, NotificationTarget::Handler handler) {
    target.setHandler(std::move(handler));
    return 0;
}

void QtMessageLoop::processPending() {
    QCoreApplication::processEvents();
}

} // namespace lctune
