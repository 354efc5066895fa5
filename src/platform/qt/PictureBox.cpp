#include "platform/qt/PictureBox.h"

#include <QPainter>

#include <algorithm>
#include <cmath>

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
    if (surface_.changeCount() != paintedChange_) update();
}

void PictureBox::paintEvent(QPaintEvent*) {
    // The window moved to a screen of another pixel ratio: keep the picture, at the new ratio.
    surface_.setScale(wantedScale());
    QPainter painter(this);
    painter.drawImage(QPoint(0, 0), surface_.image());
    paintedChange_ = surface_.changeCount();
}

} // namespace lctune
