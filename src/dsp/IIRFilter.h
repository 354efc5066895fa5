#pragma once
// One second-order recursive (biquad) filter working in place on PCM sample arrays, with the
// coefficients of the common audio-equaliser cookbook: low-pass, high-pass, band-pass (0 dB at the
// centre) and peaking.
//
// Coefficients, memory and parameters are single precision; each output is summed in double and
// kept as a float. Samples are scaled to -1..1 on the way in (s / 32767) and clipped to the sample
// range on the way out. One memory serves the whole array in order, so the two channels of an
// interleaved stereo block share it. The memory carries over between calls (consecutive blocks
// are one continuous signal) and is cleared by every recomputation of the coefficients.
//
// A new filter has all coefficients 0 and turns every sample into silence until it is configured.
// Settings with no meaningful filter (an unknown type, a frequency at 0 or a multiple of half the
// rate, or any parameter that would make a coefficient infinite or NaN) give a filter that passes
// samples through unchanged. Single-threaded.

#include "core/Numbers.h"

#include <cmath>
#include <cstdint>
#include <span>

namespace lctune {

class IIRFilter {
public:
    enum Type : int32_t { LowPass = 0, HighPass = 1, BandPass = 2, Peaking = 3 };

    /// The normalised coefficients (already divided by a0).
    struct Coefficients {
        float b0 = 0, b1 = 0, b2 = 0, a1 = 0, a2 = 0;
    };

    bool Enabled() const { return enabled_; }
    /// When false, processing leaves arrays and memory alone.
    void Enabled(bool blnVal) { enabled_ = blnVal; }

    /// Bandwidth in octaves.
    float Bandwidth() const { return bandwidth_; }
    void Bandwidth(float sngVal);
    /// Gain in dB (peaking type only).
    float GainDB() const { return gainDB_; }
    void GainDB(float sngVal);
    /// Centre or corner frequency in Hz.
    float Frequency() const { return frequency_; }
    void Frequency(float sngVal);
    /// Samples per second; 0 until set.
    int32_t samplerate() const { return samplerate_; }
    void samplerate(int32_t lngVal);
    int32_t IIRType() const { return type_; }

    /// Stores the settings, computes the coefficients and clears the memory.
    void CreateBiquadIIR(int32_t IIRType, float dBGain, float freq, float srate, float bw);

    /// Filters signed 16-bit samples in place.
    void ProcessSamples_16bit(std::span<int16_t> intSamples);
    /// Filters unsigned 8-bit samples (128 = silence) in place.
    void ProcessSamples_8bit(std::span<uint8_t> btSamples);

    /// True when processing would change samples (enabled, configured to a real filter).
    bool active() const { return enabled_ && !passThrough_; }
    /// One sample through an active filter, as ProcessSamples_16bit does for each element.
    int16_t processSample16(int16_t s) { return toSample16(step(static_cast<float>(s) / 32767.0f)); }

    Coefficients coefficients() const { return {b0_, b1_, b2_, a1_, a2_}; }
    /// True when the settings give no meaningful filter and samples pass unchanged.
    bool passesThrough() const { return passThrough_; }

private:
    void recompute();
    float step(float x);
    static int16_t toSample16(float y);

    float b0_ = 0, b1_ = 0, b2_ = 0, a1_ = 0, a2_ = 0;
    float x1_ = 0, x2_ = 0;
    float y1_ = 0, y2_ = 0;
    int32_t samplerate_ = 0;
    int32_t type_ = 0;
    float gainDB_ = 0;
    float frequency_ = 0;
    float bandwidth_ = 0;
    bool enabled_ = true;
    bool passThrough_ = false;
};

// One sample through the difference equation. The memory keeps the unclipped output. A filter
// driven beyond its stability (parameters outside any musical range) could run its memory to
// infinity; it then starts again from rest rather than carry NaN into every later sample.
inline float IIRFilter::step(float x) {
    // Summed in double in the order of the difference equation (every product of two floats is
    // exact in double), then kept as a float.
    const double sum = static_cast<double>(b0_) * x + static_cast<double>(b1_) * x1_ +
                       static_cast<double>(b2_) * x2_ - static_cast<double>(a1_) * y1_ -
                       static_cast<double>(a2_) * y2_;
    const float y = static_cast<float>(sum);
    if (!std::isfinite(y)) {
        x1_ = x2_ = y1_ = y2_ = 0;
        return x;
    }
    x2_ = x1_, x1_ = x;
    y2_ = y1_, y1_ = y;
    return y;
}

// Output y (nominally -1..1) back to 16 bits: beyond full scale it saturates, inside it is scaled
// by 32767 and rounded, so y = -1 gives -32767 and only an overshoot reaches -32768.
inline int16_t IIRFilter::toSample16(float y) {
    if (y > 1.0f) return 32767;
    if (y < -1.0f) return -32768;
    return clip16(static_cast<double>(y) * 32767.0);
}

} // namespace lctune
