#include "platform/qt/QtTerminationSignals.h"

#include <QSocketNotifier>

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <unistd.h>

namespace lctune {

namespace {

constexpr int kSignals[] = {SIGTERM, SIGINT, SIGHUP};

// The pipe from the handler to the event loop. The handler only writes a byte (a write is safe in
// a handler) and puts the default back, so a second signal is not caught.
int pipeEnds[2] = {-1, -1};

void caught(int) {
    const int saved = errno;
    for (const int s : kSignals)
        std::signal(s, SIG_DFL);
    const unsigned char byte = 1;
    [[maybe_unused]] const ssize_t written = write(pipeEnds[1], &byte, 1);
    errno = saved;
}

} // namespace

QtTerminationSignals::QtTerminationSignals(std::function<void()> onSignal) : onSignal_(std::move(onSignal)) {
    if (pipeEnds[0] >= 0 || pipe2(pipeEnds, O_CLOEXEC | O_NONBLOCK) != 0) return;
    notifier_ = std::make_unique<QSocketNotifier>(pipeEnds[0], QSocketNotifier::Read);
    QObject::connect(notifier_.get(), &QSocketNotifier::activated, [this] { arrived(); });
    struct sigaction action {};
    action.sa_handler = caught;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (const int s : kSignals)
        sigaction(s, &action, nullptr);
}

QtTerminationSignals::~QtTerminationSignals() {
    if (!notifier_) return;
    for (const int s : kSignals)
        std::signal(s, SIG_DFL);
    notifier_.reset();
    close(pipeEnds[0]), close(pipeEnds[1]);
    pipeEnds[0] = pipeEnds[1] = -1;
}

void QtTerminationSignals::arrived() {
    bool any = false;
    for (unsigned char number = 0; read(pipeEnds[0], &number, 1) == 1;)
        any = true;
    if (!any || handled_) return;
    handled_ = true;
    if (onSignal_) onSignal_();
}

} // namespace lctune
