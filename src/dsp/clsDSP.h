#pragma once
// The effects processor: amplifier, feedback echo, four-stage phase shifter with a swept centre
// frequency, and a multi-band equaliser of peaking biquads. Everything works in place on blocks of
// signed 16-bit samples.
//
// Every effect treats a block as one stream in array order: the left and right samples of a
// stereo block alternate and pass through the same delay line, filter memories and sweep. The echo
// line, the sweep and the all-pass memories carry over from block to block, so consecutive blocks
// are one continuous signal.
//
// Nothing is processed until both samplerate and Channels are set. Costly values (powers, sines,
// biquad coefficients, the echo line) are computed when a setting changes, never per sample.
//
// Errors: 32000 "invalid samplerate" (outside 1..96000), "invalid channels" (outside 1..2),
// "Out Of Bounds!" (a band count outside 1..10 or a band index outside 0..bands-1). A rejected
// write changes nothing. Single-threaded (the user-interface thread).

#include "dsp/IIRFilter.h"

#include <array>
#include <cstdint>
#include <span>
#include <vector>

namespace lctune {

class clsDSP {
public:
    /// Bits of EffectsUsed.
    static constexpr int32_t kEcho = 1;
    static constexpr int32_t kPhaseShift = 2;
    static constexpr int32_t kAmplifier = 4;

    enum class GainUnit { Decibels, Percent, Factor };

    clsDSP();

    /// Samples per second, 1..96000; 0 until set.
    int32_t samplerate() const { return samplerate_; }
    void samplerate(int32_t lngSR);
    /// Raises the error that samplerate(lngSR) would raise, and changes nothing.
    static void checkSamplerate(int32_t lngSR);
    /// 1 or 2; 0 until set. Only its being set matters: no effect reads the count.
    int16_t Channels() const { return channels_; }
    void Channels(int16_t intCh);

    /// Bit set of kEcho, kPhaseShift, kAmplifier; other bits are ignored.
    int32_t EffectsUsed() const { return effectsUsed_; }
    void EffectsUsed(int32_t value) { effectsUsed_ = value; }

    /// Echo delay in milliseconds of the interleaved stream (with two channels the echo follows
    /// after half of it).
    int32_t EchoLength() const { return echoLength_; }
    void EchoLength(int32_t lngMS);
    /// Echo feedback gain; values above 0.9 are stored as 0.9.
    float EchoAmp() const { return echoAmp_; }
    void EchoAmp(float sngAmp);

    /// Amplifier gain in dB.
    int32_t AmplifyDB() const { return amplifyDB_; }
    void AmplifyDB(int32_t lngVol) { amplifyDB_ = lngVol; }

    float PhaseShiftWet() const { return phaseWet_; }
    void PhaseShiftWet(float value);
    float PhaseShiftDry() const { return phaseDry_; }
    void PhaseShiftDry(float value);
    float PhaseShiftFeedback() const { return phaseFeedback_; }
    void PhaseShiftFeedback(float value);
    /// Sweeps per second (one sweep = lowest to highest frequency and back).
    float PhaseShiftSweepRate() const { return sweepRate_; }
    void PhaseShiftSweepRate(float value);
    /// Width of the sweep in octaves.
    float PhaseShiftSweepRange() const { return sweepRange_; }
    void PhaseShiftSweepRange(float value);
    /// Lowest frequency of the sweep in Hz.
    float PhaseShiftFrequency() const { return phaseFrequency_; }
    void PhaseShiftFrequency(float value);

    /// Centre of band index (0..bands-1) in Hz, rounded.
    int32_t EqualizerBandFrequency(int32_t index) const;
    float EqualizerBandGainDB(int32_t index) const;
    void EqualizerBandGainDB(int32_t index, float gain_db);
    /// Number of bands, 1..10. Writing replaces the filters and resets every gain to 0.
    int32_t EqualizerBands() const { return static_cast<int32_t>(bandFilters_.size()); }
    void EqualizerBands(int32_t lngBands);

    /// Amplifier, echo and phase shifter, each if its bit is set, in that order. No equaliser.
    void ProcessSamples(std::span<int16_t> intSamples);
    /// The equaliser alone: every band filter in series, band 0 first.
    void 均衡处理子程序(std::span<int16_t> samples);
    void 后期均衡_ProcessSamples(std::span<int16_t> samples) { 均衡处理子程序(samples); }
    /// The phase shifter alone, whatever EffectsUsed says.
    void 后期周相_ProcessSamples(std::span<int16_t> samples);

    /// Multiplies every sample by a gain given in dB, in percent or as a plain factor, clipping
    /// to 16 bits.
    static void amplify(std::span<int16_t> samples, float gain, GainUnit unit);

    bool ready() const { return samplerate_ > 0 && channels_ > 0; }
    const IIRFilter& bandFilter(int32_t index) const;
    int32_t echoLineLength() const { return static_cast<int32_t>(echoLine_.size()); }
    float sweepValue() const { return sweepValue_; }
    float sweepMinimum() const { return sweepMin_; }
    float sweepMaximum() const { return sweepMax_; }

    /// The longest echo the line is built for, in seconds of the stream.
    static constexpr int32_t kMaxEchoSeconds = 60;

private:
    void settingsChanged();
    void rebuildEchoLine();
    void recomputeSweep();
    void recomputeBands();
    void checkBand(int32_t index) const;
    void echo(std::span<int16_t> samples);
    void phaseShift(std::span<int16_t> samples);
    void restartPhaseShifter();

    int32_t effectsUsed_ = 0;
    std::vector<int16_t> echoLine_;
    int32_t echoPosition_ = 0;
    float echoGainInUse_ = 0;
    int32_t echoLength_ = 100;
    float echoAmp_ = 0.4f;
    int32_t amplifyDB_ = 3;
    std::array<float, 4> stageIn_{};
    std::array<float, 4> stageOut_{};
    float sweepMin_ = 0, sweepMax_ = 0;
    float sweepValue_ = 0;
    float sweepFactor_ = 0;
    float sweepStep_ = 0;
    float phaseDry_ = 1.0f;
    float phaseWet_ = 1.0f;
    float phaseFeedback_ = 0.5f;
    float sweepRate_ = 1.0f;
    float sweepRange_ = 4.0f;
    float phaseFrequency_ = 100.0f;
    std::vector<float> bandGains_;
    std::vector<IIRFilter> bandFilters_;
    int32_t samplerate_ = 0;
    int16_t channels_ = 0;
};

} // namespace lctune
