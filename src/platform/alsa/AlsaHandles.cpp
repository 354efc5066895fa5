#include "platform/alsa/AlsaHandles.h"

namespace lctune::alsa {

ConfigHandle loadConfig(const std::string& text, std::string& error) {
    snd_config_t* top = nullptr;
    if (snd_config_top(&top) < 0) {
        error = "cannot create an ALSA configuration";
        return nullptr;
    }
    ConfigHandle config(top);
    snd_input_t* in = nullptr;
    if (snd_input_buffer_open(&in, text.data(), static_cast<ssize_t>(text.size())) < 0) {
        error = "cannot read the ALSA configuration";
        return nullptr;
    }
    const int rc = snd_config_load(top, in);
    snd_input_close(in);
    if (rc < 0) {
        error = std::string("bad ALSA configuration: ") + snd_strerror(rc);
        return nullptr;
    }
    return config;
}

} // namespace lctune::alsa
