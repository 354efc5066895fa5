#include "tuner/SummaryPlot.h"

#include "core/Numbers.h"
#include "tuner/SummaryReport.h"
#include "tuner/TunerReplay.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>

namespace lctune {

namespace {

// Geometry in pixels. The width grows with the recording (40 px a second) between two bounds.
constexpr double kHeight = 560;
constexpr double kLeft = 72, kRight = 32;
constexpr double kPlotTop = 140, kPlotHeight = 360;
constexpr double kPixelsPerSecond = 40, kMinWidth = 1000, kMaxWidth = 12000;
constexpr std::array<double, 2> kLabelRows = {82, 116}; // baselines of the note labels
constexpr double kMinBandPixels = 4;

constexpr const char* kFont = "'Noto Sans CJK SC','Noto Sans SC','WenQuanYi Micro Hei','Microsoft YaHei',"
                              "'PingFang SC',sans-serif";

struct Palette {
    const char* line;
    const char* tint;
};
// Flat, in tune, sharp.
constexpr std::array<Palette, 3> kPalette = {Palette{"#1565c0", "#1e88e5"}, Palette{"#2e7d32", "#43a047"},
                                             Palette{"#c62828", "#e53935"}};

std::string px(double v) {
    char text[32];
    std::snprintf(text, sizeof text, "%.1f", roundToPlaces(v, 1) + 0.0);
    return text;
}

std::string xmlText(std::string_view text) {
    std::string out;
    for (const char c : text) {
        switch (c) {
        case '&':
            out += "&amp;";
            break;
        case '<':
            out += "&lt;";
            break;
        case '>':
            out += "&gt;";
            break;
        case '"':
            out += "&quot;";
            break;
        default:
            out += c;
        }
    }
    return out;
}

// Cents as a label: "+12", "0", "−30" (a true minus sign), with `places` decimals.
std::string centsLabel(double cents, int places) {
    char digits[32];
    std::snprintf(digits, sizeof digits, "%.*f", places, std::fabs(cents));
    if (cents == 0) return digits;
    return (cents > 0 ? "+" : "\u2212") + std::string(digits);
}

struct Frame {
    double seconds;
    double width;
    double plotWidth() const { return width - kLeft - kRight; }
    double x(double t) const { return kLeft + std::clamp(t / seconds, 0.0, 1.0) * plotWidth(); }
    double y(double cents) const {
        return kPlotTop + (SummaryPlot::kRangeCents - cents) / (2 * SummaryPlot::kRangeCents) * kPlotHeight;
    }
    double bottom() const { return kPlotTop + kPlotHeight; }
};

// The time grid: the first step from the list that leaves at least 80 px between lines.
double timeStep(const Frame& f) {
    static constexpr std::array<double, 16> kSteps = {0.1, 0.2, 0.5, 1,   2,   5,   10,   15,
                                                      30,  60,  120, 300, 600, 900, 1800, 3600};
    for (const double step : kSteps)
        if (step / f.seconds * f.plotWidth() >= 80) return step;
    return kSteps.back();
}

std::string timeLabel(double t, bool minutes) {
    if (!minutes) return numberText(roundToPlaces(t, 1));
    const int64_t whole = static_cast<int64_t>(roundHalfEven(t));
    char text[32];
    std::snprintf(text, sizeof text, "%lld:%02lld", static_cast<long long>(whole / 60),
                  static_cast<long long>(whole % 60));
    return text;
}

// A rough width of a label in pixels (CJK characters are about twice as wide as Latin ones).
double labelWidth(std::string_view text, double fontSize) {
    double width = 0;
    for (size_t i = 0; i < text.size(); ++i) {
        const unsigned char c = static_cast<unsigned char>(text[i]);
        if (c < 0x80)
            width += 0.6 * fontSize;
        else if (c >= 0xE0)
            width += fontSize; // the lead byte of a three-byte (CJK) character
    }
    return width;
}

} // namespace

void SummaryPlot::add(const HeldNote& note) {
    const SummaryRow row = SummaryRow::of(note);
    Note n;
    n.note = note.note;
    n.verdict = row.verdict;
    n.start = static_cast<double>(note.firstSample) / TunerReplay::kRate;
    n.end = static_cast<double>(note.endSample) / TunerReplay::kRate;
    n.cents = row.cents;
    n.spread = row.spread;
    n.verdictKind = row.inTune ? 0 : (row.cents > 0 ? 1 : -1);
    n.trace = note.trace;
    points_ += n.trace.size();
    notes_.push_back(std::move(n));
    while (points_ > kMaxPoints)
        halveTraces();
}

void SummaryPlot::halveTraces() {
    points_ = 0;
    for (Note& n : notes_) {
        auto& t = n.trace;
        for (size_t i = 0; i + 1 < t.size(); i += 2)
            t[i / 2] = {(t[i].seconds + t[i + 1].seconds) / 2, (t[i].cents + t[i + 1].cents) / 2};
        if (t.size() % 2 == 1) t[t.size() / 2] = t.back();
        t.resize((t.size() + 1) / 2);
        points_ += t.size();
    }
}

void SummaryPlot::write(double seconds, const std::string& title, const std::string& subtitle,
                        const std::function<void(std::string_view)>& out) const {
    Frame f{seconds > 0 ? seconds : 1, 0};
    f.width = std::clamp(kLeft + kRight + f.seconds * kPixelsPerSecond, kMinWidth, kMaxWidth);
    const std::string w = px(f.width), h = px(kHeight);
    const double left = kLeft, right = f.width - kRight, top = kPlotTop, bottom = f.bottom();

    out("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
        "<svg xmlns=\"http://www.w3.org/2000/svg\" version=\"1.1\" width=\"" +
        w + "\" height=\"" + h + "\" viewBox=\"0 0 " + w + " " + h + "\" font-family=\"" + kFont + "\">\n");
    out("<title>" + xmlText(title) + "</title>\n");
    out("<defs><clipPath id=\"plot\"><rect x=\"" + px(left) + "\" y=\"" + px(top) + "\" width=\"" +
        px(right - left) + "\" height=\"" + px(kPlotHeight) + "\"/></clipPath></defs>\n");
    out("<rect width=\"100%\" height=\"100%\" fill=\"#ffffff\"/>\n");
    out("<text x=\"" + px(left) + "\" y=\"32\" font-size=\"20\" font-weight=\"bold\" fill=\"#212121\">" +
        xmlText(title) + "</text>\n");
    out("<text x=\"" + px(left) + "\" y=\"56\" font-size=\"14\" fill=\"#616161\">" + xmlText(subtitle) +
        "</text>\n");

    // The plot area, the in-tune zone and the grid.
    out("<rect x=\"" + px(left) + "\" y=\"" + px(top) + "\" width=\"" + px(right - left) + "\" height=\"" +
        px(kPlotHeight) + "\" fill=\"#fafafa\"/>\n");
    out("<rect x=\"" + px(left) + "\" y=\"" + px(f.y(SummaryReport::kInTuneCents)) + "\" width=\"" +
        px(right - left) + "\" height=\"" +
        px(f.y(-SummaryReport::kInTuneCents) - f.y(SummaryReport::kInTuneCents)) + "\" fill=\"#c8e6c9\"/>\n");
    const double step = timeStep(f);
    const bool minutes = f.seconds >= 120;
    const int64_t steps = static_cast<int64_t>(std::floor(f.seconds / step + 1e-9));
    for (int64_t i = 1; static_cast<double>(i) * step < f.seconds; ++i)
        out("<line x1=\"" + px(f.x(static_cast<double>(i) * step)) + "\" y1=\"" + px(top) + "\" x2=\"" +
            px(f.x(static_cast<double>(i) * step)) + "\" y2=\"" + px(bottom) + "\" stroke=\"#eeeeee\"/>\n");
    for (int c = -50; c <= 50; c += 10) {
        const std::string y = px(f.y(c));
        if (c != 0)
            out("<line x1=\"" + px(left) + "\" y1=\"" + y + "\" x2=\"" + px(right) + "\" y2=\"" + y +
                "\" stroke=\"#e0e0e0\"/>\n");
        out("<text x=\"" + px(left - 8) + "\" y=\"" + px(f.y(c) + 4) +
            "\" font-size=\"12\" text-anchor=\"end\" fill=\"#616161\">" + centsLabel(c, 0) + "</text>\n");
    }
    out("<text x=\"" + px(right - 6) + "\" y=\"" + px(f.y(0) - 6) +
        "\" font-size=\"11\" text-anchor=\"end\" fill=\"#2e7d32\">准 ±5</text>\n");

    // The held notes: column, spread band, deviation line, trace, label.
    std::array<double, kLabelRows.size()> rowEnd;
    rowEnd.fill(-1e9);
    for (const Note& n : notes_) {
        const Palette& colour = kPalette[static_cast<size_t>(n.verdictKind + 1)];
        const double x0 = f.x(n.start), x1 = std::max(f.x(n.end), x0 + 1);
        const double mid = (x0 + x1) / 2;
        const double half = std::max((f.y(0) - f.y(n.spread)) / 2, kMinBandPixels / 2);
        out("<g>\n<rect x=\"" + px(x0) + "\" y=\"" + px(top) + "\" width=\"" + px(x1 - x0) + "\" height=\"" +
            px(kPlotHeight) + "\" fill=\"" + colour.tint + "\" fill-opacity=\"0.12\"/>\n");
        out("<g clip-path=\"url(#plot)\">\n<rect x=\"" + px(x0) + "\" y=\"" + px(f.y(n.cents) - half) +
            "\" width=\"" + px(x1 - x0) + "\" height=\"" + px(2 * half) + "\" fill=\"" + colour.tint +
            "\" fill-opacity=\"0.35\"/>\n");
        out("<line x1=\"" + px(x0) + "\" y1=\"" + px(f.y(n.cents)) + "\" x2=\"" + px(x1) + "\" y2=\"" +
            px(f.y(n.cents)) + "\" stroke=\"" + colour.line + "\" stroke-width=\"2.5\"/>\n");
        if (n.trace.size() > 1) {
            std::string points;
            for (const TracePoint& p : n.trace)
                points += px(f.x(p.seconds)) + "," + px(f.y(p.cents)) + " ";
            points.pop_back();
            out("<polyline points=\"" + points + "\" fill=\"none\" stroke=\"" + colour.line +
                "\" stroke-width=\"1.25\" stroke-opacity=\"0.8\"/>\n");
        }
        out("</g>\n");

        // The label goes in the first row where it does not run into the one before; where none is
        // free, in the row that frees up first.
        const std::string deviation = n.verdict == "准" ? "准 " + centsLabel(n.cents, 1) : n.verdict;
        const double width = std::max(labelWidth(n.note, 13), labelWidth(deviation, 11));
        size_t row = 0;
        for (size_t r = 0; r < kLabelRows.size(); ++r) {
            if (mid - width / 2 > rowEnd[r] + 6) {
                row = r;
                break;
            }
            if (rowEnd[r] < rowEnd[row]) row = r;
        }
        rowEnd[row] = mid + width / 2;
        const double baseline = kLabelRows[row];
        out("<line x1=\"" + px(mid) + "\" y1=\"" + px(baseline + 18) + "\" x2=\"" + px(mid) + "\" y2=\"" +
            px(top) + "\" stroke=\"" + colour.line + "\" stroke-opacity=\"0.5\"/>\n");
        out("<text x=\"" + px(mid) + "\" y=\"" + px(baseline) +
            "\" font-size=\"13\" font-weight=\"bold\" text-anchor=\"middle\" xml:space=\"preserve\" fill=\"" +
            colour.line + "\">" + xmlText(n.note) + "</text>\n");
        out("<text x=\"" + px(mid) + "\" y=\"" + px(baseline + 14) +
            "\" font-size=\"11\" text-anchor=\"middle\" fill=\"" + colour.line + "\">" + xmlText(deviation) +
            "</text>\n</g>\n");
    }
    if (notes_.empty())
        out("<text x=\"" + px((left + right) / 2) + "\" y=\"" + px(f.y(25)) +
            "\" font-size=\"16\" text-anchor=\"middle\" fill=\"#9e9e9e\">no held note found</text>\n");

    // Axes over everything: the zero line, the frame, the time labels, the titles and the legend.
    out("<line x1=\"" + px(left) + "\" y1=\"" + px(f.y(0)) + "\" x2=\"" + px(right) + "\" y2=\"" +
        px(f.y(0)) + "\" stroke=\"#757575\"/>\n");
    out("<rect x=\"" + px(left) + "\" y=\"" + px(top) + "\" width=\"" + px(right - left) + "\" height=\"" +
        px(kPlotHeight) + "\" fill=\"none\" stroke=\"#9e9e9e\"/>\n");
    for (int64_t i = 0; i <= steps; ++i)
        out("<text x=\"" + px(f.x(static_cast<double>(i) * step)) + "\" y=\"" + px(bottom + 18) +
            "\" font-size=\"12\" text-anchor=\"middle\" fill=\"#616161\">" +
            timeLabel(static_cast<double>(i) * step, minutes) + "</text>\n");
    out("<text x=\"" + px((left + right) / 2) + "\" y=\"" + px(bottom + 40) +
        "\" font-size=\"13\" text-anchor=\"middle\" fill=\"#424242\">" +
        (minutes ? "time (min:s)" : "time (s)") + "</text>\n");
    out("<text transform=\"translate(20 " + px((top + bottom) / 2) +
        ") rotate(-90)\" font-size=\"13\" text-anchor=\"middle\" fill=\"#424242\">deviation "
        "(cents)</text>\n");
    const std::array<std::pair<const char*, size_t>, 3> legend = {
        std::pair{"准 in tune (±5 cents)", size_t{1}}, std::pair{"偏高 sharp", size_t{2}},
        std::pair{"偏低 flat", size_t{0}}};
    double lx = right - 400;
    for (const auto& [text, colour] : legend) {
        out("<rect x=\"" + px(lx) + "\" y=\"" + px(bottom + 30) + "\" width=\"12\" height=\"12\" fill=\"" +
            kPalette[colour].line + "\"/>\n");
        out("<text x=\"" + px(lx + 18) + "\" y=\"" + px(bottom + 40) +
            "\" font-size=\"12\" fill=\"#424242\">" + text + "</text>\n");
        lx += 26 + labelWidth(text, 12);
    }
    out("</svg>\n");
}

} // namespace lctune
