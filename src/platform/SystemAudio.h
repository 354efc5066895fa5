#pragma once
// The input devices and mixers of this machine: the virtual input when LCTUNE_INPUT is set
// (it has no mixer), otherwise ALSA.

#include "platform/AudioMixer.h"
#include "platform/WaveIn.h"

#include <memory>

namespace lctune {

struct SystemAudio {
    std::unique_ptr<WaveInService> waveIn;
    std::unique_ptr<MixerService> mixers;
};

SystemAudio makeSystemAudio();
/// Services without any input device or mixer: for replaying recordings.
SystemAudio makeNoAudio();

} // namespace lctune
