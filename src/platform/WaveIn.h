#pragma once
// The wave-input service: capture devices that fill queued 16-bit PCM buffers and report each
// filled buffer as a buffer-done notification to a target on the user-interface thread.
//
// Calls on WaveInService and WaveInDevice come from the user-interface thread only; a device's
// own capture thread touches a header only while it is queued and posts notifications through
// the target, which is safe from any thread.

#include "platform/MessageLoop.h"

#include <cstdint>
#include <memory>
#include <string>

namespace lctune {

/// The 18-byte wave-format record (little-endian on disk, as in a WAV file's `fmt ` chunk).
struct WaveFormat {
    uint16_t formatTag = 1;
    uint16_t channels = 1;
    uint32_t samplesPerSec = 0;
    uint32_t avgBytesPerSec = 0;
    uint16_t blockAlign = 0;
    uint16_t bitsPerSample = 16;
    uint16_t extraSize = 0;

    /// PCM at that rate, channel count and sample width; block align and byte rate follow.
    static WaveFormat pcm(uint32_t rate, uint16_t channels, uint16_t bits);
    /// True for what every capture device takes: 16-bit PCM, one or two channels, a rate above 0.
    bool isCaptureFormat() const {
        return formatTag == 1 && bitsPerSample == 16 && channels >= 1 && channels <= 2 && samplesPerSec >= 1;
    }
    bool operator==(const WaveFormat&) const = default;
};

/// Buffer-done notification of a capture device; its parameter is the filled WaveHeader.
inline constexpr uint32_t kMmWimData = 0x3C0;
/// The device has failed for good (our own notification; its parameter is null).
inline constexpr uint32_t kWimFailed = 0x3C1;

inline constexpr uint32_t kWhdrDone = 0x01;
inline constexpr uint32_t kWhdrPrepared = 0x02;
inline constexpr uint32_t kWhdrInQueue = 0x10;

/// One capture buffer as the device sees it. The owner sets data, bufferLength (bytes) and user;
/// the device sets bytesRecorded, flags and doneNanos.
struct WaveHeader {
    int16_t* data = nullptr;
    int32_t bufferLength = 0;
    int32_t bytesRecorded = 0;
    int32_t user = 0;
    uint32_t flags = 0;
    uint32_t loops = 0;
    WaveHeader* next = nullptr;
    /// steady_clock time in nanoseconds at which the device marked the buffer done.
    int64_t doneNanos = 0;
};

/// One open capture device. Destroying it closes it.
class WaveInDevice {
public:
    virtual ~WaveInDevice() = default;
    /// Makes a header usable with this device; fails for a header without memory, one shorter
    /// than a sample frame, or one still queued.
    virtual bool prepare(WaveHeader& header) = 0;
    /// Fails while the header is queued.
    virtual bool unprepare(WaveHeader& header) = 0;
    /// Queues a prepared header; capture fills queued headers in the order they were added.
    virtual bool addBuffer(WaveHeader& header) = 0;
    virtual bool start() = 0;
    /// Stops capture; a partly filled buffer is marked done, empty ones stay queued. Like reset()
    /// and close(), it returns within about two seconds whatever the hardware or sound server does,
    /// and false when the device did not stop cleanly.
    virtual bool stop() = 0;
    /// Stops capture and marks every queued buffer done.
    virtual bool reset() = 0;
    virtual bool close() = 0;
    /// Why the device stopped delivering for good, one line; empty while it works. A device that
    /// notices such a failure itself also posts kWimFailed.
    virtual std::string failure() const { return {}; }
    /// Frames the device heard while no buffer was queued, and so dropped.
    virtual int64_t droppedFrames() const { return 0; }
};

class WaveInService {
public:
    virtual ~WaveInService() = default;
    virtual int32_t deviceCount() = 0;
    /// The device's name, empty for an index without a device.
    virtual std::string deviceName(int32_t index) = 0;
    /// Opens device `index` (-1: the system's default input) for 16-bit PCM capture that posts
    /// kMmWimData to `target`. On failure returns null and sets `error` to one line.
    virtual std::unique_ptr<WaveInDevice> open(int32_t index, const WaveFormat& format,
                                               std::shared_ptr<NotificationTarget> target,
                                               std::string& error) = 0;
};

} // namespace lctune
