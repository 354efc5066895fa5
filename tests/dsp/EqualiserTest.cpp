// The equaliser as the tuner's analysis uses it: once per captured block, in place, through the
// replay of a recording and through lctune-analyse --eq.

#include "dsp/BlockEqualiser.h"
#include "dsp/clsDSP.h"
#include "platform/AudioFile.h"
#include "platform/PlotSurface.h"
#include "tuner/TunerAnalysis.h"
#include "tuner/TunerReplay.h"

#include <gtest/gtest.h>
#include <sndfile.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <numbers>
#include <sstream>
#include <string>
#include <vector>

using namespace lctune;
namespace fs = std::filesystem;

namespace {

const std::array<float, 7> kLoudBass = {12, 0, 0, 0, 0, 0, -12};

void setUp(clsDSP& dsp, const std::array<float, 7>& gains) {
    dsp.samplerate(88200);
    dsp.Channels(1);
    for (int32_t i = 0; i < 7; ++i)
        dsp.EqualizerBandGainDB(i, gains[static_cast<size_t>(i)]);
}

std::vector<int16_t> tone(double hz, size_t count) {
    std::vector<int16_t> s(count);
    for (size_t i = 0; i < count; ++i)
        s[i] =
            static_cast<int16_t>(std::lround(6000 * std::sin(2 * std::numbers::pi * hz * double(i) / 88200)));
    return s;
}

// The stream as the mended analysis hears it: the initial silence, then every whole block,
// each run once through the equaliser in order.
std::vector<int16_t> equalisedOnce(const std::vector<int16_t>& samples, const std::array<float, 7>& gains) {
    clsDSP dsp;
    setUp(dsp, gains);
    std::vector<int16_t> silence(TunerReplay::kInitialSamples, 0);
    dsp.均衡处理子程序(silence);
    const size_t whole = samples.size() / TunerReplay::kBlockSamples * TunerReplay::kBlockSamples;
    std::vector<int16_t> out(samples.begin(), samples.begin() + static_cast<std::ptrdiff_t>(whole));
    for (size_t at = 0; at < whole; at += TunerReplay::kBlockSamples)
        dsp.均衡处理子程序(std::span(out).subspan(at, TunerReplay::kBlockSamples));
    return out;
}

class Workspace : public ::testing::Test {
protected:
    void SetUp() override {
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        dir_ = fs::temp_directory_path() /
               (std::string("lctune-dsp-") + info->name() + "-" + std::to_string(::getpid()));
        fs::create_directories(dir_);
    }
    void TearDown() override { fs::remove_all(dir_); }

    std::string path(const std::string& name) const { return (dir_ / name).string(); }

    // Runs a tool; returns its exit status and leaves its stdout and stderr in out and err.
    int run(const std::string& tool, const std::string& args, std::string& out, std::string& err) const {
        const std::string cmd = std::string(LCTUNE_TOOLS_DIR) + "/" + tool + " " + args + " >" +
                                path("out.txt") + " 2>" + path("err.txt");
        const int status = std::system(cmd.c_str());
        out = slurp(path("out.txt"));
        err = slurp(path("err.txt"));
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }

    std::string analyse(const std::string& args) const {
        std::string out, err;
        EXPECT_EQ(run("lctune-analyse", args, out, err), 0) << err;
        return out;
    }

    static std::string slurp(const std::string& file) {
        std::ifstream in(file, std::ios::binary);
        std::stringstream ss;
        ss << in.rdbuf();
        return ss.str();
    }

    static void writeWav(const std::string& file, const std::vector<int16_t>& samples) {
        SF_INFO info{};
        info.samplerate = 88200;
        info.channels = 1;
        info.format = SF_FORMAT_WAV | SF_FORMAT_PCM_16;
        SNDFILE* f = sf_open(file.c_str(), SFM_WRITE, &info);
        ASSERT_NE(f, nullptr) << sf_strerror(nullptr);
        EXPECT_EQ(sf_write_short(f, samples.data(), static_cast<sf_count_t>(samples.size())),
                  static_cast<sf_count_t>(samples.size()));
        sf_close(f);
    }

    std::string pluck() const {
        const std::string wav = path("pluck.wav");
        std::string out, err;
        EXPECT_EQ(run("lctune-synth", "--freq 110 --seconds 1.5 --delay 0.1 " + wav, out, err), 0) << err;
        return wav;
    }

    fs::path dir_;
};

} // namespace

TEST(BlockEqualiser, EqualisesEachBlockOnceUntilTheNextArrives) {
    clsDSP dsp;
    setUp(dsp, kLoudBass);
    BlockEqualiser equaliser(dsp);
    auto block = tone(80, 5120);
    const auto original = block;
    equaliser.equalise(block);
    EXPECT_EQ(block, original) << "nothing to do before the first block arrives";

    equaliser.newBlock();
    EXPECT_TRUE(equaliser.fresh());
    equaliser.equalise(block);
    const auto once = block;
    EXPECT_NE(once, original);
    equaliser.equalise(block);
    equaliser.equalise(block);
    EXPECT_EQ(block, once);
    EXPECT_FALSE(equaliser.fresh());
    EXPECT_EQ(equaliser.blocksEqualised(), 1);

    // The reference: the same filters run once over the block.
    clsDSP reference;
    setUp(reference, kLoudBass);
    auto expected = original;
    reference.均衡处理子程序(expected);
    EXPECT_EQ(once, expected);
}

