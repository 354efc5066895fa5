#include "dsp/clsDSP.h"

#include "core/Error.h"
#include "core/Numbers.h"

#include <algorithm>
#include <cmath>

namespace lctune {

namespace {

constexpr int32_t kDspError = 32000;
constexpr int32_t kDefaultBands = 7;
constexpr int32_t kMaxBands = 10;
constexpr float kPi = 3.1415927f;
constexpr double kLowestBand = 80.0;

} // namespace

clsDSP::clsDSP() : bandGains_(kDefaultBands, 0.0f), bandFilters_(kDefaultBands) {}

// ---------------------------------------------------------------------------------------------
// Settings.

void clsDSP::checkSamplerate(int32_t lngSR) {
    if (lngSR < 1 || lngSR > 96000) throw Error(kDspError, "invalid samplerate");
}

void clsDSP::samplerate(int32_t lngSR) {
    checkSamplerate(lngSR);
    samplerate_ = lngSR;
    settingsChanged();
}

void clsDSP::Channels(int16_t intCh) {
    if (intCh < 1 || intCh > 2) throw Error(kDspError, "invalid channels");
    channels_ = intCh;
    settingsChanged();
}

void clsDSP::settingsChanged() {
    if (!ready()) return;
    rebuildEchoLine();
    recomputeSweep();
    recomputeBands();
}

void clsDSP::EchoLength(int32_t lngMS) {
    echoLength_ = lngMS;
    if (samplerate_ > 0) rebuildEchoLine();
}

void clsDSP::EchoAmp(float sngAmp) {
    echoAmp_ = sngAmp > 0.9f ? 0.9f : sngAmp;
    if (samplerate_ > 0) rebuildEchoLine();
}

void clsDSP::PhaseShiftWet(float value) {
    phaseWet_ = value;
    if (samplerate_ > 0) recomputeSweep();
}

void clsDSP::PhaseShiftDry(float value) {
    phaseDry_ = value;
    if (samplerate_ > 0) recomputeSweep();
}

void clsDSP::PhaseShiftFeedback(float value) {
    phaseFeedback_ = value;
    if (samplerate_ > 0) recomputeSweep();
}

void clsDSP::PhaseShiftSweepRate(float value) {
    sweepRate_ = value;
    if (samplerate_ > 0) recomputeSweep();
}

void clsDSP::PhaseShiftSweepRange(float value) {
    sweepRange_ = value;
    if (samplerate_ > 0) recomputeSweep();
}

void clsDSP::PhaseShiftFrequency(float value) {
    phaseFrequency_ = value;
    if (samplerate_ > 0) recomputeSweep();
}

void clsDSP::checkBand(int32_t index) const {
    if (index < 0 || index >= EqualizerBands()) throw Error(kDspError, "Out Of Bounds!");
}

const IIRFilter& clsDSP::bandFilter(int32_t index) const {
    checkBand(index);
    return bandFilters_[static_cast<size_t>(index)];
}

int32_t clsDSP::EqualizerBandFrequency(int32_t index) const {
    return roundToInt32(bandFilter(index).Frequency());
}

float clsDSP::EqualizerBandGainDB(int32_t index) const {
    checkBand(index);
    return bandGains_[static_cast<size_t>(index)];
}

void clsDSP::EqualizerBandGainDB(int32_t index, float gain_db) {
    checkBand(index);
    bandGains_[static_cast<size_t>(index)] = gain_db;
    if (samplerate_ > 0) recomputeBands();
}

void clsDSP::EqualizerBands(int32_t lngBands) {
    if (lngBands < 1 || lngBands > kMaxBands) throw Error(kDspError, "Out Of Bounds!");
    bandFilters_.assign(static_cast<size_t>(lngBands), IIRFilter{});
    bandGains_.assign(static_cast<size_t>(lngBands), 0.0f);
    if (samplerate_ > 0) recomputeBands();
}

// The echo restarts silent whenever its settings change. L counts elements of the interleaved
// stream. A delay below one sample still echoes after one sample; a delay beyond a minute is held
// at a minute so a stray setting cannot ask for gigabytes.
void clsDSP::rebuildEchoLine() {
    const double wanted = roundHalfEven(samplerate_ / 1000.0 * echoLength_);
    const double longest = static_cast<double>(samplerate_) * kMaxEchoSeconds;
    const auto length = static_cast<size_t>(std::clamp(wanted, 1.0, longest));
    echoLine_.assign(length, 0);
    echoPosition_ = 0;
    echoGainInUse_ = echoAmp_;
}

// The sweep value moves geometrically between f pi / sr and f pi 2^r / sr, one factor per sample,
// so it takes sr / (2 v) samples each way.
void clsDSP::recomputeSweep() {
    const double sr = samplerate_;
    sweepMin_ = static_cast<float>(phaseFrequency_ * kPi / sr);
    const float p = static_cast<float>(std::pow(2.0, static_cast<double>(sweepRange_)));
    sweepMax_ = static_cast<float>(static_cast<double>(phaseFrequency_) * kPi * p / sr);
    sweepFactor_ = static_cast<float>(std::pow(static_cast<double>(p), 2.0 * sweepRate_ / sr));
    sweepStep_ = sweepFactor_;
    sweepValue_ = sweepMin_;
}

// Centres spaced evenly on a logarithmic scale from 80 Hz to a third of the rate, all with the
// same bandwidth of a quarter of that span in octaves. A single band sits at 80 Hz.
void clsDSP::recomputeBands() {
    const int32_t n = EqualizerBands();
    const double top = roundHalfEven(samplerate_ / 3.0);
    const double bandwidth = std::log(top / kLowestBand) / 4.0;
    for (int32_t i = 0; i < n; ++i) {
        const double centre =
            n == 1 ? kLowestBand : kLowestBand * std::pow(top / kLowestBand, double(i) / (n - 1));
        bandFilters_[static_cast<size_t>(i)].CreateBiquadIIR(
            IIRFilter::Peaking, bandGains_[static_cast<size_t>(i)], static_cast<float>(centre),
            static_cast<float>(samplerate_), static_cast<float>(bandwidth));
    }
}

// ---------------------------------------------------------------------------------------------
// Processing.

void clsDSP::ProcessSamples(std::span<int16_t> intSamples) {
    if (!ready()) return;
    if (effectsUsed_ & kAmplifier) amplify(intSamples, static_cast<float>(amplifyDB_), GainUnit::Decibels);
    if (effectsUsed_ & kEcho) echo(intSamples);
    if (effectsUsed_ & kPhaseShift) phaseShift(intSamples);
}

// Band 0 first; each band clips to 16 bits on its own, so the bands are in series. The bands are
// staggered by one sample each: in step i band k filters sample i - k, which band k - 1 finished
// in the step before. Every band still sees its input stream in order, so the samples are the same
// as running whole blocks band after band, but the bands' recursions overlap instead of queueing.
void clsDSP::均衡处理子程序(std::span<int16_t> samples) {
    if (!ready()) return;
    std::array<IIRFilter*, kMaxBands> active{};
    int64_t count = 0;
    for (IIRFilter& band : bandFilters_)
        if (band.active()) active[static_cast<size_t>(count++)] = &band;
    const auto n = static_cast<int64_t>(samples.size());
    for (int64_t i = 0; i < n + count - 1; ++i) {
        const int64_t first = std::max<int64_t>(0, i - n + 1), last = std::min(count - 1, i);
        for (int64_t k = first; k <= last; ++k) {
            int16_t& s = samples[static_cast<size_t>(i - k)];
            s = active[static_cast<size_t>(k)]->processSample16(s);
        }
    }
}

void clsDSP::后期周相_ProcessSamples(std::span<int16_t> samples) {
    if (!ready()) return;
    phaseShift(samples);
}

void clsDSP::amplify(std::span<int16_t> samples, float gain, GainUnit unit) {
    float factor = gain;
    if (unit == GainUnit::Decibels) factor = static_cast<float>(std::pow(10.0, gain / 20.0));
    if (unit == GainUnit::Percent) factor = gain / 100.0f;
    for (int16_t& s : samples)
        s = clip16(static_cast<float>(s) * factor);
}

// Feedback echo: each repeat is the clipped output scaled by the gain, so repeats fall by the
// gain every L samples. The line holds 16-bit values; a gain beyond -1 (allowed, only values above
// 0.9 are limited) is clipped on the way into the line.
void clsDSP::echo(std::span<int16_t> samples) {
    const auto length = static_cast<int32_t>(echoLine_.size());
    if (length == 0) return;
    for (int16_t& s : samples) {
        int16_t& delayed = echoLine_[static_cast<size_t>(echoPosition_)];
        const int16_t y = clip16(static_cast<int32_t>(s) + static_cast<int32_t>(delayed));
        s = y;
        delayed = clip16(static_cast<float>(y) * echoGainInUse_);
        if (++echoPosition_ >= length) echoPosition_ = 0;
    }
}

void clsDSP::restartPhaseShifter() {
    stageIn_.fill(0.0f);
    stageOut_.fill(0.0f);
    sweepStep_ = sweepFactor_;
    sweepValue_ = sweepMin_;
}

// Four first-order all-pass stages with feedback from the last one, their common coefficient
// swept geometrically. Settings far outside any musical range (feedback beyond 1, a NaN) can run
// the loop to infinity; the shifter then restarts from rest and lets that sample through dry.
void clsDSP::phaseShift(std::span<int16_t> samples) {
    for (int16_t& s : samples) {
        const float x = static_cast<float>(s) / 32767.0f;
        const float c = (1.0f - sweepValue_) / (1.0f + sweepValue_);
        float u = x + phaseFeedback_ * stageOut_[3];
        for (size_t k = 0; k < 4; ++k) {
            const float out = c * (u + stageOut_[k]) - stageIn_[k];
            stageIn_[k] = u;
            stageOut_[k] = out;
            u = out;
        }
        const float out = phaseDry_ * x + phaseWet_ * u;

        sweepValue_ *= sweepStep_;
        if (sweepValue_ > sweepMax_)
            sweepStep_ = 1.0f / sweepFactor_;
        else if (sweepValue_ < sweepMin_)
            sweepStep_ = sweepFactor_;

        if (!std::isfinite(out) || !std::isfinite(u) || !std::isfinite(sweepValue_)) {
            restartPhaseShifter();
            continue;
        }
        s = clip16(static_cast<double>(out) * 32767.0);
    }
}

} // namespace lctune
