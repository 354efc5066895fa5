#pragma once
// Wave input on ALSA. Device 0 is `default`, the system's default input (and what device -1
// opens); then every other PCM that opens for capture, in the order of the system's name hints
// (`null`, which delivers no sound at all, is left out). Capture runs non-blocking with a wait of
// at most 100 ms; overruns are recovered, not fatal. A sound server that freezes can still hang the
// PCM's stop and close: the queued device bounds both.
//
// Probing opens every PCM, which loads its plugin and the plugin's client library (JACK's brings
// two megabytes of code with it) into the process for good, and a plugin can hang on a frozen
// server. A program that is left running lists its devices through a lister instead: a program
// of its own (`lctune-record --list-devices`) that probes and prints the list, in its own process,
// within a time limit.

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

    /// Lists the devices by running `argv` (program first), which prints one line per device,
    /// "index<TAB>name" with indices from 0 and `default` first. A lister that cannot run, fails
    /// or prints anything else leaves the probing to this process; one that takes longer than
    /// `limit` is killed and only `default` is offered.
    void listDevicesWith(std::vector<std::string> argv, int limitMilliseconds = 5000);

    /// The PCM names behind the device indices.
    const std::vector<std::string>& pcmNames();

    /// Keeps alsa-lib's own diagnostics ("cannot find card …") off stderr. Idempotent.
    static void silenceLibraryErrors();

private:
    void enumerate();
    enum class Listed { Done, Failed, TimedOut };
    Listed listInChild();

    std::vector<std::string> names_;
    std::vector<std::string> lister_;
    int listerLimitMs_ = 5000;
    std::string configText_;
    bool enumerated_ = false;
};

} // namespace lctune
