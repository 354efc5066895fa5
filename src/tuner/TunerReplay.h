#pragma once
// Replays a recording through the tuner in simulated time, exactly as the recording window
// feeds it: capture blocks of 5120 samples arrive every 5120/88200 s and replace the sample
// buffer (1024 zero samples before the first block); the display timer ticks every 25 ms and
// analyses the buffer as it stands. A block and a tick at the same instant: the block first.

#include "tuner/TunerAnalysis.h"

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace lctune {

struct TunerRow {
    int64_t tick = 0;
    std::string 提示, 放大系数显示, 统计次数, 频率值, 音符, 标准频率;
    int32_t 电平表1 = 0;
    uint32_t background = 0;
};

/// The header line of the tab-separated table (without the newline).
std::string tunerTableHeader();
/// One row of the table (without the newline); the time is tick · 0.025 s with three decimals.
std::string formatTunerRow(const TunerRow& row);
/// The displays of the analysis as one row.
TunerRow snapshot(const TunerAnalysis& analysis, int64_t tick);

class TunerReplay {
public:
    static constexpr int32_t kRate = 88200;
    static constexpr int32_t kBlockSamples = 5120;
    static constexpr int32_t kInitialSamples = 1024;
    static constexpr int32_t kTicksPerSecond = 40;

    /// Called with the sample buffer when a new block replaces it (the initial zeros included),
    /// before any tick analyses it.
    using BlockHook = std::function<void(SampleBlock& buffer)>;

    explicit TunerReplay(TunerAnalysis& analysis) : analysis_(analysis) {}
    void onNewBlock(BlockHook hook) { onNewBlock_ = std::move(hook); }

    /// Number of display ticks a recording of that many samples yields.
    static int64_t tickCount(int64_t samples);

    /// Runs the whole recording; calls rowSink after every tick.
    void run(const std::vector<int16_t>& samples, const std::function<void(const TunerRow&)>& rowSink);

private:
    TunerAnalysis& analysis_;
    BlockHook onNewBlock_;
};

} // namespace lctune
