#include "dsp/clsDraw.h"
#include "dsp/clsSmooth.h"
#include "dsp/modDraw.h"
#include "platform/Colors.h"
#include "platform/RecordingPlotSurface.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <numbers>
#include <vector>

using namespace lctune;
using Kind = PlotOp::Kind;

namespace {

std::vector<int16_t> sineCycles(double cycles, size_t count, double amplitude) {
    std::vector<int16_t> s(count);
    for (size_t i = 0; i < count; ++i)
        s[i] = static_cast<int16_t>(
            std::lround(amplitude * std::sin(2 * std::numbers::pi * cycles * double(i) / 1024)));
    return s;
}

// The bar of band j when every bar is at the base (level 0) on a plot of height h.
PlotOp baseBar(int j, double h) {
    return PlotOp{Kind::FillRect, 4.0 * j + 4, h - 2, 4.0 * j + 7, h - 2, rgb(255, 0, 50), 300, h};
}

} // namespace

TEST(DrawAmplitudes, A5120SampleBlockOnA300PixelPlotDraws297ColumnsOf17Samples) {
    // Column j (1-based) holds the constant value of group j - 1 of 17 samples; the 71 samples
    // after the last group are never read.
    std::vector<int16_t> block(5120, -32768);
    auto groupValue = [](int g) -> int16_t { return g % 3 == 0 ? 32767 : (g % 3 == 1 ? -16384 : 0); };
    for (int i = 0; i < 297 * 17; ++i)
        block[static_cast<size_t>(i)] = groupValue(i / 17);

    RecordingPlotSurface picVis(300, 100);
    picVis.backColor(rgb(0, 0, 0));
    picVis.scaleWidth(5119);
    picVis.scaleHeight(65536);
    clsDraw draw;
    draw.DrawAmplitudes(block, picVis);

    const auto& ops = picVis.ops();
    ASSERT_EQ(ops.size(), 3u + 297u + 2u);
    EXPECT_EQ(ops[0], (PlotOp{Kind::FillRect, 0, 0, 300, 100, 0, 300, 100}));
    EXPECT_EQ(ops[1], (PlotOp{Kind::Rectangle, 0, 0, 300, 100, 0, 300, 100}));
    const uint32_t green = rgb(192, 255, 192);
    EXPECT_EQ(ops[2], (PlotOp{Kind::MoveTo, 0, 50, 0, 50, green, 300, 100}));
    // mid = 50, full scale 48 pixels either side: 32767 -> 98, -16384 -> round(25.9993) = 26.
    double previousX = 0, previousY = 50;
    for (int j = 1; j <= 297; ++j) {
        const int g = j - 1;
        const double y = g % 3 == 0 ? 98 : (g % 3 == 1 ? 26 : 50);
        EXPECT_EQ(ops[static_cast<size_t>(2 + j)],
                  (PlotOp{Kind::LineTo, previousX, previousY, double(j), y, green, 300, 100}))
            << "column " << j;
        previousX = j, previousY = y;
    }
    EXPECT_EQ(ops[300], (PlotOp{Kind::LineTo, 297, 50, 298, 50, green, 300, 100}));
    EXPECT_EQ(ops[301], (PlotOp{Kind::LineTo, 298, 50, 299, 50, green, 300, 100}));
    // The owner's scale is given back.
    EXPECT_EQ(picVis.scaleWidth(), 5119);
    EXPECT_EQ(picVis.scaleHeight(), 65536);
}

TEST(DrawAmplitudes, ColumnMeansAreLimitedAndRoundedHalvesToEven) {
    // Height 101: mid = 50 (truncated), 48 pixels each way. A column averaging 32767 and one
    // averaging -32768 (beyond -1 full scale, limited) reach 98 and 2.
    std::vector<int16_t> block(40 * 2 + 1, 0);
    for (int i = 0; i < 2; ++i)
        block[static_cast<size_t>(i)] = 32767;
    for (int i = 2; i < 4; ++i)
        block[static_cast<size_t>(i)] = -32768;
    RecordingPlotSurface picVis(40, 101);
    clsDraw draw;
    draw.DrawAmplitudes(block, picVis); // f = round(80 / 40) = 2, 37 columns
    const auto& ops = picVis.ops();
    ASSERT_EQ(ops.size(), 3u + 37u + 2u);
    EXPECT_EQ(ops[3].y2, 98);
    EXPECT_EQ(ops[4].y2, 2);
    EXPECT_EQ(ops[5].y2, 50);
}

