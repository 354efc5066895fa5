#pragma once
// A virtual input for demonstrations and tests, chosen by the environment variable LCTUNE_INPUT:
// either the path of an audio file (anything AudioFileReader reads, floating-point files included;
// converted to the rate capture asks for, channels mixed down or duplicated, looped) or
// "tone:FREQ" (a sine of FREQ hertz at -6 dBFS; FREQ a plain number from 1 Hz up to below half the
// capture rate). Either is delivered in real time, paced by the steady clock. It is the only device.

#include "platform/WaveIn.h"

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

    /// The lowest tone: slower "tones" are a drifting offset, not a pitch.
    static constexpr double kLowestTone = 1.0;

    /// The frequency of a "tone:FREQ" source: FREQ a number and nothing else, 1 Hz or more, finite.
    /// False when the text is not one.
    static bool parseTone(const std::string& source, double& hertz);
    /// Peak of the tone: 32767 at -6 dBFS.
    static double toneAmplitude();

private:
    std::string source_;
};

} // namespace lctune
