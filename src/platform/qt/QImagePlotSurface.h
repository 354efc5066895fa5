#pragma once
// A plot surface on a retained QImage: what the plots draw stays in the picture until they draw
// over it, and a picture widget shows it (PictureBox). Coordinates stay logical pixels (mapped
// from scale units); the picture itself may hold `scale` device pixels per logical pixel, so that
// a plot on a screen with a device pixel ratio of 2 is drawn at the screen's own resolution.
//
// Pixels follow PlotSurface: a line covers its first pixel and not its last; rectangles cover
// their left and top edges and not their right and bottom ones. Lines, outlines and points are one
// logical pixel thick (`scale` device pixels), placed to the nearest device pixel. The pixels are
// written directly (Bresenham lines, row fills) rather than through QPainter: the rules hold
// exactly at every scale, which QPainter's rasteriser does not promise, and the tuner's 5120 short
// segments a tick take well under half of QPainter's time (bench_plots). User-interface thread
// only.

#include "core/Numbers.h"
#include "core/PlotSurface.h"

#include <QImage>

#include <cstdint>
#include <limits>

namespace lctune {

class QImagePlotSurface : public PlotSurface {
public:
    /// A picture of pixelWidth x pixelHeight logical pixels at `scale` (1 or more) device pixels
    /// per logical pixel, filled with the background colour (black).
    QImagePlotSurface(int32_t pixelWidth, int32_t pixelHeight, int scale = 1);

    /// The picture: pixelWidth * scale x pixelHeight * scale device pixels, its device pixel ratio
    /// set to the scale (so QPainter::drawImage shows it at its logical size). Format RGB32.
    const QImage& image() const {
        flushSpan();
        return image_;
    }
    int scale() const { return scale_; }
    /// Draws at `scale` from now on; the picture so far is carried over, resized.
    void setScale(int scale);
    /// Rises whenever a primitive changed pixels of the picture (and when the scale changes).
    uint64_t changeCount() const { return changes_; }

    void clear() override;
    void moveTo(double x, double y) override;
    void lineTo(double x, double y) override;
    void line(double x1, double y1, double x2, double y2, uint32_t color) override;
    void polyline(std::span<const PlotPoint> points, uint32_t color) override;
    void rectangle(double x1, double y1, double x2, double y2, uint32_t color) override;
    void fillRect(double x1, double y1, double x2, double y2, uint32_t color) override;
    void point(double x, double y, uint32_t color) override;

private:
    /// Device pixels per scale unit (infinite or NaN when the scale is 0: nothing is drawn).
    double devicePerUnitX();
    double devicePerUnitY();
    /// Fills device pixels [left, right) x [top, bottom), clipped to the picture.
    bool fillDevice(double left, double top, double right, double bottom, uint32_t rgb);
    bool drawLine(double x1, double y1, double x2, double y2, uint32_t color);
    /// A point in device coordinates and, when it rounds to a pixel inside the picture, that pixel.
    struct DevicePoint {
        double x, y;
        bool inside;
        int px, py;
    };
    DevicePoint device(double x, double y) const {
        DevicePoint d{x, y, x >= 0 && y >= 0 && x < limitX_ && y < limitY_, 0, 0};
        if (d.inside) {
            d.px = static_cast<int>(roundHalfEvenFast(x));
            d.py = static_cast<int>(roundHalfEvenFast(y));
        }
        return d;
    }
    /// A line between two device points. One wholly inside that stays in one column (one-pixel
    /// brush) joins the column's span: a tuner waveform is mostly such lines, so that test comes
    /// first, small enough to inline.
    bool drawDevice(const DevicePoint& a, const DevicePoint& b, uint32_t color) {
        if (scale_ == 1 && a.inside && b.inside && a.px == b.px) return joinColumn(a.px, a.py, b.py, color);
        return walkLine(a, b, color);
    }
    bool walkLine(const DevicePoint& a, const DevicePoint& b, uint32_t color);
    void changed(bool anything) {
        if (anything) ++changes_;
    }
    /// Writes the pending column span into the picture.
    void flushSpan() const;

    /// A waveform of many samples a pixel is a chain of short lines that stay in one column: they
    /// are gathered into one span of that column (the same pixels as drawn one by one) and
    /// written when the chain leaves the column or anything else is drawn. One-pixel brush only.
    struct Span {
        bool active = false;
        int x = 0, top = 0, bottom = 0;
        int endY = 0; ///< where the last line of the chain ended (its own pixel not covered)
        uint32_t color = 0;
        QRgb rgb = 0;
    };
    /// The line in column x from pixel row y up to, not including, endY: it joins the pending
    /// span when it goes on from where the span's last line ended. False when it covers nothing.
    bool joinColumn(int x, int y, int endY, uint32_t color);

    mutable QImage image_;
    mutable Span span_;
    /// Device coordinates below these round to pixels inside the picture (width - 0.5, height - 0.5).
    double limitX_ = 0, limitY_ = 0;
    int scale_;
    uint64_t changes_ = 0;
    double currentX_ = 0;
    double currentY_ = 0;
    /// The scale the factors were worked out for (NaN: not yet).
    double unitsX_ = std::numeric_limits<double>::quiet_NaN();
    double unitsY_ = std::numeric_limits<double>::quiet_NaN();
    double perUnitX_ = 0;
    double perUnitY_ = 0;
};

} // namespace lctune
