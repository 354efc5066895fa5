// lctune-analyse end to end: golden tables of the tuner's display on the project's own short
// recordings, and the error paths. A golden mismatch writes the actual table beside the build
// (NAME.actual.tsv) so re-blessing is a reviewed diff.

#include "support/TestSupport.h"
#include "support/ToolRunner.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <sndfile.h>
#include <sys/stat.h>
#include <vector>

using lctune::test::runTool;
using lctune::test::shellQuote;
using lctune::test::slurp;
using namespace lctune::test;

namespace {

const std::string kData = LCTUNE_TEST_DATA;
const std::string kHeader =
    "tick\ttime_s\t提示\t放大系数显示\t统计次数\t频率值\t音符\t标准频率\t电平表1\t背景\n";

struct GoldenCase {
    const char* golden;
    const char* recording;
    const char* options;
};

class AnalyseGolden : public ::testing::TestWithParam<GoldenCase> {};

// A 16-bit WAV file in the test's temporary folder; returns its path.
std::string tempWav(const std::string& name, const std::vector<int16_t>& samples, int rate, int channels) {
    const std::string path = ::testing::TempDir() + name;
    EXPECT_TRUE(writeWav(path, samples, rate, channels));
    return path;
}

// Runs a bash script; returns its exit status and what it wrote to stderr.
ToolResult runScript(const std::string& script) {
    const std::string err = ::testing::TempDir() + "script.err";
    const std::string cmd = "bash -c " + shellQuote(script) + " 2>" + shellQuote(err) + " </dev/null";
    const int rc = std::system(cmd.c_str());
    ToolResult r;
    r.status = WIFEXITED(rc) ? WEXITSTATUS(rc) : -1;
    r.err = slurp(err);
    return r;
}

std::string tool(const std::string& name) {
    return shellQuote(std::string(LCTUNE_TOOLS_DIR) + "/" + name);
}

void expectOneLineFailure(const ToolResult& r, const std::string& what) {
    EXPECT_EQ(r.status, 2) << what;
    EXPECT_EQ(r.err.rfind("lctune-analyse: ", 0), 0u) << what << ": " << r.err;
    EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 1) << what << ": " << r.err;
}

} // namespace

TEST_P(AnalyseGolden, MatchesTheTableLineByLine) {
    const GoldenCase c = GetParam();
    const auto r =
        runTool("lctune-analyse", std::string(c.options) + " " + shellQuote(kData + "/" + c.recording));
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.err, "");
    const std::string expected = slurp(kData + "/golden/" + c.golden);
    ASSERT_FALSE(expected.empty());
    if (r.out != expected) {
        std::ofstream(std::string(c.golden) + ".actual.tsv") << r.out;
        const auto got = lines(r.out), want = lines(expected);
        for (size_t i = 0; i < std::min(got.size(), want.size()); ++i)
            ASSERT_EQ(got[i], want[i]) << "first difference at line " << i + 1;
        ASSERT_EQ(got.size(), want.size());
    }
}

INSTANTIATE_TEST_SUITE_P(
    Recordings, AnalyseGolden,
    ::testing::Values(GoldenCase{"sine-440.tsv", "sine-440.wav", ""},
                      GoldenCase{"silence-then-e2.tsv", "silence-then-e2.wav", ""},
                      GoldenCase{"silence-then-e2-options.tsv", "silence-then-e2.wav",
                                 "--continuous --divider 2 --no-amplify --coef 30 --schmitt=50 --lock 10"},
                      GoldenCase{"g3-44100-stereo.tsv", "g3-44100-stereo.wav", ""},
                      GoldenCase{"g3-44100-stereo-no-filter.tsv", "g3-44100-stereo.wav", "--no-filter"}));

TEST(AnalyseTool, TableHasTheHeaderAndOneLinePerTick) {
    const auto r = runTool("lctune-analyse", shellQuote(kData + "/sine-440.wav"));
    ASSERT_EQ(r.status, 0);
    ASSERT_EQ(r.out.substr(0, kHeader.size()), kHeader);
    // 1.2 s = 105840 samples: 20 full blocks, 20 · 5120 / 88200 s = 1.161 s, so 46 ticks.
    const auto l = lines(r.out);
    ASSERT_EQ(l.size(), 47u);
    EXPECT_EQ(l[46].substr(0, 9), "46\t1.150\t");
}

TEST(AnalyseTool, ShortRecordingPrintsTheHeaderOnlyAndSaysWhy) {
    const std::string path = tempWav("short.wav", std::vector<int16_t>(5119, 1000), 88200, 1);
    const auto r = runTool("lctune-analyse", shellQuote(path));
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, kHeader);
    EXPECT_NE(r.err.find("shorter than one block"), std::string::npos) << r.err;
    EXPECT_NE(r.err.find(path), std::string::npos) << r.err;
    EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 1) << r.err;
}

