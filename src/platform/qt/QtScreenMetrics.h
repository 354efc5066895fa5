#pragma once
// Screen metrics from Qt: twips per pixel = 1440 / the primary screen's logical DPI (15 at 96 DPI).

#include "platform/ScreenMetrics.h"

namespace lctune {

class QtScreenMetrics : public ScreenMetrics {
public:
    double twipsPerPixelX() const override;
    double twipsPerPixelY() const override;
    double screenWidthTwips() const override;
    double screenHeightTwips() const override;

    /// Installs the Qt metrics unless the program or a test installed others first.
    static void installIfNone();
};

} // namespace lctune
