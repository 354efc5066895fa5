#pragma once
// Packed colours (R + 256 G + 65536 B, or 0x80000000 + index for a system colour) as Qt colours.

#include <QColor>

#include <cstdint>

namespace lctune {

/// The Qt colour of a packed colour. System colours resolve to the application palette: 5 window
/// background (Base), 8 window text, 15 button face, 17 grey text, 18 button text; any other index
/// is the window colour.
QColor qColorOf(uint32_t packed);

} // namespace lctune
