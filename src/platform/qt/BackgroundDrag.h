#pragma once
// Moving a frameless window by dragging its background: the window manager's own move where there
// is one (QWindow::startSystemMove), otherwise the window follows the pointer itself.

#include <QPoint>

class QMouseEvent;
class QWidget;

namespace lctune {

class BackgroundDrag {
public:
    /// A mouse button went down on the window's background.
    void press(QWidget& window, const QMouseEvent& event);
    /// The pointer moved; a plain drag moves the window with it.
    void move(QWidget& window, const QMouseEvent& event);

private:
    QPoint grip_;
    bool dragging_ = false;
};

} // namespace lctune
