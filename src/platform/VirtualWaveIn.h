#pragma once
// A virtual input for demonstrations and tests, chosen by the environment variable LCTUNE_INPUT:
// either the path of an audio file (anything libsndfile reads; converted to the rate capture asks
// for, channels mixed down or duplicated, looped) or "tone:FREQ" (a sine of FREQ hertz at
// -6 dBFS). Either is delivered in real time, paced by the steady clock. It is the only device.

#include "platform/QueuedWaveInDevice.h"

#include <string>

namespace lctune {

class VirtualWaveIn : public WaveInService {
public:
    explicit VirtualWaveIn(std::string source);

    int32_t deviceCount() override { return 1; }
    /// The file's name without its folder, or the "tone:FREQ" text itself.
    std::string deviceName(int32_t index) override;
    std::unique_ptr<WaveInDevice> open(int32_t index, const WaveFormat& format,
                                       std::shared_ptr<NotificationTarget> target,
                                       std::string& error) override;

    /// The frequency of a "tone:FREQ" source; false when the text is not one.
    static bool parseTone(const std::string& source, double& hertz);
    /// Peak of the tone: 32767 at -6 dBFS.
    static double toneAmplitude();

private:
    std::string source_;
};

} // namespace lctune
