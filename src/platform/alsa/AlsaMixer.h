#pragma once
// The audio mixer on ALSA's simple-mixer layer, over the control interface of the capture
// device's card. Source lines are the simple elements with capture controls; the single-select
// control is formed from their capture switches (alsa-lib shows a "Capture Source" enumeration
// as exclusive switches on the elements named after its items) or, failing those, from an
// enumerated capture element ("Input Source"). Where the switches are not exclusive, selecting a
// line switches the others off. Volumes scale linearly between the element's range and 0..65535.

#include "platform/AudioMixer.h"

#include <functional>

typedef struct _snd_mixer snd_mixer_t;

namespace lctune {

class AlsaMixerService : public MixerService {
public:
    /// `pcmName` names the PCM of a wave-input device ("" when there is none); `configText` is a
    /// private ALSA configuration, empty for the system's.
    explicit AlsaMixerService(std::function<std::string(int32_t)> pcmName, std::string configText = {});

    std::unique_ptr<AudioMixer> openForWaveIn(int32_t device) override;
    /// Opens the control interface `ctlName` directly; null when it does not open, or when its
    /// sound server does not answer within alsa::kOpenLimit.
    std::unique_ptr<AudioMixer> openControl(const std::string& ctlName);

    /// The control interface that belongs to a PCM: "hw:CARD=X" for a PCM of card X, otherwise
    /// the PCM's own name ("default", "pulse").
    static std::string controlNameForPcm(const std::string& pcm);

private:
    static std::unique_ptr<AudioMixer> loadControl(const std::string& ctlName, const std::string& configText);
    static int attachPrivateControl(snd_mixer_t* mixer, const std::string& ctlName,
                                    const std::string& configText);

    std::function<std::string(int32_t)> pcmName_;
    std::string configText_;
};

} // namespace lctune
