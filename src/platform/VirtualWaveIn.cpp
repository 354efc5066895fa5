#include "platform/VirtualWaveIn.h"

#include "core/Numbers.h"
#include "platform/AudioFile.h"
#include "platform/QueuedWaveInDevice.h"

#include <algorithm>
#include <charconv>
#include <chrono>
#include <cmath>
#include <numbers>
#include <thread>

namespace lctune {

namespace {

using Clock = std::chrono::steady_clock;

// The recording as interleaved frames at the capture rate and channel count.
bool convertFrames(const AudioData& data, const WaveFormat& format, std::vector<int16_t>& frames,
                   std::string& error) {
    const int32_t rate = static_cast<int32_t>(format.samplesPerSec);
    if (format.channels == 2 && data.channels == 2) {
        std::vector<int16_t> left(static_cast<size_t>(data.frames())), right(left.size());
        for (size_t i = 0; i < left.size(); ++i) {
            left[i] = data.samples[2 * i];
            right[i] = data.samples[2 * i + 1];
        }
        std::vector<int16_t> l, r;
        if (!convertRate(left, data.sampleRate, rate, l, error) ||
            !convertRate(right, data.sampleRate, rate, r, error))
            return false;
        frames.resize(2 * std::min(l.size(), r.size()));
        for (size_t i = 0; i < frames.size() / 2; ++i) {
            frames[2 * i] = l[i];
            frames[2 * i + 1] = r[i];
        }
        return true;
    }
    std::vector<int16_t> mono;
    if (!convertRate(mixToMono(data.samples, data.channels), data.sampleRate, rate, mono, error))
        return false;
    if (format.channels == 1) {
        frames = std::move(mono);
        return true;
    }
    frames.resize(mono.size() * 2);
    for (size_t i = 0; i < mono.size(); ++i)
        frames[2 * i] = frames[2 * i + 1] = mono[i];
    return true;
}

bool loadFrames(const std::string& path, const WaveFormat& format, std::vector<int16_t>& frames,
                std::string& error) {
    AudioData data;
    if (!readAudioFile(path, data, error)) return false;
    if (!convertFrames(data, format, frames, error)) {
        error = path + ": " + error;
        return false;
    }
    return true;
}

// Delivers the looped recording or the tone in real time, paced by the steady clock.
class VirtualSource : public CaptureSource {
public:
    VirtualSource(const WaveFormat& format, std::vector<int16_t> frames, double toneHertz)
        : format_(format), frames_(std::move(frames)), toneHertz_(toneHertz) {}

    long captureFrames(int16_t* dst, long frames) override {
        const int64_t due = dueFrames() - delivered_;
        if (due <= 0) {
            // Sleep until about one buffer's worth of frames is due, 20 ms at most.
            std::this_thread::sleep_for(std::chrono::milliseconds(
                std::clamp<int64_t>(frames * 1000 / static_cast<int64_t>(format_.samplesPerSec), 1, 20)));
            return 0;
        }
        const long n = static_cast<long>(std::min<int64_t>(due, frames));
        const int ch = format_.channels;
        for (long f = 0; f < n; ++f) {
            for (int c = 0; c < ch; ++c)
                dst[f * ch + c] = nextSample(c);
            advance();
        }
        delivered_ += n;
        return n;
    }

    bool start() override {
        started_ = Clock::now();
        delivered_ = 0;
        return true;
    }
    void stop() override {}

private:
    int64_t dueFrames() const {
        const auto elapsed =
            std::chrono::duration_cast<std::chrono::microseconds>(Clock::now() - started_).count();
        return elapsed * static_cast<int64_t>(format_.samplesPerSec) / 1000000;
    }

    int16_t nextSample(int channel) const {
        if (toneHertz_ > 0) {
            // f·n reduced modulo the rate first keeps the phase exact however long the tone runs.
            const double rate = static_cast<double>(format_.samplesPerSec);
            const double phase =
                2.0 * std::numbers::pi * std::fmod(toneHertz_ * static_cast<double>(position_), rate) / rate;
            return clip16(VirtualWaveIn::toneAmplitude() * std::sin(phase));
        }
        return frames_[position_ * format_.channels + static_cast<size_t>(channel)];
    }

    void advance() {
        ++position_;
        if (toneHertz_ <= 0 && position_ >= frames_.size() / format_.channels) {
            position_ = 0;
        }
    }

    const WaveFormat format_;
    std::vector<int16_t> frames_;
    double toneHertz_;
    size_t position_ = 0;
    Clock::time_point started_;
    int64_t delivered_ = 0;
};

std::string baseName(const std::string& path) {
    const size_t slash = path.find_last_of('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

} // namespace

VirtualWaveIn::VirtualWaveIn(std::string source) : source_(std::move(source)) {}

double VirtualWaveIn::toneAmplitude() {
    return 32767.0 * std::pow(10.0, -6.0 / 20.0);
}

bool VirtualWaveIn::parseTone(const std::string& source, double& hertz) {
    if (source.rfind("tone:", 0) != 0) return false;
    const char* begin = source.data() + 5;
    const char* end = source.data() + source.size();
    double value = 0;
    const auto [stop, ec] = std::from_chars(begin, end, value);
    if (ec != std::errc() || stop != end || !std::isfinite(value) || value < kLowestTone) return false;
    hertz = value;
    return true;
}

std::string VirtualWaveIn::deviceName(int32_t index) {
    if (index != 0) return {};
    double hz = 0;
    return parseTone(source_, hz) ? source_ : baseName(source_);
}

std::unique_ptr<WaveInDevice> VirtualWaveIn::open(int32_t index, const WaveFormat& format,
                                                  std::shared_ptr<NotificationTarget> target,
                                                  std::string& error) {
    if (index != 0 && index != -1) {
        error = "no input device " + std::to_string(index);
        return nullptr;
    }
    if (!format.isCaptureFormat() || !target) {
        error = "unsupported capture format";
        return nullptr;
    }
    double hz = 0;
    if (source_.rfind("tone:", 0) == 0) {
        if (!parseTone(source_, hz) || hz >= format.samplesPerSec / 2.0) {
            error = "LCTUNE_INPUT: " + source_ + " is not a tone from 1 Hz to below half the sample rate";
            return nullptr;
        }
        return std::make_unique<QueuedWaveInDevice>(
            format, std::move(target), std::make_shared<VirtualSource>(format, std::vector<int16_t>{}, hz));
    }
    std::vector<int16_t> frames;
    if (!loadFrames(source_, format, frames, error)) return nullptr;
    if (frames.empty()) {
        error = source_ + ": the recording holds no samples";
        return nullptr;
    }
    return std::make_unique<QueuedWaveInDevice>(
        format, std::move(target), std::make_shared<VirtualSource>(format, std::move(frames), 0.0));
}

} // namespace lctune
