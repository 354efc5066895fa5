#include "core/BarValue.h"

#include "core/Numbers.h"

namespace lctune {

bool BarValue::text(std::string value) {
    if (value == text_) return false;
    text_ = std::move(value);
    return true;
}

double BarValue::number() const {
    return leadingNumber(text_);
}

BarValue::Widened BarValue::widenTo(double value) {
    if (value > max_) {
        max_ = value;
        return Widened::Max;
    }
    if (value < min_) {
        min_ = value;
        return Widened::Min;
    }
    return Widened::None;
}

double BarValue::valueAt(double f) const {
    return roundHalfEven(min_ + f * (max_ - min_));
}

} // namespace lctune
