// The capture hub's two paths (every captured block, every display tick) and the capture and file
// steps of the record/stop sequence, against the fake device.

#include "recording/CaptureHub.h"
#include "recording/AnalysisReplay.h"

#include "core/RecordingPlotSurface.h"
#include "dsp/modDraw.h"
#include "support/FakeAudio.h"
#include "support/TestSupport.h"
#include "tuner/TunerSettings.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <thread>

using namespace lctune;
using namespace lctune::fake;
using namespace lctune::test;
namespace fs = std::filesystem;

namespace {

class CaptureHubTest : public ::testing::Test {
protected:
    FakeWaveIn waveIn;
    FakeMixers mixers;
    FakeMessageLoop loop;
    FakeMessageBoxes boxes;
    AppFlags flags;
    CaptureHub hub{waveIn, mixers, loop, boxes, flags};
    TempDir dir;

    RecordingRequest request(const std::string& name, int16_t channels = 1, uint16_t bits = 16) {
        RecordingRequest r;
        r.rate = 88200;
        r.channels = channels;
        r.output = WaveFormat::pcm(88200, static_cast<uint16_t>(channels), bits);
        r.path = (dir / name).string();
        return r;
    }
    void deliver(const std::vector<int16_t>& samples) {
        ASSERT_TRUE(waveIn.deliver(samples));
        loop.processPending();
    }
};

TEST_F(CaptureHubTest, StartsWithTheInitialSilenceAndTheDefaultFormat) {
    EXPECT_EQ(hub.sampleBuffer(), SampleBlock(1024, 0));
    EXPECT_EQ(hub.effects().samplerate(), 88200);
    EXPECT_EQ(hub.effects().Channels(), 1);
    EXPECT_EQ(hub.effects().EqualizerBands(), 7);
    EXPECT_FALSE(hub.recorder().IsRecording());
}

TEST_F(CaptureHubTest, EveryBlockReplacesTheBufferGoesThroughTheEffectsAndIsRecordedExactly) {
    hub.effects().EffectsUsed(clsDSP::kAmplifier);
    hub.effects().AmplifyDB(6);
    ASSERT_EQ(hub.startRecording(request("take.wav")), StartResult::Started);
    const std::vector<int16_t> first = pattern(5120, 3), second = pattern(100, 4);
    deliver(first);
    std::vector<int16_t> amplified = first;
    clsDSP::amplify(amplified, 6, clsDSP::GainUnit::Decibels);
    EXPECT_EQ(hub.sampleBuffer(), amplified) << "the whole array, processed in place";
    deliver(second); // a partly filled buffer: the rest of the array is the block before
    EXPECT_EQ(hub.sampleBuffer().size(), 5120u);
    EXPECT_TRUE(hub.stopRecording());

    const WavContents got = readWav((dir / "take.wav").string());
    ASSERT_TRUE(got.ok);
    ASSERT_EQ(got.samples.size(), 5120u + 100u) << "only the valid bytes of each block are written";
    EXPECT_TRUE(std::equal(amplified.begin(), amplified.end(), got.samples.begin()));
    EXPECT_EQ(hub.bytesRecorded(), 2 * (5120 + 100));
}

TEST_F(CaptureHubTest, TheTunerStartsCaptureWithoutAFile) {
    flags.tunerActive = true;
    ASSERT_EQ(hub.startRecording(request("tuner.wav")), StartResult::Started);
    deliver(pattern(5120, 1));
    EXPECT_TRUE(hub.recorder().IsRecording());
    EXPECT_EQ(hub.sampleBuffer(), pattern(5120, 1));
    hub.stopRecording();
    EXPECT_FALSE(fs::exists(dir / "tuner.wav"));
    EXPECT_EQ(hub.bytesRecorded(), 0);
}

TEST_F(CaptureHubTest, AFailedStartSaysWhichStepFailed) {
    const int32_t rate = hub.effects().samplerate();
    for (int32_t bad : {0, 96001}) {
        RecordingRequest r = request("bad-rate.wav");
        r.rate = bad;
        EXPECT_EQ(hub.startRecording(r), StartResult::InvalidSampleRate);
    }
    EXPECT_FALSE(fs::exists(dir / "bad-rate.wav")) << "an invalid rate creates no file";
    EXPECT_EQ(hub.effects().samplerate(), rate) << "and keeps the rate in force";

    EXPECT_EQ(hub.startRecording(request("no-such-folder/x.wav")), StartResult::EncoderFailed);
    EXPECT_EQ(hub.initResult(), EncoderWAV::kNoFile);
    EXPECT_FALSE(hub.recorder().IsRecording()) << "capture is not started";

    waveIn.log.failOpen = true;
    RecordingRequest r = request("opened.wav", 2);
    r.rate = 44100;
    r.output = WaveFormat::pcm(44100, 2, 16);
    EXPECT_EQ(hub.startRecording(r), StartResult::CaptureFailed);
    EXPECT_TRUE(fs::exists(dir / "opened.wav")) << "the encoder was initialised before capture failed";
    EXPECT_EQ(hub.effects().samplerate(), 44100);
    EXPECT_EQ(hub.effects().Channels(), 2);
}

TEST_F(CaptureHubTest, AWriteFailureStopsTheRecordingBeforeTheWarning) {
    RecordingRequest r = request("full.wav");
    FileSizeLimit diskFull(1000);
    ASSERT_EQ(hub.startRecording(r), StartResult::Started);
    bool stoppedBeforeWarning = false;
    boxes.shown.clear();
    deliver(pattern(5120, 9));
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_EQ(boxes.shown[0],
              std::make_pair(std::string("岚川调音器"), std::string(CaptureHub::kWriteError)));
    EXPECT_FALSE(hub.recorder().IsRecording());

    // The window presses its record button instead, and shows the warning itself.
    ASSERT_EQ(hub.startRecording(r), StartResult::Started);
    hub.onWriteFailed = [&] {
        hub.stopRecording();
        stoppedBeforeWarning = boxes.shown.size() == 1;
    };
    deliver(pattern(5120, 9));
    EXPECT_TRUE(stoppedBeforeWarning);
    EXPECT_EQ(boxes.shown.size(), 1u);
}

// The windows learn of a lost device from the display tick, which checks the device every time.
TEST_F(CaptureHubTest, TheTickChecksTheDevice) {
    int lost = 0;
    hub.recorder().DeviceLost.connect([&](const std::string&) { ++lost; });
    hub.recorder().silenceLimit(std::chrono::milliseconds(50));
    flags.tunerActive = true;
    ASSERT_EQ(hub.startRecording(request("t.wav")), StartResult::Started);
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    hub.tick();
    EXPECT_EQ(lost, 1);
}

class HubTickTest : public CaptureHubTest {
protected:
    RecordingPlotSurface ampl{297, 100}, freq{100, 80}, left{200, 10}, right{200, 10};
    void SetUp() override { hub.setDisplays({&ampl, &freq, &left, &right}); }

