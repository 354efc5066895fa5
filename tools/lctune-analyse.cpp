// lctune-analyse: runs the tuner's own analysis over a recording and prints, tick by tick, what
// the tuner window shows.

#include "platform/AudioFile.h"
#include "platform/PlotSurface.h"
#include "platform/Version.h"
#include "tools/ToolOptions.h"
#include "tuner/TunerAnalysis.h"
#include "tuner/TunerReplay.h"

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
  --help          show this text
  --version       show the version
)";

struct Options {
    TunerSettings settings;
    std::string file;
};

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
