#pragma once
// The round potentiometer: a knob face, blue at rest and red while hovered, with a white pointer
// that turns clockwise through 270 degrees (45 at Min, pointing down-left, to 315 at max). The
// user turns it by dragging around its centre; below the centre the knob stops at its ends.
// Fixed size 705 x 855 twips.

#include "widgets/Potentiometer.h"

namespace lctune {

class 圆电位器 : public Potentiometer {
public:
    explicit 圆电位器(QWidget* parent = nullptr);

    void 绘控件();
    void 由一个值旋转圆电位器(double value);

    /// The pointer angle in degrees (45 ... 315) and the last drag angle in radians.
    double 度数() const { return 度数_; }
    double 弧度() const { return 弧度_; }
    /// The pointer line in twips: from the knob centre to its free end.
    const LineHolder& pointer() const { return 白线_; }
    static constexpr double kCentreX = 330, kCentreY = 360;

protected:
    void redraw() override { 绘控件(); }
    void hoverStarted() override { 绘控件(); }
    void hoverEnded() override { 绘控件(); }
    void drag(double x, double y) override;
    void paintOverlay(QPainter& painter) override;

private:
    LineHolder 白线_;
    double 度数_ = 180;
    double 弧度_ = 0;
};

} // namespace lctune
