#pragma once
// The capture hub: the one capture engine, the effects processor, the plot drawer, the two level
// smoothers and the current WAV encoder, with the two paths that run them.
//
// - The block path (every GotData): the whole captured array replaces the sample buffer, the
//   effects run over it in place and, while a recording runs outside tuner mode, the encoder
//   writes the valid part of it.
// - The display tick (every 25 ms): while capturing, the waveform, the spectrum and the two level
//   bars are drawn from the sample buffer; while the tuner is active the analysis hears the
//   buffer; then pending messages run.
//
// The recording window owns one hub and wires its controls to it; the command-line tools run on
// the same hub. The record/stop sequence's capture and file steps live here too (encoder
// replaced and initialised, effects rate and channels, capture started; capture stopped, file
// closed); failures come back as values that the caller turns into its own messages.
//
// User-interface thread only. Collaborators given by pointer may be null (nothing is drawn or
// analysed then) and must outlive the hub or be detached first.

#include "capture/WaveInRecorder.h"
#include "core/AppFlags.h"
#include "core/Event.h"
#include "core/PlotSurface.h"
#include "core/SampleBlock.h"
#include "dsp/BlockEqualiser.h"
#include "dsp/clsDSP.h"
#include "dsp/clsDraw.h"
#include "dsp/clsSmooth.h"
#include "platform/MessageBoxService.h"
#include "platform/MessageLoop.h"
#include "platform/WaveIn.h"
#include "recording/EncoderWAV.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <string>

namespace lctune {

class TunerAnalysis;

/// The pictures the display tick draws into (the tuner window's).
struct HubDisplays {
    PlotSurface* amplitudes = nullptr; // picAmpl
    PlotSurface* spectrum = nullptr;   // picFreq
    PlotSurface* levelLeft = nullptr;  // picVUL
    PlotSurface* levelRight = nullptr; // picVUR
};

/// What a recording start needs: the capture rate and channels, the file's format and its path.
struct RecordingRequest {
    int32_t rate = 88200;
    int16_t channels = 1;
    WaveFormat output = WaveFormat::pcm(88200, 1, 16);
    std::string path;
    /// Set the effects processor to the rate and channels (and refuse a rate it cannot run at).
    /// A caller that runs no effects may capture at any rate by clearing it.
    bool effectsFollow = true;
};

enum class StartResult {
    Started,
    /// The rate is one the effects processor refuses; nothing was changed, no file created.
    InvalidSampleRate,
    /// Encoder_EncoderInit failed; capture was not started.
    EncoderFailed,
    /// StartRecord failed; the encoder is initialised (its file created outside tuner mode).
    CaptureFailed,
};

class CaptureHub {
public:
    /// The sample buffer holds this many zeros until the first block arrives.
    static constexpr size_t kInitialSamples = 1024;
    static constexpr int32_t kDefaultRate = 88200;

    CaptureHub(WaveInService& waveIn, MixerService& mixers, MessageLoop& loop, MessageBoxService& boxes,
               AppFlags& flags);
    ~CaptureHub();
    CaptureHub(const CaptureHub&) = delete;
    CaptureHub& operator=(const CaptureHub&) = delete;

    WaveInRecorder& recorder() { return recorder_; }
    const WaveInRecorder& recorder() const { return recorder_; }
    clsDSP& effects() { return effects_; }
    /// The current encoder (never null: one is made at construction).
    EncoderWAV& encoder() { return *encoder_; }
    /// The newest processed block; the analysis may change it in place.
    SampleBlock& sampleBuffer() { return buffer_; }
    AppFlags& flags() { return flags_; }
    /// Equalises each block once for the analysis.
    const BlockEqualiser& blockEqualiser() const { return equaliser_; }

    void setDisplays(const HubDisplays& displays) { displays_ = displays; }
    /// The analysis that each tick runs while the tuner is active; it gets the hub's equaliser.
    void setTuner(TunerAnalysis* tuner);
    /// Whether the level bars split the block into left and right (the stereo check box).
    void stereo(bool value) { stereo_ = value; }
    bool stereo() const { return stereo_; }

    /// Replaces the encoder by a new one writing `output` (the old one is closed).
    void replaceEncoder(const WaveFormat& output);

    /// The block path; connected to the engine's GotData.
    void onBlock(std::span<const int16_t> samples, int32_t bytes);
    /// One display tick: it first checks the capture device (see WaveInRecorder::DeviceLost). A
    /// tick that arrives while one is running (through the yield at its end) is skipped.
    void tick();

    /// Start of the record/stop sequence: a new encoder for request.output, initialised to
    /// request.path, the effects set to the rate and channels, capture started.
    StartResult startRecording(const RecordingRequest& request);
    /// Stop of the sequence: capture stopped, the encoder closed (header written). Returns what
    /// StopRecord returned; the file is closed either way.
    bool stopRecording();

    /// Called when a write fails during a recording (result 10); the recording window presses its
    /// record button and then shows the warning. Without a handler the hub stops the recording
    /// itself and then shows "Write error (no disk space left?)!".
    std::function<void()> onWriteFailed;
    static constexpr const char* kWriteError = "Write error (no disk space left?)!";
    /// Raised after every processed block, with the buffer and the valid byte count (meters).
    Event<std::span<const int16_t>, int32_t> BlockProcessed;
    /// The result of the last Encoder_EncoderInit (0, 2 or 7).
    int32_t initResult() const { return initResult_; }
    /// Bytes the encoder has taken since the last start.
    int64_t bytesRecorded() const { return bytesRecorded_; }
    /// Encodes at most this many more bytes, then nothing (a recording of a set length); -1, the
    /// default, sets no limit. The limit is cut to whole frames by the caller.
    void byteLimit(int64_t bytes) { byteLimit_ = bytes; }

private:
    void drawLevels();
    void drawLevelBar(PlotSurface& picture, float level);

    AppFlags& flags_;
    MessageLoop& loop_;
    MessageBoxService& boxes_;
    WaveInRecorder recorder_;
    clsDSP effects_;
    BlockEqualiser equaliser_{effects_};
    clsDraw draw_;
    clsSmooth leftSmoother_;
    clsSmooth rightSmoother_;
    std::unique_ptr<EncoderWAV> encoder_;
    SampleBlock buffer_;
    HubDisplays displays_;
    TunerAnalysis* tuner_ = nullptr;
    bool stereo_ = false;
    bool ticking_ = false;
    int64_t bytesRecorded_ = 0;
    int64_t byteLimit_ = -1;
    int32_t initResult_ = 0;
    Connection gotData_;
};

} // namespace lctune
