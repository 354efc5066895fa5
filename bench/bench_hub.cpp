// The capture hub's two paths as the windows run them:
// - one whole display tick while tuning: waveform, spectrum and both level bars into the QImage
//   surfaces of the tuner window's pictures, and the analysis with its waveform plot (target:
//   median under 1 ms);
// - the block path of one captured buffer: copy, effects, WAV write (target: median under 100 µs).

#include "platform/PlainMessageLoop.h"
#include "platform/SystemAudio.h"
#include "platform/qt/QImagePlotSurface.h"
#include "recording/CaptureHub.h"
#include "tuner/TunerAnalysis.h"
#include "tuner/TunerSettings.h"

#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdio>
#include <numbers>
#include <unistd.h>

using namespace lctune;

namespace {

// A device that opens and takes buffers but never fills one: capture "runs" without a thread.
class IdleDevice : public WaveInDevice {
public:
    bool prepare(WaveHeader&) override { return true; }
    bool unprepare(WaveHeader&) override { return true; }
    bool addBuffer(WaveHeader&) override { return true; }
    bool start() override { return true; }
    bool stop() override { return true; }
    bool reset() override { return true; }
    bool close() override { return true; }
};

class IdleWaveIn : public WaveInService {
public:
    int32_t deviceCount() override { return 1; }
    std::string deviceName(int32_t) override { return "idle"; }
    std::unique_ptr<WaveInDevice> open(int32_t, const WaveFormat&, std::shared_ptr<NotificationTarget>,
                                       std::string&) override {
        return std::make_unique<IdleDevice>();
    }
};

std::vector<int16_t> pluckedBlock() {
    std::vector<int16_t> b(5120);
    for (size_t i = 0; i < b.size(); ++i) {
        const double t = static_cast<double>(i) / 88200.0;
        b[i] = static_cast<int16_t>(std::lround(
            16000 * std::exp(-2 * t) *
            (std::sin(2 * std::numbers::pi * 110 * t) + 0.4 * std::sin(2 * std::numbers::pi * 220 * t))));
    }
    return b;
}

struct Rig {
    IdleWaveIn waveIn;
    SystemAudio none = makeNoAudio();
    PlainMessageLoop loop;
    ConsoleMessageBox boxes;
    AppFlags flags;
    CaptureHub hub{waveIn, *none.mixers, loop, boxes, flags};
};

void BM_DisplayTickWhileTuning(benchmark::State& state) {
    const int scale = static_cast<int>(state.range(0));
    Rig rig;
    QImagePlotSurface ampl(250, 110, scale), freq(250, 110, scale), left(428, 14, scale),
        right(428, 14, scale), picture2(440, 110, scale);
    TunerSettings settings;
    TunerAnalysis analysis(settings, picture2, rig.flags);
    rig.hub.setDisplays({&ampl, &freq, &left, &right});
    rig.hub.setTuner(&analysis);
    rig.flags.tunerActive = true;
    if (rig.hub.startRecording(RecordingRequest{}) != StartResult::Started) state.SkipWithError("no capture");
    const std::vector<int16_t> block = pluckedBlock();
    for (auto _ : state) {
        state.PauseTiming();
        rig.hub.onBlock(block, 10240); // a fresh block, as between two ticks
        state.ResumeTiming();
        rig.hub.tick();
        analysis.drawPlot(); // every tick shown: the dearest case
        benchmark::DoNotOptimize(picture2.changeCount());
    }
}
BENCHMARK(BM_DisplayTickWhileTuning)->Arg(1)->Arg(2)->Unit(benchmark::kMicrosecond);

void BM_BlockPath(benchmark::State& state) {
    Rig rig;
    if (state.range(0) == 1) {
        rig.hub.effects().EffectsUsed(clsDSP::kEcho | clsDSP::kPhaseShift | clsDSP::kAmplifier);
        rig.hub.effects().AmplifyDB(0);
    }
    char name[] = "/tmp/lctune-bench-XXXXXX.wav";
    const int fd = mkstemps(name, 4);
    if (fd >= 0) ::close(fd);
    RecordingRequest request;
    request.path = name;
    if (rig.hub.startRecording(request) != StartResult::Started) state.SkipWithError("cannot record");
    const std::vector<int16_t> block = pluckedBlock();
    int64_t blocks = 0;
    for (auto _ : state) {
        rig.hub.onBlock(block, 10240);
        // Keep the file small: start again every minute of sound.
        if (++blocks % 1000 == 0) {
            state.PauseTiming();
            rig.hub.stopRecording();
            rig.hub.startRecording(request);
            state.ResumeTiming();
        }
    }
    rig.hub.stopRecording();
    std::remove(name);
}
BENCHMARK(BM_BlockPath)->Arg(0)->Arg(1)->ArgName("effects")->Unit(benchmark::kMicrosecond);

} // namespace
