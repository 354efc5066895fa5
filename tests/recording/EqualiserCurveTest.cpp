#include "recording/EqualiserCurve.h"

#include "core/RecordingPlotSurface.h"
#include "dsp/clsDSP.h"
#include "dsp/modDraw.h"

#include <gtest/gtest.h>

#include <array>

using namespace lctune;

namespace {

// The line ends of the curve (every lineTo), as screen rows.
std::vector<PlotOp> curve(const RecordingPlotSurface& pic) {
    std::vector<PlotOp> out;
    for (const PlotOp& op : pic.ops())
        if (op.kind == PlotOp::Kind::LineTo) out.push_back(op);
    return out;
}

} // namespace

// An odd height keeps the flat line clear of the rounding boundary: y = 25.5, P = round(25.0) = 25.
TEST(EqualiserCurve, FlatBandsGiveAStraightLineAtHalfHeight) {
    RecordingPlotSurface pic(220, 51);
    pic.scaleWidth(3300); // a scale in twips is replaced by pixels
    const std::array<float, 7> flat{};
    绘均衡曲线(pic, flat, 12);
    EXPECT_EQ(pic.backColor(), 0x2C1F18u); // RGB(24,31,44)
    // step = round(210 / 7) = 30: grid lines at x = 26, 56, … 206.
    int grid = 0;
    for (const PlotOp& op : pic.ops())
        if (op.kind == PlotOp::Kind::Line) {
            EXPECT_EQ(op.x1, 30.0 * ++grid - 4);
            EXPECT_EQ(op.y1, 2);
            EXPECT_EQ(op.y2, 49);
        }
    EXPECT_EQ(grid, 7);
    const auto ends = curve(pic);
    ASSERT_EQ(ends.size(), 6u * 151u); // j = 0 … 5 · step for each of the six segments
    const uint32_t nearFlat = modDraw::GradientColor(51, 25, 0x0122BC, 0x22A8E1, 0x00CC00);
    for (const PlotOp& op : ends) {
        EXPECT_EQ(op.y2, 51 - 25 - 1);
        EXPECT_EQ(op.color, nearFlat);
    }
    EXPECT_EQ(ends.front().x2, 26);
    EXPECT_EQ(ends.back().x2, 176 + 30);
}

TEST(EqualiserCurve, ABoostedBandRisesSmoothlyToTheTopRowAtItsGridLine) {
    RecordingPlotSurface pic(220, 51);
    std::array<float, 7> values{};
    values[3] = 12;
    绘均衡曲线(pic, values, 12);
    const auto ends = curve(pic);
    // Segment 3 ends (j = 150) at band 4's grid line, x = 116, on the top row.
    const PlotOp& top = ends[2 * 151 + 150];
    EXPECT_EQ(top.x2, 116);
    EXPECT_EQ(top.y2, 0);
    EXPECT_EQ(top.color, modDraw::GradientColor(51, 50, 0x0122BC, 0x22A8E1, 0x00CC00)) << "green at the top";
    // Rising without a step back: rows never go down along segment 3.
    for (int j = 1; j <= 150; ++j)
        EXPECT_LE(ends[2 * 151 + j].y2, ends[2 * 151 + j - 1].y2);
    EXPECT_EQ(ends[0].y2, 25) << "the flat bands stay at half height";
    EXPECT_EQ(ends[5 * 151 + 150].y2, 25);
}

TEST(EqualiserCurve, BandLabelsAtTheDefaultRate) {
    clsDSP dsp;
    dsp.samplerate(88200);
    dsp.Channels(1);
    std::vector<std::string> labels;
    for (int32_t i = 0; i < 7; ++i)
        labels.push_back(equaliserBandLabel(dsp.EqualizerBandFrequency(i)));
    EXPECT_EQ(labels,
              (std::vector<std::string>{"80 Hz", "214 Hz", "573 Hz", "1 kHz", "4 kHz", "10 kHz", "29 kHz"}));
    EXPECT_EQ(equaliserBandLabel(1000), "1000 Hz");
    EXPECT_EQ(equaliserBandLabel(1001), "1 kHz");
    EXPECT_EQ(equaliserBandLabel(1999), "1 kHz");
}
