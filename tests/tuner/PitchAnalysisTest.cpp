#include "TunerFixture.h"

#include <gtest/gtest.h>

using namespace lctune;
using lctune::test::edgesAt;
using lctune::test::sine;
using lctune::test::TunerFixture;

namespace {

// The detector with the conditioning out of the way: what goes in is what gets measured
// (apart from the first normalisation, which keeps edges where they are).
TunerFixture& plain(TunerFixture& f) {
    f.settings.filter = false;
    f.settings.amplify = false;
    return f;
}

} // namespace

namespace lctune {
struct TunerAnalysisTestAccess {
    static void acceptCount(TunerAnalysis& t, int16_t value) { t.acceptCount_ = value; }
};
} // namespace lctune

TEST(PitchAnalysis, DividerAnalysesEveryNthTick) {
    TunerFixture f;
    f.settings.divider = 4;
    SampleBlock zeros(1024, 0);
    for (int tick = 1; tick <= 3; ++tick) {
        f.tuner.分析频率(zeros);
        EXPECT_EQ(f.tuner.frameCounter(), tick);
        EXPECT_EQ(f.tuner.放大系数显示.Text(), "放大系数显示");
    }
    f.tuner.分析频率(zeros);
    EXPECT_EQ(f.tuner.frameCounter(), 0);
    EXPECT_EQ(f.tuner.放大系数显示.Text(), "0.67");
    for (int tick = 1; tick <= 3; ++tick)
        f.tuner.分析频率(zeros);
    EXPECT_EQ(f.tuner.统计次数label.Text(), "1");
    f.tuner.分析频率(zeros);
    EXPECT_EQ(f.tuner.统计次数label.Text(), "2");
}

TEST(PitchAnalysis, SilenceTriggersOnEverySampleAndEndsOnTheFirstPeriod) {
    TunerFixture f;
    SampleBlock zeros(1024, 0);
    f.tuner.分析频率(zeros);
    EXPECT_EQ(f.tuner.提示.Text(), "分析中！");
    EXPECT_EQ(f.tuner.放大系数显示.Text(), "0.67");
    EXPECT_EQ(f.tuner.统计次数label.Text(), "1");
    EXPECT_EQ(f.tuner.acceptCount(), 1);
    EXPECT_EQ(f.tuner.periodSum(), 1);
    EXPECT_EQ(f.tuner.windowCount(), 0);
    EXPECT_EQ(f.tuner.频率值.Text(), "440HZ");
    // The call ended before the trigger position moved on from the first trigger.
    EXPECT_EQ(f.tuner.lastTriggerPos(), 0);
}

TEST(PitchAnalysis, CleanSineShowsItsFrequencyAndFreezesAfterTheWindow) {
    TunerFixture f;
    const SampleBlock block = sine(88200.0 / 440.0, 12000, 5120);
    std::string shownAt90;
    for (int tick = 0; tick < 8; ++tick) {
        SampleBlock b = block;
        f.tuner.分析频率(b);
        EXPECT_EQ(f.tuner.failCount(), 0);
        if (f.tuner.acceptCount() >= 90 && shownAt90.empty()) shownAt90 = f.tuner.频率值.Text();
    }
    EXPECT_GT(f.tuner.acceptCount(), 150);
    // The window spans accepted periods 2 … 90 (maxCount is 88 for periods of 200 or 201).
    EXPECT_EQ(f.tuner.windowCount(), 89);
    // The filters start from rest on every block, which stretches each block's first period by a
    // few samples; with the same block analysed again and again that pulls the mean down a little.
    const double shown = leadingNumber(f.tuner.频率值.Text());
    EXPECT_NEAR(shown, 440.0, 1.0);
    EXPECT_EQ(f.tuner.频率值.Text(), shownAt90);
    EXPECT_EQ(f.tuner.音符.Text().substr(0, 2), "A4");
    EXPECT_EQ(f.tuner.标准频率.Text(), "440HZ");
    EXPECT_EQ(f.tuner.频率值.BackColor(), TunerAnalysis::kGreen);
}