    // The fill of a level bar: width round(200 · v), colour from green through orange to red.
    static PlotOp bar(float level) {
        return PlotOp{PlotOp::Kind::FillRect,
                      0,
                      0,
                      std::nearbyint(200 * level),
                      10,
                      modDraw::GradientColor(1, level, 0x00FF00, 0x22A8E1, 0x0000FF),
                      200,
                      10};
    }
    const PlotOp& fillOf(const RecordingPlotSurface& s) { return s.ops().back(); }
};

TEST_F(HubTickTest, DrawsOnlyWhileCapturing) {
    hub.tick();
    EXPECT_TRUE(ampl.ops().empty() && freq.ops().empty() && left.ops().empty());
    flags.tunerActive = true;
    ASSERT_EQ(hub.startRecording(request("t.wav")), StartResult::Started);
    hub.tick();
    EXPECT_FALSE(ampl.ops().empty());
    EXPECT_FALSE(freq.ops().empty());
    EXPECT_EQ(left.ops().front().kind, PlotOp::Kind::Clear);
}

TEST_F(HubTickTest, LevelBarsFollowTheSmoothedPeaksPerChannel) {
    flags.tunerActive = true;
    ASSERT_EQ(hub.startRecording(request("t.wav")), StartResult::Started);
    std::vector<int16_t> block(5120, 0);
    block[10] = -16384; // a left sample
    block[11] = 8192;   // a right sample
    deliver(block);
    hub.stereo(true);
    hub.tick();
    EXPECT_EQ(fillOf(left), bar(16384.0f / 32768.0f));
    EXPECT_EQ(fillOf(right), bar(8192.0f / 32768.0f));

    // Mono: both bars from the loudest sample; the smoother averages the last three peaks.
    hub.stereo(false);
    hub.tick();
    EXPECT_EQ(fillOf(left), bar((16384.0f + 16384.0f) / 2 / 32768.0f));
    EXPECT_EQ(fillOf(right), bar((8192.0f + 16384.0f) / 2 / 32768.0f));

    deliver(std::vector<int16_t>(5120, 0));
    hub.tick();
    EXPECT_EQ(fillOf(left), bar((16384.0f + 16384.0f + 1.0f) / 3 / 32768.0f)) << "silence counts as 1";
}

TEST_F(HubTickTest, TheAnalysisHearsTheBufferOnlyWhileTheTunerIsActive) {
    TunerSettings settings;
    NullPlotSurface picture2;
    TunerAnalysis analysis(settings, picture2, flags);
    hub.setTuner(&analysis);
    int analysed = 0;
    hub.tick();
    flags.tunerActive = true;
    flags.eqEnabled = true;
    flags.eqFlat = false;
    analysis.setEqualiser([&](SampleBlock& block) {
        ++analysed;
        EXPECT_EQ(&block, &hub.sampleBuffer()) << "the buffer itself, by reference";
    });
    hub.tick();
    hub.tick();
    EXPECT_EQ(analysed, 2);
}

TEST_F(HubTickTest, ATickThatYieldsDoesNotNestButABlockRunsInsideIt) {
    flags.tunerActive = true;
    ASSERT_EQ(hub.startRecording(request("t.wav")), StartResult::Started);
    ASSERT_TRUE(waveIn.deliver(pattern(5120, 5))); // waits for the tick's yield
    int ticksInside = 0;
    loop.post([&] {
        const size_t before = ampl.ops().size();
        hub.tick(); // a timer event that arrives during the yield
        ticksInside += ampl.ops().size() != before;
    });
    hub.tick();
    EXPECT_EQ(ticksInside, 0);
    EXPECT_EQ(hub.sampleBuffer(), pattern(5120, 5)) << "the capture notification ran in the yield";
}

// A recording replayed through the hub: each block is equalised once, however many ticks hear it
// (equalising again on every tick would stack the band gains).
TEST(AnalysisReplay, EqualisesEachBlockOnceHoweverOftenItIsAnalysed) {
    TunerSettings settings;
    int64_t rows = 0;
    AnalysisReplay replay(settings, AnalysisReplay::EqualiserGains{12, 0, 0, 0, 0, 0, 0},
                          [&](const TunerRow& row) { EXPECT_EQ(row.tick, ++rows); });
    const std::vector<int16_t> samples(5120 * 12 + 77, 3000);
    replay.feed(std::span(samples).first(1000)); // pieces of any size
    replay.feed(std::span(samples).subspan(1000));
    replay.finish();
    EXPECT_EQ(replay.schedule().blocksFed(), 12);
    EXPECT_EQ(rows, 27);
    // The initial silence and eleven blocks: the twelfth arrives after the last tick.
    EXPECT_EQ(replay.hub().blockEqualiser().blocksEqualised(), 12);
}

} // namespace
