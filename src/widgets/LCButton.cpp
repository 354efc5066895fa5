#include "widgets/LCButton.h"

#include "core/Colors.h"
#include "core/Numbers.h"
#include "widgets/ButtonLayout.h"
#include "widgets/按钮控件图片窗.h"
#include "widgets/绘透明图.h"

#include <QFocusEvent>
#include <QKeyEvent>
#include <QMouseEvent>

#include <algorithm>

namespace lctune {

namespace {

constexpr uint32_t k静态外边框色 = rgb(64, 64, 64);
constexpr uint32_t k失效外边框色 = rgb(128, 128, 128);
constexpr uint32_t k聚焦内边框色 = rgb(0, 0, 255);
constexpr uint32_t k经过内边框色 = rgb(255, 255, 0);
constexpr uint32_t kDisabledCaption = rgb(192, 192, 192);

int facesRenderedCount = 0;

uint32_t addToChannels(uint32_t c, int amount) {
    auto add = [&](uint32_t x) {
        return static_cast<uint32_t>(std::clamp(static_cast<int>(x) + amount, 0, 255));
    };
    return rgb(add(redOf(c)), add(greenOf(c)), add(blueOf(c)));
}

QImage filled(int width, int height, int scale, uint32_t color) {
    QImage image(QSize(width, height) * scale, QImage::Format_RGB32);
    image.fill(SelfDrawnWidget::qColor(color));
    image.setDevicePixelRatio(scale);
    return image;
}

// White at the top, the base colour b at the middle row m = h / 2, and from the last row at or
// above the middle down to row h half-way back to white.
QImage normalFace(int h, int scale, uint32_t base, int brightness) {
    const int width = 2;
    QImage image(QSize(width, h) * scale, QImage::Format_RGB32);
    const double m = h / 2.0;
    const double y0 = std::floor(m);
    int b[3];
    const uint32_t channels[3] = {redOf(base), greenOf(base), blueOf(base)};
    for (int i = 0; i < 3; ++i)
        b[i] = std::clamp(static_cast<int>(channels[i]) + brightness, 0, 255);
    for (int row = 0; row < h * scale; ++row) {
        const double y = static_cast<double>(row) / scale;
        int c[3];
        for (int i = 0; i < 3; ++i) {
            double value;
            if (y <= m) {
                value = std::max(0.0, 255.0 - (255.0 - b[i]) * y / m);
            } else {
                const double c0 = 255.0 - (255.0 - b[i]) * y0 / m;
                value = std::min(255.0, c0 + (255.0 - c0) / m / 2.0 * (y - y0));
            }
            c[i] = static_cast<int>(roundHalfEven(value));
        }
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(row));
        std::fill_n(line, width * scale, qRgb(c[0], c[1], c[2]));
    }
    image.setDevicePixelRatio(scale);
    return image;
}

} // namespace

LCButton::LCButton(QWidget* parent) : PushButtonBase(parent), 按键色_(rgb(0, 128, 128)) {
    setAttribute(Qt::WA_InputMethodEnabled, false);
    resize(75, 25);
}

int LCButton::facesRendered() {
    return facesRenderedCount;
}

int LCButton::heldBrightness(int value) {
    return std::clamp(value, -255, 255);
}

void LCButton::工具棒(bool value) {
    工具棒_ = value;
    重绘();
}

void LCButton::按键色(uint32_t value) {
    if (value == 按键色_) return;
    按键色_ = value;
    重绘();
}

void LCButton::亮度(int16_t value) {
    savedBrightness_ = value;
    brightnessInUse_ = heldBrightness(value);
    重绘();
}

std::string LCButton::faceKey() const {
    std::string key = numberText(static_cast<int64_t>(按键色_));
    key += '_';
    key += numberText(heightTwips());
    key += '_';
    key += numberText(static_cast<int64_t>(brightnessInUse_));
    if (scale() > 1) {
        // Faces for a doubled screen have twice the rows; they are cached apart.
        key += '@';
        key += numberText(int64_t{scale()});
    }
    return key;
}

void LCButton::重绘() {
    if (loading_) return;
    layOut();
    变色处理();
}

