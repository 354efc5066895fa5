#pragma once
// The held notes of a recording: the recording is replayed through the tuner exactly as the
// analysis table shows it (AnalysisReplay), and every display tick becomes a TickReading for the
// HeldNoteTracker, which sends each held note out as soon as it ends.
//
// A tick is a reading when 提示 reads "分析中！", the frequency on display was measured since the
// tuner's last reset (not left over from the sound before a lock), and the block of samples the
// tick heard carries a tone within a semitone of the note shown. That block (the newest
// whole block of 5120 samples at the tick) is measured with a PhaseFrequencyMeter, with the tuner's
// own frequency reading as the reference; a block heard by several ticks is measured once.
//
// Streams: samples go in pieces of any size and memory stays the same whatever the length of the
// recording or of a note. One thread at a time.

#include "dsp/PhaseFrequencyMeter.h"
#include "recording/AnalysisReplay.h"
#include "tuner/HeldNoteTracker.h"
#include "tuner/TunerSettings.h"

#include <cstdint>
#include <optional>
#include <span>

namespace lctune {

class TuningSummary {
public:
    using NoteSink = HeldNoteTracker::NoteSink;

    /// `settings` and `equaliser` as for the analysis table; held notes go to `sink` as they end.
    TuningSummary(const TunerSettingsView& settings, std::optional<AnalysisReplay::EqualiserGains> equaliser,
                  NoteSink sink);

    /// More samples (one channel at 88200 per second), in pieces of any size.
    void feed(std::span<const int16_t> samples);
    /// The recording has ended: the last ticks run and the note being held goes out.
    void finish();

    int64_t samples() const { return meter_.end(); }

private:
    void onTick(int64_t tick, const TunerRow& row);
    TickReading reading(int64_t tick, const TunerRow& row);

    PhaseFrequencyMeter meter_;
    HeldNoteTracker tracker_;
    AnalysisReplay replay_;

    bool shown_ = false; // the frequency on display belongs to the sound since the last reset

    // The newest measured block, reused by the other ticks that hear it.
    int64_t measuredBlock_ = -1;
    double measuredStandard_ = 0;
    PhaseFrequencyMeter::Measurement measured_;
};

} // namespace lctune
