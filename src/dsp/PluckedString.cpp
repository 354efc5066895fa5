#include "dsp/PluckedString.h"

#include <algorithm>
#include <cmath>

namespace lctune {

namespace {

// A small generator for the noise burst (no library randomness, so the sound is the same on every
// machine).
struct Lcg {
    uint32_t state;
    double next() {
        state = state * 1664525u + 1013904223u;
        return static_cast<double>(state >> 8) / 8388608.0 - 1.0;
    }
};

} // namespace

std::vector<double> PluckedString::render(int64_t count) const {
    const double period = rate / frequency - 0.5; // the two-point average adds half a sample
    const int32_t length = std::max<int32_t>(2, static_cast<int32_t>(std::floor(period)));
    const double frac = period - length;
    const double c = (1 - frac) / (1 + frac);
    std::vector<double> line(static_cast<size_t>(length));
    Lcg rng{variant};
    for (auto& v : line)
        v = rng.next();
    // A finger is softer than a white-noise burst: smooth the excitation (circularly, so the
    // line has no seam) before the string starts.
    for (int pass = 0; pass < softness; ++pass) {
        double y = line.back();
        for (auto& v : line)
            v = y += 0.35 * (v - y);
    }
    double mean = 0;
    for (double v : line)
        mean += v;
    mean /= length;
    for (auto& v : line)
        v -= mean;

    std::vector<double> out(static_cast<size_t>(std::max<int64_t>(count, 0)));
    double apIn = 0, apOut = 0, prev = 0;
    size_t pos = 0;
    for (double& sample : out) {
        const double cur = line[pos];
        const double averaged = decay * 0.5 * (cur + prev);
        prev = cur;
        const double tuned = c * averaged + apIn - c * apOut;
        apIn = averaged;
        apOut = tuned;
        sample = cur;
        line[pos] = tuned;
        pos = (pos + 1) % line.size();
    }
    return out;
}

} // namespace lctune
