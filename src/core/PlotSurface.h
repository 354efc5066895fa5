#pragma once
// A picture box that plots draw on: the tuner's waveform analysis plot and the signal plots.
// Coordinates are in scale units: x runs from 0 to scaleWidth() left to right, y from 0 to
// scaleHeight() top to bottom, so a point (x, y) lies at pixel (x * pixelWidth / scaleWidth,
// y * pixelHeight / scaleHeight), rounded. A new surface's scale equals its pixel size. Colours are
// packed R + 256 G + 65536 B. Only the user-interface thread draws.
//
// Pixels a primitive covers: a line covers its first pixel and not its last (none when both ends
// fall in one pixel), so that a chain of lineTo draws every joint once and a waveform that ends
// on the plot's frame leaves the frame whole. A rectangle, filled or outlined, covers the pixels
// between its corners, the left column and top row included, the right and bottom ones not; its
// outline is the outermost ring of those pixels.

#include <cstdint>
#include <span>

namespace lctune {

struct PlotPoint {
    double x = 0, y = 0;
};

class PlotSurface {
public:
    virtual ~PlotSurface() = default;

    int32_t pixelWidth() const { return pixelWidth_; }
    int32_t pixelHeight() const { return pixelHeight_; }

    double scaleWidth() const { return scaleWidth_; }
    void scaleWidth(double value) { scaleWidth_ = value; }
    double scaleHeight() const { return scaleHeight_; }
    void scaleHeight(double value) { scaleHeight_ = value; }

    uint32_t backColor() const { return backColor_; }
    void backColor(uint32_t value) { backColor_ = value; }
    /// The colour of moveTo/lineTo drawing.
    uint32_t drawColor() const { return drawColor_; }
    void drawColor(uint32_t value) { drawColor_ = value; }

    /// Fills the whole surface with its background colour.
    virtual void clear() = 0;
    /// Sets the current point.
    virtual void moveTo(double x, double y) = 0;
    /// Draws from the current point to (x, y) in the draw colour; (x, y) becomes the current point.
    virtual void lineTo(double x, double y) = 0;
    /// Draws a line from (x1, y1) to (x2, y2) in the given colour; (x2, y2) becomes the current point.
    virtual void line(double x1, double y1, double x2, double y2, uint32_t color) = 0;
    /// Draws lines from each point to the next in one colour, exactly as the same calls to line()
    /// one after another would; the last of two points or more becomes the current point.
    virtual void polyline(std::span<const PlotPoint> points, uint32_t color) {
        for (size_t k = 1; k < points.size(); ++k)
            line(points[k - 1].x, points[k - 1].y, points[k].x, points[k].y, color);
    }
    /// Outlines the rectangle with corners (x1, y1) and (x2, y2).
    virtual void rectangle(double x1, double y1, double x2, double y2, uint32_t color) = 0;
    /// Fills the rectangle from (x1, y1) inclusive to (x2, y2) exclusive with a solid colour.
    virtual void fillRect(double x1, double y1, double x2, double y2, uint32_t color) = 0;
    /// Sets the one pixel at (x, y) to `color`; (x, y) becomes the current point.
    virtual void point(double x, double y, uint32_t color) = 0;

protected:
    PlotSurface(int32_t pixelWidth, int32_t pixelHeight)
        : pixelWidth_(pixelWidth), pixelHeight_(pixelHeight), scaleWidth_(pixelWidth),
          scaleHeight_(pixelHeight) {}

private:
    int32_t pixelWidth_;
    int32_t pixelHeight_;
    double scaleWidth_;
    double scaleHeight_;
    uint32_t backColor_ = 0;
    uint32_t drawColor_ = 0xFFFFFF;
};

/// A surface that draws nothing: for analysis without a picture (command-line tools, benchmarks).
class NullPlotSurface final : public PlotSurface {
public:
    NullPlotSurface(int32_t pixelWidth = 300, int32_t pixelHeight = 100)
        : PlotSurface(pixelWidth, pixelHeight) {}
    void clear() override {}
    void moveTo(double, double) override {}
    void lineTo(double, double) override {}
    void line(double, double, double, double, uint32_t) override {}
    void rectangle(double, double, double, double, uint32_t) override {}
    void fillRect(double, double, double, double, uint32_t) override {}
    void point(double, double, uint32_t) override {}
};

} // namespace lctune
