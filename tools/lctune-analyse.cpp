// lctune-analyse: runs the tuner's own analysis over a recording and prints, tick by tick, what
// the tuner window shows.

#include "core/PlotSurface.h"
#include "platform/MessageBoxService.h"
#include "platform/MonoStream.h"
#include "platform/PlainMessageLoop.h"
#include "platform/ReplacingFile.h"
#include "platform/SystemAudio.h"
#include "recording/AnalysisReplay.h"
#include "recording/CaptureHub.h"
#include "recording/TuningSummary.h"
#include "tools/ToolOptions.h"
#include "tuner/SummaryPlot.h"
#include "tuner/SummaryReport.h"
#include "tuner/TunerAnalysis.h"
#include "tuner/TunerReplay.h"

#include <optional>

#include <array>
#include <charconv>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <filesystem>
#include <iostream>
#include <string>
#include <unistd.h>
#include <vector>

using namespace lctune;

namespace {

const char* kUsage = R"(Usage: lctune-analyse [options] FILE
       lctune-analyse --summary [--format text|tsv|json] [--plot PICTURE.svg] [options] FILE

Runs the tuner's analysis over a recording (any format libsndfile reads, floating-point WAV
included; mixed to one channel and converted to 88200 samples per second, as a stream, so any
length fits in a few megabytes) and prints, for every 25 ms display tick, what the tuner shows:
a tab-separated table with a header line. A recording shorter than one capture block (5120
samples at 88200 Hz) gives the header only, and says so on stderr.

With --summary it prints a tuning report instead: one line per held note, as each ends, then a
line that sums up (notes, how many in tune, the mean absolute deviation). Columns: start and end
(seconds of the recording that the note's readings heard, in blocks of 5120 samples), the note as
the tuner shows it (without its arrow), the standard and the measured frequency (Hz, to 0.01),
the deviation and the spread (cents, to 0.1) and the verdict: 准 within 5 cents, otherwise
偏高 N (sharp) or 偏低 N (flat) with N the cents, e.g. "偏低 30.0".
  - A tick reads a note when the tuner is measuring (分析中！), the frequency on display was
    measured since its last lock, and the block of samples the tick heard holds a tone within a
    semitone of that note.
  - A held note is a run of readings of the same note that heard at least 150 ms of the
    recording (three blocks).
  - A glitch is what lies between two readings of a note: ticks reading another note, ticks where
    the tuner is locked (low level, waiting for a pluck, an inconsistent period), ticks without a
    fresh reading. It does not split the note when less than 100 ms of the recording went unread
    between the two readings (at most one block); 100 ms or more end the note at its last
    reading. (Measured on the recording: the display stretches every disturbance with its own
    locks, a 20 ms click to 125 ms.)
  - The measured frequency comes from the phase advance of the fundamental from one period to the
    next (frames of four periods, Hann window), over every block the note's readings heard, each
    weighted by the strength of its tone, leaving out steps where the tone is not steady (starts,
    stops, a new pluck) and blocks far outside the note's spread. Clean tones and plucked strings
    come out within 0.1 cent.
  - The spread is the interquartile range of the tick-by-tick deviations, each tick's measured
    the same way over the block it heard (the display's own frequency freezes 0.2 s into a pluck).
No held note: the header only (text, tsv) or an empty list (json), and "no held note found" on
stderr; the status is 0.

Options:
  --divider N     analyse once every N display ticks (1-25, default 1)
  --lock P        lock volume percentage (1-100, default 20)
  --schmitt Q     Schmitt-trigger percentage (0-100, default 66)
  --coef C        low-pass filter coefficient (1-100, default 50)
  --no-filter     switch off the infrasound and low-pass filters
  --no-amplify    switch off the second normalisation
  --continuous    average all accepted periods since the last pluck
  --eq G0,...,G6  switch the equaliser on with these seven band gains in dB (-12 to 12)
  --summary       print the tuning report instead of the table
  --format F      the report as aligned text (text, the default on a terminal), tab-separated
                  values with a header line and a last "#" line (tsv, the default otherwise) or
                  one JSON object {"notes": [...], "summary": {...}} (json)
  --plot FILE     also draw the report as a picture (SVG; implies --summary): the deviation of
                  each held note over time, -50 to +50 cents, with the 5-cent zone shaded
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
    bool summary = false;
    std::optional<SummaryReport::Format> format;
    std::string plot;
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

// The tuning report: held notes printed as they end, the summary line last; the picture, when asked
// for, written once the recording has been read.
int runSummary(const Options& opt, OptionParser& parser) {
    MonoStream stream;
    if (!stream.open(opt.file, TunerReplay::kRate)) return parser.fail(stream.error());
    std::error_code same;
    if (!opt.plot.empty() && std::filesystem::equivalent(opt.plot, opt.file, same))
        return parser.fail("--plot " + opt.plot + " would replace the recording itself");
    ReplacingFile picture;
    if (!opt.plot.empty() && !picture.open(opt.plot)) return parser.fail(picture.error());

    const auto format = opt.format.value_or(isatty(STDOUT_FILENO) != 0 ? SummaryReport::Format::Text
                                                                       : SummaryReport::Format::Tsv);
    SummaryReport report(format);
    SummaryPlot plot;
    ToolOutput out;
    out.write(report.header());
    TuningSummary summary(opt.settings, opt.eq ? std::optional(opt.eqGains) : std::nullopt,
                          [&](const HeldNote& note) {
                              out.write(report.add(note));
                              if (!opt.plot.empty()) plot.add(note);
                          });
    for (auto piece = stream.next(); !piece.empty() && !out.failed(); piece = stream.next())
        summary.feed(piece);
    if (out.failed()) return parser.fail(out.error());
    if (stream.failed()) return parser.fail(stream.error());
    if (stream.samples() == 0) return parser.fail(opt.file + ": the recording holds no samples");
    summary.finish();
    out.write(report.end());
    if (!out.flush()) return parser.fail(out.error());
    if (report.notes() == 0)
        std::fprintf(stderr, "lctune-analyse: %s: no held note found\n", opt.file.c_str());
    if (!opt.plot.empty()) {
        const double seconds = static_cast<double>(summary.samples()) / TunerReplay::kRate;
        plot.write(seconds, std::filesystem::path(opt.file).filename().string(), report.summaryText(),
                   [&](std::string_view text) { picture.write(text); });
        if (!picture.commit()) return parser.fail(picture.error());
    }
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
        } else if (name == "--summary") {
            if (!parser.flag(opt.summary, true)) return parser.fail();
        } else if (name == "--format") {
            std::string format;
            if (!parser.stringValue(format)) return parser.fail();
            if (format == "text")
                opt.format = SummaryReport::Format::Text;
            else if (format == "tsv")
                opt.format = SummaryReport::Format::Tsv;
            else if (format == "json")
                opt.format = SummaryReport::Format::Json;
            else
                return parser.fail("--format is text, tsv or json, not '" + format + "'");
        } else if (name == "--plot") {
            if (!parser.stringValue(opt.plot)) return parser.fail();
            if (opt.plot.empty()) return parser.fail("--plot needs a file name");
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
    if (!opt.plot.empty()) opt.summary = true;
    if (opt.format && !opt.summary) return parser.fail("--format applies to --summary and --plot");
    if (opt.summary && opt.input >= 0) return parser.fail("--summary and --plot need a FILE, not --input");
    if (opt.input >= 0) return runLive(opt, parser);
    if (opt.file.empty()) return parser.fail("no FILE given (see --help)");
    return opt.summary ? runSummary(opt, parser) : runFile(opt, parser);
}
