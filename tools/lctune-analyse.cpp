// lctune-analyse: runs the tuner's own analysis over a recording and prints, tick by tick, what
// the tuner window shows.

#include "core/PlotSurface.h"
#include "platform/MessageBoxService.h"
#include "platform/MonoStream.h"
#include "platform/PlainMessageLoop.h"
#include "platform/SystemAudio.h"
#include "recording/AnalysisReplay.h"
#include "recording/CaptureHub.h"
#include "tools/ToolOptions.h"
#include "tuner/TunerAnalysis.h"
#include "tuner/TunerReplay.h"

#include <optional>

#include <array>
#include <charconv>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <iostream>
#include <string>
#include <unistd.h>
#include <vector>

using namespace lctune;

namespace {

const char* kUsage = R"(Usage: lctune-analyse [options] FILE

Runs the tuner's analysis over a recording (any format libsndfile reads, floating-point WAV
included; mixed to one channel and converted to 88200 samples per second, as a stream, so any
length fits in a few megabytes) and prints, for every 25 ms display tick, what the tuner shows:
a tab-separated table with a header line. A recording shorter than one capture block (5120
samples at 88200 Hz) gives the header only, and says so on stderr.

Options:
  --divider N     analyse once every N display ticks (1-25, default 1)
  --lock P        lock volume percentage (1-100, default 20)
  --schmitt Q     Schmitt-trigger percentage (0-100, default 66)
  --coef C        low-pass filter coefficient (1-100, default 50)
  --no-filter     switch off the infrasound and low-pass filters
  --no-amplify    switch off the second normalisation
  --continuous    average all accepted periods since the last pluck
  --eq G0,...,G6  switch the equaliser on with these seven band gains in dB (-12 to 12)
  --input N       tune live from input device N ("default" for device 0) instead of a FILE,
                  until Ctrl-C; a device that fails or stays silent for five seconds ends it
                  with status 2
  --help          show this text
  --version       show the version

Exit status: 0 on success; 2 for bad options, an unreadable recording, a lost input device or
output that could not be written.
)";

struct Options {
    TunerSettings settings;
    std::string file;
    int32_t input = -1; // live from this device when 0 or more
    bool eq = false;
    std::array<float, 7> eqGains{};
};

// Seven comma-separated gains in dB, each from -12 to 12.
bool parseEqGains(const std::string& text, std::array<float, 7>& gains) {
    const char* p = text.data();
    const char* end = p + text.size();
    for (size_t i = 0; i < gains.size(); ++i) {
        double g = 0;
        const auto [next, ec] = std::from_chars(p, end, g);
        if (ec != std::errc() || !(g >= -12 && g <= 12)) return false;
        gains[i] = static_cast<float>(g);
        p = next;
        if (i + 1 < gains.size() && (p == end || *p++ != ',')) return false;
    }
    return p == end;
}

volatile std::sig_atomic_t gInterrupted = 0;

// The needle as text: 41 places for -20 … 20, the middle marked.
std::string needleText(int32_t value) {
    std::string needle(41, '-');
    needle[20] = '|';
    needle[static_cast<size_t>(std::clamp(value, -20, 20) + 20)] = '#';
    return "[" + needle + "]";
}

// The live tuner: capture at 88200 Hz in one channel through the capture hub, and the analysis on
// every 25 ms display tick, as the tuner window runs it.
int runLive(const Options& opt, OptionParser& parser) {
    SystemAudio audio = makeSystemAudio();
    PlainMessageLoop loop;
    ConsoleMessageBox messageBoxes;
    AppFlags flags;
    CaptureHub hub(*audio.waveIn, *audio.mixers, loop, messageBoxes, flags);
    WaveInRecorder& recorder = hub.recorder();
    if (opt.input >= recorder.DeviceCount())
        return parser.fail("there is no input device " + std::to_string(opt.input) +
                           " (see lctune-record --list-devices)");
    if (opt.input > 0 && !recorder.SelectDevice(opt.input))
        return parser.fail("input device " + std::to_string(opt.input) + " cannot be selected");

    NullPlotSurface picture;
    TunerAnalysis analysis(opt.settings, picture, flags);
    hub.setTuner(&analysis);
    if (opt.eq) {
        flags.eqEnabled = true;
        for (int32_t i = 0; i < 7; ++i) {
            hub.effects().EqualizerBandGainDB(i, opt.eqGains[static_cast<size_t>(i)]);
            if (opt.eqGains[static_cast<size_t>(i)] != 0) flags.eqFlat = false;
        }
    }

    std::string lost;
    recorder.DeviceLost.connect([&](const std::string& why) { lost = why; });

    struct sigaction sa {};
    sa.sa_handler = [](int) { gInterrupted = 1; };
    sigaction(SIGINT, &sa, nullptr);
    sigaction(SIGTERM, &sa, nullptr);
    // The tuner's start: capture for the analysis only, no file.
    flags.tunerActive = true;
    if (hub.startRecording(RecordingRequest{}) != StartResult::Started)
        return parser.fail("cannot open input device " + std::to_string(opt.input) + " (" +
                           recorder.DeviceName(opt.input) + "): " + recorder.lastError());

    const bool terminal = isatty(STDOUT_FILENO) != 0;
    ToolOutput out;
    if (!terminal) out.write(tunerTableHeader() + "\n");
    const auto start = std::chrono::steady_clock::now();
    int64_t tick = 0;
    while (!gInterrupted && lost.empty() && !out.failed()) {
        const auto due = start + std::chrono::milliseconds(25 * (tick + 1));
        while (!gInterrupted && std::chrono::steady_clock::now() < due) {
            const auto left =
                std::chrono::duration_cast<std::chrono::milliseconds>(due - std::chrono::steady_clock::now());
            loop.waitAndRun(std::max(left, std::chrono::milliseconds(1)));
        }
        if (gInterrupted) break;
        ++tick;
        hub.tick(); // checks the device too
        if (!lost.empty()) break;
        const TunerRow row = snapshot(analysis, tick);
        if (terminal) {
            char line[512];
            std::snprintf(line, sizeof line, "\r%-10s %-12s standard %-10s %s %s\x1b[K", row.音符.c_str(),
                          row.频率值.c_str(), row.标准频率.c_str(), needleText(row.电平表1).c_str(),
                          row.提示.c_str());
            out.write(line);
        } else {
            out.write(formatTunerRow(row) + "\n");
        }
        out.flush();
    }
    const bool stopped = hub.stopRecording();
    if (terminal) out.write("\n");
    out.flush();
    if (out.failed()) return parser.fail(out.error());
    if (!lost.empty()) return parser.fail("the input device was lost (" + lost + ")");
    if (!stopped) return parser.fail("the input device did not stop cleanly (is the sound server frozen?)");
    return 0;
}

