// Plots drawn into the retained QImage surfaces of the windows: the tuner's analysis with its
// waveform plot (one segment per sample) and the amplitude plot, at device pixel ratios 1 and 2;
// and, for comparison, the same waveform segments drawn with QPainter's own cosmetic lines.

#include "dsp/clsDraw.h"
#include "platform/qt/QImagePlotSurface.h"
#include "tuner/TunerAnalysis.h"

#include <QImage>
#include <QPainter>

#include "BenchSignals.h"

#include <benchmark/benchmark.h>

#include <cmath>
#include <numbers>
#include <vector>

using namespace lctune;
using lctune::bench::sine440;

namespace {

void BM_AnalyseBlock_QImageSurface(benchmark::State& state) {
    TunerSettings settings;
    QImagePlotSurface picture(300, 100, static_cast<int>(state.range(0)));
    AppFlags flags;
    TunerAnalysis tuner(settings, picture, flags);
    SampleBlock block = sine440(5120);
    for (auto _ : state) {
        tuner.分析频率(block);
        benchmark::DoNotOptimize(picture.changeCount());
    }
}
BENCHMARK(BM_AnalyseBlock_QImageSurface)->Arg(1)->Arg(2)->Unit(benchmark::kMicrosecond);

void BM_DrawAmplitudes_QImageSurface(benchmark::State& state) {
    QImagePlotSurface picture(297, 100, static_cast<int>(state.range(0)));
    clsDraw draw;
    SampleBlock block = sine440(5120);
    for (auto _ : state) {
        draw.DrawAmplitudes(block, picture);
        benchmark::DoNotOptimize(picture.changeCount());
    }
}
BENCHMARK(BM_DrawAmplitudes_QImageSurface)->Arg(1)->Arg(2)->Unit(benchmark::kMicrosecond);

// 5120 short segments across a 300 x 100 plot, as the tuner's waveform draws them.
struct Segment {
    double x1, y1, x2, y2;
};

const std::vector<Segment>& waveformSegments() {
    static const std::vector<Segment> segments = [] {
        std::vector<Segment> v;
        double previous = 50;
        for (int i = 0; i < 5120; ++i) {
            const double y = 50 + 40 * std::sin(2 * std::numbers::pi * 440.0 * i / 88200.0);
            v.push_back({i * 300.0 / 5120, previous, (i + 1) * 300.0 / 5120, y});
            previous = y;
        }
        return v;
    }();
    return segments;
}

void BM_WaveformSegments_QImageSurface(benchmark::State& state) {
    QImagePlotSurface picture(300, 100);
    for (auto _ : state)
        for (const Segment& s : waveformSegments())
            picture.line(s.x1, s.y1, s.x2, s.y2, 0xFFFF00);
    benchmark::DoNotOptimize(picture.changeCount());
}
BENCHMARK(BM_WaveformSegments_QImageSurface)->Unit(benchmark::kMicrosecond);

void BM_WaveformSegments_QPainter(benchmark::State& state) {
    QImage image(300, 100, QImage::Format_RGB32);
    for (auto _ : state) {
        QPainter painter(&image);
        painter.setPen(QPen(QColor(0, 255, 255), 0));
        for (const Segment& s : waveformSegments())
            painter.drawLine(QPointF(s.x1, s.y1), QPointF(s.x2, s.y2));
    }
    benchmark::DoNotOptimize(image.constBits());
}
BENCHMARK(BM_WaveformSegments_QPainter)->Unit(benchmark::kMicrosecond);

} // namespace
