#include "platform/MessageLoop.h"

namespace lctune {

void NotificationTarget::post(uint32_t message, void* param) {
    std::weak_ptr<NotificationTarget> self = weak_from_this();
    poster_([self, message, param] {
        if (auto target = self.lock()) target->dispatch(message, param);
    });
}

void NotificationTarget::dispatch(uint32_t message, void* param) {
    if (!alive_ || !handler_) return;
    // A handler may tear the target down while it runs; keep the callable alive until it returns.
    Handler handler = handler_;
    handler(message, param);
}

} // namespace lctune
