#include "capture/WaveInRecorder.h"

#include "support/FakeAudio.h"

#include <gtest/gtest.h>

using namespace lctune;
using namespace lctune::fake;

namespace {

class MixerLinesTest : public ::testing::Test {
protected:
    FakeWaveIn waveIn;
    FakeMixers mixers;
    FakeMessageLoop loop;
    FakeMessageBoxes boxes;
    WaveInRecorder recorder{waveIn, mixers, loop, boxes};
};

TEST_F(MixerLinesTest, DevicesAreListedAndOutOfRangeSelectionsChangeNothing) {
    EXPECT_EQ(recorder.DeviceCount(), 2);
    EXPECT_EQ(recorder.DeviceName(1), "USB Microphone (fake)");
    EXPECT_EQ(recorder.DeviceName(2), "");
    waveIn.names[0] = std::string("Line\0junk", 9);
    EXPECT_EQ(recorder.DeviceName(0), "Line");

    ASSERT_TRUE(recorder.SelectDevice(1));
    EXPECT_FALSE(recorder.SelectDevice(-1));
    EXPECT_FALSE(recorder.SelectDevice(2));
    EXPECT_EQ(recorder.SelectedDevice(), 1);
    EXPECT_EQ(recorder.MixerLineCount(), 3); // the mixer stayed open
    EXPECT_EQ(mixers.opened, std::vector<int32_t>{1});

    ASSERT_TRUE(recorder.StartRecord(88200, 1));
    EXPECT_EQ(waveIn.log.openedIndex, 1);
}

TEST_F(MixerLinesTest, ADeviceWhoseMixerDoesNotOpenIsNotSelected) {
    ASSERT_TRUE(recorder.SelectDevice(0));
    mixers.failingDevices = {1};
    EXPECT_FALSE(recorder.SelectDevice(1));
    EXPECT_EQ(recorder.SelectedDevice(), -1);
    EXPECT_EQ(recorder.MixerLineCount(), 0);
    ASSERT_TRUE(recorder.StartRecord(88200, 1));
    EXPECT_EQ(waveIn.log.openedIndex, -1); // back to the default input
}

TEST_F(MixerLinesTest, WithoutADeviceThereAreNoLines) {
    EXPECT_EQ(recorder.SelectedDevice(), -1);
    EXPECT_EQ(recorder.MixerLineCount(), 0);
    EXPECT_EQ(recorder.MixerLineName(0), "");
    EXPECT_FALSE(recorder.SelectMixerLine(0));
    EXPECT_EQ(recorder.MixerLineVolume(), 0);
}

TEST_F(MixerLinesTest, TheSelectorsItemsRunInReverseOrderOfTheLines) {
    mixers.state.recordingDestination = 1; // found behind a playback destination
    ASSERT_TRUE(recorder.SelectDevice(0));
    EXPECT_EQ(recorder.MixerLineCount(), 3);
    EXPECT_EQ(recorder.MixerLineName(2), "CD Audio");

    // Nothing selected yet: the last line.
    EXPECT_EQ(recorder.SelectedMixerLine(), 2);

    mixers.state.mux = {1, 1, 0};
    ASSERT_TRUE(recorder.SelectMixerLine(0));
    EXPECT_EQ(mixers.state.mux, (std::vector<int32_t>{0, 0, 1}));
    EXPECT_EQ(recorder.SelectedMixerLine(), 0);
    EXPECT_EQ(recorder.MixerLineType(-1), mixer::kSrcMicrophone);

    ASSERT_TRUE(recorder.SelectMixerLine(2));
    EXPECT_EQ(mixers.state.mux, (std::vector<int32_t>{1, 0, 0}));
    EXPECT_EQ(recorder.SelectedMixerLine(), 2);
    EXPECT_EQ(recorder.MixerLineType(-1), mixer::kSrcCompactDisc);
    EXPECT_EQ(recorder.MixerLineType(1), mixer::kSrcLine);

    // The highest set item wins when several are set.
    mixers.state.mux = {1, 1, 0};
    EXPECT_EQ(recorder.SelectedMixerLine(), 1);
}

TEST_F(MixerLinesTest, ALineOutsideTheListIsRefusedAndNothingIsWritten) {
    ASSERT_TRUE(recorder.SelectDevice(0));
    mixers.state.mux = {0, 1, 0};
    EXPECT_FALSE(recorder.SelectMixerLine(3));
    EXPECT_FALSE(recorder.SelectMixerLine(-1));
    EXPECT_EQ(mixers.state.mux, (std::vector<int32_t>{0, 1, 0}));

    mixers.state.hasMux = false;
    EXPECT_FALSE(recorder.SelectMixerLine(1));
}

TEST_F(MixerLinesTest, TheVolumeGoesToEveryChannelOfTheSelectedLine) {
    ASSERT_TRUE(recorder.SelectDevice(0));
    ASSERT_TRUE(recorder.SelectMixerLine(1));
    recorder.MixerLineVolume(32768);
    EXPECT_EQ(mixers.state.volumes[1], (std::vector<int32_t>{32768, 32768}));
    EXPECT_EQ(mixers.state.volumes[0], (std::vector<int32_t>{0, 0}));
    EXPECT_EQ(recorder.MixerLineVolume(), 32768);

    mixers.state.volumes[1] = {1000, 2000};
    EXPECT_EQ(recorder.MixerLineVolume(), 1000); // the left or only channel
}

} // namespace
