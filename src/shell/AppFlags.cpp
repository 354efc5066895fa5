#include "shell/AppFlags.h"

namespace lctune {

AppFlags& appFlags() {
    static AppFlags flags;
    return flags;
}

} // namespace lctune