void LCButton::layOut() {
    if (heightTwips() < 60.0) {
        resizeTwips(widthTwips(), 60.0);
    }
    W_ = roundToInt32(widthTwips() / twipsPerPixelX());
    H_ = roundToInt32(heightTwips() / twipsPerPixelY());
    const QFontMetrics metrics(font());
    const QString text = QString::fromStdString(caption_);
    const QSize captionSize(metrics.horizontalAdvance(text), metrics.height());
    const QSize iconSize = hasIcon() ? picture_.size() / std::max(1.0, picture_.devicePixelRatio()) : QSize();
    const ButtonPlacement at = placeIconAndCaption(图片位置_, QSize(W_, H_), QSize(W_ - 1, H_ - 1), iconSize,
                                                   captionSize, hasIcon(), caption_.empty());
    iconAt_ = at.icon;
    captionAt_ = at.caption;
    lastHeight_ = H_;
}

void LCButton::变色处理() {
    if (!paintedOnce_ || 按键色_ > 0xFFFFFFu) return;
    auto& store = 按钮控件图片窗::instance();
    const std::string key = faceKey();
    const int n = store.find(key);
    if (n >= 0) {
        store.按钮控件编号_读(n);
        drawButton();
    } else {
        renderFaces();
        drawButton();
        store.控件特征list.push_back(key);
        store.按钮控件编号_写(static_cast<int>(store.控件特征list.size()) - 1);
    }
}

void LCButton::renderFaces() {
    auto& store = 按钮控件图片窗::instance();
    const int s = scale();
    store.按下图 = {2, filled(2, 2, s, addToChannels(按键色_, -32))};
    store.失效图 = {2, filled(2, 2, s, addToChannels(按键色_, 225))};
    store.静态图 = {H_, normalFace(std::max(1, H_), s, 按键色_, brightnessInUse_)};
    ++facesRenderedCount;
}

void LCButton::drawButton() {
    const auto& store = 按钮控件图片窗::instance();
    const bool isFlat = flat();
    clearSurface(addToChannels(按键色_, 16));
    {
        QPainter painter = beginSurface();
        const QRect inner(1, 1, W_ - 3, H_ - 3);
        if (enabled_) {
            if (pressed_) {
                painter.drawImage(inner, store.按下图.image);
            } else if (isFlat) {
                painter.fillRect(rect(), qColor(addToChannels(按键色_, 16)));
            } else {
                painter.drawImage(inner, store.静态图.image);
            }
        } else {
            painter.drawImage(inner, store.失效图.image);
        }
    }
    if (hasIcon()) {
        const int s = scale();
        const QSize logical = picture_.size() / std::max(1.0, picture_.devicePixelRatio());
        const QImage icon = picture_.size() == logical * s
                                ? picture_
                                : picture_.scaled(logical * s, Qt::IgnoreAspectRatio, Qt::FastTransformation);
        const int drop = pressed_ && enabled_ ? roundToInt32(0.1 * logical.height()) : 0;
        QImage& target = drawingSurface();
        绘透明图(target, iconAt_.x() * s, (iconAt_.y() + drop) * s, icon.width(), icon.height(), icon, 0, 0,
                 iconMaskColor_);
    }
    QPainter painter = beginSurface();
    const uint32_t outer = isFlat ? addToChannels(按键色_, 96) : enabled_ ? k静态外边框色 : k失效外边框色;
    drawRoundOutline(painter, 0, 0, W_ - 1, H_ - 1, cRad_, qColor(outer));
    if (!isFlat)
        drawRoundOutline(painter, 1, 1, W_ - 2, H_ - 2, cRad_ - 1, qColor(addToChannels(按键色_, 96)));
    if (!caption_.empty()) {
        painter.setFont(font());
        painter.setPen(qColor(enabled_ ? 标题色_ : kDisabledCaption));
        const int down = pressed_ && enabled_ ? 1 : 0;
        const QFontMetrics metrics(font());
        painter.drawText(QPoint(captionAt_.x(), captionAt_.y() + down + metrics.ascent()),
                         QString::fromStdString(caption_));
    }
    if (focused_ && enabled_) {
        drawRoundOutline(painter, 2, 2, W_ - 3, H_ - 3, cRad_ - 1, qColor(k聚焦内边框色), true);
    }
    cutRoundedCorners(painter, W_, H_, cRad_);
    painter.end();
    hoverRingDrawn_ = false;
    鼠标焦点回应();
    present();
}

void LCButton::drawRing(uint32_t color) {
    QPainter painter = beginSurface();
    drawRoundOutline(painter, 2, 2, W_ - 3, H_ - 3, cRad_ - 1, qColor(color), true);
    painter.end();
    present();
}

void LCButton::鼠标位置检测与响应() {
    inside_ = pointerInWindowRect();
    鼠标焦点回应();
}

