#pragma once
// The press handle shared by all push buttons and check boxes (user-interface thread only).

#include <QWidget>

namespace lctune {

/// The window handle remembered by the last press on any push button or check box: a release
/// clicks only the widget that was pressed.
class SharedPress {
public:
    static void remember(const QWidget* widget) { pressed() = widget; }
    static bool is(const QWidget* widget) { return widget != nullptr && pressed() == widget; }
    static void forget(const QWidget* widget) {
        if (pressed() == widget) pressed() = nullptr;
    }

private:
    static const QWidget*& pressed() {
        static const QWidget* handle = nullptr;
        return handle;
    }
};

} // namespace lctune
