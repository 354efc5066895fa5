#include "capture/WaveInRecorder.h"
#include "core/Error.h"

#include "support/FakeAudio.h"

#include <gtest/gtest.h>

#include <chrono>
#include <numeric>
#include <thread>
#include <type_traits>

using namespace lctune;
using namespace lctune::fake;
using namespace std::chrono_literals;

namespace {

class WaveInRecorderTest : public ::testing::Test {
protected:
    FakeWaveIn waveIn;
    FakeMixers mixers;
    FakeMessageLoop loop;
    FakeMessageBoxes boxes;
    WaveInRecorder recorder{waveIn, mixers, loop, boxes};

    struct Received {
        const int16_t* data;
        size_t size;
        int32_t length;
        std::vector<int16_t> samples;
    };
    std::vector<Received> received;

    void record() {
        recorder.GotData.connect([this](std::span<int16_t> block, int32_t& length) {
            received.push_back({block.data(), block.size(), length,
                                std::vector<int16_t>(block.begin(), block.begin() + length / 2)});
        });
    }

    std::vector<std::string> callsStartingWith(const std::string& prefix) const {
        std::vector<std::string> out;
        for (const auto& c : waveIn.log.calls)
            if (c.rfind(prefix, 0) == 0) out.push_back(c);
        return out;
    }
};

std::vector<int16_t> ramp(size_t n, int16_t first) {
    std::vector<int16_t> v(n);
    std::iota(v.begin(), v.end(), first);
    return v;
}

// A handler cannot take the block as a vector it could resize (and so move the memory the device
// writes into): only the fixed view connects.
using GotDataHandler = decltype(WaveInRecorder::GotData)::Handler;
static_assert(!std::is_constructible_v<GotDataHandler, void (*)(SampleBlock&, int32_t&)>);
static_assert(std::is_constructible_v<GotDataHandler, void (*)(std::span<int16_t>, int32_t&)>);

TEST_F(WaveInRecorderTest, StartOpensTheDefaultInputStartsThenQueuesEveryBufferInOrder) {
    ASSERT_TRUE(recorder.StartRecord(44100, 2));
    EXPECT_TRUE(recorder.IsRecording());
    EXPECT_EQ(waveIn.log.openedIndex, -1);
    const WaveFormat& f = waveIn.log.openedFormat;
    EXPECT_EQ(f.formatTag, 1);
    EXPECT_EQ(f.channels, 2);
    EXPECT_EQ(f.samplesPerSec, 44100u);
    EXPECT_EQ(f.blockAlign, 4);
    EXPECT_EQ(f.avgBytesPerSec, 176400u);
    EXPECT_EQ(f.bitsPerSample, 16);
    EXPECT_EQ(f.extraSize, 0);
    const std::vector<std::string> expected{"open -1",   "prepare 0", "prepare 1", "prepare 2",
                                            "prepare 3", "prepare 4", "start",     "add 0",
                                            "add 1",     "add 2",     "add 3",     "add 4"};
    EXPECT_EQ(waveIn.log.calls, expected);
    for (const WaveHeader* h : waveIn.log.queue)
        EXPECT_EQ(h->bufferLength, 10240);
}

TEST_F(WaveInRecorderTest, GotDataHandsOverTheBuffersOwnArrayThenQueuesItAgain) {
    record();
    ASSERT_TRUE(recorder.StartRecord(88200, 1));
    WaveHeader* first = waveIn.log.queue.front();
    bool queuedDuringHandler = true;
    recorder.GotData.connect([&](std::span<int16_t> block, int32_t&) {
        if (block.data() == first->data)
            queuedDuringHandler =
                std::find(waveIn.log.queue.begin(), waveIn.log.queue.end(), first) != waveIn.log.queue.end();
    });
    ASSERT_TRUE(waveIn.deliver(ramp(5120, -100)));
    ASSERT_TRUE(waveIn.deliver(ramp(50, 7))); // a partly filled buffer
    loop.processPending();

    ASSERT_EQ(received.size(), 2u);
    EXPECT_EQ(received[0].data, first->data);
    EXPECT_EQ(received[0].size, 5120u);
    EXPECT_EQ(received[0].length, 10240);
    EXPECT_EQ(received[0].samples, ramp(5120, -100));
    EXPECT_EQ(received[1].size, 5120u);
    EXPECT_EQ(received[1].length, 100);
    EXPECT_EQ(received[1].samples, ramp(50, 7));
    EXPECT_FALSE(queuedDuringHandler);
    // Both buffers are back at the end of the queue, in the order they were handled.
    ASSERT_EQ(waveIn.log.queue.size(), 5u);
    EXPECT_EQ(waveIn.log.queue[3], first);
    EXPECT_EQ(waveIn.log.queue[3]->user, 0);
    EXPECT_EQ(waveIn.log.queue[4]->user, 1);
}

TEST_F(WaveInRecorderTest, PrepareFailureUnpreparesExactlyTheBuffersBeforeIt) {
    for (int failAt : {0, 2, 4}) {
        FakeWaveIn device;
        device.log.failPrepareAt = failAt;
        WaveInRecorder r(device, mixers, loop, boxes);
        EXPECT_FALSE(r.StartRecord(88200, 1));
        EXPECT_FALSE(r.IsRecording());
        std::vector<std::string> expected{"open -1"};
        for (int i = 0; i <= failAt; ++i)
            expected.push_back("prepare " + std::to_string(i));
        for (int i = 0; i < failAt; ++i)
            expected.push_back("unprepare " + std::to_string(i));
        expected.push_back("close");
        EXPECT_EQ(device.log.calls, expected) << "prepare of buffer " << failAt << " fails";
        EXPECT_FALSE(r.lastError().empty());
    }
}

TEST_F(WaveInRecorderTest, StartAndOpenFailuresLeaveNothingOpen) {
    waveIn.log.failStart = true;
    EXPECT_FALSE(recorder.StartRecord(88200, 1));
    EXPECT_FALSE(recorder.IsRecording());
    EXPECT_EQ(callsStartingWith("unprepare").size(), 5u);
    EXPECT_EQ(waveIn.log.calls.back(), "close");
    EXPECT_EQ(callsStartingWith("add").size(), 0u);

    waveIn.log = WaveInLog{};
    waveIn.log.failOpen = true;
    EXPECT_FALSE(recorder.StartRecord(88200, 1));
    EXPECT_FALSE(recorder.IsRecording());
    EXPECT_EQ(recorder.lastError(), "the fake device refuses to open");
    EXPECT_TRUE(boxes.shown.empty()); // the caller reports it in its own words

    waveIn.log = WaveInLog{};
    EXPECT_TRUE(recorder.StartRecord(88200, 1));
    EXPECT_TRUE(recorder.lastError().empty());
}

TEST_F(WaveInRecorderTest, UnreadableOrForeignNotificationsAreIgnoredAndNothingIsQueued) {
    record();
    ASSERT_TRUE(recorder.StartRecord(88200, 1));
    WaveHeader stranger;
    stranger.user = 0;
    stranger.bytesRecorded = 10;
    const size_t queued = waveIn.log.queue.size();
    waveIn.log.target->post(kMmWimData, nullptr);
    waveIn.log.target->post(kMmWimData, &stranger);
    waveIn.log.target->post(kMmWimData + 1, waveIn.log.queue.front()); // not a buffer-done message
    loop.processPending();
    EXPECT_TRUE(received.empty());
    EXPECT_EQ(waveIn.log.queue.size(), queued);
    EXPECT_EQ(callsStartingWith("add").size(), 5u);
}

TEST_F(WaveInRecorderTest, NothingArrivesOnceStopHasBegun) {
    record();
    ASSERT_TRUE(recorder.StartRecord(88200, 1));
    ASSERT_TRUE(waveIn.deliver(ramp(5120, 0)));
    ASSERT_TRUE(waveIn.deliver(ramp(10, 0)));
    EXPECT_TRUE(recorder.StopRecord()); // its reset posts the three buffers still queued
    EXPECT_FALSE(recorder.IsRecording());
    EXPECT_GE(loop.pendingCount(), 5u);
    loop.processPending();
    EXPECT_TRUE(received.empty());
    const std::vector<std::string> tail{"stop",        "reset",       "unprepare 0", "unprepare 1",
                                        "unprepare 2", "unprepare 3", "unprepare 4", "close"};
    EXPECT_EQ(std::vector<std::string>(waveIn.log.calls.end() - 8, waveIn.log.calls.end()), tail);

    // Stopping again is harmless, and capture starts afresh.
    EXPECT_TRUE(recorder.StopRecord());
    ASSERT_TRUE(recorder.StartRecord(88200, 1));
    ASSERT_TRUE(waveIn.deliver(ramp(5120, 3)));
    loop.processPending();
    EXPECT_EQ(received.size(), 1u);
}

TEST_F(WaveInRecorderTest, AHandlerThatStopsOrRestartsCaptureIsNotAnsweredByAReQueue) {
    int calls = 0;
    recorder.GotData.connect([&](std::span<int16_t>, int32_t&) {
        ++calls;
        recorder.StopRecord();
    });
    ASSERT_TRUE(recorder.StartRecord(88200, 1));
    ASSERT_TRUE(waveIn.deliver(ramp(5120, 0)));
    ASSERT_TRUE(waveIn.deliver(ramp(5120, 0)));
    loop.processPending();
    EXPECT_EQ(calls, 1);
    EXPECT_EQ(callsStartingWith("add").size(), 5u);

    WaveInRecorder restarting(waveIn, mixers, loop, boxes);
    restarting.GotData.connect([&](std::span<int16_t>, int32_t&) {
        restarting.StopRecord();
        restarting.StartRecord(88200, 1);
    });
    waveIn.log = WaveInLog{};
    ASSERT_TRUE(restarting.StartRecord(88200, 1));
    ASSERT_TRUE(waveIn.deliver(ramp(5120, 0)));
    loop.processPending();
    // Only the new session's five buffers are queued; the old header is not among them.
    EXPECT_EQ(waveIn.log.queue.size(), 5u);
    EXPECT_EQ(callsStartingWith("add").size(), 10u);
}

TEST_F(WaveInRecorderTest, ATargetThatCannotBeSetUpShowsTheWarningAndOpensNothing) {
    loop.failCreate = true;
    EXPECT_FALSE(recorder.StartRecord(88200, 1));
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_EQ(boxes.shown[0].first, "Error in WaveInRecorder.sc_Subclass");
    EXPECT_EQ(boxes.shown[0].second, "Invalid window handle.");
    EXPECT_TRUE(waveIn.log.calls.empty());

    loop.failCreate = false;
    loop.hookError = 1400;
    EXPECT_FALSE(recorder.StartRecord(88200, 1));
    ASSERT_EQ(boxes.shown.size(), 2u);
    EXPECT_EQ(boxes.shown[1].second, "SetWindowLong failed, error #1400.");
    EXPECT_FALSE(recorder.IsRecording());
    EXPECT_TRUE(waveIn.log.calls.empty());
}

TEST_F(WaveInRecorderTest, BufferSettingsApplyAtStartAndStayFixedWhileCapturing) {
    recorder.BufferCount(3);
    recorder.BufferSize(4096);
    record();
    ASSERT_TRUE(recorder.StartRecord(8000, 1));
    recorder.BufferCount(9);
    recorder.BufferSize(100);
    EXPECT_EQ(recorder.BufferCount(), 3);
    EXPECT_EQ(recorder.BufferSize(), 4096);
    EXPECT_EQ(waveIn.log.queue.size(), 3u);
    ASSERT_TRUE(waveIn.deliver(ramp(5000, 0)));
    loop.processPending();
    ASSERT_EQ(received.size(), 1u);
    EXPECT_EQ(received[0].size, 2048u);
    EXPECT_EQ(received[0].length, 4096);
    recorder.StopRecord();

    // An odd size: the array holds round(4095 / 2 - 1) + 1 = 2048 samples, and the device is
    // never told the buffer is larger than that.
    recorder.BufferSize(4095);
    recorder.BufferCount(0); // ignored
    EXPECT_EQ(recorder.BufferCount(), 3);
    ASSERT_TRUE(recorder.StartRecord(8000, 1));
    for (const WaveHeader* h : waveIn.log.queue)
        EXPECT_LE(h->bufferLength, 2048 * 2);
}

TEST_F(WaveInRecorderTest, AStopThatDoesNotEndCleanlyReturnsFalseAndStillClosesTheDevice) {
    ASSERT_TRUE(recorder.StartRecord(88200, 1));
    waveIn.log.failStop = true;
    EXPECT_FALSE(recorder.StopRecord());
    EXPECT_FALSE(recorder.IsRecording());
    EXPECT_EQ(waveIn.log.calls.back(), "close");
    waveIn.log.failStop = false;
    EXPECT_TRUE(recorder.StartRecord(88200, 1));
}

// A device that goes silent (a sound server killed or frozen) or fails for good is reported once
// per capture session, through DeviceLost, with a reason; the owner decides what to do.
TEST_F(WaveInRecorderTest, ASilentOrFailedDeviceIsReportedLostOncePerSession) {
    std::vector<std::string> lost;
    recorder.DeviceLost.connect([&](const std::string& why) { lost.push_back(why); });
    recorder.silenceLimit(500ms);
    recorder.checkDevice(); // idle: nothing to check
    ASSERT_TRUE(recorder.StartRecord(88200, 1));
    for (int i = 0; i < 3; ++i) { // buffers that keep coming keep the device alive
        std::this_thread::sleep_for(100ms);
        ASSERT_TRUE(waveIn.deliver(ramp(5120, 0)));
        loop.processPending();
        recorder.checkDevice();
    }
    EXPECT_TRUE(lost.empty());
    std::this_thread::sleep_for(600ms);
    recorder.checkDevice();
    recorder.checkDevice();
    ASSERT_EQ(lost.size(), 1u);
    EXPECT_NE(lost[0].find("no sound"), std::string::npos) << lost[0];
    EXPECT_TRUE(recorder.IsRecording());
    recorder.StopRecord();
    std::this_thread::sleep_for(600ms);
    recorder.checkDevice();
    EXPECT_EQ(lost.size(), 1u) << "nothing is lost while idle";

    // A failure that the device itself notices is reported at once, in its words.
    ASSERT_TRUE(recorder.StartRecord(88200, 1));
    waveIn.log.failure = "the fake device broke";
    waveIn.log.target->post(kWimFailed, nullptr);
    loop.processPending();
    ASSERT_EQ(lost.size(), 2u);
    EXPECT_NE(lost[1].find("the fake device broke"), std::string::npos) << lost[1];
    std::this_thread::sleep_for(600ms);
    recorder.checkDevice();
    EXPECT_EQ(lost.size(), 2u);
}

TEST_F(WaveInRecorderTest, DestructionWhileCapturingClosesTheDevice) {
    {
        WaveInRecorder r(waveIn, mixers, loop, boxes);
        ASSERT_TRUE(r.StartRecord(88200, 1));
        ASSERT_TRUE(waveIn.log.open);
    }
    EXPECT_FALSE(waveIn.log.open);
    EXPECT_EQ(waveIn.log.calls.back(), "close");
    loop.processPending(); // the reset's notifications reach nothing
}

} // namespace

TEST_F(WaveInRecorderTest, AHandlerErrorIsShownAndCaptureGoesOn) {
    int calls = 0;
    recorder.GotData.connect([&](std::span<int16_t> block, int32_t&) {
        ++calls;
        block[0] = 1; // the view is writable, not resizable
        if (calls == 1) throw Error(32000, "invalid samplerate");
    });
    ASSERT_TRUE(recorder.StartRecord(88200, 1));
    ASSERT_TRUE(waveIn.deliver(ramp(5120, 0)));
    loop.processPending();
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_EQ(boxes.shown[0].second, "invalid samplerate");
    EXPECT_EQ(waveIn.log.queue.size(), 5u) << "the buffer went back to the device";
    ASSERT_TRUE(waveIn.deliver(ramp(5120, 0)));
    loop.processPending();
    EXPECT_EQ(calls, 2);
}
