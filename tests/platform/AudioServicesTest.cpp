// The platform's audio services on their real back-ends, without a sound card: the capture
// thread's buffer queue, the virtual input, ALSA capture through a `file` PCM of a private
// configuration, and the ALSA mixer through a control plugin of our own.

#include "capture/WaveInRecorder.h"
#include "platform/AudioFile.h"
#include "platform/MessageBoxService.h"
#include "platform/MonoStream.h"
#include "platform/PlainMessageLoop.h"
#include "platform/QueuedWaveInDevice.h"
#include "platform/SystemAudio.h"
#include "platform/VirtualWaveIn.h"
#include "platform/alsa/AlsaHandles.h"
#include "platform/alsa/AlsaMixer.h"
#include "platform/alsa/AlsaWaveIn.h"

#include "support/TestSupport.h"

#include <gtest/gtest.h>
#include <sndfile.h>

#include <atomic>
#include <condition_variable>
#include <filesystem>
#include <fstream>
#include <mutex>
#include <thread>
#include <unistd.h>

using namespace lctune;
using namespace std::chrono_literals;
namespace fs = std::filesystem;

namespace {

// A source that delivers a running count as fast as it is read, and can fail for good.
class CountingSource : public CaptureSource {
public:
    std::atomic<int> failAfterReads{-1};
    std::atomic<int64_t> produced{0};

    long captureFrames(int16_t* dst, long frames) override {
        if (failAfterReads == 0) return -1;
        if (failAfterReads > 0) --failAfterReads;
        frames = std::min(frames, 300L); // short reads, gathered into whole buffers
        for (long i = 0; i < frames; ++i)
            dst[i] = static_cast<int16_t>(produced++ & 0x7FFF);
        std::this_thread::sleep_for(100us);
        return frames;
    }
    bool start() override { return true; }
    void stop() override {}
    std::string failure() const override { return "the count broke"; }
};

// A source that hangs as ALSA does on a frozen sound server: once frozen, every read and the stop
// wait until it is thawed.
class FreezingSource : public CaptureSource {
public:
    void freeze() {
        std::lock_guard lock(mutex_);
        frozen_ = true;
    }
    void thaw() {
        std::lock_guard lock(mutex_);
        frozen_ = false;
        thawed_.notify_all();
    }
    long captureFrames(int16_t* dst, long frames) override {
        waitWhileFrozen();
        std::fill(dst, dst + frames, int16_t{1234});
        std::this_thread::sleep_for(1ms);
        return frames;
    }
    bool start() override { return true; }
    void stop() override { waitWhileFrozen(); }

private:
    void waitWhileFrozen() {
        std::unique_lock lock(mutex_);
        thawed_.wait(lock, [this] { return !frozen_; });
    }
    std::mutex mutex_;
    std::condition_variable thawed_;
    bool frozen_ = false;
};

class OneSourceService : public WaveInService {
public:
    explicit OneSourceService(std::shared_ptr<CaptureSource> source) : source_(std::move(source)) {}
    int32_t deviceCount() override { return 1; }
    std::string deviceName(int32_t) override { return "one source"; }
    std::unique_ptr<WaveInDevice> open(int32_t, const WaveFormat& format,
                                       std::shared_ptr<NotificationTarget> target, std::string&) override {
        return std::make_unique<QueuedWaveInDevice>(format, std::move(target), source_);
    }

private:
    std::shared_ptr<CaptureSource> source_;
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
    int failures = 0;
    loop.hook(*target, [&](uint32_t message, void* p) {
        if (message == kMmWimData) done.push_back(static_cast<WaveHeader*>(p));
        failures += message == kWimFailed;
    });
    auto source = std::make_shared<CountingSource>();
    QueuedWaveInDevice device(WaveFormat::pcm(8000, 1, 16), target, source);
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
    const int64_t before = source->produced;
    std::this_thread::sleep_for(20ms);
    EXPECT_GT(source->produced, before);
    ASSERT_TRUE(device.addBuffer(b.headers[0]));
    ASSERT_TRUE(loop.runUntil([&] { return done.size() == 4; }, 5s));
    EXPECT_NE(b.memory[0][0], 3000); // not where the third buffer ended: the input between was dropped

    // A lasting failure ends delivery without a crash; a restart delivers again.
    source->failAfterReads = 0;
    ASSERT_TRUE(device.addBuffer(b.headers[1]));
    for (int i = 0; i < 200 && device.failure().empty(); ++i)
        std::this_thread::sleep_for(10ms);
    EXPECT_EQ(device.failure(), "the count broke");
    loop.processPending();
    EXPECT_EQ(done.size(), 4u);
    EXPECT_EQ(failures, 1) << "the failure is posted as well";
    ASSERT_TRUE(device.stop());
    source->failAfterReads = -1;
    ASSERT_TRUE(device.start());
    EXPECT_EQ(device.failure(), "");
    ASSERT_TRUE(loop.runUntil([&] { return done.size() == 5; }, 5s));
    EXPECT_EQ(done.back(), &b.headers[1]);

