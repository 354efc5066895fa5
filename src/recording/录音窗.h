#pragma once
// The recording window: the capture hub's home and its settings face. It owns the capture hub
// (engine, effects, plots, level smoothers, encoder) and the 25 ms display tick, and shows the
// input device, the output format and file, the effect switches and the equaliser panel. Loaded
// hidden at start-up and kept until the program ends: closing it only hides it, unless the exit
// sequence has set the flag that makes the close final. User-interface thread only.

#include "platform/ProgramServices.h"
#include "recording/CaptureHub.h"

#include <QTimer>
#include <QWidget>

#include <array>
#include <memory>
#include <string>

class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QRadioButton;

namespace lctune {

class LCButton;
class 乐器调音窗;
class 均衡器板;
class 复选框控件;
class PictureBox;

/// What the recording window uses of the windows around it.
class RecordingWindowLinks {
public:
    virtual ~RecordingWindowLinks() = default;
    /// The tuner window, loaded on this first reference (its load runs inside this window's).
    virtual 乐器调音窗& loadTunerWindow() = 0;
    /// Presses the recording box's record button (runs its start or stop sequence).
    virtual void pressRecordButton() = 0;
};

class 录音窗 : public QWidget {
public:
    录音窗(ProgramServices& services, RecordingWindowLinks& links);
    ~录音窗() override;

    /// The load: objects, device list, sample rate, equaliser panel, device choice, the tuner
    /// window, stored settings, centring; then the display tick starts.
    void load();

    CaptureHub& hub() { return *hub_; }
    WaveInRecorder& clsRecorder() { return hub_->recorder(); }
    bool loaded() const { return loaded_; }

    void SetFormEnabled(bool enabled);
    void chkFX_Click(int32_t index);
    void 保存参数();
    void 打开参数();
    /// One display tick: the hub's tick; every kTicksPerShow ticks the tuner window shows the
    /// state the tick left.
    void tmrVis_Timer();
    static constexpr int64_t kTicksPerShow = 2;
    /// The equaliser panel's curve drawing.
    void 绘均衡曲线(PictureBox& picture) const;

    // Controls, by their names.
    QGroupBox* frmInp = nullptr;
    QComboBox* 设备 = nullptr;
    QGroupBox* frmOut = nullptr;
    QComboBox* cboSamplerate = nullptr;
    复选框控件* chkStereo = nullptr;
    QRadioButton* 位数16 = nullptr;
    QRadioButton* 位数8 = nullptr;
    QLineEdit* txtFile = nullptr;
    LCButton* 浏览 = nullptr;
    LCButton* 默认值 = nullptr;
    QGroupBox* frmEffects = nullptr;
    std::array<复选框控件*, 4> chkFX{};
    复选框控件* 自动电平控制 = nullptr;
    均衡器板* 均衡器 = nullptr;
    QGroupBox* 不显示的控件 = nullptr;
    LCButton* 录音控制板 = nullptr;
    LCButton* 播放控制板 = nullptr;
    QTimer tmrVis;

    /// The sample rate typed or chosen (the leading number of the box's text, 0 without one).
    int32_t sampleRate() const;

    void 设备_Click();
    void cboSamplerate_Click();
    void 浏览_Click();
    void 默认值_Click();

protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildInput();
    void buildOutput();
    void buildEffects();
    void connectControls();
    void centre();
    /// Applies a rate to the effects processor; a rate it refuses is reported and changes nothing.
    bool applySampleRate(int32_t rate);
    std::string readSetting(const std::string& key, const std::string& fallback);

    ProgramServices& services_;
    RecordingWindowLinks& links_;
    std::unique_ptr<CaptureHub> hub_;
    乐器调音窗* tuner_ = nullptr;
    bool loaded_ = false;
    int64_t ticks_ = 0;
};

} // namespace lctune