TEST(PitchAnalysis, ContinuousKeepsAveragingAllAcceptedPeriods) {
    TunerFixture f;
    f.settings.continuous = true;
    const SampleBlock block = sine(88200.0 / 440.0, 12000, 5120);
    for (int tick = 0; tick < 8; ++tick) {
        SampleBlock b = block;
        f.tuner.分析频率(b);
    }
    EXPECT_EQ(f.tuner.windowCount(), f.tuner.acceptCount());
    EXPECT_NEAR(leadingNumber(f.tuner.频率值.Text()), 440.0, 1.0);
    // Without the filters every period is 200 or 201 and the mean is the sine's own.
    TunerFixture g;
    g.settings.continuous = true;
    g.settings.filter = false;
    for (int tick = 0; tick < 8; ++tick) {
        SampleBlock b = block;
        g.tuner.分析频率(b);
    }
    EXPECT_NEAR(leadingNumber(g.tuner.频率值.Text()), 440.0, 0.3);
}

TEST(PitchAnalysis, PeriodDifferingByExactlyOneFifteenthIsRejected) {
    // Periods 14 then 15: |15 - 14| = 15 / 15, not less, so the second is rejected.
    {
        TunerFixture f;
        plain(f);
        SampleBlock b = edgesAt({100, 114, 129}, 10000, 300);
        f.tuner.分析频率(b);
        EXPECT_EQ(f.tuner.acceptCount(), 1);
        EXPECT_EQ(f.tuner.failCount(), 1);
    }
    // Periods 15 then 16: 1 < 16 / 15, accepted.
    {
        TunerFixture f;
        plain(f);
        SampleBlock b = edgesAt({100, 115, 131}, 10000, 300);
        f.tuner.分析频率(b);
        EXPECT_EQ(f.tuner.acceptCount(), 2);
        EXPECT_EQ(f.tuner.failCount(), 0);
        EXPECT_EQ(f.tuner.windowSum(), 16); // the first accepted period is counted, not shown
        EXPECT_EQ(f.tuner.频率值.Text(), "5512.5HZ");
    }
}

TEST(PitchAnalysis, AfterARejectionLaterPeriodsCountButShowNothing) {
    TunerFixture f;
    plain(f);
    SampleBlock b = edgesAt({100, 120, 140, 160, 180, 210, 240}, 10000, 400);
    f.tuner.分析频率(b);
    // Periods: 20 (first, accepted), 20, 20, 20 accepted; 30 rejected; 30 compared with the last
    // accepted 20 is rejected again.
    EXPECT_EQ(f.tuner.acceptCount(), 4);
    EXPECT_EQ(f.tuner.failCount(), 2);
    EXPECT_EQ(f.tuner.频率值.Text(), "4410HZ");

    TunerFixture g;
    plain(g);
    // 20, 20, 40 (rejected), 20, 20: the last two are accepted and enter the statistics, but the
    // shown frequency stays as it was before the rejection.
    SampleBlock c = edgesAt({100, 120, 140, 180, 200, 220}, 10000, 400);
    g.tuner.分析频率(c);
    EXPECT_EQ(g.tuner.failCount(), 1);
    EXPECT_EQ(g.tuner.acceptCount(), 4);
    EXPECT_EQ(g.tuner.windowCount(), 3);
    EXPECT_EQ(g.tuner.windowSum(), 60);
    EXPECT_EQ(g.tuner.频率值.Text(), "4410HZ");
}

TEST(PitchAnalysis, LockWaitsForALouderPluckThenResetsForOneTick) {
    TunerFixture f;
    plain(f);
    SampleBlock loud = edgesAt({100, 120, 140, 180, 200}, 10000, 400);
    f.tuner.分析频率(loud);
    ASSERT_EQ(f.tuner.failCount(), 1);

    // Peak 3000 is below 20 % of 21844.67 (4369): the lock holds, nothing is reset.
    SampleBlock quiet = edgesAt({100, 120, 140}, 3000, 400);
    f.tuner.分析频率(quiet);
    EXPECT_EQ(f.tuner.提示.Text(), "已经锁定(等待下一次弹拨)！");
    EXPECT_EQ(f.tuner.failCount(), 1);
    EXPECT_GT(f.tuner.acceptCount(), 0);

    // A loud pluck resets and spends this one tick showing it.
    SampleBlock pluck = edgesAt({100, 120, 140}, 10000, 400);
    f.tuner.分析频率(pluck);
    EXPECT_EQ(f.tuner.提示.Text(), "已经锁定(成功率低)！");
    EXPECT_EQ(f.tuner.failCount(), 0);
    EXPECT_EQ(f.tuner.acceptCount(), 0);
    EXPECT_EQ(f.tuner.deviationCount(), 0);

    // The next analysed tick measures again.
    f.tuner.分析频率(pluck);
    EXPECT_EQ(f.tuner.提示.Text(), "分析中！");
    EXPECT_EQ(f.tuner.acceptCount(), 2);
}

