#pragma once
// Owners of alsa-lib's handles, so that no early return leaks a device, a mixer or a configuration,
// and the one reader of private ALSA configurations (text in alsa-lib's configuration syntax).

#include <alsa/asoundlib.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <utility>

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

/// How long an open may take before its sound server counts as not answering.
inline constexpr std::chrono::milliseconds kOpenLimit{3000};

namespace detail {
inline std::atomic<int> opensRunning{0};
}

/// Opens of openWithin still running on their own threads, abandoned ones included: once a frozen
/// server answers again, they finish (and close what they opened) and this falls back to 0.
inline int opensStillRunning() {
    return detail::opensRunning.load();
}

/// Runs `open` on a thread of its own and waits at most `limit` for its result. Opening a device
/// of a sound server that froze (connected, never answering) blocks inside alsa-lib for good: the
/// caller then goes on without a result, and whatever the open returns later is dropped on that
/// thread, which closes it.
template <typename Result, typename Open>
std::optional<Result> openWithin(std::chrono::milliseconds limit, Open open) {
    struct Shared {
        std::mutex mutex;
        std::condition_variable done;
        std::optional<Result> result;
        bool abandoned = false;
    };
    auto shared = std::make_shared<Shared>();
    ++detail::opensRunning;
    std::thread([shared, open = std::move(open)]() mutable {
        {
            Result result = open();
            std::unique_lock lock(shared->mutex);
            if (!shared->abandoned) {
                shared->result.emplace(std::move(result));
                shared->done.notify_one();
            }
        } // an abandoned result is closed here, as it goes out of scope
        --detail::opensRunning;
    }).detach();
    std::unique_lock lock(shared->mutex);
    if (!shared->done.wait_for(lock, limit, [&] { return shared->result.has_value(); })) {
        shared->abandoned = true;
        return std::nullopt;
    }
    return std::move(shared->result);
}

/// Parses configuration text into a private tree. Null on failure, with `error` set to one line.
ConfigHandle loadConfig(const std::string& text, std::string& error);

} // namespace lctune::alsa
