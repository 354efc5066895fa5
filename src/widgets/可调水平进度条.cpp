#include "widgets/可调水平进度条.h"

#include "core/Colors.h"
#include "core/Numbers.h"
#include "widgets/岚川界面控件图片库.h"
#include "widgets/绘透明图.h"

#include <QMouseEvent>

namespace lctune {

namespace {
constexpr double kHeight = 285;
constexpr double kArrowWidth = 150, kArrowHeight = 165;
constexpr double kTextHeight = 225;
} // namespace

可调水平进度条::可调水平进度条(QWidget* parent) : SelfDrawnWidget(parent), 背景色_(rgb(192, 192, 192)) {
    黑线_ = {0, 0, 0, 0, rgb(96, 96, 96), 7};
    粗线_ = {0, 0, 0, 0, rgb(255, 0, 0), 7};
    中线_ = {0, 0, 0, 0, lighterTint(rgb(255, 0, 0)), 3};
    细线_ = {0, 0, 0, 0, rgb(255, 255, 255), 1};
    左白_ = 左黑_ = 右白_ = 右黑_ = {0, 0, kArrowWidth, kArrowHeight};
    向下调节键白_ = {0, 0, 105, 240};
    向下调节键黑_ = {30, 0, 105, 240};
    timer1_.setTimerType(Qt::PreciseTimer);
    跑到Timer_.setTimerType(Qt::PreciseTimer);
    timer1_.setInterval(500);
    跑到Timer_.setInterval(50);
    QObject::connect(&timer1_, &QTimer::timeout, this, [this] {
        timer1_.stop();
        跑到Timer_.start();
    });
    QObject::connect(&跑到Timer_, &QTimer::timeout, this, [this] { step(direction_); });
    QFont small = font();
    small.setPixelSize(11);
    setFont(small);
    resizeTwips(1800, kHeight);
}

float 可调水平进度条::Value() const {
    return static_cast<float>(value_.number());
}

void 可调水平进度条::Value(float value) {
    valueText(singleText(value));
}

void 可调水平进度条::valueText(const std::string& text) {
    if (value_.text(text)) valueChanged();
}

void 可调水平进度条::max(double value) {
    storeMax(static_cast<float>(value));
}

void 可调水平进度条::Min(double value) {
    storeMin(static_cast<float>(value));
}

void 可调水平进度条::storeMax(double value) {
    value_.max(value);
    lastKnob_ = 0;
    valueChanged();
}

void 可调水平进度条::storeMin(double value) {
    value_.min(value);
    valueChanged();
}

void 可调水平进度条::进度条色(uint32_t value) {
    粗线_.color = value;
    中线_.color = lighterTint(value);
    lastKnob_ = 0;
    绘控件();
}

void 可调水平进度条::背景色(uint32_t value) {
    lastKnob_ = 0;
    背景色_ = value;
    绘控件();
}

void 可调水平进度条::显示数值(bool value) {
    显示数字选择_ = value;
    setShownText(value ? value_.text() : std::string());
}

void 可调水平进度条::setShownText(const std::string& text) {
    if (text == 显示值_) return;
    显示值_ = text;
    update();
}

// A widening runs the whole step again for the new range before this run draws.
void 可调水平进度条::valueChanged() {
    Change();
    const BarValue::Widened widened = value_.widenTo(value_.number());
    if (widened == BarValue::Widened::Max) lastKnob_ = 0;
    if (widened != BarValue::Widened::None) {
        valueChanged();
        绘控件();
        return;
    }
    绘控件();
    if (!value_.emptyRange()) setShownText(显示数字选择_ ? value_.text() : std::string());
}

void 可调水平进度条::layOut() {
    lastKnob_ = 0;
    if (heightTwips() != kHeight) resizeTwips(widthTwips(), kHeight);
    const double width = widthTwips();
    左白_.left = 0;
    左白_.top = kHeight - 左白_.height - 30;
    左黑_.left = 左白_.left + 30;
    左黑_.top = 左白_.top + 30;
    右黑_.left = width - 右黑_.width;
    右白_.left = 右黑_.left - 30;
    右白_.top = 左白_.top;
    右黑_.top = 左黑_.top;
    粗线_.x1 = 左白_.width + 60;
    粗线_.x2 = 右白_.left - 60 - 15;
    粗线_.y1 = 粗线_.y2 = kHeight - 左白_.height / 2 - 30;
    for (LineHolder* line : {&中线_, &细线_}) {
        line->x1 = 粗线_.x1, line->x2 = 粗线_.x2, line->y1 = 粗线_.y1, line->y2 = 粗线_.y2;
    }
    黑线_.x1 = 粗线_.x1 + 30, 黑线_.x2 = 粗线_.x2 + 30, 黑线_.y1 = 粗线_.y1 + 30, 黑线_.y2 = 粗线_.y2 + 30;
    显示值Rect_ = {左白_.width, 30, width - 左白_.width - 右白_.width - 30, kTextHeight};
    绘控件();
}

void 可调水平进度条::无条件绘控件() {
    lastKnob_ = 0;
    绘控件();
}

void 可调水平进度条::绘控件() {
    if (value_.emptyRange()) return;
    const double f = value_.fraction(value_.number());
    fraction_ = f;
    const double textWidth = 显示值Rect_.width;
    const double p = 60 + f * (textWidth - 120);
    if (p < 60 || p > textWidth - 60) return;
    向下调节键白_.left = p + 粗线_.x1 - 120;
    向下调节键黑_.left = 向下调节键白_.left + 30;
    细线_.x2 = 细线_.x1 + roundHalfEven(f * (粗线_.x2 - 粗线_.x1));
    const int32_t k = roundToInt32(向下调节键白_.left) / std::max(1, roundToInt32(twipsPerPixelX()));
    if (k == lastKnob_) return;

    clearSurface(背景色_);
    {
        QPainter painter = beginSurface();
        painter.setRenderHint(QPainter::Antialiasing, true);
        for (const LineHolder* line : {&黑线_, &粗线_, &中线_, &细线_})
            drawTwipsLine(painter, *line);
    }
    const auto& library = 岚川界面控件图片库::instance();
    const int s = scale();
    QImage& target = drawingSurface();
    auto blit = [&](const QImage& picture, const TwipsRect& at) {
        const int x = roundToInt32(at.left / twipsPerPixelX()) * s;
        const int y = roundToInt32(at.top / twipsPerPixelY()) * s;
        绘透明图(target, x, y, picture.width(), picture.height(), picture, 0, 0, 0);
    };
    blit(library.左方向黑色图片(s), 左黑_);
    blit(library.左方向白色图片(s), 左白_);
    blit(library.右方向黑色图片(s), 右黑_);
    blit(library.右方向白色图片(s), 右白_);
    blit(library.向下调节块图(s), 向下调节键白_);
    lastKnob_ = k;
    present();
}

void 可调水平进度条::paintOverlay(QPainter& painter) {
    if (显示值_.empty()) return;
    const double px = twipsPerPixelX(), py = twipsPerPixelY();
    const QString text = QString::fromStdString(显示值_);
    const QRectF area(显示值Rect_.left / px, 显示值Rect_.top / py, 显示值Rect_.width / px,
                      QFontMetricsF(font()).height());
    painter.setFont(font());
    painter.setPen(Qt::black);
    painter.drawText(area.translated(15 / px, 15 / py), Qt::AlignHCenter | Qt::AlignTop, text);
    painter.setPen(Qt::white);
    painter.drawText(area, Qt::AlignHCenter | Qt::AlignTop, text);
}

void 可调水平进度条::step(int direction) {
    const double v = value_.number();
    if (direction == -1) {
        if (v - 1 >= value_.min()) Value(static_cast<float>(v - 1));
    } else {
        if (v + 1 <= value_.max()) Value(static_cast<float>(v + 1));
    }
}

void 可调水平进度条::keyPressed(int direction) {
    timer1_.start();
    direction_ = direction;
    TwipsRect& white = direction == -1 ? 左白_ : 右白_;
    const TwipsRect& shadow = direction == -1 ? 左黑_ : 右黑_;
    white.left = shadow.left - 15;
    white.top = shadow.top - 15;
    无条件绘控件();
}

void 可调水平进度条::keyReleased(int direction) {
    timer1_.stop();
    if (!跑到Timer_.isActive()) step(direction);
    跑到Timer_.stop();
    TwipsRect& white = direction == -1 ? 左白_ : 右白_;
    const TwipsRect& shadow = direction == -1 ? 左黑_ : 右黑_;
    white.left = shadow.left - 30;
    white.top = shadow.top - 30;
    无条件绘控件();
}

可调水平进度条::Element 可调水平进度条::elementAt(double x, double y) const {
    if (左白_.contains(x, y)) return Element::LeftKey;
    if (右白_.contains(x, y)) return Element::RightKey;
    if (显示值Rect_.contains(x, y)) return Element::Text;
    return Element::Background;
}

TwipsRect 可调水平进度条::rectOf(Element element) const {
    switch (element) {
    case Element::LeftKey:
        return 左白_;
    case Element::RightKey:
        return 右白_;
    case Element::Text:
        return 显示值Rect_;
    default:
        return {0, 0, widthTwips(), heightTwips()};
    }
}

void 可调水平进度条::mousePressEvent(QMouseEvent* event) {
    const double x = event->position().x() * twipsPerPixelX(), y = event->position().y() * twipsPerPixelY();
    captured_ = elementAt(x, y);
    const TwipsRect at = rectOf(captured_);
    const int button = buttonCode(event->button()), shift = shiftCode(event->modifiers());
    if (event->button() == Qt::LeftButton && captured_ == Element::LeftKey) keyPressed(-1);
    if (event->button() == Qt::LeftButton && captured_ == Element::RightKey) keyPressed(0);
    MouseDown(button, shift, static_cast<float>(x - at.left), static_cast<float>(y - at.top));
}

void 可调水平进度条::mouseMoveEvent(QMouseEvent* event) {
    const double x = event->position().x() * twipsPerPixelX(), y = event->position().y() * twipsPerPixelY();
    const Element element = event->buttons() != Qt::NoButton ? captured_ : elementAt(x, y);
    const TwipsRect at = rectOf(element);
    const int button = buttonCode(event->buttons()), shift = shiftCode(event->modifiers());
    double localX = x - at.left;
    if (element == Element::Text && button == 1 && 显示值Rect_.width > 120) {
        const double width = 显示值Rect_.width;
        localX = std::clamp(localX, 60.0, width - 60);
        const double f = (localX - 60) / (width - 120);
        valueText(numberText(value_.valueAt(f)));
    }
    MouseMove(button, shift, static_cast<float>(localX), static_cast<float>(y - at.top));
}

void 可调水平进度条::mouseReleaseEvent(QMouseEvent* event) {
    const double x = event->position().x() * twipsPerPixelX(), y = event->position().y() * twipsPerPixelY();
    const Element element = captured_;
    const TwipsRect at = rectOf(element);
    if (event->button() == Qt::LeftButton && element == Element::LeftKey) keyReleased(-1);
    if (event->button() == Qt::LeftButton && element == Element::RightKey) keyReleased(0);
    captured_ = Element::Background;
    MouseUp(buttonCode(event->button()), shiftCode(event->modifiers()), static_cast<float>(x - at.left),
            static_cast<float>(y - at.top));
}

void 可调水平进度条::onResized() {
    layOut();
}

void 可调水平进度条::showEvent(QShowEvent* event) {
    SelfDrawnWidget::showEvent(event);
    无条件绘控件();
}

void 可调水平进度条::ReadProperties(const PropertyBag& bag) {
    进度条色(bag.ReadColor("进度条色", rgb(255, 0, 0)));
    背景色(bag.ReadColor("背景色", rgb(192, 192, 192)));
    显示数值(bag.ReadProperty("显示数值", true));
    value_.max(bag.ReadProperty("最大值", 100.0));
    value_.min(bag.ReadProperty("最小值", 0.0));
    value_.text(bag.ReadProperty("值", std::string("0")));
    valueChanged();
}

void 可调水平进度条::WriteProperties(PropertyBag& bag) const {
    bag.WriteColor("进度条色", 粗线_.color, rgb(255, 0, 0));
    bag.WriteColor("背景色", 背景色_, rgb(192, 192, 192));
    bag.WriteProperty("显示数值", 显示数字选择_, true);
    bag.WriteProperty("最大值", value_.max(), 100.0);
    bag.WriteProperty("最小值", value_.min(), 0.0);
    bag.WriteProperty("值", value_.text(), std::string("0"));
}

} // namespace lctune
