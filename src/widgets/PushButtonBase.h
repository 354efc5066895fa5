#pragma once
// What the two push buttons (LCButton, 小圆按钮) share: the caption, icon and rounded-border
// properties, the enabled and focus state, the events, the space key's press and the property-bag
// keys both read. Each button lays out, draws and clicks in its own way.
//
// Writing true to Value clicks the button exactly as a user click would.

#include "core/Event.h"
#include "core/PropertyBag.h"
#include "widgets/SelfDrawnWidget.h"

#include <QTimer>

#include <cstdint>
#include <string>

namespace lctune {

class PushButtonBase : public SelfDrawnWidget {
public:
    int32_t CRad() const { return cRad_; }
    void CRad(int32_t value);
    const std::string& Caption() const { return caption_; }
    void Caption(const std::string& value);
    uint32_t 标题色() const { return 标题色_; }
    void 标题色(uint32_t value);
    int32_t 图片位置() const { return 图片位置_; }
    void 图片位置(int32_t value);
    uint32_t IconMaskColor() const { return iconMaskColor_; }
    void IconMaskColor(uint32_t value);
    bool Enabled() const { return enabled_; }
    void Enabled(bool value);
    const QImage& Picture() const { return picture_; }
    void Picture(const QImage& value);
    /// Always reads false; writing true clicks the button exactly as a user click does.
    bool Value() const { return false; }
    void Value(bool value);
    bool 获得焦点() const { return focused_; }
    void 获得焦点(bool value);

    /// Lays out and draws, once the button is loaded.
    virtual void 重绘() = 0;

    Event<> Click;
    Event<int, int, float, float> MouseDown;
    Event<int, int, float, float> MouseMove;
    Event<int, int, float, float> MouseUp;
    Event<> MouseOut;

    bool pressed() const { return pressed_; }
    bool hovered() const { return inside_; }

protected:
    explicit PushButtonBase(QWidget* parent);

    /// The click of a user or of Value(true).
    virtual void click() = 0;
    /// One 100 ms hover poll while the pointer may be over the button.
    virtual void hoverTick() = 0;
    /// A new picture is stored; derived buttons prepare what they draw from it.
    virtual void pictureChanged() {}
    /// Reads the keys both buttons keep, in their order (border radius to picture).
    void readButtonProperties(const PropertyBag& bag);

    void keyPressEvent(QKeyEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

    int32_t cRad_ = 5;
    std::string caption_;
    uint32_t 标题色_ = 0;
    int32_t 图片位置_ = 0;
    uint32_t iconMaskColor_;
    bool enabled_ = true;
    QImage picture_;
    bool focused_ = false;
    bool pressed_ = false;
    bool inside_ = false;
    bool loading_ = false;
    QTimer hoverTimer_;
};

} // namespace lctune
