#pragma once
// The equaliser's response as a smooth coloured curve over the band grid lines, drawn into a plot
// surface (the recording window's and the tuner window's picEQAmp), and the band labels under the
// equaliser's sliders.

#include "core/PlotSurface.h"

#include <cstdint>
#include <span>
#include <string>

namespace lctune {

/// Draws the curve of `bandValues` (the sliders' values in dB, band 0 first) against `sliderMax`
/// (the sliders' top, 12): a grid line per band, then a cosine-interpolated line in fifth-of-a-pixel
/// steps from the first band's grid line to the last one's, coloured by its height (cut bands
/// reddish, flat orange, boosted green). The surface's scale becomes its pixel size.
void 绘均衡曲线(PlotSurface& pic, std::span<const float> bandValues, double sliderMax);

/// The label of a band centre: "80 Hz" up to 1000 Hz, otherwise the whole kilohertz ("1 kHz",
/// "29 kHz").
std::string equaliserBandLabel(int32_t hertz);

} // namespace lctune
