// lctune-analyse --summary and --plot end to end: the three formats, the picture, a recording
// without a held note, and the error paths.

#include "support/TestSupport.h"
#include "support/ToolRunner.h"
#include "tuner/TunerAnalysis.h"

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <sstream>

using namespace lctune;
using namespace lctune::test;
namespace fs = std::filesystem;

namespace {

// Half a second of silence, A4 12 cents sharp, silence, A2 in tune, silence.
class SummaryTool : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        std::vector<int16_t> s(44100, 0);
        for (const auto& [note, cents] : {std::pair{"A4  (6)", 12.0}, std::pair{"A2  (6)", 0.0}}) {
            const double hz = TunerAnalysis::standardFrequency(note) * std::exp2(cents / 1200);
            const auto tone = sine(hz, 88200, 16000, 88200 * 6 / 5);
            s.insert(s.end(), tone.begin(), tone.end());
            s.insert(s.end(), 44100, 0);
        }
        ASSERT_TRUE(writeWav(take(), s, 88200, 1));
        ASSERT_TRUE(writeWav(silence(), std::vector<int16_t>(88200, 0), 88200, 1));
    }
    static std::string take() { return ::testing::TempDir() + "summary-take.wav"; }
    static std::string silence() { return ::testing::TempDir() + "summary-silence.wav"; }

    TempDir dir;
};

std::vector<std::string> fields(const std::string& line) {
    std::vector<std::string> v;
    std::istringstream in(line);
    for (std::string f; std::getline(in, f, '\t');)
        v.push_back(f);
    return v;
}

// Digits, a point and exactly `places` digits.
bool isFixed(const std::string& text, size_t places) {
    const size_t point = text.find('.');
    return point != std::string::npos && point > 0 && text.size() == point + 1 + places &&
           text.find_first_not_of("0123456789.") == std::string::npos;
}

void expectOneLineFailure(const ToolResult& r, const std::string& what) {
    EXPECT_EQ(r.status, 2) << what;
    EXPECT_EQ(r.out, "") << what;
    EXPECT_EQ(r.err.rfind("lctune-analyse: ", 0), 0u) << what << ": " << r.err;
    EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 1) << what << ": " << r.err;
}

} // namespace

TEST_F(SummaryTool, TsvHasAHeaderOneLinePerNoteAndTheSummary) {
    const auto r = runTool("lctune-analyse", "--summary --format tsv " + shellQuote(take()));
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.err, "");
    const auto l = lines(r.out);
    ASSERT_EQ(l.size(), 4u) << r.out;
    EXPECT_EQ(l[0], "start_s\tend_s\tnote\tstandard_hz\tmeasured_hz\tdeviation_cents\tspread_cents\tverdict");
    const auto a4 = fields(l[1]), a2 = fields(l[2]);
    ASSERT_EQ(a4.size(), 8u) << l[1];
    ASSERT_EQ(a2.size(), 8u) << l[2];
    EXPECT_TRUE(isFixed(a4[0], 3) && isFixed(a4[1], 3) && isFixed(a2[0], 3) && isFixed(a2[1], 3)) << r.out;
    EXPECT_NEAR(std::stod(a4[0]), 0.5, 0.12);
    EXPECT_NEAR(std::stod(a4[1]), 1.7, 0.12);
    EXPECT_NEAR(std::stod(a2[0]), 2.2, 0.12);
    EXPECT_NEAR(std::stod(a2[1]), 3.4, 0.12);
    EXPECT_EQ(std::vector(a4.begin() + 2, a4.end()),
              (std::vector<std::string>{"A4  (6)", "440.00", "443.06", "12.0", "0.0", "偏高 12.0"}));
    EXPECT_EQ(std::vector(a2.begin() + 2, a2.end()),
              (std::vector<std::string>{"A2  (6)", "110.00", "110.00", "0.0", "0.0", "准"}));
    EXPECT_EQ(l[3], "# 2 notes, 1 in tune, mean absolute deviation 6.0 cents");
}