TEST(AnalyseTool, ExactlyOneBlockGivesTwoTicks) {
    // One block ends at 0.058 s: ticks at 0.025 and 0.050 analyse the initial zeros.
    const std::string path = tempWav("one.wav", std::vector<int16_t>(5120, 1000), 88200, 1);
    const auto r = runTool("lctune-analyse", shellQuote(path));
    EXPECT_EQ(r.status, 0);
    const auto l = lines(r.out);
    ASSERT_EQ(l.size(), 3u);
    EXPECT_EQ(l[1], "1\t0.025\t分析中！\t0.67\t1\t440HZ\tA  (6)\t440HZ\t0\t#008000");
    EXPECT_EQ(l[2], "2\t0.050\t分析中！\t0.67\t2\t440HZ\tA  (6)\t440HZ\t0\t#008000");
}

TEST(AnalyseTool, BadInputFailsWithOneLineAndStatusTwo) {
    const std::string empty = tempWav("empty.wav", {}, 88200, 1);
    const std::string text = ::testing::TempDir() + "not-audio.wav";
    std::ofstream(text) << "this is not a recording\n";
    const std::string wav = shellQuote(kData + "/sine-440.wav");
    const std::vector<std::string> cases = {
        shellQuote("/nonexistent/take.wav"),
        shellQuote(text),
        shellQuote(empty),
        "",
        "--lock 0 " + wav,
        "--lock 101 " + wav,
        "--divider 26 " + wav,
        "--divider 0 " + wav,
        "--schmitt -1 " + wav,
        "--coef abc " + wav,
        "--coef 5x " + wav,
        "--coef " + wav,
        "--bogus " + wav,
        "--no-filter=1 " + wav,
        wav + " " + wav,
    };
    for (const std::string& args : cases) {
        const auto r = runTool("lctune-analyse", args);
        EXPECT_EQ(r.status, 2) << args;
        EXPECT_EQ(r.out, "") << args;
        EXPECT_EQ(r.err.rfind("lctune-analyse: ", 0), 0u) << args << ": " << r.err;
        EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 1) << args << ": " << r.err;
    }
}

// A WAV file whose header gives the sample rate `rate`.
std::string wavWithRate(const std::string& name, uint32_t rate) {
    const std::string path = tempWav(name, std::vector<int16_t>(20000, 500), 88200, 1);
    std::fstream f(path, std::ios::in | std::ios::out | std::ios::binary);
    f.seekp(24);
    const char bytes[4] = {static_cast<char>(rate & 0xFF), static_cast<char>((rate >> 8) & 0xFF),
                           static_cast<char>((rate >> 16) & 0xFF), static_cast<char>(rate >> 24)};
    f.write(bytes, 4);
    return path;
}

TEST(AnalyseTool, UnreadableInputsAreNamedPlainly) {
    const std::string dir = ::testing::TempDir() + "a-folder.wav";
    mkdir(dir.c_str(), 0755);
    const std::string rate0 = wavWithRate("rate0.wav", 0), rate1 = wavWithRate("rate1.wav", 1);
    const struct {
        std::string file, says;
    } cases[] = {{dir, "is a directory"}, {rate0, "sample rate of 0"}, {rate1, "88200"}};
    for (const auto& c : cases) {
        const auto r = runTool("lctune-analyse", shellQuote(c.file));
        expectOneLineFailure(r, c.file);
        EXPECT_EQ(r.out, "");
        EXPECT_NE(r.err.find(c.file), std::string::npos) << r.err;
        EXPECT_NE(r.err.find(c.says), std::string::npos) << r.err;
        EXPECT_EQ(r.err.find("Internal error"), std::string::npos) << r.err;
    }
}

// Float and double copies of a 16-bit recording, as editors export them, hold exactly its samples:
// the table is the same.
TEST(AnalyseTool, FloatAndDoubleFilesGiveTheTableOfTheir16BitSource) {
    for (const char* name : {"sine-440.wav", "g3-44100-stereo.wav"}) {
        const std::string source = name;
        const auto want = runTool("lctune-analyse", shellQuote(kData + "/" + source));
        ASSERT_EQ(want.status, 0);
        for (const char* width : {"32", "64"}) {
            const std::string bits = width;
            const std::string path = ::testing::TempDir() + "float" + bits + "-" + source;
            const auto made = runScript("sox " + shellQuote(kData + "/" + source) + " -e floating-point -b " +
                                        bits + " " + shellQuote(path));
            ASSERT_EQ(made.status, 0) << made.err;
            const auto got = runTool("lctune-analyse", shellQuote(path));
            EXPECT_EQ(got.status, 0) << got.err;
            EXPECT_TRUE(got.out == want.out) << source << " as " << bits << "-bit floating point";
        }
    }
}

