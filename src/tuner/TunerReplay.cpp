#include "tuner/TunerReplay.h"

#include "core/Colors.h"

#include <cstdio>

namespace lctune {

std::string tunerTableHeader() {
    return "tick\ttime_s\t提示\t放大系数显示\t统计次数\t频率值\t音符\t标准频率\t电平表1\t背景";
}

std::string formatTunerRow(const TunerRow& row) {
    // tick · 25 ms, written from integers so no rounding can creep in.
    const int64_t ms = row.tick * 25;
    char time[48];
    std::snprintf(time, sizeof time, "%lld.%03lld", static_cast<long long>(ms / 1000),
                  static_cast<long long>(ms % 1000));
    std::string line = std::to_string(row.tick) + '\t' + time;
    for (const std::string* field :
         {&row.提示, &row.放大系数显示, &row.统计次数, &row.频率值, &row.音符, &row.标准频率}) {
        line += '\t';
        line += *field;
    }
    line += '\t' + std::to_string(row.电平表1) + '\t' + colorHex(row.background);
    return line;
}

TunerRow snapshot(const TunerAnalysis& a, int64_t tick) {
    return TunerRow{
        tick,          a.提示.Text(),     a.放大系数显示.Text(), a.统计次数label.Text(), a.频率值.Text(),
        a.音符.Text(), a.标准频率.Text(), a.电平表1.Value(),     a.频率值.BackColor()};
}

// Tick j falls at j / 40 s, block k arrives at (k + 1) · 5120 / 88200 s. Both sides multiplied by
// 88200 · 40 keep the comparison in integers: tick j at j · 88200, block k at (k + 1) · 204800.
int64_t TunerReplay::tickCount(int64_t samples) {
    const int64_t blocks = samples / kBlockSamples;
    return blocks * kBlockSamples * kTicksPerSecond / kRate;
}

void TunerReplay::tickWhile(const std::function<bool(int64_t tick)>& due) {
    while (due(ticks_ + 1)) {
        ++ticks_;
        onTick_(ticks_);
    }
}

void TunerReplay::feed(std::span<const int16_t> block) {
    const int64_t arrival = (blocks_ + 1) * kBlockSamples * kTicksPerSecond;
    tickWhile([&](int64_t j) { return j * kRate < arrival; });
    ++blocks_;
    onBlock_(block);
}

void TunerReplay::finish() {
    const int64_t last = blocks_ * kBlockSamples * kTicksPerSecond;
    tickWhile([&](int64_t j) { return j * kRate <= last; });
}

} // namespace lctune
