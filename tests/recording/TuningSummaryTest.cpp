// The tuning summary end to end on generated recordings: sines and plucked strings of known
// detuning with silences between give exactly their held notes, glitches do not split a note, and
// silence gives none.

#include "recording/TuningSummary.h"

#include "core/Numbers.h"
#include "dsp/PluckedString.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

using namespace lctune;

namespace {

constexpr double kRate = 88200;

struct Part {
    std::string note; // empty for silence
    double cents = 0;
    bool pluck = false;
    double seconds = 0;
};

struct Recording {
    std::vector<int16_t> samples;
    std::vector<std::pair<double, double>> spans; // where each sounding part starts and ends, s

    Recording& add(const Part& p) {
        const size_t count = static_cast<size_t>(p.seconds * kRate);
        if (p.note.empty()) {
            samples.insert(samples.end(), count, 0);
            return *this;
        }
        const double hz = TunerAnalysis::standardFrequency(p.note) * std::exp2(p.cents / 1200);
        const double start = static_cast<double>(samples.size()) / kRate;
        spans.emplace_back(start, start + p.seconds);
        if (p.pluck) {
            const auto string = PluckedString{hz, kRate, 0.996, 7, 8}.render(static_cast<int64_t>(count));
            double peak = 0;
            for (const double v : string)
                peak = std::max(peak, std::fabs(v));
            for (const double v : string)
                samples.push_back(clip16(v / peak * 26000));
        } else {
            const auto tone = test::sine(hz, kRate, 16000, count);
            samples.insert(samples.end(), tone.begin(), tone.end());
        }
        return *this;
    }
};

// The held notes of `samples`, fed in pieces of `piece` samples.
std::vector<HeldNote> summarise(const std::vector<int16_t>& samples, size_t piece = 100000) {
    TunerSettings settings;
    std::vector<HeldNote> notes;
    TuningSummary summary(settings, std::nullopt, [&](const HeldNote& n) { notes.push_back(n); });
    for (size_t at = 0; at < samples.size(); at += piece)
        summary.feed(std::span(samples).subspan(at, std::min(piece, samples.size() - at)));
    summary.finish();
    return notes;
}

} // namespace

TEST(TuningSummary, KnownNotesGiveExactlyTheirHeldNotesAndDeviations) {
    const std::vector<Part> parts = {
        {"A2  (6)", -30, false, 1.5}, {"A4  (6)", 0, false, 1.5}, {"D3  (2)", 12, false, 1.5},
        {"E1  (3)", -30, true, 2.5},  {"A2  (6)", 0, true, 2.5},  {"B3  (7)", 12, true, 2.5},
    };
    Recording r;
    r.add({"", 0, false, 0.5});
    for (const Part& p : parts)
        r.add(p).add({"", 0, false, 0.5});

    const auto notes = summarise(r.samples);
    ASSERT_EQ(notes.size(), parts.size());
    for (size_t i = 0; i < parts.size(); ++i) {
        const HeldNote& n = notes[i];
        const auto [start, end] = r.spans[i];
        EXPECT_EQ(n.note, parts[i].note);
        EXPECT_EQ(n.standard, TunerAnalysis::standardFrequency(parts[i].note));
        // Targets: a pure tone within 0.2 cent, a clean plucked string within 1 cent.
        EXPECT_NEAR(n.cents, parts[i].cents, parts[i].pluck ? 1.0 : 0.2) << n.note;
        EXPECT_NEAR(n.measured, n.standard * std::exp2(parts[i].cents / 1200), n.measured * 1e-3);
        EXPECT_LT(n.spread, 0.5) << n.note;
        // The blocks the readings heard lie within the sound (give or take the blocks at its ends).
        // A steady tone is read from end to end; a pluck as long as the tuner follows it (it may
        // lock during the attack, or for good once the string has faded).
        const double block = 5120 / kRate, first = static_cast<double>(n.firstSample) / kRate,
                     last = static_cast<double>(n.endSample) / kRate;
        EXPECT_GE(first, start - block) << n.note;
        EXPECT_LE(last, end + block) << n.note;
        if (parts[i].pluck) {
            EXPECT_GT(last - first, 1.0) << n.note;
        } else {
            EXPECT_LE(first, start + 2 * block) << n.note;
            EXPECT_GE(last, end - 2 * block) << n.note;
        }
    }

    // Any piece size gives the same notes.
    const auto inPieces = summarise(r.samples, 4099);
    ASSERT_EQ(inPieces.size(), notes.size());
    for (size_t i = 0; i < notes.size(); ++i) {
        EXPECT_EQ(inPieces[i].firstSample, notes[i].firstSample);
        EXPECT_EQ(inPieces[i].measured, notes[i].measured);
    }
}

TEST(TuningSummary, AGlitchDoesNotSplitANote) {
    // A held A4 broken by 20 ms of E5, and another by 60 ms of silence.
    for (const Part& glitch : {Part{"E5  (3)", 0, false, 0.02}, Part{"", 0, false, 0.06}}) {
        Recording r;
        r.add({"", 0, false, 0.5}).add({"A4  (6)", 0, false, 1.0}).add(glitch);
        r.add({"A4  (6)", 0, false, 1.0}).add({"", 0, false, 0.5});
        const auto notes = summarise(r.samples);
        ASSERT_EQ(notes.size(), 1u) << glitch.note;
        EXPECT_NEAR(notes[0].cents, 0, 0.2);
        EXPECT_LT(static_cast<double>(notes[0].firstSample) / kRate, 0.6);
        EXPECT_GT(static_cast<double>(notes[0].endSample) / kRate, 2.5);
    }
}

TEST(TuningSummary, SilenceAndQuietNoiseGiveNoNote) {
    std::vector<int16_t> quiet(static_cast<size_t>(3 * kRate), 0);
    EXPECT_TRUE(summarise(quiet).empty());
    const auto noise = test::pattern(quiet.size(), 5);
    for (size_t i = 0; i < quiet.size(); ++i)
        quiet[i] = static_cast<int16_t>(noise[i] / 512); // noise 50 dB below full scale
    EXPECT_TRUE(summarise(quiet).empty());
    EXPECT_TRUE(summarise({}).empty());
}
