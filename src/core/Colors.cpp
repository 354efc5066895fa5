#include "core/Colors.h"

#include <cstdio>

namespace lctune {

std::string colorHex(uint32_t c) {
    char buf[8];
    std::snprintf(buf, sizeof buf, "#%02X%02X%02X", redOf(c), greenOf(c), blueOf(c));
    return buf;
}

} // namespace lctune
