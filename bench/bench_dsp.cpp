// Costs of the signal work done on every 25 ms display tick and every captured block.

#include "core/PlotSurface.h"
#include "dsp/clsDSP.h"
#include "dsp/clsDraw.h"
#include "dsp/clsFourier.h"

#include <benchmark/benchmark.h>

#include <cmath>
#include <numbers>
#include <vector>

using namespace lctune;

namespace {

std::vector<int16_t> testBlock(size_t count = 5120) {
    std::vector<int16_t> s(count);
    for (size_t i = 0; i < count; ++i)
        s[i] = static_cast<int16_t>(
            std::lround(12000 * std::sin(2 * std::numbers::pi * 110 * double(i) / 88200) +
                        3000 * std::sin(2 * std::numbers::pi * 1870 * double(i) / 88200)));
    return s;
}

// One spectrum: all 1024 windowed inputs written, all 513 magnitudes read.
void BM_Fourier1024WithWindow(benchmark::State& state) {
    const auto block = testBlock(1024);
    clsFourier fft;
    fft.NumberOfSamples(1024);
    fft.WithTimeWindow(true);
    for (auto _ : state) {
        for (int32_t k = 1; k <= 1024; ++k)
            fft.RealIn(k, block[static_cast<size_t>(k - 1)]);
        double sum = 0;
        for (int32_t j = 1; j <= 513; ++j)
            sum += fft.ComplexOut(j);
        benchmark::DoNotOptimize(sum);
    }
}
BENCHMARK(BM_Fourier1024WithWindow)->Unit(benchmark::kMicrosecond);

// The copy of the block is part of every iteration so each run starts from the same samples.
void BM_ProcessSamplesAllEffects(benchmark::State& state) {
    const auto original = testBlock();
    std::vector<int16_t> block;
    clsDSP dsp;
    dsp.samplerate(88200);
    dsp.Channels(1);
    dsp.EffectsUsed(clsDSP::kAmplifier | clsDSP::kEcho | clsDSP::kPhaseShift);
    for (auto _ : state) {
        block = original;
        dsp.ProcessSamples(block);
        benchmark::DoNotOptimize(block.data());
    }
}
BENCHMARK(BM_ProcessSamplesAllEffects)->Unit(benchmark::kMicrosecond);

void BM_EqualiserSevenBands(benchmark::State& state) {
    const auto original = testBlock();
    std::vector<int16_t> block;
    clsDSP dsp;
    dsp.samplerate(88200);
    dsp.Channels(1);
    const float gains[] = {6, -4, 3, -2, 5, -6, 2};
    for (int32_t i = 0; i < 7; ++i)
        dsp.EqualizerBandGainDB(i, gains[i]);
    for (auto _ : state) {
        block = original;
        dsp.均衡处理子程序(block);
        benchmark::DoNotOptimize(block.data());
    }
}
BENCHMARK(BM_EqualiserSevenBands)->Unit(benchmark::kMicrosecond);

void BM_DrawFrequencies(benchmark::State& state) {
    const auto block = testBlock();
    NullPlotSurface picbox(100, 60);
    clsDraw draw;
    for (auto _ : state)
        draw.DrawFrequencies(block, picbox);
}
BENCHMARK(BM_DrawFrequencies)->Unit(benchmark::kMicrosecond);

} // namespace
