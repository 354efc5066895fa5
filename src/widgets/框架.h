#pragma once
// The bevelled frame: four flat strips along the edges and four inner edge lines, dark along the
// top and left and light along the bottom and right, so that the enclosed area looks sunken. The
// strips are child windows above the lines; the interior is left to the window behind.
// Geometry in twips.

#include "core/Event.h"
#include "widgets/SelfDrawnWidget.h"

#include <cstdint>

namespace lctune {

class 框架 : public SelfDrawnWidget {
public:
    explicit 框架(QWidget* parent = nullptr);

    int16_t 上边框宽度() const;
    void 上边框宽度(int16_t value);
    int16_t 下边框宽度() const;
    void 下边框宽度(int16_t value);
    int16_t 左边框宽度() const;
    void 左边框宽度(int16_t value);
    int16_t 右边框宽度() const;
    void 右边框宽度(int16_t value);
    uint32_t 边框色() const { return stripColor_[Left]; }
    /// Applies a plain RGB frame colour: strips in it, inner lines in its dark and light shades.
    void 边框色(uint32_t value);

    void ReadProperties(const PropertyBag& bag) override;
    void WriteProperties(PropertyBag& bag) const override;

    /// Raised for movement over the frame or any strip; x and y in twips of the element.
    Event<int, int, float, float> MouseMove;

    enum Strip { Top, Bottom, Left, Right };
    /// Strip rectangles (上图片, 下图片, 左图片, 右图片) and inner lines in twips.
    const TwipsRect& strip(Strip which) const { return strips_[which]; }
    uint32_t stripColor(Strip which) const { return stripColor_[which]; }
    const LineHolder& 上图片内边线() const { return lines_[Top]; }
    const LineHolder& 下图片内边线() const { return lines_[Bottom]; }
    const LineHolder& 左图片内边线() const { return lines_[Left]; }
    const LineHolder& 右图片内边线() const { return lines_[Right]; }

protected:
    void onResized() override { layOut(); }
    void mouseMoveEvent(QMouseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void layOut();
    void draw();
    void placeStrips();

    TwipsRect strips_[4];
    uint32_t stripColor_[4];
    LineHolder lines_[4];
    QWidget* stripWidgets_[4];
};

} // namespace lctune
