#pragma once
// Events (GotData, Change, Click …) as plain callback lists. The owner raises the event by calling
// it; handlers run synchronously on the raising thread, in connection order. One thread only: an
// event is connected, disconnected and raised on the thread that owns it.
//
// Raising is safe against whatever a handler does to the event meanwhile:
// - a handler connected while the event runs first hears the next raise;
// - a handler disconnected while the event runs (by itself or another) is not called again, not
//   even later in the same raise, and the running handler stays alive until it returns;
// - a handler that throws leaves the event intact; the exception goes on to the raiser.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <utility>
#include <vector>

namespace lctune {

namespace detail {
struct SlotState {
    bool connected = true;
};
} // namespace detail

/// Disconnects one handler. Copies refer to the same handler; a default handle refers to none.
/// Disconnecting twice, or after the event is gone, does nothing.
class Connection {
public:
    Connection() = default;
    explicit Connection(std::weak_ptr<detail::SlotState> slot) : slot_(std::move(slot)) {}

    void disconnect() {
        if (auto slot = slot_.lock()) slot->connected = false;
        slot_.reset();
    }
    bool connected() const {
        auto slot = slot_.lock();
        return slot && slot->connected;
    }

private:
    std::weak_ptr<detail::SlotState> slot_;
};

template <typename... Args> class Event {
public:
    using Handler = std::function<void(Args...)>;

    Event() = default;
    // An event belongs to its owner: copying one would copy its listeners.
    Event(const Event&) = delete;
    Event& operator=(const Event&) = delete;

    Connection connect(Handler handler) {
        auto slot = std::make_shared<Slot>();
        slot->handler = std::move(handler);
        Connection handle(std::shared_ptr<detail::SlotState>(slot, &slot->state));
        writableSlots().push_back(std::move(slot));
        return handle;
    }

    void disconnectAll() {
        for (auto& slot : *slots_)
            slot->state.connected = false;
        writableSlots().clear();
    }

    bool connected() const {
        for (const auto& slot : *slots_)
            if (slot->state.connected) return true;
        return false;
    }

    /// Raises the event.
    void operator()(Args... args) const {
        // The list of this raise: connections and disconnections made meanwhile copy the list
        // instead of changing it under the loop.
        const std::shared_ptr<const SlotList> running = slots_;
        for (const auto& slot : *running) {
            if (slot->state.connected) slot->handler(args...);
        }
        prune();
    }

private:
    struct Slot {
        detail::SlotState state;
        Handler handler;
    };
    using SlotList = std::vector<std::shared_ptr<Slot>>;

    // The list to change: the current one when no raise holds it, otherwise a copy.
    SlotList& writableSlots() {
        if (slots_.use_count() > 1) slots_ = std::make_shared<SlotList>(*slots_);
        return *slots_;
    }

    // Drops disconnected handlers once no raise is running over the list.
    void prune() const {
        if (slots_.use_count() > 1) return;
        std::erase_if(*slots_, [](const std::shared_ptr<Slot>& s) { return !s->state.connected; });
    }

    mutable std::shared_ptr<SlotList> slots_ = std::make_shared<SlotList>();
};

} // namespace lctune