TEST(DrawAmplitudes, ShortAndEmptyBlocksDrawAFlatTailWithoutReadingPastTheEnd) {
    RecordingPlotSurface picVis(300, 100);
    clsDraw draw;
    std::vector<int16_t> shortBlock(100, 32767);
    draw.DrawAmplitudes(shortBlock, picVis);
    const auto& ops = picVis.ops();
    ASSERT_EQ(ops.size(), 3u + 297u + 2u);
    EXPECT_EQ(ops[3].y2, 98);   // one sample per column
    EXPECT_EQ(ops[102].y2, 98); // sample 99
    EXPECT_EQ(ops[103].y2, 50); // past the end
    picVis.forget();
    draw.DrawAmplitudes(std::vector<int16_t>{}, picVis);
    EXPECT_EQ(picVis.ops().size(), 3u + 297u + 2u);
}

TEST(DrawFrequencies, ShortBlocksLeaveThePlotAndTheLevelsAlone) {
    RecordingPlotSurface picbox(300, 100);
    clsDraw draw;
    draw.DrawFrequencies(std::vector<int16_t>(1023, 20000), picbox);
    EXPECT_TRUE(picbox.ops().empty());
    for (int j = 0; j < clsDraw::kBands; ++j)
        EXPECT_EQ(draw.bandLevel(j), 0.0);
}

TEST(DrawFrequencies, SilenceDrawsEveryBarAtTheBase) {
    RecordingPlotSurface picbox(300, 100);
    clsDraw draw;
    draw.DrawFrequencies(std::vector<int16_t>(5120, 0), picbox);
    const auto& ops = picbox.ops();
    ASSERT_EQ(ops.size(), 1u + 22u);
    EXPECT_EQ(ops[0].kind, Kind::Clear);
    for (int j = 0; j < 22; ++j)
        EXPECT_EQ(ops[static_cast<size_t>(1 + j)], baseBar(j, 100)) << "band " << j;
}

TEST(DrawFrequencies, ALoudToneRaisesItsBarToTheTopAndBarsFall007PerCall) {
    // Seven cycles in 1024 samples at full scale fill bins 6 to 8 (band 1) beyond the ceiling.
    RecordingPlotSurface picbox(300, 100);
    clsDraw draw;
    draw.DrawFrequencies(sineCycles(7, 5120, 32767), picbox);
    EXPECT_EQ(draw.bandLevel(1), 1.0);
    EXPECT_LT(draw.bandLevel(0), 0.05);
    // Bands above carry a share of the ones below, smaller and smaller.
    EXPECT_GT(draw.bandLevel(2), 0.0);
    EXPECT_LT(draw.bandLevel(2), draw.bandLevel(1));
    EXPECT_EQ(picbox.ops()[2], (PlotOp{Kind::FillRect, 8, 2, 11, 98, rgb(255, 255, 50), 300, 100}));

    // Then silence: 0.93, 0.86, 0.79 of the height, by hand: top = round(100 - 100 level) - 2.
    const std::vector<int16_t> silence(5120, 0);
    const double tops[] = {5, 12, 19};
    const uint32_t greens[] = {237, 219, 201};
    for (int call = 0; call < 3; ++call) {
        picbox.forget();
        draw.DrawFrequencies(silence, picbox);
        EXPECT_NEAR(draw.bandLevel(1), 1.0 - 0.07 * (call + 1), 1e-12);
        EXPECT_EQ(picbox.ops()[2],
                  (PlotOp{Kind::FillRect, 8, tops[call], 11, 98, rgb(255, greens[call], 50), 300, 100}))
            << "call " << call;
    }
    // Fifteen calls in all bring every bar down to the base and it stays there.
    for (int call = 3; call < 15; ++call)
        draw.DrawFrequencies(silence, picbox);
    picbox.forget();
    draw.DrawFrequencies(silence, picbox);
    for (int j = 0; j < 22; ++j) {
        EXPECT_EQ(draw.bandLevel(j), 0.0);
        EXPECT_EQ(picbox.ops()[static_cast<size_t>(1 + j)], baseBar(j, 100));
    }
}

