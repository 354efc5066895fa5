#pragma once
// Our PCM converter: 16-bit PCM to 16-bit (a copy) or 8-bit PCM at the same rate and channel
// count. Other conversions are refused at open.
//
// 16 -> 8 bits: 8-bit PCM is unsigned with silence at 128, so a sample s becomes
// round(s / 256) + 128, rounded halves to even and held at 255, so the loudest positive samples
// (32640 and up) never wrap round to 0. Nothing is held back between blocks.

#include "platform/PcmConverter.h"

namespace lctune {

class LinearPcmConverter : public PcmConverter {
public:
    bool open(const WaveFormat& source, const WaveFormat& destination) override;
    bool size(int32_t sourceBytes, int32_t& destinationBytes) override;
    bool prepare() override;
    bool convert(const uint8_t* source, int32_t sourceBytes, uint8_t* destination, int32_t destinationBytes,
                 bool flush, int32_t& sourceUsed, int32_t& destinationUsed) override;
    bool unprepare() override;
    void close() override;
    bool isOpen() const override { return open_; }

    /// One 16-bit sample as unsigned 8-bit PCM.
    static uint8_t to8Bit(int16_t sample);

private:
    WaveFormat source_;
    WaveFormat destination_;
    bool open_ = false;
    bool prepared_ = false;
};

} // namespace lctune
