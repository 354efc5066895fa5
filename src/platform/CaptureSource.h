#pragma once
// Where a queued capture device's sound comes from: an ALSA PCM, the virtual input, a test's fake.
// The device's capture thread reads from it; the source is shared with that thread, so a thread
// stuck inside it (a frozen sound server) can be left behind without anything it holds going away.
// Destroying the source closes it, on whichever thread lets go of it last.

#include <cstdint>
#include <string>

namespace lctune {

class CaptureSource {
public:
    virtual ~CaptureSource() = default;

    /// User-interface thread, before the capture thread starts: makes the source ready to deliver.
    virtual bool start() = 0;
    /// Capture thread. Reads up to `frames` interleaved 16-bit frames to `dst`, waiting a short
    /// while (about 100 ms at most) for them; returns the frames read, 0 when none came, negative
    /// on a lasting failure.
    virtual long captureFrames(int16_t* dst, long frames) = 0;
    /// Capture thread, as capture ends. May block (a frozen sound server): the device waits for it
    /// only a limited time.
    virtual void stop() = 0;
    /// Capture thread, after captureFrames failed for good: why, in one line.
    virtual std::string failure() const { return "the input device failed"; }
};

} // namespace lctune
