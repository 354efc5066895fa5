#pragma once
// The tuning report of a recording as text: one line per held note and a last line that sums up,
// written as the notes come (nothing is kept but the totals).
//
// Columns: start and end in seconds of the recording (the samples the note's readings heard, to the
// millisecond), the note text, the standard and the measured frequency (Hz, to 0.01), the deviation
// and the spread (cents, to 0.1) and the verdict: "准" within ±5 cents, otherwise "偏高 N" or
// "偏低 N" with the deviation's size to 0.1 cent ("偏高 12.0", "偏低 30.0"). Rounding goes halves to
// even; the verdict, the count in tune and the mean absolute deviation are taken from the rounded
// deviations, so they agree with the numbers printed.
//
// Formats: aligned text for a terminal; tab-separated values with a header line (the summary as a
// last line starting with "#"); JSON, one object {"notes": [...], "summary": {...}}.

#include "tuner/HeldNoteTracker.h"

#include <cstdint>
#include <string>

namespace lctune {

/// A held note as the report shows it: rounded, with its verdict.
struct SummaryRow {
    double start = 0;    // s, 3 places
    double end = 0;      // s, 3 places
    double standard = 0; // Hz, 2 places
    double measured = 0; // Hz, 2 places
    double cents = 0;    // 1 place
    double spread = 0;   // cents, 1 place
    bool inTune = false;
    std::string verdict;

    static SummaryRow of(const HeldNote& note);
    /// "准" for |cents| ≤ 5, else "偏高 N" / "偏低 N"; `cents` already rounded to one place.
    static std::string verdictFor(double cents);
};

class SummaryReport {
public:
    enum class Format { Text, Tsv, Json };
    static constexpr double kInTuneCents = 5.0;

    explicit SummaryReport(Format format) : format_(format) {}

    /// The first line(s), before any note.
    std::string header() const;
    /// The line of one held note (counted in the totals).
    std::string add(const HeldNote& note);
    /// What ends the report: the summary line (nothing in text and TSV when no note was found).
    std::string end() const;
    /// The summary in words: "3 notes, 1 in tune, mean absolute deviation 14.0 cents", or "no held
    /// note found".
    std::string summaryText() const;

    int32_t notes() const { return notes_; }
    int32_t inTune() const { return inTune_; }
    /// Mean of the rounded deviations' sizes, rounded to one place; 0 without notes.
    double meanAbsoluteCents() const;

private:
    Format format_;
    int32_t notes_ = 0;
    int32_t inTune_ = 0;
    double absoluteSum_ = 0;
};

} // namespace lctune
