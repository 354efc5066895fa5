#include "tuner/HeldNoteTracker.h"

#include <algorithm>
#include <cmath>

namespace lctune {

double centsBetween(double standard, double hertz) {
    return 1200.0 * std::log2(hertz / standard);
}

// ---------------------------------------------------------------------------------------------

HeldNoteTracker::Deviations::Bin& HeldNoteTracker::Deviations::at(double cents) {
    if (bins.empty()) bins.resize(static_cast<size_t>(2 * kRangeCents / kBinCents));
    const double index = std::floor((cents + kRangeCents) / kBinCents);
    return bins[static_cast<size_t>(std::clamp(index, 0.0, static_cast<double>(bins.size() - 1)))];
}

// The value below which a fraction p of the readings lie (the usual linear quantile: rank
// p · (count − 1) counted from 0, between the two readings around it), each reading taken at the
// mean of its bin: exact when a bin's readings agree, and never off by more than a bin.
double HeldNoteTracker::Deviations::quantile(double p) const {
    if (readings == 0) return 0;
    const double rank = p * static_cast<double>(readings - 1);
    const auto lower = static_cast<int64_t>(std::floor(rank));
    double below = 0, above = 0;
    int64_t seen = 0;
    for (const Bin& bin : bins) {
        if (bin.readings == 0) continue;
        const double value = bin.sumCents / bin.readings;
        if (seen <= lower) below = value;
        above = value;
        seen += bin.readings;
        if (seen > lower + 1) break;
    }
    return below + (rank - static_cast<double>(lower)) * (above - below);
}

double HeldNoteTracker::Deviations::mean(double lo, double hi) const {
    double weight = 0, weighted = 0;
    for (size_t i = 0; i < bins.size(); ++i) {
        const double binLo = -kRangeCents + static_cast<double>(i) * kBinCents;
        if (binLo + kBinCents < lo || binLo > hi) continue;
        weight += bins[i].weight;
        weighted += bins[i].weightedCents;
    }
    return weight > 0 ? weighted / weight : std::nan("");
}

void HeldNoteTracker::Trace::add(TracePoint point) {
    sum.seconds += point.seconds;
    sum.cents += point.cents;
    if (++summed < perPoint) return;
    const double n = static_cast<double>(summed);
    points.push_back({sum.seconds / n, sum.cents / n});
    sum = {};
    summed = 0;
    if (points.size() < kMaxTrace) return;
    // Full: every two points become one, and from now on twice as many blocks make a point.
    for (size_t i = 0; i < points.size() / 2; ++i)
        points[i] = {(points[2 * i].seconds + points[2 * i + 1].seconds) / 2,
                     (points[2 * i].cents + points[2 * i + 1].cents) / 2};
    points.resize(points.size() / 2);
    perPoint *= 2;
}

std::vector<TracePoint> HeldNoteTracker::Trace::take() {
    if (summed > 0) {
        const double n = static_cast<double>(summed);
        points.push_back({sum.seconds / n, sum.cents / n});
    }
    return std::move(points);
}

// ---------------------------------------------------------------------------------------------

HeldNoteTracker::HeldNoteTracker(double rate, NoteSink sink)
    : rate_(rate), minSamples_(static_cast<int64_t>(std::ceil(kMinSeconds * rate))),
      splitSamples_(static_cast<int64_t>(std::ceil(kSplitSeconds * rate))), sink_(std::move(sink)) {}

void HeldNoteTracker::add(const TickReading& tick) {
    // 100 ms of recording since the open note's last reading: no later reading can join it. It
    // ended there, and the ticks since are read afresh (a new note may have begun among them).
    if (open_ && tick.blockStart - open_->endSample >= splitSamples_) {
        close();
        std::vector<TickReading> again;
        again.swap(since_);
        for (const TickReading& t : again)
            add(t);
    }
    if (!open_) {
        if (tick.isReading() && tick.blockStart >= floor_) start(tick);
        return;
    }
    if (tick.isReading() && tick.note == open_->note) {
        since_.clear(); // they were a glitch
        extend(tick);
        return;
    }
    since_.push_back(tick);
}

void HeldNoteTracker::finish() {
    while (open_) {
        close();
        std::vector<TickReading> again;
        again.swap(since_);
        for (const TickReading& t : again)
            add(t);
    }
    since_.clear();
}

void HeldNoteTracker::start(const TickReading& tick) {
    open_.emplace();
    open_->note = tick.note;
    open_->standard = tick.standard;
    open_->firstTick = tick.tick;
    open_->firstSample = tick.blockStart;
    extend(tick);
}

void HeldNoteTracker::extend(const TickReading& tick) {
    Open& o = *open_;
    o.lastTick = tick.tick;
    o.endSample = tick.blockEnd;
    ++o.readings;
    const double cents = centsBetween(o.standard, tick.hertz);
    Deviations::Bin& bin = o.deviations.at(cents);
    ++bin.readings;
    bin.sumCents += cents;
    ++o.deviations.readings;
    // A block is heard by two or three ticks; its samples count once.
    if (tick.blockStart != o.lastBlock) {
        o.lastBlock = tick.blockStart;
        bin.weight += tick.weight;
        bin.weightedCents += tick.weight * cents;
        o.trace.add({static_cast<double>(tick.blockStart + tick.blockEnd) / 2 / rate_, cents});
    }
}

void HeldNoteTracker::close() {
    Open& o = *open_;
    floor_ = o.endSample;
    if (o.endSample - o.firstSample >= minSamples_) {
        HeldNote note;
        note.note = o.note;
        note.standard = o.standard;
        const double q1 = o.deviations.quantile(0.25), q3 = o.deviations.quantile(0.75);
        note.spread = q3 - q1;
        // Blocks far outside the readings' spread (a new pluck starting inside a block, a burst of
        // noise) are left out of the mean: farther than three spreads and kFenceCents beyond the
        // quartiles.
        const double fence = 3 * note.spread + kFenceCents;
        note.cents = o.deviations.mean(q1 - fence, q3 + fence);
        if (std::isnan(note.cents))
            note.cents = o.deviations.mean(-Deviations::kRangeCents, Deviations::kRangeCents);
        note.measured = o.standard * std::exp2(note.cents / 1200);
        note.firstTick = o.firstTick;
        note.lastTick = o.lastTick;
        note.firstSample = o.firstSample;
        note.endSample = o.endSample;
        note.readings = o.readings;
        note.trace = o.trace.take();
        if (sink_) sink_(note);
    }
    open_.reset();
}

} // namespace lctune
