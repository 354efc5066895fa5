#include "core/Colors.h"
#include "core/RecordingPlotSurface.h"
#include "dsp/clsDraw.h"
#include "dsp/clsSmooth.h"
#include "dsp/modDraw.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <numbers>
#include <vector>

using namespace lctune;
using Kind = PlotOp::Kind;

namespace {

std::vector<int16_t> cyclesPer1024(double cycles, size_t count, double amplitude) {
    std::vector<int16_t> s(count);
    for (size_t i = 0; i < count; ++i)
        s[i] = static_cast<int16_t>(
            std::lround(amplitude * std::sin(2 * std::numbers::pi * cycles * double(i) / 1024)));
    return s;
}

PlotOp bar(int j, double top, double bottom, uint32_t green, double w, double h) {
    return PlotOp{Kind::FillRect, 4.0 * j + 4, top, 4.0 * j + 7, bottom, rgb(255, green, 50), w, h};
}

} // namespace

TEST(DrawAmplitudes, A5120SampleBlockOnA300PixelPlotDraws297ColumnsOf17Samples) {
    // Group g of 17 samples holds 32767, -16384 or 0 by g mod 3; the 71 samples after the last
    // group are never read, so they may hold anything.
    std::vector<int16_t> block(5120, -32768);
    const int16_t values[] = {32767, -16384, 0};
    for (int i = 0; i < 297 * 17; ++i)
        block[static_cast<size_t>(i)] = values[(i / 17) % 3];

    RecordingPlotSurface picVis(300, 100);
    picVis.scaleWidth(5119); // the owner's scale is set aside while drawing and then restored
    clsDraw draw;
    draw.DrawAmplitudes(block, picVis);

    const auto& ops = picVis.ops();
    ASSERT_EQ(ops.size(), 3u + 297u + 2u);
    EXPECT_EQ(ops[0], (PlotOp{Kind::FillRect, 0, 0, 300, 100, picVis.backColor(), 300, 100}));
    EXPECT_EQ(ops[1], (PlotOp{Kind::Rectangle, 0, 0, 300, 100, 0, 300, 100}));
    const uint32_t green = rgb(192, 255, 192);
    EXPECT_EQ(ops[2], (PlotOp{Kind::MoveTo, 0, 50, 0, 50, green, 300, 100}));
    // mid 50, 48 pixels of full scale each way: 32767 -> 98, -16384 -> round(25.9993) = 26.
    const double ys[] = {98, 26, 50};
    double x = 0, y = 50;
    for (int j = 1; j <= 297; ++j) {
        const double to = ys[(j - 1) % 3];
        ASSERT_EQ(ops[static_cast<size_t>(2 + j)],
                  (PlotOp{Kind::LineTo, x, y, double(j), to, green, 300, 100}))
            << j;
        x = j, y = to;
    }
    EXPECT_EQ(ops[300], (PlotOp{Kind::LineTo, 297, 50, 298, 50, green, 300, 100}));
    EXPECT_EQ(ops[301], (PlotOp{Kind::LineTo, 298, 50, 299, 50, green, 300, 100}));
    EXPECT_EQ(picVis.scaleWidth(), 5119);
}

TEST(DrawAmplitudes, ShortBlocksDrawOneSamplePerColumnAndAFlatTail) {
    RecordingPlotSurface picVis(300, 101); // mid = 50 (truncated)
    clsDraw draw;
    std::vector<int16_t> shortBlock(100, 32767);
    shortBlock[1] = -32768; // beyond -1 full scale: limited
    draw.DrawAmplitudes(shortBlock, picVis);
    const auto& ops = picVis.ops();
    ASSERT_EQ(ops.size(), 302u);
    EXPECT_EQ(ops[3].y2, 98);
    EXPECT_EQ(ops[4].y2, 2);
    EXPECT_EQ(ops[102].y2, 98); // sample 99
    EXPECT_EQ(ops[103].y2, 50); // past the end
    draw.DrawAmplitudes(std::vector<int16_t>{}, picVis);
    EXPECT_EQ(ops.size(), 604u);
}

TEST(DrawFrequencies, SilenceAndShortBlocks) {
    RecordingPlotSurface picbox(300, 100);
    clsDraw draw;
    draw.DrawFrequencies(std::vector<int16_t>(1023, 20000), picbox);
    EXPECT_TRUE(picbox.ops().empty()) << "fewer than 1024 samples: nothing drawn";
    for (int j = 0; j < clsDraw::kBands; ++j)
        EXPECT_EQ(draw.bandLevel(j), 0.0);

    draw.DrawFrequencies(std::vector<int16_t>(5120, 0), picbox);
    const auto& ops = picbox.ops();
    ASSERT_EQ(ops.size(), 1u + 22u);
    EXPECT_EQ(ops[0].kind, Kind::Clear);
    for (int j = 0; j < 22; ++j)
        EXPECT_EQ(ops[static_cast<size_t>(1 + j)], bar(j, 98, 98, 0, 300, 100)) << j;
}

