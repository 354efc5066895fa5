#include "platform/qt/QImagePlotSurface.h"

#include "core/Colors.h"
#include "core/Numbers.h"
#include "platform/qt/QtColors.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace lctune {

namespace {

// Farther than any picture reaches; keeps conversions to int defined for absurd coordinates.
constexpr double kFar = 1 << 28;

QRgb rgbOf(uint32_t packed) {
    if (isSystemColor(packed)) return qColorOf(packed).rgb();
    return qRgb(static_cast<int>(redOf(packed)), static_cast<int>(greenOf(packed)),
                static_cast<int>(blueOf(packed)));
}

int pixelOf(double device) {
    return static_cast<int>(std::clamp(roundHalfEvenFast(device), -kFar, kFar));
}

// Liang-Barsky: cuts the segment down to the part inside the box; false when none is inside.
bool clipToBox(double& x1, double& y1, double& x2, double& y2, double left, double top, double right,
               double bottom) {
    const double dx = x2 - x1, dy = y2 - y1;
    const double p[4] = {-dx, dx, -dy, dy};
    const double q[4] = {x1 - left, right - x1, y1 - top, bottom - y1};
    double t0 = 0, t1 = 1;
    for (int i = 0; i < 4; ++i) {
        if (p[i] == 0) {
            if (q[i] < 0) return false;
            continue;
        }
        const double r = q[i] / p[i];
        if (p[i] < 0)
            t0 = std::max(t0, r);
        else
            t1 = std::min(t1, r);
        if (t0 > t1) return false;
    }
    const double startX = x1, startY = y1;
    x1 = startX + t0 * dx, y1 = startY + t0 * dy;
    x2 = startX + t1 * dx, y2 = startY + t1 * dy;
    return true;
}

// Fills [left, right) x [top, bottom) of an RGB32 picture, clipped; false when nothing is inside.
bool fillPixels(QImage& image, int left, int top, int right, int bottom, QRgb rgb) {
    left = std::max(left, 0), top = std::max(top, 0);
    right = std::min(right, image.width()), bottom = std::min(bottom, image.height());
    if (left >= right || top >= bottom) return false;
    for (int y = top; y < bottom; ++y) {
        auto* row = reinterpret_cast<QRgb*>(image.scanLine(y));
        std::fill(row + left, row + right, rgb);
    }
    return true;
}

} // namespace

QImagePlotSurface::QImagePlotSurface(int32_t pixelWidth, int32_t pixelHeight, int scale)
    : PlotSurface(pixelWidth, pixelHeight), scale_(std::max(1, scale)) {
    image_ =
        QImage(std::max(1, pixelWidth) * scale_, std::max(1, pixelHeight) * scale_, QImage::Format_RGB32);
    image_.setDevicePixelRatio(scale_);
    image_.fill(rgbOf(backColor()));
    limitX_ = image_.width() - 0.5, limitY_ = image_.height() - 0.5;
}

void QImagePlotSurface::flushSpan() const {
    if (!span_.active) return;
    span_.active = false;
    const qsizetype stride = image_.bytesPerLine();
    uchar* const bits = image_.bits();
    for (int y = span_.top; y <= span_.bottom; ++y)
        reinterpret_cast<QRgb*>(bits + y * stride)[span_.x] = span_.rgb;
}

void QImagePlotSurface::setScale(int scale) {
    scale = std::max(1, scale);
    if (scale == scale_) return;
    flushSpan();
    scale_ = scale;
    image_ = image_.scaled(std::max(1, pixelWidth()) * scale_, std::max(1, pixelHeight()) * scale_,
                           Qt::IgnoreAspectRatio, Qt::FastTransformation);
    image_.setDevicePixelRatio(scale_);
    limitX_ = image_.width() - 0.5, limitY_ = image_.height() - 0.5;
    unitsX_ = unitsY_ = std::numeric_limits<double>::quiet_NaN();
    ++changes_;
}

// The plots set the scale far less often than they draw: the divisions are made once per scale.
double QImagePlotSurface::devicePerUnitX() {
    if (scaleWidth() != unitsX_) {
        unitsX_ = scaleWidth();
        perUnitX_ = static_cast<double>(pixelWidth()) * scale_ / unitsX_;
    }
    return perUnitX_;
}

