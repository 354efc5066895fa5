#include "widgets/小圆按钮.h"

#include "core/Colors.h"
#include "core/Numbers.h"
#include "widgets/ButtonLayout.h"
#include "widgets/WidgetArtwork.h"
#include "widgets/绘透明图.h"

#include <QFocusEvent>
#include <QKeyEvent>
#include <QMouseEvent>

namespace lctune {

namespace {
constexpr uint32_t k静态外边框色 = rgb(0, 192, 192);
constexpr uint32_t k失效外边框色 = rgb(128, 128, 128);
constexpr uint32_t k聚焦内边框色 = rgb(0, 0, 255);
constexpr uint32_t k经过内边框色 = rgb(255, 255, 0);
constexpr int kRound = 30;

QImage atScale(const QImage& picture, QSize logical, int scale) {
    if (picture.size() == logical * scale) return picture;
    return picture.scaled(logical * scale, Qt::IgnoreAspectRatio, Qt::FastTransformation);
}
} // namespace

小圆按钮::小圆按钮(QWidget* parent) : PushButtonBase(parent) {
    resize(40, 40);
}

void 小圆按钮::pictureChanged() {
    缩小的图案_ = QImage();
    if (!picture_.isNull()) {
        const QSize logical = picture_.size() / std::max(1.0, picture_.devicePixelRatio());
        缩小的图案_ = picture_.scaled(std::max(1, logical.width() - 2), std::max(1, logical.height() - 2),
                                      Qt::IgnoreAspectRatio, Qt::FastTransformation);
    }
}

void 小圆按钮::重绘() {
    if (loading_) return;
    layOut();
    draw();
}

void 小圆按钮::layOut() {
    if (heightTwips() < 60.0) resizeTwips(widthTwips(), 60.0);
    W_ = width();
    H_ = height();
    const QFontMetrics metrics(font());
    const QSize captionSize(metrics.horizontalAdvance(QString::fromStdString(caption_)), metrics.height());
    const ButtonPlacement at =
        placeIconAndCaption(图片位置_, QSize(W_, H_), QSize(W_ - 1, H_ - 1), QSize(kRound, kRound),
                            captionSize, true, caption_.empty());
    roundAt_ = at.icon;
    captionAt_ = at.caption;
    const QSize icon =
        picture_.isNull() ? QSize() : picture_.size() / std::max(1.0, picture_.devicePixelRatio());
    iconAt_ = roundAt_ + QPoint((kRound - icon.width()) / 2, (kRound - icon.height()) / 2);
}

void 小圆按钮::draw() {
    const int s = scale();
    clearSurfaceTransparent();
    QImage& target = drawingSurface();
    if (!enabled_) {
        QPainter painter = beginSurface();
        painter.drawImage(QRect(1, 1, W_ - 3, H_ - 3), artwork::roundButtonDisabled(s));
    }
    const QImage& round =
        artwork::roundButton(pressed_ ? artwork::RoundButton::Pressed : artwork::RoundButton::Unlit, s);
    绘透明图(target, roundAt_.x() * s, roundAt_.y() * s, round.width(), round.height(), round, 0, 0,
             artwork::kRoundButtonKey);
    {
        QPainter painter = beginSurface();
        const int right = roundToInt32(W_ - 0.5), bottom = roundToInt32(H_ - 0.5);
        drawRoundOutline(painter, 0, 0, right, bottom, cRad_,
                         qColor(enabled_ ? k静态外边框色 : k失效外边框色));
        if (!caption_.empty()) {
            painter.setFont(font());
            painter.setPen(qColor(enabled_ ? 标题色_ : rgb(192, 192, 192)));
            painter.drawText(QPoint(captionAt_.x(), captionAt_.y() + QFontMetrics(font()).ascent()),
                             QString::fromStdString(caption_));
        }
        if (focused_ && enabled_) {
            drawRoundOutline(painter, 2, 2, W_ - 3, H_ - 3, cRad_ - 1, qColor(k聚焦内边框色), true);
        }
    }
    if (focused_ && enabled_ && !pressed_ && inside_) {
        const QImage& lit = artwork::roundButton(artwork::RoundButton::Lit, s);
        绘透明图(target, roundAt_.x() * s, roundAt_.y() * s, lit.width(), lit.height(), lit, 0, 0,
                 artwork::kRoundButtonKey);
    }
    if (!picture_.isNull()) {
        const QSize logical = picture_.size() / std::max(1.0, picture_.devicePixelRatio());
        if (pressed_ && enabled_) {
            const QImage small = atScale(缩小的图案_, logical - QSize(2, 2), s);
            绘透明图(target, (iconAt_.x() + 1) * s, (iconAt_.y() + 1) * s, small.width(), small.height(),
                     small, 0, 0, iconMaskColor_);
        } else {
            const QImage icon = atScale(picture_, logical, s);
            绘透明图(target, iconAt_.x() * s, iconAt_.y() * s, icon.width(), icon.height(), icon, 0, 0,
                     iconMaskColor_);
        }
    }
    if (inside_) drawHover();
    present();
}

void 小圆按钮::drawHover() {
    const int s = scale();
    QPainter painter = beginSurface();
    drawRoundOutline(painter, 2, 2, W_ - 3, H_ - 3, cRad_ - 1, qColor(k经过内边框色), true);
    painter.end();
    if (!pressed_) {
        const QImage& lit = artwork::roundButton(artwork::RoundButton::Lit, s);
        QImage& target = drawingSurface();
        绘透明图(target, roundAt_.x() * s, roundAt_.y() * s, lit.width(), lit.height(), lit, 0, 0,
                 artwork::kRoundButtonKey);
    }
}

void 小圆按钮::鼠标位置检测与响应() {
    const bool now = pointerInWindowRect();
    if (now == inside_) return;
    inside_ = now;
    draw();
    if (!inside_) MouseOut();
}

void 小圆按钮::hoverTick() {
    鼠标位置检测与响应();
    if (!inside_) hoverTimer_.stop();
}

void 小圆按钮::click() {
    if (!enabled_) return;
    pressed_ = true;
    重绘();
    Click();
    pressed_ = false;
    重绘();
}

void 小圆按钮::showEvent(QShowEvent* event) {
    SelfDrawnWidget::showEvent(event);
    重绘();
}

void 小圆按钮::mousePressEvent(QMouseEvent* event) {
    pressed_ = true;
    SharedPress::remember(this);
    const QPointF at = event->position();
    MouseDown(buttonCode(event->button()), shiftCode(event->modifiers()), float(at.x()), float(at.y()));
    重绘();
}

void 小圆按钮::mouseReleaseEvent(QMouseEvent* event) {
    const QPointF at = event->position();
    const bool onWidget = pressed_ && rect().contains(at.toPoint());
    if (onWidget && enabled_) Click();
    pressed_ = false;
    重绘();
    MouseUp(buttonCode(event->button()), shiftCode(event->modifiers()), float(at.x()), float(at.y()));
}

void 小圆按钮::mouseMoveEvent(QMouseEvent* event) {
    鼠标位置检测与响应();
    hoverTimer_.start();
    const QPointF at = event->position();
    MouseMove(buttonCode(event->buttons()), shiftCode(event->modifiers()), float(at.x()), float(at.y()));
}

void 小圆按钮::keyReleaseEvent(QKeyEvent* event) {
    if (event->key() != Qt::Key_Space || event->isAutoRepeat())
        return SelfDrawnWidget::keyReleaseEvent(event);
    if (enabled_) Click();
    pressed_ = false;
    重绘();
}

void 小圆按钮::ReadProperties(const PropertyBag& bag) {
    loading_ = true;
    readButtonProperties(bag);
    loading_ = false;
    重绘();
}

void 小圆按钮::WriteProperties(PropertyBag& bag) const {
    bag.WriteProperty("圆角宽度", int64_t{cRad_}, int64_t{5});
    bag.WriteProperty("Caption", caption_, std::string());
    bag.WriteColor("标题色", 标题色_, 0);
    bag.WriteProperty("图片的位置", int64_t{图片位置_}, int64_t{0});
    bag.WriteProperty("Picture", pictureText(picture_), std::string());
    bag.WriteColor("图案.BackColor", iconMaskColor_, rgb(0, 0, 254));
    bag.WriteProperty("有效", enabled_, true);
}

} // namespace lctune
