#include "platform/qt/QtTerminationSignals.h"

#include <QSocketNotifier>

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <unistd.h>

namespace lctune {

namespace {

constexpr int kSignals[] = {SIGTERM, SIGINT, SIGHUP};

// The pipe from the handler to the event loop. The handler only writes the signal's number (a
// write is safe in a handler) and puts the default back, so a second signal is not caught.
int pipeEnds[2] = {-1, -1};

void caught(int signal) {
    const int saved = errno;
    for (const int s : kSignals)
        std::signal(s, SIG_DFL);
    const unsigned char number = static_cast<unsigned char>(signal);
    [[maybe_unused]] const ssize_t written = write(pipeEnds[1], &number, 1);
    errno = saved;
}

} // namespace

QtTerminationSignals::QtTerminationSignals(std::function<void(int)> onSignal)
    : onSignal_(std::move(onSignal)) {
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
    unsigned char number = 0, first = 0;
    while (read(pipeEnds[0], &number, 1) == 1)
        if (first == 0) first = number;
    if (first == 0 || handled_) return;
    handled_ = true;
    if (onSignal_) onSignal_(first);
}

} // namespace lctune
