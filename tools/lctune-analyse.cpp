// lctune-analyse: runs the tuner's own analysis over a recording and prints, tick by tick, what
// the tuner window shows.

#include "dsp/BlockEqualiser.h"
#include "dsp/clsDSP.h"
#include "platform/AudioFile.h"
#include "platform/PlotSurface.h"
#include "platform/Version.h"
#include "tools/ToolOptions.h"
#include "tuner/TunerAnalysis.h"
#include "tuner/TunerReplay.h"

#include <array>
#include <charconv>
#include <cstdio>
#include <iostream>
#include <string>
#include <vector>

using namespace lctune;

namespace {

const char* kUsage = R"(Usage: lctune-analyse [options] FILE

Runs the tuner's analysis over a recording (any format libsndfile reads; mixed to one channel
and converted to 88200 samples per second) and prints, for every 25 ms display tick, what the
tuner shows: a tab-separated table with a header line.

Options:
  --divider N     analyse once every N display ticks (1-25, default 1)
  --lock P        lock volume percentage (1-100, default 20)
  --schmitt Q     Schmitt-trigger percentage (0-100, default 66)
  --coef C        low-pass filter coefficient (1-100, default 50)
  --no-filter     switch off the infrasound and low-pass filters
  --no-amplify    switch off the second normalisation
  --continuous    average all accepted periods since the last pluck
  --eq G0,...,G6  switch the equaliser on with these seven band gains in dB (-12 to 12)
  --help          show this text
  --version       show the version
)";

struct Options {
    TunerSettings settings;
    std::string file;
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

} // namespace

int main(int argc, char** argv) {
    Options opt;
    OptionParser parser("lctune-analyse", argc, argv);
    while (parser.next()) {
        const std::string& name = parser.name();
        if (name == "--help") {
            std::fputs(kUsage, stdout);
            return 0;
        } else if (name == "--version") {
            std::printf("lctune-analyse %s\n", kVersion);
            return 0;
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
        } else if (parser.isPositional()) {
            if (!opt.file.empty()) return parser.fail("only one FILE may be given");
            opt.file = name;
        } else {
            return parser.fail("unknown option " + name);
        }
    }
    if (parser.failed()) return parser.fail();
    if (opt.file.empty()) return parser.fail("no FILE given (see --help)");

    std::vector<int16_t> samples;
    std::string error;
    if (!readMonoAt(opt.file, TunerReplay::kRate, samples, error)) return parser.fail(error);
    if (samples.empty()) return parser.fail(opt.file + ": the recording holds no samples");

    NullPlotSurface picture;
    AppFlags flags;
    flags.tunerActive = true;
    TunerAnalysis analysis(opt.settings, picture, flags);
    TunerReplay replay(analysis);

    // The equaliser as the recording window runs it: 88200 per second, one channel, each
    // captured block equalised once, on the first tick that analyses it.
    clsDSP dsp;
    BlockEqualiser equaliser(dsp);
    if (opt.eq) {
        dsp.samplerate(TunerReplay::kRate);
        dsp.Channels(1);
        flags.eqEnabled = true;
        flags.eqFlat = true;
        for (int32_t i = 0; i < 7; ++i) {
            dsp.EqualizerBandGainDB(i, opt.eqGains[static_cast<size_t>(i)]);
            if (opt.eqGains[static_cast<size_t>(i)] != 0) flags.eqFlat = false;
        }
        replay.onNewBlock([&](SampleBlock&) { equaliser.newBlock(); });
        analysis.setEqualiser([&](SampleBlock& block) { equaliser.equalise(block); });
    }

    std::string out = tunerTableHeader() + '\n';
    replay.run(samples, [&](const TunerRow& row) {
        out += formatTunerRow(row);
        out += '\n';
        if (out.size() > (1u << 16)) {
            std::fwrite(out.data(), 1, out.size(), stdout);
            out.clear();
        }
    });
    std::fwrite(out.data(), 1, out.size(), stdout);
    if (std::fflush(stdout) != 0) {
        std::fprintf(stderr, "lctune-analyse: cannot write the output\n");
        return 2;
    }
    return 0;
}