TEST(PitchAnalysis, WeakSignalResetsWithoutMeasuring) {
    TunerFixture f;
    plain(f);
    SampleBlock b = edgesAt({100, 120, 140}, 10000, 400);
    f.tuner.分析频率(b);
    ASSERT_EQ(f.tuner.acceptCount(), 2);
    // 2000 is below 10 % of 21844.67 (2184): too weak to measure.
    SampleBlock weak = edgesAt({100, 120, 140}, 2000, 400);
    f.tuner.分析频率(weak);
    EXPECT_EQ(f.tuner.提示.Text(), "已经锁定(音量小)！");
    EXPECT_EQ(f.tuner.acceptCount(), 0);
    // 2300 is above it: measured.
    SampleBlock enough = edgesAt({100, 120, 140}, 2300, 400);
    f.tuner.分析频率(enough);
    EXPECT_EQ(f.tuner.提示.Text(), "分析中！");
    EXPECT_EQ(f.tuner.acceptCount(), 2);
}

TEST(PitchAnalysis, FullLockLevelIsLeftOnlyAtTwoThirdsOfFullScale) {
    TunerFixture f;
    plain(f);
    f.settings.lockPercent = 100;
    SampleBlock loud = edgesAt({100, 120, 140, 180, 200}, 30000, 400);
    f.tuner.分析频率(loud);
    ASSERT_EQ(f.tuner.failCount(), 1);
    SampleBlock below = edgesAt({100, 120, 140}, 21844, 400);
    f.tuner.分析频率(below);
    EXPECT_EQ(f.tuner.提示.Text(), "已经锁定(等待下一次弹拨)！");
    SampleBlock at = edgesAt({100, 120, 140}, 21845, 400);
    f.tuner.分析频率(at);
    EXPECT_EQ(f.tuner.提示.Text(), "已经锁定(成功率低)！");
}

TEST(PitchAnalysis, FirstPeriodOfEveryBlockIsAcceptedWhateverCameBefore) {
    TunerFixture f;
    plain(f);
    SampleBlock a = edgesAt({100, 120, 140}, 10000, 400);
    f.tuner.分析频率(a);
    SampleBlock b = edgesAt({100, 150, 200}, 10000, 400);
    f.tuner.分析频率(b);
    EXPECT_EQ(f.tuner.failCount(), 0);
    EXPECT_EQ(f.tuner.acceptCount(), 4);
}

TEST(PitchAnalysis, SchmittZeroMakesEveryZeroSampleATrigger) {
    TunerFixture f;
    plain(f);
    f.settings.schmittPercent = 0;
    // Zeros between the pulses: each zero arms and completes a trigger by itself.
    SampleBlock b(40, 0);
    b[10] = 5000;
    f.tuner.分析频率(b);
    // Triggers at 0 and 1 give P = 1: the silence rule ends the call.
    EXPECT_EQ(f.tuner.acceptCount(), 1);
    EXPECT_EQ(f.tuner.periodSum(), 1);
}

TEST(PitchAnalysis, AcceptedCountPastItsLimitStartsTheStatisticsAfresh) {
    TunerFixture f;
    plain(f);
    f.settings.continuous = true;
    TunerAnalysisTestAccess::acceptCount(f.tuner, 32766); // as a long steady tone leaves it
    SampleBlock b = edgesAt({100, 120, 140, 160}, 10000, 400);
    f.tuner.分析频率(b);
    // 32767 after the first period; the second starts afresh as period one; the third is two.
    EXPECT_EQ(f.tuner.acceptCount(), 2);
    EXPECT_EQ(f.tuner.periodSum(), 40);
    EXPECT_EQ(f.tuner.统计次数label.Text(), "2");
    EXPECT_EQ(f.tuner.频率值.Text(), "4410HZ");
}

