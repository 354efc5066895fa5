#include "recording/CaptureHub.h"

#include "core/Colors.h"
#include "core/Error.h"
#include "core/Numbers.h"
#include "dsp/modDraw.h"
#include "platform/HandlerGuard.h"
#include "tuner/TunerAnalysis.h"

#include <algorithm>
#include <cstdlib>

namespace lctune {

namespace {
constexpr uint32_t kLevelGreen = rgb(0, 255, 0);
constexpr uint32_t kLevelOrange = rgb(225, 168, 34);
constexpr uint32_t kLevelRed = rgb(255, 0, 0);
} // namespace

CaptureHub::CaptureHub(WaveInService& waveIn, MixerService& mixers, MessageLoop& loop,
                       MessageBoxService& boxes, AppFlags& flags)
    : flags_(flags), loop_(loop), boxes_(boxes), recorder_(waveIn, mixers, loop, boxes),
      buffer_(kInitialSamples, 0) {
    leftSmoother_.SmoothNew(3);
    rightSmoother_.SmoothNew(3);
    encoder_ = std::make_unique<EncoderWAV>(WaveFormat::pcm(kDefaultRate, 1, 16), flags_);
    effects_.EqualizerBands(7);
    effects_.samplerate(kDefaultRate);
    effects_.Channels(1);
    equaliser_.newBlock(); // the initial zeros count as one block
    gotData_ = recorder_.GotData.connect(
        [this](std::span<int16_t> samples, int32_t& bytes) { onBlock(samples, bytes); });
}

CaptureHub::~CaptureHub() {
    gotData_.disconnect();
    if (recorder_.IsRecording()) recorder_.StopRecord();
    encoder_.reset(); // closes an open file, header and all
}

void CaptureHub::setTuner(TunerAnalysis* tuner) {
    if (tuner_) tuner_->setEqualiser(nullptr);
    tuner_ = tuner;
    // Each block is equalised once, on the first tick that analyses it.
    if (tuner_) tuner_->setEqualiser([this](SampleBlock& block) { equaliser_.equalise(block); });
}

void CaptureHub::replaceEncoder(const WaveFormat& output) {
    encoder_.reset();
    encoder_ = std::make_unique<EncoderWAV>(output, flags_);
}

void CaptureHub::onBlock(std::span<const int16_t> samples, int32_t bytes) {
    // The whole array, whatever the byte count says: the device always hands over full buffers
    // while capture runs.
    buffer_.assign(samples.begin(), samples.end());
    equaliser_.newBlock();
    effects_.ProcessSamples(buffer_);
    if (recorder_.IsRecording() && !flags_.tunerActive && encoder_->isWriting()) {
        int32_t length = std::clamp<int32_t>(bytes, 0, static_cast<int32_t>(buffer_.size() * 2));
        if (byteLimit_ >= 0)
            length = static_cast<int32_t>(std::min<int64_t>(length, byteLimit_ - bytesRecorded_));
        int32_t used = 0;
        const int32_t result =
            length > 0 ? encoder_->Encoder_Encode(buffer_.data(), length, used) : EncoderWAV::kOk;
        if (result == EncoderWAV::kOk) bytesRecorded_ += length;
        if (result == EncoderWAV::kWriteFailed) {
            if (onWriteFailed) {
                onWriteFailed();
            } else {
                // The recording stops first; the message comes after.
                stopRecording();
                boxes_.warning(kApplicationTitle, kWriteError);
            }
        }
    }
    BlockProcessed(std::span<const int16_t>(buffer_), bytes);
}

void CaptureHub::tick() {
    if (ticking_) return;
    ticking_ = true;
    struct Reset {
        bool& flag;
        ~Reset() { flag = false; }
    } reset{ticking_};
    recorder_.checkDevice();
    if (recorder_.IsRecording()) {
        if (displays_.amplitudes) draw_.DrawAmplitudes(buffer_, *displays_.amplitudes);
        if (displays_.spectrum) draw_.DrawFrequencies(buffer_, *displays_.spectrum);
        drawLevels();
    }
    if (flags_.tunerActive && tuner_) tuner_->分析频率(buffer_);
    loop_.processPending();
}

// The loudest sample of the block, per channel when stereo; a silent block still shows 1.
void CaptureHub::drawLevels() {
    int32_t left = 0, right = 0;
    if (stereo_) {
        for (size_t i = 0; i < buffer_.size(); ++i) {
            int32_t& peak = i % 2 == 0 ? left : right;
            peak = std::max(peak, std::abs(static_cast<int32_t>(buffer_[i])));
        }
    } else {
        for (const int16_t s : buffer_)
            right = std::max(right, std::abs(static_cast<int32_t>(s)));
        left = right;
    }
    if (left == 0) left = 1;
    if (right == 0) right = 1;
    leftSmoother_.SmoothAdd(static_cast<float>(left));
    rightSmoother_.SmoothAdd(static_cast<float>(right));
    const float leftLevel = leftSmoother_.SmoothGetMax() / 32768.0f;
    const float rightLevel = rightSmoother_.SmoothGetMax() / 32768.0f;
    if (displays_.levelLeft) drawLevelBar(*displays_.levelLeft, leftLevel);
    if (displays_.levelRight) drawLevelBar(*displays_.levelRight, rightLevel);
}

// Green at 0, orange at half, red at full scale.
void CaptureHub::drawLevelBar(PlotSurface& picture, float level) {
    picture.clear();
    const double right = roundHalfEven(picture.scaleWidth() * level);
    const double bottom = roundHalfEven(picture.scaleHeight());
    picture.fillRect(0, 0, right, bottom,
                     modDraw::GradientColor(1.0f, level, kLevelGreen, kLevelOrange, kLevelRed));
}

StartResult CaptureHub::startRecording(const RecordingRequest& request) {
    if (request.effectsFollow) {
        try {
            clsDSP::checkSamplerate(request.rate);
        } catch (const Error&) {
            return StartResult::InvalidSampleRate;
        }
    }
    replaceEncoder(request.output);
    bytesRecorded_ = 0;
    initResult_ = encoder_->Encoder_EncoderInit(request.rate, request.channels, request.path);
    if (initResult_ != EncoderWAV::kOk) return StartResult::EncoderFailed;
    if (request.effectsFollow) {
        effects_.samplerate(request.rate);
        effects_.Channels(request.channels);
    }
    if (!recorder_.StartRecord(request.rate, request.channels)) return StartResult::CaptureFailed;
    return StartResult::Started;
}

bool CaptureHub::stopRecording() {
    const bool stopped = recorder_.StopRecord();
    encoder_->Encoder_EncoderClose();
    return stopped;
}

} // namespace lctune
