#include "widgets/Potentiometer.h"

#include "core/Colors.h"
#include "core/Numbers.h"

#include <QMouseEvent>

namespace lctune {

Potentiometer::Potentiometer(const char* defaultValue, QSize fixedSizeTwips, QWidget* parent)
    : SelfDrawnWidget(parent), defaultValue_(defaultValue), fixedSize_(fixedSizeTwips),
      value_(defaultValue, 0, 100), 背景色_(rgb(0, 192, 192)) {
    hoverTimer_.setInterval(100);
    QObject::connect(&hoverTimer_, &QTimer::timeout, this, [this] {
        鼠标位置检测与响应();
        if (!hover_) hoverTimer_.stop();
    });
    QFont small = font();
    small.setPixelSize(10);
    setFont(small);
    resizeTwips(fixedSize_.width(), fixedSize_.height());
}

float Potentiometer::Value() const {
    return static_cast<float>(number());
}

double Potentiometer::number() const {
    return value_.number();
}

void Potentiometer::Value(float value) {
    valueText(singleText(value));
}

void Potentiometer::valueText(const std::string& text) {
    if (!value_.text(text)) return;
    update();
    valueChanged();
}

void Potentiometer::max(double value) {
    storeMax(static_cast<float>(value));
}

void Potentiometer::Min(double value) {
    storeMin(static_cast<float>(value));
}

void Potentiometer::storeMax(double value) {
    value_.max(value);
    valueChanged();
}

void Potentiometer::storeMin(double value) {
    value_.min(value);
    valueChanged();
}

void Potentiometer::背景色(uint32_t value) {
    背景色_ = value;
    valueChanged();
}

void Potentiometer::显示数值(bool value) {
    显示数字选择_ = value;
    update();
    valueChanged();
}

// A widening runs the whole step again for the new range before this run draws.
void Potentiometer::valueChanged() {
    if (value_.widenTo(number()) != BarValue::Widened::None) {
        valueChanged();
        redraw();
        return;
    }
    if (value_.emptyRange()) return;
    redraw();
    Change();
}

void Potentiometer::鼠标位置检测与响应() {
    if (pointerInWindowRect()) return;
    if (hover_) {
        hover_ = false;
        hoverEnded();
    }
}

void Potentiometer::paintValueText(QPainter& painter, const TwipsRect& area) const {
    if (!显示数字选择_) return;
    const double px = twipsPerPixelX(), py = twipsPerPixelY();
    painter.setFont(font());
    painter.setPen(Qt::white);
    painter.drawText(QRectF(area.left / px, area.top / py, area.width / px, area.height / py),
                     Qt::AlignHCenter | Qt::AlignTop, QString::fromStdString(value_.text()));
}

void Potentiometer::onResized() {
    const QSize wanted(roundToInt32(fixedSize_.width() / twipsPerPixelX()),
                       roundToInt32(fixedSize_.height() / twipsPerPixelY()));
    if (size() != wanted) resizeTwips(fixedSize_.width(), fixedSize_.height());
    valueChanged();
}

void Potentiometer::showEvent(QShowEvent* event) {
    SelfDrawnWidget::showEvent(event);
    valueChanged();
}

void Potentiometer::mousePressEvent(QMouseEvent*) {
    MouseDown();
}

void Potentiometer::mouseMoveEvent(QMouseEvent* event) {
    if (!hover_) {
        hover_ = true;
        hoverStarted();
    }
    鼠标位置检测与响应();
    hoverTimer_.stop();
    hoverTimer_.start();
    if (event->buttons() == Qt::LeftButton && !value_.emptyRange()) {
        drag(event->position().x() * twipsPerPixelX(), event->position().y() * twipsPerPixelY());
    }
    MouseMove();
}

void Potentiometer::mouseReleaseEvent(QMouseEvent*) {
    MouseUp();
}

void Potentiometer::ReadProperties(const PropertyBag& bag) {
    背景色(bag.ReadColor("背景色", rgb(0, 192, 192)));
    显示数值(bag.ReadProperty("显示数值", true));
    value_.max(bag.ReadProperty("最大值", 100.0));
    value_.min(bag.ReadProperty("最小值", 0.0));
    value_.text(bag.ReadProperty("值", defaultValue_));
    update();
    valueChanged();
}

void Potentiometer::WriteProperties(PropertyBag& bag) const {
    bag.WriteColor("背景色", 背景色_, rgb(0, 192, 192));
    bag.WriteProperty("显示数值", 显示数字选择_, true);
    bag.WriteProperty("最大值", value_.max(), 100.0);
    bag.WriteProperty("最小值", value_.min(), 0.0);
    bag.WriteProperty("值", value_.text(), defaultValue_);
}

} // namespace lctune
