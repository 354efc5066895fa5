#include "platform/qt/QtColors.h"

#include "core/Colors.h"

#include <QGuiApplication>
#include <QPalette>

namespace lctune {

QColor qColorOf(uint32_t packed) {
    if (isSystemColor(packed)) {
        const QPalette palette = QGuiApplication::palette();
        switch (packed & 0xFFu) {
        case 5:
            return palette.color(QPalette::Base);
        case 8:
            return palette.color(QPalette::Text);
        case 15:
            return palette.color(QPalette::Button);
        case 17:
            return palette.color(QPalette::Disabled, QPalette::ButtonText);
        case 18:
            return palette.color(QPalette::ButtonText);
        default:
            return palette.color(QPalette::Window);
        }
    }
    return QColor(static_cast<int>(redOf(packed)), static_cast<int>(greenOf(packed)),
                  static_cast<int>(blueOf(packed)));
}

} // namespace lctune
