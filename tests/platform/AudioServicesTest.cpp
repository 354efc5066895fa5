// The platform's audio services on their real back-ends, without a sound card: the capture
// thread's buffer queue, the virtual input, ALSA capture through a `file` PCM of a private
// configuration, and the ALSA mixer through a control plugin of our own.

#include "capture/WaveInRecorder.h"
#include "platform/MessageBoxService.h"
#include "platform/PlainMessageLoop.h"
#include "platform/QueuedWaveInDevice.h"
#include "platform/VirtualWaveIn.h"
#include "platform/alsa/AlsaHandles.h"
#include "platform/alsa/AlsaMixer.h"
#include "platform/alsa/AlsaWaveIn.h"

#include <gtest/gtest.h>

#include <atomic>
#include <filesystem>
#include <fstream>
#include <thread>
#include <unistd.h>

using namespace lctune;
using namespace std::chrono_literals;
namespace fs = std::filesystem;

namespace {

// A source that delivers a running count as fast as it is read, and can fail for good.
class CountingDevice : public QueuedWaveInDevice {
public:
    CountingDevice(std::shared_ptr<NotificationTarget> t)
        : QueuedWaveInDevice(WaveFormat::pcm(8000, 1, 16), t) {}
    ~CountingDevice() override { shutdown(); }
    std::atomic<int> failAfterReads{-1};
    std::atomic<int64_t> produced{0};

protected:
    long captureFrames(int16_t* dst, long frames) override {
        if (failAfterReads == 0) return -1;
        if (failAfterReads > 0) --failAfterReads;
        frames = std::min(frames, 300L); // short reads, gathered into whole buffers
        for (long i = 0; i < frames; ++i)
            dst[i] = static_cast<int16_t>(produced++ & 0x7FFF);
        std::this_thread::sleep_for(100us);
        return frames;
    }
    bool startSource() override { return true; }
    void stopSource() override {}
    void closeSource() override {}
};

struct Buffers {
    std::vector<std::vector<int16_t>> memory;
    std::vector<WaveHeader> headers;
    explicit Buffers(int n, int samples) : memory(n, std::vector<int16_t>(samples)), headers(n) {
        for (int i = 0; i < n; ++i) {
            headers[i].data = memory[i].data();
            headers[i].bufferLength = samples * 2;
            headers[i].user = i;
        }
    }
};

TEST(QueuedWaveInDevice, FillsQueuedBuffersInOrderDropsInputWithoutBuffersAndSurvivesAFailure) {
    PlainMessageLoop loop;
    auto target = loop.createTarget();
    std::vector<WaveHeader*> done;
    loop.hook(*target, [&](uint32_t, void* p) { done.push_back(static_cast<WaveHeader*>(p)); });
    CountingDevice device(target);
    Buffers b(3, 1000);
    for (auto& h : b.headers)
        ASSERT_TRUE(device.prepare(h) && device.addBuffer(h));
    EXPECT_FALSE(device.unprepare(b.headers[0])); // still queued

    ASSERT_TRUE(device.start());
    ASSERT_TRUE(loop.runUntil([&] { return done.size() == 3; }, 5s));
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(done[i], &b.headers[i]);
        EXPECT_EQ(b.headers[i].bytesRecorded, 2000);
        EXPECT_TRUE(b.headers[i].flags & kWhdrDone);
        for (int s = 0; s < 1000; ++s)
            ASSERT_EQ(b.memory[i][s], i * 1000 + s);
    }
    // Nothing queued: the thread keeps reading and drops what it reads.
    const int64_t before = device.produced;
    std::this_thread::sleep_for(20ms);
    EXPECT_GT(device.produced, before);
    ASSERT_TRUE(device.addBuffer(b.headers[0]));
    ASSERT_TRUE(loop.runUntil([&] { return done.size() == 4; }, 5s));
    EXPECT_NE(b.memory[0][0], 3000); // not where the third buffer ended: the input between was dropped

    // A lasting failure ends delivery without a crash; a restart delivers again.
    device.failAfterReads = 0;
    ASSERT_TRUE(device.addBuffer(b.headers[1]));
    for (int i = 0; i < 200 && !device.failed(); ++i)
        std::this_thread::sleep_for(10ms);
    EXPECT_TRUE(device.failed());
    loop.processPending();
    EXPECT_EQ(done.size(), 4u);
    ASSERT_TRUE(device.stop());
    device.failAfterReads = -1;
    ASSERT_TRUE(device.start());
    EXPECT_FALSE(device.failed());
    ASSERT_TRUE(loop.runUntil([&] { return done.size() == 5; }, 5s));
    EXPECT_EQ(done.back(), &b.headers[1]);

    // A reset hands back every queued buffer.
    ASSERT_TRUE(device.addBuffer(b.headers[2]));
    device.failAfterReads = 0;
    ASSERT_TRUE(device.reset());
    loop.processPending();
    EXPECT_EQ(done.back(), &b.headers[2]);
    EXPECT_TRUE(device.close());
    EXPECT_FALSE(device.addBuffer(b.headers[0]));
}

