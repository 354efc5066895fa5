#include "capture/WaveInRecorder.h"

#include "core/Numbers.h"
#include "platform/HandlerGuard.h"

#include <cstring>

namespace lctune {

WaveInRecorder::WaveInRecorder(WaveInService& waveIn, MixerService& mixers, MessageLoop& loop,
                               MessageBoxService& messageBoxes)
    : waveIn_(waveIn), mixers_(mixers), loop_(loop), messageBoxes_(messageBoxes) {}

WaveInRecorder::~WaveInRecorder() {
    if (IsRecording()) StopRecord();
    tearDownTarget();
    mixer_.reset();
}

void WaveInRecorder::BufferCount(int32_t value) {
    if (!IsRecording() && value >= 1) bufferCount_ = value;
}

void WaveInRecorder::BufferSize(int32_t value) {
    if (!IsRecording() && value >= 2) bufferSize_ = value;
}

// The notification target stands in for a hidden message window: it exists from StartRecord to
// StopRecord and passes only buffer-done notifications on.
bool WaveInRecorder::setUpTarget() {
    target_ = loop_.createTarget();
    if (!target_) {
        messageBoxes_.warning("Error in WaveInRecorder.sc_Subclass", "Invalid window handle.");
        return false;
    }
    const int32_t error =
        loop_.hook(*target_, [this](uint32_t message, void* param) { onNotification(message, param); });
    if (error != 0) {
        messageBoxes_.warning("Error in WaveInRecorder.sc_Subclass",
                              "SetWindowLong failed, error #" + std::to_string(error) + ".");
        tearDownTarget();
        return false;
    }
    return true;
}

void WaveInRecorder::tearDownTarget() {
    if (target_) target_->tearDown();
    target_.reset();
}

bool WaveInRecorder::failStart(const std::string& reason) {
    lastError_ = reason;
    return false;
}

bool WaveInRecorder::StartRecord(int32_t samplerate, int16_t Channels) {
    if (IsRecording()) return failStart("capture is already running");
    lastError_.clear();
    ++session_;
    lostReported_ = false;
    lastBuffer_ = std::chrono::steady_clock::now();

    // Each record's array: indices 0 to round(BufferSize / 2 - 1). The header never claims more
    // bytes than the array holds, whatever BufferSize is.
    const int32_t samples = roundToInt32(bufferSize_ / 2.0 - 1.0) + 1;
    buffers_.clear();
    buffers_.resize(static_cast<size_t>(bufferCount_));
    for (auto& b : buffers_) {
        b.samples.assign(static_cast<size_t>(samples), 0);
        b.dataAddress = b.samples.data();
    }

    if (!setUpTarget()) return failStart("the capture notifications cannot be set up");

    if (Channels < 1 || Channels > 2 || samplerate < 1) {
        tearDownTarget();
        return failStart("capture needs one or two channels and a positive sample rate");
    }
    const WaveFormat format =
        WaveFormat::pcm(static_cast<uint32_t>(samplerate), static_cast<uint16_t>(Channels), 16);
    std::string error;
    device_ = waveIn_.open(selectedDevice_, format, target_, error);
    if (!device_) {
        tearDownTarget();
        return failStart(error.empty() ? "the input device cannot be opened" : error);
    }

    for (int32_t i = 0; i < bufferCount_; ++i) {
        CaptureBuffer& b = buffers_[static_cast<size_t>(i)];
        b.header = WaveHeader{};
        b.header.data = b.dataAddress;
        b.header.bufferLength = std::min<int32_t>(bufferSize_, samples * 2);
        b.header.user = i;
        if (!device_->prepare(b.header)) {
            for (int32_t j = 0; j < i; ++j)
                device_->unprepare(buffers_[static_cast<size_t>(j)].header);
            device_->close();
            device_.reset();
            tearDownTarget();
            return failStart("buffer " + std::to_string(i) + " cannot be prepared with the input device");
        }
    }

    // The device starts before any buffer is queued; what it hears meanwhile is dropped.
    if (!device_->start()) {
        for (auto& b : buffers_)
            device_->unprepare(b.header);
        device_->close();
        device_.reset();
        tearDownTarget();
        return failStart("the input device cannot be started");
    }
    for (auto& b : buffers_)
        device_->addBuffer(b.header);
    return true;
}

int64_t WaveInRecorder::DroppedFrames() const {
    return droppedEarlier_ + (device_ ? device_->droppedFrames() : 0);
}

bool WaveInRecorder::StopRecord() {
    bool clean = true;
    if (device_) {
        // Whatever the reset marks done is posted to the target, which goes before it can run.
        clean = device_->stop() && clean;
        clean = device_->reset() && clean;
        for (auto& b : buffers_)
            device_->unprepare(b.header);
        clean = device_->close() && clean;
        droppedEarlier_ += device_->droppedFrames();
        device_.reset();
    }
    tearDownTarget();
    return clean;
}

void WaveInRecorder::checkDevice() {
    if (!device_ || lostReported_) return;
    std::string failure = device_->failure();
    if (!failure.empty()) return reportLost(failure);
    if (std::chrono::steady_clock::now() - lastBuffer_ < silenceLimit_) return;
    reportLost("no sound from the input device for " + numberText(silenceLimit_.count() / 1000.0) +
               " seconds");
}

void WaveInRecorder::reportLost(std::string why) {
    lostReported_ = true;
    guarded(messageBoxes_, [&] { DeviceLost(why); });
}

void WaveInRecorder::onNotification(uint32_t message, void* param) {
    if (message == kMmWimData) onBufferDone(static_cast<WaveHeader*>(param));
    if (message == kWimFailed && device_ && !lostReported_) {
        const std::string failure = device_->failure();
        reportLost(failure.empty() ? "the input device failed" : failure);
    }
}

void WaveInRecorder::onBufferDone(WaveHeader* param) {
    // Only a header of our own ring can be read; anything else is ignored and nothing re-queued.
    CaptureBuffer* buffer = nullptr;
    for (auto& b : buffers_) {
        if (&b.header == param) buffer = &b;
    }
    if (!buffer) return;
    lastBuffer_ = std::chrono::steady_clock::now();
    const WaveHeader header = buffer->header;
    if (header.user < 0 || header.user >= static_cast<int32_t>(buffers_.size())) return;
    CaptureBuffer& filled = buffers_[static_cast<size_t>(header.user)];
    int32_t length =
        std::clamp<int32_t>(header.bytesRecorded, 0, static_cast<int32_t>(filled.samples.size() * 2));

    const uint64_t session = session_;
    // A handler's error is shown and capture goes on: nothing escapes into the message loop.
    guarded(messageBoxes_, [&] { GotData(std::span<int16_t>(filled.samples), length); });
    // A handler may have stopped (or stopped and restarted) capture: then the buffer is gone or
    // belongs to the old session, and nothing is queued again.
    if (session != session_ || !device_) return;
    device_->addBuffer(filled.header);
}

// Input devices and mixer lines.

int32_t WaveInRecorder::DeviceCount() const {
    return waveIn_.deviceCount();
}

std::string WaveInRecorder::DeviceName(int32_t index) const {
    std::string name = waveIn_.deviceName(index);
    const size_t nul = name.find('\0');
    return nul == std::string::npos ? name : name.substr(0, nul);
}

bool WaveInRecorder::SelectDevice(int32_t index) {
    if (index < 0 || index > DeviceCount() - 1) return false;
    selectedDevice_ = -1;
    mixer_.reset();
    mixer_ = mixers_.openForWaveIn(index);
    if (!mixer_) return false;
    selectedDevice_ = index;
    return true;
}

bool WaveInRecorder::findRecordingDestination(MixerLineInfo& info) const {
    if (!mixer_) return false;
    const int32_t count = mixer_->destinationCount();
    for (int32_t d = 0; d < count; ++d) {
        MixerLineInfo line;
        if (mixer_->destination(d, line) && line.componentType == mixer::kDstWaveIn) {
            info = line;
            info.destination = d;
            return true;
        }
    }
    return false;
}

int32_t WaveInRecorder::MixerLineCount() const {
    MixerLineInfo dest;
    if (selectedDevice_ < 0 || !findRecordingDestination(dest)) return 0;
    return dest.connections;
}

std::string WaveInRecorder::MixerLineName(int32_t index) const {
    MixerLineInfo dest, line;
    if (selectedDevice_ < 0 || !findRecordingDestination(dest)) return {};
    if (!mixer_->source(dest.destination, index, line)) return {};
    return line.name;
}

bool WaveInRecorder::SelectMixerLine(int32_t index) {
    if (selectedDevice_ < 0) return false;
    const int32_t count = MixerLineCount();
    const int32_t k = count - index - 1;
    MixerLineInfo byType, byIndex;
    if (!findRecordingDestination(byType) || !mixer_->destination(byType.destination, byIndex)) return false;
    int32_t items = 0;
    if (!mixer_->muxItems(byType.destination, items)) return false;
    // A line outside the list selects nothing, and saying so matters: callers take true to mean
    // the chosen line is now the recording source.
    if (index < 0 || k < 0 || k >= items) return false;
    std::vector<int32_t> values;
    mixer_->readMux(byType.destination, values);
    values.assign(static_cast<size_t>(items), 0);
    values[static_cast<size_t>(k)] = 1;
    mixer_->writeMux(byType.destination, values);
    return true;
}

int32_t WaveInRecorder::SelectedMixerLine() const {
    const int32_t count = MixerLineCount();
    int32_t k = 0;
    MixerLineInfo dest;
    std::vector<int32_t> values;
    if (findRecordingDestination(dest) && mixer_->readMux(dest.destination, values)) {
        for (int32_t i = static_cast<int32_t>(values.size()) - 1; i >= 0; --i) {
            if (values[static_cast<size_t>(i)] != 0) {
                k = i;
                break;
            }
        }
    }
    return count - 1 - k;
}

int32_t WaveInRecorder::MixerLineType(int32_t index) const {
    if (index == -1) index = SelectedMixerLine();
    MixerLineInfo dest, line;
    if (!findRecordingDestination(dest) || !mixer_->source(dest.destination, index, line)) return 0;
    return line.componentType;
}

int32_t WaveInRecorder::MixerLineVolume() const {
    MixerLineInfo dest;
    std::vector<int32_t> values;
    if (!findRecordingDestination(dest)) return 0;
    if (!mixer_->readVolume(dest.destination, SelectedMixerLine(), values) || values.empty()) return 0;
    return values.front();
}

void WaveInRecorder::MixerLineVolume(int32_t Volume) {
    MixerLineInfo dest, line;
    if (!findRecordingDestination(dest)) return;
    const int32_t index = SelectedMixerLine();
    if (!mixer_->source(dest.destination, index, line)) return;
    const size_t channels = static_cast<size_t>(std::clamp(line.channels, 1, 2));
    mixer_->writeVolume(dest.destination, index, std::vector<int32_t>(channels, Volume));
}

} // namespace lctune