TEST(BlockEqualiser, ReplayedAnalysisEqualisesEveryCapturedBlockExactlyOnce) {
    const auto samples = tone(110, 5120 * 12 + 300);
    TunerSettings settings;
    NullPlotSurface picture;
    AppFlags flags;
    flags.tunerActive = true;
    flags.eqEnabled = true;
    flags.eqFlat = false;
    TunerAnalysis analysis(settings, picture, flags);
    TunerReplay replay(analysis);
    clsDSP dsp;
    setUp(dsp, kLoudBass);
    BlockEqualiser equaliser(dsp);

    int64_t arrivals = 0, analysed = 0;
    SampleBlock* buffer = nullptr;
    std::vector<SampleBlock> heard; // each block as the analysis saw it on its last tick
    replay.onNewBlock([&](SampleBlock& b) {
        buffer = &b;
        ++arrivals;
        equaliser.newBlock();
    });
    analysis.setEqualiser([&](SampleBlock& b) {
        ++analysed;
        equaliser.equalise(b);
    });
    replay.run(samples, [&](const TunerRow&) {
        heard.resize(static_cast<size_t>(arrivals));
        heard.back() = *buffer;
    });

    // The initial silence and eleven blocks; the twelfth would arrive after the last tick.
    EXPECT_EQ(arrivals, 12);
    EXPECT_EQ(equaliser.blocksEqualised(), 12);
    EXPECT_GT(analysed, 2 * arrivals) << "each block is analysed on two or three ticks";
    // What the analysis heard is the recording equalised exactly once, as one continuous signal.
    ASSERT_EQ(heard.size(), 12u);
    EXPECT_EQ(heard[0], SampleBlock(1024, 0));
    std::vector<int16_t> blocks;
    for (size_t k = 1; k < heard.size(); ++k)
        blocks.insert(blocks.end(), heard[k].begin(), heard[k].end());
    auto expected = equalisedOnce(samples, kLoudBass);
    expected.resize(blocks.size());
    EXPECT_EQ(blocks, expected);
}

TEST_F(Workspace, AnalyseWithEqualiserChangesTheDisplayOnlyWhenAGainIsNotZero) {
    const std::string wav = pluck();
    const std::string plain = analyse(wav);
    ASSERT_GT(plain.size(), 1000u);
    EXPECT_EQ(analyse("--eq 0,0,0,0,0,0,0 " + wav), plain);
    EXPECT_EQ(analyse("--eq=-0,0,0,0,0,0,0 " + wav), plain);
    const std::string boosted = analyse("--eq 12,0,0,0,0,0,-12 " + wav);
    EXPECT_NE(boosted, plain);
    // Same format: header and row count unchanged.
    EXPECT_EQ(boosted.substr(0, boosted.find('\n')), plain.substr(0, plain.find('\n')));
    EXPECT_EQ(std::count(boosted.begin(), boosted.end(), '\n'), std::count(plain.begin(), plain.end(), '\n'));
}

TEST_F(Workspace, AnalyseWithEqualiserHearsEachBlockEqualisedOnce) {
    const std::string wav = pluck();
    std::vector<int16_t> samples;
    std::string error;
    ASSERT_TRUE(readMonoAt(wav, 88200, samples, error)) << error;
    for (const auto& gains : {kLoudBass, std::array<float, 7>{0, 0, 0, 0, 0, 0, 4.5f},
                              std::array<float, 7>{-12, -12, -12, -12, -12, -12, -12}}) {
        const std::string pre = path("pre.wav");
        writeWav(pre, equalisedOnce(samples, gains));
        std::string list;
        for (float g : gains) {
            if (!list.empty()) list += ',';
            list += std::to_string(g);
        }
        EXPECT_EQ(analyse("--eq " + list + " " + wav), analyse(pre)) << list;
    }
}

TEST_F(Workspace, AnalyseRejectsMalformedGains) {
    const std::string wav = pluck();
    for (const std::string bad :
         {"1,2", "12.5,0,0,0,0,0,0", "0,0,0,0,0,0,-13", "0,0,0,0,0,0,0,0", "a,0,0,0,0,0,0", "0,,0,0,0,0,0",
          "0,0,0,0,0,0,0,", "nan,0,0,0,0,0,0", "''"}) {
        std::string out, err;
        EXPECT_EQ(run("lctune-analyse", "--eq " + bad + " " + wav, out, err), 2) << bad;
        EXPECT_NE(err.find("--eq"), std::string::npos) << err;
        EXPECT_TRUE(out.empty());
    }
}
