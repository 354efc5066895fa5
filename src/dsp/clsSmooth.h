#pragma once
// A moving average over the last few values, used to steady the level bars.

#include <cstdint>
#include <vector>

namespace lctune {

class clsSmooth {
public:
    /// Starts over with room for the last size values (at least 1).
    void SmoothNew(int32_t size);
    /// Adds a value, replacing the oldest once the ring is full. A smoother never sized keeps
    /// just the last value.
    void SmoothAdd(float sample);
    /// The mean of the stored values (the last size added, or all while fewer were added); 0 when
    /// nothing is stored. Despite the name, a mean, not a maximum.
    float SmoothGetMax();

    /// The largest mean reported while the ring was full.
    float largestMean() const { return largestMean_; }

private:
    float largestMean_ = 0;
    std::vector<float> ring_;
    int32_t capacity_ = 0;
    int32_t count_ = 0;
    int32_t position_ = 0;
};

} // namespace lctune