TEST(DrawFrequencies, ALoudToneFillsItsBarAndBarsFall007PerCall) {
    // Seven cycles in 1024 samples at full scale fill bins 6 to 8 (band 1) beyond the ceiling.
    RecordingPlotSurface picbox(300, 100);
    clsDraw draw;
    draw.DrawFrequencies(cyclesPer1024(7, 5120, 32767), picbox);
    EXPECT_EQ(draw.bandLevel(1), 1.0);
    EXPECT_LT(draw.bandLevel(0), 0.05);
    // Bands above carry a shrinking share of the ones below.
    EXPECT_GT(draw.bandLevel(2), 0.0);
    EXPECT_LT(draw.bandLevel(2), draw.bandLevel(1));
    EXPECT_EQ(picbox.ops()[2], bar(1, 2, 98, 255, 300, 100));

    // Silence: levels 0.93, 0.86, 0.79; top = round(100 - 100 level) - 2, green = round(255 level).
    const std::vector<int16_t> silence(5120, 0);
    const double tops[] = {5, 12, 19};
    const uint32_t greens[] = {237, 219, 201};
    for (int call = 0; call < 3; ++call) {
        picbox.forget();
        draw.DrawFrequencies(silence, picbox);
        EXPECT_NEAR(draw.bandLevel(1), 1.0 - 0.07 * (call + 1), 1e-12);
        EXPECT_EQ(picbox.ops()[2], bar(1, tops[call], 98, greens[call], 300, 100)) << call;
    }
    for (int call = 3; call < 15; ++call)
        draw.DrawFrequencies(silence, picbox);
    for (int j = 0; j < 22; ++j)
        EXPECT_EQ(draw.bandLevel(j), 0.0) << "fifteen calls reach the base";
}

TEST(DrawFrequencies, BarsNeverRiseAboveTwoPixelsFromTheTop) {
    // Loud tones in the lowest band and in the top band (bins 106 to 109).
    std::vector<int16_t> block(1024, 0);
    const auto high = cyclesPer1024(107.5, 1024, 16000), low = cyclesPer1024(2.5, 1024, 16000);
    for (size_t i = 0; i < block.size(); ++i)
        block[i] = static_cast<int16_t>(high[i] + low[i]);
    RecordingPlotSurface picbox(100, 60);
    clsDraw draw;
    draw.DrawFrequencies(block, picbox);
    for (int j = 0; j < 22; ++j) {
        EXPECT_LE(draw.bandLevel(j), 1.0);
        EXPECT_GE(picbox.ops()[static_cast<size_t>(1 + j)].y1, 2);
    }
    EXPECT_EQ(picbox.ops()[1], bar(0, 2, 58, 255, 100, 60));
    EXPECT_EQ(picbox.ops()[22], bar(21, 2, 58, 255, 100, 60));
}

TEST(DrawRect, FillsInDevicePixels) {
    RecordingPlotSurface surface(200, 30);
    surface.scaleWidth(1);
    clsDraw draw;
    draw.DrawRect(surface, 0, 0, 150, 30, rgb(225, 168, 34));
    ASSERT_EQ(surface.ops().size(), 1u);
    EXPECT_EQ(surface.ops()[0], (PlotOp{Kind::FillRect, 0, 0, 150, 30, rgb(225, 168, 34), 200, 30}));
}

TEST(GradientColor, PassesItsAnchorsRoundsToEvenAndHoldsTheEnds) {
    using modDraw::GradientColor;
    const uint32_t green = rgb(0, 255, 0), orange = rgb(225, 168, 34), red = rgb(255, 0, 0);
    EXPECT_EQ(GradientColor(1, 0, green, orange, red), green);
    EXPECT_EQ(GradientColor(1, 0.5f, green, orange, red), orange);
    EXPECT_EQ(GradientColor(1, 1, green, orange, red), red);
    EXPECT_EQ(GradientColor(1, 0.25f, green, orange, red), rgb(112, 212, 17)); // 112.5, 211.5, 17
    EXPECT_EQ(GradientColor(1, 0.75f, green, orange, red), rgb(240, 84, 17));
    EXPECT_EQ(GradientColor(32768, 16384, green, orange, red), orange);

    const float nan = std::numeric_limits<float>::quiet_NaN();
    EXPECT_EQ(GradientColor(1, -0.5f, green, orange, red), green);
    EXPECT_EQ(GradientColor(1, 7, green, orange, red), red);
    EXPECT_EQ(GradientColor(1, nan, green, orange, red), green);
    EXPECT_EQ(GradientColor(0, 0.5f, green, orange, red), green);
}

TEST(Smooth, AveragesTheLastValuesNotTheMaximum) {
    clsSmooth s;
    EXPECT_EQ(s.SmoothGetMax(), 0.0f);
    s.SmoothAdd(5); // never sized: keeps the last value
    s.SmoothAdd(7);
    EXPECT_EQ(s.SmoothGetMax(), 7.0f);

    s.SmoothNew(3);
    const float added[] = {3, 6, 9, 12, 15}, means[] = {3, 4.5f, 6, 9, 12};
    for (int i = 0; i < 5; ++i) {
        s.SmoothAdd(added[i]);
        EXPECT_FLOAT_EQ(s.SmoothGetMax(), means[i]) << "after " << added[i];
    }
    EXPECT_FLOAT_EQ(s.largestMean(), 12);
    s.SmoothNew(0);
    s.SmoothAdd(2);
    s.SmoothAdd(3);
    EXPECT_EQ(s.SmoothGetMax(), 3.0f);
}
