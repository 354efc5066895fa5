#pragma once
// One capture buffer's samples: signed 16-bit PCM, native byte order, left and right alternating
// in stereo. The capture engine hands a block over as a view it keeps owning (valid only while the
// data event runs); whoever keeps the samples copies them into a SampleBlock of its own.

#include <cstdint>
#include <vector>

namespace lctune {

using SampleBlock = std::vector<int16_t>;

} // namespace lctune
