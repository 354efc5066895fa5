#pragma once
// Owners of alsa-lib's handles, so that no early return leaks a device, a mixer or a configuration,
// and the one reader of private ALSA configurations (text in alsa-lib's configuration syntax).

#include <alsa/asoundlib.h>

#include <memory>
#include <string>

namespace lctune::alsa {

struct PcmCloser {
    void operator()(snd_pcm_t* pcm) const { snd_pcm_close(pcm); }
};
struct MixerCloser {
    void operator()(snd_mixer_t* mixer) const { snd_mixer_close(mixer); }
};
struct CtlCloser {
    void operator()(snd_ctl_t* ctl) const { snd_ctl_close(ctl); }
};
struct ConfigDeleter {
    void operator()(snd_config_t* config) const { snd_config_delete(config); }
};

using PcmHandle = std::unique_ptr<snd_pcm_t, PcmCloser>;
using MixerHandle = std::unique_ptr<snd_mixer_t, MixerCloser>;
using CtlHandle = std::unique_ptr<snd_ctl_t, CtlCloser>;
using ConfigHandle = std::unique_ptr<snd_config_t, ConfigDeleter>;

/// Parses configuration text into a private tree. Null on failure, with `error` set to one line.
ConfigHandle loadConfig(const std::string& text, std::string& error);

} // namespace lctune::alsa
