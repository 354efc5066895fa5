#include "core/PropertyBag.h"

#include <gtest/gtest.h>

using namespace lctune;

TEST(PropertyBag, DefaultsAreNotStoredAndMissingKeysReadAsDefaults) {
    PropertyBag bag;
    bag.WriteProperty("有效", true, true);
    bag.WriteProperty("圆角宽度", int64_t{5}, int64_t{5});
    bag.WriteProperty("Caption", "", "");
    EXPECT_TRUE(bag.entries().empty());
    EXPECT_TRUE(bag.ReadProperty("有效", true));
    EXPECT_EQ(bag.ReadProperty("圆角宽度", int64_t{5}), 5);
    EXPECT_EQ(bag.ReadProperty("Caption", std::string("Check")), "Check");

    bag.WriteProperty("圆角宽度", int64_t{9}, int64_t{5});
    EXPECT_EQ(bag.ReadProperty("圆角宽度", int64_t{5}), 9);
    bag.WriteProperty("圆角宽度", int64_t{5}, int64_t{5});
    EXPECT_FALSE(bag.contains("圆角宽度")) << "writing the default again forgets the stored value";
}

TEST(PropertyBag, TextFormsOfEachType) {
    PropertyBag bag;
    bag.WriteProperty("有效", false, true);
    bag.WriteProperty("值", 12.5, 0.0);
    bag.WriteColor("背景颜色", 0x8000000Fu, 0);
    EXPECT_EQ(bag.readText("有效"), "False");
    EXPECT_EQ(bag.readText("值"), "12.5");
    EXPECT_EQ(bag.readText("背景颜色"), "2147483663");
    EXPECT_EQ(bag.ReadColor("背景颜色", 0), 0x8000000Fu);
    EXPECT_DOUBLE_EQ(bag.ReadProperty("值", 0.0), 12.5);

    bag.writeText("背景颜色", "-2147483633", "");
    EXPECT_EQ(bag.ReadColor("背景颜色", 0), 0x8000000Fu) << "a colour saved as a signed number";
    bag.writeText("有效", "true", "");
    EXPECT_TRUE(bag.ReadProperty("有效", false));
    bag.writeText("有效", "-1", "");
    EXPECT_TRUE(bag.ReadProperty("有效", false));
}

TEST(PropertyBag, UnreadableValuesGiveTheDefault) {
    PropertyBag bag;
    bag.writeText("最大值", "12abc", "");
    bag.writeText("有效", "maybe", "");
    bag.writeText("值", "", "x");
    EXPECT_FALSE(bag.tryReadInteger("最大值").has_value());
    EXPECT_EQ(bag.ReadProperty("最大值", int64_t{32767}), 32767);
    EXPECT_TRUE(bag.ReadProperty("有效", true));
    EXPECT_DOUBLE_EQ(bag.ReadProperty("值", 3.0), 3.0);
    EXPECT_EQ(bag.ReadProperty("值", std::string("x")), "");
    bag.writeText("最大值", "1e30", "");
    EXPECT_FALSE(bag.tryReadInteger("最大值").has_value()) << "out of range for any integer property";
}
