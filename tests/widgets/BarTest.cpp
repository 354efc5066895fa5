#include "core/Colors.h"
#include "widgets/WidgetArtwork.h"
#include "widgets/可调水平进度条.h"
#include "widgets/垂直进度条.h"
#include "widgets/水平进度条.h"
#include "widgets/电平表.h"

#include "WidgetTestSupport.h"

#include <gtest/gtest.h>

#include <memory>

using namespace lctune;
using namespace lctune::testing;

namespace {

struct BarFixture : ::testing::Test {
    void SetUp() override {
        window = std::make_unique<QWidget>();
        window->resize(400, 100);
        bar = new 可调水平进度条(window.get());
        bar->setGeometryTwips(150, 150, 3000, 285);
        bar->Change.connect([this] { ++changes; });
        window->show();
        QApplication::processEvents();
        changes = 0;
    }
    // A point of the drag area in pixels of the bar, x given in twips of the drag area.
    QPoint inText(double x) const {
        const TwipsRect area = bar->dragArea();
        return QPoint(static_cast<int>((area.left + x) / 15), static_cast<int>((area.top + 60) / 15));
    }
    QPoint keyCentre(const TwipsRect& key) const {
        return QPoint(static_cast<int>((key.left + key.width / 2) / 15),
                      static_cast<int>((key.top + key.height / 2) / 15));
    }
    bool showsColour(uint32_t colour) const {
        const QImage image = grabbed(bar);
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x)
                if (packedAt(image, x, y) == colour) return true;
        return false;
    }

    std::unique_ptr<QWidget> window;
    可调水平进度条* bar = nullptr;
    int changes = 0;
};

} // namespace

TEST_F(BarFixture, AValueAboveTheRangeWidensItWithTwoChanges) {
    bar->Value(150);
    EXPECT_EQ(changes, 2);
    EXPECT_DOUBLE_EQ(bar->max(), 150);
    EXPECT_DOUBLE_EQ(bar->fraction(), 1.0) << "knob at the right end";
    EXPECT_EQ(bar->shownText(), "150");

    changes = 0;
    bar->Value(-5);
    EXPECT_EQ(changes, 2);
    EXPECT_DOUBLE_EQ(bar->Min(), -5);
    EXPECT_DOUBLE_EQ(bar->fraction(), 0.0);

    changes = 0;
    bar->Value(-5);
    EXPECT_EQ(changes, 0) << "the same value text changes nothing";
}

TEST_F(BarFixture, ChangeComesBeforeTheRedraw) {
    bar->Value(0);
    double seen = -1;
    bar->Change.connect([&] { seen = bar->fraction(); });
    bar->Value(100);
    EXPECT_DOUBLE_EQ(seen, 0.0) << "the knob is still where it was";
    EXPECT_DOUBLE_EQ(bar->fraction(), 1.0);
}

TEST_F(BarFixture, AHugeValueWidensOnceInsteadOfWithoutEnd) {
    bar->Value(16777217.0f);
    bar->valueText("16777217");
    EXPECT_DOUBLE_EQ(bar->max(), 16777217.0);
    EXPECT_LE(changes, 4);
}

TEST_F(BarFixture, EqualEndsDrawNothingAndLeaveTheShownText) {
    auto* empty = new 可调水平进度条(window.get());
    empty->setGeometryTwips(150, 600, 3000, 285);
    empty->max(0);
    empty->Value(0);
    empty->show();
    QApplication::processEvents();
    const QImage image = grabbed(empty);
    for (int x = 0; x < image.width(); ++x) {
        EXPECT_NE(packedAt(image, x, 11), rgb(255, 0, 0)) << "no track at x " << x;
        EXPECT_NE(packedAt(image, x, 11), rgb(192, 192, 192)) << "no background at x " << x;
    }
    empty->Value(7);
    EXPECT_DOUBLE_EQ(empty->max(), 7);
    EXPECT_EQ(empty->shownText(), "7");
    EXPECT_TRUE(showsColour(rgb(255, 0, 0)));
}

