#include "widgets/SelfDrawnWidget.h"

#include "core/Colors.h"
#include "core/Numbers.h"
#include "platform/ScreenMetrics.h"
#include "platform/qt/QtColors.h"
#include "platform/qt/QtScreenMetrics.h"

#include <QBuffer>
#include <QCursor>
#include <QPaintEvent>

#include <charconv>
#include <cmath>

namespace lctune {

SelfDrawnWidget::SelfDrawnWidget(QWidget* parent) : QWidget(parent) {
    QtScreenMetrics::installIfNone();
    setAttribute(Qt::WA_OpaquePaintEvent, false);
    setMouseTracking(true);
}

double SelfDrawnWidget::twipsPerPixelX() const {
    return ScreenMetrics::current().twipsPerPixelX();
}
double SelfDrawnWidget::twipsPerPixelY() const {
    return ScreenMetrics::current().twipsPerPixelY();
}

double SelfDrawnWidget::widthTwips() const {
    const double tpp = twipsPerPixelX();
    return twipsWidth_ >= 0 && roundToInt32(twipsWidth_ / tpp) == width() ? twipsWidth_ : width() * tpp;
}

double SelfDrawnWidget::heightTwips() const {
    const double tpp = twipsPerPixelY();
    return twipsHeight_ >= 0 && roundToInt32(twipsHeight_ / tpp) == height() ? twipsHeight_ : height() * tpp;
}

void SelfDrawnWidget::setGeometryTwips(double left, double top, double width, double height) {
    twipsWidth_ = width;
    twipsHeight_ = height;
    setGeometry(roundToInt32(left / twipsPerPixelX()), roundToInt32(top / twipsPerPixelY()),
                roundToInt32(width / twipsPerPixelX()), roundToInt32(height / twipsPerPixelY()));
}

void SelfDrawnWidget::resizeTwips(double width, double height) {
    twipsWidth_ = width;
    twipsHeight_ = height;
    resize(roundToInt32(width / twipsPerPixelX()), roundToInt32(height / twipsPerPixelY()));
}

QColor SelfDrawnWidget::qColor(uint32_t packed) {
    return qColorOf(packed);
}

QPoint SelfDrawnWidget::pointerPosition() {
    return QCursor::pos();
}

void SelfDrawnWidget::ensureSurface() {
    const double ratio = devicePixelRatioF();
    scale_ = std::max(1, static_cast<int>(std::ceil(ratio - 1e-6)));
    const QSize size(std::max(1, width()) * scale_, std::max(1, height()) * scale_);
    if (surface_.size() == size) return;
    surface_ = QImage(size, QImage::Format_ARGB32_Premultiplied);
    surface_.setDevicePixelRatio(scale_);
    surface_.fill(Qt::transparent);
}

QPainter SelfDrawnWidget::beginSurface() {
    ensureSurface();
    return QPainter(&surface_);
}

QImage& SelfDrawnWidget::drawingSurface() {
    ensureSurface();
    return surface_;
}

void SelfDrawnWidget::clearSurface(uint32_t color) {
    ensureSurface();
    surface_.fill(qColor(color));
}

void SelfDrawnWidget::clearSurfaceTransparent() {
    ensureSurface();
    surface_.fill(Qt::transparent);
}

bool SelfDrawnWidget::pointerInWindowRect() const {
    const QPoint topLeft = mapToGlobal(QPoint(0, 0));
    const QPoint p = pointerPosition();
    return topLeft.x() <= p.x() && p.x() <= topLeft.x() + width() - 1 && topLeft.y() <= p.y() &&
           p.y() <= topLeft.y() + height() - 1;
}

void SelfDrawnWidget::drawTwipsLine(QPainter& painter, const LineHolder& line) const {
    QPen pen(qColor(line.color));
    pen.setWidthF(line.penWidth);
    pen.setCapStyle(line.penWidth > 1 ? Qt::RoundCap : Qt::SquareCap);
    painter.setPen(pen);
    const double px = twipsPerPixelX(), py = twipsPerPixelY();
    painter.drawLine(QPointF(line.x1 / px, line.y1 / py), QPointF(line.x2 / px, line.y2 / py));
}

void SelfDrawnWidget::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    ensureSurface();
    onResized();
}

void SelfDrawnWidget::paintEvent(QPaintEvent*) {
    if (surface_.isNull() || surface_.size() != size() * scale_ ||
        scale_ != std::max(1, static_cast<int>(std::ceil(devicePixelRatioF() - 1e-6)))) {
        // The screen's pixel ratio changed under us: draw again at the new ratio.
        ensureSurface();
        painting_ = true;
        onResized();
        painting_ = false;
    }
    QPainter painter(this);
    painter.drawImage(QPoint(0, 0), surface_);
    paintOverlay(painter);
}

std::string singleText(float value) {
    char buffer[64];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
    return numberText(leadingNumber(std::string_view(buffer, static_cast<size_t>(result.ptr - buffer))));
}

uint32_t lighterTint(uint32_t color) {
    auto tint = [](uint32_t x) { return static_cast<uint32_t>(roundHalfEven(255.0 - (255.0 - x) / 2.0)); };
    return rgb(tint(redOf(color)), tint(greenOf(color)), tint(blueOf(color)));
}

std::string pictureText(const QImage& picture) {
    if (picture.isNull()) return {};
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    picture.save(&buffer, "PNG");
    return png.toBase64().toStdString();
}

QImage pictureFromText(const std::string& text) {
    if (text.empty()) return {};
    QImage picture;
    picture.loadFromData(QByteArray::fromBase64(QByteArray::fromStdString(text)), "PNG");
    return picture;
}

int buttonCode(Qt::MouseButtons buttons) {
    int code = 0;
    if (buttons & Qt::LeftButton) code |= 1;
    if (buttons & Qt::RightButton) code |= 2;
    if (buttons & Qt::MiddleButton) code |= 4;
    return code;
}

int shiftCode(Qt::KeyboardModifiers modifiers) {
    int code = 0;
    if (modifiers & Qt::ShiftModifier) code |= 1;
    if (modifiers & Qt::ControlModifier) code |= 2;
    if (modifiers & Qt::AltModifier) code |= 4;
    return code;
}

} // namespace lctune
