#pragma once
// The cover: the program's start-up card and owner of its exit. Its load refuses a second copy,
// loads the recording window (and with it the tuner window) hidden, counts the run, asks the two
// first-run questions, shows the version, publishes the program folder for the companion
// recording program, measures the machine's speed and centres itself. Two seconds after it first
// becomes active it hides and hands over to the tuner window. Its exit button runs the exit
// sequence. It can be dragged by its background. User-interface thread only.

#include "platform/InstanceLock.h"
#include "platform/ProgramServices.h"
#include "platform/qt/BackgroundDrag.h"

#include <QWidget>

#include <memory>

class QLabel;

namespace lctune {

class LCButton;
class Program;
class 作品动画窗;

class 封面 : public QWidget {
public:
    static constexpr const char* kAlreadyOpen = "《岚川调音器》已经打开！";
    static constexpr const char* kAskManual = "您第一次运行，是否打开说明书？";
    static constexpr const char* kAskWebSite = "您第一次运行，是否浏览岚川工作室网站？";

    封面(ProgramServices& services, InstanceLock& instanceLock);
    ~封面() override;

    /// The load; false when another copy runs (the message is shown, nothing else is touched, and
    /// the program should end).
    bool load();
    /// The first activation's hand-over: two seconds' wait, then the tuner window takes over.
    void handOver();
    /// Presses the exit button.
    void 退出_Click();

    Program& program() { return *program_; }
    作品动画窗* worksWindow() { return works_.get(); }
    int32_t runCount() const { return runCount_; }
    /// Seconds the hand-over waits (2; tests shorten it).
    double handOverSeconds = 2.0;

    QLabel* 版本名称 = nullptr;
    QLabel* webAddress = nullptr;
    LCButton* 退出 = nullptr;

protected:
    bool event(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;

private:
    void askFirstRunQuestions();
    void publishProgramFolder();
    void centre();
    void showWorksWindow(const QRect& geometry);

    ProgramServices& services_;
    InstanceLock& instanceLock_;
    std::unique_ptr<Program> program_;
    std::unique_ptr<作品动画窗> works_;
    int32_t runCount_ = 0;
    bool handedOver_ = false;
    BackgroundDrag drag_;
};

} // namespace lctune
