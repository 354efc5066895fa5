#pragma once
// What the two potentiometers share: the value text with its range that widens to take in a value
// outside it, the property bag, hover polling (the widget lights up while the pointer is over it)
// and the host events. The fader and the knob add their drawing and their drag.

#include "core/BarValue.h"
#include "core/Event.h"
#include "widgets/SelfDrawnWidget.h"

#include <QTimer>

#include <string>

namespace lctune {

class Potentiometer : public SelfDrawnWidget {
public:
    float Value() const;
    void Value(float value);
    double max() const { return value_.max(); }
    void max(double value);
    double Min() const { return value_.min(); }
    void Min(double value);
    uint32_t 背景色() const { return 背景色_; }
    void 背景色(uint32_t value);
    bool 显示数值() const { return 显示数字选择_; }
    void 显示数值(bool value);

    /// Checks whether the pointer is still inside; outside, the widget returns to its normal look.
    void 鼠标位置检测与响应();

    const std::string& valueText() const { return value_.text(); }
    void valueText(const std::string& text);
    bool hovered() const { return hover_; }
    /// Position fraction of the last computed position: 0 at Min, 1 at max.
    double fraction() const { return fraction_; }

    void ReadProperties(const PropertyBag& bag) override;
    void WriteProperties(PropertyBag& bag) const override;

    Event<> Change;
    Event<> MouseDown;
    Event<> MouseMove;
    Event<> MouseUp;

protected:
    Potentiometer(const char* defaultValue, QSize fixedSizeTwips, QWidget* parent);

    /// Draws the widget for the current value (the routine's redraw step).
    virtual void redraw() = 0;
    /// The pointer came over the widget / left it.
    virtual void hoverStarted() = 0;
    virtual void hoverEnded() = 0;
    /// Dragging with the left button held, at (x, y) twips of the widget.
    virtual void drag(double x, double y) = 0;

    void valueChanged();
    double number() const;
    const BarValue& barValue() const { return value_; }
    void setFraction(double f) { fraction_ = f; }
    /// Paints the value text in white, centred in `area` (twips), when it is shown.
    void paintValueText(QPainter& painter, const TwipsRect& area) const;

    void onResized() override;
    void showEvent(QShowEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    void storeMax(double value);
    void storeMin(double value);

    const std::string defaultValue_;
    const QSize fixedSize_;
    BarValue value_;
    uint32_t 背景色_;
    bool 显示数字选择_ = true;
    bool hover_ = false;
    double fraction_ = 0;
    QTimer hoverTimer_;
};

} // namespace lctune
