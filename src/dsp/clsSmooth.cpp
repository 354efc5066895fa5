#include "dsp/clsSmooth.h"

#include <algorithm>

namespace lctune {

void clsSmooth::SmoothNew(int32_t size) {
    capacity_ = std::max<int32_t>(size, 1);
    ring_.assign(static_cast<size_t>(capacity_), 0.0f);
    count_ = 0;
    position_ = 0;
    largestMean_ = 0;
}

void clsSmooth::SmoothAdd(float sample) {
    if (capacity_ == 0) SmoothNew(1);
    ring_[static_cast<size_t>(position_)] = sample;
    ++position_;
    if (position_ > count_) ++count_;
    if (position_ >= capacity_) position_ %= capacity_;
}

float clsSmooth::SmoothGetMax() {
    if (count_ == 0) return 0.0f;
    float sum = 0.0f;
    for (int32_t i = 0; i < count_; ++i)
        sum += ring_[static_cast<size_t>(i)];
    const float mean = sum / static_cast<float>(count_);
    if (count_ == capacity_ && mean > largestMean_) largestMean_ = mean;
    return mean;
}

} // namespace lctune