TEST_F(BarFixture, DraggingToTheEndsGivesExactlyMinAndMax) {
    bar->max(17);
    bar->Value(10);
    bar->Min(3);
    const QPoint start = inText(400);
    press(bar, start);
    dragTo(bar, inText(-200));
    EXPECT_EQ(bar->valueText(), "3");
    dragTo(bar, inText(bar->dragArea().width + 300));
    EXPECT_EQ(bar->valueText(), "17");
    dragTo(bar, inText(bar->dragArea().width / 2));
    EXPECT_EQ(bar->valueText(), "10");
    release(bar, inText(bar->dragArea().width / 2));
    moveOver(bar, inText(100));
    EXPECT_EQ(bar->valueText(), "10") << "without a button held the value stays";
}

TEST_F(BarFixture, ArrowKeysStepOnceOnAShortPressAndRepeatWhileHeld) {
    bar->Value(50);
    const QPoint right = keyCentre(bar->rightKey());
    press(bar, right);
    runFor(100);
    release(bar, right);
    EXPECT_FLOAT_EQ(bar->Value(), 51);

    const QPoint left = keyCentre(bar->leftKey());
    press(bar, left);
    runFor(1000);
    const float held = bar->Value();
    release(bar, left);
    EXPECT_FLOAT_EQ(bar->Value(), held) << "no extra step on release";
    // 500 ms before repeating, then every 50 ms: about ten steps (a busy machine may lose a few).
    EXPECT_GE(51 - held, 6);
    EXPECT_LE(51 - held, 11);
}

TEST_F(BarFixture, ArrowKeysStopAtTheEnds) {
    bar->Value(100);
    const QPoint right = keyCentre(bar->rightKey());
    press(bar, right);
    release(bar, right);
    EXPECT_FLOAT_EQ(bar->Value(), 100);
    bar->Value(0);
    const QPoint left = keyCentre(bar->leftKey());
    press(bar, left);
    release(bar, left);
    EXPECT_FLOAT_EQ(bar->Value(), 0);
}

TEST_F(BarFixture, HidingTheNumberEmptiesTheShownText) {
    bar->Value(42);
    EXPECT_EQ(bar->shownText(), "42");
    bar->显示数值(false);
    EXPECT_EQ(bar->shownText(), "");
    bar->Value(43);
    EXPECT_EQ(bar->shownText(), "");
    bar->显示数值(true);
    EXPECT_EQ(bar->shownText(), "43");
}

TEST_F(BarFixture, ColoursDrawTrackHighlightAndBackground) {
    bar->进度条色(rgb(0, 100, 0));
    bar->背景色(rgb(10, 20, 30));
    bar->Value(50);
    EXPECT_TRUE(showsColour(rgb(0, 100, 0)));
    EXPECT_TRUE(showsColour(rgb(10, 20, 30)));
    EXPECT_TRUE(showsColour(rgb(128, 178, 128))) << "highlight: the lighter tint of the track";
}

TEST_F(BarFixture, PropertyBagSkipsDefaultsAndLoadsInOrder) {
    PropertyBag bag;
    bar->WriteProperties(bag);
    EXPECT_TRUE(bag.entries().empty());
    bar->进度条色(1);
    bar->背景色(2);
    bar->显示数值(false);
    bar->max(200);
    bar->Min(-10);
    bar->Value(12.5f);
    bar->WriteProperties(bag);
    const std::vector<std::string> order{"进度条色", "背景色", "显示数值", "最大值", "最小值", "值"};
    EXPECT_EQ(keysOf(bag), order);
    RecordingBag reading;
    for (const auto& [key, value] : bag.entries())
        reading.writeText(key, value, "");
    auto* copy = new 可调水平进度条(window.get());
    copy->ReadProperties(reading);
    EXPECT_EQ(reading.reads, order);
    EXPECT_EQ(copy->进度条色(), 1u);
    EXPECT_EQ(copy->背景色(), 2u);
    EXPECT_FALSE(copy->显示数值());
    EXPECT_DOUBLE_EQ(copy->max(), 200);
    EXPECT_DOUBLE_EQ(copy->Min(), -10);
    EXPECT_FLOAT_EQ(copy->Value(), 12.5f);
}

