#include "shell/Program.h"

#include "core/Version.h"
#include "platform/HandlerGuard.h"
#include "recording/录音框.h"
#include "widgets/复选框控件.h"
#include "widgets/小圆按钮.h"

#include <QCoreApplication>

namespace lctune {

Program::Program(ProgramServices& services) : services_(services) {}

Program::~Program() {
    // The box presses the others' buttons and the hub draws into the tuner's pictures: the box
    // goes first, the tuner window last.
    recordingBox_.reset();
    recordingWindow_.reset();
    tunerWindow_.reset();
}

void Program::loadWindows() {
    if (recordingWindow_) return;
    recordingWindow_ = std::make_unique<录音窗>(services_, *this);
    recordingWindow_->load();
}

void Program::showTuner() {
    tunerWindow_->show();
    tunerWindow_->raise();
    tunerWindow_->activateWindow();
}

乐器调音窗& Program::loadTunerWindow() {
    if (!tunerWindow_) tunerWindow_ = std::make_unique<乐器调音窗>(services_, *this);
    return *tunerWindow_;
}

录音框& Program::recordingBox() {
    if (!recordingBox_) {
        recordingBox_ =
            std::make_unique<录音框>(services_, *recordingWindow_, loadTunerWindow(), coverHandle);
        recordingBox_->load();
    }
    return *recordingBox_;
}

std::string Program::versionText() {
    return "版本：V" + std::to_string(kVersionMajor) + "." + std::to_string(kVersionMinor) + "." +
           std::to_string(kVersionPatch);
}

WaveInRecorder& Program::recorder() {
    return recordingWindow_->clsRecorder();
}

void Program::setStereoAndAutoLevel(int32_t stereo, int32_t autoLevel) {
    recordingWindow_->chkStereo->Value(stereo);
    recordingWindow_->自动电平控制->Value(autoLevel);
}

void Program::setEqualiserSwitch(int32_t value) {
    recordingWindow_->chkFX[3]->Value(value);
}

void Program::showRecordingWindow() {
    recordingWindow_->show();
    recordingWindow_->raise();
    recordingWindow_->activateWindow();
}

void Program::pressRecordButton() {
    recordingBox().录音按钮->Value(true);
}

std::string Program::versionLabel() {
    return coverVersionLabel ? coverVersionLabel() : versionText();
}

void Program::showWorksWindow(const QRect& geometry) {
    if (placeWorksWindow) placeWorksWindow(geometry);
}

// Stops a running recording, lets the recording window save its settings and release capture,
// marks the program closed for the companion program (a failure to write is of no consequence)
// and makes every setting permanent before the event loop ends.
void Program::exitSequence() {
    if (exited_) return;
    exited_ = true;
    services_.flags.unloadForReal = true;
    if (recordingBox_ && recordingBox_->录音按钮->Caption() == 录音框::kRecording) {
        recordingBox_->录音按钮->Value(true);
        services_.loop.processPending();
    }
    if (recordingWindow_) recordingWindow_->close();
    services_.settings.write(kStudioApplication, "录音棚衔接参数", "已经关闭", kStoredTrue);
    services_.settings.sync();
    if (quit_) quit_();
}

} // namespace lctune
