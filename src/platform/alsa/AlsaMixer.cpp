#include "platform/alsa/AlsaMixer.h"

#include "core/Numbers.h"
#include "platform/alsa/AlsaWaveIn.h"

#include "platform/alsa/AlsaHandles.h"

#include <algorithm>
#include <cctype>
#include <cerrno>

namespace lctune {

namespace {

int32_t typeForName(std::string name) {
    std::transform(name.begin(), name.end(), name.begin(), [](unsigned char c) { return std::tolower(c); });
    const auto has = [&](const char* word) { return name.find(word) != std::string::npos; };
    if (has("mic")) return mixer::kSrcMicrophone;
    if (has("line")) return mixer::kSrcLine;
    if (has("cd")) return mixer::kSrcCompactDisc;
    if (has("aux")) return mixer::kSrcAuxiliary;
    if (has("phone")) return mixer::kSrcTelephone;
    if (has("beep") || has("speaker")) return mixer::kSrcPcSpeaker;
    if (has("synth") || has("midi")) return mixer::kSrcSynthesizer;
    if (has("spdif") || has("iec958") || has("digital")) return mixer::kSrcDigital;
    if (has("wave") || has("pcm") || has("mix")) return mixer::kSrcWaveOut;
    if (has("capture") || has("analog") || has("input")) return mixer::kSrcAnalog;
    return mixer::kSrcUndefined;
}

class AlsaMixer : public AudioMixer {
public:
    explicit AlsaMixer(alsa::MixerHandle handle) : handle_(std::move(handle)), mixer_(handle_.get()) {
        snd_mixer_t* m = mixer_;
        for (snd_mixer_elem_t* e = snd_mixer_first_elem(m); e; e = snd_mixer_elem_next(e)) {
            if (!snd_mixer_selem_is_active(e)) continue;
            if (snd_mixer_selem_is_enum_capture(e)) {
                if (!enum_) enum_ = e;
                continue;
            }
            if (snd_mixer_selem_has_capture_volume(e) || snd_mixer_selem_has_capture_switch(e))
                sources_.push_back(e);
        }
        for (auto* e : sources_)
            switches_ = switches_ || snd_mixer_selem_has_capture_switch(e);
    }
    int32_t destinationCount() override { return 1; }

    bool destination(int32_t index, MixerLineInfo& info) override {
        if (index != 0) return false;
        info = MixerLineInfo{0, mixer::kDstWaveIn, static_cast<int32_t>(sources_.size()), 2,
                             "Recording Control"};
        return true;
    }

    bool source(int32_t dest, int32_t index, MixerLineInfo& info) override {
        snd_mixer_elem_t* e = element(dest, index);
        if (!e) return false;
        const std::string name = snd_mixer_selem_get_name(e);
        info = MixerLineInfo{0, typeForName(name), 0, monoCapture(e) ? 1 : 2, name};
        return true;
    }

    bool muxItems(int32_t dest, int32_t& items) override {
        if (dest != 0 || (!switches_ && !enum_)) return false;
        items = static_cast<int32_t>(sources_.size());
        return true;
    }

    bool readMux(int32_t dest, std::vector<int32_t>& values) override {
        refresh();
        int32_t n = 0;
        if (!muxItems(dest, n)) return false;
        values.assign(static_cast<size_t>(n), 0);
        for (int32_t k = 0; k < n; ++k)
            values[static_cast<size_t>(k)] = selected(sources_[sourceOf(k)]) ? 1 : 0;
        return true;
    }

    bool writeMux(int32_t dest, const std::vector<int32_t>& values) override {
        int32_t n = 0;
        if (!muxItems(dest, n) || static_cast<int32_t>(values.size()) != n) return false;
        bool ok = true;
        // Switch the chosen lines on first, so an exclusive group never passes through "none".
        for (int pass = 1; pass >= 0; --pass) {
            for (int32_t k = 0; k < n; ++k) {
                const bool on = values[static_cast<size_t>(k)] != 0;
                if (on == (pass == 1)) ok = select(sources_[sourceOf(k)], on) && ok;
            }
        }
        return ok;
    }

