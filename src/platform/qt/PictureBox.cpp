#include "platform/qt/PictureBox.h"

#include <QPaintEvent>
#include <QPainter>

#include <algorithm>
#include <cmath>
#include <cstring>

namespace lctune {

PictureBox::PictureBox(int32_t width, int32_t height, QWidget* parent)
    : QWidget(parent), surface_(width, height), paintedChange_(surface_.changeCount()) {
    setAttribute(Qt::WA_OpaquePaintEvent, true);
    setFixedSize(std::max(1, width), std::max(1, height));
    surface_.setScale(wantedScale());
}

PictureBox::PictureBox(int32_t width, int32_t height, uint32_t background, QWidget* parent)
    : PictureBox(width, height, parent) {
    surface_.backColor(background);
    surface_.clear();
}

int PictureBox::wantedScale() const {
    return std::max(1, static_cast<int>(std::ceil(devicePixelRatioF() - 1e-6)));
}

void PictureBox::refresh() {
    if (surface_.changeCount() == paintedChange_) return;
    paintedChange_ = surface_.changeCount();
    const QImage& image = surface_.image();
    if (shown_.size() != image.size() || shown_.format() != image.format()) {
        shown_ = image.copy();
        ++repaints_;
        update();
        return;
    }
    // The rows that differ, and within them the columns, from the ends inwards.
    const int width = image.width(), height = image.height();
    const size_t rowBytes = static_cast<size_t>(width) * 4;
    int top = 0, bottom = height - 1;
    while (top <= bottom && std::memcmp(image.constScanLine(top), shown_.constScanLine(top), rowBytes) == 0)
        ++top;
    if (top > bottom) return; // drawn again, the same picture
    while (std::memcmp(image.constScanLine(bottom), shown_.constScanLine(bottom), rowBytes) == 0)
        --bottom;
    int left = width, right = -1;
    for (int y = top; y <= bottom; ++y) {
        const auto* now = reinterpret_cast<const QRgb*>(image.constScanLine(y));
        const auto* was = reinterpret_cast<const QRgb*>(shown_.constScanLine(y));
        int l = 0;
        while (l < width && now[l] == was[l])
            ++l;
        if (l == width) continue;
        int r = width - 1;
        while (now[r] == was[r])
            --r;
        left = std::min(left, l), right = std::max(right, r);
        std::memcpy(shown_.scanLine(y), now, rowBytes);
    }
    ++repaints_;
    // Device pixels to logical ones, widened to whole logical pixels.
    const int s = surface_.scale();
    update(QRect(QPoint(left / s, top / s), QPoint(right / s, bottom / s)));
}

void PictureBox::paintEvent(QPaintEvent* event) {
    // The window moved to a screen of another pixel ratio: keep the picture, at the new ratio.
    const int scale = wantedScale();
    if (scale != surface_.scale()) {
        surface_.setScale(scale);
        shown_ = surface_.image().copy();
    }
    QPainter painter(this);
    const QRect r = event->rect();
    const int s = surface_.scale();
    painter.drawImage(r, surface_.image(), QRect(r.topLeft() * s, r.size() * s));
}

} // namespace lctune
