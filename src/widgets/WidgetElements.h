#pragma once
// The design-time elements the widgets draw from: line holders and image rectangles.

#include <cstdint>

namespace lctune {

/// A line element of a widget: end points in the widget's own units, colour and pen width in pixels.
struct LineHolder {
    double x1 = 0, y1 = 0, x2 = 0, y2 = 0;
    uint32_t color = 0;
    int penWidth = 1;
};

/// A rectangle element in twips.
struct TwipsRect {
    double left = 0, top = 0, width = 0, height = 0;
    bool contains(double x, double y) const {
        return x >= left && x < left + width && y >= top && y < top + height;
    }
};

} // namespace lctune
