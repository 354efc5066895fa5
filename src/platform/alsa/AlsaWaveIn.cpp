#include "platform/alsa/AlsaWaveIn.h"

#include "platform/alsa/AlsaHandles.h"

#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdarg>
#include <cstdlib>
#include <fcntl.h>
#include <memory>
#include <poll.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

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

void AlsaWaveIn::listDevicesWith(std::vector<std::string> argv, int limitMilliseconds) {
    lister_ = std::move(argv);
    listerLimitMs_ = limitMilliseconds;
}

AlsaWaveIn::Listed AlsaWaveIn::listInChild() {
    int fds[2];
    if (pipe2(fds, O_CLOEXEC) != 0) return Listed::Failed;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, fds[1], STDOUT_FILENO);
    posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
    std::vector<char*> argv;
    for (std::string& a : lister_)
        argv.push_back(a.data());
    argv.push_back(nullptr);
    pid_t pid = -1;
    const int spawned = posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    ::close(fds[1]);
    if (spawned != 0) {
        ::close(fds[0]);
        return Listed::Failed;
    }

    std::string out;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(listerLimitMs_);
    bool timedOut = false;
    for (;;) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0) {
            timedOut = true;
            break;
        }
        pollfd p{fds[0], POLLIN, 0};
        const int ready = ::poll(&p, 1, static_cast<int>(left.count()));
        if (ready < 0 && errno == EINTR) continue;
        if (ready <= 0) {
            timedOut = ready == 0;
            break;
        }
        char chunk[4096];
        const ssize_t got = ::read(fds[0], chunk, sizeof chunk);
        if (got < 0 && errno == EINTR) continue;
        if (got <= 0) break;
        out.append(chunk, static_cast<size_t>(got));
        if (out.size() > (1u << 20)) break; // no device list is this long
    }
    ::close(fds[0]);
    // A lister that closed its output can still hang on its way out (in a plugin's clean-up on a
    // frozen server): it too is given until the deadline.
    int status = 0;
    while (!timedOut) {
        const pid_t done = ::waitpid(pid, &status, WNOHANG);
        if (done == pid || (done < 0 && errno != EINTR)) break;
        if (std::chrono::steady_clock::now() >= deadline)
            timedOut = true;
        else
            ::usleep(10000);
    }
    if (timedOut) {
        ::kill(pid, SIGKILL);
        while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
        }
        return Listed::TimedOut;
    }
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) return Listed::Failed;

    // "0<TAB>default", then one line per further device, numbered in order.
    std::vector<std::string> names;
    size_t at = 0;
    while (at < out.size()) {
        const size_t end = out.find('\n', at);
        if (end == std::string::npos) return Listed::Failed;
        const std::string line = out.substr(at, end - at);
        at = end + 1;
        const std::string index = std::to_string(names.size()) + "\t";
        if (line.compare(0, index.size(), index) != 0 || line.size() == index.size()) return Listed::Failed;
        names.push_back(line.substr(index.size()));
    }
    if (names.empty() || names.front() != "default") return Listed::Failed;
    names_ = std::move(names);
    return Listed::Done;
}

void AlsaWaveIn::enumerate() {
    enumerated_ = true;
    names_ = {"default"};
    if (!lister_.empty()) {
        // A lister that hangs would hang here too: then the default input is all there is.
        const Listed listed = listInChild();
        if (listed != Listed::Failed) return;
    }
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
        // A PCM whose server does not answer is left out, and so are the rest: they are most
        // likely its own plugins again.
        const std::optional<bool> opens = alsa::openWithin<bool>(alsa::kOpenLimit, [name] {
            snd_pcm_t* pcm = nullptr;
            if (snd_pcm_open(&pcm, name.c_str(), SND_PCM_STREAM_CAPTURE, SND_PCM_NONBLOCK) < 0) return false;
            alsa::PcmHandle probe(pcm);
            return true;
        });
        if (!opens) break;
        if (*opens) names_.push_back(name);
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
    // Half a second of device buffer rides out a busy user-interface thread; resampling is
    // allowed so a card without the rate still captures at the rate asked for.
    struct Opened {
        alsa::PcmHandle pcm;
        int rc = 0;
        bool params = false; ///< the failure was the format, not the open
        std::string error;
    };
    std::optional<Opened> opened =
        alsa::openWithin<Opened>(alsa::kOpenLimit, [name, configText = configText_, format] {
            Opened o;
            o.rc = openPcm(o.pcm, name, configText, SND_PCM_NONBLOCK, o.error);
            if (o.rc < 0) return o;
            o.rc = snd_pcm_set_params(o.pcm.get(), SND_PCM_FORMAT_S16_LE, SND_PCM_ACCESS_RW_INTERLEAVED,
                                      format.channels, format.samplesPerSec, 1, 500000);
            o.params = o.rc < 0;
            return o;
        });
    if (!opened) {
        error = "cannot open " + name + ": the sound server does not answer";
        return nullptr;
    }
    if (opened->rc < 0 && !opened->params) {
        error =
            opened->error.empty() ? "cannot open " + name + ": " + snd_strerror(opened->rc) : opened->error;
        return nullptr;
    }
    if (opened->rc < 0) {
        error = "cannot capture from " + name + " at " + std::to_string(format.samplesPerSec) + " Hz with " +
                std::to_string(format.channels) + " channel(s): " + snd_strerror(opened->rc);
        return nullptr;
    }
    alsa::PcmHandle pcm = std::move(opened->pcm);
    return std::make_unique<QueuedWaveInDevice>(format, std::move(target),
                                                std::make_shared<AlsaSource>(std::move(pcm), name));
}

} // namespace lctune
