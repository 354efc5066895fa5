// Capture and recording costs:
// - the WAV writer against a plain write() of the same bytes to the same disk (the writer should
//   stay within 1.3 times the plain write); throughput is bytes per second of wall-clock time;
// - the latency from a buffer that the capture thread has filled to its GotData running on the
//   waiting thread, median and 99th percentile, over the virtual input's real-time capture.

#include "capture/WaveInRecorder.h"
#include "platform/MessageBoxService.h"
#include "platform/PlainMessageLoop.h"
#include "platform/VirtualWaveIn.h"
#include "recording/EncoderWAV.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <fcntl.h>
#include <map>
#include <string>
#include <unistd.h>
#include <vector>

using namespace lctune;

namespace {

// Next to the benchmark program, so both runs write to the same disk.
std::string scratchPath(const char* name) {
    return std::string("./") + name;
}

constexpr int kBlockBytes = 10240;
constexpr int kBlocks = 3200; // 32 MB, about three minutes of 88200 Hz mono

void BM_EncoderWAV(benchmark::State& state) {
    std::vector<int16_t> block(kBlockBytes / 2);
    for (size_t i = 0; i < block.size(); ++i)
        block[i] = static_cast<int16_t>(i * 37);
    const std::string path = scratchPath("bench-encoder.wav");
    AppFlags flags;
    for (auto _ : state) {
        EncoderWAV enc(WaveFormat::pcm(88200, 1, 16), flags);
        if (enc.Encoder_EncoderInit(88200, 1, path) != 0) state.SkipWithError("cannot create the file");
        int32_t used = 0;
        for (int i = 0; i < kBlocks; ++i)
            enc.Encoder_Encode(block.data(), kBlockBytes, used);
        enc.Encoder_EncoderClose();
    }
    state.SetBytesProcessed(state.iterations() * int64_t{kBlocks} * kBlockBytes);
    unlink(path.c_str());
}
BENCHMARK(BM_EncoderWAV)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_PlainWrite(benchmark::State& state) {
    std::vector<int16_t> block(kBlockBytes / 2);
    for (size_t i = 0; i < block.size(); ++i)
        block[i] = static_cast<int16_t>(i * 37);
    const std::string path = scratchPath("bench-plain.raw");
    for (auto _ : state) {
        const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
        if (fd < 0) state.SkipWithError("cannot create the file");
        for (int i = 0; i < kBlocks; ++i)
            benchmark::DoNotOptimize(::write(fd, block.data(), kBlockBytes));
        ::close(fd);
    }
    state.SetBytesProcessed(state.iterations() * int64_t{kBlocks} * kBlockBytes);
    unlink(path.c_str());
}
BENCHMARK(BM_PlainWrite)->Unit(benchmark::kMillisecond)->UseRealTime();

// Passes everything through and remembers which header belongs to which buffer memory.
class WatchedDevice : public WaveInDevice {
public:
    WatchedDevice(std::unique_ptr<WaveInDevice> inner, std::map<const int16_t*, WaveHeader*>& headers)
        : inner_(std::move(inner)), headers_(headers) {}
    bool prepare(WaveHeader& h) override {
        headers_[h.data] = &h;
        return inner_->prepare(h);
    }
    bool unprepare(WaveHeader& h) override { return inner_->unprepare(h); }
    bool addBuffer(WaveHeader& h) override { return inner_->addBuffer(h); }
    bool start() override { return inner_->start(); }
    bool stop() override { return inner_->stop(); }
    bool reset() override { return inner_->reset(); }
    bool close() override { return inner_->close(); }

private:
    std::unique_ptr<WaveInDevice> inner_;
    std::map<const int16_t*, WaveHeader*>& headers_;
};

class WatchedService : public WaveInService {
public:
    explicit WatchedService(WaveInService& inner) : inner_(inner) {}
    int32_t deviceCount() override { return inner_.deviceCount(); }
    std::string deviceName(int32_t i) override { return inner_.deviceName(i); }
    std::unique_ptr<WaveInDevice> open(int32_t i, const WaveFormat& f, std::shared_ptr<NotificationTarget> t,
                                       std::string& error) override {
        auto device = inner_.open(i, f, std::move(t), error);
        return device ? std::make_unique<WatchedDevice>(std::move(device), headers) : nullptr;
    }
    std::map<const int16_t*, WaveHeader*> headers;

private:
    WaveInService& inner_;
};

class NoMixers : public MixerService {
public:
    std::unique_ptr<AudioMixer> openForWaveIn(int32_t) override { return nullptr; }
};

void BM_BufferToGotDataLatency(benchmark::State& state) {
    VirtualWaveIn tone("tone:440");
    WatchedService service(tone);
    NoMixers mixers;
    PlainMessageLoop loop;
    ConsoleMessageBox boxes;
    std::vector<double> latencies;
    for (auto _ : state) {
        WaveInRecorder recorder(service, mixers, loop, boxes);
        recorder.GotData.connect([&](std::span<int16_t> block, int32_t&) {
            const int64_t now = std::chrono::duration_cast<std::chrono::nanoseconds>(
                                    std::chrono::steady_clock::now().time_since_epoch())
                                    .count();
            latencies.push_back(static_cast<double>(now - service.headers.at(block.data())->doneNanos) /
                                1000.0);
        });
        recorder.StartRecord(88200, 1);
        const size_t wanted = latencies.size() + static_cast<size_t>(state.range(0));
        loop.runUntil([&] { return latencies.size() >= wanted; }, std::chrono::seconds(60));
        recorder.StopRecord();
    }
    std::sort(latencies.begin(), latencies.end());
    if (latencies.empty()) return;
    state.counters["median_us"] = latencies[latencies.size() / 2];
    state.counters["p99_us"] = latencies[std::min(latencies.size() - 1, latencies.size() * 99 / 100)];
    state.counters["max_us"] = latencies.back();
    state.counters["buffers"] = static_cast<double>(latencies.size());
}
// 200 buffers of 5120 samples at 88200 Hz: about twelve seconds of real time.
BENCHMARK(BM_BufferToGotDataLatency)->Arg(200)->Iterations(1)->Unit(benchmark::kMillisecond);

} // namespace