    bool readVolume(int32_t dest, int32_t index, std::vector<int32_t>& values) override {
        snd_mixer_elem_t* e = element(dest, index);
        if (!e || !snd_mixer_selem_has_capture_volume(e)) return false;
        refresh();
        long lo = 0, hi = 0;
        snd_mixer_selem_get_capture_volume_range(e, &lo, &hi);
        values.clear();
        for (snd_mixer_selem_channel_id_t ch : channels(e)) {
            long v = 0;
            if (snd_mixer_selem_get_capture_volume(e, ch, &v) < 0) return false;
            values.push_back(hi > lo ? roundToInt32(static_cast<double>(v - lo) * mixer::kVolumeMax /
                                                    static_cast<double>(hi - lo))
                                     : 0);
        }
        return true;
    }

    bool writeVolume(int32_t dest, int32_t index, const std::vector<int32_t>& values) override {
        snd_mixer_elem_t* e = element(dest, index);
        if (!e || !snd_mixer_selem_has_capture_volume(e) || values.empty()) return false;
        long lo = 0, hi = 0;
        snd_mixer_selem_get_capture_volume_range(e, &lo, &hi);
        const auto chans = channels(e);
        for (size_t i = 0; i < chans.size(); ++i) {
            const double v = std::clamp(values[std::min(i, values.size() - 1)], 0, mixer::kVolumeMax);
            const long raw =
                lo + static_cast<long>(roundHalfEven(v * static_cast<double>(hi - lo) / mixer::kVolumeMax));
            if (snd_mixer_selem_set_capture_volume(e, chans[i], raw) < 0) return false;
        }
        return true;
    }

private:
    // The simple mixer caches control values; the card's change events bring them up to date
    // (a selector written through one element changes the switches of all the others).
    void refresh() { snd_mixer_handle_events(mixer_); }

    snd_mixer_elem_t* element(int32_t dest, int32_t index) const {
        if (dest != 0 || index < 0 || index >= static_cast<int32_t>(sources_.size())) return nullptr;
        return sources_[static_cast<size_t>(index)];
    }

    // Item k of the single-select control belongs to source count - 1 - k.
    size_t sourceOf(int32_t item) const { return sources_.size() - 1 - static_cast<size_t>(item); }

    static bool monoCapture(snd_mixer_elem_t* e) { return snd_mixer_selem_is_capture_mono(e); }

    static std::vector<snd_mixer_selem_channel_id_t> channels(snd_mixer_elem_t* e) {
        if (monoCapture(e)) return {SND_MIXER_SCHN_MONO};
        return {SND_MIXER_SCHN_FRONT_LEFT, SND_MIXER_SCHN_FRONT_RIGHT};
    }

    bool selected(snd_mixer_elem_t* e) const {
        if (switches_) {
            if (!snd_mixer_selem_has_capture_switch(e)) return false;
            int on = 0;
            return snd_mixer_selem_get_capture_switch(e, channels(e).front(), &on) >= 0 && on != 0;
        }
        unsigned int item = 0;
        char name[128] = {};
        if (snd_mixer_selem_get_enum_item(enum_, SND_MIXER_SCHN_FRONT_LEFT, &item) < 0) return false;
        if (snd_mixer_selem_get_enum_item_name(enum_, item, sizeof name - 1, name) < 0) return false;
        return name == std::string(snd_mixer_selem_get_name(e));
    }

    bool select(snd_mixer_elem_t* e, bool on) const {
        if (switches_) {
            if (!snd_mixer_selem_has_capture_switch(e)) return !on;
            // An exclusive group switches the others off by itself and cannot be written "off".
            if (!on && snd_mixer_selem_has_capture_switch_exclusive(e)) return true;
            return snd_mixer_selem_set_capture_switch_all(e, on ? 1 : 0) >= 0;
        }
        if (!on) return true;
        const int items = snd_mixer_selem_get_enum_items(enum_);
        for (int i = 0; i < items; ++i) {
            char name[128] = {};
            if (snd_mixer_selem_get_enum_item_name(enum_, static_cast<unsigned>(i), sizeof name - 1, name) <
                0)
                continue;
            if (name == std::string(snd_mixer_selem_get_name(e)))
                return snd_mixer_selem_set_enum_item(enum_, SND_MIXER_SCHN_FRONT_LEFT,
                                                     static_cast<unsigned>(i)) >= 0;
        }
        return false;
    }

