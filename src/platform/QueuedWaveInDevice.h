#pragma once
// The buffer queue shared by the capture back-ends: one capture thread fills the queued headers
// in order, marks each full one done and posts kMmWimData for it. When nothing is queued the
// input is read and dropped, never blocked. A source that fails for good ends the thread: the
// device then delivers nothing more until it is stopped and started again.
//
// Every public call comes from the user-interface thread. The capture thread owns the header at
// the front of the queue while it runs; stop() joins it before anyone else touches that header.

#include "platform/WaveIn.h"

#include <atomic>
#include <deque>
#include <mutex>
#include <thread>
#include <vector>

namespace lctune {

class QueuedWaveInDevice : public WaveInDevice {
public:
    QueuedWaveInDevice(const WaveFormat& format, std::shared_ptr<NotificationTarget> target);
    ~QueuedWaveInDevice() override;

    bool prepare(WaveHeader& header) override;
    bool unprepare(WaveHeader& header) override;
    bool addBuffer(WaveHeader& header) override;
    bool start() override;
    bool stop() override;
    bool reset() override;
    bool close() override;

    /// True once the source failed for good during capture.
    bool failed() const { return failed_; }

protected:
    /// Capture thread. Reads up to `frames` frames to `dst`, waiting a short while (about 100 ms
    /// at most) for them; returns the frames read, 0 when none came, negative on a lasting failure.
    virtual long captureFrames(int16_t* dst, long frames) = 0;
    /// User-interface thread, before the capture thread starts / after it has ended.
    virtual bool startSource() = 0;
    virtual void stopSource() = 0;
    virtual void closeSource() = 0;

    /// Derived classes call this first in their destructor, while their source still exists.
    void shutdown();

    const WaveFormat format_;
    const int32_t frameBytes_;

private:
    void run();
    void complete(WaveHeader& header);

    std::shared_ptr<NotificationTarget> target_;
    std::mutex mutex_;
    std::deque<WaveHeader*> queue_;
    std::vector<int16_t> scratch_;
    std::thread thread_;
    std::atomic<bool> running_{false};
    std::atomic<bool> failed_{false};
    bool closed_ = false;
};

} // namespace lctune