TEST_F(SummaryTool, JsonIsOneObjectAndTextIsAligned) {
    const auto json = runTool("lctune-analyse", "--summary --format=json " + shellQuote(take()));
    ASSERT_EQ(json.status, 0) << json.err;
    const auto j = lines(json.out);
    ASSERT_EQ(j.size(), 5u) << json.out;
    EXPECT_EQ(j[0], "{\"notes\": [");
    const auto tsv = lines(runTool("lctune-analyse", "--summary --format tsv " + shellQuote(take())).out);
    ASSERT_EQ(tsv.size(), 4u);
    const auto a4 = fields(tsv[1]), a2 = fields(tsv[2]);
    ASSERT_EQ(a4.size(), 8u);
    ASSERT_EQ(a2.size(), 8u);
    EXPECT_EQ(j[1], "  {\"start_s\": " + a4[0] + ", \"end_s\": " + a4[1] +
                        ", \"note\": \"A4  (6)\", \"standard_hz\": 440.00, \"measured_hz\": 443.06, "
                        "\"deviation_cents\": 12.0, \"spread_cents\": 0.0, \"verdict\": \"偏高 12.0\", "
                        "\"in_tune\": false},");
    EXPECT_EQ(j[2],
              "  {\"start_s\": " + a2[0] + ", \"end_s\": " + a2[1] +
                  ", \"note\": \"A2  (6)\", \"standard_hz\": 110.00, \"measured_hz\": 110.00, "
                  "\"deviation_cents\": 0.0, \"spread_cents\": 0.0, \"verdict\": \"准\", \"in_tune\": true}");
    EXPECT_EQ(j[3], "],");
    EXPECT_EQ(j[4], " \"summary\": {\"notes\": 2, \"in_tune\": 1, \"mean_abs_deviation_cents\": 6.0}}");

    const auto text = runTool("lctune-analyse", "--summary --format text " + shellQuote(take()));
    ASSERT_EQ(text.status, 0);
    const auto t = lines(text.out);
    ASSERT_EQ(t.size(), 4u) << text.out;
    // Everything before the verdict is ASCII: the same byte offset is the same column.
    const size_t verdict = t[0].find("verdict");
    ASSERT_NE(verdict, std::string::npos);
    EXPECT_EQ(t[1].find("偏高 12.0"), verdict) << t[1];
    EXPECT_EQ(t[2].find("准"), verdict) << t[2];
    EXPECT_EQ(t[1].find("443.06") + 6, t[0].find("measured Hz") + 11) << "right-aligned numbers";
    EXPECT_EQ(t[3], "2 notes, 1 in tune, mean absolute deviation 6.0 cents");
}

TEST_F(SummaryTool, NoHeldNoteGivesTheHeaderAndSaysSo) {
    const auto tsv = runTool("lctune-analyse", "--summary --format tsv " + shellQuote(silence()));
    EXPECT_EQ(tsv.status, 0);
    EXPECT_EQ(lines(tsv.out).size(), 1u) << tsv.out;
    EXPECT_EQ(tsv.err, "lctune-analyse: " + silence() + ": no held note found\n");
    const auto json = runTool("lctune-analyse", "--summary --format json " + shellQuote(silence()));
    EXPECT_EQ(json.status, 0);
    EXPECT_EQ(json.out, "{\"notes\": [],\n \"summary\": {\"notes\": 0, \"in_tune\": 0, "
                        "\"mean_abs_deviation_cents\": null}}\n");
}

TEST_F(SummaryTool, PlotIsAnSvgPictureOfTheNotes) {
    const std::string svg = (dir / "图 take.svg").string(), png = (dir / "take.png").string();
    const auto r =
        runTool("lctune-analyse", "--plot " + shellQuote(svg) + " --format tsv " + shellQuote(take()));
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(lines(r.out).size(), 4u) << "the report is printed too";
    const std::string picture = slurp(svg);
    EXPECT_EQ(picture.rfind("<?xml", 0), 0u);
    for (const char* part :
         {">A4  (6)</text>", ">偏高 12.0</text>", ">A2  (6)</text>", ">准 0.0</text>", "<polyline",
          ">summary-take.wav</text>", ">2 notes, 1 in tune, mean absolute deviation 6.0 cents<"})
        EXPECT_NE(picture.find(part), std::string::npos) << part;
    // A renderer takes it: it is well-formed SVG.
    EXPECT_EQ(std::system(("rsvg-convert " + shellQuote(svg) + " -o " + shellQuote(png)).c_str()), 0);
    EXPECT_GT(fs::file_size(png), 1000u);
    EXPECT_EQ(std::distance(fs::directory_iterator(dir.path()), fs::directory_iterator()), 2)
        << "no part left";

    // Without a held note the picture still has its axes and says so.
    ASSERT_EQ(runTool("lctune-analyse", "--plot " + shellQuote(svg) + " " + shellQuote(silence())).status, 0);
    EXPECT_NE(slurp(svg).find(">no held note found</text>"), std::string::npos);
}

TEST_F(SummaryTool, BadOptionsAndFilesFailWithOneLine) {
    const std::string wav = shellQuote(take());
    const std::string folder = shellQuote(dir.path().string());
    for (const std::string& args : {
             "--summary --format xml " + wav,
             "--format tsv " + wav,
             std::string("--summary --input default"),
             "--plot= " + wav,
             "--plot " + folder + " " + wav,
             "--plot " + shellQuote((dir / "missing" / "p.svg").string()) + " " + wav,
             "--plot " + wav + " " + wav,
             "--summary " + shellQuote((dir / "missing.wav").string()),
         })
        expectOneLineFailure(runTool("lctune-analyse", args), args);
    EXPECT_EQ(runTool("lctune-analyse", "--summary --format tsv " + wav).status, 0)
        << "the recording is intact";

    const std::string err = (dir / "err").string();
    const std::string command = shellQuote(std::string(LCTUNE_TOOLS_DIR) + "/lctune-analyse") +
                                " --summary " + wav + " >/dev/full 2>" + shellQuote(err);
    const int status = std::system(command.c_str());
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 2);
    EXPECT_EQ(slurp(err), "lctune-analyse: cannot write the output: No space left on device\n");
}
