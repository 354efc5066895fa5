#pragma once
// The end a desktop asks of a program: SIGTERM (a logout, `kill`, a shutdown), SIGINT (Ctrl-C in
// the terminal that started it) and SIGHUP (that terminal closing). The first one runs the
// callback on the user-interface thread, from the event loop, so the program can end the way its
// window's close ends it: a running recording is stopped and its file completed, the settings are
// saved. A second signal ends the program at once, as if it had never been caught: an exit that
// hangs can still be ended. One watcher per program, made after the QApplication.

#include <functional>
#include <memory>

class QSocketNotifier;

namespace lctune {

class QtTerminationSignals {
public:
    /// Catches the three signals from now on (when no pipe can be made, they end the program as
    /// before); `onSignal` runs once, for the first of them.
    explicit QtTerminationSignals(std::function<void()> onSignal);
    ~QtTerminationSignals();
    QtTerminationSignals(const QtTerminationSignals&) = delete;
    QtTerminationSignals& operator=(const QtTerminationSignals&) = delete;

private:
    void arrived();

    std::function<void()> onSignal_;
    std::unique_ptr<QSocketNotifier> notifier_;
    bool handled_ = false;
};

} // namespace lctune