// The analysis of a recording, streamed: decoded, mixed and converted piece by piece, so the memory
// it needs does not grow with the length.
int runFile(const Options& opt, OptionParser& parser) {
    MonoStream stream;
    if (!stream.open(opt.file, TunerReplay::kRate)) return parser.fail(stream.error());
    ToolOutput out;
    // The header waits in the output's buffer until there is a row: a recording without samples
    // prints nothing on stdout.
    out.write(tunerTableHeader() + "\n");
    AnalysisReplay replay(opt.settings, opt.eq ? std::optional(opt.eqGains) : std::nullopt,
                          [&](const TunerRow& row) { out.write(formatTunerRow(row) + "\n"); });
    for (auto piece = stream.next(); !piece.empty() && !out.failed(); piece = stream.next())
        replay.feed(piece);
    if (out.failed()) return parser.fail(out.error());
    if (stream.failed()) return parser.fail(stream.error());
    if (stream.samples() == 0) return parser.fail(opt.file + ": the recording holds no samples");
    replay.finish();
    if (!out.flush()) return parser.fail(out.error());
    if (stream.samples() < TunerReplay::kBlockSamples)
        std::fprintf(stderr,
                     "lctune-analyse: %s: shorter than one block (%d samples at %d Hz); nothing to analyse\n",
                     opt.file.c_str(), TunerReplay::kBlockSamples, TunerReplay::kRate);
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    Options opt;
    OptionParser parser("lctune-analyse", argc, argv);
    while (parser.next()) {
        const std::string& name = parser.name();
        if (parser.helpOrVersion(kUsage)) {
            return parser.finishOutput();
        } else if (name == "--divider") {
            if (!parser.intValue(1, 25, opt.settings.divider)) return parser.fail();
        } else if (name == "--lock") {
            if (!parser.intValue(1, 100, opt.settings.lockPercent)) return parser.fail();
        } else if (name == "--schmitt") {
            if (!parser.intValue(0, 100, opt.settings.schmittPercent)) return parser.fail();
        } else if (name == "--coef") {
            if (!parser.intValue(1, 100, opt.settings.filterCoefficient)) return parser.fail();
        } else if (name == "--no-filter") {
            if (!parser.flag(opt.settings.filter, false)) return parser.fail();
        } else if (name == "--no-amplify") {
            if (!parser.flag(opt.settings.amplify, false)) return parser.fail();
        } else if (name == "--continuous") {
            if (!parser.flag(opt.settings.continuous, true)) return parser.fail();
        } else if (name == "--eq") {
            std::string gains;
            if (!parser.stringValue(gains)) return parser.fail();
            if (!parseEqGains(gains, opt.eqGains))
                return parser.fail("--eq needs seven comma-separated gains from -12 to 12 dB, not '" + gains +
                                   "'");
            opt.eq = true;
        } else if (name == "--input") {
            std::string device;
            if (!parser.stringValue(device)) return parser.fail();
            const auto [end, ec] = std::from_chars(device.data(), device.data() + device.size(), opt.input);
            if (device == "default")
                opt.input = 0;
            else if (ec != std::errc() || end != device.data() + device.size() || opt.input < 0)
                return parser.fail("--input needs a device number or \"default\", not '" + device + "'");
        } else if (parser.isPositional()) {
            if (!opt.file.empty()) return parser.fail("only one FILE may be given");
            opt.file = name;
        } else {
            return parser.fail("unknown option " + name);
        }
    }
    if (parser.failed()) return parser.fail();
    if (opt.input >= 0 && !opt.file.empty()) return parser.fail("give either --input or a FILE, not both");
    if (opt.input >= 0) return runLive(opt, parser);
    if (opt.file.empty()) return parser.fail("no FILE given (see --help)");
    return runFile(opt, parser);
}
