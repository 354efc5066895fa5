#include "platform/SystemAudio.h"

#include "platform/VirtualWaveIn.h"
#include "platform/alsa/AlsaMixer.h"
#include "platform/alsa/AlsaWaveIn.h"

#include <cstdlib>

namespace lctune {

namespace {
class NoMixers : public MixerService {
public:
    std::unique_ptr<AudioMixer> openForWaveIn(int32_t) override { return nullptr; }
};

// A mixer without lines: the virtual input can be chosen, it just has no level to set.
class EmptyMixer : public AudioMixer {
public:
    int32_t destinationCount() override { return 0; }
    bool destination(int32_t, MixerLineInfo&) override { return false; }
    bool source(int32_t, int32_t, MixerLineInfo&) override { return false; }
    bool muxItems(int32_t, int32_t&) override { return false; }
    bool readMux(int32_t, std::vector<int32_t>&) override { return false; }
    bool writeMux(int32_t, const std::vector<int32_t>&) override { return false; }
    bool readVolume(int32_t, int32_t, std::vector<int32_t>&) override { return false; }
    bool writeVolume(int32_t, int32_t, const std::vector<int32_t>&) override { return false; }
};

class VirtualMixers : public MixerService {
public:
    std::unique_ptr<AudioMixer> openForWaveIn(int32_t device) override {
        return device == 0 ? std::make_unique<EmptyMixer>() : nullptr;
    }
};

class NoWaveIn : public WaveInService {
public:
    int32_t deviceCount() override { return 0; }
    std::string deviceName(int32_t) override { return {}; }
    std::unique_ptr<WaveInDevice> open(int32_t, const WaveFormat&, std::shared_ptr<NotificationTarget>,
                                       std::string& error) override {
        error = "there is no input device";
        return nullptr;
    }
};
} // namespace

SystemAudio makeNoAudio() {
    SystemAudio audio;
    audio.waveIn = std::make_unique<NoWaveIn>();
    audio.mixers = std::make_unique<NoMixers>();
    return audio;
}

SystemAudio makeSystemAudio(std::vector<std::string> deviceLister) {
    SystemAudio audio;
    const char* input = std::getenv("LCTUNE_INPUT");
    if (input && *input) {
        audio.waveIn = std::make_unique<VirtualWaveIn>(input);
        audio.mixers = std::make_unique<VirtualMixers>();
        return audio;
    }
    auto alsa = std::make_unique<AlsaWaveIn>();
    if (!deviceLister.empty()) alsa->listDevicesWith(std::move(deviceLister));
    AlsaWaveIn* devices = alsa.get();
    audio.mixers =
        std::make_unique<AlsaMixerService>([devices](int32_t index) { return devices->deviceName(index); });
    audio.waveIn = std::move(alsa);
    return audio;
}

} // namespace lctune
