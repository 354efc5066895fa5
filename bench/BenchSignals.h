#pragma once
// Signals the benchmarks feed the analysis.

#include "core/SampleBlock.h"

#include <cmath>
#include <numbers>

namespace lctune::bench {

/// A 440 Hz sine at 88200 samples per second, peak 12000.
inline SampleBlock sine440(size_t n) {
    SampleBlock b(n);
    for (size_t i = 0; i < n; ++i)
        b[i] =
            static_cast<int16_t>(std::lround(12000 * std::sin(2 * std::numbers::pi * 440.0 * i / 88200.0)));
    return b;
}

} // namespace lctune::bench
