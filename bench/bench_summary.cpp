// The tuning summary of a ten-minute recording: held notes with silences between (plucked strings
// and steady tones, as a rehearsal might hold), in memory and, as lctune-analyse --summary runs it,
// read from a WAV file and printed.

#include "core/Numbers.h"
#include "dsp/PluckedString.h"
#include "platform/MonoStream.h"
#include "recording/TuningSummary.h"
#include "tuner/SummaryReport.h"
#include "tuner/TunerAnalysis.h"

#include <benchmark/benchmark.h>
#include <sndfile.h>

#include <cmath>
#include <cstdio>
#include <numbers>
#include <string>
#include <unistd.h>
#include <vector>

using namespace lctune;

namespace {

constexpr double kRate = 88200;
constexpr double kSeconds = 600;

// Ten minutes: the six open strings plucked in turn, each followed by a held tone a few cents off
// and half a second of silence.
const std::vector<int16_t>& tenMinutes() {
    static const std::vector<int16_t> samples = [] {
        std::vector<int16_t> s;
        s.reserve(static_cast<size_t>(kSeconds * kRate));
        const double strings[] = {82.41, 110.0, 146.83, 196.0, 246.94, 329.63};
        for (uint32_t i = 0; s.size() < static_cast<size_t>(kSeconds * kRate); ++i) {
            const double hz = strings[i % 6] * std::exp2((static_cast<double>(i % 7) - 3) * 4 / 1200);
            const auto string =
                PluckedString{hz, kRate, 0.996, i, 30}.render(static_cast<int64_t>(2 * kRate));
            for (const double v : string)
                s.push_back(clip16(v * 20000));
            for (int64_t n = 0; n < static_cast<int64_t>(1.5 * kRate); ++n)
                s.push_back(
                    clip16(12000 * std::sin(2 * std::numbers::pi * hz * static_cast<double>(n) / kRate)));
            s.insert(s.end(), static_cast<size_t>(0.5 * kRate), 0);
        }
        s.resize(static_cast<size_t>(kSeconds * kRate));
        return s;
    }();
    return samples;
}

void BM_SummaryTenMinutesInMemory(benchmark::State& state) {
    const auto& samples = tenMinutes();
    int64_t notes = 0;
    for (auto _ : state) {
        TunerSettings settings;
        TuningSummary summary(settings, std::nullopt, [&](const HeldNote&) { ++notes; });
        summary.feed(samples);
        summary.finish();
    }
    state.counters["notes"] = static_cast<double>(notes) / static_cast<double>(state.iterations());
}
BENCHMARK(BM_SummaryTenMinutesInMemory)->Unit(benchmark::kMillisecond);

// What lctune-analyse --summary does: the file decoded piece by piece, the report formatted.
void BM_SummaryTenMinuteFile(benchmark::State& state) {
    const std::string path = "/tmp/lctune-bench-summary-" + std::to_string(getpid()) + ".wav";
    SF_INFO info{};
    info.samplerate = static_cast<int>(kRate);
    info.channels = 1;
    info.format = SF_FORMAT_WAV | SF_FORMAT_PCM_16;
    SNDFILE* f = sf_open(path.c_str(), SFM_WRITE, &info);
    const auto& samples = tenMinutes();
    sf_write_short(f, samples.data(), static_cast<sf_count_t>(samples.size()));
    sf_close(f);
    size_t bytes = 0;
    for (auto _ : state) {
        MonoStream stream;
        stream.open(path, TunerReplay::kRate);
        TunerSettings settings;
        SummaryReport report(SummaryReport::Format::Tsv);
        std::string out = report.header();
        TuningSummary summary(settings, std::nullopt, [&](const HeldNote& n) { out += report.add(n); });
        for (auto piece = stream.next(); !piece.empty(); piece = stream.next())
            summary.feed(piece);
        summary.finish();
        out += report.end();
        bytes = out.size();
    }
    std::remove(path.c_str());
    state.counters["report_bytes"] = static_cast<double>(bytes);
}
BENCHMARK(BM_SummaryTenMinuteFile)->Unit(benchmark::kMillisecond);

} // namespace
