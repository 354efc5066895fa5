#pragma once
// The needle meter: one of 41 pre-drawn needles (-20 ... +20) over a 303 x 305 pixel dial face.
// A number written to Value is taken as single precision and kept as a 16-bit integer rounded
// with halves to even; reading gives that integer back. Values outside -20 ... 20 hide every
// needle. The meter has no range, events or timers.

#include "widgets/SelfDrawnWidget.h"

#include <cstdint>

namespace lctune {

class 电平表 : public SelfDrawnWidget {
public:
    explicit 电平表(QWidget* parent = nullptr);

    float Value() const { return static_cast<float>(value_); }
    void Value(float value);

    /// Index of the needle picture on show (指针(index)), or -1 when none is.
    int shownNeedle() const { return shown_; }
    /// Top left of every needle picture, in pixels of the meter.
    QPoint needleOrigin() const;

    void ReadProperties(const PropertyBag& bag) override;
    void WriteProperties(PropertyBag& bag) const override;

protected:
    void onResized() override { draw(); }

private:
    void draw();

    int16_t value_ = 0;
    int shown_ = 20;
};

} // namespace lctune
