#include "widgets/框架.h"

#include "core/Colors.h"
#include "core/Numbers.h"

#include <QMouseEvent>

namespace lctune {

框架::框架(QWidget* parent) : SelfDrawnWidget(parent) {
    strips_[Top] = {0, 0, 0, 375};
    strips_[Bottom] = {0, 0, 0, 375};
    strips_[Left] = {0, 0, 315, 0};
    strips_[Right] = {0, 0, 315, 0};
    stripColor_[Top] = stripColor_[Bottom] = stripColor_[Right] = rgb(0, 192, 192);
    stripColor_[Left] = rgb(0, 128, 128);
    lines_[Top] = {0, 0, 0, 0, rgb(0, 128, 128), 3};
    lines_[Left] = {0, 0, 0, 0, rgb(0, 128, 128), 3};
    lines_[Bottom] = {0, 0, 0, 0, rgb(0, 255, 255), 3};
    lines_[Right] = {0, 0, 0, 0, rgb(0, 255, 255), 3};
    for (QWidget*& strip : stripWidgets_) {
        strip = new QWidget(this);
        strip->setAutoFillBackground(true);
        strip->setMouseTracking(true);
        strip->installEventFilter(this);
    }
    边框色(stripColor_[Left]);
    resizeTwips(3000, 2000);
}

int16_t 框架::上边框宽度() const {
    return static_cast<int16_t>(roundToInt32(strips_[Top].height));
}
int16_t 框架::下边框宽度() const {
    return static_cast<int16_t>(roundToInt32(strips_[Bottom].height));
}
int16_t 框架::左边框宽度() const {
    return static_cast<int16_t>(roundToInt32(strips_[Left].width));
}
int16_t 框架::右边框宽度() const {
    return static_cast<int16_t>(roundToInt32(strips_[Right].width));
}

// A negative size cannot be set: such a write fails and changes nothing.
void 框架::上边框宽度(int16_t value) {
    if (value >= 0) strips_[Top].height = value;
    layOut();
}
void 框架::下边框宽度(int16_t value) {
    if (value >= 0) strips_[Bottom].height = value;
    layOut();
}
void 框架::左边框宽度(int16_t value) {
    if (value >= 0) strips_[Left].width = value;
    layOut();
}
void 框架::右边框宽度(int16_t value) {
    if (value >= 0) strips_[Right].width = value;
    layOut();
}

void 框架::边框色(uint32_t value) {
    if (isSystemColor(value)) {
        // A system colour is taken as the user's colour of that kind right now.
        const QColor resolved = qColor(value);
        value = rgb(resolved.red(), resolved.green(), resolved.blue());
    }
    for (uint32_t& colour : stripColor_)
        colour = value;
    const double B = value / 65536;
    const double G = (value - 65536 * static_cast<uint32_t>(B)) / 256;
    const double R = value % 256;
    auto dark = [](double x) { return static_cast<uint32_t>(roundHalfEven(2.0 * x / 3.0)); };
    auto light = [](double x) { return static_cast<uint32_t>(roundHalfEven(255.0 - (255.0 - x) / 2.0)); };
    lines_[Top].color = lines_[Left].color = rgb(dark(R), dark(G), dark(B));
    lines_[Right].color = lines_[Bottom].color = rgb(light(R), light(G), light(B));
    for (int i = 0; i < 4; ++i) {
        QPalette palette = stripWidgets_[i]->palette();
        palette.setColor(QPalette::Window, qColor(stripColor_[i]));
        stripWidgets_[i]->setPalette(palette);
    }
    draw();
}

void 框架::layOut() {
    const double W = widthTwips(), H = heightTwips();
    const double px = twipsPerPixelX(), py = twipsPerPixelY();
    TwipsRect& top = strips_[Top];
    TwipsRect& bottom = strips_[Bottom];
    TwipsRect& left = strips_[Left];
    TwipsRect& right = strips_[Right];
    top.top = 0, top.left = 0, top.width = W;
    bottom.top = H - bottom.height, bottom.left = 0, bottom.width = W;
    left.top = top.height, left.left = 0;
    // The side strips reach one pixel into the bottom strip's rows; all strips have one colour.
    const double sideHeight = H - top.height - bottom.height + py;
    if (sideHeight >= 0) left.height = sideHeight;
    right.top = top.height;
    right.left = W - right.width;
    if (sideHeight >= 0) right.height = sideHeight;
    lines_[Top].x1 = left.width, lines_[Top].y1 = top.height, lines_[Top].x2 = right.left,
    lines_[Top].y2 = top.height;
    lines_[Left].x1 = left.width, lines_[Left].y1 = top.height, lines_[Left].x2 = left.width,
    lines_[Left].y2 = bottom.top;
    lines_[Right].x1 = right.left - px, lines_[Right].y1 = top.height, lines_[Right].x2 = right.left - px,
    lines_[Right].y2 = bottom.top;
    lines_[Bottom].x1 = left.width, lines_[Bottom].y1 = bottom.top - py, lines_[Bottom].x2 = right.left,
    lines_[Bottom].y2 = bottom.top - py;
    placeStrips();
    draw();
}

void 框架::placeStrips() {
    const double px = twipsPerPixelX(), py = twipsPerPixelY();
    for (int i = 0; i < 4; ++i) {
        const TwipsRect& r = strips_[i];
        stripWidgets_[i]->setGeometry(roundToInt32(r.left / px), roundToInt32(r.top / py),
                                      roundToInt32(r.width / px), roundToInt32(r.height / py));
        stripWidgets_[i]->raise();
    }
}

void 框架::draw() {
    clearSurfaceTransparent();
    QPainter painter = beginSurface();
    for (const LineHolder& line : lines_) {
        QPen pen(qColor(line.color), line.penWidth, Qt::SolidLine, Qt::SquareCap);
        painter.setPen(pen);
        painter.drawLine(QPointF(line.x1 / twipsPerPixelX(), line.y1 / twipsPerPixelY()),
                         QPointF(line.x2 / twipsPerPixelX(), line.y2 / twipsPerPixelY()));
    }
    painter.end();
    present();
}

void 框架::mouseMoveEvent(QMouseEvent* event) {
    MouseMove(buttonCode(event->buttons()), shiftCode(event->modifiers()),
              float(event->position().x() * twipsPerPixelX()),
              float(event->position().y() * twipsPerPixelY()));
}

bool 框架::eventFilter(QObject*, QEvent* event) {
    if (event->type() == QEvent::MouseMove) {
        auto* move = static_cast<QMouseEvent*>(event);
        MouseMove(buttonCode(move->buttons()), shiftCode(move->modifiers()),
                  float(move->position().x() * twipsPerPixelX()),
                  float(move->position().y() * twipsPerPixelY()));
    }
    return false;
}

void 框架::ReadProperties(const PropertyBag& bag) {
    // Each default is the value the frame has when it is loaded.
    auto width16 = [&](const char* key, int16_t current) {
        return static_cast<int16_t>(
            std::clamp<int64_t>(bag.ReadProperty(key, int64_t{current}), INT16_MIN, INT16_MAX));
    };
    左边框宽度(width16("左边框宽度", 左边框宽度()));
    右边框宽度(width16("右边框宽度", 右边框宽度()));
    上边框宽度(width16("上边框宽度", 上边框宽度()));
    下边框宽度(width16("下边框宽度", 下边框宽度()));
    边框色(bag.ReadColor("框架色", 边框色()));
}

void 框架::WriteProperties(PropertyBag& bag) const {
    bag.WriteProperty("左边框宽度", int64_t{左边框宽度()}, int64_t{315});
    bag.WriteProperty("右边框宽度", int64_t{右边框宽度()}, int64_t{315});
    bag.WriteProperty("上边框宽度", int64_t{上边框宽度()}, int64_t{375});
    bag.WriteProperty("下边框宽度", int64_t{下边框宽度()}, int64_t{375});
    bag.WriteColor("框架色", 边框色(), rgb(0, 128, 128));
}

} // namespace lctune
