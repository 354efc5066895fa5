// lctune-synth: makes small test and demo recordings (a plucked string, a sine, silence) as
// 16-bit WAV files, deterministically, so the same command always gives the same file.

#include "core/Numbers.h"
#include "dsp/PluckedString.h"
#include "tools/ToolOptions.h"

#include <cmath>
#include <cstdio>
#include <numbers>
#include <sndfile.h>
#include <string>
#include <vector>

using namespace lctune;

namespace {

const char* kUsage = R"(Usage: lctune-synth [options] OUT.wav

Writes a 16-bit mono WAV file.

Options:
  --kind pluck|sine|silence   what to make (default pluck: a Karplus-Strong string)
  --freq F                    pitch in hertz (default 110, the A2 string)
  --cents C                   detune the pitch by C cents, -100 to 100 (default 0)
  --seconds S                 length of the sound (default 3)
  --delay S                   silence before the sound (default 0)
  --rate R                    samples per second (default 88200)
  --amplitude A               peak level, 0-1 of full scale (default 0.8)
  --decay D                   string loss per period, 0.9-1 (default 0.996)
  --softness N                smooth the pluck's burst N times: a softer, rounder tone (default 0)
  --repeat N                  play the sound N times in a row, each a fresh pluck (default 1)
  --variant N                 which noise burst starts the pluck (default 1)
  --help, --version
)";

} // namespace

int main(int argc, char** argv) {
    std::string kind = "pluck", file;
    double freq = 110, cents = 0, seconds = 3, delay = 0, amplitude = 0.8, decay = 0.996;
    int32_t rate = 88200, variant = 1, repeat = 1, softness = 0;
    OptionParser parser("lctune-synth", argc, argv);
    while (parser.next()) {
        const std::string& name = parser.name();
        bool ok = true;
        if (parser.helpOrVersion(kUsage)) {
            return parser.finishOutput();
        } else if (name == "--kind") {
            ok = parser.stringValue(kind);
            if (ok && kind != "pluck" && kind != "sine" && kind != "silence")
                return parser.fail("--kind is pluck, sine or silence, not " + kind);
        } else if (name == "--freq") {
            ok = parser.doubleValue(1, 20000, freq);
        } else if (name == "--cents") {
            ok = parser.doubleValue(-100, 100, cents);
        } else if (name == "--seconds") {
            ok = parser.doubleValue(0, 3600, seconds);
        } else if (name == "--delay") {
            ok = parser.doubleValue(0, 3600, delay);
        } else if (name == "--rate") {
            ok = parser.intValue(1000, 384000, rate);
        } else if (name == "--amplitude") {
            ok = parser.doubleValue(0, 1, amplitude);
        } else if (name == "--decay") {
            ok = parser.doubleValue(0.9, 1, decay);
        } else if (name == "--softness") {
            ok = parser.intValue(0, 50, softness);
        } else if (name == "--repeat") {
            ok = parser.intValue(1, 1000, repeat);
        } else if (name == "--variant") {
            ok = parser.intValue(0, 2147483647, variant);
        } else if (parser.isPositional() && file.empty()) {
            file = name;
        } else {
            return parser.fail(parser.isPositional() ? "only one OUT.wav may be given"
                                                     : "unknown option " + name);
        }
        if (!ok) return parser.fail();
    }
    if (parser.failed()) return parser.fail();
    if (file.empty()) return parser.fail("no OUT.wav given (see --help)");
    freq *= std::exp2(cents / 1200);
    if (freq * 2 >= rate) return parser.fail("--freq must stay below half the rate");

    const int64_t lead = std::llround(delay * rate);
    const int64_t count = std::llround(seconds * rate);
    std::vector<double> sound;
    if (kind == "pluck") {
        for (int32_t r = 0; r < repeat; ++r) {
            const PluckedString string{freq, static_cast<double>(rate), decay,
                                       static_cast<uint32_t>(variant + r), softness};
            const auto one = string.render(count);
            sound.insert(sound.end(), one.begin(), one.end());
        }
    } else {
        sound.assign(static_cast<size_t>(count * repeat), 0.0);
        if (kind == "sine")
            for (int64_t i = 0; i < count * repeat; ++i)
                sound[static_cast<size_t>(i)] =
                    std::sin(2 * std::numbers::pi * freq * static_cast<double>(i) / rate);
    }
    double peak = 0;
    for (double v : sound)
        peak = std::max(peak, std::fabs(v));
    const double scale = peak > 0 ? amplitude * 32767 / peak : 0;

    std::vector<int16_t> samples(static_cast<size_t>(lead), 0);
    samples.reserve(static_cast<size_t>(lead) + sound.size());
    for (double v : sound)
        samples.push_back(clip16(v * scale));

    SF_INFO info{};
    info.samplerate = rate;
    info.channels = 1;
    info.format = SF_FORMAT_WAV | SF_FORMAT_PCM_16;
    SNDFILE* out = sf_open(file.c_str(), SFM_WRITE, &info);
    if (!out) return parser.fail(file + ": " + sf_strerror(nullptr));
    const sf_count_t written = sf_write_short(out, samples.data(), static_cast<sf_count_t>(samples.size()));
    const bool ok = written == static_cast<sf_count_t>(samples.size());
    if (sf_close(out) != 0 || !ok) return parser.fail(file + ": cannot write the whole file");
    return 0;
}
