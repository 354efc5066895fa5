// lctune-record: records an input device to a WAV file through the capture engine, the effects
// processor and the WAV writer, until interrupted or for a given time.

#include "core/Error.h"
#include "dsp/clsDSP.h"
#include "platform/MessageBoxService.h"
#include "platform/PlainMessageLoop.h"
#include "platform/SystemAudio.h"
#include "recording/CaptureHub.h"
#include "tools/ToolOptions.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cmath>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <string>
#include <unistd.h>

using namespace lctune;

namespace {

const char* kUsage = R"(Usage: lctune-record [options] FILE.wav

Records from an input device into a WAV file until Ctrl-C, SIGTERM or SIGHUP (the terminal
closing), or for --seconds, passing every block through the chosen effects. The environment
variable LCTUNE_INPUT replaces the devices by an audio file (looped) or "tone:FREQ".

The file is a valid WAV from its first moment: its header is written at once and its sizes kept
up to date at least once a second, so even a recording that is killed (or whose machine loses
power) keeps what was written up to then. FILE must be a file that can seek: a pipe, a terminal
or "-" (standard output) is refused, because a WAV file's sizes are written at its start.
A full disk, an input device that fails or stays silent for five seconds, or a device that does
not stop cleanly end the recording with a message and status 2; what was recorded stays in the
file.

Options:
  --list-devices  list the input devices and their numbers, then exit
  --device N      input device number (default 0, the system's default input)
  --rate R        samples per second (8000-192000, default 88200; at most 96000 with effects)
  --channels C    1 or 2 (default 1)
  --bits B        16 or 8 bits per sample in the file (default 16)
  --echo          add the feedback echo (100 ms, gain 0.4)
  --phase         add the phase shifter
  --amplify DB    amplify by DB decibels (-60 to 60), clipping at full scale
  --seconds S     stop after S seconds of sound (default: until interrupted)
  --help          show this text
  --version       show the version
)";

volatile std::sig_atomic_t gInterrupted = 0;

void onSignal(int) {
    gInterrupted = 1;
}

// Ctrl-C, a kill and the terminal closing all end the recording cleanly. A limit on the file size
// becomes a write error (the file stays valid) instead of a kill.
void catchSignals() {
    struct sigaction sa {};
    sa.sa_handler = onSignal;
    sigemptyset(&sa.sa_mask);
    sigaction(SIGINT, &sa, nullptr);
    sigaction(SIGTERM, &sa, nullptr);
    sigaction(SIGHUP, &sa, nullptr);
    std::signal(SIGXFSZ, SIG_IGN);
}

struct Options {
    bool listDevices = false;
    int32_t device = 0;
    int32_t rate = 88200;
    int32_t channels = 1;
    int32_t bits = 16;
    bool echo = false;
    bool phase = false;
    bool amplify = false;
    int32_t amplifyDB = 0;
    double seconds = 0; // 0: until interrupted
    std::string file;
};

// Elapsed time and a peak meter on one line, -60 to 0 dBFS.
void showMeter(double seconds, int32_t peak) {
    const double db = peak > 0 ? 20.0 * std::log10(peak / 32768.0) : -90.0;
    const int width = 30;
    const int filled = std::clamp(static_cast<int>((db + 60.0) / 60.0 * width + 0.5), 0, width);
    const std::string bar =
        std::string(static_cast<size_t>(filled), '#') + std::string(static_cast<size_t>(width - filled), '.');
    const long tenths = static_cast<long>(seconds * 10);
    std::fprintf(stderr, "\r%02ld:%02ld.%ld  [%s] %6.1f dBFS\x1b[K", tenths / 600, tenths / 10 % 60,
                 tenths % 10, bar.c_str(), std::max(db, -90.0));
    std::fflush(stderr);
}

} // namespace

