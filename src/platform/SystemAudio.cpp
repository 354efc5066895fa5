#include "platform/SystemAudio.h"

#include "platform/AlsaMixer.h"
#include "platform/AlsaWaveIn.h"
#include "platform/VirtualWaveIn.h"

#include <cstdlib>

namespace lctune {

namespace {
class NoMixers : public MixerService {
public:
    std::unique_ptr<AudioMixer> openForWaveIn(int32_t) override { return nullptr; }
};
} // namespace

SystemAudio makeSystemAudio() {
    SystemAudio audio;
    const char* input = std::getenv("LCTUNE_INPUT");
    if (input && *input) {
        audio.waveIn = std::make_unique<VirtualWaveIn>(input);
        audio.mixers = std::make_unique<NoMixers>();
        return audio;
    }
    auto alsa = std::make_unique<AlsaWaveIn>();
    AlsaWaveIn* devices = alsa.get();
    audio.mixers =
        std::make_unique<AlsaMixerService>([devices](int32_t index) { return devices->deviceName(index); });
    audio.waveIn = std::move(alsa);
    return audio;
}

} // namespace lctune
