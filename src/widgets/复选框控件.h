#pragma once
// The three-state check box: a 13 x 13 box picture (unchecked, checked, grey-checked; each in a
// normal, hover and disabled look) followed by the caption, with dotted focus and hover rings.
// It toggles on a mouse click and on the space or ideographic space key and raises Click to its
// host. A disabled check box keeps its value but still raises Click.
//
// Geometry is in twips; the rings are drawn in pixels. Value: 0 unchecked, 1 checked, 2 grey.

#include "core/Event.h"
#include "widgets/SelfDrawnWidget.h"

#include <QTimer>

#include <cstdint>
#include <string>

namespace lctune {

class 复选框控件 : public SelfDrawnWidget {
public:
    explicit 复选框控件(QWidget* parent = nullptr);

    int32_t Value() const { return value_; }
    /// A different value is stored, raises Click and redraws; the same value does nothing.
    void Value(int32_t value);
    bool Enabled() const { return enabled_; }
    void Enabled(bool value);
    const std::string& Caption() const { return caption_; }
    void Caption(const std::string& value);
    uint32_t BackColor() const { return backColor_; }
    void BackColor(uint32_t value);
    /// The caption's colour now; writing it leaves the stored text colour as it is.
    uint32_t ForeColor() const { return foreColor_; }
    void ForeColor(uint32_t value);

    /// Toggles as a click does: 0 and 2 become 1, 1 becomes 0, when enabled. Raises nothing.
    void Click_操作();
    void 鼠标位置检测与响应();
    void 鼠标焦点回应();

    void ReadProperties(const PropertyBag& bag) override;
    void WriteProperties(PropertyBag& bag) const override;

    Event<> Click;
    Event<int, int, float, float> MouseDown;
    Event<int, int, float, float> MouseMove;
    Event<int, int, float, float> MouseUp;
    Event<> MouseOut;

    bool hovered() const { return inside_; }
    bool focused() const { return focused_; }

protected:
    void onResized() override;
    void showEvent(QShowEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void inputMethodEvent(QInputMethodEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

private:
    void draw();
    void drawRing(uint32_t color);
    void typed(const QString& text);
    void pollTick();

    int32_t value_ = 0;
    bool enabled_ = true;
    std::string caption_ = "Check";
    uint32_t backColor_ = 0x8000000Fu;
    uint32_t textColor_ = 0x80000012u;
    uint32_t foreColor_ = 0x80000012u;
    bool focused_ = false;
    bool inside_ = false;
    bool firstMoveSeen_ = false;
    bool outHandled_ = true;
    bool hoverRingDrawn_ = false;
    int W_ = 0, H_ = 0;
    int cornerSize_ = 5;
    int boxWidth_ = 12;
    QTimer pollTimer_;
};

} // namespace lctune
