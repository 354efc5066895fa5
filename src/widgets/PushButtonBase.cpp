#include "widgets/PushButtonBase.h"

#include "core/Colors.h"

#include <QFocusEvent>
#include <QKeyEvent>

namespace lctune {

PushButtonBase::PushButtonBase(QWidget* parent) : SelfDrawnWidget(parent), iconMaskColor_(rgb(0, 0, 254)) {
    setFocusPolicy(Qt::StrongFocus);
    hoverTimer_.setInterval(100);
    QObject::connect(&hoverTimer_, &QTimer::timeout, this, [this] { hoverTick(); });
}

void PushButtonBase::CRad(int32_t value) {
    cRad_ = value;
    重绘();
}

void PushButtonBase::Caption(const std::string& value) {
    caption_ = value;
    重绘();
}

void PushButtonBase::标题色(uint32_t value) {
    if (value == 标题色_) return;
    标题色_ = value;
    重绘();
}

void PushButtonBase::图片位置(int32_t value) {
    图片位置_ = value;
    重绘();
}

void PushButtonBase::IconMaskColor(uint32_t value) {
    iconMaskColor_ = value;
    重绘();
}

void PushButtonBase::Enabled(bool value) {
    if (value == enabled_) return;
    enabled_ = value;
    setFocusPolicy(enabled_ ? Qt::StrongFocus : Qt::NoFocus);
    if (!enabled_ && hasFocus()) clearFocus();
    重绘();
}

void PushButtonBase::Picture(const QImage& value) {
    picture_ = value;
    pictureChanged();
    重绘();
}

void PushButtonBase::Value(bool value) {
    if (value) click();
}

void PushButtonBase::获得焦点(bool value) {
    focused_ = value;
    重绘();
}

void PushButtonBase::readButtonProperties(const PropertyBag& bag) {
    CRad(static_cast<int32_t>(bag.ReadProperty("圆角宽度", int64_t{5})));
    Caption(bag.ReadProperty("Caption", std::string()));
    标题色(bag.ReadColor("标题色", 0));
    图片位置(static_cast<int32_t>(bag.ReadProperty("图片的位置", int64_t{0})));
    IconMaskColor(bag.ReadColor("图案.BackColor", rgb(0, 0, 254)));
    Enabled(bag.ReadProperty("有效", true));
    Picture(pictureFromText(bag.ReadProperty("Picture", std::string())));
}

// Space presses the button; the click comes with the release.
void PushButtonBase::keyPressEvent(QKeyEvent* event) {
    if (event->key() != Qt::Key_Space) {
        SelfDrawnWidget::keyPressEvent(event);
        return;
    }
    if (event->isAutoRepeat()) return;
    pressed_ = true;
    重绘();
}

void PushButtonBase::focusInEvent(QFocusEvent* event) {
    SelfDrawnWidget::focusInEvent(event);
    focused_ = true;
    重绘();
}

void PushButtonBase::focusOutEvent(QFocusEvent* event) {
    SelfDrawnWidget::focusOutEvent(event);
    focused_ = false;
    重绘();
}

} // namespace lctune