TEST(VirtualWaveIn, AToneAtMinus6DbfsAndClearErrorsForBadSources) {
    VirtualWaveIn tone("tone:441");
    EXPECT_EQ(tone.deviceCount(), 1);
    EXPECT_EQ(tone.deviceName(0), "tone:441");
    PlainMessageLoop loop;
    auto target = loop.createTarget();
    std::vector<int16_t> got;
    std::string error;
    auto device = tone.open(-1, WaveFormat::pcm(88200, 1, 16), target, error);
    ASSERT_TRUE(device) << error;
    Buffers b(2, 4410);
    loop.hook(*target, [&](uint32_t, void* p) {
        auto* h = static_cast<WaveHeader*>(p);
        got.insert(got.end(), h->data, h->data + h->bytesRecorded / 2);
    });
    for (auto& h : b.headers)
        ASSERT_TRUE(device->prepare(h) && device->addBuffer(h));
    ASSERT_TRUE(device->start());
    const auto t0 = std::chrono::steady_clock::now();
    ASSERT_TRUE(loop.runUntil([&] { return got.size() == 8820; }, 3s));
    // Delivered in real time: 0.1 s of sound takes about 0.1 s.
    EXPECT_GE(std::chrono::steady_clock::now() - t0, 80ms);
    device->close();
    int peak = 0, crossings = 0;
    for (size_t i = 0; i < got.size(); ++i) {
        peak = std::max(peak, std::abs(static_cast<int>(got[i])));
        if (i > 0 && got[i - 1] < 0 && got[i] >= 0) ++crossings;
    }
    EXPECT_NEAR(peak, 16423, 2);
    EXPECT_NEAR(crossings, 44, 1); // 441 Hz for 0.1 s

    EXPECT_FALSE(VirtualWaveIn("tone:abc").open(0, WaveFormat::pcm(88200, 1, 16), target, error));
    EXPECT_FALSE(VirtualWaveIn("tone:50000").open(0, WaveFormat::pcm(88200, 1, 16), target, error));
    VirtualWaveIn missing("/no/such/take.wav");
    EXPECT_EQ(missing.deviceName(0), "take.wav");
    error.clear();
    EXPECT_FALSE(missing.open(0, WaveFormat::pcm(88200, 1, 16), target, error));
    EXPECT_NE(error.find("/no/such/take.wav"), std::string::npos);
    EXPECT_FALSE(missing.open(1, WaveFormat::pcm(88200, 1, 16), target, error));
}

// ALSA through a private configuration.

class TempFile {
public:
    explicit TempFile(const std::vector<int16_t>& samples) {
        char name[] = "/tmp/lctune-raw-XXXXXX";
        const int fd = mkstemp(name);
        path_ = name;
        const ssize_t n = write(fd, samples.data(), samples.size() * 2);
        (void)n;
        close(fd);
    }
    ~TempFile() { fs::remove(path_); }
    const std::string& path() const { return path_; }

private:
    std::string path_;
};

std::string filePcmConfig(const std::string& raw) {
    return "pcm.lctest_file { type file slave.pcm { type null } file \"/dev/null\" infile \"" + raw +
           "\" format \"raw\" }\n";
}

TEST(AlsaWaveIn, CapturesTheExactSamplesOfAFilePcm) {
    std::vector<int16_t> samples(3 * 5120 + 77);
    for (size_t i = 0; i < samples.size(); ++i)
        samples[i] = static_cast<int16_t>(i * 7 - 20000);
    TempFile raw(samples);
    AlsaWaveIn alsa({"lctest_file"}, filePcmConfig(raw.path()));
    ASSERT_EQ(alsa.deviceCount(), 1);
    EXPECT_EQ(alsa.deviceName(0), "lctest_file");

    PlainMessageLoop loop;
    auto target = loop.createTarget();
    std::vector<WaveHeader*> done;
    loop.hook(*target, [&](uint32_t, void* p) { done.push_back(static_cast<WaveHeader*>(p)); });
    std::string error;
    auto device = alsa.open(0, WaveFormat::pcm(88200, 1, 16), target, error);
    ASSERT_TRUE(device) << error;
    Buffers b(3, 5120);
    for (auto& h : b.headers)
        ASSERT_TRUE(device->prepare(h) && device->addBuffer(h));
    ASSERT_TRUE(device->start());
    ASSERT_TRUE(loop.runUntil([&] { return done.size() == 3; }, 5s));
    device->close();
    for (int i = 0; i < 3; ++i) {
        ASSERT_EQ(done[i], &b.headers[i]);
        EXPECT_TRUE(std::equal(b.memory[i].begin(), b.memory[i].end(), samples.begin() + i * 5120))
            << "buffer " << i;
    }

    EXPECT_FALSE(alsa.open(1, WaveFormat::pcm(88200, 1, 16), target, error));
    AlsaWaveIn nothing({"lctest_missing"}, filePcmConfig(raw.path()));
    error.clear();
    EXPECT_FALSE(nothing.open(0, WaveFormat::pcm(88200, 1, 16), target, error));
    EXPECT_NE(error.find("lctest_missing"), std::string::npos);
}

