#pragma once
// Screen metrics as the windows use them: twips (1/1440 inch) per logical pixel on each axis and
// the screen size in twips. Widget geometry is designed at 15 twips per pixel (96 DPI); drawing
// divides by whatever the screen really has. The Qt back-end is in platform/qt/; programs and
// tests without a screen use the fixed metrics.

namespace lctune {

class ScreenMetrics {
public:
    virtual ~ScreenMetrics() = default;
    virtual double twipsPerPixelX() const = 0;
    virtual double twipsPerPixelY() const = 0;
    virtual double screenWidthTwips() const = 0;
    virtual double screenHeightTwips() const = 0;

    /// The metrics in use: the installed ones, or fixed 96-DPI metrics when none was installed.
    static const ScreenMetrics& current();
    /// Makes `metrics` current (nullptr goes back to the fixed default). The caller keeps it alive.
    static void install(const ScreenMetrics* metrics);
    static bool installed();
};

/// Metrics that never change: 15 twips per pixel and a 1024 x 768 screen unless told otherwise.
class FixedScreenMetrics : public ScreenMetrics {
public:
    explicit FixedScreenMetrics(double twipsPerPixelX = 15.0, double twipsPerPixelY = 15.0,
                                double widthTwips = 1024 * 15.0, double heightTwips = 768 * 15.0)
        : tppX_(twipsPerPixelX), tppY_(twipsPerPixelY), width_(widthTwips), height_(heightTwips) {}
    double twipsPerPixelX() const override { return tppX_; }
    double twipsPerPixelY() const override { return tppY_; }
    double screenWidthTwips() const override { return width_; }
    double screenHeightTwips() const override { return height_; }

private:
    double tppX_, tppY_, width_, height_;
};

} // namespace lctune