TEST(PitchAnalysis, DrawsTheWaveformWithTriggerMarks) {
    TunerFixture f;
    plain(f);
    SampleBlock b = edgesAt({10, 30}, 10000, 50);
    f.tuner.分析频率(b);
    EXPECT_TRUE(f.picture.ops().empty()); // drawn when shown, not before
    EXPECT_EQ(f.picture.scaleWidth(), 49);
    f.tuner.drawPlot();
    const auto& ops = f.picture.ops();
    ASSERT_GE(ops.size(), 3u);
    EXPECT_EQ(ops[0].kind, PlotOp::Kind::Clear);
    // The middle line uses the previous scale (the picture's pixel size at first).
    EXPECT_EQ(ops[1], (PlotOp{PlotOp::Kind::Line, 0, 50, 300, 50, 0x808080, 300, 100}));
    EXPECT_EQ(f.picture.scaleWidth(), 49);
    EXPECT_EQ(f.picture.scaleHeight(), 65536);
    size_t waveform = 0, red = 0, yellowUp = 0, yellowDown = 0;
    for (const PlotOp& op : ops) {
        if (op.color == 0xFFFF00) ++waveform;
        if (op.color == 0x0000FF) {
            ++red;
            EXPECT_EQ(op.y1, 0);
            EXPECT_EQ(op.y2, 65536);
        }
        if (op.color == 0x00FFFF && op.y2 == 65536) ++yellowUp;
        if (op.color == 0x00FFFF && op.y2 == 0) ++yellowDown;
    }
    EXPECT_EQ(waveform, 50u);
    EXPECT_EQ(red, 2u);
    EXPECT_EQ(yellowUp, 2u);
    EXPECT_EQ(yellowDown, 2u);
    // The first waveform segment starts at the middle and ends at the first sample.
    EXPECT_EQ(ops[2], (PlotOp{PlotOp::Kind::Line, 1, 32767, 2, 32767, 0xFFFF00, 49, 65536}));

    // The second call's middle line uses the first call's scale.
    f.picture.forget();
    f.tuner.分析频率(b);
    f.tuner.drawPlot();
    EXPECT_EQ(f.picture.ops()[1], (PlotOp{PlotOp::Kind::Line, 0, 32768, 49, 32768, 0x808080, 49, 65536}));
    // Nothing new analysed, nothing drawn.
    f.picture.forget();
    f.tuner.drawPlot();
    EXPECT_TRUE(f.picture.ops().empty());
}

// Drawing only the blocks that are shown gives the picture drawing every block would: the last
// block's trace, under the scale of the block before it, ending where its measurement ended.
TEST(PitchAnalysis, PlotDrawnWhenShownIsThePlotOfTheLastBlock) {
    TunerFixture every, shown;
    plain(every);
    plain(shown);
    const SampleBlock blocks[] = {edgesAt({10, 30, 50}, 10000, 70), sine(40, 9000, 200),
                                  edgesAt({100, 120, 140, 160}, 10000, 400), SampleBlock(2, 0)};
    for (const SampleBlock& block : blocks) {
        SampleBlock a = block, b = block;
        every.picture.forget();
        every.tuner.分析频率(a);
        every.tuner.drawPlot();
        shown.picture.forget();
        shown.tuner.分析频率(b);
    }
    shown.tuner.drawPlot();
    EXPECT_EQ(shown.picture.ops(), every.picture.ops());
    EXPECT_EQ(shown.tuner.acceptCount(), every.tuner.acceptCount());

    // Silence ends the measurement at its second sample (a period of one): so does the trace.
    TunerFixture f;
    SampleBlock zeros(1024, 0);
    f.tuner.分析频率(zeros);
    f.tuner.drawPlot();
    size_t waveform = 0, red = 0;
    for (const PlotOp& op : f.picture.ops()) {
        waveform += op.color == 0xFFFF00;
        red += op.color == 0x0000FF;
    }
    EXPECT_EQ(waveform, 2u);
    EXPECT_EQ(red, 2u);
}

TEST(PitchAnalysis, EqualiserRunsOnlyWhenEnabledAndNotFlat) {
    TunerFixture f;
    int calls = 0;
    f.tuner.setEqualiser([&](SampleBlock& b) {
        ++calls;
        b[0] = 1;
    });
    SampleBlock zeros(1024, 0);
    f.tuner.分析频率(zeros);
    f.flags.eqEnabled = true;
    f.tuner.分析频率(zeros);
    f.flags.eqFlat = false;
    f.flags.eqEnabled = false;
    f.tuner.分析频率(zeros);
    EXPECT_EQ(calls, 0);
    f.flags.eqEnabled = true;
    f.tuner.分析频率(zeros);
    EXPECT_EQ(calls, 1);
    EXPECT_EQ(zeros[0], 1); // in place: the caller's block changes too
}

TEST(PitchAnalysis, EmptyAndSingleSampleBlocksAreHarmless) {
    TunerFixture f;
    SampleBlock empty;
    f.tuner.分析频率(empty);
    SampleBlock one{1000};
    f.tuner.分析频率(one);
    EXPECT_EQ(f.tuner.acceptCount(), 0);
    EXPECT_EQ(f.tuner.频率值.Text(), "440HZ");
}
