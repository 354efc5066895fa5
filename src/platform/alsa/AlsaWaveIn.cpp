#include "platform/alsa/AlsaWaveIn.h"

#include "platform/alsa/AlsaHandles.h"

#include <cerrno>
#include <cstdarg>
#include <cstdlib>
#include <fcntl.h>
#include <memory>
#include <unistd.h>

namespace lctune {

namespace {

void quietHandler(const char*, int, const char*, int, const char*, ...) {}

int openPcm(alsa::PcmHandle& pcm, const std::string& name, const std::string& configText, int mode,
            std::string& error) {
    snd_pcm_t* raw = nullptr;
    int rc = 0;
    if (configText.empty()) {
        rc = snd_pcm_open(&raw, name.c_str(), SND_PCM_STREAM_CAPTURE, mode);
    } else {
        alsa::ConfigHandle config = alsa::loadConfig(configText, error);
        if (!config) return -EINVAL;
        rc = snd_pcm_open_lconf(&raw, name.c_str(), SND_PCM_STREAM_CAPTURE, mode, config.get());
    }
    if (rc >= 0) pcm.reset(raw);
    return rc;
}

// One ALSA PCM as a capture source. Closing it (the handle's deleter) happens on whichever thread
// lets go of it last: on a frozen sound server that may be a capture thread left behind.
class AlsaSource : public CaptureSource {
public:
    AlsaSource(alsa::PcmHandle pcm, std::string name)
        : handle_(std::move(pcm)), pcm_(handle_.get()), name_(std::move(name)) {}

    bool start() override {
        const snd_pcm_state_t state = snd_pcm_state(pcm_);
        if (state != SND_PCM_STATE_PREPARED && snd_pcm_prepare(pcm_) < 0) return false;
        return snd_pcm_start(pcm_) >= 0;
    }

    long captureFrames(int16_t* dst, long frames) override {
        const int ready = snd_pcm_wait(pcm_, 100);
        if (ready == 0) return 0;
        if (ready < 0) return recover(ready);
        const snd_pcm_sframes_t got = snd_pcm_readi(pcm_, dst, static_cast<snd_pcm_uframes_t>(frames));
        if (got == -EAGAIN) return 0;
        if (got < 0) return recover(static_cast<int>(got));
        return static_cast<long>(got);
    }

    void stop() override { snd_pcm_drop(pcm_); }

    std::string failure() const override {
        return "capture from " + name_ + " failed: " + snd_strerror(error_);
    }

private:
    // An overrun or a suspend is recovered and capture goes on; anything else ends it.
    long recover(int err) {
        if (snd_pcm_recover(pcm_, err, 1) < 0) {
            error_ = err;
            return -1;
        }
        snd_pcm_start(pcm_);
        return 0;
    }

    alsa::PcmHandle handle_;
    snd_pcm_t* pcm_;
    std::string name_;
    int error_ = 0;
};

} // namespace

void AlsaWaveIn::silenceLibraryErrors() {
    snd_lib_error_set_handler(quietHandler);
}

AlsaWaveIn::AlsaWaveIn() {
    silenceLibraryErrors();
}

AlsaWaveIn::AlsaWaveIn(std::vector<std::string> pcmNames, std::string configText)
    : names_(std::move(pcmNames)), configText_(std::move(configText)), enumerated_(true) {
    silenceLibraryErrors();
}

void AlsaWaveIn::enumerate() {
    enumerated_ = true;
    names_ = {"default"};
    // Probing a JACK PCM must not start a JACK server.
    setenv("JACK_NO_START_SERVER", "1", 0);
    void** hints = nullptr;
    if (snd_device_name_hint(-1, "pcm", &hints) < 0) return;
    // Some plugins' client libraries (JACK's) print their connection failures straight to stderr,
    // bypassing alsa-lib's handler; a probe is no place for that noise.
    const int savedStderr = dup(STDERR_FILENO);
    const int devNull = ::open("/dev/null", O_WRONLY | O_CLOEXEC);
    if (savedStderr >= 0 && devNull >= 0) dup2(devNull, STDERR_FILENO);
    for (void** h = hints; *h; ++h) {
        char* raw = snd_device_name_get_hint(*h, "NAME");
        if (!raw) continue;
        std::string name(raw);
        std::free(raw);
        if (name == "default" || name == "null") continue;
        bool seen = false;
        for (const auto& n : names_)
            seen = seen || n == name;
        if (seen) continue;
        snd_pcm_t* pcm = nullptr;
        if (snd_pcm_open(&pcm, name.c_str(), SND_PCM_STREAM_CAPTURE, SND_PCM_NONBLOCK) >= 0) {
            alsa::PcmHandle probe(pcm);
            names_.push_back(name);
        }
    }
    snd_device_name_free_hint(hints);
    if (savedStderr >= 0 && devNull >= 0) dup2(savedStderr, STDERR_FILENO);
    if (savedStderr >= 0) ::close(savedStderr);
    if (devNull >= 0) ::close(devNull);
}

const std::vector<std::string>& AlsaWaveIn::pcmNames() {
    if (!enumerated_) enumerate();
    return names_;
}

int32_t AlsaWaveIn::deviceCount() {
    return static_cast<int32_t>(pcmNames().size());
}

std::string AlsaWaveIn::deviceName(int32_t index) {
    const auto& names = pcmNames();
    if (index < 0 || index >= static_cast<int32_t>(names.size())) return {};
    return names[static_cast<size_t>(index)];
}

std::unique_ptr<WaveInDevice> AlsaWaveIn::open(int32_t index, const WaveFormat& format,
                                               std::shared_ptr<NotificationTarget> target,
                                               std::string& error) {
    const auto& names = pcmNames();
    std::string name;
    if (index == -1) {
        name = names.empty() ? "default" : names.front();
    } else if (index >= 0 && index < static_cast<int32_t>(names.size())) {
        name = names[static_cast<size_t>(index)];
    } else {
        error = "no input device " + std::to_string(index);
        return nullptr;
    }
    if (!format.isCaptureFormat()) {
        error = "unsupported capture format";
        return nullptr;
    }
    if (!target) {
        error = "no notification target";
        return nullptr;
    }
    alsa::PcmHandle pcm;
    int rc = openPcm(pcm, name, configText_, SND_PCM_NONBLOCK, error);
    if (rc < 0) {
        if (error.empty()) error = "cannot open " + name + ": " + snd_strerror(rc);
        return nullptr;
    }
    // Half a second of device buffer rides out a busy user-interface thread; resampling is
    // allowed so a card without the rate still captures at the rate asked for.
    rc = snd_pcm_set_params(pcm.get(), SND_PCM_FORMAT_S16_LE, SND_PCM_ACCESS_RW_INTERLEAVED, format.channels,
                            format.samplesPerSec, 1, 500000);
    if (rc < 0) {
        error = "cannot capture from " + name + " at " + std::to_string(format.samplesPerSec) + " Hz with " +
                std::to_string(format.channels) + " channel(s): " + snd_strerror(rc);
        return nullptr;
    }
    return std::make_unique<QueuedWaveInDevice>(format, std::move(target),
                                                std::make_shared<AlsaSource>(std::move(pcm), name));
}

} // namespace lctune
