#include "platform/qt/QtScreenMetrics.h"

#include <QGuiApplication>
#include <QScreen>

namespace lctune {

namespace {

QScreen* primary() {
    return QGuiApplication::primaryScreen();
}

double twipsPerPixel(double logicalDpi) {
    // A screen that reports no DPI is taken as the 96 DPI the widgets were designed for.
    return logicalDpi > 1.0 ? 1440.0 / logicalDpi : 15.0;
}

} // namespace

double QtScreenMetrics::twipsPerPixelX() const {
    return twipsPerPixel(primary() ? primary()->logicalDotsPerInchX() : 96.0);
}

double QtScreenMetrics::twipsPerPixelY() const {
    return twipsPerPixel(primary() ? primary()->logicalDotsPerInchY() : 96.0);
}

double QtScreenMetrics::screenWidthTwips() const {
    return (primary() ? primary()->geometry().width() : 1024) * twipsPerPixelX();
}

double QtScreenMetrics::screenHeightTwips() const {
    return (primary() ? primary()->geometry().height() : 768) * twipsPerPixelY();
}

void QtScreenMetrics::installIfNone() {
    static const QtScreenMetrics metrics;
    if (!ScreenMetrics::installed()) ScreenMetrics::install(&metrics);
}

} // namespace lctune
