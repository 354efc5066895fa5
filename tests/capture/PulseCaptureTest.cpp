// Capture and the mixer on the real ALSA paths, through the private PulseAudio server that
// scripts/test starts: its default source is a pipe that these tests feed, so the sound arrives
// paced by the writer, exactly as written. Skipped when no such server runs.

#include "capture/WaveInRecorder.h"
#include "platform/MessageBoxService.h"
#include "platform/PlainMessageLoop.h"
#include "platform/alsa/AlsaMixer.h"
#include "platform/alsa/AlsaWaveIn.h"

#include <gtest/gtest.h>

#include <alsa/asoundlib.h>
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

using namespace lctune;
using namespace std::chrono;
using namespace std::chrono_literals;

namespace {

std::string pulseFifo() {
    const char* fifo = std::getenv("LCTUNE_PULSE_FIFO");
    struct stat st {};
    if (!fifo || !std::getenv("PULSE_SERVER") || stat(fifo, &st) != 0 || !S_ISFIFO(st.st_mode)) return {};
    return fifo;
}

#define REQUIRE_PULSE()                                                                                      \
    const std::string fifo = pulseFifo();                                                                    \
    if (fifo.empty()) GTEST_SKIP() << "no private PulseAudio server (scripts/test starts one)";

/// Feeds the pipe source in real time, 20 ms at a time, with a count rising from `base` through
/// base + 19999 and round again. Each test picks its own base, so sound left in the pipe by an
/// earlier run cannot pass for its own.
class Feeder {
public:
    static constexpr int kSpan = 20000;

    Feeder(const std::string& fifo, int16_t base) {
        thread_ = std::thread([this, fifo, base] {
            const int fd = ::open(fifo.c_str(), O_WRONLY | O_CLOEXEC);
            if (fd < 0) return;
            int16_t next = base;
            std::vector<int16_t> chunk(1764);
            auto due = steady_clock::now();
            while (running_) {
                for (auto& s : chunk) {
                    s = next;
                    next = next == base + kSpan - 1 ? base : static_cast<int16_t>(next + 1);
                }
                if (write(fd, chunk.data(), chunk.size() * 2) < 0) break;
                due += 20ms;
                std::this_thread::sleep_until(due);
            }
            ::close(fd);
        });
    }
    ~Feeder() {
        running_ = false;
        thread_.join();
    }

private:
    std::atomic<bool> running_{true};
    std::thread thread_;
};

int32_t deviceIndex(AlsaWaveIn& alsa, const std::string& name) {
    for (int32_t i = 0; i < alsa.deviceCount(); ++i)
        if (alsa.deviceName(i) == name) return i;
    return -1;
}

TEST(PulseCapture, ThePipeSourceArrivesPacedAndBitExact) {
    REQUIRE_PULSE();
    AlsaWaveIn alsa;
    AlsaMixerService mixers([&](int32_t i) { return alsa.deviceName(i); });
    PlainMessageLoop loop;
    ConsoleMessageBox boxes;
    WaveInRecorder recorder(alsa, mixers, loop, boxes);
    ASSERT_GE(deviceIndex(alsa, "pulse"), 1);
    EXPECT_EQ(alsa.deviceName(0), "default");

    std::vector<int16_t> got;
    std::vector<steady_clock::time_point> arrivals;
    recorder.GotData.connect([&](std::span<int16_t> block, int32_t& length) {
        got.insert(got.end(), block.begin(), block.begin() + length / 2);
        arrivals.push_back(steady_clock::now());
    });
    const int16_t base = static_cast<int16_t>(
        -32000 + static_cast<int>(steady_clock::now().time_since_epoch().count() % 44000));
    Feeder feeder(fifo, base);
    ASSERT_TRUE(recorder.StartRecord(88200, 1)) << recorder.lastError(); // the default input
    size_t first = 0;
    const auto enough = [&] {
        while (first < got.size() && got[first] != base)
            ++first;
        return first + 12 * 5120 <= got.size();
    };
    ASSERT_TRUE(loop.runUntil(enough, 15s));
    recorder.StopRecord();

    // From the feeder's first sample on, the count rises without a gap or a repeat across all
    // buffers.
    size_t breaks = 0;
    for (size_t i = first + 1; i < got.size(); ++i)
        breaks += !(got[i] == got[i - 1] + 1 || (got[i] == base && got[i - 1] == base + Feeder::kSpan - 1));
    EXPECT_EQ(breaks, 0u);
    // Paced: the last eight buffers (8 × 5120 samples, 0.46 s) took about that long to come.
    const auto span = arrivals.back() - arrivals[arrivals.size() - 9];
    EXPECT_GT(span, 200ms);
    EXPECT_LT(span, 3s);
}

TEST(PulseCapture, TheCaptureControlSetsTheSourceVolume) {
    REQUIRE_PULSE();
    AlsaWaveIn alsa;
    AlsaMixerService mixers([&](int32_t i) { return alsa.deviceName(i); });
    PlainMessageLoop loop;
    ConsoleMessageBox boxes;
    WaveInRecorder recorder(alsa, mixers, loop, boxes);
    const int32_t pulse = deviceIndex(alsa, "pulse");
    ASSERT_TRUE(recorder.SelectDevice(pulse));
    ASSERT_EQ(recorder.MixerLineCount(), 1);
    EXPECT_EQ(recorder.MixerLineName(0), "Capture");
    ASSERT_TRUE(recorder.SelectMixerLine(0));
    EXPECT_EQ(recorder.SelectedMixerLine(), 0);

    recorder.MixerLineVolume(32768);
    EXPECT_NEAR(recorder.MixerLineVolume(), 32768, 1);
    // The server itself now reports half volume on its default source.
    FILE* p = popen("pactl get-source-volume @DEFAULT_SOURCE@ 2>/dev/null", "r");
    ASSERT_NE(p, nullptr);
    char text[512] = {};
    const size_t n = fread(text, 1, sizeof text - 1, p);
    pclose(p);
    EXPECT_NE(std::string(text, n).find("50%"), std::string::npos) << text;

    recorder.MixerLineVolume(65535); // full volume again, so captured samples stay exact
    EXPECT_EQ(recorder.MixerLineVolume(), 65535);
}

} // namespace
