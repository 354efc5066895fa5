#pragma once
// The small round button: a fixed 30 x 30 pixel round button picture (unlit, lit while the pointer
// is over the focused button, pressed) inside a rounded border, with caption and icon placed as on
// LCButton, the round picture taking the icon's place. A mouse click anywhere on it clicks; the
// space key clicks when it has the focus. Coordinates are pixels.

#include "widgets/PushButtonBase.h"

#include <cstdint>
#include <string>

namespace lctune {

class 小圆按钮 : public PushButtonBase {
public:
    explicit 小圆按钮(QWidget* parent = nullptr);

    void 重绘() override;
    void 鼠标位置检测与响应();

    void ReadProperties(const PropertyBag& bag) override;
    void WriteProperties(PropertyBag& bag) const override;

    /// Top left of the round-button picture in pixels.
    QPoint roundButtonAt() const { return roundAt_; }

protected:
    void onResized() override { 重绘(); }
    void showEvent(QShowEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;
    void click() override;
    void hoverTick() override;
    void pictureChanged() override;

private:
    void layOut();
    void draw();
    void drawHover();

    QImage 缩小的图案_;
    int W_ = 0, H_ = 0;
    QPoint roundAt_, iconAt_, captionAt_;
};

} // namespace lctune