double QImagePlotSurface::devicePerUnitY() {
    if (scaleHeight() != unitsY_) {
        unitsY_ = scaleHeight();
        perUnitY_ = static_cast<double>(pixelHeight()) * scale_ / unitsY_;
    }
    return perUnitY_;
}

void QImagePlotSurface::clear() {
    span_.active = false; // covered by the fill anyway
    image_.fill(rgbOf(backColor()));
    ++changes_;
}

void QImagePlotSurface::moveTo(double x, double y) {
    currentX_ = x, currentY_ = y;
}

void QImagePlotSurface::lineTo(double x, double y) {
    changed(drawLine(currentX_, currentY_, x, y, drawColor()));
    currentX_ = x, currentY_ = y;
}

void QImagePlotSurface::line(double x1, double y1, double x2, double y2, uint32_t color) {
    changed(drawLine(x1, y1, x2, y2, color));
    currentX_ = x2, currentY_ = y2;
}

void QImagePlotSurface::fillRect(double x1, double y1, double x2, double y2, uint32_t color) {
    flushSpan();
    const double fx = devicePerUnitX(), fy = devicePerUnitY();
    changed(fillDevice(x1 * fx, y1 * fy, x2 * fx, y2 * fy, rgbOf(color)));
}

void QImagePlotSurface::rectangle(double x1, double y1, double x2, double y2, uint32_t color) {
    flushSpan();
    const double fx = devicePerUnitX(), fy = devicePerUnitY();
    const double a = x1 * fx, b = x2 * fx, c = y1 * fy, d = y2 * fy;
    if (!std::isfinite(a + b + c + d)) return;
    const int left = std::min(pixelOf(a), pixelOf(b)), right = std::max(pixelOf(a), pixelOf(b));
    const int top = std::min(pixelOf(c), pixelOf(d)), bottom = std::max(pixelOf(c), pixelOf(d));
    if (left >= right || top >= bottom) return;
    const QRgb rgb = rgbOf(color);
    const int s = scale_;
    bool any = fillPixels(image_, left, top, right, std::min(top + s, bottom), rgb);
    any |= fillPixels(image_, left, std::max(bottom - s, top), right, bottom, rgb);
    any |= fillPixels(image_, left, top, std::min(left + s, right), bottom, rgb);
    any |= fillPixels(image_, std::max(right - s, left), top, right, bottom, rgb);
    changed(any);
}

void QImagePlotSurface::point(double x, double y, uint32_t color) {
    flushSpan();
    const double px = x * devicePerUnitX(), py = y * devicePerUnitY();
    currentX_ = x, currentY_ = y;
    if (!std::isfinite(px + py)) return;
    const int left = pixelOf(px), top = pixelOf(py);
    changed(fillPixels(image_, left, top, left + scale_, top + scale_, rgbOf(color)));
}

bool QImagePlotSurface::fillDevice(double left, double top, double right, double bottom, uint32_t rgb) {
    if (!std::isfinite(left + top + right + bottom)) return false;
    const int l = pixelOf(left), r = pixelOf(right), t = pixelOf(top), b = pixelOf(bottom);
    return fillPixels(image_, std::min(l, r), std::min(t, b), std::max(l, r), std::max(t, b), rgb);
}

bool QImagePlotSurface::joinColumn(int x, int y, int endY, uint32_t color) {
    if (y == endY) return false; // nothing to draw; a chain goes on from the same place
    const int top = endY < y ? endY + 1 : y, bottom = endY > y ? endY - 1 : y;
    if (span_.active && span_.x == x && span_.color == color && span_.endY == y) {
        span_.top = std::min(span_.top, top);
        span_.bottom = std::max(span_.bottom, bottom);
    } else {
        flushSpan();
        span_ = Span{true, x, top, bottom, endY, color, rgbOf(color)};
    }
    span_.endY = endY;
    return true;
}

