#pragma once
// The capture engine: one input device in 16-bit PCM with a ring of BufferCount buffers of
// BufferSize bytes queued with it. Every filled buffer is handed to GotData on the thread that
// started capture (through the message loop) and queued again once the handlers return. The
// engine also chooses the input device and the mixer line that feeds it, and that line's level.
//
// User-interface thread only: every member is called from it and GotData runs on it.

#include "core/Event.h"
#include "core/SampleBlock.h"
#include "platform/AudioMixer.h"
#include "platform/MessageBoxService.h"
#include "platform/MessageLoop.h"
#include "platform/WaveIn.h"

#include <chrono>
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <vector>

namespace lctune {

class WaveInRecorder {
public:
    WaveInRecorder(WaveInService& waveIn, MixerService& mixers, MessageLoop& loop,
                   MessageBoxService& messageBoxes);
    ~WaveInRecorder();
    WaveInRecorder(const WaveInRecorder&) = delete;
    WaveInRecorder& operator=(const WaveInRecorder&) = delete;

    /// True while an input device is open.
    bool IsRecording() const { return device_ != nullptr; }
    /// Opens the selected device (the default input when none is selected) at `samplerate` with
    /// `Channels` (1 or 2), starts it and queues every buffer. False, with nothing left open,
    /// when any step fails; lastError() then says why. Does nothing and returns false while
    /// capturing.
    bool StartRecord(int32_t samplerate, int16_t Channels);
    /// Stops and closes the device; no GotData arrives after this has begun. Harmless when idle.
    /// Returns within about two seconds whatever the device does; false when the device did not
    /// stop cleanly (it is closed and let go of all the same).
    bool StopRecord();

    /// Both are read by StartRecord; writes while capturing, and sizes that cannot hold one
    /// sample or buffer, are ignored.
    int32_t BufferCount() const { return bufferCount_; }
    void BufferCount(int32_t value);
    int32_t BufferSize() const { return bufferSize_; }
    void BufferSize(int32_t value);

    /// A filled buffer: a view of its samples, always BufferSize / 2 of them (valid only while the
    /// handlers run; copy what you keep), and the number of bytes recorded at its start. The view
    /// cannot be resized, so no handler can move the memory the device writes into.
    Event<std::span<int16_t>, int32_t&> GotData;

    // Input devices and mixer lines.
    int32_t DeviceCount() const;
    std::string DeviceName(int32_t index) const;
    bool SelectDevice(int32_t index);
    int32_t SelectedDevice() const { return selectedDevice_; }
    int32_t MixerLineCount() const;
    std::string MixerLineName(int32_t index) const;
    bool SelectMixerLine(int32_t index);
    int32_t SelectedMixerLine() const;
    /// The component type of source `index`; -1 stands for the selected line.
    int32_t MixerLineType(int32_t index) const;
    /// The selected line's recording level, 0..65535; 0 when it cannot be read.
    int32_t MixerLineVolume() const;
    /// Sets every channel of the selected line to `Volume`.
    void MixerLineVolume(int32_t Volume);

    /// The device is lost: it failed for good, or has delivered no buffer for silenceLimit() (a
    /// sound server killed or frozen). Raised on the user-interface thread, at most once per capture
    /// session, with one line saying why. Capture goes on until the owner stops it.
    Event<const std::string&> DeviceLost;
    /// Looks for a lost device; owners call it regularly while capturing (the capture hub's display
    /// tick does). Cheap, and it never waits on the device, so it works even while the capture
    /// thread is stuck inside a frozen sound server. Does nothing while idle.
    void checkDevice();
    /// How long without a filled buffer counts as a lost device: 5 s unless set (a sound server can
    /// take about 2 s for the first buffer).
    std::chrono::milliseconds silenceLimit() const { return silenceLimit_; }
    void silenceLimit(std::chrono::milliseconds value) { silenceLimit_ = value; }

    /// Why the last StartRecord failed, one line; empty after a success.
    const std::string& lastError() const { return lastError_; }
    /// Frames heard while no buffer was queued (the handlers fell behind), over all sessions.
    int64_t DroppedFrames() const;

private:
    struct CaptureBuffer {
        WaveHeader header;
        SampleBlock samples;
        int16_t* dataAddress = nullptr;
    };

    bool setUpTarget();
    void tearDownTarget();
    void onNotification(uint32_t message, void* param);
    void onBufferDone(WaveHeader* header);
    bool failStart(const std::string& reason);
    void reportLost(std::string why);
    bool findRecordingDestination(MixerLineInfo& info) const;

    WaveInService& waveIn_;
    MixerService& mixers_;
    MessageLoop& loop_;
    MessageBoxService& messageBoxes_;

    int32_t selectedDevice_ = -1;
    int32_t bufferSize_ = 10240;
    int32_t bufferCount_ = 5;
    std::vector<CaptureBuffer> buffers_;
    std::shared_ptr<NotificationTarget> target_;
    std::unique_ptr<WaveInDevice> device_;
    std::unique_ptr<AudioMixer> mixer_;
    /// Counts capture sessions, so a handler that restarts capture is not answered by a re-queue
    /// of a buffer that no longer exists.
    uint64_t session_ = 0;
    std::string lastError_;
    int64_t droppedEarlier_ = 0;
    std::chrono::milliseconds silenceLimit_{5000};
    std::chrono::steady_clock::time_point lastBuffer_;
    bool lostReported_ = false;
};

} // namespace lctune
