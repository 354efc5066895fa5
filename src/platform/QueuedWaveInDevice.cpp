#include "platform/QueuedWaveInDevice.h"

#include <algorithm>
#include <chrono>

namespace lctune {

namespace {
int64_t nowNanos() {
    return std::chrono::duration_cast<std::chrono::nanoseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}
} // namespace

QueuedWaveInDevice::QueuedWaveInDevice(const WaveFormat& format, std::shared_ptr<NotificationTarget> target)
    : format_(format), frameBytes_(std::max<int32_t>(2, format.channels * 2)), target_(std::move(target)),
      scratch_(4096 * static_cast<size_t>(std::max<int32_t>(1, format.channels))) {}

QueuedWaveInDevice::~QueuedWaveInDevice() {
    running_ = false;
    if (thread_.joinable()) thread_.join();
}

void QueuedWaveInDevice::shutdown() {
    close();
}

bool QueuedWaveInDevice::prepare(WaveHeader& header) {
    std::lock_guard lock(mutex_);
    if (closed_ || !header.data || header.bufferLength < frameBytes_ || (header.flags & kWhdrInQueue))
        return false;
    header.flags = (header.flags & ~kWhdrDone) | kWhdrPrepared;
    return true;
}

bool QueuedWaveInDevice::unprepare(WaveHeader& header) {
    std::lock_guard lock(mutex_);
    if (header.flags & kWhdrInQueue) return false;
    header.flags &= ~kWhdrPrepared;
    return true;
}

bool QueuedWaveInDevice::addBuffer(WaveHeader& header) {
    std::lock_guard lock(mutex_);
    if (closed_ || !(header.flags & kWhdrPrepared) || (header.flags & kWhdrInQueue)) return false;
    header.bytesRecorded = 0;
    header.flags = (header.flags & ~kWhdrDone) | kWhdrInQueue;
    queue_.push_back(&header);
    return true;
}

bool QueuedWaveInDevice::start() {
    if (closed_) return false;
    if (running_) return true;
    if (thread_.joinable()) thread_.join(); // a thread that ended on a failure
    failed_ = false;
    if (!startSource()) return false;
    running_ = true;
    thread_ = std::thread([this] { run(); });
    return true;
}

bool QueuedWaveInDevice::stop() {
    if (closed_) return false;
    running_ = false;
    if (thread_.joinable()) thread_.join();
    stopSource();
    std::lock_guard lock(mutex_);
    if (!queue_.empty() && queue_.front()->bytesRecorded > 0) {
        WaveHeader* h = queue_.front();
        queue_.pop_front();
        complete(*h);
    }
    return true;
}

bool QueuedWaveInDevice::reset() {
    if (!stop()) return false;
    std::lock_guard lock(mutex_);
    while (!queue_.empty()) {
        WaveHeader* h = queue_.front();
        queue_.pop_front();
        complete(*h);
    }
    return true;
}

bool QueuedWaveInDevice::close() {
    if (closed_) return true;
    reset();
    closeSource();
    closed_ = true;
    return true;
}

// Caller holds mutex_ or is the only thread touching the queue.
void QueuedWaveInDevice::complete(WaveHeader& header) {
    header.flags = (header.flags & ~kWhdrInQueue) | kWhdrDone;
    header.doneNanos = nowNanos();
    target_->post(kMmWimData, &header);
}

void QueuedWaveInDevice::run() {
    try {
        while (running_) {
            WaveHeader* h = nullptr;
            {
                std::lock_guard lock(mutex_);
                if (!queue_.empty()) h = queue_.front();
            }
            int16_t* dst = scratch_.data();
            long want = static_cast<long>(scratch_.size()) / std::max(1, static_cast<int>(format_.channels));
            if (h) {
                dst = h->data + h->bytesRecorded / 2;
                want = (h->bufferLength - h->bytesRecorded) / frameBytes_;
            }
            const long got = captureFrames(dst, want);
            if (got < 0) {
                failed_ = true;
                break;
            }
            if (!h || got == 0) continue;
            h->bytesRecorded += static_cast<int32_t>(got) * frameBytes_;
            if (h->bufferLength - h->bytesRecorded < frameBytes_) {
                std::lock_guard lock(mutex_);
                queue_.pop_front();
                complete(*h);
            }
        }
    } catch (...) {
        failed_ = true;
    }
    running_ = false;
}

} // namespace lctune
