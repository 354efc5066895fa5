#include "tuner/TunerReplay.h"

#include <gtest/gtest.h>

using namespace lctune;

namespace {

// A recording whose block k holds the value k + 1 everywhere, so the buffer tells which block it is.
std::vector<int16_t> numberedBlocks(int blocks) {
    std::vector<int16_t> s(static_cast<size_t>(blocks) * 5120);
    for (size_t i = 0; i < s.size(); ++i)
        s[i] = static_cast<int16_t>(i / 5120 + 1);
    return s;
}

} // namespace

TEST(Replay, TickCountFollowsTheFullBlocks) {
    EXPECT_EQ(TunerReplay::tickCount(0), 0);
    EXPECT_EQ(TunerReplay::tickCount(5119), 0);
    EXPECT_EQ(TunerReplay::tickCount(5120), 2); // 0.058 s
    EXPECT_EQ(TunerReplay::tickCount(5120 * 20), 46);
    EXPECT_EQ(TunerReplay::tickCount(5120 * 441), 1024); // exactly 10.24 s: the last tick counts
}

TEST(Replay, TicksSeeTheNewestBlockAndABlockComesBeforeASimultaneousTick) {
    int newest = 0; // the number of the newest block (0 = the initial zeros)
    std::vector<int> seen;
    TunerReplay replay([&](std::span<const int16_t> block) { newest = block[0]; },
                       [&](int64_t tick) {
                           EXPECT_EQ(tick, static_cast<int64_t>(seen.size()) + 1);
                           seen.push_back(newest);
                       });
    const std::vector<int16_t> samples = numberedBlocks(441);
    for (size_t at = 0; at < samples.size(); at += 5120)
        replay.feed(std::span(samples).subspan(at, 5120));
    replay.finish();
    EXPECT_EQ(replay.blocksFed(), 441);
    ASSERT_EQ(seen.size(), 1024u);
    for (int j = 1; j <= 1024; ++j) {
        // The newest block k has (k + 1) · 5120 / 88200 <= j / 40.
        const int expected = static_cast<int>(static_cast<int64_t>(j) * 88200 / 204800);
        EXPECT_EQ(seen[static_cast<size_t>(j - 1)], expected) << "tick " << j;
    }
    // Block 441 and tick 1024 fall on the same instant, 10.24 s: the tick sees the block.
    EXPECT_EQ(seen.back(), 441);
}

TEST(Replay, RowFormat) {
    TunerRow row{7, "分析中！", "1.33", "26", "439.4HZ", "A4  (6)↓", "440HZ", -12, 0x0000FF};
    EXPECT_EQ(formatTunerRow(row), "7\t0.175\t分析中！\t1.33\t26\t439.4HZ\tA4  (6)↓\t440HZ\t-12\t#FF0000");
    row.tick = 40000;
    EXPECT_EQ(formatTunerRow(row).substr(0, 15), "40000\t1000.000\t");
}
