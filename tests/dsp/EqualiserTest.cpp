// The equaliser as the tuner's analysis uses it: each captured block equalised once, in place,
// through the replay of a recording and through lctune-analyse --eq.

#include "dsp/BlockEqualiser.h"
#include "dsp/clsDSP.h"
#include "platform/AudioFile.h"
#include "tuner/TunerReplay.h"

#include <gtest/gtest.h>
#include <sndfile.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

using namespace lctune;

namespace {

using Gains = std::array<float, 7>;

void setUp(clsDSP& dsp, const Gains& gains) {
    dsp.samplerate(88200);
    dsp.Channels(1);
    for (int32_t i = 0; i < 7; ++i)
        dsp.EqualizerBandGainDB(i, gains[static_cast<size_t>(i)]);
}

// Runs a shell command; returns its exit status and its standard output.
int run(const std::string& command, std::string& out) {
    out.clear();
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe) return -1;
    char chunk[4096];
    for (size_t n; (n = fread(chunk, 1, sizeof chunk, pipe)) > 0;)
        out.append(chunk, n);
    const int status = pclose(pipe);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

std::string analyse(const std::string& args) {
    std::string out;
    EXPECT_EQ(run(std::string(LCTUNE_TOOLS_DIR) + "/lctune-analyse " + args, out), 0) << args;
    return out;
}

class AnalyseEq : public ::testing::Test {
protected:
    void SetUp() override {
        dir_ = std::filesystem::temp_directory_path() /
               ("lctune-dsp-" + std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()) +
                "-" + std::to_string(::getpid()));
        std::filesystem::create_directories(dir_);
        pluck_ = (dir_ / "pluck.wav").string();
        std::string out;
        ASSERT_EQ(run(std::string(LCTUNE_TOOLS_DIR) + "/lctune-synth --freq 110 --seconds 1.5 --delay 0.1 " +
                          pluck_,
                      out),
                  0);
    }
    void TearDown() override { std::filesystem::remove_all(dir_); }

    std::filesystem::path dir_;
    std::string pluck_;
};

} // namespace

TEST_F(AnalyseEq, ChangesTheDisplayOnlyWhenAGainIsNotZero) {
    const std::string plain = analyse(pluck_);
    ASSERT_GT(plain.size(), 1000u);
    EXPECT_EQ(analyse("--eq 0,0,0,0,0,0,0 " + pluck_), plain);
    EXPECT_EQ(analyse("--eq=-0,0,0,0,0,0,0 " + pluck_), plain);
    const std::string boosted = analyse("--eq 12,0,0,0,0,0,-12 " + pluck_);
    EXPECT_NE(boosted, plain);
    EXPECT_EQ(boosted.substr(0, boosted.find('\n')), plain.substr(0, plain.find('\n')));
    EXPECT_EQ(std::count(boosted.begin(), boosted.end(), '\n'), std::count(plain.begin(), plain.end(), '\n'));

    for (const char* bad : {"1,2", "12.5,0,0,0,0,0,0", "0,0,0,0,0,0,-13", "0,0,0,0,0,0,0,0", "a,0,0,0,0,0,0",
                            "0,,0,0,0,0,0", "nan,0,0,0,0,0,0", "''"}) {
        std::string out;
        EXPECT_EQ(
            run(std::string(LCTUNE_TOOLS_DIR) + "/lctune-analyse --eq " + bad + " " + pluck_ + " 2>&1", out),
            2);
        EXPECT_NE(out.find("--eq needs seven"), std::string::npos) << bad << ": " << out;
    }
}

// What the tool hears with --eq must be the recording equalised exactly once, block by block as
// one continuous signal: the same table as the pre-equalised recording analysed without --eq.
TEST_F(AnalyseEq, HearsEachBlockEqualisedExactlyOnce) {
    std::vector<int16_t> samples;
    std::string error;
    ASSERT_TRUE(readMonoAt(pluck_, 88200, samples, error)) << error;
    for (const Gains& gains :
         {Gains{12, 0, 0, 0, 0, 0, -12}, Gains{0, 0, 0, 0, 0, 0, 4.5f}, Gains{-12, -9, -6, -3, 3, 6, 9}}) {
        clsDSP dsp;
        setUp(dsp, gains);
        std::vector<int16_t> silence(TunerReplay::kInitialSamples, 0), pre = samples;
        dsp.均衡处理子程序(silence);
        for (size_t at = 0; at + 5120 <= pre.size(); at += 5120)
            dsp.均衡处理子程序(std::span(pre).subspan(at, 5120));

        const std::string preWav = (dir_ / "pre.wav").string();
        SF_INFO info{0, 88200, 1, SF_FORMAT_WAV | SF_FORMAT_PCM_16, 0, 0};
        SNDFILE* f = sf_open(preWav.c_str(), SFM_WRITE, &info);
        ASSERT_NE(f, nullptr);
        ASSERT_EQ(sf_write_short(f, pre.data(), static_cast<sf_count_t>(pre.size())),
                  static_cast<sf_count_t>(pre.size()));
        sf_close(f);

        std::string list = std::to_string(gains[0]);
        for (size_t i = 1; i < gains.size(); ++i)
            list.append(1, ',').append(std::to_string(gains[i]));
        EXPECT_EQ(analyse("--eq " + list + " " + pluck_), analyse(preWav)) << list;
    }
}
