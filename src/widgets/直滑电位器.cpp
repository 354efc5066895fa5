#include "widgets/直滑电位器.h"

#include "core/Colors.h"
#include "core/Numbers.h"
#include "widgets/WidgetArtwork.h"
#include "widgets/绘透明图.h"

namespace lctune {

namespace {
constexpr double H = 直滑电位器::kDragHeight;
constexpr double kKnobLeft = 45;
} // namespace

直滑电位器::直滑电位器(QWidget* parent) : Potentiometer("0", QSize(285, 2025), parent) {
    for (int i = 0; i < 11; ++i) {
        const double y = 150.0 * (i + 1);
        const bool long_ = i == 0 || i == 5 || i == 10;
        marks_[i] = {long_ ? 0.0 : 30.0, y, long_ ? 290.0 : 260.0, y, rgb(0, 0, 0), 1};
    }
    滑槽_ = {135, 45, 135, 1770, rgb(0, 0, 128), 5};
}

void 直滑电位器::redraw() {
    const double f = barValue().fraction(number());
    setFraction(f);
    position_ = 150 + f * (H - 300);
    if (position_ >= 150 && position_ <= H - 150) 绘控件();
}

void 直滑电位器::绘控件() {
    clearSurface(背景色());
    QPainter painter = beginSurface();
    for (const LineHolder& mark : marks_)
        drawTwipsLine(painter, mark);
    painter.setRenderHint(QPainter::Antialiasing, true);
    drawTwipsLine(painter, 滑槽_);
    painter.end();
    knobTop_ = (H - 150) - position_;
    const QImage& knob = artwork::faderKnob(scale());
    QImage& target = drawingSurface();
    绘透明图(target, roundToInt32(kKnobLeft / twipsPerPixelX()) * scale(),
             roundToInt32(knobTop_ / twipsPerPixelY()) * scale(), knob.width(), knob.height(), knob, 0, 0, 0);
    present();
}

void 直滑电位器::hoverStarted() {
    滑槽_.color = rgb(192, 0, 0);
    redraw();
}

void 直滑电位器::hoverEnded() {
    // One step bluer than the navy at creation, as the widget has always done.
    滑槽_.color = rgb(0, 0, 129);
    redraw();
}

void 直滑电位器::drag(double, double y) {
    y = std::clamp(y, 150.0, H - 150);
    const double f = 1 - (y - 150) / (H - 300);
    valueText(numberText(barValue().valueAt(f)));
}

void 直滑电位器::paintOverlay(QPainter& painter) {
    paintValueText(painter, {15, 1830, 270, 195});
}

} // namespace lctune