    // A reset hands back every queued buffer.
    ASSERT_TRUE(device.addBuffer(b.headers[2]));
    source->failAfterReads = 0;
    ASSERT_TRUE(device.reset());
    loop.processPending();
    EXPECT_EQ(done.back(), &b.headers[2]);
    EXPECT_TRUE(device.close());
    EXPECT_FALSE(device.addBuffer(b.headers[0]));
}

// A source stuck inside a frozen sound server: StopRecord still returns in time, saying the device
// did not stop cleanly, and the thread left behind never reaches the engine or its buffers again,
// not even after the engine is gone.
TEST(QueuedWaveInDevice, AStuckSourceIsLeftBehindSafelyAndStopReturnsInTime) {
    auto source = std::make_shared<FreezingSource>();
    OneSourceService service(source);
    SystemAudio none = makeNoAudio();
    PlainMessageLoop loop;
    ConsoleMessageBox boxes;
    auto recorder = std::make_unique<WaveInRecorder>(service, *none.mixers, loop, boxes);
    int blocks = 0;
    recorder->GotData.connect([&](std::span<int16_t>, int32_t&) { ++blocks; });
    ASSERT_TRUE(recorder->StartRecord(8000, 1));
    ASSERT_TRUE(loop.runUntil([&] { return blocks >= 2; }, 5s));

    source->freeze();
    std::this_thread::sleep_for(20ms);
    const auto begun = std::chrono::steady_clock::now();
    EXPECT_FALSE(recorder->StopRecord());
    EXPECT_LT(std::chrono::steady_clock::now() - begun, 2s);
    EXPECT_FALSE(recorder->IsRecording());
    EXPECT_EQ(QueuedWaveInDevice::strandedThreads(), 1);

    recorder.reset(); // the engine and its buffers are gone
    source->thaw();   // the thread comes back with samples for them
    for (int i = 0; i < 200 && QueuedWaveInDevice::strandedThreads() > 0; ++i)
        std::this_thread::sleep_for(10ms);
    EXPECT_EQ(QueuedWaveInDevice::strandedThreads(), 0);
    EXPECT_EQ(source.use_count(), 2) << "only the test and its service hold the source: the thread let go";
    const int seen = blocks;
    loop.processPending();
    EXPECT_EQ(blocks, seen);
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

    for (const char* bad :
         {"tone:abc", "tone:50000", "tone:440abc", "tone:1e-300", "tone:0.5", "tone:", "tone:inf"})
        EXPECT_FALSE(VirtualWaveIn(bad).open(0, WaveFormat::pcm(88200, 1, 16), target, error)) << bad;
    EXPECT_TRUE(VirtualWaveIn("tone:1e3").open(0, WaveFormat::pcm(88200, 1, 16), target, error)) << error;
    VirtualWaveIn missing("/no/such/take.wav");
    EXPECT_EQ(missing.deviceName(0), "take.wav");
    error.clear();
    EXPECT_FALSE(missing.open(0, WaveFormat::pcm(88200, 1, 16), target, error));
    EXPECT_NE(error.find("/no/such/take.wav"), std::string::npos);
    EXPECT_FALSE(missing.open(1, WaveFormat::pcm(88200, 1, 16), target, error));
}

// Recordings from files.

bool writeReal(const std::string& path, const std::vector<double>& samples, int rate, int channels,
               int subtype) {
    SF_INFO info{};
    info.samplerate = rate;
    info.channels = channels;
    info.format = SF_FORMAT_WAV | subtype;
    SNDFILE* f = sf_open(path.c_str(), SFM_WRITE, &info);
    if (!f) return false;
    const bool ok = sf_write_double(f, samples.data(), static_cast<sf_count_t>(samples.size())) ==
                    static_cast<sf_count_t>(samples.size());
    return sf_close(f) == 0 && ok;
}

// Floating-point recordings hold their samples as fractions of full scale, which is 32768: a float
// copy of a 16-bit file reads as exactly its samples; halves round to even; beyond full scale clips.
TEST(AudioFile, FloatingPointFilesReadAsTheir16BitSamplesAndClipBeyondFullScale) {
    test::TempDir dir;
    std::vector<int16_t> expected = test::pattern(20000, 3);
    expected.insert(expected.end(), {32767, -32768});
    std::vector<double> real;
    for (const int16_t s : expected)
        real.push_back(s / 32768.0);
    real.insert(real.end(), {1.5, -1.5, 0.5 / 32768, 1.5 / 32768, -2.5 / 32768, std::nan("")});
    expected.insert(expected.end(), {32767, -32768, 0, 2, -2, 0});
    for (const int subtype : {SF_FORMAT_FLOAT, SF_FORMAT_DOUBLE}) {
        const std::string path = dir / ("real" + std::to_string(subtype) + ".wav");
        ASSERT_TRUE(writeReal(path, real, 44100, 2, subtype));
        AudioData data;
        std::string error;
        ASSERT_TRUE(readAudioFile(path, data, error)) << error;
        EXPECT_EQ(data.channels, 2);
        EXPECT_TRUE(data.samples == expected) << "subtype " << subtype;
    }
}

// Streaming (decoded, mixed and converted piece by piece) gives exactly the samples of converting
// the whole recording at once, across every piece boundary and at the end.
TEST(MonoStream, GivesExactlyTheSamplesOfTheWholeFileConversion) {
    test::TempDir dir;
    const struct {
        int rate, channels;
    } cases[] = {{44100, 2}, {22050, 1}, {88200, 1}, {48000, 3}, {96000, 1}};
    for (const auto c : cases) {
        const std::string path = dir / ("in" + std::to_string(c.rate) + ".wav");
        const size_t frames = 150001; // more than two pieces
        std::vector<int16_t> samples = test::pattern(frames * static_cast<size_t>(c.channels), 9);
        for (size_t i = 0; i < samples.size(); ++i) // quieter, so the conversion does not clip
            samples[i] = static_cast<int16_t>(samples[i] / 4 + 8000 * std::sin(static_cast<double>(i) / 40));
        ASSERT_TRUE(test::writeWav(path, samples, c.rate, c.channels));
        std::vector<int16_t> whole;
        std::string error;
        ASSERT_TRUE(convertRate(mixToMono(samples, c.channels), c.rate, 88200, whole, error)) << error;

        MonoStream stream;
        ASSERT_TRUE(stream.open(path, 88200)) << stream.error();
        std::vector<int16_t> streamed;
        for (auto piece = stream.next(); !piece.empty(); piece = stream.next())
            streamed.insert(streamed.end(), piece.begin(), piece.end());
        EXPECT_FALSE(stream.failed()) << stream.error();
        EXPECT_EQ(stream.samples(), static_cast<int64_t>(streamed.size()));
        ASSERT_EQ(streamed.size(), whole.size()) << c.rate << " Hz";
        EXPECT_TRUE(streamed == whole) << c.rate << " Hz";
    }
    MonoStream tooSlow;
    const std::string one = dir / "one-hertz.wav";
    ASSERT_TRUE(test::writeWav(one, std::vector<int16_t>(100, 1), 1, 1));
    EXPECT_FALSE(tooSlow.open(one, 88200));
    EXPECT_EQ(tooSlow.error().rfind(one + ": ", 0), 0u) << tooSlow.error();
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

// A lister's list is taken as it stands; one that fails or talks nonsense leaves the probing to
// this process, and one that hangs is cut off with only the default input offered.
TEST(AlsaWaveIn, DevicesListedByAProgramOfTheirOwn) {
    const auto listedBy = [](const std::string& script, int limitMs = 5000) {
        auto alsa = std::make_unique<AlsaWaveIn>();
        alsa->listDevicesWith({"/bin/sh", "-c", script}, limitMs);
        return alsa;
    };
    auto listed = listedBy("printf '0\\tdefault\\n1\\tlctest a\\n'");
    EXPECT_EQ(listed->pcmNames(), (std::vector<std::string>{"default", "lctest a"}));

    const std::vector<std::string> probed = AlsaWaveIn().pcmNames();
    ASSERT_FALSE(probed.empty());
    EXPECT_EQ(probed.front(), "default");
    for (const std::string script : {"exit 3", "printf '1\\tx\\n'", "printf '0\\tdefault'", "printf ''",
                                     "printf '0\\tpulse\\n'", "printf '0\\tdefault\\n2\\tx\\n'"})
        EXPECT_EQ(listedBy(script)->pcmNames(), probed) << script;
    AlsaWaveIn missing;
    missing.listDevicesWith({"/nonexistent/lctune-record", "--list-devices"});
    EXPECT_EQ(missing.pcmNames(), probed);

    const auto start = std::chrono::steady_clock::now();
    // Hung while still listing, or after closing its output on the way out.
    for (const std::string script : {"printf '0\\tdefault\\n1\\tx\\n'; exec sleep 30",
                                     "printf '0\\tdefault\\n1\\tx\\n'; exec sleep 30 >&-"})
        EXPECT_EQ(listedBy(script, 300)->pcmNames(), std::vector<std::string>{"default"}) << script;
    EXPECT_LT(std::chrono::steady_clock::now() - start, 3s);
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
