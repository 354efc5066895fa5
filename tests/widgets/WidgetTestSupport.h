#pragma once
// Helpers shared by the widget tests: moving the pointer, pumping events, pixel probes.

#include <QApplication>
#include <QCursor>
#include <QElapsedTimer>
#include <QImage>
#include <QMouseEvent>
#include <QTest>
#include <QWidget>

#include <cstdint>

namespace lctune::testing {

/// Moves the platform pointer to `local` of `widget` (the offscreen platform delivers the move).
inline void pointTo(QWidget* widget, QPoint local) {
    QCursor::setPos(widget->mapToGlobal(local));
    QApplication::processEvents();
}

/// Moves the pointer well away from every test window.
inline void pointAway() {
    QCursor::setPos(QPoint(5000, 5000));
    QApplication::processEvents();
}

/// Runs the event loop for `ms` milliseconds so that timers fire.
inline void runFor(int ms) {
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < ms) {
        QApplication::processEvents(QEventLoop::AllEvents, 5);
        QTest::qSleep(2);
    }
}

inline void sendMouse(QWidget* widget, QEvent::Type type, QPoint local, Qt::MouseButton button,
                      Qt::MouseButtons buttons) {
    QMouseEvent event(type, QPointF(local), QPointF(widget->mapToGlobal(local)), button, buttons,
                      Qt::NoModifier);
    QApplication::sendEvent(widget, &event);
}

inline void press(QWidget* w, QPoint p) {
    sendMouse(w, QEvent::MouseButtonPress, p, Qt::LeftButton, Qt::LeftButton);
}
inline void release(QWidget* w, QPoint p) {
    sendMouse(w, QEvent::MouseButtonRelease, p, Qt::LeftButton, Qt::NoButton);
}
inline void dragTo(QWidget* w, QPoint p) {
    sendMouse(w, QEvent::MouseMove, p, Qt::NoButton, Qt::LeftButton);
}
inline void moveOver(QWidget* w, QPoint p) {
    sendMouse(w, QEvent::MouseMove, p, Qt::NoButton, Qt::NoButton);
}

/// Packed R + 256 G + 65536 B of a pixel of a picture.
inline uint32_t packedAt(const QImage& image, int x, int y) {
    const QRgb p = image.pixel(x, y);
    return static_cast<uint32_t>(qRed(p)) + 256u * static_cast<uint32_t>(qGreen(p)) +
           65536u * static_cast<uint32_t>(qBlue(p));
}

inline QImage grabbed(QWidget* widget) {
    return widget->grab().toImage().convertToFormat(QImage::Format_RGB32);
}

} // namespace lctune::testing

#include "core/PropertyBag.h"

#include <string>
#include <vector>

namespace lctune::testing {

/// A property bag that remembers which keys were asked for, in order.
class RecordingBag : public PropertyBag {
public:
    std::optional<std::string> readText(const std::string& key) const override {
        reads.push_back(key);
        return PropertyBag::readText(key);
    }
    mutable std::vector<std::string> reads;
};

inline std::vector<std::string> keysOf(const PropertyBag& bag) {
    std::vector<std::string> keys;
    for (const auto& entry : bag.entries())
        keys.push_back(entry.first);
    return keys;
}

} // namespace lctune::testing
