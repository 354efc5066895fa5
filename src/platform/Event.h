#pragma once
// Events of the design (GotData, Change, Click …) as plain callback lists. The owner raises the
// event by calling it; handlers run synchronously on the raising thread, in connection order.

#include <cstddef>
#include <functional>
#include <utility>
#include <vector>

namespace lctune {

template <typename... Args> class Event {
public:
    using Handler = std::function<void(Args...)>;

    void connect(Handler handler) { handlers_.push_back(std::move(handler)); }
    void disconnectAll() { handlers_.clear(); }
    bool connected() const { return !handlers_.empty(); }

    /// Raises the event. A handler connected while the event runs first hears the next raise.
    void operator()(Args... args) const {
        const std::size_t count = handlers_.size();
        for (std::size_t i = 0; i < count && i < handlers_.size(); ++i) {
            handlers_[i](args...);
        }
    }

private:
    std::vector<Handler> handlers_;
};

} // namespace lctune
