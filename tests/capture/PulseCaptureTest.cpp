// Capture and the mixer on the real ALSA paths, through the private PulseAudio server that
// scripts/test starts: its default source is a pipe that these tests feed, so the sound arrives
// paced by the writer, exactly as written. Skipped when no such server runs. The tests that freeze
// or kill a server start one more of their own for it: the shared one is never stopped.

#include "capture/WaveInRecorder.h"
#include "platform/MessageBoxService.h"
#include "platform/PlainMessageLoop.h"
#include "platform/QueuedWaveInDevice.h"
#include "platform/alsa/AlsaHandles.h"
#include "platform/alsa/AlsaMixer.h"
#include "platform/alsa/AlsaWaveIn.h"

#include "support/PulseSupport.h"
#include "support/TestSupport.h"
#include "support/ToolRunner.h"

#include <gtest/gtest.h>

#include <alsa/asoundlib.h>
#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <future>
#include <poll.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

using namespace lctune;
using lctune::test::Feeder;
using lctune::test::PrivateServer;
using lctune::test::ServerOverride;
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
    // The feeder's first sample: its value followed by the next three of the count (what an
    // earlier test left in the pipe may hold the value itself).
    size_t first = 0;
    const auto startsCount = [&](size_t i) {
        for (int k = 0; k < 4; ++k)
            if (got[i + k] != base + k) return false;
        return true;
    };
    const auto enough = [&] {
        while (first + 4 <= got.size() && !startsCount(first))
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

// The tuner lists its devices through the recorder, in a process of its own: the same list as
// probing here, where the plugins' libraries then stay loaded.
TEST(PulseCapture, TheRecorderListsTheDevicesProbingFinds) {
    REQUIRE_PULSE();
    AlsaWaveIn probed;
    AlsaWaveIn listed;
    listed.listDevicesWith({std::string(LCTUNE_TOOLS_DIR) + "/lctune-record", "--list-devices"});
    EXPECT_EQ(listed.pcmNames(), probed.pcmNames());
    EXPECT_GE(deviceIndex(listed, "pulse"), 1);
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

// A frozen sound server (SIGSTOP) leaves the capture thread stuck inside ALSA. The loss is still
// noticed, because the check runs on the owner's thread; StopRecord returns within two seconds,
// saying the device did not stop cleanly; the thread left behind finishes once the server runs again.
TEST(PulseCapture, AFrozenServerIsReportedLostAndStopsInBoundedTime) {
    REQUIRE_PULSE();
    std::signal(SIGPIPE, SIG_IGN); // a feeder must never end the test before the server is resumed
    PrivateServer server;
    ASSERT_TRUE(server.running());
    ServerOverride pointAt(server.address());
    AlsaWaveIn alsa;
    AlsaMixerService mixers([&](int32_t i) { return alsa.deviceName(i); });
    PlainMessageLoop loop;
    ConsoleMessageBox boxes;
    auto recorder = std::make_unique<WaveInRecorder>(alsa, mixers, loop, boxes);
    recorder->silenceLimit(2s);
    int blocks = 0;
    std::string lost;
    recorder->GotData.connect([&](std::span<int16_t>, int32_t&) { ++blocks; });
    recorder->DeviceLost.connect([&](const std::string& why) { lost = why; });
    Feeder feeder(server.fifo(), 100);
    ASSERT_TRUE(recorder->StartRecord(88200, 1)) << recorder->lastError();
    ASSERT_TRUE(loop.runUntil([&] { return blocks >= 3; }, 15s));

    server.signal(SIGSTOP);
    EXPECT_TRUE(loop.runUntil(
        [&] {
            recorder->checkDevice();
            return !lost.empty();
        },
        10s));
    const auto begun = steady_clock::now();
    auto stopping = std::async(std::launch::async, [&] { return recorder->StopRecord(); });
    const bool returned = stopping.wait_for(5s) == std::future_status::ready;
    EXPECT_TRUE(returned) << "StopRecord waits for the frozen server";
    EXPECT_LT(steady_clock::now() - begun, 2500ms);
    server.signal(SIGCONT);
    EXPECT_FALSE(stopping.get());
    EXPECT_FALSE(recorder->IsRecording());
    const int seen = blocks;
    loop.processPending();
    EXPECT_EQ(blocks, seen) << "nothing reaches the engine after its stop";
    for (int i = 0; i < 500 && QueuedWaveInDevice::strandedThreads() > 0; ++i)
        std::this_thread::sleep_for(20ms);
    EXPECT_EQ(QueuedWaveInDevice::strandedThreads(), 0);
    recorder.reset();
}

// A server already frozen when the program starts: listing, the mixer and the open each give up
// within their limits instead of waiting for an answer that never comes.
TEST(PulseCapture, AServerFrozenBeforeTheStartHangsNothing) {
    REQUIRE_PULSE();
    PrivateServer server;
    ASSERT_TRUE(server.running());
    ServerOverride pointAt(server.address());
    server.signal(SIGSTOP);
    const auto begun = steady_clock::now();
    AlsaWaveIn alsa;
    AlsaMixerService mixers([&](int32_t i) { return alsa.deviceName(i); });
    EXPECT_EQ(alsa.deviceName(0), "default");
    auto mixer = mixers.openForWaveIn(0);
    PlainMessageLoop loop;
    std::string error;
    EXPECT_FALSE(alsa.open(0, WaveFormat::pcm(88200, 1, 16), loop.createTarget(), error));
    EXPECT_NE(error.find("does not answer"), std::string::npos) << error;
    EXPECT_LT(steady_clock::now() - begun, 4 * alsa::kOpenLimit);
    server.signal(SIGCONT);
    // The opens given up on finish once the server answers, and close what they opened.
    const auto thawed = steady_clock::now();
    while (alsa::opensStillRunning() > 0 && steady_clock::now() - thawed < 10s)
        std::this_thread::sleep_for(10ms);
    EXPECT_EQ(alsa::opensStillRunning(), 0);
}

// The tools as a user meets these faults: the live tuner and the recorder notice a killed or
// frozen server, say so in one line and end with status 2; Ctrl-C ends a recording on a frozen
// server at once; the file is a valid WAV in every case.
struct Spawned {
    pid_t pid = -1;
    std::string out, err;
};

Spawned spawnTool(const std::string& tool, const std::vector<std::string>& args, const std::string& server,
                  const std::string& dir) {
    Spawned s;
    s.out = dir + "/out.txt";
    s.err = dir + "/err.txt";
    s.pid = fork();
    if (s.pid == 0) {
        setenv("PULSE_SERVER", server.c_str(), 1);
        unsetenv("LCTUNE_INPUT");
        if (!std::freopen(s.out.c_str(), "w", stdout) || !std::freopen(s.err.c_str(), "w", stderr))
            _exit(127);
        const std::string exe = std::string(LCTUNE_TOOLS_DIR) + "/" + tool;
        std::vector<char*> argv{const_cast<char*>(exe.c_str())};
        for (const auto& a : args)
            argv.push_back(const_cast<char*>(a.c_str()));
        argv.push_back(nullptr);
        execv(exe.c_str(), argv.data());
        _exit(127);
    }
    return s;
}

/// The exit status, or -1 when the program has not ended within `limit` (it is killed then).
int waitFor(const Spawned& s, std::chrono::milliseconds limit) {
    const auto deadline = steady_clock::now() + limit;
    int status = 0;
    while (waitpid(s.pid, &status, WNOHANG) == 0) {
        if (steady_clock::now() > deadline) {
            ::kill(s.pid, SIGKILL);
            waitpid(s.pid, &status, 0);
            return -1;
        }
        std::this_thread::sleep_for(20ms);
    }
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

bool waitForFile(const std::string& path, uintmax_t bytes) {
    for (int i = 0; i < 750; ++i) {
        std::error_code ec;
        if (std::filesystem::file_size(path, ec) >= bytes && !ec) return true;
        std::this_thread::sleep_for(20ms);
    }
    return false;
}

void expectValidRecording(const std::string& path) {
    const test::WavContents got = test::readWav(path);
    ASSERT_TRUE(got.ok) << path;
    EXPECT_GT(got.info.frames, 5120);
    EXPECT_EQ(std::filesystem::file_size(path), 46 + 2 * static_cast<uintmax_t>(got.info.frames));
}

TEST(PulseCapture, TheToolsReportALostServerAndEndWithStatusTwo) {
    REQUIRE_PULSE();
    std::signal(SIGPIPE, SIG_IGN); // the feeders write on into pipes whose server has gone
    test::TempDir dir;
    {
        // The live tuner, its server killed.
        PrivateServer server;
        ASSERT_TRUE(server.running());
        Feeder feeder(server.fifo(), 200);
        const Spawned live =
            spawnTool("lctune-analyse", {"--input", "default"}, server.address(), dir.path());
        ASSERT_TRUE(waitForFile(live.out, 2000)) << test::slurp(live.err);
        server.signal(SIGKILL);
        EXPECT_EQ(waitFor(live, 15s), 2);
        const std::string err = test::slurp(live.err);
        EXPECT_NE(err.find("lost"), std::string::npos) << err;
        EXPECT_EQ(std::count(err.begin(), err.end(), '\n'), 1) << err;
    }
    {
        // A recording whose server freezes: found lost after five seconds without sound.
        PrivateServer server;
        ASSERT_TRUE(server.running());
        Feeder feeder(server.fifo(), 300);
        const std::string take = (dir / "frozen.wav").string();
        const Spawned record = spawnTool("lctune-record", {take}, server.address(), dir.path());
        ASSERT_TRUE(waitForFile(take, 46 + 3 * 10240)) << test::slurp(record.err);
        server.signal(SIGSTOP);
        EXPECT_EQ(waitFor(record, 15s), 2);
        const std::string err = test::slurp(record.err);
        EXPECT_NE(err.find("lost"), std::string::npos) << err;
        EXPECT_EQ(std::count(err.begin(), err.end(), '\n'), 1) << err;
        expectValidRecording(take);
    }
    {
        // Ctrl-C on a frozen server ends the recording at once.
        PrivateServer server;
        ASSERT_TRUE(server.running());
        Feeder feeder(server.fifo(), 400);
        const std::string take = (dir / "interrupted.wav").string();
        const Spawned record = spawnTool("lctune-record", {take}, server.address(), dir.path());
        ASSERT_TRUE(waitForFile(take, 46 + 3 * 10240)) << test::slurp(record.err);
        server.signal(SIGSTOP);
        std::this_thread::sleep_for(300ms);
        const auto interrupted = steady_clock::now();
        ::kill(record.pid, SIGINT);
        EXPECT_EQ(waitFor(record, 10s), 2);
        EXPECT_LT(steady_clock::now() - interrupted, 3s);
        const std::string err = test::slurp(record.err);
        EXPECT_EQ(std::count(err.begin(), err.end(), '\n'), 1) << err;
        expectValidRecording(take);
    }
}

} // namespace