int main(int argc, char** argv) {
    Options opt;
    OptionParser parser("lctune-record", argc, argv);
    while (parser.next()) {
        const std::string& name = parser.name();
        if (parser.helpOrVersion(kUsage)) {
            return parser.finishOutput();
        } else if (name == "--list-devices") {
            if (!parser.flag(opt.listDevices, true)) return parser.fail();
        } else if (name == "--device") {
            if (!parser.intValue(0, 1000000, opt.device)) return parser.fail();
        } else if (name == "--rate") {
            if (!parser.intValue(8000, 192000, opt.rate)) return parser.fail();
        } else if (name == "--channels") {
            if (!parser.intValue(1, 2, opt.channels)) return parser.fail();
        } else if (name == "--bits") {
            if (!parser.intValue(8, 16, opt.bits)) return parser.fail();
            if (opt.bits != 8 && opt.bits != 16) return parser.fail("--bits must be 16 or 8");
        } else if (name == "--echo") {
            if (!parser.flag(opt.echo, true)) return parser.fail();
        } else if (name == "--phase") {
            if (!parser.flag(opt.phase, true)) return parser.fail();
        } else if (name == "--amplify") {
            if (!parser.intValue(-60, 60, opt.amplifyDB)) return parser.fail();
            opt.amplify = true;
        } else if (name == "--seconds") {
            if (!parser.doubleValue(0.001, 1e7, opt.seconds)) return parser.fail();
        } else if (parser.isPositional()) {
            if (!opt.file.empty()) return parser.fail("only one FILE may be given");
            opt.file = name;
        } else {
            return parser.fail("unknown option " + name);
        }
    }
    if (parser.failed()) return parser.fail();

    SystemAudio audio = makeSystemAudio();
    PlainMessageLoop loop;
    ConsoleMessageBox messageBoxes;
    AppFlags flags; // the tuner is not running here, so the writer creates its file
    CaptureHub hub(*audio.waveIn, *audio.mixers, loop, messageBoxes, flags);
    WaveInRecorder& recorder = hub.recorder();

    if (opt.listDevices) {
        for (int32_t i = 0; i < recorder.DeviceCount(); ++i)
            std::printf("%d\t%s\n", i, recorder.DeviceName(i).c_str());
        return parser.finishOutput();
    }
    if (opt.file.empty()) return parser.fail("no FILE given (see --help)");
    if (opt.file == "-")
        return parser.fail("cannot record to standard output (-): it cannot seek, and a WAV file's sizes are "
                           "written at its start; give a file name");
    if (opt.device >= recorder.DeviceCount())
        return parser.fail("there is no input device " + std::to_string(opt.device) +
                           " (see --list-devices)");
    // Device 0 is the default input, which capture opens when nothing is selected.
    if (opt.device > 0 && !recorder.SelectDevice(opt.device))
        return parser.fail("input device " + std::to_string(opt.device) + " (" +
                           recorder.DeviceName(opt.device) + ") cannot be selected");

    const int32_t effects = (opt.echo ? clsDSP::kEcho : 0) | (opt.phase ? clsDSP::kPhaseShift : 0) |
                            (opt.amplify ? clsDSP::kAmplifier : 0);
    hub.effects().EffectsUsed(effects);
    hub.effects().AmplifyDB(opt.amplifyDB);

    const int64_t frameLimit =
        opt.seconds > 0 ? static_cast<int64_t>(std::llround(opt.seconds * opt.rate)) : -1;
    const int32_t frameBytes = 2 * opt.channels;
    if (frameLimit >= 0) hub.byteLimit(frameLimit * frameBytes);
    int32_t peak = 0;
    bool writeFailed = false;
    bool stopped = true;
    std::string lost;
    hub.onWriteFailed = [&] {
        writeFailed = true;
        stopped = hub.stopRecording();
    };
    recorder.DeviceLost.connect([&](const std::string& why) { lost = why; });
    hub.BlockProcessed.connect([&](std::span<const int16_t> block, int32_t bytes) {
        const size_t valid = std::min(block.size(), static_cast<size_t>(std::max(0, bytes) / 2));
        for (size_t i = 0; i < valid; ++i)
            peak = std::max(peak, std::abs(static_cast<int32_t>(block[i])));
    });

    catchSignals();
    const bool existed = access(opt.file.c_str(), F_OK) == 0;
    const std::string nothing = "; nothing was recorded";
    RecordingRequest request;
    request.rate = opt.rate;
    request.channels = static_cast<int16_t>(opt.channels);
    request.output = WaveFormat::pcm(static_cast<uint32_t>(opt.rate), static_cast<uint16_t>(opt.channels),
                                     static_cast<uint16_t>(opt.bits));
    request.path = opt.file;
    // The effects run at up to 96000 samples per second; without effects any rate records.
    request.effectsFollow = effects != 0;
    switch (hub.startRecording(request)) {
    case StartResult::Started:
        break;
    case StartResult::InvalidSampleRate: {
        std::string message;
        try {
            clsDSP::checkSamplerate(opt.rate);
        } catch (const Error& e) {
            message = e.what();
        }
        return parser.fail("the effects cannot run at " + std::to_string(opt.rate) + " Hz (" + message + ")");
    }
    case StartResult::EncoderFailed:
        if (hub.initResult() == EncoderWAV::kNoFile) return parser.fail(hub.encoder().lastError() + nothing);
        return parser.fail("cannot record " + std::to_string(opt.channels) + " channel(s) at " +
                           std::to_string(opt.rate) + " Hz");
    case StartResult::CaptureFailed: {
        hub.stopRecording();
        // Nothing was recorded: a file made only for this recording goes again.
        if (!existed) std::remove(opt.file.c_str());
        const int32_t shown = recorder.SelectedDevice() < 0 ? 0 : recorder.SelectedDevice();
        return parser.fail("cannot open input device " + std::to_string(shown) + " (" +
                           recorder.DeviceName(shown) + "): " + recorder.lastError());
    }
    }
    const auto bytesDone = [&] { return frameLimit >= 0 && hub.bytesRecorded() >= frameLimit * frameBytes; };

    const bool terminal = isatty(STDERR_FILENO) != 0;
    auto lastMeter = std::chrono::steady_clock::now();
    while (!writeFailed && !bytesDone() && !gInterrupted && lost.empty()) {
        loop.waitAndRun(std::chrono::milliseconds(50));
        recorder.checkDevice();
        const auto now = std::chrono::steady_clock::now();
        if (terminal && now - lastMeter >= std::chrono::milliseconds(100)) {
            showMeter(static_cast<double>(hub.bytesRecorded() / frameBytes) / opt.rate, peak);
            peak = 0;
            lastMeter = now;
        }
    }
    if (!writeFailed) stopped = hub.stopRecording();
    const double seconds = static_cast<double>(hub.bytesRecorded() / frameBytes) / opt.rate;
    if (terminal) {
        showMeter(seconds, peak);
        std::fputc('\n', stderr);
    }
    char recorded[64];
    std::snprintf(recorded, sizeof recorded, "%.2f s", seconds);
    const std::string kept = hub.bytesRecorded() > 0
                                 ? "; the " + std::string(recorded) + " recorded before stay in the file"
                                 : nothing + " (the file is an empty WAV)";
    if (writeFailed) return parser.fail(hub.encoder().lastError() + kept);
    if (!lost.empty()) return parser.fail("the input device was lost (" + lost + ")" + kept);
    if (!stopped)
        return parser.fail("the input device did not stop cleanly (is the sound server frozen?); the " +
                           std::string(recorded) + " recorded stay in " + opt.file);
    if (terminal) std::fprintf(stderr, "lctune-record: %s recorded to %s\n", recorded, opt.file.c_str());
    return 0;
}
