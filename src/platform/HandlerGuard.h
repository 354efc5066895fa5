#pragma once
// The boundary that no exception crosses: every handler that the platform calls (a capture
// notification, a timer tick, a window's event) runs inside guarded(). A numbered error or any
// other exception raised inside is caught there and shown as a warning with the application's
// title; the program goes on.

#include "platform/MessageBoxService.h"

#include <exception>
#include <utility>

namespace lctune {

/// The title of the program's message boxes (the recording box uses its own, "提示").
inline constexpr const char* kApplicationTitle = "岚川调音器";

/// Shows the exception's message; for anything that is not a std::exception, a plain line.
void reportHandlerError(MessageBoxService& boxes, std::exception_ptr error);

/// Runs `handler`; true when it ended without an exception.
template <typename F> bool guarded(MessageBoxService& boxes, F&& handler) {
    try {
        std::forward<F>(handler)();
        return true;
    } catch (...) {
        reportHandlerError(boxes, std::current_exception());
        return false;
    }
}

} // namespace lctune
