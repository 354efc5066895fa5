#pragma once
// The small round button: a fixed 30 x 30 pixel round button picture (unlit, lit while the pointer
// is over the focused button, pressed) inside a rounded border, with caption and icon placed as on
// LCButton, the round picture taking the icon's place. A mouse click anywhere on it clicks; the
// space key clicks when it has the focus. Coordinates are pixels.

#include "platform/Event.h"
#include "widgets/SelfDrawnWidget.h"

#include <QTimer>

#include <cstdint>
#include <string>

namespace lctune {

class 小圆按钮 : public SelfDrawnWidget {
public:
    explicit 小圆按钮(QWidget* parent = nullptr);

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

    void 重绘();
    void 鼠标位置检测与响应();

    void ReadProperties(const PropertyBag& bag) override;
    void WriteProperties(PropertyBag& bag) const override;

    Event<> Click;
    Event<int, int, float, float> MouseDown;
    Event<int, int, float, float> MouseMove;
    Event<int, int, float, float> MouseUp;
    Event<> MouseOut;

    bool pressed() const { return pressed_; }
    bool hovered() const { return inside_; }
    /// Top left of the round-button picture in pixels.
    QPoint roundButtonAt() const { return roundAt_; }

protected:
    void onResized() override { 重绘(); }
    void showEvent(QShowEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

private:
    void layOut();
    void draw();
    void drawHover();
    void click();
    void hoverTick();

    int32_t cRad_ = 5;
    std::string caption_;
    uint32_t 标题色_ = 0;
    int32_t 图片位置_ = 0;
    uint32_t iconMaskColor_;
    bool enabled_ = true;
    QImage picture_;
    QImage 缩小的图案_;
    bool focused_ = false;
    bool pressed_ = false;
    bool inside_ = false;
    bool loading_ = false;
    int W_ = 0, H_ = 0;
    QPoint roundAt_, iconAt_, captionAt_;
    QTimer hoverTimer_;
};

} // namespace lctune
