#pragma once
// Held notes from the tuner's display, tick by tick, in one pass and in memory that does not grow
// with the length of the recording or of a note.
//
// A tick is a *reading* of a note when the tuner is measuring (not locked), shows a frequency it
// measured since its last reset, and the samples the tick heard carry a tone within a semitone of
// that note (the caller decides this and fills in TickReading). The note is the 音符 text without
// its ↑/↓: the arrow only says how far the same note is off, and a note settling from sharp to in
// tune is still one held note.
//
// A held note is a run of readings of one note, from its first reading to its last, that heard at
// least 150 ms of the recording (from the start of its first reading's block to the end of its
// last one's: three blocks of 5120 samples at 88200 Hz). Inside it, a *glitch* is whatever lies
// between two readings of the note: ticks reading another note, ticks where the tuner is locked
// (for low level, waiting for a pluck, after an inconsistent period) and ticks without a reading.
// A glitch does not split the note, and adds nothing to it, when less than 100 ms of the recording
// passed between the blocks the two readings heard (at most one block went unread); a gap of
// 100 ms or more ends the note at its last reading. Gaps are measured on the recording, not on
// the display, because the display pads every disturbance with the tuner's own lock-and-recover
// ticks: a 20 ms click in a held tone shows as 125 ms of locks and stale readings. The next held
// note starts after the blocks of the last one, so held notes never overlap.
//
// Each held note gets the frequency measured over the samples its readings heard: the mean of the
// blocks' deviations (each block of samples once, weighted by how strongly its tone came through),
// leaving out blocks far outside the readings' spread (a new pluck starting inside a block); the
// deviation from the note's standard frequency in cents; the spread, the interquartile range of
// the readings' deviations (each reading's the deviation of the block it heard); and a trace of its
// pitch for pictures, at most kMaxTrace points.

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace lctune {

struct TickReading {
    int64_t tick = 0;
    /// The note read at this tick without its arrow ("A4  (6)"); empty when the tick is no reading.
    std::string note;
    /// The note's standard frequency in hertz.
    double standard = 0;
    /// The samples this tick heard, [blockStart, blockEnd) at the analysis rate, and the frequency
    /// measured over them with its weight.
    int64_t blockStart = 0;
    int64_t blockEnd = 0;
    double hertz = 0;
    double weight = 0;

    bool isReading() const { return !note.empty(); }
};

struct TracePoint {
    double seconds = 0;
    double cents = 0;
};

struct HeldNote {
    std::string note;
    double standard = 0; // Hz
    double measured = 0; // Hz
    double cents = 0;    // deviation of the measured frequency from the standard
    double spread = 0;   // cents: interquartile range of the readings' deviations
    int64_t firstTick = 0;
    int64_t lastTick = 0;
    /// The samples the readings heard: [firstSample, endSample).
    int64_t firstSample = 0;
    int64_t endSample = 0;
    int32_t readings = 0;
    /// The pitch over time, one point per block of samples or, for a long note, per run of them.
    std::vector<TracePoint> trace;
};

/// Cents from `standard` to `hertz`.
double centsBetween(double standard, double hertz);

class HeldNoteTracker {
public:
    static constexpr double kMinSeconds = 0.150;
    static constexpr double kSplitSeconds = 0.100;
    static constexpr size_t kMaxTrace = 512;
    /// Blocks this far (plus three spreads) outside the quartiles stay out of the mean.
    static constexpr double kFenceCents = 2;

    using NoteSink = std::function<void(const HeldNote&)>;

    /// `rate`: samples per second of the block indices. Held notes go to `sink` as they end (at the
    /// latest 100 ms of recording, plus a block, after their last reading).
    HeldNoteTracker(double rate, NoteSink sink);

    /// The next tick (ticks come one by one, in order).
    void add(const TickReading& tick);
    /// The recording has ended: the note being held, if long enough, goes out.
    void finish();

private:
    /// The deviations in bins of kBinCents over ±kRangeCents (the end bins hold what lies beyond),
    /// in constant memory: how many readings fell in each and their sum (for the quartiles, to
    /// within a bin), and the weight and weighted deviation of the blocks (for the mean, exact).
    struct Deviations {
        static constexpr double kBinCents = 0.05;
        static constexpr double kRangeCents = 100;
        struct Bin {
            uint32_t readings = 0;
            double sumCents = 0;
            double weight = 0;
            double weightedCents = 0;
        };
        std::vector<Bin> bins;
        int64_t readings = 0;
        Bin& at(double cents);
        double quantile(double p) const;
        /// The weighted mean of the blocks within [lo, hi] cents; NaN when none lies there.
        double mean(double lo, double hi) const;
    };

    /// The trace, halving its resolution whenever it fills.
    struct Trace {
        std::vector<TracePoint> points;
        int64_t perPoint = 1;
        TracePoint sum;
        int64_t summed = 0;
        void add(TracePoint point);
        std::vector<TracePoint> take();
    };

    struct Open {
        std::string note;
        double standard = 0;
        int64_t firstTick = 0, lastTick = 0;
        int64_t firstSample = 0, endSample = 0;
        int64_t lastBlock = -1;
        int32_t readings = 0;
        Deviations deviations;
        Trace trace;
    };

    void start(const TickReading& tick);
    void extend(const TickReading& tick);
    void close();

    double rate_;
    int64_t minSamples_;
    int64_t splitSamples_;
    NoteSink sink_;
    std::optional<Open> open_;       // the note being read, if any
    std::vector<TickReading> since_; // the ticks after its last reading (at most 100 ms and a block)
    int64_t floor_ = 0;              // the end of the last note's blocks
};

} // namespace lctune
