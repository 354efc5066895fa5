#pragma once
// Fakes of the wave-input service, the mixer, the message loop and the message boxes: every
// engine path (open, prepare or start failure, notifications on demand, stop with buffers still
// queued) without a sound card. Calls are logged in order.

#include "platform/AudioMixer.h"
#include "platform/MessageBoxService.h"
#include "platform/PlainMessageLoop.h"
#include "platform/WaveIn.h"

#include <algorithm>
#include <deque>
#include <functional>
#include <string>
#include <vector>

namespace lctune::fake {

struct WaveInLog {
    std::vector<std::string> calls;
    int32_t openedIndex = -2;
    WaveFormat openedFormat;
    bool failOpen = false;
    int failPrepareAt = -1;
    bool failStart = false;
    /// stop() and close() report that the device did not stop cleanly.
    bool failStop = false;
    /// What the device says about a lasting failure; empty while it works.
    std::string failure;
    std::deque<WaveHeader*> queue;
    std::shared_ptr<NotificationTarget> target;
    bool open = false;
};

class FakeDevice : public WaveInDevice {
public:
    explicit FakeDevice(WaveInLog& log) : log_(log) {}
    ~FakeDevice() override { log_.open = false; }
    bool prepare(WaveHeader& h) override {
        log_.calls.push_back("prepare " + std::to_string(h.user));
        if (h.user == log_.failPrepareAt) return false;
        h.flags |= kWhdrPrepared;
        return true;
    }
    bool unprepare(WaveHeader& h) override {
        log_.calls.push_back("unprepare " + std::to_string(h.user));
        h.flags &= ~kWhdrPrepared;
        return true;
    }
    bool addBuffer(WaveHeader& h) override {
        if (!log_.open) return false;
        log_.calls.push_back("add " + std::to_string(h.user));
        h.bytesRecorded = 0;
        log_.queue.push_back(&h);
        return true;
    }
    bool start() override {
        log_.calls.push_back("start");
        return !log_.failStart;
    }
    bool stop() override {
        log_.calls.push_back("stop");
        return !log_.failStop;
    }
    bool reset() override {
        log_.calls.push_back("reset");
        while (!log_.queue.empty()) {
            WaveHeader* h = log_.queue.front();
            log_.queue.pop_front();
            h->flags |= kWhdrDone;
            log_.target->post(kMmWimData, h);
        }
        return true;
    }
    bool close() override {
        log_.calls.push_back("close");
        log_.open = false;
        return !log_.failStop;
    }
    std::string failure() const override { return log_.failure; }

private:
    WaveInLog& log_;
};

class FakeWaveIn : public WaveInService {
public:
    std::vector<std::string> names{"Line In (fake)", "USB Microphone (fake)"};
    WaveInLog log;

    int32_t deviceCount() override { return static_cast<int32_t>(names.size()); }
    std::string deviceName(int32_t index) override {
        return index >= 0 && index < deviceCount() ? names[static_cast<size_t>(index)] : std::string();
    }
    std::unique_ptr<WaveInDevice> open(int32_t index, const WaveFormat& format,
                                       std::shared_ptr<NotificationTarget> target,
                                       std::string& error) override {
        log.calls.push_back("open " + std::to_string(index));
        log.openedIndex = index;
        log.openedFormat = format;
        if (log.failOpen) {
            error = "the fake device refuses to open";
            return nullptr;
        }
        log.target = std::move(target);
        log.open = true;
        return std::make_unique<FakeDevice>(log);
    }

    /// Fills the oldest queued buffer with `samples` (at most its length) and posts it as done.
    /// False when nothing is queued.
    bool deliver(const std::vector<int16_t>& samples) {
        if (log.queue.empty()) return false;
        WaveHeader* h = log.queue.front();
        log.queue.pop_front();
        const size_t n = std::min(samples.size(), static_cast<size_t>(h->bufferLength / 2));
        std::copy_n(samples.begin(), n, h->data);
        h->bytesRecorded = static_cast<int32_t>(n * 2);
        h->flags |= kWhdrDone;
        log.target->post(kMmWimData, h);
        return true;
    }

