// Redraw costs of the self-drawn widgets (offscreen): a push button whose face comes from the
// shared store, the adjustable bar while it is dragged, and the fader.
#include "platform/ScreenMetrics.h"
#include "widgets/LCButton.h"
#include "widgets/可调水平进度条.h"
#include "widgets/直滑电位器.h"

#include <QApplication>
#include <QMouseEvent>

#include <benchmark/benchmark.h>

#include <cstdlib>

using namespace lctune;

namespace {

void showAndSettle(QWidget& widget) {
    widget.show();
    QApplication::processEvents();
}

void BM_LCButtonRedrawCachedFace(benchmark::State& state) {
    LCButton button;
    button.resize(96, 28);
    button.Caption("开始");
    showAndSettle(button);
    button.重绘(); // the face is in the store from here on
    for (auto _ : state) {
        button.重绘();
        benchmark::DoNotOptimize(button.surface().constBits());
    }
}
BENCHMARK(BM_LCButtonRedrawCachedFace);

void BM_AdjustableBarDrag(benchmark::State& state) {
    可调水平进度条 bar;
    bar.setGeometryTwips(0, 0, 3600, 285);
    showAndSettle(bar);
    const TwipsRect area = bar.dragArea();
    const int left = static_cast<int>(area.left / 15) + 4;
    const int right = static_cast<int>((area.left + area.width) / 15) - 4;
    const int y = static_cast<int>((area.top + 60) / 15);
    QMouseEvent down(QEvent::MouseButtonPress, QPointF(left, y), QPointF(left, y), Qt::LeftButton,
                     Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&bar, &down);
    int x = left;
    for (auto _ : state) {
        x = x >= right ? left : x + 1;
        QMouseEvent move(QEvent::MouseMove, QPointF(x, y), QPointF(x, y), Qt::NoButton, Qt::LeftButton,
                         Qt::NoModifier);
        QApplication::sendEvent(&bar, &move);
        benchmark::DoNotOptimize(bar.surface().constBits());
    }
}
BENCHMARK(BM_AdjustableBarDrag);

void BM_AdjustableBarFullRedraw(benchmark::State& state) {
    可调水平进度条 bar;
    bar.setGeometryTwips(0, 0, 3600, 285);
    bar.Value(37);
    showAndSettle(bar);
    for (auto _ : state) {
        bar.无条件绘控件();
        benchmark::DoNotOptimize(bar.surface().constBits());
    }
}
BENCHMARK(BM_AdjustableBarFullRedraw);

void BM_FaderRedraw(benchmark::State& state) {
    直滑电位器 fader;
    showAndSettle(fader);
    int v = 0;
    for (auto _ : state) {
        v = (v + 1) % 101;
        fader.Value(static_cast<float>(v));
        benchmark::DoNotOptimize(fader.surface().constBits());
    }
}
BENCHMARK(BM_FaderRedraw);

} // namespace

int main(int argc, char** argv) {
    if (std::getenv("QT_QPA_PLATFORM") == nullptr) setenv("QT_QPA_PLATFORM", "offscreen", 1);
    QApplication app(argc, argv);
    static const FixedScreenMetrics metrics;
    ScreenMetrics::install(&metrics);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
