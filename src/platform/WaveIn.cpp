#include "platform/WaveIn.h"

namespace lctune {

WaveFormat WaveFormat::pcm(uint32_t rate, uint16_t channels, uint16_t bits) {
    WaveFormat f;
    f.formatTag = 1;
    f.channels = channels;
    f.samplesPerSec = rate;
    f.bitsPerSample = bits;
    f.blockAlign = static_cast<uint16_t>(channels * bits / 8);
    f.avgBytesPerSec = f.blockAlign * rate;
    f.extraSize = 0;
    return f;
}

} // namespace lctune
