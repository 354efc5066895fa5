#include "core/Label.h"
#include "core/RecordingPlotSurface.h"

#include <gtest/gtest.h>

using namespace lctune;

TEST(Label, ChangeFiresOnlyWhenTheTextChanges) {
    Label label("440HZ");
    int changes = 0;
    label.Change.connect([&] { ++changes; });
    label.Text("440HZ");
    EXPECT_EQ(changes, 0);
    label.Text("441HZ");
    label.Text("441HZ");
    EXPECT_EQ(changes, 1);
    EXPECT_EQ(label.Text(), "441HZ");
}

TEST(NeedleValue, KeepsSinglePrecisionRoundedHalvesToEven) {
    NeedleValue needle;
    int changes = 0;
    needle.Change.connect([&] { ++changes; });
    needle.Value(4.5);
    EXPECT_EQ(needle.Value(), 4);
    needle.Value(5.5);
    EXPECT_EQ(needle.Value(), 6);
    needle.Value(-2.5);
    EXPECT_EQ(needle.Value(), -2);
    // 2.5000000001 is 2.5 in single precision, so it rounds to 2.
    needle.Value(2.5000000001);
    EXPECT_EQ(needle.Value(), 2);
    needle.Value(1e300);
    EXPECT_EQ(needle.Value(), INT32_MAX);
    EXPECT_EQ(changes, 5);
}

TEST(RecordingPlotSurface, RecordsPrimitivesWithTheScaleInForce) {
    RecordingPlotSurface s(300, 100);
    EXPECT_EQ(s.scaleWidth(), 300);
    EXPECT_EQ(s.scaleHeight(), 100);
    s.line(0, 50, 300, 50, 7);
    s.scaleWidth(5119);
    s.drawColor(9);
    s.moveTo(1, 2);
    s.lineTo(3, 4);
    ASSERT_EQ(s.ops().size(), 3u);
    EXPECT_EQ(s.ops()[0].scaleWidth, 300);
    EXPECT_EQ(s.ops()[2].scaleWidth, 5119);
    EXPECT_EQ(s.ops()[2], (PlotOp{PlotOp::Kind::LineTo, 1, 2, 3, 4, 9, 5119, 100}));
    s.point(5, 6, 8);
    s.lineTo(7, 8);
    EXPECT_EQ(s.ops()[4], (PlotOp{PlotOp::Kind::LineTo, 5, 6, 7, 8, 9, 5119, 100}))
        << "a point is the current point";
}