// Output that cannot be written (a full disk, a reader that has gone) is a failure, not a short
// table with status 0.
TEST(AnalyseTool, LostOutputFailsWithStatusTwo) {
    const std::string wav = shellQuote(kData + "/g3-44100-stereo.wav");
    const std::string analyse = tool("lctune-analyse");
    for (const std::string& args : {wav, std::string("--help"), std::string("--version")})
        expectOneLineFailure(runScript(analyse + " " + args + " >/dev/full"), args + " >/dev/full");
    // SIGPIPE ignored: once `head` has gone, the writes fail with EPIPE. The table (40 s of sound)
    // is longer than the pipe holds, so the reader is gone before it ends.
    const std::string longWav = ::testing::TempDir() + "forty-seconds.wav";
    ASSERT_EQ(runTool("lctune-synth", "--kind sine --freq 220 --seconds 40 " + shellQuote(longWav)).status,
              0);
    expectOneLineFailure(runScript("trap '' PIPE; " + analyse + " " + shellQuote(longWav) +
                                   " | head -c 100 >/dev/null; exit ${PIPESTATUS[0]}"),
                         "a closed pipe");
    expectOneLineFailure(
        runScript("LCTUNE_INPUT=tone:440 timeout 10 " + analyse + " --input default >/dev/full"),
        "the live tuner >/dev/full");
}

TEST(AnalyseTool, HelpAndVersionSucceed) {
    const auto help = runTool("lctune-analyse", "--help");
    EXPECT_EQ(help.status, 0);
    EXPECT_NE(help.out.find("Usage: lctune-analyse"), std::string::npos);
    const auto version = runTool("lctune-analyse", "--version");
    EXPECT_EQ(version.status, 0);
    EXPECT_EQ(version.out.rfind("lctune-analyse ", 0), 0u);
}

TEST(AnalyseTool, SamplesReachTheAnalysisExactly) {
    // Each block is silent but for its first sample; the gain display (two thirds of full scale
    // over that sample, to two places) tells exactly which value was analysed.
    std::vector<int16_t> mono(5120 * 2, 0);
    mono[0] = 100;    // gain 218.45
    mono[5120] = 101; // gain 216.28
    const auto r = runTool("lctune-analyse", shellQuote(tempWav("mono.wav", mono, 88200, 1)));
    ASSERT_EQ(r.status, 0);
    auto l = lines(r.out);
    // Two blocks: ticks 1 … 4; block 0 arrives at 0.058 s (before tick 3), block 1 at 0.116 s.
    ASSERT_EQ(l.size(), 5u);
    EXPECT_NE(l[3].find("\t218.45\t"), std::string::npos) << l[3];
    EXPECT_NE(l[4].find("\t218.45\t"), std::string::npos) << l[4];

    // Stereo: the mean of the channels, halves to even (100.5 -> 100, 101.5 -> 102).
    std::vector<int16_t> stereo(5120 * 3 * 2, 0);
    stereo[0] = 100, stereo[1] = 101;
    stereo[10240] = 101, stereo[10241] = 102;
    const auto s = runTool("lctune-analyse", shellQuote(tempWav("stereo.wav", stereo, 88200, 2)));
    ASSERT_EQ(s.status, 0);
    l = lines(s.out);
    ASSERT_EQ(l.size(), 7u);
    EXPECT_NE(l[3].find("\t218.45\t"), std::string::npos) << l[3];
    EXPECT_NE(l[5].find("\t214.16\t"), std::string::npos) << l[5];
}

TEST(SynthTool, PluckIsDeterministicAndReadsAsItsNote) {
    const std::string a = ::testing::TempDir() + "pluck-a.wav", b = ::testing::TempDir() + "pluck-b.wav";
    const std::string args = "--kind pluck --freq 110 --seconds 1 --softness 8 ";
    ASSERT_EQ(runTool("lctune-synth", args + shellQuote(a)).status, 0);
    ASSERT_EQ(runTool("lctune-synth", args + shellQuote(b)).status, 0);
    EXPECT_EQ(slurp(a), slurp(b));
    const auto r = runTool("lctune-analyse", shellQuote(a));
    ASSERT_EQ(r.status, 0);
    const auto l = lines(r.out);
    ASSERT_GT(l.size(), 20u);
    EXPECT_NE(l[20].find("\t110HZ\tA2  (6)\t110HZ\t"), std::string::npos) << l[20];
    EXPECT_EQ(runTool("lctune-synth", "--freq 50000 " + shellQuote(a)).status, 2);
}
