#include "recording/录音框.h"

#include "core/Colors.h"
#include "core/Numbers.h"
#include "platform/HandlerGuard.h"
#include "platform/ScreenMetrics.h"
#include "platform/qt/BackgroundDrag.h"
#include "platform/qt/PictureBox.h"
#include "recording/录音窗.h"
#include "tuner/乐器调音窗.h"
#include "widgets/LCButton.h"
#include "widgets/可调水平进度条.h"
#include "widgets/复选框控件.h"
#include "widgets/小圆按钮.h"
#include "widgets/框架.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPainter>
#include <QRadioButton>

#include <cmath>

namespace lctune {

namespace {

constexpr uint32_t kBoxGround = rgb(0, 64, 64);

// The record dot and the stop square on the buttons' icon key colour.
QImage symbol(bool record) {
    QImage image(16, 16, QImage::Format_RGB32);
    image.fill(QColor(0, 0, 254));
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing, false);
    p.setPen(Qt::NoPen);
    if (record) {
        p.setBrush(QColor(214, 24, 24));
        p.drawEllipse(QRect(2, 2, 11, 11));
    } else {
        p.setBrush(QColor(36, 36, 36));
        p.drawRect(QRect(3, 3, 10, 10));
    }
    return image;
}

} // namespace

录音框::录音框(ProgramServices& services, 录音窗& recordingWindow, 乐器调音窗& tuner,
               std::function<WId()> coverHandle)
    : QWidget(nullptr, Qt::Window | Qt::FramelessWindowHint), services_(services),
      recordingWindow_(recordingWindow), tuner_(tuner), coverHandle_(std::move(coverHandle)) {
    setWindowTitle(QString::fromUtf8("录音框"));
    QPalette palette = this->palette();
    palette.setColor(QPalette::Window, QColor(0, 64, 64));
    setPalette(palette);
    setAutoFillBackground(true);
    红灯Image = symbol(true);
    四方快Image = symbol(false);
    框架2 = new 框架(this);
    框架2->边框色(rgb(0, 96, 96));
    录音按钮 = new 小圆按钮(this);
    录音按钮->setGeometry(24, 24, 90, 60);
    录音按钮->Caption(kIdle);
    录音按钮->Picture(红灯Image);
    录音按钮->Click.connect([this] { guarded(services_.messageBoxes, [this] { 录音按钮_Click(); }); });
    // A device that fails while capturing (unplugged, the sound server gone) ends the capture as
    // the stop button would, file and all, and says so once.
    deviceLost_ = recordingWindow_.clsRecorder().DeviceLost.connect(
        [this](const std::string& reason) { guarded(services_.messageBoxes, [&] { deviceLost(reason); }); });
    最小化的Picture = new QLabel(this);
    最小化的Picture->resize(24, 24);
    最小化的Picture->setAutoFillBackground(true);
    QPalette dark = 最小化的Picture->palette();
    dark.setColor(QPalette::Window, QColor(0, 64, 64));
    最小化的Picture->setPalette(dark);
}

录音框::~录音框() {
    deviceLost_.disconnect();
}

void 录音框::load() {
    const ScreenMetrics& m = ScreenMetrics::current();
    const double widthTwips = m.screenWidthTwips();
    const double heightTwips = m.screenHeightTwips() - 445.0;
    setGeometry(0, 0, static_cast<int>(widthTwips / m.twipsPerPixelX()),
                static_cast<int>(heightTwips / m.twipsPerPixelY()));
    框架2->setGeometry(5, 7, width() - 10, std::max(0, height() - 60));
    最小化的Picture->move(width() - 最小化的Picture->width(), 0);

    SettingsStore& store = services_.settings;
    store.write(kStudioApplication, "录音棚衔接参数", "录音框_hwnd", std::to_string(winId()));
    store.write(kStudioApplication, "录音棚衔接参数", "封面_hwnd",
                std::to_string(coverHandle_ ? coverHandle_() : 0));
}

void 录音框::录音按钮_Click() {
    tuner_.音量_Change();
    if (recordingWindow_.clsRecorder().IsRecording())
        stopSequence();
    else
        startSequence();
}

std::string 录音框::defaultFile() const {
    return services_.recordingFolder + "/临时录音文件.wav";
}

void 录音框::startSequence() {
    录音窗& w = recordingWindow_;
    录音按钮->Picture(四方快Image);
    if (w.txtFile->text().isEmpty()) w.txtFile->setText(QString::fromStdString(defaultFile()));

    RecordingRequest request;
    request.rate = w.sampleRate();
    request.channels = static_cast<int16_t>(w.chkStereo->Value() + 1);
    request.output = EncoderWAV::outputFormatFromSettings(w.cboSamplerate->currentText().toStdString(),
                                                          w.chkStereo->Value(), w.位数16->isChecked());
    request.path = w.txtFile->text().toStdString();
    switch (w.hub().startRecording(request)) {
    case StartResult::Started:
        break;
    case StartResult::InvalidSampleRate:
        // A rate the effects cannot run at: nothing was started, and the rate in force stays.
        录音按钮->Picture(红灯Image);
        services_.messageBoxes.warning(kTitle, "invalid samplerate");
        return;
    case StartResult::EncoderFailed:
        services_.messageBoxes.warning(kTitle, "无法初始化编码器!");
        return;
    case StartResult::CaptureFailed:
        services_.messageBoxes.warning(
            kTitle, "不能启动录音功能!请确认您的声卡是全双工的，如果不是请升级声卡或主板。");
        return;
    }
    w.hide();
    if (w.自动电平控制->Value() == 1) tuner_.音量->Value(50);
    录音按钮->Caption(kRecording);
    w.SetFormEnabled(false);
}

void 录音框::stopSequence() {
    PictureBox& ampl = tuner_.picAmplBox();
    ampl.surface().clear();
    ampl.refresh();
    录音按钮->Picture(红灯Image);
    // The file is closed (header written) whatever the device did; then the failure is told.
    if (!recordingWindow_.hub().stopRecording()) services_.messageBoxes.warning(kTitle, "此时无法停止录音!");
    录音按钮->Caption(kIdle);
    recordingWindow_.SetFormEnabled(true);
}

void 录音框::deviceLost(const std::string& reason) {
    if (!recordingWindow_.clsRecorder().IsRecording()) return;
    stopSequence();
    services_.messageBoxes.warning(kTitle, "录音设备没有声音了，录音已停止（" + reason + "）。");
}

// Dragging by the background: the window manager's move where there is one, else a plain drag.
void 录音框::mousePressEvent(QMouseEvent* e) {
    drag_.press(*this, *e);
    QWidget::mousePressEvent(e);
}

void 录音框::mouseMoveEvent(QMouseEvent* e) {
    drag_.move(*this, *e);
    QWidget::mouseMoveEvent(e);
}

} // namespace lctune
