#include "tuner/SummaryReport.h"

#include "core/Numbers.h"
#include "tuner/TunerReplay.h"

#include <cmath>
#include <cstdio>

namespace lctune {

namespace {

// A number already rounded to `places`, written with exactly that many; never "-0.0".
std::string fixed(double value, int places) {
    char text[64];
    std::snprintf(text, sizeof text, "%.*f", places, value + 0.0);
    return text;
}

std::string jsonString(const std::string& text) {
    std::string out = "\"";
    for (const char c : text) {
        if (c == '"' || c == '\\') {
            out += '\\';
            out += c;
        } else if (static_cast<unsigned char>(c) < 0x20) {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\u%04x", c);
            out += escaped;
        } else {
            out += c;
        }
    }
    return out + "\"";
}

std::string textLine(const std::string& start, const std::string& end, const std::string& note,
                     const std::string& standard, const std::string& measured, const std::string& cents,
                     const std::string& spread, const std::string& verdict) {
    char line[256];
    std::snprintf(line, sizeof line, "%8s %8s  %-10s %12s %12s %7s %7s  %s\n", start.c_str(), end.c_str(),
                  note.c_str(), standard.c_str(), measured.c_str(), cents.c_str(), spread.c_str(),
                  verdict.c_str());
    return line;
}

} // namespace

SummaryRow SummaryRow::of(const HeldNote& note) {
    SummaryRow row;
    const double rate = TunerReplay::kRate;
    row.start = roundToPlaces(static_cast<double>(note.firstSample) / rate, 3);
    row.end = roundToPlaces(static_cast<double>(note.endSample) / rate, 3);
    row.standard = roundToPlaces(note.standard, 2);
    row.measured = roundToPlaces(note.measured, 2);
    row.cents = roundToPlaces(note.cents, 1) + 0.0;
    row.spread = roundToPlaces(note.spread, 1) + 0.0;
    row.inTune = std::fabs(row.cents) <= SummaryReport::kInTuneCents;
    row.verdict = verdictFor(row.cents);
    return row;
}

std::string SummaryRow::verdictFor(double cents) {
    if (std::fabs(cents) <= SummaryReport::kInTuneCents) return "准";
    return (cents > 0 ? "偏高 " : "偏低 ") + fixed(std::fabs(cents), 1);
}

std::string SummaryReport::header() const {
    switch (format_) {
    case Format::Text:
        return textLine("start s", "end s", "note", "standard Hz", "measured Hz", "cents", "spread",
                        "verdict");
    case Format::Tsv:
        return "start_s\tend_s\tnote\tstandard_hz\tmeasured_hz\tdeviation_cents\tspread_cents\tverdict\n";
    case Format::Json:
        return "{\"notes\": [";
    }
    return {};
}

std::string SummaryReport::add(const HeldNote& note) {
    const SummaryRow row = SummaryRow::of(note);
    const bool first = notes_ == 0;
    ++notes_;
    if (row.inTune) ++inTune_;
    absoluteSum_ += std::fabs(row.cents);

    const std::string start = fixed(row.start, 3), end = fixed(row.end, 3);
    const std::string standard = fixed(row.standard, 2), measured = fixed(row.measured, 2);
    const std::string cents = fixed(row.cents, 1), spread = fixed(row.spread, 1);
    switch (format_) {
    case Format::Text:
        return textLine(start, end, note.note, standard, measured, cents, spread, row.verdict);
    case Format::Tsv:
        return start + '\t' + end + '\t' + note.note + '\t' + standard + '\t' + measured + '\t' + cents +
               '\t' + spread + '\t' + row.verdict + '\n';
    case Format::Json:
        return std::string(first ? "\n" : ",\n") + "  {\"start_s\": " + start + ", \"end_s\": " + end +
               ", \"note\": " + jsonString(note.note) + ", \"standard_hz\": " + standard +
               ", \"measured_hz\": " + measured + ", \"deviation_cents\": " + cents +
               ", \"spread_cents\": " + spread + ", \"verdict\": " + jsonString(row.verdict) +
               ", \"in_tune\": " + (row.inTune ? "true" : "false") + "}";
    }
    return {};
}

double SummaryReport::meanAbsoluteCents() const {
    return notes_ == 0 ? 0 : roundToPlaces(absoluteSum_ / notes_, 1);
}

std::string SummaryReport::end() const {
    const std::string mean = fixed(meanAbsoluteCents(), 1);
    if (format_ == Format::Json)
        return std::string(notes_ == 0 ? "" : "\n") +
               "],\n \"summary\": {\"notes\": " + std::to_string(notes_) +
               ", \"in_tune\": " + std::to_string(inTune_) +
               ", \"mean_abs_deviation_cents\": " + (notes_ == 0 ? "null" : mean) + "}}\n";
    if (notes_ == 0) return {};
    return (format_ == Format::Tsv ? "# " : "") + summaryText() + "\n";
}

std::string SummaryReport::summaryText() const {
    if (notes_ == 0) return "no held note found";
    return std::to_string(notes_) + (notes_ == 1 ? " note, " : " notes, ") + std::to_string(inTune_) +
           " in tune, mean absolute deviation " + fixed(meanAbsoluteCents(), 1) + " cents";
}

} // namespace lctune