// The mixer through our control plugin: lines Mic, Line and CD behind a "Capture Source" selector.
std::string mixerConfig() {
    return std::string("ctl.lctest { type lctest }\nctl_type.lctest { lib \"") + LCTUNE_CTL_PLUGIN + "\" }\n";
}

long rawControl(const char* name, unsigned index) {
    std::string error;
    alsa::ConfigHandle config = alsa::loadConfig(mixerConfig(), error);
    snd_ctl_t* raw = nullptr;
    if (!config || snd_ctl_open_lconf(&raw, "lctest", 0, config.get()) < 0) return -1;
    alsa::CtlHandle ctl(raw);
    snd_ctl_elem_value_t* v = nullptr;
    snd_ctl_elem_value_alloca(&v);
    snd_ctl_elem_value_set_interface(v, SND_CTL_ELEM_IFACE_MIXER);
    snd_ctl_elem_value_set_name(v, name);
    long out = -1;
    if (snd_ctl_elem_read(ctl.get(), v) >= 0)
        out = std::string(name) == "Capture Source" ? snd_ctl_elem_value_get_enumerated(v, index)
                                                    : snd_ctl_elem_value_get_integer(v, index);
    return out;
}

TEST(AlsaMixer, SelectsLinesAndSetsVolumesThroughAControlPlugin) {
    AlsaWaveIn alsa({"lctest"}, "");
    AlsaMixerService mixers([&](int32_t i) { return alsa.deviceName(i); }, mixerConfig());
    PlainMessageLoop loop;
    ConsoleMessageBox boxes;
    WaveInRecorder recorder(alsa, mixers, loop, boxes);
    ASSERT_TRUE(recorder.SelectDevice(0));
    ASSERT_EQ(recorder.MixerLineCount(), 3);
    int mic = -1, line = -1, cd = -1;
    for (int i = 0; i < 3; ++i) {
        const std::string name = recorder.MixerLineName(i);
        if (name == "Mic") mic = i;
        if (name == "Line") line = i;
        if (name == "CD") cd = i;
    }
    ASSERT_TRUE(mic >= 0 && line >= 0 && cd >= 0);
    EXPECT_EQ(recorder.MixerLineType(mic), mixer::kSrcMicrophone);
    EXPECT_EQ(recorder.MixerLineType(cd), mixer::kSrcCompactDisc);

    ASSERT_TRUE(recorder.SelectMixerLine(line));
    EXPECT_EQ(rawControl("Capture Source", 0), 1); // the plugin's item 1 is "Line"
    EXPECT_EQ(recorder.SelectedMixerLine(), line);
    EXPECT_EQ(recorder.MixerLineType(-1), mixer::kSrcLine);
    recorder.MixerLineVolume(32768);
    EXPECT_EQ(rawControl("Line Capture Volume", 0), 32768);
    EXPECT_EQ(rawControl("Line Capture Volume", 1), 32768);
    EXPECT_EQ(recorder.MixerLineVolume(), 32768);

    ASSERT_TRUE(recorder.SelectMixerLine(cd));
    EXPECT_EQ(rawControl("Capture Source", 0), 2);
    EXPECT_EQ(recorder.SelectedMixerLine(), cd);
    recorder.MixerLineVolume(32768); // scaled onto 0..100
    EXPECT_EQ(rawControl("CD Capture Volume", 0), 50);
    EXPECT_EQ(rawControl("CD Capture Volume", 1), 50);
    EXPECT_EQ(recorder.MixerLineVolume(), 32768);           // 50 / 100 of 65535, rounded halves to even
    EXPECT_EQ(rawControl("Line Capture Volume", 0), 32768); // untouched
    EXPECT_FALSE(recorder.SelectMixerLine(3));
}

TEST(AlsaMixer, APcmWithoutAControlInterfaceHasAMixerWithoutLines) {
    EXPECT_EQ(AlsaMixerService::controlNameForPcm("plughw:CARD=PCH,DEV=0"), "hw:CARD=PCH");
    EXPECT_EQ(AlsaMixerService::controlNameForPcm("sysdefault:CARD=Device"), "hw:CARD=Device");
    EXPECT_EQ(AlsaMixerService::controlNameForPcm("pulse"), "pulse");
    AlsaWaveIn alsa({"lctest_nothing"}, "");
    AlsaMixerService mixers([&](int32_t i) { return alsa.deviceName(i); }, mixerConfig());
    PlainMessageLoop loop;
    ConsoleMessageBox boxes;
    WaveInRecorder recorder(alsa, mixers, loop, boxes);
    ASSERT_TRUE(recorder.SelectDevice(0));
    EXPECT_EQ(recorder.MixerLineCount(), 0);
    EXPECT_FALSE(recorder.SelectMixerLine(0));
    EXPECT_EQ(recorder.MixerLineVolume(), 0);
}

} // namespace
