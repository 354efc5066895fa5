#pragma once
// The buffer queue shared by the capture back-ends: one capture thread reads the source and fills
// the queued headers in order, marks each full one done and posts kMmWimData for it. When nothing
// is queued the input is read and dropped, never blocked. A source that fails for good ends the
// thread and posts kWimFailed: the device then delivers nothing more until it is stopped and
// started again.
//
// A source can hang: ALSA on a frozen sound server blocks in its stop and its close. Every call
// here still returns within about two seconds. A capture thread that does not end in time is left
// behind: it shares ownership of the source and of the queue's state, so nothing it may still touch
// goes away, and it never touches a header or posts a notification again. It ends by itself, and
// closes the source, once the source returns.
//
// Every public call comes from the user-interface thread. The capture thread touches a queued
// header only while holding the queue's lock, and only until it is left behind.

#include "platform/CaptureSource.h"
#include "platform/WaveIn.h"

#include <chrono>
#include <memory>
#include <thread>

namespace lctune {

class QueuedWaveInDevice final : public WaveInDevice {
public:
    /// How long stop() waits for the capture thread to end, and close() for the source to close.
    static constexpr std::chrono::milliseconds kStopWait{1500};
    static constexpr std::chrono::milliseconds kCloseWait{400};

    QueuedWaveInDevice(const WaveFormat& format, std::shared_ptr<NotificationTarget> target,
                       std::shared_ptr<CaptureSource> source);
    /// Closes the device (bounded like close()).
    ~QueuedWaveInDevice() override;
    QueuedWaveInDevice(const QueuedWaveInDevice&) = delete;
    QueuedWaveInDevice& operator=(const QueuedWaveInDevice&) = delete;

    bool prepare(WaveHeader& header) override;
    bool unprepare(WaveHeader& header) override;
    bool addBuffer(WaveHeader& header) override;
    /// False when the source does not start, or when an earlier capture thread had to be left
    /// behind (the device cannot capture again then).
    bool start() override;
    /// False when the capture thread had to be left behind; the queue is handed back either way.
    bool stop() override;
    bool reset() override;
    /// False when the device did not stop cleanly or its source did not close in time.
    bool close() override;
    std::string failure() const override;
    int64_t droppedFrames() const override;

    /// Capture and closing threads that were left behind and have not ended yet.
    static int32_t strandedThreads();

private:
    struct Shared;

    bool endThread();
    bool releaseSource();
    static void run(std::shared_ptr<Shared> shared, std::shared_ptr<CaptureSource> source);

    std::shared_ptr<Shared> shared_;
    std::shared_ptr<CaptureSource> source_;
    std::thread thread_;
    /// A capture thread was left behind: the source is still in its hands.
    bool wedged_ = false;
    bool closed_ = false;
};

} // namespace lctune
