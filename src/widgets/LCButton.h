#pragma once
// The glossy push button: a rounded face computed from one base colour (white at the top, the base
// colour in the middle, half-way back to white at the bottom), a caption, an optional icon in one of
// five placements, hover, focus and pressed looks and a flat toolbar variant. Faces are rendered
// once per (colour, height, brightness) into the shared 按钮控件图片窗 and copied from there.
//
// Coordinates are pixels. The button keeps its own enabled state (a disabled button still sees the
// pointer, so that it can show and clear its hover ring); `Enabled(false)` only stops clicks, focus
// and the coloured look.

#include "widgets/PushButtonBase.h"

#include <cstdint>
#include <string>

namespace lctune {

class LCButton : public PushButtonBase {
public:
    explicit LCButton(QWidget* parent = nullptr);

    bool 工具棒() const { return 工具棒_; }
    void 工具棒(bool value);
    uint32_t 按键色() const { return 按键色_; }
    void 按键色(uint32_t value);
    /// Reads the brightness in use (the saved one held to -255 ... 255, plus 32 while hovered).
    int16_t 亮度() const { return static_cast<int16_t>(brightnessInUse_); }
    void 亮度(int16_t value);

    /// Lays out and draws, once the button is loaded.
    void 重绘() override;
    /// Draws face, icon, borders, caption and rings.
    void 变色处理();
    void 鼠标位置检测与响应();
    void 鼠标焦点回应();

    void ReadProperties(const PropertyBag& bag) override;
    void WriteProperties(PropertyBag& bag) const override;

    /// The appearance key of the face in use: colour, height in twips, brightness ("8421376_375_18").
    std::string faceKey() const;
    /// How many face sets all buttons have rendered so far (the rest came from the store).
    static int facesRendered();

protected:
    void onResized() override;
    void paintEvent(QPaintEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;
    void click() override;
    void hoverTick() override;

private:
    void layOut();
    void renderFaces();
    void drawButton();
    void drawRing(uint32_t color);
    bool flat() const { return 工具棒_ && !inside_; }
    bool hasIcon() const { return !picture_.isNull(); }
    static int heldBrightness(int value);

    bool 工具棒_ = false;
    uint32_t 按键色_;
    int savedBrightness_ = 18;
    int brightnessInUse_ = 18;

    bool wasInside_ = false;
    bool outReported_ = false;
    bool hoverRingDrawn_ = false;
    bool paintedOnce_ = false;
    int lastHeight_ = 0;
    int movesInside_ = 0;
    int W_ = 0;
    int H_ = 0;
    QPoint iconAt_;
    QPoint captionAt_;
};

} // namespace lctune
