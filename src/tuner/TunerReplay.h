#pragma once
// The tuner's display as a table (one row per display tick) and the simulated-time schedule by
// which a recording is replayed through the capture hub.

#include "tuner/TunerAnalysis.h"

#include <cstdint>
#include <functional>
#include <span>
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

/// The schedule of a recording replayed in simulated time, exactly as the recording window feeds
/// the tuner: capture blocks of 5120 samples arrive every 5120/88200 s (block k at
/// (k + 1) · 5120/88200 s) and the display timer ticks every 25 ms (tick j at j/40 s). A block and a
/// tick at the same instant: the block first. Only whole blocks take part.
///
/// Blocks are fed one at a time, so a recording of any length streams through; the ticks that fall
/// before a block run when it is fed, the rest when the recording ends.
class TunerReplay {
public:
    static constexpr int32_t kRate = 88200;
    static constexpr int32_t kBlockSamples = 5120;
    static constexpr int32_t kInitialSamples = 1024;
    static constexpr int32_t kTicksPerSecond = 40;

    using BlockSink = std::function<void(std::span<const int16_t> block)>;
    using TickSink = std::function<void(int64_t tick)>;

    TunerReplay(BlockSink onBlock, TickSink onTick)
        : onBlock_(std::move(onBlock)), onTick_(std::move(onTick)) {}

    /// Number of display ticks a recording of that many samples yields.
    static int64_t tickCount(int64_t samples);

    /// The next block (kBlockSamples samples): the ticks due before it run first.
    void feed(std::span<const int16_t> block);
    /// The recording has ended: the ticks up to and at the last block's arrival run.
    void finish();

    int64_t blocksFed() const { return blocks_; }
    int64_t ticksRun() const { return ticks_; }

private:
    void tickWhile(const std::function<bool(int64_t tick)>& due);

    BlockSink onBlock_;
    TickSink onTick_;
    int64_t blocks_ = 0;
    int64_t ticks_ = 0;
};

} // namespace lctune
