#pragma once
// Shared set-up for the tuner tests: an analysis with plain settings, its own flags and a
// recording plot surface, and a few signal makers.

#include "core/Numbers.h"
#include "core/RecordingPlotSurface.h"
#include "tuner/TunerAnalysis.h"

#include <cmath>
#include <numbers>

namespace lctune::test {

struct TunerFixture {
    TunerSettings settings;
    RecordingPlotSurface picture{300, 100};
    AppFlags flags;
    TunerAnalysis tuner{settings, picture, flags};
};

/// A sine of the given period in samples, amplitude a, n samples long.
inline SampleBlock sine(double period, double amplitude, size_t n, double phase = 0) {
    SampleBlock b(n);
    for (size_t i = 0; i < n; ++i)
        b[i] = static_cast<int16_t>(
            std::lround(amplitude * std::sin(2 * std::numbers::pi * (i + phase) / period)));
    return b;
}

/// A square wave whose high-to-low edges fall exactly at the given positions: high (+a) before
/// each edge, low (-a) from the edge on, for half the distance to the next edge.
inline SampleBlock edgesAt(const std::vector<int>& edges, int16_t a, size_t n) {
    SampleBlock b(n, 0);
    for (size_t e = 0; e < edges.size(); ++e) {
        const int edge = edges[e];
        const int next = e + 1 < edges.size() ? edges[e + 1] : static_cast<int>(n);
        const int prev = e > 0 ? edges[e - 1] : 0;
        const int highFrom = e > 0 ? prev + (edge - prev) / 2 : std::max(0, edge - 4);
        for (int i = highFrom; i < edge; ++i)
            b[static_cast<size_t>(i)] = a;
        const int lowTo = std::min(static_cast<int>(n), edge + std::max(1, (next - edge) / 2));
        for (int i = edge; i < lowTo; ++i)
            b[static_cast<size_t>(i)] = static_cast<int16_t>(-a);
    }
    return b;
}

} // namespace lctune::test
