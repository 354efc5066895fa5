#pragma once
// The recording box: the record/stop toggle that every start and stop of capture goes through.
// A click starts capture (and, outside tuner mode, a recording to the recording window's file)
// when none runs, and stops it otherwise; the rest of the program presses the button by setting
// its Value to true. Loaded hidden and never shown by the program itself; its load publishes its
// own and the cover's window handles for a companion recording program. User-interface thread
// only.

#include "core/Event.h"
#include "platform/ProgramServices.h"
#include "platform/qt/BackgroundDrag.h"

#include <QImage>
#include <QWidget>

#include <functional>

class QLabel;

namespace lctune {

class 乐器调音窗;
class 小圆按钮;
class 录音窗;
class 框架;

class 录音框 : public QWidget {
public:
    static constexpr const char* kTitle = "提示";
    static constexpr const char* kIdle = "开始录音";
    static constexpr const char* kRecording = "停止录音";

    /// `coverHandle` gives the cover's window handle for the published link keys.
    录音框(ProgramServices& services, 录音窗& recordingWindow, 乐器调音窗& tuner,
           std::function<WId()> coverHandle);
    ~录音框() override;

    /// Lays out the box over the screen, then publishes the two window handles.
    void load();

    void 录音按钮_Click();
    /// The stop sequence also runs when the capture device is lost; it then says so once.
    void deviceLost(const std::string& reason);

    小圆按钮* 录音按钮 = nullptr;
    QImage 红灯Image;
    QImage 四方快Image;
    框架* 框架2 = nullptr;
    QLabel* 最小化的Picture = nullptr;

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;

private:
    void startSequence();
    void stopSequence();
    std::string defaultFile() const;

    ProgramServices& services_;
    录音窗& recordingWindow_;
    乐器调音窗& tuner_;
    std::function<WId()> coverHandle_;
    Connection deviceLost_;
    BackgroundDrag drag_;
};

} // namespace lctune
