#include "dsp/PhaseFrequencyMeter.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace lctune {

namespace {

// A step is steady when its two frames' magnitudes differ by less than this ratio.
constexpr double kSteadyRatio = 0.9;

constexpr double kTwoPi = 2 * std::numbers::pi;

} // namespace

PhaseFrequencyMeter::PhaseFrequencyMeter(double rate, int32_t stretch)
    : rate_(rate), keep_(static_cast<size_t>(kMaxFrame) + 2 * static_cast<size_t>(std::max(stretch, 1))) {
    history_.reserve(2 * keep_);
}

void PhaseFrequencyMeter::push(std::span<const int16_t> samples) {
    history_.insert(history_.end(), samples.begin(), samples.end());
    end_ += static_cast<int64_t>(samples.size());
    // Dropping the oldest only once the history has doubled keeps the cost per sample constant.
    if (history_.size() > 2 * keep_) {
        const size_t drop = history_.size() - keep_;
        history_.erase(history_.begin(), history_.begin() + static_cast<std::ptrdiff_t>(drop));
        start_ += static_cast<int64_t>(drop);
    }
}

const PhaseFrequencyMeter::Frames& PhaseFrequencyMeter::framesFor(double reference) {
    if (frames_.reference == reference && !frames_.kernel.empty()) return frames_;
    frames_.reference = reference;
    frames_.hop = std::max<int32_t>(2, static_cast<int32_t>(std::lround(rate_ / reference)));
    const int32_t length = std::min(4 * frames_.hop, kMaxFrame);
    frames_.kernel.resize(static_cast<size_t>(length));
    const double omega = kTwoPi * reference / rate_;
    for (int32_t n = 0; n < length; ++n) {
        const double hann = 0.5 - 0.5 * std::cos(kTwoPi * (n + 0.5) / length);
        frames_.kernel[static_cast<size_t>(n)] = std::polar(hann, -omega * n);
    }
    lastFrameEnd_ = -1; // frames of another reference do not continue
    return frames_;
}

// The frame whose window covers the samples [end - length, end).
std::complex<double> PhaseFrequencyMeter::frame(int64_t end) const {
    const auto& kernel = frames_.kernel;
    const int16_t* x = history_.data() + (end - static_cast<int64_t>(kernel.size()) - start_);
    // Two sums apiece let the additions overlap.
    double re0 = 0, im0 = 0, re1 = 0, im1 = 0;
    size_t n = 0;
    for (; n + 1 < kernel.size(); n += 2) {
        re0 += x[n] * kernel[n].real();
        im0 += x[n] * kernel[n].imag();
        re1 += x[n + 1] * kernel[n + 1].real();
        im1 += x[n + 1] * kernel[n + 1].imag();
    }
    for (; n < kernel.size(); ++n) {
        re0 += x[n] * kernel[n].real();
        im0 += x[n] * kernel[n].imag();
    }
    return {re0 + re1, im0 + im1};
}

PhaseFrequencyMeter::Measurement PhaseFrequencyMeter::measure(int64_t from, int64_t to, double reference) {
    Measurement m;
    if (!(reference > 0) || to > end_ || from >= to) return m;
    const Frames& frames = framesFor(reference);
    const int64_t hop = frames.hop;
    const int64_t length = static_cast<int64_t>(frames.kernel.size());

    std::complex<double> previous;
    bool havePrevious = false;
    int64_t e = to - (to - 1 - from) / hop * hop; // the first frame end in (from, to] on a fresh grid
    if (lastFrameEnd_ >= 0 && lastFrameEnd_ <= from && lastFrameEnd_ + hop > from) {
        e = lastFrameEnd_ + hop;
        previous = lastFrame_;
        havePrevious = true;
    }

    std::complex<double> turn;
    for (; e <= to; e += hop) {
        if (e - length < start_) {
            havePrevious = false;
            continue;
        }
        const std::complex<double> y = frame(e);
        if (havePrevious) {
            const double a = std::abs(y), b = std::abs(previous);
            if (std::min(a, b) >= kSteadyRatio * std::max(a, b) && a > 0) {
                turn += y * std::conj(previous);
                m.weight += a * b;
                ++m.steps;
            }
        }
        previous = y;
        havePrevious = true;
        lastFrameEnd_ = e;
        lastFrame_ = y;
    }
    if (!havePrevious) lastFrameEnd_ = -1;
    if (m.weight <= 0) return m;

    // The advance per hop is known up to whole turns: take the one nearest the reference's.
    const double advance = std::arg(turn);
    const double nominal = kTwoPi * reference / rate_ * static_cast<double>(hop);
    const double turns = std::round((nominal - advance) / kTwoPi);
    m.hertz = (advance + kTwoPi * turns) / static_cast<double>(hop) * rate_ / kTwoPi;
    return m;
}

} // namespace lctune
