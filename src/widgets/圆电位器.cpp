#include "widgets/圆电位器.h"

#include "core/Colors.h"
#include "core/Numbers.h"
#include "widgets/WidgetArtwork.h"

#include <cmath>
#include <numbers>

namespace lctune {

namespace {
constexpr double kLength = 180;
constexpr double kDegree = std::numbers::pi / 180.0;
} // namespace

圆电位器::圆电位器(QWidget* parent) : Potentiometer("50", QSize(705, 855), parent) {
    白线_ = {kCentreX, kCentreY, kCentreX, kCentreY - kLength, rgb(255, 255, 255), 2};
}

void 圆电位器::由一个值旋转圆电位器(double value) {
    const double D = 45 + 270 * (value - Min()) / (max() - Min());
    setFraction(barValue().fraction(value));
    度数_ = D;
    if (D >= 45 && D <= 315) {
        白线_.x2 = 白线_.x1 - kLength * std::sin(D * kDegree);
        白线_.y2 = 白线_.y1 + kLength * std::cos(D * kDegree);
    }
}

void 圆电位器::绘控件() {
    if (!barValue().emptyRange()) 由一个值旋转圆电位器(number());
    clearSurface(背景色());
    QPainter painter = beginSurface();
    painter.drawImage(QPoint(0, 0), artwork::knobFace(hovered(), scale()));
    painter.setRenderHint(QPainter::Antialiasing, true);
    drawTwipsLine(painter, 白线_);
    painter.end();
    present();
}

void 圆电位器::drag(double x, double y) {
    const double dx = x - kCentreX;
    const double dy = y - kCentreY;
    double D;
    if (dx == 0) {
        // Straight above the centre is the upright pointer; straight below lies in the dead zone
        // between the ends, where the knob stays as it is.
        if (dy >= 0) return;
        弧度_ = std::numbers::pi / 2;
        D = 180;
    } else {
        double a = std::atan(dy / dx) / kDegree;
        if (dx < 0 && dy > 0 && a < -45) a = -45;
        if (dx > 0 && dy > 0 && a > 45) a = 45;
        D = dx > 0 ? 270 + a : 90 + a;
        弧度_ = a * kDegree;
    }
    度数_ = D;
    valueText(numberText(barValue().valueAt((D - 45) / 270)));
}

void 圆电位器::paintOverlay(QPainter& painter) {
    paintValueText(painter, {0, 645, 705, 180});
}

} // namespace lctune
