#pragma once
// The input devices and mixers of this machine: the virtual input when LCTUNE_INPUT is set
// (it has no mixer), otherwise ALSA.

#include "platform/AudioMixer.h"
#include "platform/WaveIn.h"

#include <memory>
#include <string>
#include <vector>

namespace lctune {

struct SystemAudio {
    std::unique_ptr<WaveInService> waveIn;
    std::unique_ptr<MixerService> mixers;
};

/// `deviceLister`, when given, is the command that lists the ALSA input devices in a process of its
/// own (see AlsaWaveIn::listDevicesWith).
SystemAudio makeSystemAudio(std::vector<std::string> deviceLister = {});
/// Services without any input device or mixer: for replaying recordings.
SystemAudio makeNoAudio();

} // namespace lctune
