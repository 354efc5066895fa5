#pragma once
// Colours are packed red + 256 * green + 65536 * blue. A value with the top bit set,
// 0x80000000 plus an index, stands for the platform's system colour of that index.

#include <cstdint>
#include <string>

namespace lctune {

constexpr uint32_t rgb(uint32_t r, uint32_t g, uint32_t b) {
    return r + 256u * g + 65536u * b;
}
constexpr uint32_t redOf(uint32_t c) {
    return c & 0xFFu;
}
constexpr uint32_t greenOf(uint32_t c) {
    return (c >> 8) & 0xFFu;
}
constexpr uint32_t blueOf(uint32_t c) {
    return (c >> 16) & 0xFFu;
}
constexpr bool isSystemColor(uint32_t c) {
    return (c & 0x80000000u) != 0;
}

/// "#RRGGBB" of a packed colour (system colours are not resolved here).
std::string colorHex(uint32_t c);

} // namespace lctune
