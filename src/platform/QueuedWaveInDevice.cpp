#include "platform/QueuedWaveInDevice.h"

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <cstring>
#include <deque>
#include <mutex>
#include <vector>

namespace lctune {

namespace {

std::atomic<int32_t> gStranded{0};

/// Frames the capture thread reads at a time, into memory of its own.
constexpr long kReadFrames = 4096;

int64_t nowNanos() {
    return std::chrono::duration_cast<std::chrono::nanoseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

} // namespace

// What the capture thread shares with the device. It lives as long as either of them.
struct QueuedWaveInDevice::Shared {
    Shared(const WaveFormat& f, std::shared_ptr<NotificationTarget> t)
        : format(f), frameBytes(std::max<int32_t>(2, f.channels * 2)), target(std::move(t)) {}

    const WaveFormat format;
    const int32_t frameBytes;
    const std::shared_ptr<NotificationTarget> target;
    std::atomic<bool> running{false};
    /// Frames read while no buffer was queued.
    std::atomic<int64_t> dropped{0};

    std::mutex mutex; // guards everything below
    std::condition_variable threadEnded;
    std::deque<WaveHeader*> queue;
    bool ended = true;
    /// The thread was left behind: the headers are no longer its to touch.
    bool abandoned = false;
    std::string failure;

