#pragma once
// The tuner's measurement: conditioning of each analysed block, the Schmitt-trigger period
// measurement with its running statistics, and the derivation of the note from the frequency.
// The tuner window owns one instance, supplies its controls through a TunerSettingsView and
// mirrors the displays (labels, needle value) on screen. Everything runs on the user-interface
// thread; nothing here blocks or allocates per sample.
//
// The analysis assumes one channel at 88200 samples per second; another rate scales every
// frequency it shows.

#include "core/AppFlags.h"
#include "core/Label.h"
#include "core/PlotSurface.h"
#include "core/SampleBlock.h"
#include "tuner/TunerSettings.h"

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace lctune {

class TunerAnalysis {
public:
    /// The equaliser step: equalises the block in place. Called only while the equaliser is
    /// switched on and not flat.
    using Equaliser = std::function<void(SampleBlock&)>;

    TunerAnalysis(const TunerSettingsView& settings, PlotSurface& picture2, const AppFlags& flags);
    TunerAnalysis(const TunerAnalysis&) = delete;
    TunerAnalysis& operator=(const TunerAnalysis&) = delete;

    void setEqualiser(Equaliser equaliser) { equaliser_ = std::move(equaliser); }

    /// Analyses one display tick's block (one channel, 88200 per second). The block changes only
    /// through the equaliser step; everything after it works on the tuner's own copy.
    void 分析频率(SampleBlock& block);

    /// Derives the note, standard frequency, arrows, needle and colours from a frequency in hertz.
    void 由频率推算出音符(double f);

    /// The standard frequency in hertz of a note text as 音符 shows it ("A4  (6)", "C3+ (1+)↓"; an
    /// arrow is allowed), exactly as the derivation computes it; 0 for a text that names no note.
    static double standardFrequency(std::string_view noteText);
    /// A note text without its ↑ or ↓.
    static std::string_view withoutArrow(std::string_view noteText);

    // Conditioning of the working block.
    void 滤掉次声波(SampleBlock& x);
    void 低通滤波(SampleBlock& x);
    void 放大子程序(SampleBlock& x);
    void 求正负峰值(const SampleBlock& x);

    /// Clears the statistics of the current pluck.
    void reset();

    /// Draws the waveform of the last analysed block, with its trigger marks, on Picture2. The
    /// analysis only remembers what to draw: the picture is cleared and redrawn with each block,
    /// so drawing it just before it is shown gives what drawing on every tick would, at the
    /// cost of the ticks that are shown. Nothing happens when nothing new was analysed.
    void drawPlot();

    // Displays.
    Label 提示{"分析中！"};
    Label 放大系数显示{"放大系数显示"};
    Label 统计次数label{"统计次数label"};
    Label 频率值{"440HZ", kGreen};
    Label 音符{"A  (6)", kGreen};
    Label 标准频率{"440HZ"};
    Label 频率阴影{"440HZ"};
    NeedleValue 电平表1;

    static constexpr uint32_t kGreen = 0x008000; // RGB(0,128,0)
    static constexpr uint32_t kRed = 0x0000FF;   // RGB(255,0,0)

    // State, readable for the window and for tests.
    int32_t frameCounter() const { return frameCounter_; }
    int16_t failCount() const { return failCount_; }
    int16_t acceptCount() const { return acceptCount_; }
    double periodSum() const { return periodSum_; }
    int16_t windowCount() const { return windowCount_; }
    int32_t windowSum() const { return windowSum_; }
    float lastTriggerPos() const { return lastTriggerPos_; }
    int16_t deviationCount() const { return deviationCount_; }
    double deviationSum() const { return deviationSum_; }
    double blockGain() const { return blockGain_; }
    int16_t peakPositive() const { return peakPositive_; }
    int16_t peakNegative() const { return peakNegative_; }
    const SampleBlock& workBlock() const { return workBlock_; }

private:
    friend struct TunerAnalysisTestAccess;

    void normalise(const SampleBlock& block);
    void condition();
    bool lockTest();
    void preparePlot(int32_t highest);
    void measure(int32_t highest);
    void drawTrace();
    bool acceptPeriod(double period);
    void matchBand(int k, int n, double s, double lo, double hi, double f);

    const TunerSettingsView& settings_;
    PlotSurface& picture2_;
    const AppFlags& flags_;
    Equaliser equaliser_;

    SampleBlock workBlock_;
    SampleBlock scratch_;

    /// The last block analysed and what normalising and conditioning made of it.
    struct ConditionCache {
        struct Switches {
            bool filter = false, amplify = false;
            int32_t coefficient = 0;
            bool operator==(const Switches&) const = default;
        };
        SampleBlock input, normalisedBlock, conditionedBlock;
        double normalisedGain = 0, conditionedGain = 0;
        int16_t peakPositive = 0, peakNegative = 0;
        Switches switches;
        bool normalised = false, conditioned = false;
    };
    ConditionCache cache_;
    double blockGain_ = 0;
    int16_t peakPositive_ = 0;
    int16_t peakNegative_ = 0;

    int32_t frameCounter_ = 0;
    int16_t failCount_ = 0;
    int16_t acceptCount_ = 0;
    double periodSum_ = 0;
    int16_t windowCount_ = 0;
    int32_t windowSum_ = 0;
    float lastTriggerPos_ = 0;
    int16_t deviationCount_ = 0;
    double deviationSum_ = 0;

    // Per-call values of the measurement loop.
    double prevPeriod_ = 0;

    /// What the next drawPlot() draws: the block's samples up to the last one the measurement
    /// reached, its trigger levels, and the scales before and after the block.
    struct Trace {
        SampleBlock samples;
        double upper = 0, lower = 0;
        double oldWidth = 0, oldHeight = 0;
        int32_t highest = 0;
        bool pending = false;
    };
    Trace trace_;
    std::vector<PlotPoint> tracePoints_;
};

} // namespace lctune
