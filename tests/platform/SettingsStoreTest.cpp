#include "platform/SettingsStore.h"

#include <gtest/gtest.h>

using namespace lctune;

TEST(SettingsStore, NumbersThatAreNotNumbersReadAsTheDefault) {
    MemorySettingsStore store;
    const auto put = [&](const std::string& text) { store.write("岚川调音器", "参数", "运行次数", text); };
    EXPECT_EQ(store.readInteger("岚川调音器", "参数", "运行次数", 0), 0) << "absent";
    put("41");
    EXPECT_EQ(store.readInteger("岚川调音器", "参数", "运行次数", 0), 41);
    put(" -7 ");
    EXPECT_EQ(store.readInteger("岚川调音器", "参数", "运行次数", 0), -7);
    for (const char* garbage : {"", "abc", "12abc", "1.5", "99999999999999999999", "+"}) {
        put(garbage);
        EXPECT_EQ(store.readInteger("岚川调音器", "参数", "运行次数", 3), 3) << garbage;
    }
    put("-2.5");
    EXPECT_EQ(store.readNumber("岚川调音器", "参数", "运行次数", 0), -2.5);
    put("nan");
    EXPECT_EQ(store.readNumber("岚川调音器", "参数", "运行次数", 1), 1);
}

TEST(SettingsStore, AStoreThatRefusesWritesSaysSo) {
    MemorySettingsStore store;
    store.failWrites = true;
    EXPECT_FALSE(store.write("a", "b", "c", "d"));
    EXPECT_FALSE(store.sync());
    EXPECT_EQ(store.read("a", "b", "c", "default"), "default");
}
