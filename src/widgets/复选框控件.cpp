#include "widgets/复选框控件.h"

#include "core/Colors.h"
#include "core/Numbers.h"
#include "widgets/ButtonLayout.h"
#include "widgets/WidgetArtwork.h"

#include <QFocusEvent>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QMouseEvent>

namespace lctune {

namespace {
constexpr uint32_t k聚焦内边框色 = rgb(0, 0, 255);
constexpr uint32_t k经过内边框色 = rgb(255, 255, 0);
constexpr uint32_t kDisabledText = 0x80000011u;
constexpr double kBoxTwips = 195;
constexpr double kCaptionLeft = 225;
const QString kIdeographicSpace = QString(QChar(0x3000));
} // namespace

复选框控件::复选框控件(QWidget* parent) : SelfDrawnWidget(parent) {
    setFocusPolicy(Qt::StrongFocus);
    setAttribute(Qt::WA_InputMethodEnabled, true);
    pollTimer_.setInterval(100);
    QObject::connect(&pollTimer_, &QTimer::timeout, this, [this] { pollTick(); });
    resizeTwips(1500, 255);
}

void 复选框控件::Value(int32_t value) {
    if (value == value_) return;
    value_ = value;
    Click();
    draw();
}

void 复选框控件::Enabled(bool value) {
    enabled_ = value;
    foreColor_ = enabled_ ? textColor_ : kDisabledText;
    draw();
}

void 复选框控件::Caption(const std::string& value) {
    caption_ = value;
    draw();
}

void 复选框控件::BackColor(uint32_t value) {
    backColor_ = value;
    draw();
}

void 复选框控件::ForeColor(uint32_t value) {
    foreColor_ = value;
    draw();
}

void 复选框控件::Click_操作() {
    if (!enabled_) return;
    if (value_ == 0 || value_ == 2) {
        value_ = 1;
    } else if (value_ == 1) {
        value_ = 0;
    }
    draw();
}

void 复选框控件::draw() {
    clearSurface(backColor_);
    QPainter painter = beginSurface();
    using artwork::CheckPicture;
    const CheckPicture* choice = nullptr;
    static constexpr CheckPicture hover[] = {CheckPicture::EmptyHover, CheckPicture::CheckedHover,
                                             CheckPicture::GreyChecked};
    static constexpr CheckPicture normal[] = {CheckPicture::EmptyNormal, CheckPicture::CheckedNormal,
                                              CheckPicture::GreyChecked};
    static constexpr CheckPicture disabled[] = {CheckPicture::DisabledEmpty, CheckPicture::DisabledChecked,
                                                CheckPicture::DisabledGreyChecked};
    if (value_ >= 0 && value_ <= 2) {
        choice = enabled_ ? (inside_ ? &hover[value_] : &normal[value_]) : &disabled[value_];
    }
    const double px = twipsPerPixelX(), py = twipsPerPixelY();
    const double heightTw = heightTwips();
    if (choice) {
        const QRectF box(0, (heightTw - kBoxTwips) / 2 / py, kBoxTwips / px, kBoxTwips / py);
        painter.drawImage(box.toAlignedRect().topLeft(), artwork::checkPicture(*choice, scale()));
    }
    const QFontMetrics metrics(font());
    const double textHeight = metrics.height() * py;
    painter.setFont(font());
    painter.setPen(qColor(foreColor_));
    painter.drawText(QPointF(kCaptionLeft / px, (heightTw - textHeight) / 2 / py + metrics.ascent()),
                     QString::fromStdString(caption_));
    if (focused_ && enabled_) {
        drawRoundOutline(painter, boxWidth_ + 1, 1, W_ - 1, H_ - 1, cornerSize_ - 1, qColor(k聚焦内边框色),
                         true);
    }
    painter.end();
    present();
    鼠标焦点回应();
}

void 复选框控件::drawRing(uint32_t color) {
    QPainter painter = beginSurface();
    drawRoundOutline(painter, boxWidth_ + 1, 1, W_ - 1, H_ - 1, cornerSize_ - 1, qColor(color), true);
    painter.end();
    present();
}

void 复选框控件::鼠标焦点回应() {
    if (inside_) {
        outHandled_ = false;
        if (!hoverRingDrawn_ && (enabled_ || !focused_)) {
            drawRing(k经过内边框色);
            hoverRingDrawn_ = true;
        }
        return;
    }
    // MouseOut is raised once per departure, not on every redraw while the pointer is away.
    if (!outHandled_) {
        outHandled_ = true;
        if (enabled_ && focused_) drawRing(k聚焦内边框色);
        MouseOut();
    }
}

void 复选框控件::鼠标位置检测与响应() {
    inside_ = pointerInWindowRect();
    if (!inside_) firstMoveSeen_ = false;
    draw();
}

void 复选框控件::pollTick() {
    鼠标位置检测与响应();
    if (!inside_) pollTimer_.stop();
    hoverRingDrawn_ = false;
}

void 复选框控件::onResized() {
    if (heightTwips() < kBoxTwips) {
        resizeTwips(widthTwips(), kBoxTwips);
    }
    W_ = roundToInt32(widthTwips() / twipsPerPixelX());
    H_ = roundToInt32(heightTwips() / twipsPerPixelY());
    cornerSize_ = 5;
    draw();
}

void 复选框控件::showEvent(QShowEvent* event) {
    SelfDrawnWidget::showEvent(event);
    draw();
}

void 复选框控件::focusInEvent(QFocusEvent* event) {
    SelfDrawnWidget::focusInEvent(event);
    focused_ = true;
}

void 复选框控件::focusOutEvent(QFocusEvent* event) {
    SelfDrawnWidget::focusOutEvent(event);
    focused_ = false;
    draw();
}

void 复选框控件::mousePressEvent(QMouseEvent* event) {
    SharedPress::remember(this);
    focused_ = true;
    const QPointF at = event->position();
    MouseDown(buttonCode(event->button()), shiftCode(event->modifiers()), float(at.x() * twipsPerPixelX()),
              float(at.y() * twipsPerPixelY()));
}

void 复选框控件::mouseMoveEvent(QMouseEvent* event) {
    if (!firstMoveSeen_) {
        draw();
        firstMoveSeen_ = true;
    }
    inside_ = true;
    pollTimer_.stop();
    pollTimer_.start();
    const QPointF at = event->position();
    MouseMove(buttonCode(event->buttons()), shiftCode(event->modifiers()), float(at.x() * twipsPerPixelX()),
              float(at.y() * twipsPerPixelY()));
}

void 复选框控件::mouseReleaseEvent(QMouseEvent* event) {
    鼠标位置检测与响应();
    if (!SharedPress::is(this) || !inside_) return;
    Click_操作();
    Click();
    const QPointF at = event->position();
    MouseUp(buttonCode(event->button()), shiftCode(event->modifiers()), float(at.x() * twipsPerPixelX()),
            float(at.y() * twipsPerPixelY()));
}

void 复选框控件::typed(const QString& text) {
    if (text != QStringLiteral(" ") && text != kIdeographicSpace) return;
    Click_操作();
    Click();
}

void 复选框控件::keyPressEvent(QKeyEvent* event) {
    if (event->text() == QStringLiteral(" ") || event->text() == kIdeographicSpace) {
        typed(event->text());
        return;
    }
    SelfDrawnWidget::keyPressEvent(event);
}

void 复选框控件::inputMethodEvent(QInputMethodEvent* event) {
    typed(event->commitString());
    event->accept();
}

void 复选框控件::ReadProperties(const PropertyBag& bag) {
    backColor_ = bag.ReadColor("背景颜色", 0x8000000Fu);
    caption_ = bag.ReadProperty("Caption", std::string("Check"));
    enabled_ = bag.ReadProperty("Enabled", true);
    value_ = static_cast<int32_t>(
        std::clamp<int64_t>(bag.ReadProperty("Check_值", int64_t{0}), INT32_MIN, INT32_MAX));
    textColor_ = bag.ReadColor("文字颜色", 0x80000012u);
    foreColor_ = textColor_;
    draw();
}

void 复选框控件::WriteProperties(PropertyBag& bag) const {
    bag.WriteColor("背景颜色", backColor_, 0x8000000Fu);
    bag.WriteProperty("Caption", caption_, std::string("Check"));
    bag.WriteProperty("Enabled", enabled_, true);
    bag.WriteProperty("Check_值", int64_t{value_}, int64_t{0});
    // While disabled the caption shows the grey text colour; the text colour proper is saved
    // then, so that a box saved disabled does not come back with grey text once enabled.
    bag.WriteColor("文字颜色", enabled_ ? foreColor_ : textColor_, 0x80000012u);
}

} // namespace lctune