    alsa::MixerHandle handle_;
    snd_mixer_t* mixer_;
    std::vector<snd_mixer_elem_t*> sources_;
    snd_mixer_elem_t* enum_ = nullptr;
    bool switches_ = false;
};

} // namespace

AlsaMixerService::AlsaMixerService(std::function<std::string(int32_t)> pcmName, std::string configText)
    : pcmName_(std::move(pcmName)), configText_(std::move(configText)) {
    AlsaWaveIn::silenceLibraryErrors();
}

std::string AlsaMixerService::controlNameForPcm(const std::string& pcm) {
    const size_t card = pcm.find("CARD=");
    if (card == std::string::npos) return pcm;
    const size_t end = pcm.find(',', card);
    return "hw:" + pcm.substr(card, end == std::string::npos ? std::string::npos : end - card);
}

std::unique_ptr<AudioMixer> AlsaMixerService::openForWaveIn(int32_t device) {
    const std::string pcm = pcmName_ ? pcmName_(device) : std::string();
    if (pcm.empty()) return nullptr;
    if (auto mixer = openControl(controlNameForPcm(pcm))) return mixer;
    // Plugin PCMs (jack, oss …) have no control interface of their own: they get a mixer without
    // lines, so the device can still be chosen; line selection then reports failure.
    snd_mixer_t* m = nullptr;
    if (snd_mixer_open(&m, 0) < 0) return nullptr;
    return std::make_unique<AlsaMixer>(alsa::MixerHandle(m));
}

// Attaches the control interface `ctlName` of the private configuration to the mixer.
int AlsaMixerService::attachPrivateControl(snd_mixer_t* mixer, const std::string& ctlName,
                                           const std::string& configText) {
    std::string error;
    alsa::ConfigHandle config = alsa::loadConfig(configText, error);
    if (!config) return -EINVAL;
    snd_ctl_t* raw = nullptr;
    int rc = snd_ctl_open_lconf(&raw, ctlName.c_str(), 0, config.get());
    if (rc < 0) return rc;
    alsa::CtlHandle ctl(raw);
    snd_hctl_t* hctl = nullptr;
    rc = snd_hctl_open_ctl(&hctl, ctl.get());
    if (rc < 0) return rc;
    ctl.release(); // the hctl owns the control from here on
    // The mixer takes the hctl over, and closes it itself when attaching fails.
    return snd_mixer_attach_hctl(mixer, hctl);
}

// Runs on a thread of its own (see openControl): it reads nothing of the service.
std::unique_ptr<AudioMixer> AlsaMixerService::loadControl(const std::string& ctlName,
                                                          const std::string& configText) {
    snd_mixer_t* raw = nullptr;
    if (snd_mixer_open(&raw, 0) < 0) return nullptr;
    alsa::MixerHandle mixer(raw);
    int rc = configText.empty() ? snd_mixer_attach(raw, ctlName.c_str())
                                : attachPrivateControl(raw, ctlName, configText);
    if (rc >= 0) rc = snd_mixer_selem_register(raw, nullptr, nullptr);
    if (rc >= 0) rc = snd_mixer_load(raw);
    if (rc < 0) return nullptr;
    return std::make_unique<AlsaMixer>(std::move(mixer));
}

// A server's control interface connects to the server, which may have frozen: the open is bounded.
std::unique_ptr<AudioMixer> AlsaMixerService::openControl(const std::string& ctlName) {
    auto opened = alsa::openWithin<std::unique_ptr<AudioMixer>>(
        alsa::kOpenLimit, [ctlName, configText = configText_] { return loadControl(ctlName, configText); });
    return opened ? std::move(*opened) : nullptr;
}

} // namespace lctune
