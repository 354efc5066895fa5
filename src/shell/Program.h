#pragma once
// The running program: its windows, made once each in the start-up order, and the links by which
// they press each other's buttons. The recording window loads first (hidden) and loads the tuner
// window inside its own load; the tuner window is shown; the recording box is loaded hidden on its
// first use. The exit sequence stops a running recording, saves the recording window's settings,
// marks the program closed for the companion recording program and ends the event loop.
// User-interface thread only.

#include "platform/ProgramServices.h"
#include "recording/录音窗.h"
#include "tuner/乐器调音窗.h"

#include <QRect>

#include <functional>
#include <memory>
#include <string>

namespace lctune {

class 录音框;

class Program : public TunerWindowLinks, public RecordingWindowLinks {
public:
    explicit Program(ProgramServices& services);
    ~Program() override;
    Program(const Program&) = delete;
    Program& operator=(const Program&) = delete;

    /// Loads the recording window (and with it the tuner window), hidden.
    void loadWindows();
    /// Shows the tuner window; its first activation starts the analysis.
    void showTuner();

    ProgramServices& services() { return services_; }
    录音窗& recordingWindow() { return *recordingWindow_; }
    乐器调音窗& tunerWindow() { return *tunerWindow_; }
    /// The recording box, loaded (hidden) on its first use.
    录音框& recordingBox();
    bool recordingBoxLoaded() const { return recordingBox_ != nullptr; }

    /// The exit sequence. `quit` ends the event loop (the program's exit code 0).
    void exitSequence();
    bool exited() const { return exited_; }
    void onQuit(std::function<void()> quit) { quit_ = std::move(quit); }

    /// "版本：V" and the major, minor and revision numbers.
    static std::string versionText();
    /// The cover's window handle and works window, once the program has them.
    std::function<WId()> coverHandle;
    std::function<void(const QRect&)> placeWorksWindow;
    std::function<std::string()> coverVersionLabel;

    // TunerWindowLinks
    WaveInRecorder& recorder() override;
    void setStereoAndAutoLevel(int32_t stereo, int32_t autoLevel) override;
    void setEqualiserSwitch(int32_t value) override;
    void showRecordingWindow() override;
    void pressRecordButton() override;
    std::string versionLabel() override;
    void pressExit() override { exitSequence(); }
    void showWorksWindow(const QRect& geometry) override;
    // RecordingWindowLinks
    乐器调音窗& loadTunerWindow() override;

private:
    ProgramServices& services_;
    std::unique_ptr<录音窗> recordingWindow_;
    std::unique_ptr<乐器调音窗> tunerWindow_;
    std::unique_ptr<录音框> recordingBox_;
    std::function<void()> quit_;
    bool exited_ = false;
};

} // namespace lctune
