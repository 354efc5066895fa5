#pragma once
// The straight-slide potentiometer: a vertical fader, 285 x 2025 twips, with eleven scale marks,
// a groove that turns red while the pointer is over it and a knob that the user drags up
// (towards max) and down (towards Min). The value is written underneath.

#include "widgets/Potentiometer.h"

namespace lctune {

class 直滑电位器 : public Potentiometer {
public:
    explicit 直滑电位器(QWidget* parent = nullptr);

    void 绘控件();

    /// Colour of the groove: navy at rest, red while hovered.
    uint32_t grooveColor() const { return 滑槽_.color; }
    /// Knob top in twips, and the pixel position it was last drawn at.
    double knobTop() const { return knobTop_; }
    /// Height of the drag area (透明图片), the scale of the drag, in twips.
    static constexpr double kDragHeight = 1815;

protected:
    void redraw() override;
    void hoverStarted() override;
    void hoverEnded() override;
    void drag(double x, double y) override;
    void paintOverlay(QPainter& painter) override;

private:
    LineHolder marks_[11];
    LineHolder 滑槽_;
    double knobTop_ = 0;
    double position_ = 0;
};

} // namespace lctune
