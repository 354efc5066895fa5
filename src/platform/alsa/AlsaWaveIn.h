#pragma once
// Wave input on ALSA. Device 0 is `default`, the system's default input (and what device -1
// opens); then every other PCM that opens for capture, in the order of the system's name hints
// (`null`, which delivers no sound at all, is left out). Capture runs non-blocking with a wait of
// at most 100 ms; overruns are recovered, not fatal. A sound server that freezes can still hang the
// PCM's stop and close: the queued device bounds both.

#include "platform/QueuedWaveInDevice.h"

#include <string>
#include <vector>

namespace lctune {

class AlsaWaveIn : public WaveInService {
public:
    /// The system's devices, found on the first call that needs them.
    AlsaWaveIn();
    /// Exactly these PCMs, opened from a private configuration (ALSA configuration text; empty
    /// means the system's configuration).
    AlsaWaveIn(std::vector<std::string> pcmNames, std::string configText);

    int32_t deviceCount() override;
    std::string deviceName(int32_t index) override;
    std::unique_ptr<WaveInDevice> open(int32_t index, const WaveFormat& format,
                                       std::shared_ptr<NotificationTarget> target,
                                       std::string& error) override;

    /// The PCM names behind the device indices.
    const std::vector<std::string>& pcmNames();

    /// Keeps alsa-lib's own diagnostics ("cannot find card …") off stderr. Idempotent.
    static void silenceLibraryErrors();

private:
    void enumerate();

    std::vector<std::string> names_;
    std::string configText_;
    bool enumerated_ = false;
};

} // namespace lctune
