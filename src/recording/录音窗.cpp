#include "recording/录音窗.h"

#include "core/Colors.h"
#include "core/Error.h"
#include "core/Numbers.h"
#include "platform/HandlerGuard.h"
#include "platform/ScreenMetrics.h"
#include "platform/qt/PictureBox.h"
#include "recording/均衡器板.h"
#include "tuner/乐器调音窗.h"
#include "widgets/LCButton.h"
#include "widgets/可调水平进度条.h"
#include "widgets/复选框控件.h"
#include "widgets/直滑电位器.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QGroupBox>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>

#include <cmath>

namespace lctune {

namespace {

constexpr const char* kSection = "录音窗";
constexpr const char* kUntouchedRate = "cboSamplerate";
constexpr uint32_t kGround = rgb(222, 226, 230);
constexpr int kWindowWidth = 660;
constexpr int kWindowHeight = 460;

QLabel* caption(QWidget* parent, const char* text, const QRect& at) {
    auto* l = new QLabel(QString::fromUtf8(text), parent);
    l->setGeometry(at);
    return l;
}

复选框控件* checkBox(QWidget* parent, const char* text, const QRect& at, int32_t value) {
    auto* c = new 复选框控件(parent);
    c->setGeometry(at);
    c->BackColor(kGround);
    c->Caption(text);
    c->Value(value);
    return c;
}

} // namespace

录音窗::录音窗(ProgramServices& services, RecordingWindowLinks& links)
    : QWidget(nullptr, Qt::Window), services_(services), links_(links) {
    setWindowTitle(QString::fromUtf8("录音设置"));
    setFixedSize(kWindowWidth, kWindowHeight);
    QPalette p = palette();
    p.setColor(QPalette::Window, QColor(222, 226, 230));
    setPalette(p);
    setAutoFillBackground(true);
    QFont base = font();
    base.setPixelSize(13);
    setFont(base);

    hub_ = std::make_unique<CaptureHub>(services_.waveIn, services_.mixers, services_.loop,
                                        services_.messageBoxes, services_.flags);
    buildInput();
    buildOutput();
    buildEffects();
    均衡器 = new 均衡器板(this, hub_->effects(), services_.flags);
    均衡器->setGeometry(8, 244, 644, 206);
    不显示的控件 = new QGroupBox(QString::fromUtf8("不显示的控件"), this);
    不显示的控件->setGeometry(0, 0, 300, 60);
    录音控制板 = new LCButton(不显示的控件);
    录音控制板->Caption("录音控制板");
    播放控制板 = new LCButton(不显示的控件);
    播放控制板->Caption("播放控制板");
    不显示的控件->hide();
    connectControls();

    // A coarse timer keeps 40 ticks a second but lands on the 25 ms marks of the clock, so the
    // works window's 100 ms pointer check runs in the same wake-up as every fourth tick instead of
    // waking the program ten more times a second.
    tmrVis.setTimerType(Qt::CoarseTimer);
    tmrVis.setInterval(25);
    QObject::connect(&tmrVis, &QTimer::timeout, this, [this] { tmrVis_Timer(); });
}

录音窗::~录音窗() {
    tmrVis.stop();
}

void 录音窗::buildInput() {
    frmInp = new QGroupBox(QString::fromUtf8("输入："), this);
    frmInp->setGeometry(8, 8, 644, 62);
    caption(frmInp, "设备:", QRect(12, 28, 44, 22));
    设备 = new QComboBox(frmInp);
    设备->setGeometry(60, 26, 572, 26);
}

void 录音窗::buildOutput() {
    frmOut = new QGroupBox(QString::fromUtf8("输出："), this);
    frmOut->setGeometry(8, 78, 644, 96);
    caption(frmOut, "取样:", QRect(12, 28, 44, 22));
    cboSamplerate = new QComboBox(frmOut);
    cboSamplerate->setEditable(true);
    cboSamplerate->setInsertPolicy(QComboBox::NoInsert);
    for (const char* rate : {"48000", "44100", "22050", "11025", "8000"})
        cboSamplerate->addItem(QString::fromUtf8(rate));
    cboSamplerate->setEditText(QString::fromUtf8(kUntouchedRate));
    cboSamplerate->setGeometry(60, 26, 120, 26);
    cboSamplerate->lineEdit()->installEventFilter(this);
    chkStereo = checkBox(frmOut, "立体声", QRect(200, 29, 90, 20), 1);
    位数16 = new QRadioButton(QString::fromUtf8("16位"), frmOut);
    位数16->setGeometry(310, 28, 70, 22);
    位数16->setChecked(true);
    位数8 = new QRadioButton(QString::fromUtf8("8位"), frmOut);
    位数8->setGeometry(390, 28, 70, 22);
    txtFile = new QLineEdit(frmOut);
    txtFile->setGeometry(12, 60, 452, 26);
    txtFile->setPlaceholderText(QString::fromUtf8("（空：录到默认文件 临时录音文件.wav）"));
    浏览 = new LCButton(frmOut);
    浏览->setGeometry(474, 59, 74, 28);
    浏览->Caption("浏览");
    默认值 = new LCButton(frmOut);
    默认值->setGeometry(556, 59, 76, 28);
    默认值->Caption("默认值");
}

void 录音窗::buildEffects() {
    frmEffects = new QGroupBox(QString::fromUtf8("特效/滤镜："), this);
    frmEffects->setGeometry(8, 182, 644, 54);
    const char* names[] = {"回声", "周相移动", "放大器", "均衡器"};
    for (int i = 0; i < 4; ++i)
        chkFX[static_cast<size_t>(i)] =
            checkBox(frmEffects, names[i], QRect(12 + i * 96, 24, 90, 20), i == 3 ? 1 : 0);
    自动电平控制 = checkBox(frmEffects, "自动电平控制（ALC）", QRect(420, 24, 200, 20), 1);
}

void 录音窗::connectControls() {
    const auto guard = [this](auto handler) {
        return [this, handler] { guarded(services_.messageBoxes, [&] { handler(); }); };
    };
    QObject::connect(设备, qOverload<int>(&QComboBox::activated), this, guard([this] { 设备_Click(); }));
    QObject::connect(cboSamplerate, qOverload<int>(&QComboBox::activated), this,
                     guard([this] { cboSamplerate_Click(); }));
    chkStereo->Click.connect([this] {
        hub_->stereo(chkStereo->Value() == 1);
        if (loaded_) hub_->effects().Channels(static_cast<int16_t>(chkStereo->Value() + 1));
    });
    QObject::connect(txtFile, &QLineEdit::textChanged, this, [this](const QString& text) {
        txtFile->setCursorPosition(static_cast<int>(text.size()));
    });
    浏览->Click.connect(guard([this] { 浏览_Click(); }));
    默认值->Click.connect(guard([this] { 默认值_Click(); }));
    for (int32_t i = 0; i < 4; ++i)
        chkFX[static_cast<size_t>(i)]->Click.connect([this, i] { chkFX_Click(i); });
    录音控制板->Click.connect([this] { startMixerViews(services_.shell, true); });
    播放控制板->Click.connect([this] { startMixerViews(services_.shell, false); });
    // A write that fails stops the recording through the record button, then says so.
    hub_->onWriteFailed = [this] {
        links_.pressRecordButton();
        services_.messageBoxes.warning(kApplicationTitle, CaptureHub::kWriteError);
    };
}

void 录音窗::load() {
    loaded_ = true;
    设备->blockSignals(true);
    设备->clear();
    for (int32_t i = 0; i < clsRecorder().DeviceCount(); ++i)
        设备->addItem(QString::fromStdString(clsRecorder().DeviceName(i)));
    设备->setCurrentIndex(-1);
    设备->blockSignals(false);
    if (cboSamplerate->currentText() == QString::fromUtf8(kUntouchedRate))
        cboSamplerate->setEditText(QStringLiteral("88200"));
    applySampleRate(sampleRate());
    hub_->effects().Channels(static_cast<int16_t>(chkStereo->Value() + 1));
    hub_->stereo(chkStereo->Value() == 1);
    均衡器->build();
    if (设备->currentIndex() < 0 && 设备->count() > 0) {
        设备->setCurrentIndex(0);
        设备_Click();
    }

    tuner_ = &links_.loadTunerWindow();
    hub_->setDisplays({&tuner_->picAmplBox().surface(), &tuner_->picFreqBox().surface(),
                       &tuner_->picVULBox().surface(), &tuner_->picVURBox().surface()});
    hub_->setTuner(&tuner_->analysis());
    均衡器->addCurve(&tuner_->picEQAmpBox());
    tuner_->音量->Value(static_cast<float>(clsRecorder().MixerLineVolume() / 655));

    打开参数();
    centre();
    tmrVis.start();
}

void 录音窗::tmrVis_Timer() {
    guarded(services_.messageBoxes, [this] { hub_->tick(); });
    // The screen shows every other tick (twenty pictures a second): enough for the eye, and half
    // the cost of composing and sending them to the display.
    if (tuner_ && ++ticks_ % kTicksPerShow == 0) tuner_->refreshDisplays();
}

int32_t 录音窗::sampleRate() const {
    return roundToInt32(leadingNumber(cboSamplerate->currentText().toStdString()));
}

bool 录音窗::applySampleRate(int32_t rate) {
    try {
        hub_->effects().samplerate(rate);
        return true;
    } catch (const Error& e) {
        services_.messageBoxes.warning(kApplicationTitle, e.what());
        return false;
    }
}

void 录音窗::设备_Click() {
    if (!clsRecorder().SelectDevice(设备->currentIndex()))
        services_.messageBoxes.warning(kApplicationTitle, "Couldn't select device!");
}

void 录音窗::cboSamplerate_Click() {
    if (!loaded_) return;
    if (applySampleRate(sampleRate())) 均衡器->build();
}

void 录音窗::浏览_Click() {
    const EncoderWAV& encoder = hub_->encoder();
    const std::string pattern = "*." + encoder.Encoder_Extension();
    const std::string filter = encoder.Encoder_Description() + " (" + pattern + ")|" + pattern;
    const QString name = QString::fromStdString(services_.saveDialog.askSaveFileName(filter, true));
    if (name.isEmpty()) return;
    txtFile->setText(name.right(4).toLower() != QStringLiteral(".wav") ? name + QStringLiteral(".wav")
                                                                       : name);
}

void 录音窗::默认值_Click() {
    cboSamplerate->setEditText(QStringLiteral("88200"));
    chkStereo->Value(1);
    位数16->setChecked(true);
}

void 录音窗::chkFX_Click(int32_t index) {
    clsDSP& effects = hub_->effects();
    const int32_t bit = 1 << index;
    if (chkFX[static_cast<size_t>(index)]->Value() != 0)
        effects.EffectsUsed(effects.EffectsUsed() | bit);
    else
        effects.EffectsUsed(effects.EffectsUsed() & ~bit);
}

void 录音窗::SetFormEnabled(bool enabled) {
    frmOut->setEnabled(enabled);
    frmInp->setEnabled(enabled);
    // The self-drawn controls inside keep a look of their own.
    chkStereo->Enabled(enabled);
    浏览->Enabled(enabled);
    默认值->Enabled(enabled);
}

void 录音窗::绘均衡曲线(PictureBox& picture) const {
    均衡器->绘均衡曲线(picture);
}

std::string 录音窗::readSetting(const std::string& key, const std::string& fallback) {
    return services_.settings.read(services_.programName, kSection, key, fallback);
}

void 录音窗::打开参数() {
    SettingsStore& store = services_.settings;
    const std::string& app = services_.programName;
    const ScreenMetrics& m = ScreenMetrics::current();
    double left = store.readNumber(app, kSection, "Left", x() * m.twipsPerPixelX());
    if (left < 0 || left > m.screenWidthTwips()) left = 0;
    double top = store.readNumber(app, kSection, "Top", y() * m.twipsPerPixelY());
    if (top < 0 || top > m.screenHeightTwips()) top = 0;
    move(static_cast<int>(left / m.twipsPerPixelX()), static_cast<int>(top / m.twipsPerPixelY()));

    chkFX_Click(2);
    const int64_t equaliser = store.readInteger(app, kSection, "启用均衡器", chkFX[3]->Value());
    if (equaliser >= 0 && equaliser <= 2) chkFX[3]->Value(static_cast<int32_t>(equaliser));
    chkFX_Click(3);

    // A device that is no longer listed is passed over.
    const int found = 设备->findText(
        QString::fromStdString(readSetting("设备", 设备->currentText().toStdString())), Qt::MatchExactly);
    if (found >= 0) {
        设备->setCurrentIndex(found);
        设备_Click();
    }

    // A gain outside the faders' range is no value they could have stored: it is passed over too.
    services_.flags.eqFlat = true;
    for (size_t i = 0; i < 均衡器->sldEQ.size(); ++i) {
        const double stored =
            store.readNumber(app, kSection, "均衡器_" + std::to_string(i), 均衡器->sldEQ[i]->Value());
        if (stored >= -12 && stored <= 12) 均衡器->sldEQ[i]->Value(static_cast<float>(stored));
        if (均衡器->sldEQ[i]->Value() != 0) services_.flags.eqFlat = false;
    }
}

void 录音窗::保存参数() {
    SettingsStore& store = services_.settings;
    const std::string& app = services_.programName;
    const ScreenMetrics& m = ScreenMetrics::current();
    store.write(app, kSection, "Left", numberText(std::round(x() * m.twipsPerPixelX())));
    store.write(app, kSection, "Top", numberText(std::round(y() * m.twipsPerPixelY())));
    store.write(app, kSection, "启用周相移动", numberText(chkFX[1]->Value()));
    store.write(app, kSection, "启用放大器", numberText(chkFX[2]->Value()));
    store.write(app, kSection, "启用均衡器", numberText(chkFX[3]->Value()));
    store.write(app, kSection, "设备", 设备->currentText().toStdString());
    for (size_t i = 0; i < 均衡器->sldEQ.size(); ++i)
        store.write(app, kSection, "均衡器_" + std::to_string(i),
                    numberText(static_cast<double>(均衡器->sldEQ[i]->Value())));
}

void 录音窗::centre() {
    const ScreenMetrics& m = ScreenMetrics::current();
    const double left = (m.screenWidthTwips() - width() * m.twipsPerPixelX()) / 2.0;
    const double top = (m.screenHeightTwips() - height() * m.twipsPerPixelY()) / 2.0;
    move(static_cast<int>(left / m.twipsPerPixelX()), static_cast<int>(top / m.twipsPerPixelY()));
}

void 录音窗::closeEvent(QCloseEvent* e) {
    guarded(services_.messageBoxes, [this] { 保存参数(); });
    if (services_.flags.unloadForReal) {
        tmrVis.stop();
        if (clsRecorder().IsRecording()) links_.pressRecordButton();
        e->accept();
        return;
    }
    e->ignore();
    hide();
    services_.loop.processPending();
}

// The sample-rate box takes digits (up to five) and backspace; every other typed character is
// dropped, pasted text included.
bool 录音窗::eventFilter(QObject* watched, QEvent* e) {
    if (watched == cboSamplerate->lineEdit()) {
        if (e->type() == QEvent::KeyPress) {
            const auto* key = static_cast<QKeyEvent*>(e);
            if (key->key() == Qt::Key_Backspace) return false;
            const QString text = key->text();
            if (text.isEmpty()) return false; // arrows, Home, Delete: no character
            const bool digit = text.size() == 1 && text[0] >= QLatin1Char('0') && text[0] <= QLatin1Char('9');
            return !(digit && cboSamplerate->lineEdit()->text().size() != 5);
        }
        if (e->type() == QEvent::InputMethod) {
            return !static_cast<QInputMethodEvent*>(e)->commitString().isEmpty();
        }
    }
    return QWidget::eventFilter(watched, e);
}

} // namespace lctune
