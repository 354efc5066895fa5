#include "platform/qt/BackgroundDrag.h"

#include <QMouseEvent>
#include <QWidget>
#include <QWindow>

namespace lctune {

void BackgroundDrag::press(QWidget& window, const QMouseEvent& event) {
    dragging_ = false;
    if (event.button() != Qt::LeftButton) return;
    QWindow* handle = window.windowHandle();
    if (handle && handle->startSystemMove()) return;
    grip_ = event.globalPosition().toPoint() - window.pos();
    dragging_ = true;
}

void BackgroundDrag::move(QWidget& window, const QMouseEvent& event) {
    if (dragging_ && (event.buttons() & Qt::LeftButton))
        window.move(event.globalPosition().toPoint() - grip_);
}

} // namespace lctune
