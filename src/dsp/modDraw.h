#pragma once
// Drawing helpers shared by the level bars and the equaliser curve.

#include <cstdint>

namespace lctune::modDraw {

/// A three-colour gradient: colour 1 at value 0, colour 2 at half the full scale, colour 3 at the
/// full scale, each component interpolated linearly in single precision and rounded halves to even.
/// Colours are packed R + 256 G + 65536 B. Values outside 0..full scale are held at the nearer end
/// (NaN counts as 0); a full scale that is not above 0 gives colour 1.
uint32_t GradientColor(float fullScale, float value, uint32_t color1, uint32_t color2, uint32_t color3);

} // namespace lctune::modDraw
