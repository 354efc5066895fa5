#include "TunerFixture.h"

#include <gtest/gtest.h>

using namespace lctune;
using lctune::test::TunerFixture;

namespace {

struct NoteCase {
    double f;
    const char* note;
    const char* standard;
    int needle;
    bool red;
};

class NoteDerivation : public ::testing::TestWithParam<NoteCase> {};

} // namespace

TEST_P(NoteDerivation, ShowsNoteStandardArrowAndNeedle) {
    const NoteCase c = GetParam();
    TunerFixture f;
    f.tuner.由频率推算出音符(c.f);
    EXPECT_EQ(f.tuner.音符.Text(), c.note);
    EXPECT_EQ(f.tuner.标准频率.Text(), c.standard);
    EXPECT_EQ(f.tuner.频率阴影.Text(), c.standard);
    EXPECT_EQ(f.tuner.电平表1.Value(), c.needle);
    const uint32_t colour = c.red ? TunerAnalysis::kRed : TunerAnalysis::kGreen;
    EXPECT_EQ(f.tuner.音符.BackColor(), colour);
    EXPECT_EQ(f.tuner.频率值.BackColor(), colour);
    EXPECT_EQ(f.tuner.deviationCount(), 1);
}

INSTANTIATE_TEST_SUITE_P(
    Frequencies, NoteDerivation,
    ::testing::Values(
        NoteCase{440, "A4  (6)", "440HZ", 0, false},
        // 444 is not above (880 + 452.89) / 3 = 444.30: no arrow, but d = 6.21.
        NoteCase{444, "A4  (6)", "440HZ", 6, true}, NoteCase{445, "A4  (6)↑", "440HZ", 8, true},
        NoteCase{435, "A4  (6)↓", "440HZ", -8, true}, NoteCase{523.3, "C4  (1)", "523.3HZ", 0, false},
        NoteCase{82.4, "E1  (3)", "82.4HZ", 0, false}, NoteCase{27.5, "A0  (6)", "27.5HZ", 0, false},
        NoteCase{261.63, "C3  (1)", "261.6HZ", 0, false}, NoteCase{466.2, "A4+ (6+)", "466.2HZ", 0, false},
        NoteCase{740, "F4+ (4+)", "740HZ", 0, false},
        // The highest octave: G at 783.99 · 64 and the octave digit 10.
        NoteCase{50175.4, "G10  (5)", "50175.4HZ", 0, false},
        // The lowest octave: C at 523.25 / 64 and the digit -2.
        NoteCase{8.18, "C-2  (1)", "8.2HZ", 0, false}));

TEST(NoteDerivationRules, RunningAverageRoundsHalvesToEven) {
    TunerFixture f;
    // Deviations of the A band: d = (f - 440) / (hi - 440) * 20.
    const double hi = 440 * std::pow(2.0, 0.5 / 12);
    auto fFor = [&](double d) { return 440 + d / 20 * (hi - 440); };
    f.tuner.由频率推算出音符(fFor(4.0));
    f.tuner.由频率推算出音符(fFor(5.0)); // average 4.5 -> 4
    EXPECT_EQ(f.tuner.电平表1.Value(), 4);
    EXPECT_EQ(f.tuner.音符.BackColor(), TunerAnalysis::kGreen);
    f.tuner.reset();
    f.tuner.由频率推算出音符(fFor(5.0));
    f.tuner.由频率推算出音符(fFor(6.0)); // average 5.5 -> 6
    EXPECT_EQ(f.tuner.电平表1.Value(), 6);
    EXPECT_EQ(f.tuner.音符.BackColor(), TunerAnalysis::kRed);
}

TEST(NoteDerivationRules, ArrowsNeedAboutSeventeenCents) {
    TunerFixture f;
    const double s = 440, hi = 440 * std::pow(2.0, 0.5 / 12), lo = 220 * std::pow(2.0, 11.5 / 12);
    const double up = (2 * s + hi) / 3, down = (2 * s + lo) / 3;
    f.tuner.由频率推算出音符(std::nextafter(up, 0.0));
    EXPECT_EQ(f.tuner.音符.Text(), "A4  (6)");
    f.tuner.由频率推算出音符(std::nextafter(up, 1e9) + 1e-9);
    EXPECT_EQ(f.tuner.音符.Text(), "A4  (6)↑");
    f.tuner.由频率推算出音符(down + 1e-9);
    EXPECT_EQ(f.tuner.音符.Text(), "A4  (6)");
    f.tuner.由频率推算出音符(down - 1e-9);
    EXPECT_EQ(f.tuner.音符.Text(), "A4  (6)↓");
}

