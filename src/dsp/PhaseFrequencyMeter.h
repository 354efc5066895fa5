#pragma once
// A precise frequency of a steady tone near a known reference, from how fast the phase of its
// fundamental turns: the samples are cut into frames of four reference periods (Hann window) one
// reference period apart, each frame is correlated with a complex tone at the reference, and the
// phase advance from one frame to the next, averaged over the stretch with each step weighted by the
// product of the two frames' magnitudes (so loud, clean frames count most), is the frequency.
//
// Why this way: the phase of one partial is untouched by the amplitude (a decaying string keeps its
// pitch), the window rejects the other harmonics and the mirror image of the fundamental, and with
// the hop one period long whatever leaks from them turns by whole turns per hop, so it shifts the
// phase but not its advance. A step is left out unless the magnitude around it follows a steady
// course (constant, or fading or swelling at an even rate, as strings and bows do): a tone starting
// or stopping inside a frame, a new pluck over the old one or a burst of noise all bend the
// magnitude's course while they turn the phase. The first four frames of a stretch that does not
// follow the one before only set the course. The reference only has to lie within a sixth of the
// tone's frequency; the result does not depend on it.
//
// The meter keeps the last samples it was given (enough for a block and the longest frame), so its
// memory does not grow with the length of the recording. One thread at a time.

#include <array>
#include <complex>
#include <cstdint>
#include <span>
#include <vector>

namespace lctune {

class PhaseFrequencyMeter {
public:
    /// The longest frame, in samples; below rate / (kMaxFrame / 4) Hz the frames hold fewer than four
    /// periods and the measurement grows coarse.
    static constexpr int32_t kMaxFrame = 16384;

    struct Measurement {
        double hertz = 0;
        /// Sum of the magnitude products of the steps used; 0 when there was no usable step (silence,
        /// a stretch shorter than two frames, only unsteady frames).
        double weight = 0;
        int32_t steps = 0;
        bool valid() const { return weight > 0; }
    };

    /// `rate` in samples per second; `stretch`: the longest stretch measure() is asked about and the
    /// longest piece push() is given. The meter holds at least the newest kMaxFrame + 4 · stretch
    /// samples.
    PhaseFrequencyMeter(double rate, int32_t stretch);

    /// Appends the next samples of the recording.
    void push(std::span<const int16_t> samples);
    /// Samples pushed so far: the index just past the newest.
    int64_t end() const { return end_; }

    /// Measures the frames that end inside the samples [from, to) (indices since the first push;
    /// `to` at most end() and `from` within three stretches of it, so that the frames reaching back
    /// before `from` are still held; frames that are not held count for nothing). `reference` in
    /// hertz. A call for the stretch right after the previous one carries on from its frames (the
    /// last one taken again when the reference changed), so consecutive stretches lose no step.
    Measurement measure(int64_t from, int64_t to, double reference);

private:
    struct Frames {
        double reference = 0;
        int32_t hop = 0;
        std::vector<std::complex<double>> kernel; // Hann window times the reference's tone
    };
    const Frames& framesFor(double reference);
    std::complex<double> frame(int64_t end) const;

    double rate_;
    std::vector<int16_t> history_; // the newest samples; history_[0] is sample start_
    int64_t start_ = 0;
    int64_t end_ = 0;
    size_t keep_;
    Frames frames_;

    // The frames measured last, one hop apart, so the next stretch can carry on from them.
    struct Chain {
        int64_t frames = 0; // in a row on this grid; 0 starts afresh
        int64_t lastEnd = 0;
        int64_t stretchEnd = -1;
        double reference = 0;
        std::complex<double> last;
        std::array<double, 4> levels{}; // log magnitudes of the last four frames, frame i at i % 4
    };
    static bool steady(double level, const Chain& c);
    Chain chain_;
};

} // namespace lctune
