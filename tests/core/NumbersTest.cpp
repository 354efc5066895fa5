#include "core/Numbers.h"
#include "core/Colors.h"
#include "core/Event.h"

#include <gtest/gtest.h>

using namespace lctune;

TEST(Numbers, RoundsHalvesToEven) {
    EXPECT_EQ(roundHalfEven(2.5), 2);
    EXPECT_EQ(roundHalfEven(3.5), 4);
    EXPECT_EQ(roundHalfEven(-2.5), -2);
    EXPECT_EQ(roundHalfEven(-21844.67), -21845);
    EXPECT_EQ(roundToInt32(1e12), INT32_MAX);
    EXPECT_EQ(roundToInt32(-1e12), INT32_MIN);
    EXPECT_EQ(roundToInt32(std::nan("")), 0);
    EXPECT_DOUBLE_EQ(roundToPlaces(0.666666, 2), 0.67);
    EXPECT_DOUBLE_EQ(roundToPlaces(261.625565, 1), 261.6);
    EXPECT_DOUBLE_EQ(roundToPlaces(0.125, 2), 0.12);
}

TEST(Numbers, ClipsToSixteenBits) {
    EXPECT_EQ(clip16(32767.4), 32767);
    EXPECT_EQ(clip16(40000), 32767);
    EXPECT_EQ(clip16(-32768), -32768);
    EXPECT_EQ(clip16(-32768.2), -32768);
    EXPECT_EQ(clip16(-1e300), -32768);
    EXPECT_EQ(clip16(1.5), 2);
    EXPECT_EQ(clip16(0.5), 0);
    EXPECT_EQ(clip16(std::nan("")), 0);
}

TEST(Numbers, TextIsShortestDecimalWithoutExponent) {
    EXPECT_EQ(numberText(440.0), "440");
    EXPECT_EQ(numberText(466.2), "466.2");
    EXPECT_EQ(numberText(0.67), "0.67");
    EXPECT_EQ(numberText(-3.0), "-3");
    EXPECT_EQ(numberText(-0.0), "0");
    EXPECT_EQ(numberText(1e-5), "0.00001");
    EXPECT_EQ(numberText(1e21), "1000000000000000000000");
    EXPECT_EQ(numberText(static_cast<int16_t>(-32768)), "-32768");
    EXPECT_EQ(numberText(roundToPlaces(88200.0 / 200.5, 1)), "439.9");
}

TEST(Numbers, LeadingNumberStopsWhereTheNumberEnds) {
    EXPECT_DOUBLE_EQ(leadingNumber("441HZ"), 441);
    EXPECT_DOUBLE_EQ(leadingNumber("441.3HZ"), 441.3);
    EXPECT_DOUBLE_EQ(leadingNumber("82.5HZ"), 82.5);
    EXPECT_DOUBLE_EQ(leadingNumber("  -12.5x"), -12.5);
    EXPECT_DOUBLE_EQ(leadingNumber(".5"), 0.5);
    EXPECT_DOUBLE_EQ(leadingNumber("2E3Hz"), 2000);
    EXPECT_DOUBLE_EQ(leadingNumber("2E"), 2);
    EXPECT_DOUBLE_EQ(leadingNumber("2e-x"), 2);
    EXPECT_DOUBLE_EQ(leadingNumber("HZ"), 0);
    EXPECT_DOUBLE_EQ(leadingNumber(""), 0);
    EXPECT_DOUBLE_EQ(leadingNumber("-"), 0);
    EXPECT_DOUBLE_EQ(leadingNumber("1e999"), HUGE_VAL);
    EXPECT_DOUBLE_EQ(leadingNumber("1e-999"), 0);
}

TEST(Colors, PackAndPrint) {
    EXPECT_EQ(rgb(255, 0, 0), 0x0000FFu);
    EXPECT_EQ(rgb(0, 128, 0), 0x008000u);
    EXPECT_EQ(colorHex(rgb(0, 128, 0)), "#008000");
    EXPECT_EQ(colorHex(rgb(255, 0, 0)), "#FF0000");
    EXPECT_EQ(colorHex(rgb(1, 2, 3)), "#010203");
}

TEST(Event, HandlersRunInConnectionOrderWithReferences) {
    Event<int&> e;
    std::vector<int> order;
    e.connect([&](int& v) {
        order.push_back(v);
        v += 1;
    });
    e.connect([&](int& v) { order.push_back(v); });
    int value = 5;
    e(value);
    EXPECT_EQ(order, (std::vector<int>{5, 6}));
    EXPECT_EQ(value, 6);
}

TEST(Event, HandlerConnectedDuringRaiseHearsTheNextOne) {
    Event<> e;
    int late = 0;
    e.connect([&] { e.connect([&] { ++late; }); });
    e();
    EXPECT_EQ(late, 0);
    e();
    EXPECT_EQ(late, 1);
}
