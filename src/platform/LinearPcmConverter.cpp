#include "platform/LinearPcmConverter.h"

#include "core/Numbers.h"

#include <algorithm>
#include <cstring>

namespace lctune {

uint8_t LinearPcmConverter::to8Bit(int16_t sample) {
    const double v = roundHalfEven(sample / 256.0) + 128.0;
    return static_cast<uint8_t>(std::clamp(v, 0.0, 255.0));
}

bool LinearPcmConverter::open(const WaveFormat& source, const WaveFormat& destination) {
    close();
    const bool pcm16In = source.formatTag == 1 && source.bitsPerSample == 16 && source.channels >= 1 &&
                         source.samplesPerSec >= 1 && source.blockAlign == source.channels * 2;
    const bool pcmOut =
        destination.formatTag == 1 && (destination.bitsPerSample == 16 || destination.bitsPerSample == 8) &&
        destination.channels == source.channels && destination.samplesPerSec == source.samplesPerSec &&
        destination.blockAlign == destination.channels * destination.bitsPerSample / 8;
    if (!pcm16In || !pcmOut) return false;
    source_ = source;
    destination_ = destination;
    open_ = true;
    return true;
}

bool LinearPcmConverter::size(int32_t sourceBytes, int32_t& destinationBytes) {
    if (!open_ || sourceBytes < 0) return false;
    const int32_t blocks = sourceBytes / source_.blockAlign;
    destinationBytes = blocks * destination_.blockAlign;
    return true;
}

bool LinearPcmConverter::prepare() {
    if (!open_) return false;
    prepared_ = true;
    return true;
}

bool LinearPcmConverter::unprepare() {
    if (!prepared_) return false;
    prepared_ = false;
    return true;
}

bool LinearPcmConverter::convert(const uint8_t* source, int32_t sourceBytes, uint8_t* destination,
                                 int32_t destinationBytes, bool /*flush*/, int32_t& sourceUsed,
                                 int32_t& destinationUsed) {
    sourceUsed = 0;
    destinationUsed = 0;
    if (!prepared_ || sourceBytes < 0 || destinationBytes < 0) return false;
    int32_t wanted = 0;
    size(sourceBytes, wanted);
    if (wanted > destinationBytes) return false;
    const int32_t samples = sourceBytes / source_.blockAlign * source_.channels;
    if (destination_.bitsPerSample == 16) {
        if (samples > 0) std::memcpy(destination, source, static_cast<size_t>(samples) * 2);
    } else {
        for (int32_t i = 0; i < samples; ++i) {
            int16_t s = 0;
            std::memcpy(&s, source + 2 * i, 2); // the source need not be aligned
            destination[i] = to8Bit(s);
        }
    }
    sourceUsed = samples * 2;
    destinationUsed = wanted;
    return true;
}

void LinearPcmConverter::close() {
    open_ = false;
    prepared_ = false;
}

} // namespace lctune
