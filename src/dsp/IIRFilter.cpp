#include "dsp/IIRFilter.h"

#include "core/Numbers.h"

#include <cmath>

namespace lctune {

namespace {

constexpr float kTwoPi = 6.2831855f;
constexpr float kLn2 = 0.6931472f;

bool allFinite(std::initializer_list<float> values) {
    for (float v : values)
        if (!std::isfinite(v)) return false;
    return true;
}

uint8_t toSample8(float y) {
    if (y > 1.0f) return 255;
    if (y < -1.0f) return 0;
    return static_cast<uint8_t>(roundHalfEven(static_cast<double>(y) * 127.0 + 128.0));
}

} // namespace

void IIRFilter::Bandwidth(float sngVal) {
    bandwidth_ = sngVal;
    recompute();
}

void IIRFilter::GainDB(float sngVal) {
    gainDB_ = sngVal;
    recompute();
}

void IIRFilter::Frequency(float sngVal) {
    frequency_ = sngVal;
    recompute();
}

void IIRFilter::samplerate(int32_t lngVal) {
    samplerate_ = lngVal;
    recompute();
}

void IIRFilter::recompute() {
    if (samplerate_ > 0)
        CreateBiquadIIR(type_, gainDB_, frequency_, static_cast<float>(samplerate_), bandwidth_);
}

void IIRFilter::CreateBiquadIIR(int32_t IIRType, float dBGain, float freq, float srate, float bw) {
    samplerate_ = roundToInt32(srate);
    bandwidth_ = bw;
    gainDB_ = dBGain;
    frequency_ = freq;
    type_ = IIRType;

    const float a = static_cast<float>(std::pow(10.0, static_cast<double>(dBGain) / 40.0));
    const float omega = static_cast<float>(static_cast<double>(freq) * kTwoPi / srate);
    const float sn = static_cast<float>(std::sin(omega));
    const float cs = static_cast<float>(std::cos(omega));
    const float u = static_cast<float>(static_cast<double>(kLn2) / 2.0 * bw * omega / sn);
    const float sinhU =
        static_cast<float>((std::exp(static_cast<double>(u)) - std::exp(-static_cast<double>(u))) / 2.0);
    const float alpha = static_cast<float>(static_cast<double>(sn) * sinhU);

    float b0 = 0, b1 = 0, b2 = 0, a0 = 0, a1 = 0, a2 = 0;
    switch (IIRType) {
    case LowPass:
        b0 = (1 - cs) / 2, b1 = 1 - cs, b2 = (1 - cs) / 2;
        a0 = 1 + alpha, a1 = -2 * cs, a2 = 1 - alpha;
        break;
    case HighPass:
        b0 = (1 + cs) / 2, b1 = -(1 + cs), b2 = (1 + cs) / 2;
        a0 = 1 + alpha, a1 = -2 * cs, a2 = 1 - alpha;
        break;
    case BandPass:
        b0 = alpha, b1 = 0, b2 = -alpha;
        a0 = 1 + alpha, a1 = -2 * cs, a2 = 1 - alpha;
        break;
    case Peaking:
        b0 = 1 + alpha * a, b1 = -2 * cs, b2 = 1 - alpha * a;
        a0 = 1 + alpha / a, a1 = -2 * cs, a2 = 1 - alpha / a;
        break;
    default:
        break;
    }

    b0_ = b0 / a0, b1_ = b1 / a0, b2_ = b2 / a0, a1_ = a1 / a0, a2_ = a2 / a0;
    x1_ = x2_ = y1_ = y2_ = 0;

    // An unknown type gives 0/0 and sn = 0 divides the bandwidth term by zero; such settings, and
    // any others that leave a coefficient infinite or NaN, make the filter a plain pass-through.
    const bool known = IIRType >= LowPass && IIRType <= Peaking;
    passThrough_ = !known || sn == 0.0f || !allFinite({b0_, b1_, b2_, a1_, a2_});
    if (passThrough_) b0_ = 1, b1_ = b2_ = a1_ = a2_ = 0;
}

void IIRFilter::ProcessSamples_16bit(std::span<int16_t> intSamples) {
    if (!enabled_ || passThrough_) return;
    for (int16_t& s : intSamples)
        s = toSample16(step(static_cast<float>(s) / 32767.0f));
}

void IIRFilter::ProcessSamples_8bit(std::span<uint8_t> btSamples) {
    if (!enabled_ || passThrough_) return;
    for (uint8_t& b : btSamples)
        b = toSample8(step((static_cast<float>(b) - 128.0f) / 127.0f));
}

} // namespace lctune
