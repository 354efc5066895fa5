// The tuner's per-tick analysis and the whole replay of a recording.

#include "core/PlotSurface.h"
#include "core/RecordingPlotSurface.h"
#include "recording/AnalysisReplay.h"
#include "tuner/TunerAnalysis.h"
#include "tuner/TunerReplay.h"

#include "BenchSignals.h"

#include <benchmark/benchmark.h>

#include <cmath>
#include <numbers>

using namespace lctune;
using lctune::bench::sine440;

namespace {

void BM_AnalyseBlock_NullSurface(benchmark::State& state) {
    TunerSettings settings;
    NullPlotSurface picture;
    AppFlags flags;
    TunerAnalysis tuner(settings, picture, flags);
    SampleBlock block = sine440(5120);
    for (auto _ : state) {
        tuner.分析频率(block);
        benchmark::DoNotOptimize(tuner.acceptCount());
    }
}
BENCHMARK(BM_AnalyseBlock_NullSurface)->Unit(benchmark::kMicrosecond);

void BM_AnalyseBlock_RecordingSurface(benchmark::State& state) {
    TunerSettings settings;
    RecordingPlotSurface picture;
    AppFlags flags;
    TunerAnalysis tuner(settings, picture, flags);
    SampleBlock block = sine440(5120);
    for (auto _ : state) {
        picture.forget();
        tuner.分析频率(block);
        benchmark::DoNotOptimize(picture.ops().size());
    }
}
BENCHMARK(BM_AnalyseBlock_RecordingSurface)->Unit(benchmark::kMicrosecond);

// One minute of a plucked-like decaying tone replayed tick by tick, as lctune-analyse does.
void BM_ReplayOneMinute(benchmark::State& state) {
    const size_t n = 60 * 88200;
    std::vector<int16_t> samples(n);
    for (size_t i = 0; i < n; ++i) {
        const double t = static_cast<double>(i % (3 * 88200)) / 88200.0;
        samples[i] = static_cast<int16_t>(
            std::lround(20000 * std::exp(-t) * std::sin(2 * std::numbers::pi * 110 * t)));
    }
    for (auto _ : state) {
        TunerSettings settings;
        int64_t rows = 0;
        AnalysisReplay replay(settings, std::nullopt, [&](const TunerRow& row) {
            rows += static_cast<int64_t>(formatTunerRow(row).size());
        });
        replay.run(samples);
        benchmark::DoNotOptimize(rows);
    }
    state.counters["x_realtime"] =
        benchmark::Counter(60.0 * static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_ReplayOneMinute)->Unit(benchmark::kMillisecond);

} // namespace
