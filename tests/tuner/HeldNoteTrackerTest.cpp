// Held notes from tick readings: the glitch and length rules on the recording's time, the
// measured frequency, the spread, and constant memory for a long note.

#include "tuner/HeldNoteTracker.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

using namespace lctune;

namespace {

constexpr double kRate = 88200;
constexpr int64_t kBlock = 5120;
const std::string kA4 = "A4  (6)", kE4 = "E4  (3)";

// What the ticks that hear block k show: a reading of `note` at `cents` from 440 Hz, or no
// reading when the note is empty.
struct BlockPlan {
    std::string note;
    double cents = 0;
    double weight = 1;
};

// The ticks of a recording made of these blocks, on the replay's schedule (tick j hears block
// ⌊j · 88200 / 204800⌋ − 1, two or three ticks a block).
std::vector<HeldNote> track(const std::vector<BlockPlan>& blocks) {
    std::vector<HeldNote> notes;
    HeldNoteTracker tracker(kRate, [&](const HeldNote& n) { notes.push_back(n); });
    for (int64_t tick = 1;; ++tick) {
        const int64_t block = tick * 88200 / 204800 - 1;
        if (block >= static_cast<int64_t>(blocks.size())) break;
        TickReading t;
        t.tick = tick;
        if (block >= 0) {
            const BlockPlan& plan = blocks[static_cast<size_t>(block)];
            t.blockStart = block * kBlock;
            t.blockEnd = t.blockStart + kBlock;
            t.note = plan.note;
            t.standard = plan.note == kE4 ? 329.6275569128699 : 440.0;
            t.hertz = t.standard * std::exp2(plan.cents / 1200);
            t.weight = plan.weight;
        }
        tracker.add(t);
    }
    tracker.finish();
    return notes;
}

std::vector<BlockPlan> repeat(size_t count, const BlockPlan& plan) {
    return std::vector<BlockPlan>(count, plan);
}

std::vector<BlockPlan> operator+(std::vector<BlockPlan> a, const std::vector<BlockPlan>& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

} // namespace

TEST(HeldNoteTracker, GlitchesUnder100msDoNotSplitANoteLongerGapsDo) {
    const BlockPlan a{kA4, 3}, e{kE4, 0}, none{};
    // One unread block (58 ms) between readings: another note, then nothing; two unread blocks
    // (116 ms) split the note.
    const auto notes = track(repeat(1, none) + repeat(8, a) + repeat(1, e) + repeat(8, a) + repeat(1, none) +
                             repeat(8, a) + repeat(2, none) + repeat(8, a) + repeat(3, none));
    ASSERT_EQ(notes.size(), 2u);
    EXPECT_EQ(notes[0].note, kA4);
    EXPECT_EQ(notes[0].firstSample, 1 * kBlock);
    EXPECT_EQ(notes[0].endSample, 27 * kBlock);
    EXPECT_EQ(notes[1].firstSample, 29 * kBlock);
    EXPECT_EQ(notes[1].endSample, 37 * kBlock);
    for (const HeldNote& n : notes) {
        EXPECT_NEAR(n.cents, 3, 1e-9);
        EXPECT_NEAR(n.measured, 440 * std::exp2(3.0 / 1200), 1e-9);
        EXPECT_EQ(n.standard, 440);
    }
}

TEST(HeldNoteTracker, ShortRunsGiveNoNoteAndNotesNeverOverlap) {
    const BlockPlan a{kA4, 0}, e{kE4, -20}, none{};
    // Two blocks (116 ms) are too short, three (174 ms) are enough; E4 straight after A4 starts
    // where A4's blocks end, though its first readings came inside A4's glitch window.
    const auto notes = track(repeat(2, a) + repeat(3, none) + repeat(3, a) + repeat(3, none) + repeat(6, a) +
                             repeat(6, e) + repeat(2, none) + repeat(2, e) + repeat(4, none));
    ASSERT_EQ(notes.size(), 3u);
    EXPECT_EQ(notes[0].firstSample, 5 * kBlock);
    EXPECT_EQ(notes[0].endSample, 8 * kBlock);
    EXPECT_EQ(notes[1].note, kA4);
    EXPECT_EQ(notes[1].endSample, 17 * kBlock);
    EXPECT_EQ(notes[2].note, kE4);
    EXPECT_EQ(notes[2].firstSample, 17 * kBlock);
    EXPECT_EQ(notes[2].endSample, 23 * kBlock); // the last two E4 blocks come after a 116 ms gap
    EXPECT_NEAR(notes[2].cents, -20, 1e-9);
}

TEST(HeldNoteTracker, MeasuredIsTheWeightedMeanOfItsBlocksSpreadTheInterquartileRange) {
    // 21 blocks at 0, 0.5 … 10 cents with growing weights, and one loud block at +60 cents (a new
    // pluck inside a block): it counts in the spread but stays out of the mean.
    std::vector<BlockPlan> blocks;
    double weighted = 0, weight = 0;
    std::vector<double> perTick;
    for (int i = 0; i <= 20; ++i) {
        blocks.push_back({kA4, 0.5 * i, 1.0 + i});
        weighted += (1.0 + i) * 0.5 * i;
        weight += 1.0 + i;
    }
    blocks.push_back({kA4, 60, 1000});
    blocks.push_back({});
    blocks.push_back({});
    const auto notes = track(blocks);
    ASSERT_EQ(notes.size(), 1u);
    EXPECT_NEAR(notes[0].cents, weighted / weight, 1e-9);

    // The quartiles of the ticks' deviations (every tick counts, two or three a block).
    for (int64_t tick = 1; tick * 88200 / 204800 - 1 < 22; ++tick) {
        const int64_t block = tick * 88200 / 204800 - 1;
        if (block >= 0) perTick.push_back(blocks[static_cast<size_t>(block)].cents);
    }
    std::sort(perTick.begin(), perTick.end());
    const auto quantile = [&](double p) {
        const double rank = p * static_cast<double>(perTick.size() - 1);
        const size_t below = static_cast<size_t>(rank);
        return perTick[below] + (rank - below) * (perTick[below + 1] - perTick[below]);
    };
    EXPECT_NEAR(notes[0].spread, quantile(0.75) - quantile(0.25), 0.05);
    EXPECT_EQ(notes[0].readings, static_cast<int32_t>(perTick.size()));
}

TEST(HeldNoteTracker, ATenMinuteNoteKeepsConstantMemory) {
    // Ten minutes of one note, a tick a block: the trace halves itself and stays short.
    std::vector<HeldNote> notes;
    HeldNoteTracker tracker(kRate, [&](const HeldNote& n) { notes.push_back(n); });
    const int64_t ticks = 600 * 88200 / kBlock;
    for (int64_t j = 0; j < ticks; ++j) {
        const double cents = 5 * std::sin(static_cast<double>(j) / 40); // a slow vibrato
        tracker.add({j, kA4, 440, j * kBlock, (j + 1) * kBlock, 440 * std::exp2(cents / 1200), 1});
    }
    tracker.finish();
    ASSERT_EQ(notes.size(), 1u);
    const auto& trace = notes[0].trace;
    EXPECT_LE(trace.size(), HeldNoteTracker::kMaxTrace);
    EXPECT_GE(trace.size(), HeldNoteTracker::kMaxTrace / 4);
    EXPECT_TRUE(std::is_sorted(trace.begin(), trace.end(), [](const TracePoint& a, const TracePoint& b) {
        return a.seconds < b.seconds;
    }));
    EXPECT_LT(trace.front().seconds, 30);
    EXPECT_GT(trace.back().seconds, static_cast<double>(ticks * kBlock) / kRate - 30);
    EXPECT_NEAR(notes[0].cents, 0, 0.1);
    // The interquartile range of 5 · sin: 2 · 5 · sin(π/4).
    EXPECT_NEAR(notes[0].spread, 10 * std::sin(std::acos(-1) / 4), 0.1);
}
