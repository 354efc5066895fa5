#include "core/Label.h"

#include "core/Numbers.h"

namespace lctune {

void NeedleValue::Value(double number) {
    // Beyond the range of single precision the value saturates instead of overflowing.
    const double limit = 3.0e38;
    const double clamped = number > limit ? limit : (number < -limit ? -limit : number);
    const int32_t rounded = roundToInt32(static_cast<double>(static_cast<float>(clamped)));
    if (rounded == value_) return;
    value_ = rounded;
    Change();
}

} // namespace lctune
