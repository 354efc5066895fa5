#include "widgets/电平表.h"

#include "core/Numbers.h"
#include "widgets/WidgetArtwork.h"

namespace lctune {

namespace {
constexpr double kNeedleWidthTwips = 185 * 15.0;
constexpr double kNeedleTopTwips = 840;
} // namespace

电平表::电平表(QWidget* parent) : SelfDrawnWidget(parent) {
    // The face covers every pixel: nothing behind the meter needs painting when the needle moves.
    setAttribute(Qt::WA_OpaquePaintEvent, true);
    resizeTwips(4544, 305 * twipsPerPixelY());
    // Every needle is drawn now, so memory does not creep up as the needle visits new places.
    for (int index = 0; index <= 40; ++index)
        artwork::needle(index, scale());
}

void 电平表::Value(float value) {
    // Beyond 16 bits the value saturates (it could not be stored otherwise); NaN reads 0.
    value_ = clip16(static_cast<double>(value));
    shown_ = value_ >= -20 && value_ <= 20 ? value_ + 20 : -1;
    draw();
}

QPoint 电平表::needleOrigin() const {
    const double left = (widthTwips() - kNeedleWidthTwips) / 2;
    return QPoint(roundToInt32(left / twipsPerPixelX()), roundToInt32(kNeedleTopTwips / twipsPerPixelY()));
}

void 电平表::draw() {
    const int s = scale();
    clearSurface(0);
    QPainter painter = beginSurface();
    painter.drawImage(QPoint(0, 0), artwork::dialFace(s));
    if (shown_ >= 0) {
        const artwork::Cutout& needle = artwork::needle(shown_, s);
        painter.drawImage(needleOrigin() + needle.offset, needle.image);
    }
    painter.end();
    present();
}

void 电平表::ReadProperties(const PropertyBag& bag) {
    // The saved value is only stored: the needle moves when Value is next written.
    value_ =
        static_cast<int16_t>(std::clamp<int64_t>(bag.ReadProperty("值", int64_t{0}), INT16_MIN, INT16_MAX));
}

void 电平表::WriteProperties(PropertyBag& bag) const {
    bag.WriteProperty("值", int64_t{value_}, int64_t{0});
}

} // namespace lctune
