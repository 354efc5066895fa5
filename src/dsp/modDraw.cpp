#include "dsp/modDraw.h"

#include "core/Colors.h"
#include "core/Numbers.h"

#include <algorithm>
#include <cmath>

namespace lctune::modDraw {

namespace {

uint32_t component(float from, float to, float half, float t) {
    const float v = from + (to - from) / half * t;
    return static_cast<uint32_t>(std::clamp(roundHalfEven(v), 0.0, 255.0));
}

} // namespace

uint32_t GradientColor(float fullScale, float value, uint32_t color1, uint32_t color2, uint32_t color3) {
    if (!(fullScale > 0.0f) || !std::isfinite(fullScale)) return color1;
    value = std::isnan(value) ? 0.0f : std::clamp(value, 0.0f, fullScale);

    const float half = fullScale / 2.0f;
    uint32_t from = color1;
    uint32_t to = color2;
    float t = value;
    if (!(value < half)) {
        from = color2;
        to = color3;
        t = value - half;
    }
    const auto f = [](uint32_t c) { return static_cast<float>(c); };
    return rgb(component(f(redOf(from)), f(redOf(to)), half, t),
               component(f(greenOf(from)), f(greenOf(to)), half, t),
               component(f(blueOf(from)), f(blueOf(to)), half, t));
}

} // namespace lctune::modDraw
