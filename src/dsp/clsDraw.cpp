#include "dsp/clsDraw.h"

#include "core/Colors.h"
#include "core/Numbers.h"

#include <algorithm>
#include <cmath>

namespace lctune {

namespace {

// Draws in device pixels whatever scale the surface's owner has set, and gives the scale back.
class PixelScale {
public:
    explicit PixelScale(PlotSurface& s) : s_(s), width_(s.scaleWidth()), height_(s.scaleHeight()) {
        s_.scaleWidth(s_.pixelWidth());
        s_.scaleHeight(s_.pixelHeight());
    }
    ~PixelScale() {
        s_.scaleWidth(width_);
        s_.scaleHeight(height_);
    }
    PixelScale(const PixelScale&) = delete;
    PixelScale& operator=(const PixelScale&) = delete;

private:
    PlotSurface& s_;
    double width_;
    double height_;
};

constexpr uint32_t kWaveColor = rgb(192, 255, 192);
constexpr float kSpectrumCeiling = 0.2f;

} // namespace

void clsDraw::DrawRect(PlotSurface& hdc, int32_t lngLeft, int32_t lngTop, int32_t lngRight, int32_t lngBottom,
                       uint32_t lngColor) {
    PixelScale pixels(hdc);
    hdc.fillRect(lngLeft, lngTop, lngRight, lngBottom, lngColor);
}

// Blocks shorter than half the plot width would give zero samples per column; they are drawn
// with one sample per column, the columns past the end at the middle line.
void clsDraw::DrawAmplitudes(std::span<const int16_t> samples, PlotSurface& picVis) {
    PixelScale pixels(picVis);
    const double width = picVis.pixelWidth();
    const double w = roundHalfEven(width);
    const double h = roundHalfEven(static_cast<double>(picVis.pixelHeight()));
    const double mid = std::trunc(h / 2.0);

    picVis.drawColor(0);
    picVis.fillRect(0, 0, w, h, picVis.backColor());
    picVis.rectangle(0, 0, w, h, 0);
    picVis.drawColor(kWaveColor);
    picVis.moveTo(0, mid);

    const auto lastIndex = static_cast<double>(samples.size()) - 1.0;
    const int64_t perColumn = std::max<int64_t>(1, static_cast<int64_t>(roundHalfEven(lastIndex / width)));
    const auto columns = static_cast<int64_t>(roundHalfEven(width - 3.0));
    const auto total = static_cast<int64_t>(samples.size());
    int64_t l = 0;
    for (int64_t j = 1; j <= columns; ++j) {
        double sum = 0;
        for (int64_t i = l; i < l + perColumn && i < total; ++i)
            sum += samples[static_cast<size_t>(i)];
        l += perColumn;
        const double o = std::clamp(sum / static_cast<double>(perColumn) / 32767.0, -1.0, 1.0);
        picVis.lineTo(static_cast<double>(j), roundHalfEven((mid - 2.0) * o + mid));
    }
    const double end = static_cast<double>(std::max<int64_t>(columns, 0));
    picVis.lineTo(end + 1, mid);
    picVis.lineTo(end + 2, mid);
}

// Bands read bins 5j + 1 .. 5j + 4 (every fifth bin is skipped). The accumulator is never reset,
// so each band carries a share of the ones below it, lifted by a raised-cosine weight towards the
// middle bands.
void clsDraw::updateLevels(std::span<const int16_t> samples) {
    const auto input = samples.first(kSpectrumSamples);
    if (!haveSpectrum_ || !std::equal(input.begin(), input.end(), spectrumInput_.begin())) {
        if (!fft_) {
            fft_ = std::make_unique<clsFourier>();
            fft_->NumberOfSamples(kSpectrumSamples);
            fft_->WithTimeWindow(true);
        }
        for (int32_t i = 0; i < kSpectrumSamples; ++i)
            fft_->RealIn(i + 1, input[static_cast<size_t>(i)]);
        for (int32_t j = 0; j < kSpectrumBins; ++j) {
            float v = static_cast<float>(fft_->ComplexOut(j + 1) / 256.0 / 32767.0);
            if (v > kSpectrumCeiling) v = kSpectrumCeiling;
            spectrum_[static_cast<size_t>(j)] = v / kSpectrumCeiling;
        }
        std::copy(input.begin(), input.end(), spectrumInput_.begin());
        haveSpectrum_ = true;
    }

    for (double& level : levels_)
        level = std::max(0.0, level - kFall);

    const auto& s = spectrum_;
    float x = 0;
    size_t b = 1;
    for (int32_t j = 0; j < kBands; ++j) {
        x += s[b];
        x += s[b + 1];
        x += s[b + 2];
        x += s[b + 3];
        b += 5;
        const double weight = (1.0 - std::cos(6.2831855 * (j + 3) / 25.0)) * 0.5;
        x = static_cast<float>((weight + 1.0) * x / 3.0);
        double& level = levels_[static_cast<size_t>(j)];
        if (level < x) level = x;
        if (level > 1.0) level = 1.0;
    }
}

void clsDraw::DrawFrequencies(std::span<const int16_t> intSamples, PlotSurface& picbox) {
    if (intSamples.size() < static_cast<size_t>(kSpectrumSamples)) return;
    updateLevels(intSamples);

    PixelScale pixels(picbox);
    const double h = picbox.pixelHeight();
    picbox.clear();
    for (int32_t j = 0; j < kBands; ++j) {
        const double level = levels_[static_cast<size_t>(j)];
        const auto c = static_cast<uint32_t>(roundHalfEven(level * 255.0));
        const double top = std::max(2.0, std::min(roundHalfEven(h), roundHalfEven(h - h * level)) - 2.0);
        picbox.fillRect(4 * j + 4, top, 4 * j + 7, roundHalfEven(h - 2.0), rgb(255, c, 50));
    }
}

} // namespace lctune
