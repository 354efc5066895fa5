#pragma once
// The adjustable horizontal bar: a track with a downward knob above it, a left and a right arrow
// key at its ends and the value written across it. Dragging along the value text sets the value;
// the arrow keys step it by one and repeat while held (after 500 ms, every 50 ms). A value outside
// the range widens the range; it is neither clamped nor refused.
//
// Geometry is in twips (designed at 15 per pixel); the height is always 285 twips.

#include "core/BarValue.h"
#include "core/Event.h"
#include "widgets/SelfDrawnWidget.h"

#include <QTimer>

#include <cstdint>
#include <string>

namespace lctune {

class 可调水平进度条 : public SelfDrawnWidget {
public:
    explicit 可调水平进度条(QWidget* parent = nullptr);

    float Value() const;
    void Value(float value);
    double max() const { return value_.max(); }
    void max(double value);
    double Min() const { return value_.min(); }
    void Min(double value);
    uint32_t 进度条色() const { return 粗线_.color; }
    void 进度条色(uint32_t value);
    uint32_t 背景色() const { return 背景色_; }
    void 背景色(uint32_t value);
    bool 显示数值() const { return 显示数字选择_; }
    void 显示数值(bool value);

    /// Draws when the knob's pixel position changed since the last draw.
    void 绘控件();
    void 无条件绘控件();

    void ReadProperties(const PropertyBag& bag) override;
    void WriteProperties(PropertyBag& bag) const override;

    /// The value text (element 值) and the text shown across the track (显示值).
    const std::string& valueText() const { return value_.text(); }
    void valueText(const std::string& text);
    const std::string& shownText() const { return 显示值_; }
    /// The drag area (显示值) in twips of the widget.
    TwipsRect dragArea() const { return 显示值Rect_; }
    TwipsRect leftKey() const { return 左白_; }
    TwipsRect rightKey() const { return 右白_; }
    /// Position fraction of the last draw: 0 at Min, 1 at max.
    double fraction() const { return fraction_; }
    /// Whether the last draw reached the surface (nothing is drawn while Min = max).
    int lastKnobPixel() const { return lastKnob_; }

    Event<> Change;
    Event<int, int, float, float> MouseDown;
    Event<int, int, float, float> MouseMove;
    Event<int, int, float, float> MouseUp;

protected:
    void onResized() override;
    void showEvent(QShowEvent* event) override;
    void paintOverlay(QPainter& painter) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    enum class Element { Background, Text, LeftKey, RightKey };

    void valueChanged();
    void storeMax(double value);
    void storeMin(double value);
    void layOut();
    void step(int direction);
    void keyPressed(int direction);
    void keyReleased(int direction);
    void setShownText(const std::string& text);
    Element elementAt(double xTwips, double yTwips) const;
    TwipsRect rectOf(Element element) const;

    BarValue value_{"0", 0, 100};
    uint32_t 背景色_;
    bool 显示数字选择_ = true;
    std::string 显示值_ = "0";

    LineHolder 黑线_, 粗线_, 中线_, 细线_;
    TwipsRect 左白_, 左黑_, 右白_, 右黑_;
    TwipsRect 向下调节键白_, 向下调节键黑_;
    TwipsRect 显示值Rect_;

    int lastKnob_ = 0;
    double fraction_ = 0;
    int direction_ = 0;
    Element captured_ = Element::Background;
    QTimer timer1_;
    QTimer 跑到Timer_;
};

} // namespace lctune
