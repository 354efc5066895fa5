#pragma once
// The tuning report as a picture (plain SVG 1.1 text, readable in any web browser): time on x over
// the whole recording, the deviation on y from −50 to +50 cents with the ±5-cent zone shaded, and
// for each held note a tinted column over its time, labelled with its note and verdict above the
// plot, a band over its spread, a line at its deviation and the trace of its pitch. Colours follow
// the verdict: green in tune, red sharp, blue flat.
//
// Keeps one small record per held note and at most kMaxPoints trace points in all (halving every
// note's trace when they would pass it), so a long recording costs no more than its notes.

#include "tuner/HeldNoteTracker.h"

#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace lctune {

class SummaryPlot {
public:
    static constexpr size_t kMaxPoints = 20000;
    static constexpr double kRangeCents = 50;

    void add(const HeldNote& note);

    /// Writes the picture of a recording `seconds` long in pieces to `out`. `title` and
    /// `subtitle` are plain text (escaped here).
    void write(double seconds, const std::string& title, const std::string& subtitle,
               const std::function<void(std::string_view)>& out) const;

private:
    struct Note {
        std::string note, verdict;
        double start = 0, end = 0, cents = 0, spread = 0;
        int verdictKind = 0; // -1 flat, 0 in tune, 1 sharp
        std::vector<TracePoint> trace;
    };
    void halveTraces();

    std::vector<Note> notes_;
    size_t points_ = 0;
};

} // namespace lctune