    // Caller holds the mutex; the capture thread calls it only while not abandoned.
    void complete(WaveHeader& header) {
        header.flags = (header.flags & ~kWhdrInQueue) | kWhdrDone;
        header.doneNanos = nowNanos();
        target->post(kMmWimData, &header);
    }
};

QueuedWaveInDevice::QueuedWaveInDevice(const WaveFormat& format, std::shared_ptr<NotificationTarget> target,
                                       std::shared_ptr<CaptureSource> source)
    : shared_(std::make_shared<Shared>(format, std::move(target))), source_(std::move(source)) {}

QueuedWaveInDevice::~QueuedWaveInDevice() {
    close();
}

int32_t QueuedWaveInDevice::strandedThreads() {
    return gStranded.load();
}

bool QueuedWaveInDevice::prepare(WaveHeader& header) {
    std::lock_guard lock(shared_->mutex);
    if (closed_ || !header.data || header.bufferLength < shared_->frameBytes || (header.flags & kWhdrInQueue))
        return false;
    header.flags = (header.flags & ~kWhdrDone) | kWhdrPrepared;
    return true;
}

bool QueuedWaveInDevice::unprepare(WaveHeader& header) {
    std::lock_guard lock(shared_->mutex);
    if (header.flags & kWhdrInQueue) return false;
    header.flags &= ~kWhdrPrepared;
    return true;
}

bool QueuedWaveInDevice::addBuffer(WaveHeader& header) {
    std::lock_guard lock(shared_->mutex);
    if (closed_ || !(header.flags & kWhdrPrepared) || (header.flags & kWhdrInQueue)) return false;
    header.bytesRecorded = 0;
    header.flags = (header.flags & ~kWhdrDone) | kWhdrInQueue;
    shared_->queue.push_back(&header);
    return true;
}

bool QueuedWaveInDevice::start() {
    if (closed_ || wedged_) return false;
    if (shared_->running) return true;
    // A thread that ended on a failure may still be stopping its source.
    if (!endThread()) return false;
    {
        std::lock_guard lock(shared_->mutex);
        shared_->failure.clear();
    }
    if (!source_->start()) return false;
    {
        std::lock_guard lock(shared_->mutex);
        shared_->ended = false;
    }
    shared_->running = true;
    thread_ = std::thread(run, shared_, source_);
    return true;
}

// Asks the capture thread to end and waits for it at most kStopWait; a thread that overruns is left
// behind. False when the thread is (or was earlier) left behind.
bool QueuedWaveInDevice::endThread() {
    if (!thread_.joinable()) return !wedged_;
    shared_->running = false;
    std::unique_lock lock(shared_->mutex);
    if (shared_->threadEnded.wait_for(lock, kStopWait, [this] { return shared_->ended; })) {
        lock.unlock();
        thread_.join();
        return true;
    }
    shared_->abandoned = true;
    ++gStranded;
    lock.unlock();
    thread_.detach();
    wedged_ = true;
    return false;
}

bool QueuedWaveInDevice::stop() {
    if (closed_) return false;
    const bool ended = endThread();
    std::lock_guard lock(shared_->mutex);
    if (!shared_->queue.empty() && shared_->queue.front()->bytesRecorded > 0) {
        WaveHeader* h = shared_->queue.front();
        shared_->queue.pop_front();
        shared_->complete(*h);
    }
    return ended;
}

bool QueuedWaveInDevice::reset() {
    if (closed_) return false;
    const bool ended = stop();
    std::lock_guard lock(shared_->mutex);
    while (!shared_->queue.empty()) {
        WaveHeader* h = shared_->queue.front();
        shared_->queue.pop_front();
        shared_->complete(*h);
    }
    return ended;
}

bool QueuedWaveInDevice::close() {
    if (closed_) return true;
    const bool ended = reset();
    closed_ = true;
    return releaseSource() && ended;
}

// Closing a source can hang as its stop can, so it closes on a thread of its own, waited for at
// most kCloseWait. A source still in the hands of a thread left behind closes when that thread ends.
bool QueuedWaveInDevice::releaseSource() {
    if (wedged_) {
        source_.reset();
        return false;
    }
    struct Closing {
        std::mutex mutex;
        std::condition_variable done;
        bool closed = false;
        bool abandoned = false;
    };
    auto closing = std::make_shared<Closing>();
    std::thread closer([closing, source = std::move(source_)]() mutable {
        source.reset();
        std::lock_guard lock(closing->mutex);
        closing->closed = true;
        if (closing->abandoned) --gStranded;
        closing->done.notify_all();
    });
    std::unique_lock lock(closing->mutex);
    if (closing->done.wait_for(lock, kCloseWait, [&] { return closing->closed; })) {
        lock.unlock();
        closer.join();
        return true;
    }
    closing->abandoned = true;
    ++gStranded;
    lock.unlock();
    closer.detach();
    return false;
}

int64_t QueuedWaveInDevice::droppedFrames() const {
    return shared_->dropped;
}

std::string QueuedWaveInDevice::failure() const {
    std::lock_guard lock(shared_->mutex);
    return shared_->failure;
}

// The capture thread. It reads into memory of its own and copies into the front header under the
// lock, so a read that hangs never holds the lock or a header; once left behind it drops whatever
// it read.
void QueuedWaveInDevice::run(std::shared_ptr<Shared> shared, std::shared_ptr<CaptureSource> source) {
    Shared& s = *shared;
    std::vector<int16_t> scratch(static_cast<size_t>(kReadFrames) * static_cast<size_t>(s.frameBytes / 2));
    std::string failure;
    try {
        while (s.running) {
            WaveHeader* h = nullptr;
            long want = kReadFrames;
            {
                std::lock_guard lock(s.mutex);
                if (s.abandoned) break;
                if (!s.queue.empty()) {
                    h = s.queue.front();
                    want = std::min<long>(want, (h->bufferLength - h->bytesRecorded) / s.frameBytes);
                }
            }
            const long got = source->captureFrames(scratch.data(), want);
            if (got < 0) {
                failure = source->failure();
                break;
            }
            if (got > 0 && !h) s.dropped += got;
            if (got == 0 || !h) continue;
            std::lock_guard lock(s.mutex);
            // Only this thread takes headers off the front while it runs.
            if (s.abandoned || s.queue.empty() || s.queue.front() != h) break;
            std::memcpy(h->data + h->bytesRecorded / 2, scratch.data(),
                        static_cast<size_t>(got) * s.frameBytes);
            h->bytesRecorded += static_cast<int32_t>(got) * s.frameBytes;
            if (h->bufferLength - h->bytesRecorded < s.frameBytes) {
                s.queue.pop_front();
                s.complete(*h);
            }
        }
    } catch (...) {
        failure = "the input device failed";
    }
    s.running = false;
    if (!failure.empty()) {
        std::lock_guard lock(s.mutex);
        s.failure = failure;
        if (!s.abandoned) s.target->post(kWimFailed, nullptr);
    }
    try {
        source->stop();
    } catch (...) {
    }
    // When the device has let go already, this closes the source.
    source.reset();
    std::lock_guard lock(s.mutex);
    s.ended = true;
    if (s.abandoned) --gStranded;
    s.threadEnded.notify_all();
}

} // namespace lctune