TEST(NeedleMeter, KeepsTheRoundedIntegerAndShowsItsNeedle) {
    电平表 meter;
    EXPECT_EQ(meter.shownNeedle(), 20);
    const std::pair<float, int> cases[] = {{2.5f, 2}, {3.5f, 4}, {-0.5f, 0}, {-20.5f, -20}, {19.6f, 20}};
    for (const auto& [written, kept] : cases) {
        meter.Value(written);
        EXPECT_FLOAT_EQ(meter.Value(), static_cast<float>(kept)) << written;
        EXPECT_EQ(meter.shownNeedle(), kept + 20) << written;
    }
    meter.Value(21);
    EXPECT_EQ(meter.shownNeedle(), -1);
    meter.Value(1e9f);
    EXPECT_FLOAT_EQ(meter.Value(), 32767) << "saturates at 16 bits";
    EXPECT_EQ(meter.width(), 303);
}

TEST(NeedleMeter, DrawsTheFaceWithNeedleVPlusTwenty) {
    电平表 meter;
    meter.show();
    QApplication::processEvents();
    for (int v : {-20, -7, 0, 20}) {
        meter.Value(static_cast<float>(v));
        QImage expected = artwork::dialFace(1).convertToFormat(QImage::Format_ARGB32_Premultiplied);
        {
            QPainter painter(&expected);
            painter.drawImage(meter.needleOrigin(), artwork::drawNeedle(v + 20, 1));
        }
        EXPECT_EQ(grabbed(&meter), expected.convertToFormat(QImage::Format_RGB32)) << v;
    }
    EXPECT_EQ(meter.needleOrigin(), QPoint(59, 56));
}

TEST(NeedleMeter, LoadingOnlyStoresTheValue) {
    电平表 meter;
    PropertyBag bag;
    meter.WriteProperties(bag);
    EXPECT_TRUE(bag.entries().empty());
    bag.WriteProperty("值", int64_t{-7}, int64_t{0});
    meter.ReadProperties(bag);
    EXPECT_FLOAT_EQ(meter.Value(), -7);
    EXPECT_EQ(meter.shownNeedle(), 20);
}

TEST(PlainBars, ValueWidensTheRangeAndSetsTheBarLength) {
    垂直进度条 vertical;
    vertical.resizeTwips(100, 1500);
    vertical.show();
    QApplication::processEvents();
    EXPECT_EQ(vertical.width(), 3);
    int changes = 0;
    vertical.Change.connect([&] { ++changes; });
    vertical.max(100);
    changes = 0;
    vertical.Value(25);
    EXPECT_EQ(changes, 1);
    EXPECT_DOUBLE_EQ(vertical.redLine().y1, 1500 - 30);
    EXPECT_DOUBLE_EQ(vertical.redLine().y2, 1500 - 1500 * 25 / 100.0);
    EXPECT_DOUBLE_EQ(vertical.whiteLine().y2, vertical.redLine().y2);
    vertical.Value(0);
    EXPECT_DOUBLE_EQ(vertical.whiteLine().y2, vertical.whiteLine().y1) << "white line never below its start";
    vertical.Value(250);
    EXPECT_EQ(vertical.max(), 250);

    水平进度条 horizontal;
    horizontal.resizeTwips(1530, 100);
    horizontal.show();
    QApplication::processEvents();
    EXPECT_EQ(horizontal.height(), 3);
    horizontal.max(10);
    horizontal.Value(5);
    EXPECT_DOUBLE_EQ(horizontal.redLine().x2, 1500 * 5 / 10.0);
    horizontal.Min(20);
    EXPECT_EQ(horizontal.max(), 20);
    EXPECT_EQ(horizontal.Value(), 20);
}

TEST(PlainBars, PropertyBagOrderAndSkippedKeys) {
    垂直进度条 bar;
    PropertyBag bag;
    bar.WriteProperties(bag);
    EXPECT_TRUE(bag.entries().empty());
    bar.max(1000);
    bar.Value(10);
    bar.背景色(5);
    bar.进度条色(6);
    bar.刷新(true);
    bar.Min(-3);
    bar.WriteProperties(bag);
    EXPECT_EQ(keysOf(bag),
              (std::vector<std::string>{"最大值", "最小值", "值", "背景色", "进度条色", "需要刷新"}));
    bag.writeText("最大值", "not a number", "");
    垂直进度条 copy;
    copy.ReadProperties(bag);
    EXPECT_EQ(copy.max(), 32767) << "a key that fails to load is skipped";
    EXPECT_EQ(copy.Min(), -3);
    EXPECT_EQ(copy.Value(), 10);
    EXPECT_TRUE(copy.刷新());
}