    size_t count(const std::string& call) const {
        return std::count(log.calls.begin(), log.calls.end(), call);
    }
};

/// A message loop whose target set-up can be made to fail.
class FakeMessageLoop : public PlainMessageLoop {
public:
    bool failCreate = false;
    int32_t hookError = 0;
    std::shared_ptr<NotificationTarget> createTarget() override {
        return failCreate ? nullptr : PlainMessageLoop::createTarget();
    }
    int32_t hook(NotificationTarget& target, NotificationTarget::Handler handler) override {
        return hookError != 0 ? hookError : PlainMessageLoop::hook(target, std::move(handler));
    }
};

/// Records every box; questions are answered from `answers` (No once they run out).
class FakeMessageBoxes : public MessageBoxService {
public:
    std::vector<std::pair<std::string, std::string>> shown;
    std::vector<std::string> kinds; ///< "warning", "notice" or "question", in order
    std::deque<bool> answers;
    /// Runs as each box appears (to look at the program's state at that moment).
    std::function<void()> onShow;
    void warning(const std::string& title, const std::string& text) override {
        if (onShow) onShow();
        shown.emplace_back(title, text);
        kinds.push_back("warning");
    }
    void notice(const std::string& title, const std::string& text) override {
        shown.emplace_back(title, text);
        kinds.push_back("notice");
    }
    bool askYesNo(const std::string& title, const std::string& text) override {
        shown.emplace_back(title, text);
        kinds.push_back("question");
        if (answers.empty()) return false;
        const bool yes = answers.front();
        answers.pop_front();
        return yes;
    }
};

/// A mixer whose recording destination has the given source lines, a single-select control
/// with one item per line (items reversed against the lines) and two-channel volumes.
struct MixerState {
    int32_t recordingDestination = 0; ///< index of the destination of type 7
    std::vector<std::string> lineNames{"Microphone", "Line In", "CD Audio"};
    std::vector<int32_t> lineTypes{mixer::kSrcMicrophone, mixer::kSrcLine, mixer::kSrcCompactDisc};
    std::vector<int32_t> mux{0, 0, 0};
    std::vector<std::vector<int32_t>> volumes{{0, 0}, {0, 0}, {0, 0}};
    bool hasMux = true;
};

class FakeMixer : public AudioMixer {
public:
    explicit FakeMixer(MixerState& s) : s_(s) {}
    int32_t destinationCount() override { return s_.recordingDestination + 1; }
    bool destination(int32_t index, MixerLineInfo& info) override {
        if (index < 0 || index >= destinationCount()) return false;
        const bool recording = index == s_.recordingDestination;
        info = MixerLineInfo{index, recording ? mixer::kDstWaveIn : 4,
                             recording ? static_cast<int32_t>(s_.lineNames.size()) : 0, 2,
                             recording ? "Recording" : "Speakers"};
        return true;
    }
    bool source(int32_t dest, int32_t index, MixerLineInfo& info) override {
        if (dest != s_.recordingDestination || index < 0 ||
            index >= static_cast<int32_t>(s_.lineNames.size()))
            return false;
        info = MixerLineInfo{dest, s_.lineTypes[static_cast<size_t>(index)], 0, 2,
                             s_.lineNames[static_cast<size_t>(index)]};
        return true;
    }
    bool muxItems(int32_t dest, int32_t& items) override {
        if (dest != s_.recordingDestination || !s_.hasMux) return false;
        items = static_cast<int32_t>(s_.mux.size());
        return true;
    }
    bool readMux(int32_t dest, std::vector<int32_t>& values) override {
        int32_t n = 0;
        if (!muxItems(dest, n)) return false;
        values = s_.mux;
        return true;
    }
    bool writeMux(int32_t dest, const std::vector<int32_t>& values) override {
        int32_t n = 0;
        if (!muxItems(dest, n) || values.size() != s_.mux.size()) return false;
        s_.mux = values;
        return true;
    }
    bool readVolume(int32_t dest, int32_t index, std::vector<int32_t>& values) override {
        if (dest != s_.recordingDestination || index < 0 || index >= static_cast<int32_t>(s_.volumes.size()))
            return false;
        values = s_.volumes[static_cast<size_t>(index)];
        return true;
    }
    bool writeVolume(int32_t dest, int32_t index, const std::vector<int32_t>& values) override {
        if (dest != s_.recordingDestination || index < 0 || index >= static_cast<int32_t>(s_.volumes.size()))
            return false;
        s_.volumes[static_cast<size_t>(index)] = values;
        return true;
    }

private:
    MixerState& s_;
};

class FakeMixers : public MixerService {
public:
    MixerState state;
    std::vector<int32_t> opened;
    std::vector<int32_t> failingDevices;
    std::unique_ptr<AudioMixer> openForWaveIn(int32_t device) override {
        opened.push_back(device);
        if (std::find(failingDevices.begin(), failingDevices.end(), device) != failingDevices.end())
            return nullptr;
        return std::make_unique<FakeMixer>(state);
    }
};

} // namespace lctune::fake