void LCButton::鼠标焦点回应() {
    if (inside_) {
        wasInside_ = true;
        outReported_ = false;
        if (!hoverRingDrawn_ && (!focused_ || enabled_)) {
            drawRing(k经过内边框色);
            hoverRingDrawn_ = true;
        }
        return;
    }
    pressed_ = false;
    if (wasInside_ && !outReported_) {
        wasInside_ = false;
        MouseOut();
        outReported_ = true;
        if (enabled_ && focused_) drawRing(k聚焦内边框色);
    }
}

void LCButton::hoverTick() {
    鼠标位置检测与响应();
    if (inside_) return;
    hoverTimer_.stop();
    brightnessInUse_ = heldBrightness(savedBrightness_);
    hoverRingDrawn_ = false;
    变色处理();
}

void LCButton::click() {
    if (!enabled_) return;
    Click();
    pressed_ = false;
    重绘();
}

void LCButton::ReadProperties(const PropertyBag& bag) {
    loading_ = true;
    工具棒(bag.ReadProperty("是工具棒", false));
    按键色(bag.ReadColor("按键颜色", rgb(0, 128, 128)));
    亮度(static_cast<int16_t>(
        std::clamp<int64_t>(bag.ReadProperty("按键的亮度", int64_t{18}), INT16_MIN, INT16_MAX)));
    readButtonProperties(bag);
    loading_ = false;
    重绘();
}

void LCButton::WriteProperties(PropertyBag& bag) const {
    bag.WriteProperty("是工具棒", 工具棒_, false);
    bag.WriteColor("按键颜色", 按键色_, rgb(0, 128, 128));
    bag.WriteProperty("按键的亮度", int64_t{savedBrightness_}, int64_t{18});
    bag.WriteProperty("圆角宽度", int64_t{cRad_}, int64_t{5});
    bag.WriteProperty("Caption", caption_, std::string());
    bag.WriteColor("标题色", 标题色_, 0);
    bag.WriteProperty("图片的位置", int64_t{图片位置_}, int64_t{0});
    bag.WriteColor("图案.BackColor", iconMaskColor_, rgb(0, 0, 254));
    bag.WriteProperty("有效", enabled_, true);
    bag.WriteProperty("Picture", pictureText(picture_), std::string());
}

void LCButton::onResized() {
    重绘();
}

void LCButton::showEvent(QShowEvent* event) {
    SelfDrawnWidget::showEvent(event);
    重绘();
}

void LCButton::paintEvent(QPaintEvent* event) {
    if (!paintedOnce_) {
        paintedOnce_ = true;
        layOut();
    }
    painting_ = true;
    变色处理();
    painting_ = false;
    SelfDrawnWidget::paintEvent(event);
}

void LCButton::mousePressEvent(QMouseEvent* event) {
    pressed_ = true;
    SharedPress::remember(this);
    const QPointF at = event->position();
    MouseDown(buttonCode(event->button()), shiftCode(event->modifiers()), static_cast<float>(at.x()),
              static_cast<float>(at.y()));
    重绘();
}

void LCButton::mouseReleaseEvent(QMouseEvent* event) {
    pressed_ = false;
    重绘();
    鼠标位置检测与响应();
    if (SharedPress::is(this) && inside_) {
        click();
        const QPointF at = event->position();
        MouseUp(buttonCode(event->button()), shiftCode(event->modifiers()), static_cast<float>(at.x()),
                static_cast<float>(at.y()));
    }
}

void LCButton::mouseMoveEvent(QMouseEvent* event) {
    brightnessInUse_ = heldBrightness(savedBrightness_) + 32;
    const QPointF at = event->position();
    if (at.x() > 0 && at.x() < W_ && at.y() > 0 && at.y() < H_) 鼠标位置检测与响应();
    movesInside_ = inside_ ? movesInside_ + 1 : 0;
    if (!hoverRingDrawn_ || movesInside_ == 1) 变色处理();
    hoverTimer_.start();
    MouseMove(buttonCode(event->buttons()), shiftCode(event->modifiers()), static_cast<float>(at.x()),
              static_cast<float>(at.y()));
}

void LCButton::keyReleaseEvent(QKeyEvent* event) {
    if (event->key() != Qt::Key_Space || event->isAutoRepeat()) {
        SelfDrawnWidget::keyReleaseEvent(event);
        return;
    }
    pressed_ = false;
    重绘();
    click();
}

} // namespace lctune
