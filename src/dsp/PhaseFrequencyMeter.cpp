#include "dsp/PhaseFrequencyMeter.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace lctune {

namespace {

// Steadiness of the magnitude m over the frames, in natural logarithms: a step from frame k − 1 to
// k counts when the magnitude changes by at most 10 % a hop (log 1.1 ≈ 0.095), changes at the same
// rate as over the hop before (within 3 %) and as over the frame length before (a curvature over
// two-hop spacing within 20 %). A string fading at any usual rate passes; a tone that starts, stops
// or is struck anew inside the frames does not.
constexpr double kMaxChange = 0.095;
constexpr double kMaxBend = 0.03;
constexpr double kMaxBendOverFrame = 0.2;

constexpr double kTwoPi = 2 * std::numbers::pi;

} // namespace

PhaseFrequencyMeter::PhaseFrequencyMeter(double rate, int32_t stretch)
    : rate_(rate), keep_(static_cast<size_t>(kMaxFrame) + 4 * static_cast<size_t>(std::max(stretch, 1))) {
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
    return frames_;
}

// Whether the step into a frame of log magnitude `level` is steady, given the four frames before.
bool PhaseFrequencyMeter::steady(double level, const Chain& c) {
    const auto back = [&](int64_t k) { return c.levels[static_cast<size_t>((c.frames - k) % 4)]; };
    const double change = level - back(1);
    return std::isfinite(level) && std::isfinite(back(4)) && std::fabs(change) <= kMaxChange &&
           std::fabs(change - (back(1) - back(2))) <= kMaxBend &&
           std::fabs(level - 2 * back(2) + back(4)) <= kMaxBendOverFrame;
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

    // Carry on from the frames of the stretch before when this one follows it; with a new
    // reference, the last frame is taken again through the new kernel so its phase compares.
    Chain& c = chain_;
    int64_t e = to - (to - 1 - from) / hop * hop; // the first frame end in (from, to] on a fresh grid
    if (c.frames > 0 && c.stretchEnd == from && c.lastEnd - length >= start_) {
        e = c.lastEnd + hop;
        if (c.reference != reference) c.last = frame(c.lastEnd);
    } else {
        c.frames = 0;
    }
    c.reference = reference;
    c.stretchEnd = to;

    std::complex<double> turn;
    for (; e <= to; e += hop) {
        if (e - length < start_) {
            c.frames = 0;
            continue;
        }
        const std::complex<double> y = frame(e);
        const double level = std::log(std::abs(y));
        if (c.frames >= 4 && steady(level, c)) {
            turn += y * std::conj(c.last);
            m.weight += std::abs(y) * std::abs(c.last);
            ++m.steps;
        }
        c.levels[static_cast<size_t>(c.frames % 4)] = level;
        ++c.frames;
        c.lastEnd = e;
        c.last = y;
    }
    if (m.weight <= 0) return m;

    // The advance per hop is known up to whole turns: take the one nearest the reference's.
    const double advance = std::arg(turn);
    const double nominal = kTwoPi * reference / rate_ * static_cast<double>(hop);
    const double turns = std::round((nominal - advance) / kTwoPi);
    m.hertz = (advance + kTwoPi * turns) / static_cast<double>(hop) * rate_ / kTwoPi;
    return m;
}

} // namespace lctune
