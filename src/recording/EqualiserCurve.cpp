#include "recording/EqualiserCurve.h"

#include "core/Colors.h"
#include "core/Numbers.h"
#include "dsp/modDraw.h"

#include <cmath>
#include <vector>

namespace lctune {

namespace {

constexpr uint32_t kBackground = rgb(24, 31, 44);
constexpr uint32_t kGrid = rgb(94, 88, 66);
constexpr uint32_t kPen = rgb(167, 158, 131);
constexpr uint32_t kCut = rgb(188, 34, 1);
constexpr uint32_t kFlat = rgb(225, 168, 34);
constexpr uint32_t kBoost = rgb(0, 204, 0);

double cosineInterpolation(double a, double b, double t) {
    const double c = (1.0 - std::cos(t * 3.14159265358979)) / 2.0;
    return (1.0 - c) * a + c * b;
}

} // namespace

void 绘均衡曲线(PlotSurface& pic, std::span<const float> bandValues, double sliderMax) {
    const int32_t n = static_cast<int32_t>(bandValues.size());
    pic.scaleWidth(pic.pixelWidth());
    pic.scaleHeight(pic.pixelHeight());
    pic.backColor(kBackground);
    pic.clear();
    if (n < 1) return;
    const double h = roundHalfEven(pic.scaleHeight());
    const double w = roundHalfEven(pic.scaleWidth());
    const double step = roundHalfEven((w - 10.0) / n);

    // Curve points 1 … n: y grows with the gain and becomes a screen row when drawn.
    std::vector<double> x(static_cast<size_t>(n) + 1), y(static_cast<size_t>(n) + 1);
    for (int32_t i = 1; i <= n; ++i) {
        x[static_cast<size_t>(i)] = step * i - 4.0;
        const double ratio = sliderMax != 0 ? bandValues[static_cast<size_t>(i - 1)] / sliderMax : 0.0;
        y[static_cast<size_t>(i)] = h / 2.0 + ratio * (h / 2.0);
    }

    pic.clear();
    for (int32_t i = 1; i <= n; ++i)
        pic.line(x[static_cast<size_t>(i)], 2, x[static_cast<size_t>(i)], h - 2, kGrid);

    const double H = pic.scaleHeight();
    pic.drawColor(kPen);
    pic.point(x[1], H - roundHalfEven(y[1]) - 1.0, kPen);
    for (int32_t i = 1; i <= n - 1; ++i) {
        const double a = y[static_cast<size_t>(i)], b = y[static_cast<size_t>(i) + 1];
        const auto last = static_cast<int64_t>(5.0 * step);
        for (int64_t j = 0; j <= last; ++j) {
            const double t = (static_cast<double>(j) / 5.0) / step;
            const double P = roundHalfEven(cosineInterpolation(a, b, t) - 0.5);
            pic.drawColor(
                modDraw::GradientColor(static_cast<float>(h), static_cast<float>(P), kCut, kFlat, kBoost));
            pic.lineTo(x[static_cast<size_t>(i)] + static_cast<double>(j) / 5.0, H - P - 1.0);
        }
    }
}

std::string equaliserBandLabel(int32_t hertz) {
    if (hertz < 1001) return numberText(hertz) + " Hz";
    return numberText(hertz / 1000) + " kHz";
}

} // namespace lctune
