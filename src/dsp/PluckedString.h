#pragma once
// A plucked string by the Karplus-Strong method, deterministically: a noise burst circulating in a
// delay line of one period, smoothed by a two-point average and tuned by a first-order all-pass that
// supplies the fractional part of the period. Up to about 1 kHz its fundamental lies within a
// hundredth of a cent of the frequency asked for (above, the all-pass flattens it slightly: 0.02
// cent at 1760 Hz), so test recordings and demos built from it have a known pitch.

#include <cstdint>
#include <vector>

namespace lctune {

struct PluckedString {
    double frequency = 110; // Hz
    double rate = 88200;    // samples per second
    double decay = 0.996;   // loss per period, 0.9-1
    uint32_t variant = 1;   // which noise burst starts the string
    int32_t softness = 0;   // passes of smoothing over the burst: a softer, rounder tone

    /// `count` samples of the string from the pluck on, peak about 1 (not normalised).
    std::vector<double> render(int64_t count) const;
};

} // namespace lctune
