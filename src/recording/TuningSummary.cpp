#include "recording/TuningSummary.h"

#include "core/Numbers.h"

#include <cmath>

namespace lctune {

namespace {

// A block's tone must lie within a semitone of the note shown for the tick to count as its reading.
constexpr double kReadingCents = 100;
// The frequency shown lies in its note's band (±50 cents) whenever it is the current reading.
constexpr double kShownCents = 51;

} // namespace

TuningSummary::TuningSummary(const TunerSettingsView& settings,
                             std::optional<AnalysisReplay::EqualiserGains> equaliser, NoteSink sink)
    : meter_(TunerReplay::kRate, TunerReplay::kBlockSamples), tracker_(TunerReplay::kRate, std::move(sink)),
      replay_(settings, equaliser, [this](const TunerRow& row) { onTick(row.tick, row); }) {}

void TuningSummary::feed(std::span<const int16_t> samples) {
    // Pieces of at most a block keep the samples every tick hears inside the meter's history.
    while (!samples.empty()) {
        const auto piece = samples.first(std::min<size_t>(samples.size(), TunerReplay::kBlockSamples));
        meter_.push(piece);
        replay_.feed(piece);
        samples = samples.subspan(piece.size());
    }
}

void TuningSummary::finish() {
    replay_.finish();
    tracker_.finish();
}

void TuningSummary::onTick(int64_t tick, const TunerRow& row) {
    tracker_.add(reading(tick, row));
}

TickReading TuningSummary::reading(int64_t tick, const TunerRow& row) {
    TickReading t;
    t.tick = tick;
    const int64_t block = replay_.schedule().blocksFed() - 1;
    if (block < 0) return t; // the tick hears the zeros before the first block
    t.blockStart = block * TunerReplay::kBlockSamples;
    t.blockEnd = t.blockStart + TunerReplay::kBlockSamples;

    // Whether the frequency on display was measured since the tuner's last reset: every lock resets
    // (or waits for a pluck that will), and a measuring tick that ends with a period in the
    // statistics window and no rejection has written its frequency. Later rejections in the same
    // pluck do not take the reading back; the lock they cause comes at the next tick.
    const TunerAnalysis& tuner = replay_.analysis();
    if (row.提示 != "分析中！") {
        shown_ = false;
        return t;
    }
    if (tuner.windowCount() > 0 && tuner.failCount() == 0) shown_ = true;
    if (!shown_) return t;
    const std::string note(TunerAnalysis::withoutArrow(row.音符));
    const double standard = TunerAnalysis::standardFrequency(note);
    const double shown = leadingNumber(row.频率值);
    if (!(standard > 0 && shown > 0) || std::fabs(centsBetween(standard, shown)) > kShownCents) return t;

    if (block != measuredBlock_ || standard != measuredStandard_) {
        measured_ = meter_.measure(t.blockStart, t.blockEnd, shown);
        measuredBlock_ = block;
        measuredStandard_ = standard;
    }
    if (!measured_.valid() || std::fabs(centsBetween(standard, measured_.hertz)) > kReadingCents) return t;
    t.note = note;
    t.standard = standard;
    t.hertz = measured_.hertz;
    t.weight = measured_.weight;
    return t;
}

} // namespace lctune
