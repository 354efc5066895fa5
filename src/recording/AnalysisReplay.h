#pragma once
// A recording replayed through the tuner exactly as the program runs it live: the samples (one
// channel at 88200 per second) stream into a capture hub block by block in simulated time, and
// after every display tick the tuner's displays become one row of the table. Nothing is captured
// and nothing recorded; the equaliser, when given, works as the tuner window's 启用均衡 does.

#include "core/AppFlags.h"
#include "core/PlotSurface.h"
#include "platform/MessageBoxService.h"
#include "platform/PlainMessageLoop.h"
#include "platform/SystemAudio.h"
#include "recording/CaptureHub.h"
#include "tuner/TunerAnalysis.h"
#include "tuner/TunerReplay.h"

#include <array>
#include <functional>
#include <optional>
#include <span>
#include <vector>

namespace lctune {

class AnalysisReplay {
public:
    using RowSink = std::function<void(const TunerRow& row)>;
    using EqualiserGains = std::array<float, 7>;

    /// `equaliser`: the seven band gains in dB, or nothing for the equaliser switched off.
    AnalysisReplay(const TunerSettingsView& settings, std::optional<EqualiserGains> equaliser, RowSink rows);
    AnalysisReplay(const AnalysisReplay&) = delete;
    AnalysisReplay& operator=(const AnalysisReplay&) = delete;

    /// More samples of the recording, in pieces of any size; whole blocks go on as they fill.
    void feed(std::span<const int16_t> samples);
    /// The recording has ended: the last ticks run; samples short of a whole block are dropped.
    void finish();
    /// feed + finish for a whole recording.
    void run(std::span<const int16_t> samples);

    TunerAnalysis& analysis() { return analysis_; }
    CaptureHub& hub() { return hub_; }
    const TunerReplay& schedule() const { return replay_; }

private:
    SystemAudio noDevices_;
    PlainMessageLoop loop_;
    ConsoleMessageBox boxes_;
    AppFlags flags_;
    NullPlotSurface picture2_;
    CaptureHub hub_;
    TunerAnalysis analysis_;
    RowSink rows_;
    TunerReplay replay_;
    std::vector<int16_t> pending_;
};

} // namespace lctune