TEST(DrawFrequencies, BarsNeverRiseAboveTwoPixelsFromTheTop) {
    // A full-scale tone in the top band (bins 106 to 109) and one in the lowest: both limited to 1.
    std::vector<int16_t> block(1024, 0);
    const auto high = sineCycles(107.5, 1024, 16000), low = sineCycles(2.5, 1024, 16000);
    for (size_t i = 0; i < block.size(); ++i)
        block[i] = static_cast<int16_t>(high[i] + low[i]);
    RecordingPlotSurface picbox(100, 60);
    clsDraw draw;
    draw.DrawFrequencies(block, picbox);
    for (int j = 0; j < 22; ++j) {
        EXPECT_LE(draw.bandLevel(j), 1.0);
        const PlotOp& bar = picbox.ops()[static_cast<size_t>(1 + j)];
        EXPECT_GE(bar.y1, 2);
        EXPECT_EQ(bar.y2, 58);
    }
    EXPECT_EQ(draw.bandLevel(0), 1.0);
    EXPECT_EQ(draw.bandLevel(21), 1.0);
    EXPECT_EQ(picbox.ops()[1].y1, 2);
    EXPECT_EQ(picbox.ops()[22].y1, 2);
}

TEST(DrawRect, FillsInDevicePixels) {
    RecordingPlotSurface surface(200, 30);
    surface.scaleWidth(1);
    surface.scaleHeight(1);
    clsDraw draw;
    draw.DrawRect(surface, 0, 0, 150, 30, rgb(225, 168, 34));
    ASSERT_EQ(surface.ops().size(), 1u);
    EXPECT_EQ(surface.ops()[0], (PlotOp{Kind::FillRect, 0, 0, 150, 30, rgb(225, 168, 34), 200, 30}));
    EXPECT_EQ(surface.scaleWidth(), 1);
}

TEST(GradientColor, PassesThroughItsThreeAnchorsAndRoundsMidpointsToEven) {
    const uint32_t green = rgb(0, 255, 0), orange = rgb(225, 168, 34), red = rgb(255, 0, 0);
    using modDraw::GradientColor;
    EXPECT_EQ(GradientColor(1, 0, green, orange, red), green);
    EXPECT_EQ(GradientColor(1, 0.5f, green, orange, red), orange);
    EXPECT_EQ(GradientColor(1, 1, green, orange, red), red);
    // 112.5 -> 112, 211.5 -> 212, 17.
    EXPECT_EQ(GradientColor(1, 0.25f, green, orange, red), rgb(112, 212, 17));
    EXPECT_EQ(GradientColor(1, 0.75f, green, orange, red), rgb(240, 84, 17));
    EXPECT_EQ(GradientColor(32768, 16384, green, orange, red), orange);
}

TEST(GradientColor, ValuesOutsideTheScaleStayAtTheEnds) {
    const uint32_t a = rgb(10, 20, 30), b = rgb(200, 100, 0), c = rgb(255, 255, 255);
    const float nan = std::numeric_limits<float>::quiet_NaN();
    using modDraw::GradientColor;
    EXPECT_EQ(GradientColor(1, -0.5f, a, b, c), a);
    EXPECT_EQ(GradientColor(1, 7, a, b, c), c);
    EXPECT_EQ(GradientColor(1, nan, a, b, c), a);
    EXPECT_EQ(GradientColor(0, 0.5f, a, b, c), a);
    EXPECT_EQ(GradientColor(nan, 0.5f, a, b, c), a);
}

TEST(Smooth, AveragesTheLastValuesNotTheMaximum) {
    clsSmooth s;
    s.SmoothNew(3);
    const float expected[] = {3, 4.5f, 6, 9, 12};
    const float added[] = {3, 6, 9, 12, 15};
    for (int i = 0; i < 5; ++i) {
        s.SmoothAdd(added[i]);
        EXPECT_FLOAT_EQ(s.SmoothGetMax(), expected[i]) << "after " << added[i];
    }
    EXPECT_FLOAT_EQ(s.largestMean(), 12);

    // Starting over forgets everything.
    s.SmoothNew(2);
    EXPECT_EQ(s.SmoothGetMax(), 0.0f);
    s.SmoothAdd(-4);
    EXPECT_EQ(s.SmoothGetMax(), -4.0f);
    EXPECT_EQ(s.largestMean(), 0.0f) << "updated only once the ring is full";
}

TEST(Smooth, UnsizedOrZeroSizedSmoothersKeepTheLastValue) {
    clsSmooth unsized;
    EXPECT_EQ(unsized.SmoothGetMax(), 0.0f);
    unsized.SmoothAdd(5);
    unsized.SmoothAdd(7);
    EXPECT_EQ(unsized.SmoothGetMax(), 7.0f);
    clsSmooth zero;
    zero.SmoothNew(0);
    zero.SmoothAdd(2);
    zero.SmoothAdd(3);
    EXPECT_EQ(zero.SmoothGetMax(), 3.0f);
}