bool QImagePlotSurface::drawLine(double x1, double y1, double x2, double y2, uint32_t color) {
    const double fx = devicePerUnitX(), fy = devicePerUnitY();
    return drawDevice(device(x1 * fx, y1 * fy), device(x2 * fx, y2 * fy), color);
}

// Walks the device pixels from the start to the end (Bresenham) with a brush of one logical pixel
// (scale x scale device pixels) and stops one logical pixel short of the end. A segment that
// reaches beyond the picture and a margin wider than the brush is first cut to them, so a line far
// outside costs no more than one across the picture and the pixels inside stay where the whole
// line has them.
bool QImagePlotSurface::walkLine(const DevicePoint& a, const DevicePoint& b, uint32_t color) {
    double ax = a.x, ay = a.y, bx = b.x, by = b.y;
    if (!std::isfinite(ax + ay + bx + by)) return false;
    const int width = image_.width(), height = image_.height();
    const double margin = 2.0 * scale_, right = width + margin, bottom = height + margin;
    const auto outside = [&](double x, double y) {
        return x < -margin || x > right || y < -margin || y > bottom;
    };
    if ((outside(ax, ay) || outside(bx, by)) && !clipToBox(ax, ay, bx, by, -margin, -margin, right, bottom))
        return false;

    int x = static_cast<int>(roundHalfEvenFast(ax)), y = static_cast<int>(roundHalfEvenFast(ay));
    const int endX = static_cast<int>(roundHalfEvenFast(bx)), endY = static_cast<int>(roundHalfEvenFast(by));
    const int dx = std::abs(endX - x), dy = std::abs(endY - y);
    const int stepX = x < endX ? 1 : -1, stepY = y < endY ? 1 : -1;
    const int count = std::max(dx, dy) + 1 - scale_;
    if (count <= 0) return false;

    const QRgb rgb = rgbOf(color);
    const int s = scale_;
    uchar* const bits = image_.bits();
    const qsizetype stride = image_.bytesPerLine();
    int error = dx - dy;
    // The common case, a one-pixel brush wholly inside: no clipping per pixel. Each axis moves at
    // most once a pixel and never past its end, and the end pixel itself is not drawn: a mark
    // down to the picture's bottom edge stays inside.
    const int lastX = x + stepX * std::min(dx, count - 1), lastY = y + stepY * std::min(dy, count - 1);
    const bool inside = std::min(x, lastX) >= 0 && std::max(x, lastX) < width && std::min(y, lastY) >= 0 &&
                        std::max(y, lastY) < height;
    flushSpan();
    if (s == 1 && inside) {
        for (int i = 0; i < count; ++i) {
            reinterpret_cast<QRgb*>(bits + y * stride)[x] = rgb;
            const int twice = 2 * error;
            if (twice > -dy) error -= dy, x += stepX;
            if (twice < dx) error += dx, y += stepY;
        }
        return true;
    }
    bool any = false;
    for (int i = 0; i < count; ++i) {
        for (int row = std::max(y, 0); row < std::min(y + s, height); ++row) {
            auto* pixels = reinterpret_cast<QRgb*>(bits + row * stride);
            for (int column = std::max(x, 0); column < std::min(x + s, width); ++column) {
                pixels[column] = rgb;
                any = true;
            }
        }
        const int twice = 2 * error;
        if (twice > -dy) error -= dy, x += stepX;
        if (twice < dx) error += dx, y += stepY;
    }
    return any;
}

// The tuner's waveform: thousands of lines a picture. Each point is scaled and rounded once, and
// the picture counts one change for the chain.
void QImagePlotSurface::polyline(std::span<const PlotPoint> points, uint32_t color) {
    if (points.size() < 2) return;
    const double fx = devicePerUnitX(), fy = devicePerUnitY();
    DevicePoint a = device(points[0].x * fx, points[0].y * fy);
    bool any = false;
    for (size_t k = 1; k < points.size(); ++k) {
        const DevicePoint b = device(points[k].x * fx, points[k].y * fy);
        any |= drawDevice(a, b, color);
        a = b;
    }
    changed(any);
    currentX_ = points.back().x, currentY_ = points.back().y;
}

} // namespace lctune
