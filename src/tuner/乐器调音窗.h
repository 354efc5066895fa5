#pragma once
// The tuner window: the note on its green or red ground, the standard and measured frequencies,
// the deviation needle, the level bars, the waveform, the spectrum, the waveform-analysis plot and
// the equaliser curve, the detector settings, the start and end buttons and the link labels.
//
// The window owns the tuner's analysis and mirrors its displays; it captures nothing itself. The
// recording window's display tick draws into its pictures and runs its analysis; capture starts and
// stops through the recording box's record button, which the window presses through its links.
// User-interface thread only.

#include "capture/WaveInRecorder.h"
#include "platform/ProgramServices.h"
#include "tuner/TunerAnalysis.h"
#include "tuner/TunerSettings.h"

#include <QLabel>
#include <QWidget>

#include <array>
#include <memory>
#include <string>

class QGroupBox;

namespace lctune {

class LCButton;
class PictureBox;
class 可调水平进度条;
class 复选框控件;
class 小圆按钮;
class 框架;
class 电平表;

/// What the tuner window uses of the windows around it.
class TunerWindowLinks {
public:
    virtual ~TunerWindowLinks() = default;
    /// The one capture engine (the recording window's).
    virtual WaveInRecorder& recorder() = 0;
    /// The recording window's stereo and automatic-level-control check boxes.
    virtual void setStereoAndAutoLevel(int32_t stereo, int32_t autoLevel) = 0;
    /// The recording window's equaliser switch (its fourth effect check box).
    virtual void setEqualiserSwitch(int32_t value) = 0;
    virtual void showRecordingWindow() = 0;
    /// Presses the recording box's record button: starts capture when none runs, else stops it.
    virtual void pressRecordButton() = 0;
    /// The cover's version label ("版本：V0.1.0").
    virtual std::string versionLabel() = 0;
    /// Presses the cover's exit button: the program's exit sequence.
    virtual void pressExit() = 0;
    /// Places the works window (logical pixels) and shows it.
    virtual void showWorksWindow(const QRect& geometry) = 0;
};

class 乐器调音窗 : public QWidget {
public:
    乐器调音窗(ProgramServices& services, TunerWindowLinks& links);
    ~乐器调音窗() override;

    /// The analysis the display tick runs (its block is the recording window's sample buffer).
    TunerAnalysis& analysis() { return *analysis_; }
    void 分析频率(SampleBlock& block) { analysis_->分析频率(block); }
    /// Applies the volume bar to the selected mixer line: round(value × 655.35), halves to even.
    void 音量_Change();

    /// Runs when the window becomes the active window: caption, works window, and on the first
    /// activation the start button's click.
    void activated();
    /// Pictures the recording window draws into, and the refresh after a tick.
    PictureBox& picAmplBox() { return *picAmpl; }
    PictureBox& picFreqBox() { return *picFreq; }
    PictureBox& picVULBox() { return *picVUL; }
    PictureBox& picVURBox() { return *picVUR; }
    PictureBox& picEQAmpBox() { return *picEQAmp; }
    PictureBox& picture2Box() { return *Picture2; }
    /// Shows what the last tick did: the analysis's displays as they stand, and the pictures (each
    /// repaints only where its image changed).
    void refreshDisplays();

    int32_t activationCount() const { return activationCount_; }

    // Controls, by their names.
    LCButton* 开始 = nullptr;
    LCButton* 结束 = nullptr;
    LCButton* 录音控制板 = nullptr;
    LCButton* 播放控制板 = nullptr;
    小圆按钮* 均衡设置 = nullptr;
    复选框控件* 滤波 = nullptr;
    复选框控件* 放大 = nullptr;
    复选框控件* 连续 = nullptr;
    复选框控件* 启用均衡 = nullptr;
    可调水平进度条* 滤波系数调节 = nullptr;
    可调水平进度条* 多少帧显示一次 = nullptr;
    可调水平进度条* 施密特百分比 = nullptr;
    可调水平进度条* 锁定音量百分值 = nullptr;
    可调水平进度条* 音量 = nullptr;
    电平表* 电平表1 = nullptr;
    QLabel* 音符 = nullptr;
    QLabel* 标准频率 = nullptr;
    QLabel* 频率阴影 = nullptr;
    QLabel* 频率值 = nullptr;
    QLabel* 提示 = nullptr;
    QLabel* 统计次数label = nullptr;
    QLabel* 放大系数显示 = nullptr;
    QLabel* 放大器DB值 = nullptr;
    PictureBox* picVUL = nullptr;
    PictureBox* picVUR = nullptr;
    PictureBox* picAmpl = nullptr;
    PictureBox* picFreq = nullptr;
    PictureBox* picEQAmp = nullptr;
    PictureBox* Picture2 = nullptr;
    QGroupBox* Frame1 = nullptr;
    QGroupBox* Frame2 = nullptr;
    QWidget* Frame4 = nullptr;
    框架* 框架1 = nullptr;
    框架* 框架3 = nullptr;
    QLabel* Image1 = nullptr;
    QLabel* 使用说明 = nullptr;
    QLabel* 岚川工作室 = nullptr;
    QLabel* 岚川音乐软件包下载 = nullptr; // 《岚川音乐软件包》下载
    QLabel* 朗韵电子琴Label = nullptr;
    QLabel* 朗岳交响曲Label = nullptr;

    /// The link labels in their row, and the colours they rest in and take under the pointer.
    std::array<QLabel*, 5> linkLabels() const {
        return {岚川工作室, 使用说明, 岚川音乐软件包下载, 朗韵电子琴Label, 朗岳交响曲Label};
    }
    static constexpr uint32_t kLinkHover = 0xFF8080; // RGB(128,128,255)

    void 开始_Click();
    void 结束_Click();

protected:
    bool event(QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    class Settings;

    void buildDisplays();
    void buildPlots();
    void buildDetectorFrame();
    void buildSourceFrame();
    void buildButtonsAndLinks();
    void showDisplays();
    void connectControls();
    void centre();
    void restLinkColours();
    void setLinkColour(QLabel* label, uint32_t color);
    void openLink(QLabel* label);
    void mixerViews(bool recording);

    ProgramServices& services_;
    TunerWindowLinks& links_;
    std::unique_ptr<Settings> settings_;
    std::unique_ptr<TunerAnalysis> analysis_;
    int32_t activationCount_ = 0;
    bool closing_ = false;
    std::array<std::string, 7> shownTexts_;
    std::array<uint32_t, 2> shownGrounds_{0xFFFFFFFFu, 0xFFFFFFFFu};
};

} // namespace lctune
