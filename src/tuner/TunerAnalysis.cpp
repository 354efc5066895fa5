#include "tuner/TunerAnalysis.h"

#include "core/Colors.h"
#include "core/Numbers.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <limits>

namespace lctune {

namespace {

constexpr uint32_t kGrey = rgb(128, 128, 128);
constexpr uint32_t kCyan = rgb(0, 255, 255);
constexpr uint32_t kYellow = rgb(255, 255, 0);
constexpr uint32_t kTriggerRed = rgb(255, 0, 0);

// Two thirds of full scale: the level every normalised block peaks at.
constexpr double kNormalisedPeak = 32767.0 / 3.0 * 2.0;

// Display frequency comes from this fixed rate, whatever the capture really runs at.
constexpr double kAnalysisRate = 88200.0;

// A ratio with a percentage as divisor; a divisor of 0, which the sliders never give, is
// treated as an infinitely high threshold instead of dividing by zero.
double percentRatio(double numerator, int32_t percent) {
    return percent == 0 ? std::numeric_limits<double>::infinity() : numerator / percent;
}

struct Band {
    double standard, lower, upper;
};

// The note bands of the thirteen octaves k = -6 … 6, row n = 0 … 11 (A to G+). Each band is half a
// semitone either side of its standard; row 0's lower edge is the G+ edge of the octave below.
struct NoteTable {
    std::array<std::array<Band, 12>, 13> bands{};
    NoteTable() {
        for (int k = -6; k <= 6; ++k) {
            const double octave = std::pow(2.0, k);
            for (int n = 0; n < 12; ++n) {
                Band& b = bands[static_cast<size_t>(k + 6)][static_cast<size_t>(n)];
                b.standard = octave * (440.0 * std::pow(2.0, n / 12.0));
                b.lower = n == 0 ? octave * (220.0 * std::pow(2.0, 11.5 / 12.0))
                                 : octave * (440.0 * std::pow(2.0, (n - 0.5) / 12.0));
                b.upper = octave * (440.0 * std::pow(2.0, (n + 0.5) / 12.0));
            }
        }
    }
    const Band& at(int k, int n) const { return bands[static_cast<size_t>(k + 6)][static_cast<size_t>(n)]; }
};

const NoteTable& noteTable() {
    static const NoteTable table;
    return table;
}

constexpr std::array<const char*, 12> kNoteTexts = {
    "A  (6)",  "A+ (6+)", "B  (7)", "C  (1)",  "C+ (1+)", "D  (2)",
    "D+ (2+)", "E  (3)",  "F  (4)", "F+ (4+)", "G  (5)",  "G+ (5+)",
};

} // namespace

TunerAnalysis::TunerAnalysis(const TunerSettingsView& settings, PlotSurface& picture2, const AppFlags& flags)
    : settings_(settings), picture2_(picture2), flags_(flags) {
    频率值.Change.connect([this] { 由频率推算出音符(leadingNumber(频率值.Text())); });
    标准频率.Change.connect([this] { 频率阴影.Text(标准频率.Text()); });
}

void TunerAnalysis::reset() {
    failCount_ = 0;
    acceptCount_ = 0;
    periodSum_ = 0;
    windowCount_ = 0;
    windowSum_ = 0;
    deviationCount_ = 0;
    deviationSum_ = 0;
}

// ---------------------------------------------------------------------------------------------
// Conditioning. The filters start from rest on every block and return a block one sample shorter
// whose last three samples are 0; blocks too short for that come back as zeros, never read out
// of bounds.

// The stages hold whole numbers in doubles: every difference of two of them is exact, as in
// 32-bit integers, and the chain of rounded stages stays free of conversions.
void TunerAnalysis::滤掉次声波(SampleBlock& x) {
    constexpr double a = 0.0175;
    const int64_t highest = static_cast<int64_t>(x.size()) - 1;
    scratch_.assign(highest > 0 ? static_cast<size_t>(highest) : 0, 0);
    double s1 = 0, s2 = 0, s3 = 0;
    for (int64_t j = 0; j <= highest - 4; ++j) {
        const double xj = x[static_cast<size_t>(j)];
        s1 = roundHalfEvenFast(s1 - a * (s1 - xj));
        s2 = roundHalfEvenFast(s2 - a * (s2 - s1));
        s3 = roundHalfEvenFast(s3 - a * (s3 - s2));
        const double d = xj - s3;
        // The output is limited symmetrically, so -32768 never appears.
        scratch_[static_cast<size_t>(j)] =
            static_cast<int16_t>(d > 32767 ? 32767 : (d < -32767 ? -32767 : d));
    }
    x.swap(scratch_);
}

void TunerAnalysis::低通滤波(SampleBlock& x) {
    // A coefficient above 1 would make the smoother unstable; the slider never gives one.
    const int32_t percent = std::clamp(settings_.滤波系数调节(), 0, 100);
    const double c = static_cast<float>(percent) / 100.0f;
    const int64_t highest = static_cast<int64_t>(x.size()) - 1;
    scratch_.assign(highest > 0 ? static_cast<size_t>(highest) : 0, 0);
    double s1 = 0, s2 = 0, s3 = 0, s4 = 0;
    for (int64_t j = 0; j <= highest - 4; ++j) {
        const double xj = x[static_cast<size_t>(j)];
        s1 = roundHalfEvenFast(s1 - c * (s1 - xj));
        s2 = roundHalfEvenFast(s2 - c * (s2 - s1));
        s3 = roundHalfEvenFast(s3 - c * (s3 - s2));
        s4 = roundHalfEvenFast(s4 - c * (s4 - s3));
        // The fourth stage itself is limited, and the limited value feeds the next sample.
        s4 = s4 > 32767 ? 32767 : (s4 < -32767 ? -32767 : s4);
        scratch_[static_cast<size_t>(j)] = static_cast<int16_t>(s4);
    }
    x.swap(scratch_);
}

void TunerAnalysis::放大子程序(SampleBlock& x) {
    // The last sample is neither examined nor scaled.
    const size_t count = x.empty() ? 0 : x.size() - 1;
    int32_t peak = 0;
    for (size_t i = 0; i < count; ++i) {
        const int32_t magnitude = std::abs(static_cast<int32_t>(x[i]));
        if (magnitude > peak) peak = magnitude;
    }
    if (peak == 0) peak = 32767;
    blockGain_ = kNormalisedPeak / peak;
    // |x[i]| <= peak, so no result leaves the 16-bit range.
    for (size_t i = 0; i < count; ++i)
        x[i] = static_cast<int16_t>(roundHalfEvenFast(x[i] * blockGain_));
}

void TunerAnalysis::求正负峰值(const SampleBlock& x) {
    peakPositive_ = 0;
    peakNegative_ = 0;
    const size_t count = x.empty() ? 0 : x.size() - 1;
    for (size_t i = 0; i < count; ++i) {
        if (x[i] > 0 && x[i] > peakPositive_) peakPositive_ = x[i];
        if (x[i] < 0 && x[i] < peakNegative_) peakNegative_ = x[i];
    }
}

// ---------------------------------------------------------------------------------------------
// Pitch analysis.

void TunerAnalysis::分析频率(SampleBlock& block) {
    ++frameCounter_;
    if (frameCounter_ < settings_.多少帧显示一次()) return;
    frameCounter_ = 0;

    if (!flags_.eqFlat && flags_.eqEnabled && equaliser_) equaliser_(block);

    normalise(block);
    放大系数显示.Text(numberText(roundToPlaces(blockGain_, 2)));

    if (!lockTest()) return;

    提示.Text("分析中！");
    condition();

    const int32_t highest = static_cast<int32_t>(workBlock_.size()) - 1;
    preparePlot(highest);
    measure(highest);
}

// A block is usually analysed on two or three ticks in a row (blocks arrive every 58 ms, the ticks
// come every 25 ms), and the same samples under the same switches always condition to the same
// result: the last block's results are kept and reused, which halves the cost of a tick.
void TunerAnalysis::normalise(const SampleBlock& block) {
    if (cache_.normalised && block == cache_.input) {
        workBlock_ = cache_.normalisedBlock;
        blockGain_ = cache_.normalisedGain;
        return;
    }
    workBlock_.assign(block.begin(), block.end());
    放大子程序(workBlock_);
    cache_.input = block;
    cache_.normalisedBlock = workBlock_;
    cache_.normalisedGain = blockGain_;
    cache_.normalised = true;
    cache_.conditioned = false;
}

void TunerAnalysis::condition() {
    const ConditionCache::Switches switches{settings_.滤波(), settings_.放大(), settings_.滤波系数调节()};
    if (cache_.conditioned && cache_.switches == switches) {
        workBlock_ = cache_.conditionedBlock;
        blockGain_ = cache_.conditionedGain;
        peakPositive_ = cache_.peakPositive;
        peakNegative_ = cache_.peakNegative;
        return;
    }
    if (switches.filter) {
        滤掉次声波(workBlock_);
        低通滤波(workBlock_);
    }
    if (switches.amplify) 放大子程序(workBlock_);
    求正负峰值(workBlock_);
    cache_.switches = switches;
    cache_.conditionedBlock = workBlock_;
    cache_.conditionedGain = blockGain_;
    cache_.peakPositive = peakPositive_;
    cache_.peakNegative = peakNegative_;
    cache_.conditioned = true;
}

// Returns false when the tick ends here: locked, or too weak to measure.
bool TunerAnalysis::lockTest() {
    const float g = static_cast<float>(blockGain_);
    const int32_t p = settings_.锁定音量百分值();
    bool locked = false;
    if (failCount_ >= 1) {
        // Quieter than p % of the normalised peak: the lock holds until a louder pluck.
        if (percentRatio(100.0, p) < g) {
            提示.Text("已经锁定(等待下一次弹拨)！");
            return false;
        }
        reset();
        locked = true;
    }
    if (locked || percentRatio(200.0, p) < g) {
        提示.Text(locked ? "已经锁定(成功率低)！" : "已经锁定(音量小)！");
        reset();
        return false;
    }
    return true;
}

// The Schmitt trigger that marks the waveform and measures its period: armed by a sample at or
// above the upper level, fired by a later one at or below the lower level.
struct SchmittTrigger {
    bool armedHigh = false, armedLow = false;
    struct Marks {
        bool armed = false, low = false, fired = false;
    };
    Marks step(int32_t v, double upper, double lower) {
        Marks m;
        if (v >= upper) {
            m.armed = !armedHigh;
            armedHigh = true;
        }
        if (v <= lower && armedHigh) {
            armedLow = true;
            m.low = true;
        }
        if (armedHigh && armedLow) {
            m.fired = true;
            armedHigh = armedLow = false;
        }
        return m;
    }
};

// The picture takes the block's scale now; what it shows is drawn by drawPlot().
void TunerAnalysis::preparePlot(int32_t highest) {
    trace_.oldWidth = picture2_.scaleWidth();
    trace_.oldHeight = picture2_.scaleHeight();
    trace_.highest = highest;
    trace_.samples.clear();
    trace_.pending = true;
    picture2_.scaleWidth(highest);
    picture2_.scaleHeight(65536);
}

void TunerAnalysis::measure(int32_t highest) {
    if (highest <= 0) return;
    SchmittTrigger trigger;
    int32_t triggerCount = 0;
    prevPeriod_ = 0;

    const int32_t q = settings_.施密特百分比();
    trace_.upper = q * (peakPositive_ / 100.0);
    trace_.lower = q * (peakNegative_ / 100.0);

    // The trace ends with the last sample examined, marks included.
    int32_t i = 0;
    for (; i <= highest; ++i) {
        const int32_t v = workBlock_[static_cast<size_t>(i)];
        if (!trigger.step(v, trace_.upper, trace_.lower).fired) continue;
        ++triggerCount;
        if (triggerCount >= 2) {
            const double period = i - static_cast<double>(lastTriggerPos_);
            if (triggerCount == 2 || std::fabs(period - prevPeriod_) < period / 15) {
                if (!acceptPeriod(period)) break;
            } else {
                // From here on this block shows no frequency, and the next analysed tick is locked.
                ++failCount_;
            }
        }
        lastTriggerPos_ = static_cast<float>(i);
    }
    const auto end = workBlock_.begin() + std::min(i, highest) + 1;
    trace_.samples.assign(workBlock_.begin(), end);
}

void TunerAnalysis::drawPlot() {
    if (!trace_.pending) return;
    trace_.pending = false;
    // The grey middle line uses the scale of the previous block, before the new scale is set.
    const double w = trace_.oldWidth, h = trace_.oldHeight;
    picture2_.scaleWidth(w);
    picture2_.scaleHeight(h);
    picture2_.clear();
    picture2_.line(0, h / 2, w, h / 2, kGrey);
    picture2_.scaleWidth(trace_.highest);
    picture2_.scaleHeight(65536);
    drawTrace();
}

// The waveform goes to the picture as chains of lines, broken where trigger marks are drawn over
// it so that everything lands in the order the marks and lines come.
void TunerAnalysis::drawTrace() {
    SchmittTrigger trigger;
    std::vector<PlotPoint>& chain = tracePoints_;
    chain.assign(1, PlotPoint{1, 32767});
    for (size_t i = 0; i < trace_.samples.size(); ++i) {
        const int32_t v = trace_.samples[i];
        const double x = static_cast<double>(i) + 1;
        chain.push_back(PlotPoint{x + 1, 32767.0 + v});
        const SchmittTrigger::Marks m = trigger.step(v, trace_.upper, trace_.lower);
        if (!(m.armed || m.low || m.fired)) continue;
        picture2_.polyline(chain, kCyan);
        chain.assign(1, chain.back());
        if (m.armed) picture2_.line(x, 32767, x, 65536, kYellow);
        if (m.low) picture2_.line(x, 32767, x, 0, kYellow);
        if (m.fired) picture2_.line(x, 0, x, 65536, kTriggerRed);
    }
    picture2_.polyline(chain, kCyan);
}

// Returns false when the call must end at once (a block of silence triggers on every sample).
bool TunerAnalysis::acceptPeriod(double period) {
    // A steady tone would carry the 16-bit count past its limit after about half a minute:
    // start the statistics afresh, as a new pluck does, and count this period as the first.
    if (acceptCount_ == std::numeric_limits<int16_t>::max()) reset();

    ++acceptCount_;
    统计次数label.Text(numberText(acceptCount_));
    periodSum_ += period;
    if (periodSum_ / acceptCount_ == 1) return false;

    // The statistics window holds accepted periods 2 … maxCount + 2, about 0.2 s of the pitch.
    const double maxCount = roundHalfEven(1764000.0 / period / 100.0);
    if (settings_.连续() || (2 <= acceptCount_ && acceptCount_ <= maxCount + 2)) {
        ++windowCount_;
        windowSum_ += static_cast<int32_t>(period);
        const double mean = static_cast<double>(windowSum_) / windowCount_;
        if (failCount_ == 0) 频率值.Text(numberText(roundToPlaces(kAnalysisRate / mean, 1)) + "HZ");
    }
    prevPeriod_ = period;
    return true;
}

// ---------------------------------------------------------------------------------------------
// Note derivation.

void TunerAnalysis::由频率推算出音符(double f) {
    const NoteTable& table = noteTable();
    // Highest octave first; the scan ends with the first octave that matched. A frequency on a
    // shared edge inside one octave matches both rows, and both count.
    for (int k = 6; k >= -6; --k) {
        bool matched = false;
        for (int n = 0; n < 12; ++n) {
            const Band& b = table.at(k, n);
            if (b.lower <= f && f <= b.upper) {
                matchBand(k, n, b.standard, b.lower, b.upper, f);
                matched = true;
            }
        }
        if (matched) return;
    }
}

std::string_view TunerAnalysis::withoutArrow(std::string_view noteText) {
    for (std::string_view arrow : {"↑", "↓"})
        if (noteText.ends_with(arrow)) return noteText.substr(0, noteText.size() - arrow.size());
    return noteText;
}

// The text is the row's first letter, the octave digit k + 4 (with a sign when negative), then the
// rest of the row's text.
double TunerAnalysis::standardFrequency(std::string_view noteText) {
    const std::string_view text = withoutArrow(noteText);
    for (size_t n = 0; n < kNoteTexts.size(); ++n) {
        const std::string_view row = kNoteTexts[n];
        if (text.size() <= row.size() || text[0] != row[0] || !text.ends_with(row.substr(1))) continue;
        const std::string_view digit = text.substr(1, text.size() - row.size());
        int octave = 0;
        const auto [end, ec] = std::from_chars(digit.data(), digit.data() + digit.size(), octave);
        if (ec != std::errc() || end != digit.data() + digit.size() || octave < -2 || octave > 10) continue;
        return noteTable().at(octave - 4, static_cast<int>(n)).standard;
    }
    return 0;
}

void TunerAnalysis::matchBand(int k, int n, double s, double lo, double hi, double f) {
    std::string note = kNoteTexts[static_cast<size_t>(n)];
    标准频率.Text(numberText(roundToPlaces(s, 1)) + "HZ");
    // About 16.8 cents sharp or 16.5 cents flat earns an arrow.
    if (f > s && f > s + (hi - f) / 2) note += "↑";
    if (f < s && f < s - (f - lo) / 2) note += "↓";

    // The upward half-band is the divisor on both sides: +20 at the upper edge, -19.43 at the lower.
    const double d = (f - s) / (hi - s) * 20;
    ++deviationCount_;
    deviationSum_ += d;
    电平表1.Value(deviationSum_ / deviationCount_);
    const uint32_t background = std::abs(电平表1.Value()) > 4 ? kRed : kGreen;
    音符.BackColor(background);
    频率值.BackColor(background);

    // The octave digit goes after the letter: "A  (6)" in octave 0 reads "A4  (6)".
    音符.Text(note.substr(0, 1) + std::to_string(k + 4) + note.substr(1));
}

} // namespace lctune
