#include "core/Colors.h"
#include "widgets/圆电位器.h"
#include "widgets/直滑电位器.h"

#include "WidgetTestSupport.h"

#include <gtest/gtest.h>

#include <memory>

using namespace lctune;
using namespace lctune::testing;

namespace {

struct PotFixture : ::testing::Test {
    void SetUp() override {
        pointAway();
        window = std::make_unique<QWidget>();
        window->resize(200, 200);
        fader = new 直滑电位器(window.get());
        fader->move(10, 10);
        knob = new 圆电位器(window.get());
        knob->move(100, 10);
        fader->Change.connect([this] { ++faderChanges; });
        knob->Change.connect([this] { ++knobChanges; });
        window->show();
        QApplication::processEvents();
        faderChanges = knobChanges = 0;
    }
    static QPoint px(double xTwips, double yTwips) {
        return QPoint(static_cast<int>(xTwips / 15), static_cast<int>(yTwips / 15));
    }
    std::unique_ptr<QWidget> window;
    直滑电位器* fader = nullptr;
    圆电位器* knob = nullptr;
    int faderChanges = 0, knobChanges = 0;
};

} // namespace

TEST_F(PotFixture, FixedSizes) {
    EXPECT_EQ(fader->size(), QSize(19, 135));
    EXPECT_EQ(knob->size(), QSize(47, 57));
    fader->resize(50, 50);
    EXPECT_EQ(fader->size(), QSize(19, 135));
}

TEST_F(PotFixture, AValueAboveMaxRaisesMaxWithOneChangeAndGoesToTheTop) {
    fader->Value(150);
    EXPECT_DOUBLE_EQ(fader->max(), 150);
    EXPECT_EQ(faderChanges, 1);
    EXPECT_DOUBLE_EQ(fader->knobTop(), 0) << "knob at the top for max";
    fader->Value(-10);
    EXPECT_DOUBLE_EQ(fader->Min(), -10);
    EXPECT_DOUBLE_EQ(fader->knobTop(), 1515) << "1515 twips lower for Min";

    knob->Value(150);
    EXPECT_DOUBLE_EQ(knob->max(), 150);
    EXPECT_EQ(knobChanges, 1);
    EXPECT_DOUBLE_EQ(knob->度数(), 315);
    EXPECT_NEAR(knob->pointer().x2, 330 - 180 * std::sin(315 * M_PI / 180), 1e-9);
}

TEST_F(PotFixture, ChangeComesAfterTheRedraw) {
    double seen = -1;
    fader->Change.connect([&] { seen = fader->knobTop(); });
    fader->Value(100);
    EXPECT_DOUBLE_EQ(seen, 0.0) << "the knob is already at the top";
}

TEST_F(PotFixture, EqualEndsDrawNothingAndRaiseNothing) {
    const QImage before = grabbed(fader);
    fader->max(0);
    fader->Min(0);
    faderChanges = 0;
    fader->valueText("0");
    fader->背景色(rgb(200, 0, 200));
    EXPECT_EQ(faderChanges, 0);
    EXPECT_EQ(grabbed(fader).copy(0, 0, 19, 120), before.copy(0, 0, 19, 120));
    knob->max(50);
    knob->Min(50);
    knobChanges = 0;
    knob->背景色(rgb(1, 2, 3));
    EXPECT_EQ(knobChanges, 0);
}

TEST_F(PotFixture, DraggingTheFaderPastItsEndsGivesExactlyMaxAndMin) {
    fader->max(40);
    fader->Min(-12);
    press(fader, px(100, 900));
    dragTo(fader, px(100, 30));
    EXPECT_EQ(fader->valueText(), "40");
    dragTo(fader, QPoint(5, 200));
    EXPECT_EQ(fader->valueText(), "-12");
    dragTo(fader, px(100, 150 + (1815 - 300) / 2.0));
    EXPECT_EQ(fader->valueText(), "14");
    release(fader, px(100, 900));
}

TEST_F(PotFixture, FaderGrooveLightsWhileHoveredAndTurnsOneStepBluerAfter) {
    EXPECT_EQ(fader->grooveColor(), rgb(0, 0, 128));
    pointTo(fader, {9, 60});
    EXPECT_TRUE(fader->hovered());
    EXPECT_EQ(fader->grooveColor(), rgb(192, 0, 0));
    EXPECT_EQ(packedAt(grabbed(fader), 9, 60), rgb(192, 0, 0));
    pointAway();
    runFor(150);
    EXPECT_FALSE(fader->hovered());
    EXPECT_EQ(fader->grooveColor(), rgb(0, 0, 129));
    EXPECT_EQ(packedAt(grabbed(fader), 9, 60), rgb(0, 0, 129));
}

TEST_F(PotFixture, TurningTheKnobIntoTheDeadZoneHoldsItsEnds) {
    knob->max(100);
    knob->Min(0);
    press(knob, px(330, 360));
    dragTo(knob, px(330 - 60, 360 + 300));
    EXPECT_EQ(knob->valueText(), "0") << "left of the centre, below it";
    dragTo(knob, px(330 + 90, 360 + 300));
    EXPECT_EQ(knob->valueText(), "100") << "right of the centre, below it";
    dragTo(knob, px(330, 60));
    EXPECT_EQ(knob->valueText(), "50") << "straight up is the middle";
    dragTo(knob, px(30, 360));
    EXPECT_EQ(knob->valueText(), "17") << "pointing left: 90 degrees";
    EXPECT_NEAR(knob->度数(), 45 + 270 * 0.17, 1e-9) << "redrawn from the rounded value";
    release(knob, px(330, 360));
}

TEST_F(PotFixture, PropertyBagUsesTheSameDefaultsBothWays) {
    PropertyBag bag;
    fader->WriteProperties(bag);
    knob->WriteProperties(bag);
    EXPECT_TRUE(bag.entries().empty());
    knob->背景色(rgb(1, 1, 1));
    knob->显示数值(false);
    knob->max(300);
    knob->Min(-300);
    knob->Value(0);
    knob->WriteProperties(bag);
    const std::vector<std::string> order{"背景色", "显示数值", "最大值", "最小值", "值"};
    EXPECT_EQ(keysOf(bag), order);
    RecordingBag reading;
    for (const auto& [key, value] : bag.entries())
        reading.writeText(key, value, "");
    圆电位器 copy;
    copy.ReadProperties(reading);
    EXPECT_EQ(reading.reads, order);
    EXPECT_FLOAT_EQ(copy.Value(), 0);
    EXPECT_DOUBLE_EQ(copy.max(), 300);
    EXPECT_DOUBLE_EQ(copy.Min(), -300);
    EXPECT_FALSE(copy.显示数值());
    PropertyBag again;
    copy.WriteProperties(again);
    EXPECT_EQ(again.entries(), bag.entries());
}
