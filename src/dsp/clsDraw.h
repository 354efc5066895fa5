#pragma once
// The signal plots of the tuner window: a waveform of a captured block, a 22-bar spectrum with
// falling peaks, and solid rectangles for the level bars.
//
// All coordinates are device pixels of the surface (x to the right, y downwards); while a plot
// draws, the surface's scale is set to its pixel size and restored afterwards. Called on every
// display tick from the user-interface thread; between calls nothing is kept but the FFT object,
// the 22 band levels and the last spectrum with the samples it came from (a block lasts two or
// three ticks, and its spectrum is the same on each).

#include "core/PlotSurface.h"
#include "dsp/clsFourier.h"

#include <array>
#include <cstdint>
#include <memory>
#include <span>

namespace lctune {

class clsDraw {
public:
    static constexpr int32_t kBands = 22;
    static constexpr int32_t kSpectrumSamples = 1024;
    /// How far each bar sinks per call, as a fraction of the plot height.
    static constexpr double kFall = 0.07;

    /// Fills the rectangle, left/top inclusive, right/bottom exclusive, with a solid colour.
    void DrawRect(PlotSurface& hdc, int32_t lngLeft, int32_t lngTop, int32_t lngRight, int32_t lngBottom,
                  uint32_t lngColor);

    /// The block as a waveform: one column per group of samples showing the group's mean, full
    /// scale 2 pixels from the edges, positive values below the middle. Interleaved stereo samples
    /// are averaged alike.
    void DrawAmplitudes(std::span<const int16_t> samples, PlotSurface& picVis);

    /// A 22-bar spectrum of the first 1024 samples of the block (Blackman-windowed FFT). Bars rise
    /// at once to a louder level and otherwise sink by kFall per call. A block of fewer than 1024
    /// samples leaves plot and levels untouched.
    void DrawFrequencies(std::span<const int16_t> intSamples, PlotSurface& picbox);

    /// Displayed height of band j (0..21) as a fraction 0..1 of the plot height.
    double bandLevel(int32_t band) const { return levels_.at(static_cast<size_t>(band)); }

private:
    void updateLevels(std::span<const int16_t> samples);

    static constexpr int32_t kSpectrumBins = 513;

    std::unique_ptr<clsFourier> fft_;
    std::array<double, kBands> levels_{};
    std::array<int16_t, kSpectrumSamples> spectrumInput_{};
    std::array<float, kSpectrumBins> spectrum_{};
    bool haveSpectrum_ = false;
};

} // namespace lctune