TEST(NoteDerivationRules, SharedEdgeInsideAnOctaveRunsBothRows) {
    TunerFixture f;
    // The edge between A and A+ of octave 0 is the A band's upper bound.
    const double edge = 440 * std::pow(2.0, 0.5 / 12);
    f.tuner.由频率推算出音符(edge);
    EXPECT_EQ(f.tuner.deviationCount(), 2);
    EXPECT_EQ(f.tuner.音符.Text().substr(0, 3), "A4+");
    // +20 at the A band's upper edge, -20 · 2^(-1/24) = -19.43 at the A+ band's lower edge.
    EXPECT_NEAR(f.tuner.deviationSum(), 20 - 20 * std::pow(2.0, -1.0 / 24), 1e-9);
}

TEST(NoteDerivationRules, EdgeBetweenOctavesShowsTheHigherOctave) {
    TunerFixture f;
    const double edge = 2 * (220 * std::pow(2.0, 11.5 / 12)); // lower edge of A in octave 1
    f.tuner.由频率推算出音符(edge);
    EXPECT_EQ(f.tuner.音符.Text(), "A5  (6)↓");
    EXPECT_EQ(f.tuner.deviationCount(), 1);
}

TEST(NoteDerivationRules, OutOfRangeChangesNothing) {
    TunerFixture f;
    for (double fr : {0.0, -440.0, 6.6, 54800.0, std::nan("")})
        f.tuner.由频率推算出音符(fr);
    EXPECT_EQ(f.tuner.音符.Text(), "A  (6)");
    EXPECT_EQ(f.tuner.标准频率.Text(), "440HZ");
    EXPECT_EQ(f.tuner.deviationCount(), 0);
    f.tuner.由频率推算出音符(6.68);
    EXPECT_EQ(f.tuner.音符.Text(), "A-2  (6)↓");
    f.tuner.由频率推算出音符(54716);
    EXPECT_EQ(f.tuner.音符.Text(), "G10+ (5+)↑");
}

TEST(NoteDerivationRules, FrequencyLabelDerivesOnlyWhenItsTextChanges) {
    TunerFixture f;
    f.tuner.频率值.Text("440HZ"); // the start text: no change, nothing derived
    EXPECT_EQ(f.tuner.音符.Text(), "A  (6)");
    f.tuner.频率值.Text("441HZ");
    EXPECT_EQ(f.tuner.音符.Text(), "A4  (6)");
    EXPECT_EQ(f.tuner.deviationCount(), 1);
    f.tuner.频率值.Text("441HZ");
    EXPECT_EQ(f.tuner.deviationCount(), 1);
    f.tuner.频率值.Text("82.5HZ");
    EXPECT_EQ(f.tuner.音符.Text(), "E1  (3)");
    EXPECT_EQ(f.tuner.deviationCount(), 2);
}

// Every note text the derivation writes, arrows and all, names the standard it derived it from.
TEST(NoteDerivationRules, NoteTextsGiveBackTheirStandardFrequency) {
    for (int k = -6; k <= 6; ++k) {
        for (int n = 0; n < 12; ++n) {
            const double standard = std::exp2(k) * 440 * std::exp2(n / 12.0);
            for (const double cents : {0.0, -30.0, 30.0}) {
                TunerFixture f;
                f.tuner.由频率推算出音符(standard * std::exp2(cents / 1200));
                const std::string note = f.tuner.音符.Text();
                EXPECT_NEAR(TunerAnalysis::standardFrequency(note), standard, standard * 1e-12) << note;
                EXPECT_TRUE(TunerAnalysis::withoutArrow(note).ends_with(")")) << note;
            }
        }
    }
    for (const char* text :
         {"", "A", "A  (6)", "A4", "A4 (6)", "H4  (6)", "A11  (6)", "A-3  (6)", "A4  (6)x"})
        EXPECT_EQ(TunerAnalysis::standardFrequency(text), 0) << text;
}
