#pragma once
// Conversion streams from 16-bit PCM to an output PCM format, shaped like the platform's
// audio-compression manager: open, size query, prepare, convert whole blocks, flush, close.
// Every call reports failure by returning false.

#include "platform/WaveIn.h"

#include <cstdint>

namespace lctune {

class PcmConverter {
public:
    virtual ~PcmConverter() = default;
    virtual bool open(const WaveFormat& source, const WaveFormat& destination) = 0;
    /// The largest output for `sourceBytes` bytes of input.
    virtual bool size(int32_t sourceBytes, int32_t& destinationBytes) = 0;
    virtual bool prepare() = 0;
    /// Converts the whole source blocks of `source` (a trailing part block is left unused); with
    /// `flush` set, also hands out anything held back. Sets the bytes used on both sides.
    virtual bool convert(const uint8_t* source, int32_t sourceBytes, uint8_t* destination,
                         int32_t destinationBytes, bool flush, int32_t& sourceUsed,
                         int32_t& destinationUsed) = 0;
    virtual bool unprepare() = 0;
    virtual void close() = 0;
    virtual bool isOpen() const = 0;
};

} // namespace lctune
