#include "platform/PlainMessageLoop.h"
#include "shell/公用参数.h"

#include <gtest/gtest.h>

#include <chrono>
#include <thread>

using namespace lctune;

TEST(公用参数, SpeedIndexIsPassesOver300HalvesToEven) {
    EXPECT_EQ(公用参数::speedIndexOf(450000), 1500);
    EXPECT_EQ(公用参数::speedIndexOf(450150), 1500); // 1500.5
    EXPECT_EQ(公用参数::speedIndexOf(450450), 1502); // 1501.5
    EXPECT_EQ(公用参数::speedIndexOf(0), 0);
    AppFlags flags;
    公用参数::measureSpeed(flags);
    EXPECT_GT(flags.speedIndex, 0) << "reading the clock a quarter of a second long counts passes";
}

TEST(公用参数, WaitSecondsLetsMessagesRunUntilTheTimeIsUp) {
    PlainMessageLoop loop;
    int ran = 0;
    std::thread poster([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        loop.post([&] { ++ran; });
    });
    const auto t0 = std::chrono::steady_clock::now();
    公用参数::waitSeconds(0.1, loop);
    const double waited = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
    poster.join();
    EXPECT_EQ(ran, 1) << "a message posted during the wait runs inside it";
    EXPECT_GE(waited, 0.1);
}
