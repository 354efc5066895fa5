#pragma once
// The value of a bar or potentiometer: the value text as it was set (read through its leading
// number, so "441.3HZ" is 441.3) and the range [Min, max] the value moves in. A value outside the
// range widens the range to take it in; it is neither clamped nor refused. The widgets keep their
// own order of events and redraws around these steps.

#include <string>

namespace lctune {

class BarValue {
public:
    /// Which end of the range a widening moved.
    enum class Widened { None, Max, Min };

    BarValue(std::string text, double min, double max) : text_(std::move(text)), min_(min), max_(max) {}

    const std::string& text() const { return text_; }
    /// Replaces the text; false (and nothing changes) when it is the same text.
    bool text(std::string value);
    /// The leading number of the text; 0 when it starts with none.
    double number() const;

    double min() const { return min_; }
    void min(double value) { min_ = value; }
    double max() const { return max_; }
    void max(double value) { max_ = value; }
    /// Min = max: there is no position to show.
    bool emptyRange() const { return min_ == max_; }

    /// Moves the end that `value` lies beyond to exactly `value` (max is looked at first; one end
    /// per call). Exactly, not narrowed: a value narrowed to single precision could stay beyond
    /// the new end and widen again without end.
    Widened widenTo(double value);

    /// Where `value` lies in the range: 0 at Min, 1 at max.
    double fraction(double value) const { return (value - min_) / (max_ - min_); }
    /// The whole number nearest the position `f` (0 at Min, 1 at max), halves to even.
    double valueAt(double f) const;

private:
    std::string text_;
    double min_;
    double max_;
};

} // namespace lctune
