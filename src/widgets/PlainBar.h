#pragma once
// What the plain vertical and horizontal bars share: a three-pixel bar whose length follows
// Value / max, drawn as a red line of pen 3 with a white line of pen 1 inside it. Min bounds the
// value but does not offset the bar.

#include "core/BarValue.h"
#include "core/Event.h"
#include "widgets/SelfDrawnWidget.h"

#include <cstdint>
#include <string>

namespace lctune {

class PlainBar : public SelfDrawnWidget {
public:
    int32_t Value() const;
    void Value(int32_t value);
    int32_t max() const { return static_cast<int32_t>(value_.max()); }
    void max(int32_t value);
    int32_t Min() const { return static_cast<int32_t>(value_.min()); }
    void Min(int32_t value);
    uint32_t 背景色() const { return 背景色_; }
    void 背景色(uint32_t value);
    uint32_t 进度条色() const { return 红线_.color; }
    void 进度条色(uint32_t value);
    bool 刷新() const { return 刷新_; }
    void 刷新(bool value) { 刷新_ = value; }

    void 绘控件();

    const std::string& valueText() const { return value_.text(); }
    void valueText(const std::string& text);
    const LineHolder& redLine() const { return 红线_; }
    const LineHolder& whiteLine() const { return 白线_; }

    void ReadProperties(const PropertyBag& bag) override;
    void WriteProperties(PropertyBag& bag) const override;

    Event<> Change;

protected:
    PlainBar(bool vertical, QWidget* parent);
    void onResized() override;
    void showEvent(QShowEvent* event) override;

private:
    void valueChanged();
    void redraw();

    const bool vertical_;
    /// The ends are whole numbers; the value is read rounded to one.
    BarValue value_{"0", 0, 32767};
    uint32_t 背景色_;
    bool 刷新_ = false;
    LineHolder 红线_;
    LineHolder 白线_;
};

} // namespace lctune
