// lctune-analyse over a 30-minute recording, as a user runs it: wall-clock time and the peak
// resident memory of the program (its maximum resident set, from the kernel's accounting of the
// child process). Two recordings: 44100 Hz stereo (mixed and converted to 88200 Hz) and 88200 Hz
// mono (analysed as it is). The analysis streams, so the memory stays the same for any length
// (the aim is under 30 MB).
//
// The program measured is the built lctune-analyse, or the one the environment variable
// LCTUNE_ANALYSE names (to compare with another build). The recordings are written next to the
// benchmark program and removed afterwards; each run takes about a minute and a half.

#include <benchmark/benchmark.h>

#include <chrono>
#include <cmath>
#include <cstdlib>
#include <fcntl.h>
#include <numbers>
#include <sndfile.h>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace {

constexpr int kSeconds = 30 * 60;

std::string analyseProgram() {
    const char* chosen = std::getenv("LCTUNE_ANALYSE");
    return chosen && *chosen ? chosen : std::string(LCTUNE_TOOLS_DIR) + "/lctune-analyse";
}

// A plucked-sounding note every two seconds (a decaying tone and its octave, stepping through a
// few pitches), slightly different in each channel, written one second at a time.
bool writeRecording(const std::string& path, int rate, int channels) {
    SF_INFO info{};
    info.samplerate = rate;
    info.channels = channels;
    info.format = SF_FORMAT_WAV | SF_FORMAT_PCM_16;
    SNDFILE* f = sf_open(path.c_str(), SFM_WRITE, &info);
    if (!f) return false;
    const double pitches[] = {82.41, 110.0, 146.83, 196.0, 246.94, 329.63};
    std::vector<int16_t> second(static_cast<size_t>(rate * channels));
    bool ok = true;
    for (int s = 0; s < kSeconds && ok; ++s) {
        for (int i = 0; i < rate; ++i) {
            const int64_t n = static_cast<int64_t>(s) * rate + i;
            const int note = static_cast<int>(n / (2 * rate));
            const double t = static_cast<double>(n % (2 * rate)) / rate;
            const double f0 = pitches[note % 6];
            const double v = std::exp(-2.0 * t) * (std::sin(2 * std::numbers::pi * f0 * t) +
                                                   0.4 * std::sin(4 * std::numbers::pi * f0 * t));
            for (int c = 0; c < channels; ++c)
                second[static_cast<size_t>(i * channels + c)] =
                    static_cast<int16_t>(std::lrint(v * (16000 - 3000 * c)));
        }
        ok = sf_writef_short(f, second.data(), rate) == rate;
    }
    return sf_close(f) == 0 && ok;
}

// Runs the program over `path` with its table thrown away; the wall-clock seconds and the peak
// resident memory in bytes, or a status other than 0.
struct Run {
    int status = -1;
    double seconds = 0;
    double peakBytes = 0;
};

Run analyse(const std::string& path) {
    Run r;
    const std::string program = analyseProgram();
    const auto begun = std::chrono::steady_clock::now();
    const pid_t pid = fork();
    if (pid == 0) {
        const int devNull = ::open("/dev/null", O_WRONLY);
        dup2(devNull, STDOUT_FILENO);
        execl(program.c_str(), program.c_str(), path.c_str(), static_cast<char*>(nullptr));
        _exit(127);
    }
    int status = 0;
    rusage usage{};
    if (pid < 0 || wait4(pid, &status, 0, &usage) != pid) return r;
    r.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - begun).count();
    r.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    r.peakBytes = static_cast<double>(usage.ru_maxrss) * 1024.0;
    return r;
}

void BM_AnalyseThirtyMinutes(benchmark::State& state) {
    const int rate = static_cast<int>(state.range(0));
    const int channels = static_cast<int>(state.range(1));
    const std::string path =
        "./bench-analyse-" + std::to_string(rate) + "-" + std::to_string(channels) + ".wav";
    if (!writeRecording(path, rate, channels)) {
        state.SkipWithError("cannot write the recording");
        return;
    }
    double peak = 0;
    for (auto _ : state) {
        const Run r = analyse(path);
        if (r.status != 0) {
            state.SkipWithError("lctune-analyse failed");
            break;
        }
        state.SetIterationTime(r.seconds);
        peak = std::max(peak, r.peakBytes);
    }
    state.counters["peak_rss_MB"] = peak / 1e6;
    state.counters["audio_s"] = kSeconds;
    unlink(path.c_str());
}
BENCHMARK(BM_AnalyseThirtyMinutes)
    ->ArgNames({"rate", "channels"})
    ->Args({44100, 2})
    ->Args({88200, 1})
    ->Iterations(1)
    ->UseManualTime()
    ->Unit(benchmark::kSecond);

} // namespace
