#include "widgets/PlainBar.h"

#include "core/Colors.h"
#include "core/Numbers.h"

namespace lctune {

PlainBar::PlainBar(bool vertical, QWidget* parent)
    : SelfDrawnWidget(parent), vertical_(vertical), 背景色_(rgb(192, 192, 192)) {
    红线_ = {15, 15, 15, 15, rgb(255, 0, 0), 3};
    白线_ = {15, 30, 15, 30, rgb(255, 255, 255), 1};
    if (!vertical_) {
        红线_ = {30, 15, 30, 15, rgb(255, 0, 0), 3};
        白线_ = {30, 15, 30, 15, rgb(255, 255, 255), 1};
    }
}

int32_t PlainBar::Value() const {
    return roundToInt32(value_.number());
}

void PlainBar::Value(int32_t value) {
    valueText(numberText(value));
}

void PlainBar::valueText(const std::string& text) {
    if (value_.text(text)) valueChanged();
}

// Setting an end (unlike a value beyond it) moves the other end and the value along with it.
void PlainBar::max(int32_t value) {
    value_.max(value);
    if (Min() > value) value_.min(value);
    if (Value() > value) value_.text(numberText(value));
    valueChanged();
}

void PlainBar::Min(int32_t value) {
    value_.min(value);
    if (max() < value) value_.max(value);
    if (Value() < value) value_.text(numberText(value));
    valueChanged();
}

void PlainBar::背景色(uint32_t value) {
    背景色_ = value;
    绘控件();
}

void PlainBar::进度条色(uint32_t value) {
    红线_.color = value;
    绘控件();
}

// A widening goes through the end's setter (which keeps Min at or below max and runs this step
// again for the new range) before this run draws.
void PlainBar::valueChanged() {
    const int32_t v = Value();
    switch (value_.widenTo(v)) {
    case BarValue::Widened::Max:
        max(v);
        break;
    case BarValue::Widened::Min:
        Min(v);
        break;
    case BarValue::Widened::None:
        redraw();
        if (!value_.emptyRange()) Change();
        return;
    }
    redraw();
}

void PlainBar::redraw() {
    if (max() == 0) return;
    const double v = Value();
    if (vertical_) {
        const double height = heightTwips();
        红线_.y1 = 白线_.y1 = height - 30;
        红线_.y2 = height - height * v / max();
        白线_.y2 = 红线_.y2 <= 白线_.y1 ? 红线_.y2 : 白线_.y1;
    } else {
        const double width = widthTwips();
        红线_.x2 = (width - 30) * v / max();
        白线_.x2 = 红线_.x2 >= 白线_.x1 ? 红线_.x2 : 白线_.x1;
    }
    绘控件();
}

void PlainBar::绘控件() {
    clearSurface(背景色_);
    QPainter painter = beginSurface();
    drawTwipsLine(painter, 红线_);
    drawTwipsLine(painter, 白线_);
    painter.end();
    present();
}

void PlainBar::onResized() {
    if (vertical_) {
        if (widthTwips() != 45) {
            resizeTwips(45, heightTwips());
        }
        红线_.y1 = 15, 红线_.y2 = heightTwips() - 15;
        白线_.y1 = 30, 白线_.y2 = heightTwips() - 30;
    } else {
        if (heightTwips() != 45) {
            resizeTwips(widthTwips(), 45);
        }
        红线_.x2 = widthTwips() - 15;
        白线_.x2 = widthTwips() - 30;
    }
    valueChanged();
}

void PlainBar::showEvent(QShowEvent* event) {
    SelfDrawnWidget::showEvent(event);
    redraw();
}

void PlainBar::ReadProperties(const PropertyBag& bag) {
    // A key that fails to load is skipped and loading goes on.
    auto clamp32 = [](int64_t v) {
        return static_cast<int32_t>(std::clamp<int64_t>(v, INT32_MIN, INT32_MAX));
    };
    if (auto v = bag.tryReadInteger("最大值"))
        value_.max(clamp32(*v));
    else if (!bag.contains("最大值"))
        value_.max(32767);
    if (auto v = bag.tryReadInteger("最小值"))
        value_.min(clamp32(*v));
    else if (!bag.contains("最小值"))
        value_.min(0);
    if (auto text = bag.readText("值"))
        valueText(*text);
    else
        valueText("0");
    背景色(bag.ReadColor("背景色", rgb(192, 192, 192)));
    进度条色(bag.ReadColor("进度条色", rgb(255, 0, 0)));
    刷新_ = bag.ReadProperty("需要刷新", false);
}

void PlainBar::WriteProperties(PropertyBag& bag) const {
    bag.WriteProperty("最大值", int64_t{max()}, int64_t{32767});
    bag.WriteProperty("最小值", int64_t{Min()}, int64_t{0});
    bag.WriteProperty("值", value_.text(), std::string("0"));
    bag.WriteColor("背景色", 背景色_, rgb(192, 192, 192));
    bag.WriteColor("进度条色", 红线_.color, rgb(255, 0, 0));
    bag.WriteProperty("需要刷新", 刷新_, false);
}

} // namespace lctune
